#include "skin/MessageBoxPaint.h"

#include <string>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/GlowText.h"
#include "skin/Registry.h"
#include "skin/SkinSettings.h"
#include "skin/ChildWindows.h"

namespace orv {

namespace {

constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kBlack = 0x00000000;
constexpr COLORREF kRed = 0x000000FF;
constexpr int kIconX = 5, kIconY = 5, kIconSize = 17;
constexpr int kCaptionX = kIconSize + 8;
constexpr int kCaptionHeight = 30;
// Under the close button the title gradient is laid over a taller band than
// the box's own, as the button's look was drawn.
constexpr int kCloseBand = 30;
constexpr int kCloseImageTop = 3;

SIZE WindowSize(HWND window)
{
    RECT rc{};
    GetWindowRect(window, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// The old cache goes, a 32-bit image of the window's size takes its place
// in the record and in Ck_Ycjdx / Ck_wtjbdx.
bool ReplaceCache(WindowSkinRecord& record, int width, int height)
{
    DeleteKeptDc(record.frameCache);
    const KeptDc kept = MakeKeptDc(width, height);
    record.frameCache = kept;
    ++record.frameGeneration;
    SetProperty(record.window, kPropCacheDc, reinterpret_cast<uintptr_t>(kept.dc));
    SetProperty(record.window, kPropCacheBitmap, reinterpret_cast<uintptr_t>(kept.bitmap));
    return kept.dc != nullptr;
}

// The box's layers over one area: the back colour, opaque and again at 220,
// the white wash and the title gradient of bandHeight rows.
void PaintBackdrop(gp::Graphics& g, const gp::RectF& area, float bandWidth, float bandHeight)
{
    const COLORREF back = Skin().defaultBackColour;
    gp::SolidBrush opaque(gp::Argb(back));
    gp::SolidBrush translucent(gp::Argb(back, 220));
    gp::SolidBrush wash(gp::Argb(kWhite, 100));
    g.FillRectangle(opaque, area);
    g.FillRectangle(translucent, area);
    g.FillRectangle(wash, area);
    gp::LinearGradientBrush band;
    if (band.CreateFromRect(gp::RectF(0, 0, bandWidth, bandHeight), gp::Argb(kWhite, 100), gp::Argb(kBlack, 20),
                            Gdiplus::LinearGradientModeVertical)) {
        g.SetClip(gp::RectF(0, 0, bandWidth, bandHeight));
        g.FillRectangle(band, area);
        g.ResetClip();
    }
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], length + 1)));
    return text;
}

// The whole window's DC with the visible children left out, so the copy of
// the box never paints over its buttons and labels.
class BoxDc {
public:
    explicit BoxDc(HWND window) : dc_(window, true)
    {
        if (!dc_.Get()) return;
        RECT box{};
        GetWindowRect(window, &box);
        for (HWND c : ChildWindows(window)) {
            if (!IsWindowVisible(c)) continue;
            RECT rc{};
            GetWindowRect(c, &rc);
            ExcludeClipRect(dc_.Get(), rc.left - box.left, rc.top - box.top, rc.right - box.left,
                            rc.bottom - box.top);
        }
    }
    HDC Get() const { return dc_.Get(); }

private:
    ScopedGetDc dc_;
};

void ShowArea(const WindowSkinRecord& record, int x, int y, int width, int height)
{
    if (!record.frameCache.dc) return;
    BoxDc dc(record.window);
    if (dc.Get()) BitBlt(dc.Get(), x, y, width, height, record.frameCache.dc, x, y, SRCCOPY);
}

void PaintCaption(gp::Graphics& g, const WindowSkinRecord& record, int width)
{
    const std::string caption = WindowText(record.window);
    GlowTextStyle style;  // black on a white glow of size 4, 黑体 11, left, centred vertically
    DrawGlowText(g, caption.c_str(),
                 gp::RectF(static_cast<float>(kCaptionX), 0, static_cast<float>(width - kCaptionX),
                           static_cast<float>(kCaptionHeight)),
                 style);
}

}  // namespace

void PaintMessageBox(int windowIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return;
    const SIZE size = WindowSize(r->window);
    if (size.cx <= 0 || size.cy <= 0 || !ReplaceCache(*r, size.cx, size.cy)) return;
    const float w = static_cast<float>(size.cx), h = static_cast<float>(size.cy);
    {
        gp::Graphics g;
        if (g.CreateFromHDC(r->frameCache.dc)) {
            g.Clear(gp::Argb(Skin().defaultBackColour));
            PaintBackdrop(g, gp::RectF(0, 0, w, h), w, static_cast<float>(kBoxTitleBand));
            gp::StrokeRoundRect(g, 0, 0, w - 1, h - 1, kBoxCorner, gp::Argb(kBlack, 120));
            gp::StrokeRoundRect(g, 1, 1, w - 3, h - 3, 3, gp::Argb(kWhite, 180));
        }
    }
    if (Skin().appIcon)
        DrawIconEx(r->frameCache.dc, kIconX, kIconY, Skin().appIcon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    {
        gp::Graphics g;
        if (g.CreateFromHDC(r->frameCache.dc)) PaintCaption(g, *r, size.cx);
    }
    PaintMessageBoxCloseButton(windowIndex, false, false);
    ShowArea(*r, 0, 0, size.cx, size.cy);
}

void PaintMessageBoxCloseButton(int windowIndex, bool hot, bool show)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || !r->frameCache.dc) return;
    const TitleButton* button = r->titleButtons.Get(1);
    if (!button) return;
    const float x = static_cast<float>(button->hitRect.left), y = static_cast<float>(button->hitRect.top);
    const float bw = static_cast<float>(button->hitRect.right - button->hitRect.left);
    const float bh = static_cast<float>(button->hitRect.bottom - button->hitRect.top);
    {
        gp::Graphics g;
        if (!g.CreateFromHDC(r->frameCache.dc)) return;
        PaintBackdrop(g, gp::RectF(x, y, bw, bh), static_cast<float>(r->frameCache.width),
                      static_cast<float>(kCloseBand));
        if (hot) {
            gp::FillRoundRectGradient(g, x + 6, y + 2, bw - 12, bh - 4, kBoxCorner, gp::Argb(kWhite, 10),
                                      gp::Argb(kRed, 200));
            gp::StrokeRoundRect(g, x + 6, y + 2, bw - 12, bh - 4, kBoxCorner, gp::Argb(kBlack, 100));
            gp::StrokeRoundRect(g, x + 7, y + 3, bw - 14, bh - 6, 3, gp::Argb(kWhite, 130));
        }
        // The glyph is centred over the button; it is two pixels wider than
        // the button's cell, which the region's corner hides anyway.
        UINT iw = 0, ih = 0;
        if (gp::PictureSize(button->image.data(), button->image.size(), &iw, &ih)) {
            const float ix = x + (bw - static_cast<float>(iw)) / 2;
            gp::DrawPicture(g, button->image.data(), button->image.size(), static_cast<float>(static_cast<int>(ix)),
                            y + kCloseImageTop, static_cast<float>(iw), static_cast<float>(ih));
        }
    }
    if (show) ShowArea(*r, button->hitRect.left, button->hitRect.top, button->hitRect.right - button->hitRect.left,
                       button->hitRect.bottom - button->hitRect.top);
}

}  // namespace orv
