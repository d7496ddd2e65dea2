// The container skin: a tab control or group box becomes a see-through panel
// (or a group box frame with its caption) over the window's background, and
// its children are skinned and coloured through it.
#pragma once

#include <windows.h>

#include "skin/Opt.h"

namespace orv {

// The body of the skin object's SkinControl: kind 1, fill colour 0 (no
// wash), fill alpha 255 and frame flag 0 when not given. Nothing for a
// window already registered or without a skinned owner.
void SkinContainer(HWND control, Opt<int> kind, Opt<COLORREF> fillColour, Opt<int> fillAlpha, Opt<int> frameFlag);

// The body of SetControlByte: a new fill alpha for a container with a fill.
void SetContainerFillAlpha(HWND control, BYTE alpha);

// Group box: class "Button" with style bit 0x4.
bool IsGroupBox(HWND window);

LRESULT CALLBACK ContainerWindowProc(HWND container, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the container's panel or group box image into target (client
// coordinates), leaving out the visible children. False for a window that
// is not a registered container or has nothing under it yet. drawnAnew
// tells whether the image was drawn, not copied as kept from before.
bool PaintContainer(HWND container, HDC target, bool* drawnAnew = nullptr);

}  // namespace orv
