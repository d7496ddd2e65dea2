#include "app/LinkActions.h"

#include "app/CatalogueActions.h"
#include "app/LinkText.h"
#include "app/MainLayout.h"

namespace orv {


void OpenDownloadPage(AppContext& app, int textId)
{
    app.rt->PlaySoundData(app.clickSound, false);
    app.rt->OpenUrl(ProgramText(textId));
}

void OpenSupportChat(AppContext& app)
{
    app.rt->PlaySoundData(app.clickSound, false);
    app.rt->ShellOpen(BuildChatLink(ProgramText(kTextChatLinkTemplate), ProgramText(kTextChatContactNumber)));
}

void OpenSupportChatWithFlash(AppContext& app)
{
    app.rt->PlaySoundData(app.clickSound, false);
    app.rt->SetTextColour(kLabel5, kChatLabelFlashColour);
    app.rt->ShellOpen(BuildChatLink(ProgramText(kTextChatLinkTemplate), ProgramText(kTextChatContactNumber)));
    // Delay keeps dispatching messages, so the label is really seen white.
    app.rt->Delay(1000);
    app.rt->SetTextColour(kLabel5, kChatLabelColour);
}

void SearchScoreImages(AppContext& app)
{
    app.rt->PlaySoundData(app.clickSound, false);
    const std::string keyword = app.rt->Content(kEdit2);
    if (keyword.empty()) {
        app.showMessageBox(app.rt->ControlHandle(kMainWindow), ProgramText(kTextEmptyKeyword).c_str(),
                           kEmptyKeywordStyle, nullptr);
        return;
    }
    app.rt->OpenUrl(BuildScoreSearchAddress(ProgramText(kTextScoreSearchPrefix), keyword));
}

void ShowHint(AppContext& app, int unit, int textId)
{
    app.rt->HoverHint(app.rt->ControlHandle(unit), ProgramText(textId), false, false);
}

}  // namespace orv
