// Skin of "Edit" controls: a frame ring drawn by the skin around the system's
// own text area, with hover and focus borders, and a translucent background.
#pragma once

#include <windows.h>

namespace orv {

// Frame states of an edit.
enum EditFrameState { kEditNormal = 0, kEditFocused = 1, kEditHover = 2 };

// Registers and subclasses one edit of the window record windowIndex (entry,
// Hw_* properties, Kj_Ztys = 0). Used for plain edits and for the inner edit
// of a combo box.
void InstallEdit(int windowIndex, HWND edit);

// Installer of the edits and combo boxes among parent's direct children.
void SkinEditsAndCombos(int windowIndex, HWND parent);

// Paints the edit's frame ring in the given state.
void PaintEditFrame(HWND edit, EditFrameState state);

LRESULT CALLBACK EditSkinProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace orv
