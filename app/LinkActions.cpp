#include "app/LinkActions.h"

#include "app/CatalogueActions.h"
#include "app/LinkText.h"
#include "app/MainLayout.h"

namespace orv {

const char kRessimPage[] = "https://pan.example.com/s/1Ressim-orvane";
const char kPellatPage[] = "https://pan.example.com/s/1Pellat-orvane";
const char kCorvelPage[] = "https://pan.example.com/s/1Corvel-orvane";
const char kTamblinPage[] = "https://soft.example.com/download/tamblin.html";
const char kChatLinkTemplate[] = "tencent://message/?uin=#qq&Site=orvane&Menu=yes";
const char kChatContactNumber[] = "800812345";
const char kScoreSearchPrefix[] = "https://image.example.com/search/index?tn=image&ie=gbk&word=曲谱";
const char kChatHint[] = "对本软件有任何疑问或建议,欢迎来交流";

void OpenDownloadPage(AppContext& app, const char* address)
{
    app.rt->PlaySoundData(app.clickSound, false);
    app.rt->OpenUrl(address);
}

void OpenSupportChat(AppContext& app)
{
    app.rt->PlaySoundData(app.clickSound, false);
    app.rt->ShellOpen(BuildChatLink(kChatLinkTemplate, kChatContactNumber));
}

void OpenSupportChatWithFlash(AppContext& app)
{
    app.rt->PlaySoundData(app.clickSound, false);
    app.rt->SetTextColour(kLabel5, kChatLabelFlashColour);
    app.rt->ShellOpen(BuildChatLink(kChatLinkTemplate, kChatContactNumber));
    // Delay keeps dispatching messages, so the label is really seen white.
    app.rt->Delay(1000);
    app.rt->SetTextColour(kLabel5, kChatLabelColour);
}

void SearchScoreImages(AppContext& app)
{
    app.rt->PlaySoundData(app.clickSound, false);
    const std::string keyword = app.rt->Content(kEdit2);
    if (keyword.empty()) {
        app.showMessageBox(app.rt->ControlHandle(kMainWindow), kEmptyKeywordMessage, kEmptyKeywordStyle, nullptr);
        return;
    }
    app.rt->OpenUrl(BuildScoreSearchAddress(kScoreSearchPrefix, keyword));
}

void ShowHint(AppContext& app, int unit, const char* text)
{
    app.rt->HoverHint(app.rt->ControlHandle(unit), text, false, false);
}

}  // namespace orv
