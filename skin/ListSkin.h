// Skin of the list-like controls: "ListBox", the "ComboLBox" of a combo box,
// "SysListView32", "SysTreeView32", "SysIPAddress32" and "SysDateTimePick32".
// The skin draws the border ring (never over a scroll bar) and, in
// translucent mode, gives the item area the picture under a white wash while
// the control still draws its own items.
#pragma once

#include <windows.h>

namespace orv {

// Installer of the list family among parent's direct children.
void SkinLists(int windowIndex, HWND parent);

// True when the style or extended style gives the window a border.
bool HasListBorder(HWND control);

// Paints the frame; hot and focused as given.
void PaintListFrame(HWND control, bool hot, bool focused);

LRESULT CALLBACK ListSkinProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace orv
