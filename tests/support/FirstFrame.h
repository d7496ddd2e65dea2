// The moment the start-up benchmark calls the program painted (its window
// shown, the catalogue in the visible list, no window of it with anything
// left to paint), and the window read from the screen then: shared by the
// first-frame test and the benchmark that sets two builds' first frames
// side by side.
#pragma once

#include <windows.h>

#include <algorithm>

#include "tests/support/ScreenInput.h"

namespace orv::test {

struct StartState {
    HWND main = nullptr;
    int listed = 0;  // items of the fullest visible list box
    bool pending = false;
    bool Painted(int entries) const { return main && listed == entries && !pending; }
};

inline BOOL CALLBACK LookAtStartChild(HWND h, LPARAM p)
{
    auto* s = reinterpret_cast<StartState*>(p);
    if (!IsWindowVisible(h)) return TRUE;
    if (GetUpdateRect(h, nullptr, FALSE)) s->pending = true;
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpiA(cls, "ListBox") == 0)
        s->listed = std::max(s->listed, static_cast<int>(SendMessageW(h, LB_GETCOUNT, 0, 0)));
    return TRUE;
}

inline StartState LookAtStart(DWORD pid)
{
    StartState s;
    for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, "OrvaneMainWindow", nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid && IsWindowVisible(h)) s.main = h;
    }
    if (!s.main) return s;
    s.pending = GetUpdateRect(s.main, nullptr, FALSE) != FALSE;
    EnumChildWindows(s.main, LookAtStartChild, reinterpret_cast<LPARAM>(&s));
    return s;
}

// Polls every millisecond, as the benchmark does; false after timeoutMs.
inline bool WaitUntilPainted(DWORD pid, int entries, DWORD timeoutMs, StartState* state)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(1)) {
        *state = LookAtStart(pid);
        if (state->Painted(entries)) return true;
    }
    return false;
}

// The caret, in the window's coordinates: it blinks, and is the one thing
// allowed to differ.
inline RECT CaretIn(HWND main)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    RECT caret{};
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) || !info.hwndCaret) return caret;
    caret = info.rcCaret;
    MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&caret), 2);
    RECT window{};
    GetWindowRect(main, &window);
    OffsetRect(&caret, -window.left, -window.top);
    InflateRect(&caret, 1, 1);
    return caret;
}

struct Frame {
    ScreenPixels pixels;
    RECT caret;
    static Frame Of(HWND main) { return Frame{ScreenPixels::OfWindow(main), CaretIn(main)}; }
};

struct FrameDifference {
    bool sameSize = true;
    int differing = 0;
    POINT first{-1, -1};
};

inline FrameDifference Compare(const Frame& a, const Frame& b)
{
    FrameDifference d;
    if (a.pixels.Width() != b.pixels.Width() || a.pixels.Height() != b.pixels.Height()) {
        d.sameSize = false;
        return d;
    }
    for (int y = 0; y < a.pixels.Height(); ++y)
        for (int x = 0; x < a.pixels.Width(); ++x) {
            const POINT p{x, y};
            if (PtInRect(&a.caret, p) || PtInRect(&b.caret, p)) continue;
            const ScreenRgb u = a.pixels.At(x, y), v = b.pixels.At(x, y);
            if (u.r == v.r && u.g == v.g && u.b == v.b) continue;
            if (d.differing++ == 0) d.first = p;
        }
    return d;
}

}  // namespace orv::test
