// A windowed text label that paints its text over whatever lies beneath it.
// It asks its parent for the background with WM_CTLCOLORSTATIC, exactly as a
// static control does, so a skinned parent can answer with a brush made from
// its own picture; text colour and font belong to the label.
#pragma once

#include <windows.h>

namespace orv {

extern const char kTransparentLabelClass[];

bool RegisterTransparentLabelClass(HINSTANCE instance);

// Text colour of a label (COLORREF); repaints it.
void SetLabelTextColour(HWND label, COLORREF colour);
COLORREF LabelTextColour(HWND label);

// Paints the label into dc (used by WM_PAINT and WM_PRINTCLIENT).
void PaintTransparentLabel(HWND label, HDC dc);

}  // namespace orv
