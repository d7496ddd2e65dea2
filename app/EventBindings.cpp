#include "app/EventBindings.h"

#include "app/CatalogueActions.h"
#include "app/LinkActions.h"
#include "app/MainLayout.h"
#include "app/MainWindowEvents.h"

namespace orv {

void BindMainWindowEvents(Win32Runtime& rt, AppContext& app)
{
    AppContext* a = &app;
    auto on = [&rt](int unit, EventKind event, EventHandler handler) { rt.Bind(unit, event, std::move(handler)); };

    on(kMainWindow, EventKind::Created, [a](const EventArgs&) { OnMainWindowCreated(*a); });
    on(kMainWindow, EventKind::QueryClose, [a](const EventArgs&) { OnMainWindowQueryClose(*a); });
    on(kMainWindow, EventKind::Resized, [a](const EventArgs&) { OnMainWindowResized(*a); });
    on(kMainWindow, EventKind::TrayNotify, [a](const EventArgs& e) { OnTrayNotify(*a, e.arg0); });

    on(kList2, EventKind::ItemSelected, [a](const EventArgs&) { SyncMasterSelection(*a->rt, a->lists); });
    on(kList2, EventKind::DoubleClick, [a](const EventArgs&) { DeleteEntry(*a); });
    on(kButton1, EventKind::Click, [a](const EventArgs&) { SearchCatalogue(*a); });
    on(kButton2, EventKind::Click, [a](const EventArgs&) { AddEntry(*a); });
    on(kButton3, EventKind::Click, [a](const EventArgs&) { SearchScoreImages(*a); });
    on(kEdit2, EventKind::KeyDown, [a](const EventArgs& e) { OnKeywordKeyDown(*a, e.arg0, e.arg1); });
    on(kEdit2, EventKind::FocusGained, [a](const EventArgs&) { OnKeywordFocusGained(*a); });

    struct Download {
        int unit;
        const char* hint;
        const char* page;
    };
    static const Download kDownloads[] = {
        {kButton5, "Ressim", kRessimPage},
        {kButton6, "Pellat", kPellatPage},
        {kButton7, "Corvel", kCorvelPage},
        {kButton8, "Tamblin", kTamblinPage},
    };
    for (const Download& d : kDownloads) {
        on(d.unit, EventKind::MouseMove, [a, d](const EventArgs&) { ShowHint(*a, d.unit, d.hint); });
        on(d.unit, EventKind::Click, [a, d](const EventArgs&) { OpenDownloadPage(*a, d.page); });
    }
    on(kButton9, EventKind::Click, [a](const EventArgs&) { OpenSupportChat(*a); });
    on(kLabel5, EventKind::MouseMove, [a](const EventArgs&) { ShowHint(*a, kLabel5, kChatHint); });
    on(kLabel5, EventKind::LeftButtonDown, [a](const EventArgs&) { OpenSupportChatWithFlash(*a); });
}

}  // namespace orv
