#include "skin/ComboSkin.h"

#include <string>
#include <vector>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "resources/Resources.h"
#include "skin/BackgroundCapture.h"
#include "skin/ControlFont.h"
#include "skin/ControlFrame.h"
#include "skin/EditSkin.h"

namespace orv {

namespace {

ControlRef<ComboEntry> ComboOf(HWND combo) { return FindControl(combo, &WindowSkinRecord::combos); }

HWND InnerEdit(HWND combo) { return FindWindowExA(combo, nullptr, "Edit", nullptr); }

gp::RectF RectFOf(const RECT& r)
{
    return gp::RectF(static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right - r.left),
                     static_cast<float>(r.bottom - r.top));
}

// The rectangle of child inside parent's window rectangle.
RECT ChildRect(HWND parent, HWND child)
{
    RECT p{}, c{};
    GetWindowRect(parent, &p);
    GetWindowRect(child, &c);
    OffsetRect(&c, -p.left, -p.top);
    return c;
}

// The children show through: their areas become the transparent key.
void KeyOutChildren(gp::Graphics& g, HWND combo, LONG style)
{
    gp::SolidBrush key(kKeyArgb);
    for (HWND child = GetWindow(combo, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r = ChildRect(combo, child);
        if ((style & 1) && IsClass(child, "ComboLBox")) InflateRect(&r, -2, -2);
        g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        g.FillRectangle(key, RectFOf(r));
        g.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
        if (!(style & 1)) break;  // only the inner edit
    }
}

void PaintDropButton(gp::Graphics& g, const RECT& button, bool hot)
{
    const COLORREF accent = Skin().accentColor;
    const float x = static_cast<float>(button.left);
    const float y = static_cast<float>(button.top);
    const float bw = static_cast<float>(button.right - button.left);
    const float bh = static_cast<float>(button.bottom - button.top);
    gp::StrokeRoundRect(g, x, y, bw - 1, bh - 1, 4, hot ? gp::Argb(accent, 200) : gp::Argb(RGB(0, 0, 0), 80));
    if (hot)
        gp::FillRoundRectGradient(g, x + 1, y + 1, bw - 3, bh - 3, 1, gp::Argb(RGB(255, 255, 255), 100),
                                  gp::Argb(accent, 150));
    else
        gp::FillRoundRectGradient(g, x + 1, y + 1, bw - 3, bh - 3, 1, gp::Argb(accent, 30), gp::Argb(accent, 100));
    std::string_view arrow = StoredBytes(IDR_COMBO_ARROW);
    UINT aw = 0, ah = 0;
    if (!arrow.empty() && gp::PictureSize(arrow.data(), arrow.size(), &aw, &ah)) {
        float ax = x + static_cast<float>(static_cast<int>((bw - aw) / 2));
        float ay = y + static_cast<float>(static_cast<int>((bh - ah) / 2));
        gp::DrawPicture(g, arrow.data(), arrow.size(), ax, ay, static_cast<float>(aw), static_cast<float>(ah));
    }
}

void PaintComboText(gp::Graphics& g, HWND combo, int w, int h)
{
    int length = GetWindowTextLengthA(combo);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(combo, text.data(), length + 1);
    HWND colourSource = InnerEdit(combo);
    COLORREF colour = static_cast<COLORREF>(GetProperty(colourSource ? colourSource : combo, kPropTextColour));
    gp::Font font;
    if (!font.Create("宋体", PixelsForPoints(12), 0, Gdiplus::UnitPixel)) return;
    gp::SolidBrush brush(gp::Argb(colour));
    gp::RectF layout(2.0f, static_cast<float>((h - 12) / 2), static_cast<float>(w - 17), static_cast<float>(h - 4));
    g.DrawString(text.data(), font, layout, nullptr, brush);
}

LRESULT OnMouseMove(HWND combo, ControlRef<ComboEntry> ref, WPARAM wParam, LPARAM lParam)
{
    if (TrackControlHover(*ref.record, combo, kHotCombo, ref.index)) PaintCombo(combo, true);
    return CallPreviousProc(combo, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT OnMouseLeave(HWND combo, ControlRef<ComboEntry> ref, WPARAM wParam, LPARAM lParam)
{
    LeaveControlHover(*ref.record);
    PaintCombo(combo, false);
    return CallPreviousProc(combo, WM_MOUSELEAVE, wParam, lParam);
}

LRESULT OnPaint(HWND combo)
{
    {
        ScopedPaint paint(combo);
        PaintCombo(combo, false);
    }
    // The combo box's own painting is never called.
    return DefWindowProcA(combo, WM_PAINT, 0, 0);
}

LRESULT OnSetText(HWND combo, WPARAM wParam, LPARAM lParam)
{
    if (HWND edit = InnerEdit(combo)) InvalidateRect(edit, nullptr, TRUE);
    return CallPreviousProc(combo, WM_SETTEXT, wParam, lParam);
}

// The inner edit's background: the image under it as a pattern brush, text
// in the edit's own colour.
LRESULT OnCtlColorEdit(HWND combo, ControlRef<ComboEntry> ref, HDC dc, HWND edit)
{
    SetTextColor(dc, static_cast<COLORREF>(GetProperty(edit, kPropTextColour)));
    SetBkMode(dc, TRANSPARENT);
    SetControlBrush(*ref.record, edit, nullptr, nullptr);
    // The brush origin is the client area's origin, so capture exactly that.
    RECT client{};
    GetClientRect(edit, &client);
    RECT screen{};
    GetWindowRect(edit, &screen);
    POINT origin{0, 0};
    ClientToScreen(edit, &origin);
    OffsetRect(&client, origin.x - screen.left, origin.y - screen.top);
    HBITMAP bitmap = nullptr;
    {
        BackgroundCapture capture(edit, client);
        if (capture.Dc()) {
            gp::Graphics g;
            if (g.CreateFromHDC(capture.Dc())) {
                gp::SolidBrush wash(gp::Argb(RGB(255, 255, 255), BackgroundWashAlpha()));
                g.FillRectangle(wash, 0, 0, capture.Width(), capture.Height());
            }
            g.Delete();
            bitmap = capture.DetachBitmap();
        }
    }
    HBRUSH brush = bitmap ? CreatePatternBrush(bitmap) : nullptr;
    SetControlBrush(*ref.record, edit, brush, bitmap);
    if (!brush)
        return CallPreviousProc(combo, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    return reinterpret_cast<LRESULT>(brush);
}

LRESULT OnCommand(HWND combo, WPARAM wParam, LPARAM lParam)
{
    const WORD code = HIWORD(wParam);
    auto sender = reinterpret_cast<HWND>(lParam);
    if (Skin().controlSkinning && Translucent() && sender && IsClass(sender, "Edit") &&
        (code == EN_HSCROLL || code == EN_VSCROLL || code == EN_CHANGE || code == EN_UPDATE))
        InvalidateRect(sender, nullptr, TRUE);
    return CallPreviousProc(combo, WM_COMMAND, wParam, lParam);
}

}  // namespace

void PaintCombo(HWND combo, bool hot)
{
    const RECT window = WindowRectAtOrigin(combo);
    const int w = window.right;
    const int h = window.bottom;
    if (w <= 0 || h <= 0) return;
    const LONG style = GetWindowLongA(combo, GWL_STYLE);
    const bool dropDownList = (style & 3) == 3;
    const int buttonWidth = dropDownList ? 17 : 18;
    const RECT button{w - buttonWidth - 2, 2, w - 2, h - 2};

    BackgroundCapture capture(combo, window);
    if (!capture.Dc()) return;
    {
        gp::Graphics g;
        if (!g.CreateFromHDC(capture.Dc())) return;
        if (Translucent()) {
            gp::SolidBrush wash(gp::Argb(RGB(255, 255, 255), BackgroundWashAlpha()));
            g.FillRectangle(wash, 0, 0, w, h);
        } else {
            g.Clear(0xFFFFFFFF);
        }
        KeyOutChildren(g, combo, style);
        const COLORREF accent = Skin().accentColor;
        ControlRef<ComboEntry> ref = ComboOf(combo);
        const bool focused = ref && ref.entry->focused;
        gp::Pen border(hot || focused ? gp::Argb(accent, 200) : gp::Argb(RGB(0, 0, 0), 80), 1.0f);
        g.DrawRectangle(border, 0, 0, w - 1, h - 1);
        if (style & 2) PaintDropButton(g, button, hot);
        if (style & 1) PaintComboText(g, combo, w, h);
    }
    ScopedGetDc windowDc(combo, true);
    if (windowDc.Get()) TransparentBlt(windowDc.Get(), 0, 0, w, h, capture.Dc(), 0, 0, w, h, kKeyColour);
}

LRESULT CALLBACK ComboSkinProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam)
{
    ControlRef<ComboEntry> ref = ComboOf(combo);
    if (!ref) return CallPreviousProc(combo, message, wParam, lParam);
    switch (message) {
    case WM_MOUSEMOVE: return OnMouseMove(combo, ref, wParam, lParam);
    case WM_MOUSELEAVE: return OnMouseLeave(combo, ref, wParam, lParam);
    case WM_MOVE:
        PaintCombo(combo, false);
        break;
    case WM_NCPAINT:
        PaintCombo(combo, false);
        return DefWindowProcA(combo, message, wParam, lParam);
    case WM_ERASEBKGND: SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT); break;
    case WM_PAINT: return OnPaint(combo);
    case WM_SETFOCUS:
        ref.entry->focused = 1;
        PaintCombo(combo, false);  // the focus draws the accent border
        break;
    case WM_KILLFOCUS: ref.entry->focused = 0; break;
    case WM_SETTEXT: return OnSetText(combo, wParam, lParam);
    case WM_CTLCOLOREDIT:
        return OnCtlColorEdit(combo, ref, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND: return OnCommand(combo, wParam, lParam);
    default: break;
    }
    return CallPreviousProc(combo, message, wParam, lParam);
}

void InstallCombo(int windowIndex, HWND combo)
{
    WindowSkinRecord* record = RecordAt(windowIndex);
    if (!record || HasSkinProcedure(combo)) return;
    // The current selection's text becomes the window text, so the skin's
    // text painting and the inner edit show it from the start.
    LRESULT selection = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selection >= 0) {
        LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0);
        if (length >= 0) {
            std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
            SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(selection), reinterpret_cast<LPARAM>(text.data()));
            SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
        }
    }
    InstallControl(windowIndex, record->combos, combo, ComboSkinProc);
    if (Translucent()) {
        if (HWND edit = InnerEdit(combo)) InstallEdit(windowIndex, edit);
    }
}

}  // namespace orv
