#include "runtime/TransparentLabel.h"

#include <vector>

#include "gdiplus/GdiHandles.h"

namespace orv {

const char kTransparentLabelClass[] = "OrvTransparentLabel";

namespace {

// Window extra bytes: text colour, font.
constexpr int kColourOffset = 0;
constexpr int kFontOffset = sizeof(LONG_PTR);

void OnPaint(HWND hwnd)
{
    ScopedPaint paint(hwnd);
    PaintTransparentLabel(hwnd, paint.Get());
}

LRESULT OnSetText(HWND hwnd, WPARAM wp, LPARAM lp)
{
    LRESULT r = DefWindowProcA(hwnd, WM_SETTEXT, wp, lp);
    InvalidateRect(hwnd, nullptr, TRUE);
    return r;
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        SetWindowLongPtrA(hwnd, kColourOffset, 0);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the whole label, background included, is drawn in WM_PAINT
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_PRINTCLIENT:
        PaintTransparentLabel(hwnd, reinterpret_cast<HDC>(wp));
        return 0;
    case WM_SETFONT:
        SetWindowLongPtrA(hwnd, kFontOffset, static_cast<LONG_PTR>(wp));
        if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return GetWindowLongPtrA(hwnd, kFontOffset);
    case WM_SETTEXT:
        return OnSetText(hwnd, wp, lp);
    case WM_NCHITTEST:
        return HTCLIENT;  // unlike a static, the label takes its own mouse input
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

}  // namespace

bool RegisterTransparentLabelClass(HINSTANCE instance)
{
    WNDCLASSA wc{};
    if (GetClassInfoA(instance, kTransparentLabelClass, &wc)) return true;
    wc.lpfnWndProc = LabelProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kTransparentLabelClass;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR);
    return RegisterClassA(&wc) != 0;
}

void SetLabelTextColour(HWND label, COLORREF colour)
{
    SetWindowLongPtrA(label, kColourOffset, static_cast<LONG_PTR>(colour));
    InvalidateRect(label, nullptr, TRUE);
}

COLORREF LabelTextColour(HWND label)
{
    return static_cast<COLORREF>(GetWindowLongPtrA(label, kColourOffset));
}

void PaintTransparentLabel(HWND hwnd, HDC target)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    OffscreenBuffer buffer(target, rc.right, rc.bottom);
    HDC dc = buffer.Dc();

    // The parent decides what lies beneath: a plain parent answers with its
    // background brush, a skinned one with a brush cut from its picture at the
    // label's place (brush origin = the label's corner).
    HWND parent = GetParent(hwnd);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(parent ? parent : hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(hwnd)));
    if (!brush || brush == GetStockObject(NULL_BRUSH)) brush = GetSysColorBrush(COLOR_BTNFACE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    FillRect(dc, &rc, brush);

    int len = GetWindowTextLengthA(hwnd);
    std::vector<char> text(static_cast<size_t>(len) + 1);
    GetWindowTextA(hwnd, text.data(), len + 1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, LabelTextColour(hwnd));
    auto font = reinterpret_cast<HFONT>(GetWindowLongPtrA(hwnd, kFontOffset));
    ScopedSelect selectFont(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(dc, text.data(), len, &rc, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);

    BitBlt(target, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
}

}  // namespace orv
