// The colour-key skin: an arbitrary control paints itself as usual, and the
// skin keys out one colour of that picture so the background beneath the
// control (with the white wash) shows through.
#pragma once

#include <windows.h>

#include "skin/Opt.h"

namespace orv {

// The body of the skin object's SubclassControl: key colour = the default
// back colour when not given. A control with children is also made a
// container (kind 0) with the fill colour and alpha given.
void SubclassWithColourKey(HWND control, Opt<COLORREF> keyColour, Opt<COLORREF> fillColour, Opt<int> fillAlpha);

LRESULT CALLBACK ColourKeyWindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// Paints control through its colour key into target at the client origin
// (what its WM_PAINT shows). False for a control that is not registered.
bool PaintColourKeyed(HWND control, HDC target);

}  // namespace orv
