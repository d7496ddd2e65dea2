// The child windows of a window, kept between paints. Under Wine every
// GetWindow is a round trip to the window server (28 µs measured), and the
// painters walk a container's children and its siblings at every paint: a
// full repaint of the main window asked for about a hundred of them.
#pragma once

#include <windows.h>

#include <vector>

namespace orv {

// parent's children in z-order, as GetWindow(GW_CHILD / GW_HWNDNEXT) would
// walk them. A kept list is checked at each use: its first and last windows
// still first and last (a new child goes in at the top; one sent to the
// bottom comes after the last), and every window in it still a child of
// parent (a destroyed or moved one is not). A window put between two
// others after it was made is only seen at the next walk anew, which
// ForgetChildWindows asks for.
std::vector<HWND> ChildWindows(HWND parent);

// Drops parent's kept list: at WM_PARENTNOTIFY and when parent goes.
void ForgetChildWindows(HWND parent);

}  // namespace orv
