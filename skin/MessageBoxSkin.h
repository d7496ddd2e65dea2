// Skinned message boxes: the system's MessageBoxExA dialog caught by a
// thread-local CBT hook as it is activated, given a window record, its
// buttons and labels skinned, and drawn by the skin as a borderless, rounded
// box with a painted title band, the application icon, a glowing caption
// and a painted close button; it fades in at its first paint.
#pragma once

#include <windows.h>

namespace orv {

// MessageBoxExA(owner, text, caption, style) with the box skinned; the
// answer is the button identifier minus one (IDOK 0, IDCANCEL 1, IDYES 5,
// IDNO 6). An empty or null caption reaches the system as none, so the
// system's default title shows (painted as the glowing caption).
int ShowSkinnedMessageBox(HWND owner, const char* text, UINT style, const char* caption);

// Installs the CBT hook for the calling thread; the next "#32770" dialog
// activated on this thread is skinned and removes the hook at its first
// WM_ACTIVATE. False when the system refused the hook.
bool InstallMessageBoxHook();

// The hook handle while a hook is in place, nullptr otherwise.
HHOOK MessageBoxHook();

// Skins one dialog; nothing for a dialog that already has a window record.
void SkinMessageBox(HWND dialog);

// The window procedure put in front of skinned message boxes.
LRESULT CALLBACK MessageBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Hit test of a skinned box for a screen point: HTCLOSE over the close
// button, HTCAPTION elsewhere in the top 25 pixels, HTCLIENT below.
LRESULT MessageBoxHitTest(HWND window, int screenX, int screenY);

// Called on the fade thread after each step of the fade-in, with the alpha
// just set; for tests. nullptr removes it.
using FadeStepObserver = void (*)(HWND box, BYTE alpha);
void SetFadeStepObserver(FadeStepObserver observer);

}  // namespace orv
