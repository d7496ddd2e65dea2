// Header skin (standalone headers and the header of every list view): a
// washed background, accent item faces, item icons and texts.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <cmath>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/CommonControlSkins.h"
#include "skin/ControlFrame.h"
#include "skin/SkinPainting.h"

namespace orv {

namespace {

ControlRef<HeaderEntry> HeaderOf(HWND control) { return FindControl(control, &WindowSkinRecord::headers); }

int ItemAt(HWND header, int x, int y)
{
    HDHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    LRESULT item = SendMessageA(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return (hit.flags & HHT_ONHEADER) ? static_cast<int>(item) : -1;
}

// The header's font as GDI+ wants it: face, size in pixels, style bits. The
// size is the font's own height in pixels, which is what the header shows at
// any DPI (a size in points would grow with the DPI inside the header's
// fixed height).
void CaptureFont(HWND header, HeaderEntry& entry)
{
    auto font = reinterpret_cast<HFONT>(SendMessageA(header, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA lf{};
    if (!GetObjectA(font, sizeof(lf), &lf)) return;
    entry.fontName = lf.lfFaceName;
    if (lf.lfHeight != 0) entry.fontSize = std::fabs(static_cast<float>(lf.lfHeight));
    entry.fontStyle = (lf.lfWeight >= FW_BOLD ? Gdiplus::FontStyleBold : 0) |
                      (lf.lfItalic ? Gdiplus::FontStyleItalic : 0);
}

void PaintItemFace(gp::Graphics& g, const RECT& r, bool hot, bool pressed)
{
    const COLORREF accent = Skin().accentColor;
    const float x = static_cast<float>(r.left);
    const float y = static_cast<float>(r.top);
    const float w = static_cast<float>(r.right - r.left);
    const float h = static_cast<float>(r.bottom - r.top);
    if (hot || pressed) {
        gp::FillRectGradient(g, x, y, w, h / 2, gp::Argb(accent, 60), gp::Argb(accent, 10));
        gp::FillRectGradient(g, x, y + h / 2, w, h - h / 2, pressed ? gp::Argb(accent, 120) : gp::Argb(RGB(255, 255, 255), 80),
                             pressed ? gp::Argb(RGB(255, 255, 255), 80) : gp::Argb(accent, 120));
    } else {
        gp::FillRectGradient(g, x, y, w, h, gp::Argb(accent, 60), gp::Argb(RGB(0, 0, 0), 30));
    }
    // Separator at the item's right edge.
    gp::Pen separator(gp::Argb(RGB(0, 0, 0), 50), 1.0f);
    g.DrawLine(separator, x + w - 1, y + 3, x + w - 1, y + h - 4);
}

// The icon of an HDF_IMAGE item; returns the width it took.
int PaintItemIcon(gp::Graphics& g, HIMAGELIST images, int image, const RECT& r)
{
    if (!images || image < 0) return 0;
    UniqueIcon icon(ImageList_GetIcon(images, image, ILD_NORMAL));
    if (!icon) return 0;
    int iw = 0, ih = 0;
    ImageList_GetIconSize(images, &iw, &ih);
    gp::Bitmap bitmap;
    if (!bitmap.CreateFromHICON(icon.Get())) return 0;
    const int y = r.top + (r.bottom - r.top - ih) / 2;
    g.DrawImage(bitmap, static_cast<float>(r.left + 4), static_cast<float>(y), static_cast<float>(iw),
                static_cast<float>(ih));
    return iw + 4;
}

void PaintItemText(gp::Graphics& g, const HeaderEntry& entry, const char* text, int format, const RECT& r)
{
    if (!text[0]) return;
    gp::Font font;
    if (!font.Create(entry.fontName.empty() ? "宋体" : entry.fontName.c_str(), entry.fontSize, entry.fontStyle,
                     Gdiplus::UnitPixel))
        return;
    gp::StringFormat layout;
    layout.Create(Gdiplus::StringFormatFlagsNoWrap);
    layout.SetLineAlign(Gdiplus::StringAlignmentCenter);
    layout.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    const int align = format & HDF_JUSTIFYMASK;
    layout.SetAlign(align == HDF_CENTER  ? Gdiplus::StringAlignmentCenter
                    : align == HDF_RIGHT ? Gdiplus::StringAlignmentFar
                                         : Gdiplus::StringAlignmentNear);
    COLORREF colour = static_cast<COLORREF>(GetProperty(entry.hwnd, kPropTextColour));
    gp::SolidBrush brush(gp::Argb(colour));
    gp::RectF box(static_cast<float>(r.left + 4), static_cast<float>(r.top), static_cast<float>(r.right - r.left - 8),
                  static_cast<float>(r.bottom - r.top));
    g.DrawString(text, font, box, &layout, brush);
}

LRESULT OnMouseMove(HWND header, ControlRef<HeaderEntry> ref, WPARAM wParam, LPARAM lParam)
{
    const bool becameHot = TrackControlHover(*ref.record, header, kHotHeader, ref.index);
    const int item = ItemAt(header, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (becameHot || item != ref.entry->hotItem) {
        ref.entry->hotItem = item;
        PaintHeader(header);
    }
    return CallPreviousProc(header, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT OnMouseLeave(HWND header, ControlRef<HeaderEntry> ref, WPARAM wParam, LPARAM lParam)
{
    LeaveControlHover(*ref.record);
    ref.entry->hotItem = -1;
    PaintHeader(header);
    return CallPreviousProc(header, WM_MOUSELEAVE, wParam, lParam);
}

LRESULT OnButton(HWND header, ControlRef<HeaderEntry> ref, UINT message, WPARAM wParam, LPARAM lParam)
{
    ref.entry->pressedItem =
        message == WM_LBUTTONDOWN ? ItemAt(header, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)) : -1;
    return CallPreviousProc(header, message, wParam, lParam);
}

LRESULT OnPaint(HWND header)
{
    {
        ScopedPaint paint(header);
        PaintHeader(header);
    }
    return DefWindowProcA(header, WM_PAINT, 0, 0);
}

LRESULT OnNcDestroy(HWND header, HeaderEntry& entry, WPARAM wParam, LPARAM lParam)
{
    // The image list belongs to whoever gave it to the header (the list
    // view, the program); destroying it here would pull it from under them.
    entry.imageList = nullptr;
    return CallPreviousProc(header, WM_NCDESTROY, wParam, lParam);
}

void InstallHeader(int windowIndex, HWND header)
{
    WindowSkinRecord* record = RecordAt(windowIndex);
    if (!record || HasSkinProcedure(header)) return;
    int index = InstallControl(windowIndex, record->headers, header, HeaderSkinProc);
    HeaderEntry* entry = record->headers.Get(index);
    entry->buttons = (GetWindowLongA(header, GWL_STYLE) & HDS_BUTTONS) ? 1 : 0;
    entry->imageList = reinterpret_cast<HIMAGELIST>(SendMessageA(header, HDM_GETIMAGELIST, 0, 0));
    CaptureFont(header, *entry);
}

}  // namespace

void PaintHeader(HWND header)
{
    ControlRef<HeaderEntry> ref = HeaderOf(header);
    if (!ref) return;
    const HeaderEntry& entry = *ref.entry;
    const RECT window = WindowRectAtOrigin(header);
    const int w = window.right;
    const int h = window.bottom;
    if (w <= 0 || h <= 0) return;
    int backgroundWidth = w;
    HWND parent = GetParent(header);
    if (parent && IsClass(parent, "SysListView32")) {
        RECT client{};
        GetClientRect(parent, &client);
        backgroundWidth = client.right;
    }
    BackgroundCapture capture(header, window);
    if (!capture.Dc()) return;
    {
        gp::Graphics g;
        if (!g.CreateFromHDC(capture.Dc())) return;
        gp::SolidBrush background(gp::Argb(RGB(255, 255, 255), BackgroundWashAlpha()));
        g.FillRectangle(background, 0, 0, backgroundWidth, h);
        const int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
        // The list the header holds now: its owner may have replaced (and
        // destroyed) the one seen when the header was skinned.
        auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(header, HDM_GETIMAGELIST, 0, 0));
        for (int i = 0; i < count; ++i) {
            RECT r{};
            if (!SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
            char text[260] = {};
            HDITEMA item{};
            item.mask = HDI_TEXT | HDI_IMAGE | HDI_WIDTH | HDI_FORMAT;
            item.pszText = text;
            item.cchTextMax = sizeof(text);
            SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            PaintItemFace(g, r, i == entry.hotItem, i == entry.pressedItem);
            RECT textRect = r;
            if (item.fmt & HDF_IMAGE) textRect.left += PaintItemIcon(g, images, item.iImage, r);
            PaintItemText(g, entry, text, item.fmt, textRect);
        }
    }
    BlitToWindow(header, capture.Dc(), w, h);
}

LRESULT CALLBACK HeaderSkinProc(HWND header, UINT message, WPARAM wParam, LPARAM lParam)
{
    ControlRef<HeaderEntry> ref = HeaderOf(header);
    if (!ref) return CallPreviousProc(header, message, wParam, lParam);
    switch (message) {
    case WM_MOUSEMOVE: return OnMouseMove(header, ref, wParam, lParam);
    case WM_MOUSELEAVE: return OnMouseLeave(header, ref, wParam, lParam);
    case WM_MOVE: PaintHeader(header); break;
    case WM_ERASEBKGND: SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT); break;
    case WM_PAINT: return OnPaint(header);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return OnButton(header, ref, message, wParam, lParam);
    case WM_NCDESTROY: return OnNcDestroy(header, *ref.entry, wParam, lParam);
    default: break;
    }
    return CallPreviousProc(header, message, wParam, lParam);
}

void SkinHeaders(int windowIndex, HWND parent)
{
    if (!Skin().controlSkinning) return;
    ForEachChildOfClass(parent, WC_HEADERA, [windowIndex](HWND header) { InstallHeader(windowIndex, header); });
    ForEachChildOfClass(parent, WC_LISTVIEWA, [windowIndex](HWND view) {
        if (HWND header = FindWindowExA(view, nullptr, WC_HEADERA, nullptr)) InstallHeader(windowIndex, header);
    });
}

}  // namespace orv
