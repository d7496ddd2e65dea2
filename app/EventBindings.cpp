#include "app/EventBindings.h"

#include "app/CatalogueActions.h"
#include "app/LinkActions.h"
#include "app/MainLayout.h"
#include "app/MainWindowEvents.h"

namespace orv {

void InvokeHandler(AppContext& app, Handler handler, const EventArgs& e)
{
    switch (handler) {
    case Handler::MainCreated: return OnMainWindowCreated(app);
    case Handler::MainQueryClose: return OnMainWindowQueryClose(app);
    case Handler::MainResized: return OnMainWindowResized(app);
    case Handler::MainTrayNotify: return OnTrayNotify(app, e.arg0);
    case Handler::SyncMasterSelection: return SyncMasterSelection(*app.rt, app.lists);
    case Handler::DeleteEntry: return DeleteEntry(app);
    case Handler::HintSongKey: return ShowSongKeyHint(app, e.arg0, e.arg1);
    case Handler::SearchCatalogue: return SearchCatalogue(app);
    case Handler::AddEntry: return AddEntry(app);
    case Handler::SearchScoreImages: return SearchScoreImages(app);
    case Handler::KeywordKeyDown: return OnKeywordKeyDown(app, e.arg0, e.arg1);
    case Handler::KeywordFocusGained: return OnKeywordFocusGained(app);
    case Handler::HintRessim: return ShowHint(app, kButton5, kTextHintRessim);
    case Handler::HintPellat: return ShowHint(app, kButton6, kTextHintPellat);
    case Handler::HintCorvel: return ShowHint(app, kButton7, kTextHintCorvel);
    case Handler::HintTamblin: return ShowHint(app, kButton8, kTextHintTamblin);
    case Handler::OpenRessim: return OpenDownloadPage(app, kTextRessimPage);
    case Handler::OpenPellat: return OpenDownloadPage(app, kTextPellatPage);
    case Handler::OpenCorvel: return OpenDownloadPage(app, kTextCorvelPage);
    case Handler::OpenTamblin: return OpenDownloadPage(app, kTextTamblinPage);
    case Handler::OpenSupportChat: return OpenSupportChat(app);
    case Handler::HintChat: return ShowHint(app, kLabel5, kTextChatHint);
    case Handler::OpenSupportChatWithFlash: return OpenSupportChatWithFlash(app);
    case Handler::Count: break;
    }
}

void BindEvents(Win32Runtime& rt, AppContext& app, EventTable table)
{
    AppContext* a = &app;
    for (int i = 0; i < table.count; ++i) {
        const Handler h = table.bindings[i].handler;
        rt.Bind(table.bindings[i].unit, table.bindings[i].event, [a, h](const EventArgs& e) { InvokeHandler(*a, h, e); });
    }
}

}  // namespace orv
