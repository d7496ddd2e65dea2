// orv-skin-gallery: opens one skinned window holding every control kind.
//
//   orv-skin-gallery [--opaque] [--alpha N] [--hover NAME] [--focus NAME]
//                    [--out FILE.png]
//
// --hover and --focus put the named control into that state (hover by
// WM_MOUSEMOVE with the pointer placed over it, focus by SetFocus); --out
// saves a screenshot of the window as PNG and exits (status 0 when written).
// Without --out the window stays open until it is closed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gdiplus/Gp.h"
#include "skin/ControlSkins.h"
#include "skin/SkinEngine.h"
#include "tests/skin/gallery/GalleryWindow.h"

using namespace orv;

namespace {

struct Options {
    bool opaque = false;
    int alpha = 100;
    std::vector<std::string> hover;
    std::vector<std::string> focus;
    std::string out;
};

Options ParseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--opaque") o.opaque = true;
        else if (arg == "--alpha" && hasValue) o.alpha = std::atoi(argv[++i]);
        else if (arg == "--hover" && hasValue) o.hover.push_back(argv[++i]);
        else if (arg == "--focus" && hasValue) o.focus.push_back(argv[++i]);
        else if (arg == "--out" && hasValue) o.out = argv[++i];
        else std::fprintf(stderr, "orv-skin-gallery: unknown argument %s\n", arg.c_str());
    }
    return o;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options = ParseOptions(argc, argv);
    Skin().gdiplusToken = StartGdiPlus();
    InstallControlSkinModules();
    SkinEngine engine(GetSysColor(COLOR_BTNFACE));
    // Translucent unless asked otherwise: the gallery shows what the program
    // shows after its start-up.
    if (options.opaque) engine.SetControlSkinOptions(1, 0, false);
    else engine.SetControlSkinOptions(1, options.alpha, true);

    gallery::Gallery g = gallery::CreateGallery(engine);
    for (const std::string& name : options.focus) {
        if (HWND control = g.Get(name)) SetFocus(control);
        else std::fprintf(stderr, "orv-skin-gallery: no control %s\n", name.c_str());
    }
    gallery::Settle();
    for (const std::string& name : options.hover) {
        if (HWND control = g.Get(name)) gallery::HoverControl(control);
        else std::fprintf(stderr, "orv-skin-gallery: no control %s\n", name.c_str());
    }

    int status = 0;
    if (!options.out.empty()) {
        std::string png = gallery::CaptureWindowPng(g.window);
        status = !png.empty() && WriteFile(options.out, png) ? 0 : 1;
        DestroyWindow(g.window);
    } else {
        MSG msg;
        while (IsWindow(g.window) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    engine.Release();
    return status;
}
