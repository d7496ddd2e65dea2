#include "skin/LabelSkin.h"

#include <string>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/ControlFont.h"
#include "skin/HaloText.h"
#include "skin/Registry.h"
#include "skin/SkinDrawing.h"
#include "skin/SkinSettings.h"

namespace orv {

namespace {

LabelEntry* FindLabel(HWND label)
{
    WindowSkinRecord* r = RecordAt(static_cast<int>(GetProperty(label, kPropOwner)));
    LabelEntry* e = r ? r->labels.Get(static_cast<int>(GetProperty(label, kPropIndex))) : nullptr;
    return e && e->hwnd == label ? e : nullptr;
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], length + 1)));
    return text;
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

int KindOf(LONG style)
{
    if ((style & SS_ICON) == SS_ICON) return kLabelIcon;
    if ((style & SS_BITMAP) == SS_BITMAP) return kLabelBitmap;
    return kLabelText;
}

int PlacementOf(LONG style)
{
    if (style & SS_CENTERIMAGE) return kPlaceCentre;
    if (style & 0x40) return kPlaceStretch;
    if (style & SS_RIGHTJUST) return kPlaceRight;
    return kPlaceTopLeft;
}

HICON LabelIcon(HWND label)
{
    return reinterpret_cast<HICON>(SendMessageA(label, STM_GETICON, 0, 0));
}

