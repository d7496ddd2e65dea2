#include "skin/ContainerSkin.h"

#include <commctrl.h>

#include <string>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/ControlFont.h"
#include "skin/ControlFrame.h"
#include "skin/KeptFace.h"
#include "skin/Registry.h"
#include "skin/SkinDrawing.h"
#include "skin/SkinEngine.h"
#include "skin/SkinSettings.h"
#include "skin/ChildWindows.h"

namespace orv {

namespace {

constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kBlack = 0x00000000;

ContainerEntry* FindContainer(HWND container, int* windowIndex = nullptr)
{
    const int owner = static_cast<int>(GetProperty(container, kPropOwner));
    WindowSkinRecord* r = RecordAt(owner);
    ContainerEntry* e = r ? r->containers.Get(static_cast<int>(GetProperty(container, kPropIndex))) : nullptr;
    if (!e || e->hwnd != container) return nullptr;
    if (windowIndex) *windowIndex = owner;
    return e;
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], length + 1)));
    return text;
}

// Caption x of a group box by its alignment bits. A box with none of them
// puts it at the right, like BS_RIGHT.
float GroupCaptionX(LONG style, float width, float textWidth)
{
    const LONG align = style & (BS_LEFT | BS_RIGHT);
    if (align == BS_CENTER) return (width - textWidth) / 2;
    if (align == BS_LEFT) return 10;
    return width - textWidth - 10;
}

void DrawPanelFrame(gp::Graphics& g, float w, float h)
{
    gp::StrokeRoundRect(g, 0, 0, w - 1, h - 1, 5, gp::Argb(kBlack, 40));
    gp::StrokeRoundRect(g, 1, 1, w - 3, h - 3, 3, gp::Argb(kWhite, 100));
}

// The group box frame, then its caption over a clean piece of background so
// that the frame lines stop at the caption (clean is the capture before any
// drawing).
void DrawGroupBox(HWND box, const ContainerEntry& entry, HDC image, HDC clean, float w, float h)
{
    {
        gp::Graphics g;
        if (!g.CreateFromHDC(image)) return;
        gp::StrokeRoundRect(g, 0, 5, w - 1, h - 6, 5, gp::Argb(kBlack, 40));
        gp::StrokeRoundRect(g, 1, 6, w - 3, h - 8, 3, gp::Argb(kWhite, 90));
    }
    const std::string caption = WindowText(box);
    if (caption.empty()) return;
    gp::Font font;
    gp::StringFormat format;
    if (!MakeDrawingFont(font, entry.fontName, entry.fontSize, entry.fontStyle) || !format.Create()) return;
    format.SetAlign(Gdiplus::StringAlignmentCenter);
    gp::RectF measured;
    {
        gp::Graphics g;
        if (!g.CreateFromHDC(image)) return;
        g.MeasureString(caption.c_str(), font, gp::RectF(0, 0, 4096, 256), &format, &measured);
    }
    const float textWidth = std::ceil(measured.Width);
    const float x = std::floor(GroupCaptionX(GetWindowLongA(box, GWL_STYLE), w, textWidth));
    const float height = static_cast<float>(entry.fontSize + 3);
    // Cover the frame under the caption with the background again.
    const int left = static_cast<int>(x) < 0 ? 0 : static_cast<int>(x);
    const int right = static_cast<int>(x + textWidth) > static_cast<int>(w) ? static_cast<int>(w)
                                                                           : static_cast<int>(x + textWidth);
    if (right > left) BitBlt(image, left, 1, right - left, static_cast<int>(height), clean, left, 1, SRCCOPY);
    gp::Graphics g;
    if (!g.CreateFromHDC(image)) return;
    gp::SolidBrush brush(gp::Argb(static_cast<COLORREF>(GetProperty(box, kPropTextColour))));
    g.DrawString(caption.c_str(), font, gp::RectF(x, 1, textWidth, height), &format, brush);
}

// ---- message handlers --------------------------------------------------------

LRESULT OnPaint(HWND container, ContainerEntry& entry, WPARAM wParam, LPARAM lParam)
{
    if (entry.kind == 0) return CallPreviousProc(container, WM_PAINT, wParam, lParam);
    bool drawnAnew = false;
    {
        ScopedPaint paint(container);
        PaintContainer(container, paint.Get(), &drawnAnew);
    }
    // A paint after a size change already covers the children; any other
    // one that drew a new image has painted over the one they were drawn on,
    // so they repaint. The same image copied again changed nothing beneath
    // them.
    if (entry.resized) {
        entry.resized = 0;
    } else if (drawnAnew) {
        for (HWND child : ChildWindows(container))
            InvalidateRect(child, nullptr, TRUE);
    }
    return DefWindowProcA(container, WM_PAINT, 0, 0);
}

