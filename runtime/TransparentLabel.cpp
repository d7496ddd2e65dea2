#include "runtime/TransparentLabel.h"

#include <string>
#include <string_view>
#include <vector>

#include "gdiplus/GdiHandles.h"

namespace orv {

const char kTransparentLabelClass[] = "OrvTransparentLabel";

namespace {

// Window extra bytes: text colour, font, the kept image.
constexpr int kColourOffset = 0;
constexpr int kFontOffset = sizeof(LONG_PTR);
constexpr int kKeptOffset = 2 * sizeof(LONG_PTR);

// The label as last painted, and what it was painted from. Its background
// comes from the parent's brush: a skinned parent makes a new brush whenever
// what lies beneath changes, and a handle is never the same for two objects
// alive at once, so the same brush, text, colour, font and size mean the same
// pixels, copied instead of drawn again. A plain parent's brush is a system
// colour's: a change of the system colours (WM_SYSCOLORCHANGE) drops it.
struct KeptLabel {
    HBRUSH brush = nullptr;
    std::string text;
    COLORREF colour = 0;
    HFONT font = nullptr;
    SIZE size{};
    UniqueMemoryDc dc;
    UniqueBitmap bitmap;
    HGDIOBJ previous = nullptr;
    ~KeptLabel()
    {
        if (previous && dc) SelectObject(dc.Get(), previous);
    }
};

KeptLabel* KeptOf(HWND hwnd) { return reinterpret_cast<KeptLabel*>(GetWindowLongPtrA(hwnd, kKeptOffset)); }

// One line per CR LF, each a character height below the last: the label's
// lines are laid out for a 12-pixel face, and a substitute font with a taller
// line (WenQuanYi under Wine) would otherwise push the last line out of the
// label. Nothing wraps: a label shows its lines as written.
void DrawLabelLines(HDC dc, std::string_view text, const RECT& rc)
{
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int step = tm.tmHeight - tm.tmInternalLeading > 0 ? tm.tmHeight - tm.tmInternalLeading : tm.tmHeight;
    int y = rc.top;
    size_t start = 0;
    while (start <= text.size() && y < rc.bottom) {
        size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) {
            RECT line{rc.left, y, rc.right, rc.bottom};
            DrawTextA(dc, text.data() + start, static_cast<int>(end - start), &line,
                      DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        }
        y += step;
        start = end + 2;
    }
}

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
    case WM_NCDESTROY:
        delete KeptOf(hwnd);
        SetWindowLongPtrA(hwnd, kKeptOffset, 0);
        return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_SYSCOLORCHANGE:
        if (KeptLabel* kept = KeptOf(hwnd)) kept->brush = nullptr;
        InvalidateRect(hwnd, nullptr, TRUE);
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
    wc.cbWndExtra = 3 * sizeof(LONG_PTR);
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
    // The parent decides what lies beneath: a plain parent answers with its
    // background brush, a skinned one with a brush cut from its picture at the
    // label's place (brush origin = the label's corner). It is asked on the
    // target: what it sets there (colours, mode) is not used, as the label
    // is drawn in a buffer, made only when the kept image will not do.
    HWND parent = GetParent(hwnd);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(parent ? parent : hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(target),
                     reinterpret_cast<LPARAM>(hwnd)));
    if (!brush || brush == GetStockObject(NULL_BRUSH)) brush = GetSysColorBrush(COLOR_BTNFACE);

    const int len = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(len) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, &text[0], len + 1)));
    const COLORREF colour = LabelTextColour(hwnd);
    auto font = reinterpret_cast<HFONT>(GetWindowLongPtrA(hwnd, kFontOffset));
    KeptLabel* kept = KeptOf(hwnd);
    if (kept && kept->brush == brush && kept->text == text && kept->colour == colour &&
        kept->font == font && kept->size.cx == rc.right && kept->size.cy == rc.bottom) {
        BitBlt(target, 0, 0, rc.right, rc.bottom, kept->dc.Get(), 0, 0, SRCCOPY);
        return;
    }

    OffscreenBuffer buffer(target, rc.right, rc.bottom);
    HDC dc = buffer.Dc();
    SetBrushOrgEx(dc, 0, 0, nullptr);
    FillRect(dc, &rc, brush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    {
        ScopedSelect selectFont(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        DrawLabelLines(dc, text, rc);
    }
    BitBlt(target, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);

    if (!kept) {
        kept = new KeptLabel;
        SetWindowLongPtrA(hwnd, kKeptOffset, reinterpret_cast<LONG_PTR>(kept));
    }
    if (kept->size.cx != rc.right || kept->size.cy != rc.bottom || !kept->dc) {
        if (kept->previous && kept->dc) SelectObject(kept->dc.Get(), kept->previous);
        kept->previous = nullptr;
        kept->dc.Reset(CreateCompatibleDC(target));
        kept->bitmap.Reset(CreateCompatibleBitmap(target, rc.right > 0 ? rc.right : 1, rc.bottom > 0 ? rc.bottom : 1));
        if (kept->dc && kept->bitmap) kept->previous = SelectObject(kept->dc.Get(), kept->bitmap.Get());
    }
    if (!kept->previous) {
        kept->brush = nullptr;  // nothing kept
        return;
    }
    BitBlt(kept->dc.Get(), 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    kept->brush = brush;
    kept->text = std::move(text);
    kept->colour = colour;
    kept->font = font;
    kept->size = SIZE{rc.right, rc.bottom};
}

}  // namespace orv