HBITMAP LabelBitmap(HWND label)
{
    return reinterpret_cast<HBITMAP>(SendMessageA(label, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

void DrawLabelText(HWND label, const LabelEntry& entry, HDC image, int width, int height)
{
    gp::Graphics g;
    if (!g.CreateFromHDC(image)) return;
    const std::string text = WindowText(label);
    HaloTextOptions options;
    options.fontFace = entry.fontName.c_str();
    options.fontStyle = entry.fontStyle;
    options.fontSize = static_cast<float>(entry.fontSize);
    const gp::RectF layout(-2.0f, 2.0f, static_cast<float>(width + entry.fontSize + 10), static_cast<float>(height));
    DrawHaloText(g, text.c_str(), layout, 0x00000000, 0x00FFFFFF, 4, options);
}

void DrawLabelBitmap(HWND label, const LabelEntry& entry, HDC image, int width, int height)
{
    gp::Bitmap picture;
    HBITMAP bitmap = LabelBitmap(label);
    if (bitmap) {
        if (!picture.CreateFromHBITMAP(bitmap)) return;
    } else if (HICON icon = LabelIcon(label)) {
        if (!picture.CreateFromHICON(icon)) return;
    } else {
        return;
    }
    UINT pw = 0, ph = 0;
    picture.GetSize(&pw, &ph);
    const float w = static_cast<float>(pw), h = static_cast<float>(ph);
    gp::Graphics g;
    if (!g.CreateFromHDC(image)) return;
    switch (entry.placement) {
    case kPlaceStretch: g.DrawImage(picture, 0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)); break;
    case kPlaceCentre: g.DrawImage(picture, (width - w) / 2, (height - h) / 2, w, h); break;
    case kPlaceRight: g.DrawImage(picture, width - w, 0.0f, w, h); break;
    default: g.DrawImage(picture, 0.0f, 0.0f, w, h); break;
    }
}

void DrawLabelIcon(HWND label, const LabelEntry& entry, HDC image, int width, int height)
{
    HICON icon = LabelIcon(label);
    if (!icon) return;
    // Drawn from a copy that this paint owns.
    UniqueIcon copy(CopyIcon(icon));
    if (!copy) return;
    if (entry.placement == kPlaceStretch)
        DrawIconEx(image, 0, 0, copy.Get(), width, height, 0, nullptr, DI_NORMAL);
    else
        DrawIcon(image, 0, 0, copy.Get());
}

// A label with nothing of the skin's to draw (an image label without an
// image, a blank text label) paints itself over the background.
bool PaintsItself(HWND label, const LabelEntry& entry)
{
    if (entry.kind == kLabelText) return IsBlank(WindowText(label));
    return !LabelIcon(label) && !LabelBitmap(label);
}

LRESULT OnPaint(HWND label, const LabelEntry& entry)
{
    if (PaintsItself(label, entry)) {
        const RECT client = ClientRectInWindow(label);
        BackgroundCapture capture(label, client);
        ScopedPaint paint(label);
        if (capture.Dc()) {
            CallPreviousProc(label, WM_PAINT, reinterpret_cast<WPARAM>(capture.Dc()), 0);
            BitBlt(paint.Get(), 0, 0, capture.Width(), capture.Height(), capture.Dc(), 0, 0, SRCCOPY);
        }
        return 0;
    }
    {
        ScopedPaint paint(label);
        PaintLabel(label, paint.Get());
    }
    return DefWindowProcA(label, WM_PAINT, 0, 0);
}

LRESULT OnDestroy(HWND label, WPARAM wParam, LPARAM lParam)
{
    // Objects handed out at WM_CTLCOLOR* to this label.
    if (HGDIOBJ brush = reinterpret_cast<HGDIOBJ>(GetProperty(label, kPropBrush))) {
        if (brush != GetStockObject(NULL_BRUSH)) {
            WindowSkinRecord* r = RecordAt(static_cast<int>(GetProperty(label, kPropOwner)));
            if (r) SetControlBrush(*r, label, nullptr, nullptr);
        }
    }
    return CallPreviousProc(label, WM_DESTROY, wParam, lParam);
}

LRESULT OnSetText(HWND label, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallPreviousProc(label, WM_SETTEXT, wParam, lParam);
    InvalidateRect(label, nullptr, TRUE);
    UpdateWindow(label);
    return result;
}

}  // namespace

bool PaintLabel(HWND label, HDC target)
{
    LabelEntry* found = FindLabel(label);
    if (!found || !target) return false;
    const LabelEntry entry = *found;
    const RECT client = ClientRectInWindow(label);
    BackgroundCapture capture(label, client);
    if (!capture.Dc()) return false;
    const int width = capture.Width(), height = capture.Height();
    switch (entry.kind) {
    case kLabelIcon: DrawLabelIcon(label, entry, capture.Dc(), width, height); break;
    case kLabelBitmap: DrawLabelBitmap(label, entry, capture.Dc(), width, height); break;
    default: DrawLabelText(label, entry, capture.Dc(), width, height); break;
    }
    BlitExcludingChildren(label, target, width, height, capture.Dc());
    return true;
}

LRESULT CALLBACK LabelWindowProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam)
{
    LabelEntry* entry = FindLabel(label);
    if (!entry) return CallPreviousProc(label, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY: return OnDestroy(label, wParam, lParam);
    case WM_MOVE:
        InvalidateRect(label, nullptr, TRUE);
        return CallPreviousProc(label, message, wParam, lParam);
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, static_cast<COLORREF>(GetProperty(label, kPropTextColour)));
        return CallPreviousProc(label, message, wParam, lParam);
    }
    case WM_PAINT: return OnPaint(label, *entry);
    case WM_SETTEXT: return OnSetText(label, wParam, lParam);
    default: return CallPreviousProc(label, message, wParam, lParam);
    }
}

void SkinLabels(int windowIndex, HWND parent)
{
    if (!Skin().controlSkinning || !RecordAt(windowIndex)) return;
    ForEachChildOfClass(parent, "Static", [&](HWND child) {
        WindowSkinRecord* r = RecordAt(windowIndex);
        if (r->labels.Find(child)) return;
        CapturedFont font = CaptureControlFont(child, true);
        if (font.face.empty()) font = CaptureControlFont(parent, true);
        if (font.face.empty()) font = CapturedFont{"宋体", 12, 0};
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        const int index = InstallControl(windowIndex, r->labels, child, LabelWindowProc);
        LabelEntry* e = r->labels.Get(index);
        e->kind = KindOf(style);
        e->placement = e->kind == kLabelText ? kPlaceTopLeft : PlacementOf(style);
        e->fontName = font.face;
        e->fontSize = font.size > 0 ? font.size : 12;
        e->fontStyle = font.style;
        InvalidateRect(child, nullptr, TRUE);
    });
}

}  // namespace orv