LRESULT OnEraseBackground(HWND container, const ContainerEntry& entry, HDC dc, LPARAM lParam)
{
    if (entry.kind == 0) return CallPreviousProc(container, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), lParam);
    SetBkMode(dc, TRANSPARENT);
    return 1;
}

bool TranslucentControls()
{
    return Skin().controlSkinning && Skin().translucentBackground;
}

// Edits and statics: a pattern brush of the image under the child, so its
// background shows the window's picture.
LRESULT OnCtlColorTranslucent(HWND container, int windowIndex, UINT message, HDC dc, HWND child)
{
    bool take = TranslucentControls() && child;
    if (take && message == WM_CTLCOLOREDIT && IsClass(GetParent(child), "ComboBox")) take = false;
    if (!take)
        return CallPreviousProc(container, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    SetTextColor(dc, static_cast<COLORREF>(GetProperty(child, kPropTextColour)));
    SetBkMode(dc, TRANSPARENT);
    WindowSkinRecord* r = RecordAt(windowIndex);
    HBRUSH brush = r ? BackgroundBrushFor(*r, child, ClientRectInWindow(child)) : nullptr;
    if (!brush)
        return CallPreviousProc(container, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    return reinterpret_cast<LRESULT>(brush);
}

LRESULT OnCtlColorNullBrush(HWND container, int windowIndex, UINT message, HDC dc, HWND child)
{
    bool take = TranslucentControls() && child;
    if (take && message == WM_CTLCOLORLISTBOX) {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        take = IsClass(child, "ListBox") && !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE));
    }
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!take || !r)
        return CallPreviousProc(container, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    SetTextColor(dc, static_cast<COLORREF>(GetProperty(child, kPropTextColour)));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ nullBrush = GetStockObject(NULL_BRUSH);
    SetControlBrush(*r, child, nullBrush, nullptr);
    return reinterpret_cast<LRESULT>(nullBrush);
}

LRESULT OnDrawItem(HWND container, int windowIndex, WPARAM wParam, LPARAM lParam)
{
    OwnerDrawPainter painter = GetOwnerDrawPainter();
    if (painter && lParam && painter(windowIndex, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
    return CallPreviousProc(container, WM_DRAWITEM, wParam, lParam);
}

LRESULT OnCommand(HWND container, WPARAM wParam, HWND child)
{
    if (TranslucentControls() && child) {
        const UINT code = HIWORD(wParam);
        bool invalidate = false;
        if (IsClass(child, "Edit"))
            invalidate = code == EN_HSCROLL || code == EN_VSCROLL || code == EN_CHANGE || code == EN_UPDATE;
        else if (IsClass(child, "ListBox"))
            invalidate = code == LBN_SELCHANGE || code == LBN_SELCANCEL;
        else if (IsClass(child, "ComboBox"))
            invalidate = code == CBN_KILLFOCUS || code == CBN_SELCHANGE;
        // The see-through background must be drawn again under new content.
        if (invalidate) InvalidateRect(child, nullptr, TRUE);
    }
    return CallPreviousProc(container, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(child));
}

LRESULT OnNotify(HWND container, WPARAM wParam, LPARAM lParam)
{
    if (lParam) {
        const NMHDR header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.code == TVN_ITEMEXPANDEDA || header.code == TVN_ITEMEXPANDINGA)
            InvalidateRect(header.hwndFrom, nullptr, TRUE);
    }
    return CallPreviousProc(container, WM_NOTIFY, wParam, lParam);
}

LRESULT OnShowWindow(HWND container, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallPreviousProc(container, WM_SHOWWINDOW, wParam, lParam);
    if (wParam) result = DefWindowProcA(container, WM_SHOWWINDOW, wParam, lParam);
    return result;
}

}  // namespace

bool IsGroupBox(HWND window)
{
    return IsClass(window, "Button") && (GetWindowLongA(window, GWL_STYLE) & 0x4) != 0;
}

