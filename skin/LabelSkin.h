// The label skin for "Static" windows: text with a white halo and images
// over the background beneath the label. Run by the message-box skin on the
// box's message text and icon.
#pragma once

#include <windows.h>

namespace orv {

// Registers and subclasses every "Static" child of parent that is not yet
// registered; nothing while ControlSkinning is 0.
void SkinLabels(int windowIndex, HWND parent);

LRESULT CALLBACK LabelWindowProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam);

// Paints a registered label's text or image over the background into target
// (client coordinates). False for a window that is not a registered label.
bool PaintLabel(HWND label, HDC target);

}  // namespace orv
