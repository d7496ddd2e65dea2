// The skin gallery: one skinned top-level window holding every control kind
// the skin draws, used by the gallery program and by the pixel tests.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace orv {
class SkinEngine;
}

namespace orv::gallery {

struct Gallery {
    HWND window = nullptr;
    std::map<std::string, HWND> controls;  // by name, for states and tests

    HWND Get(const std::string& name) const
    {
        auto it = controls.find(name);
        return it == controls.end() ? nullptr : it->second;
    }
};

// Creates the window with all controls, skins it with engine and shows it.
// The window is fully painted when this returns.
Gallery CreateGallery(SkinEngine& engine);

// Pumps until no message is left and nothing needs painting.
void Settle();

// Puts the pointer over control and sends it WM_MOUSEMOVE at its centre, so
// the skin paints it hot (the pointer really is there, so no WM_MOUSELEAVE
// follows at once).
void HoverControl(HWND control);

// The window as shown on screen, as PNG bytes (empty on failure).
std::string CaptureWindowPng(HWND window);

}  // namespace orv::gallery