bool PaintContainer(HWND container, HDC target, bool* drawnAnew)
{
    if (drawnAnew) *drawnAnew = false;
    ContainerEntry* found = FindContainer(container);
    if (!found || !target) return false;
    const ContainerEntry entry = *found;
    const RECT client = ClientRectInWindow(container);
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return false;
    const LONG style = GetWindowLongA(container, GWL_STYLE);
    FaceKey key;
    key.Add(static_cast<uint32_t>(entry.groupBox)).Add(static_cast<uint32_t>(entry.frameFlag));
    if (entry.groupBox) {
        key.Add(WindowText(container)).Add(entry.fontName).Add(static_cast<uint32_t>(entry.fontSize));
        key.Add(static_cast<uint32_t>(entry.fontStyle)).Add(static_cast<uint32_t>(style & (BS_LEFT | BS_RIGHT)));
        key.Add(GetProperty(container, kPropTextColour));
    }
    KeptFace kept(container, client, key.Value());
    if (HDC image = kept.Image()) {
        BlitUnderChildrenAndSiblings(container, target, width, height, image);
        return true;
    }
    BackgroundCapture capture(container, client);
    if (!capture.Dc()) return false;
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    if (entry.groupBox) {
        // A second copy of the untouched background for the caption gap.
        BackgroundCapture clean(container, client);
        if (!clean.Dc()) return false;
        DrawGroupBox(container, entry, capture.Dc(), clean.Dc(), w, h);
    } else if (entry.frameFlag) {
        gp::Graphics g;
        if (g.CreateFromHDC(capture.Dc())) DrawPanelFrame(g, w, h);
    }
    BlitUnderChildrenAndSiblings(container, target, width, height, capture.Dc());
    kept.Keep(capture);
    if (drawnAnew) *drawnAnew = true;
    return true;
}

LRESULT CALLBACK ContainerWindowProc(HWND container, UINT message, WPARAM wParam, LPARAM lParam)
{
    int windowIndex = 0;
    ContainerEntry* entry = FindContainer(container, &windowIndex);
    if (!entry) return CallPreviousProc(container, message, wParam, lParam);
    switch (message) {
    case WM_SHOWWINDOW: return OnShowWindow(container, wParam, lParam);
    case WM_MOVE:
        InvalidateRect(container, nullptr, FALSE);
        return CallPreviousProc(container, message, wParam, lParam);
    case WM_PAINT: return OnPaint(container, *entry, wParam, lParam);
    case WM_ERASEBKGND: return OnEraseBackground(container, *entry, reinterpret_cast<HDC>(wParam), lParam);
    case WM_SIZE:
        entry->resized = 1;
        return CallPreviousProc(container, message, wParam, lParam);
    case WM_DRAWITEM: return OnDrawItem(container, windowIndex, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return OnCtlColorTranslucent(container, windowIndex, message, reinterpret_cast<HDC>(wParam),
                                     reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        return OnCtlColorNullBrush(container, windowIndex, message, reinterpret_cast<HDC>(wParam),
                                   reinterpret_cast<HWND>(lParam));
    case WM_COMMAND: return OnCommand(container, wParam, reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: return OnNotify(container, wParam, lParam);
    default: return CallPreviousProc(container, message, wParam, lParam);
    }
}

void SkinContainer(HWND control, Opt<int> kind, Opt<COLORREF> fillColour, Opt<int> fillAlpha, Opt<int> frameFlag)
{
    if (!IsWindow(control)) return;
    const int windowIndex = OwningWindow(control);
    WindowSkinRecord* r = RecordAt(windowIndex);
    // A control that a control skin already paints (a combo box or a list
    // view reached through SubclassControl for having children) keeps that
    // skin: it is not made a container as well.
    if (!r || r->containers.Find(control) || HasSkinProcedure(control)) return;

    const CapturedFont font = CaptureControlFont(control, true);
    const int index = r->containers.Take();
    ContainerEntry* e = r->containers.Get(index);
    e->hwnd = control;
    e->fillColour = fillColour.Or(0);
    e->fillAlpha = static_cast<BYTE>(fillAlpha.Or(255));
    e->frameFlag = frameFlag.Or(0);
    e->groupBox = IsGroupBox(control) ? 1 : 0;
    e->kind = kind.Or(1);
    e->fontName = font.face;
    e->fontSize = font.size > 0 ? font.size : 12;
    e->fontStyle = font.style;

    RunControlInstallers(windowIndex, control);

    // The installers may have grown other tables, never this one, so the
    // index still holds.
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ContainerWindowProc)));
    r = RecordAt(windowIndex);
    r->containers.Get(index)->previousProc = previous;
    SetProperty(control, kPropProc, reinterpret_cast<uintptr_t>(previous));
    SetProperty(control, kPropIndex, static_cast<uintptr_t>(index));
    SetProperty(control, kPropOwner, static_cast<uintptr_t>(windowIndex));
    InvalidateRect(control, nullptr, TRUE);
}

void SetContainerFillAlpha(HWND control, BYTE alpha)
{
    ContainerEntry* e = FindContainer(control);
    if (!e || e->fillColour == 0) return;
    e->fillAlpha = alpha;
    InvalidateRect(control, nullptr, TRUE);
}

}  // namespace orv
