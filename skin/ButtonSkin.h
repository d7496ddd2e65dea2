// The button skin: push buttons become owner-draw and are painted by the
// skin over the image beneath them (plain, image and icon kinds); check
// boxes and radio buttons keep their behaviour and are painted over.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "skin/Opt.h"
#include "skin/entries/ButtonEntry.h"

namespace orv {

// Paint state bits (the owner-draw convention; hot is set by the skin).
constexpr UINT kStatePressed = ODS_SELECTED;   // 0x01
constexpr UINT kStateDisabled = ODS_DISABLED;  // 0x04
constexpr UINT kStateFocused = ODS_FOCUS;      // 0x10
constexpr UINT kStateHot = ODS_HOTLIGHT;       // 0x40
// Keyboard cues hidden (a mouse user): the focus is not drawn. The painters
// show the focus only when it is set together with kStateFocused clear.
constexpr UINT kStateNoFocusCue = ODS_NOFOCUSRECT;  // 0x200

// True when the focused-look cue is to be drawn: focused, and the window's
// keyboard cues are shown.
inline bool ShowsFocus(UINT state) { return (state & kStateFocused) && !(state & kStateNoFocusCue); }

// Fills the two button installer slots and the frame's WM_DRAWITEM hook.
// Runs by itself when the program starts; callable again (a test that
// emptied the slots puts the button skin back with it).
void RegisterButtonSkin();

// Installers, (window index, parent): push buttons (BS_PUSHBUTTON,
// BS_DEFPUSHBUTTON, BS_USERBUTTON that are not yet owner-draw) and check
// boxes / radio buttons.
void InstallPushButtons(int windowIndex, HWND parent);
void InstallCheckButtons(int windowIndex, HWND parent);

LRESULT CALLBACK ButtonWindowProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the button now into its own DC; hot adds kStateHot.
void PaintButtonByState(HWND button, UINT state, bool hot);

// WM_DRAWITEM of a skinned button: paints the item with its kind's painter.
// False when the item is not a button of this window's table.
bool PaintOwnerDrawButton(int windowIndex, const DRAWITEMSTRUCT& item);

// Paints a registered button in state into target at rect (the button's
// client coordinates as placed on target). False for an unknown button.
// kStateNoFocusCue is added when the button's keyboard cues are hidden
// (its last WM_UPDATEUISTATE), whatever the caller passed.
bool PaintButton(HWND button, HDC target, UINT state, const RECT& rect);

// The painters, one per kind: each starts from the background capture under
// the button, draws, and copies the result to dc at rect.
void PaintPlainButton(HWND button, const ButtonEntry& entry, HDC dc, UINT state, const RECT& rect);
void PaintImageButton(HWND button, const ButtonEntry& entry, HDC dc, UINT state, const RECT& rect);
void PaintIconButton(HWND button, const ButtonEntry& entry, HDC dc, UINT state, const RECT& rect);
void PaintCheckButton(HWND button, const ButtonEntry& entry, HDC dc, UINT state, const RECT& rect);

// The bodies of the skin object's SkinImageButton and SkinIconButton.
void SkinImageButtonOf(HWND button, std::string_view picture, int value, Opt<int> option,
                       Opt<std::string> tooltip);
void SkinIconButtonOf(HWND button, std::string_view picture, Opt<std::string_view> hover,
                      Opt<std::string_view> pressed, Opt<std::string_view> further,
                      Opt<std::string_view> disabled);

// The entry of a registered button (nullptr when it has none or its window
// was released).
ButtonEntry* FindButtonEntry(HWND button, int* windowIndex = nullptr);

}  // namespace orv
