#include "app/Startup.h"

#include "app/AppContext.h"
#include "app/EventBindings.h"
#include "app/MainLayout.h"
#include "app/MessageBoxes.h"
#include "app/SkinSetup.h"
#include "app/SingleInstance.h"
#include "app/StartFailure.h"
#include "app/TrackKeys.h"
#include "resources/Resources.h"
#include "runtime/FileHandover.h"
#include "runtime/FileServices.h"
#include "runtime/Win32Runtime.h"
#include "skin/ControlSkins.h"
#include "skin/SkinEngine.h"

namespace orv {

namespace {

HICON LoadAppIcon()
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(IDI_APP_ICON));
    return icon ? icon : LoadIconA(module, "DEFAULT_ICON");
}

void ExitCleanup(AppContext& app)
{
    app.catalogue.lines.clear();
    app.catalogue.lines.shrink_to_fit();
    // Destroys the icon and ends the GDI+ session, once.
    app.skin->Release();
    app.catalogue.text.reset();
}

}  // namespace

void StartupRoutine(AppContext& app)
{
    SkinSettings& s = Skin();
    s.gdiplusToken = StartGdiPlus();
    if (s.gdiplusToken) PrepareMainWindowBackground();
    s.appIcon = LoadAppIcon();
    app.appIcon = s.appIcon;
    s.skinFrameFlag = 1;
    s.controlSkinning = 1;
    s.backgroundAlpha = 160;
    s.accentColor = 0x00DDCA22;
    s.trackStyle = 1;
}

ProgramDescription BuiltInProgram() { return {MainLayout(), MainEvents(), StoredBytes(IDR_WINDOW_SOUND)}; }

int RunOrvane(const ProgramDescription& program)
{
    SingleInstance instance(ExecutableDirectory());
    // Files given on the command line: Explorer's "open with", or a drop on
    // the program's icon. A running copy of this folder takes them.
    std::vector<std::wstring> handed = CommandLinePaths();
    if (!instance.First()) {
        if (handed.empty()) instance.ShowRunningCopy();
        else instance.HandOver(handed);
        return 0;
    }
    Win32Runtime rt(program.layout);
    AppContext app;
    app.rt = &rt;
    app.lists = {kList1, kList2};
    app.clickSound = StoredBytes(IDR_CLICK_SOUND);
    app.showMessageBox = ShowMessageBox;

    // The skin object exists before any window does.
    SkinEngine skin(rt.DefaultBackColour());
    app.skin = &skin;
    InstallControlSkinModules();
    StartupRoutine(app);

    TrackKeys trackKeys(app, rt);
    app.trackKeys = &trackKeys;
    rt.SetFileHandover([&trackKeys](std::vector<std::wstring> paths) { trackKeys.Take(std::move(paths)); });
    rt.SetEscapeAction([&trackKeys] { return trackKeys.StopByUser(); });

    BindEvents(rt, app, program.events);
    rt.SetWindowSound(program.windowSound);
    rt.SetTabOrder(MainTabOrder());
    int code = 0;
    if (rt.CreateWindowFromLayout()) {
        instance.Claim(rt.ControlHandle(kMainWindow));
        // Once the window shows, as when the files are dropped on it.
        if (!handed.empty()) rt.Defer([&trackKeys, &handed] { trackKeys.Take(std::move(handed)); });
        code = rt.RunMessageLoop();
    } else {
        code = ReportStartFailure("its main window could not be created");
    }
    ExitCleanup(app);
    return code;
}

}  // namespace orv
