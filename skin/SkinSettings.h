// Skin-wide settings: one set for the whole program, fixed at start-up and by
// the window-created handler.
#pragma once

#include <windows.h>

#include "gdiplus/GdiPlusSession.h"

namespace orv {

struct SkinSettings {
    int controlSkinning = 1;        // 0: every control installer returns at once
    int translucentBackground = 0;  // 1: control backgrounds are a white wash over the picture
    int backgroundAlpha = 160;      // alpha of that wash
    int trackStyle = 1;             // track bars get the rounded panel when not 0
    COLORREF accentColor = 0x00DDCA22;
    int skinFrameFlag = 1;          // cleared by the first WM_SIZE of a skinned window
    HICON appIcon = nullptr;
    GdiPlusToken gdiplusToken = 0;
    COLORREF defaultBackColour = 0;
    int defaultBackgroundLayout = 0;
};

SkinSettings& Skin();

}  // namespace orv
