// Skin of "ComboBox" controls: the whole combo box drawn by the skin (border,
// drop button with its arrow, the text of list-only combo boxes), with the
// child windows keyed out so that they stay the system's.
#pragma once

#include <windows.h>

namespace orv {

// Registers and subclasses one combo box; puts its current selection's text
// into the window text; registers its inner edit in translucent mode.
void InstallCombo(int windowIndex, HWND combo);

// Paints the combo box; hot (pointer over it) draws the accent button face;
// hot or focused draws the accent border.
void PaintCombo(HWND combo, bool hot);

LRESULT CALLBACK ComboSkinProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace orv
