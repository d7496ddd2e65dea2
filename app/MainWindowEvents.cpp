#include "app/MainWindowEvents.h"

#include "app/CatalogueActions.h"
#include "app/CatalogueMessages.h"
#include "app/MainLayout.h"
#include "app/ProgramTexts.h"
#include "app/SkinSetup.h"
#include "app/TrackKeys.h"

namespace orv {

void OnMainWindowCreated(AppContext& app)
{
    // 1. The tray icon stays for the whole run.
    app.rt->SetTrayIcon(app.appIcon, ProgramText(kTextTrayTip));
    // 2.–7. Frame, containers, options, icon and picture buttons, text colours.
    ApplyMainWindowSkin(app);
    // 8. Last: the lists are filled once the skin is in place.
    FillListsAtStart(*app.rt, app.catalogue, app.lists);
    // Said over the window, once it shows.
    if (app.catalogue.unreadable) {
        AppContext* a = &app;
        app.rt->Defer([a] { TellCatalogueUnreadable(*a); });
    }
}

void OnMainWindowQueryClose(AppContext& app)
{
    // A track being listened to is left unfinished: nothing runs on past the window.
    if (app.trackKeys) app.trackKeys->StopAndWait();
    // Always saved, changed or not; a failure does not keep the window open.
    const SaveReport report = SaveCatalogue(*app.rt, app.catalogue, app.lists);
    // At the end of the session nothing may wait for an answer.
    if (!app.rt->SessionEnding()) TellSaveReport(app, report);
}

void OnMainWindowResized(AppContext& app)
{
    if (app.rt->WindowState() == kStateMinimised) app.rt->SetVisible(kMainWindow, false);
    if (app.rt->WindowState() == kStateCentred) app.rt->SetVisible(kMainWindow, true);
}

void OnTrayNotify(AppContext& app, int kind)
{
    if (kind != 1) return;
    app.rt->SetAlwaysOnTop(true);
    app.rt->SetVisible(kMainWindow, true);
    app.rt->SetWindowState(kStateCentred);
}

void OnKeywordFocusGained(AppContext& app) { app.rt->SetContent(kEdit2, ""); }

void OnKeywordKeyDown(AppContext& app, int keyCode, int)
{
    if (keyCode == VK_RETURN) SearchCatalogue(app);
}

}  // namespace orv
