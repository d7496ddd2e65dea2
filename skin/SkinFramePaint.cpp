// The painters and layout of the window frame: background, border, caption,
// title buttons and title tabs, all drawn into the frame cache (Ck_Ycjdx)
// and copied to the window from there.
#include <algorithm>

#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/ControlFont.h"
#include "skin/Registry.h"
#include "skin/SkinEngine.h"
#include "skin/ChildWindows.h"

namespace orv {

namespace {

constexpr gp::ARGB kMagenta = 0xFFFF00FF;
constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kBlack = 0x00000000;
constexpr COLORREF kRed = 0x000000FF;
// The caption text's rectangle.
constexpr int kCaptionTextX = 29, kCaptionTextY = 8, kCaptionTextHeight = 32;

SIZE ClientSize(HWND window)
{
    RECT rc{};
    GetClientRect(window, &rc);
    return SIZE{rc.right, rc.bottom};
}

// The top rows of an image in a second kept DC (made or resized as needed).
void CopyTopRows(KeptDc& target, const KeptDc& source, int rows)
{
    rows = rows < source.height ? rows : source.height;
    if (target.width != source.width || target.height != rows || !target.dc) {
        DeleteKeptDc(target);
        target = MakeKeptDc(source.width, rows);
    }
    if (target.dc) BitBlt(target.dc, 0, 0, source.width, rows, source.dc, 0, 0, SRCCOPY);
}

// GetDC of the window with the visible children left out, so a copy of the
// frame never paints over them.
class FrameDc {
public:
    explicit FrameDc(HWND window) : dc_(window)
    {
        if (!dc_.Get()) return;
        for (HWND c : ChildWindows(window)) {
            if (!IsWindowVisible(c)) continue;
            RECT rc{};
            GetWindowRect(c, &rc);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rc), 2);
            ExcludeClipRect(dc_.Get(), rc.left, rc.top, rc.right, rc.bottom);
        }
    }
    HDC Get() const { return dc_.Get(); }

private:
    ScopedGetDc dc_;
};

template <typename Entry>
void InvalidateTable(ControlTable<Entry>& table)
{
    table.ForEach([](Entry& e) {
        if (e.hwnd) InvalidateRect(e.hwnd, nullptr, TRUE);
    });
}

bool PictureBytes(const gp::Bytes& bytes) { return !bytes.empty(); }

// The shape given to the window: rounded corners of 5.
HRGN WindowShape(SIZE size) { return CreateRoundRectRgn(0, 0, size.cx + 1, size.cy + 1, 5, 5); }

}  // namespace

int TitleBandRows(const WindowSkinRecord& r)
{
    int rows = std::max(r.titleHeight, r.stripY + r.stripHeight);
    // The caption's text rectangle reaches below the band.
    if (r.captionShown) rows = std::max(rows, kCaptionTextY + kCaptionTextHeight);
    return rows;
}

void SkinEngine::RenderFrame(int windowIndex, HDC target, int)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return;
    FinishBackground(*r);
    HWND window = r->window;
    const SIZE size = ClientSize(window);

    // 1. The rounded region, applied afresh (the window owns it). No
    //    activation: a window repainting in the background stays there.
    SetWindowRgn(window, nullptr, FALSE);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if ((r = RecordAt(windowIndex)) == nullptr) return;
    HRGN region = WindowShape(size);
    if (!SetWindowRgn(window, region, TRUE)) DeleteObject(region);

    // 2. A new frame cache of the client size.
    DeleteKeptDc(r->frameCache);
    r->frameCache = MakeKeptDc(size.cx, size.cy);
    ++r->frameGeneration;
    SetProperty(window, kPropCacheDc, reinterpret_cast<uintptr_t>(r->frameCache.dc));
    SetProperty(window, kPropCacheBitmap, reinterpret_cast<uintptr_t>(r->frameCache.bitmap));
    if (!r->frameCache.dc) return;

    // 3. Background and border.
    {
        gp::Graphics g;
        if (g.CreateFromHDC(r->frameCache.dc)) {
            PaintFrameBackground(windowIndex, g);
            PaintFrameBorder(windowIndex, g);
        }
    }
    // 4. The title bar over a clean copy of the background. Only the title
    //    band is ever restored from it, so only the band is copied: a copy
    //    of the whole client area would hold 640 KB for a 450 x 364 window.
    if (r->titleBar) {
        CopyTopRows(r->titleClean, r->frameCache, TitleBandRows(*r));
        if (r->captionShown) PaintCaption(windowIndex, 0, nullptr);
        PaintTitleButtons(windowIndex, 0, 0, 0);
        gp::Graphics g;
        if (g.CreateFromHDC(r->frameCache.dc)) PaintTitleTabs(windowIndex, g);
    }
    // 5. To the window.
    if (target) {
        BitBlt(target, 0, 0, size.cx, size.cy, r->frameCache.dc, 0, 0, SRCCOPY);
    } else {
        FrameDc dc(window);
        if (dc.Get()) BitBlt(dc.Get(), 0, 0, size.cx, size.cy, r->frameCache.dc, 0, 0, SRCCOPY);
    }
    // 6. Controls repaint over the new background, except before the first
    //    WM_SIZE of a skinned window (they are about to paint anyway).
    if (Skin().skinFrameFlag == 0) {
        InvalidateTable(r->buttons);
        InvalidateTable(r->edits);
        InvalidateTable(r->lists);
        InvalidateTable(r->trackBars);
        InvalidateTable(r->progressBars);
        InvalidateTable(r->combos);
        InvalidateTable(r->upDowns);
        InvalidateTable(r->headers);
        InvalidateTable(r->spare);
        InvalidateTable(r->subclassed);
        InvalidateTable(r->labels);
        InvalidateTable(r->containers);
    }
}

void SkinEngine::BlitFrameCache(int windowIndex, HDC target)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return;
    const SIZE size = ClientSize(r->window);
    // No cache yet, or one of another size: the frame is rendered instead.
    if (!r->frameCache.dc || r->frameCache.width != size.cx || r->frameCache.height != size.cy) {
        RenderFrame(windowIndex, target, 0);
        return;
    }
    if (target) {
        BitBlt(target, 0, 0, size.cx, size.cy, r->frameCache.dc, 0, 0, SRCCOPY);
    } else {
        FrameDc dc(r->window);
        if (dc.Get()) BitBlt(dc.Get(), 0, 0, size.cx, size.cy, r->frameCache.dc, 0, 0, SRCCOPY);
    }
}

void SkinEngine::PaintFrameBackground(int windowIndex, gp::Graphics& g)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return;
    const SIZE size = ClientSize(r->window);
    const float w = static_cast<float>(size.cx), h = static_cast<float>(size.cy);
    g.Clear(kMagenta);
    // Clipped to the rounded rectangle, widened by exactly the window's own
    // region: a path with arcs of 4 leaves the two top corner pixel pairs
    // out that the region keeps, and the magenta would show there.
    gp::GraphicsPath path;
    gp::Region clip;
    UniqueRegion windowShape(WindowShape(size));
    if (path.Create() && gp::AddRoundRect(path, 0, 0, w, h, 4) && clip.CreateFromPath(path)) {
        gp::Region shape;
        if (windowShape && shape.CreateFromHrgn(windowShape.Get())) clip.Combine(shape, Gdiplus::CombineModeUnion);
        g.SetClip(clip);
    }
    const bool hasPicture = PictureBytes(r->preparedBackground);
    gp::SolidBrush fill(gp::Argb(hasPicture ? r->averageColour : Skin().defaultBackColour));
    g.FillRectangle(fill, 0.0f, 0.0f, w, h);
    if (hasPicture) {
        // The first render draws the pixels the preparation encoded; later
        // ones decode the kept bytes, and the pixels are not held for them.
        gp::Image decoded;
        const gp::Image* prepared = &r->preparedPixels;
        if (r->preparedPixels.IsNull())
            prepared = decoded.LoadFromBytes(r->preparedBackground.data(), r->preparedBackground.size()) ? &decoded
                                                                                                           : nullptr;
        if (prepared) {
            const gp::Image& picture = *prepared;
            UINT pw = 0, ph = 0;
            picture.GetSize(&pw, &ph);
            switch (r->layoutMode) {
            case 1: g.DrawImage(picture, w - static_cast<float>(pw), 0.0f, static_cast<float>(pw), static_cast<float>(ph)); break;
            case 2:
                g.DrawImage(picture, (w - static_cast<float>(pw)) / 2, (h - static_cast<float>(ph)) / 2,
                            static_cast<float>(pw), static_cast<float>(ph));
                break;
            case 3: g.DrawImage(picture, 0.0f, 0.0f, w, h); break;
            default: g.DrawImage(picture, 0.0f, 0.0f, static_cast<float>(pw), static_cast<float>(ph)); break;
            }
        }
        r->preparedPixels.Dispose();
    }
    if (r->titleGloss)
        gp::FillRectGradient(g, 0, 0, w, static_cast<float>(r->titleHeight), gp::Argb(kWhite, 150), gp::Argb(kWhite, 0));
    g.ResetClip();
}

void SkinEngine::PaintFrameBorder(int windowIndex, gp::Graphics& g)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return;
    const SIZE size = ClientSize(r->window);
    const float w = static_cast<float>(size.cx), h = static_cast<float>(size.cy);
    gp::StrokeRoundRect(g, 0, 0, w - 1, h - 1, 7, gp::Argb(kBlack, 180));
    gp::StrokeRoundRect(g, 1, 1, w - 3, h - 3, 6, gp::Argb(kWhite, 180));
}

void SkinEngine::LayoutTitleButtons(int windowIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return;
    const SIZE size = ClientSize(r->window);
    const int count = r->titleButtons.Count();
    int sum = 0;
    for (int i = 1; i <= count; ++i) sum += r->titleButtons.Get(i)->width;
    r->stripWidth = sum + (count > 0 ? count - 1 : 0) + 3;
    r->stripHeight = 22;
    r->stripY = 0;
    r->stripX = size.cx - borderBand_ - r->stripWidth - 2;
    for (int i = 1; i <= count; ++i) {
        TitleButton* b = r->titleButtons.Get(i);
        b->cellX = static_cast<float>(r->stripX + 2 + 27 * (i - 1));
        b->cellY = static_cast<float>(r->stripY + 1);
        b->cellWidth = b->action == kActionClose ? 40.0f : 26.0f;
        b->cellHeight = 18.0f;
        b->hitRect = RECT{static_cast<LONG>(b->cellX), static_cast<LONG>(b->cellY),
                          static_cast<LONG>(b->cellX + b->cellWidth), static_cast<LONG>(b->cellY + b->cellHeight)};
        r->tooltip.NewToolRect(static_cast<UINT>(i), b->hitRect);
        r->tooltip.UpdateTipText(static_cast<UINT>(i), b->name.c_str());
    }
}

void SkinEngine::PaintTitleButtonFace(gp::Graphics& g, const TitleButton& b, int alpha)
{
    if (alpha <= 0) return;
    const BYTE a = static_cast<BYTE>(alpha > 255 ? 255 : alpha);
    const COLORREF colour = b.action == kActionClose ? kRed : Skin().accentColor;
    gp::FillRoundRectGradient(g, b.cellX, b.cellY, b.cellWidth - 1, b.cellHeight - 1, 5, gp::Argb(colour, a),
                              gp::Argb(kWhite, 0));
    gp::StrokeRoundRect(g, b.cellX, b.cellY, b.cellWidth - 1, b.cellHeight - 1, 5,
                        gp::Argb(kWhite, static_cast<BYTE>(a * 8 / 10)));
}

void SkinEngine::PaintTitleButtonGlyph(int windowIndex, gp::Graphics& g, int buttonIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return;
    const TitleButton* b = r->titleButtons.Get(buttonIndex);
    if (!b) return;
    const std::string& picture =
        (b->action == kActionMaximise && r->maximised && !b->secondImage.empty()) ? b->secondImage : b->image;
    // Every hover step draws the glyphs again: decoded once, from the cache.
    UINT pw = 0, ph = 0;
    if (gp::PictureSize(picture.data(), picture.size(), &pw, &ph)) {
        // Centred in the cell, on whole pixels so the glyph stays sharp.
        const int x = static_cast<int>(b->cellX + (b->cellWidth - static_cast<float>(pw)) / 2);
        const int y = static_cast<int>(b->cellY + (b->cellHeight - static_cast<float>(ph)) / 2);
        gp::DrawPicture(g, picture.data(), picture.size(), static_cast<float>(x), static_cast<float>(y),
                        static_cast<float>(pw), static_cast<float>(ph));
    }
    // A thin separator after every button but the last.
    if (buttonIndex < r->titleButtons.Count()) {
        const BYTE top = b->action == kActionClose ? 100 : 60;
        gp::FillRectGradient(g, b->cellX + 26, b->cellY, 1, b->cellHeight, gp::Argb(kBlack, top), gp::Argb(kBlack, 0));
    }
}

void SkinEngine::PaintTitleButtons(int windowIndex, int hovered, int pressed, int hoverAlpha)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || !r->titleBar || !r->frameCache.dc || !r->titleClean.dc) return;
    HDC cache = r->frameCache.dc;
    // Every cell starts again from the clean background.
    BitBlt(cache, r->stripX, r->stripY, r->stripWidth, r->stripHeight, r->titleClean.dc, r->stripX, r->stripY,
           SRCCOPY);
    {
        gp::Graphics g;
        if (g.CreateFromHDC(cache)) {
            for (int i = 1; i <= r->titleButtons.Count(); ++i) {
                const TitleButton& b = *r->titleButtons.Get(i);
                if (i == pressed) {
                    const bool close = b.action == kActionClose;
                    gp::FillRoundRectGradient(g, b.cellX, b.cellY, b.cellWidth - 1, b.cellHeight - 1, 5,
                                              close ? gp::Argb(kRed, 255) : gp::Argb(kBlack, 80),
                                              close ? gp::Argb(kWhite, 30) : gp::Argb(kWhite, 5));
                } else if (i == hovered) {
                    PaintTitleButtonFace(g, b, hoverAlpha);
                } else if (i == r->fading && r->timerRunning) {
                    PaintTitleButtonFace(g, b, 240 - 30 * r->fadeStep);
                }
                PaintTitleButtonGlyph(windowIndex, g, i);
            }
        }
    }
    r->lastHoverAlpha = hovered ? hoverAlpha : 0;
    BlitTitleButton(windowIndex);
}

void SkinEngine::BlitTitleButton(int windowIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || !r->frameCache.dc || !IsWindowVisible(r->window)) return;
    FrameDc dc(r->window);
    if (dc.Get())
        BitBlt(dc.Get(), r->stripX, r->stripY, r->stripWidth, r->stripHeight, r->frameCache.dc, r->stripX, r->stripY,
               SRCCOPY);
}

void SkinEngine::PaintCaption(int windowIndex, int flag, const char* text)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || !r->frameCache.dc) return;
    const SIZE size = ClientSize(r->window);
    const int band = borderBand_;
    // The text's rectangle reaches below the title band and into the strip;
    // a repaint alone must clear all of it, or the old text's lower rows and
    // right end stay behind.
    const int textWidth = std::max(0, static_cast<int>(size.cx - 2 * band - 10 - r->stripWidth));
    const RECT textRect{kCaptionTextX, kCaptionTextY, kCaptionTextX + textWidth, kCaptionTextY + kCaptionTextHeight};
    const RECT band0{0, 0, r->stripX > 0 ? r->stripX : size.cx, r->titleHeight};
    RECT area{};
    UnionRect(&area, &band0, &textRect);
    if (flag && r->titleClean.dc)
        BitBlt(r->frameCache.dc, area.left, area.top, area.right - area.left, area.bottom - area.top, r->titleClean.dc,
               area.left, area.top, SRCCOPY);
    if (Skin().appIcon)
        DrawIconEx(r->frameCache.dc, band + 6, band + 5 - 3, Skin().appIcon, 17, 17, 0, nullptr, DI_NORMAL);
    std::string caption;
    if (text) {
        caption = text;
    } else {
        int length = GetWindowTextLengthA(r->window);
        caption.resize(static_cast<size_t>(length) + 1);
        caption.resize(static_cast<size_t>(GetWindowTextA(r->window, &caption[0], length + 1)));
    }
    {
        gp::Graphics g;
        gp::Font font;
        if (g.CreateFromHDC(r->frameCache.dc) &&
            font.Create(r->fontName.c_str(), PixelsForPoints(static_cast<float>(r->fontSize)), r->fontStyle,
                        Gdiplus::UnitPixel)) {
            const float x = kCaptionTextX, y = kCaptionTextY;
            const float width = static_cast<float>(textWidth);
            const float height = kCaptionTextHeight;
            gp::SolidBrush shadow(gp::Argb(r->shadowColour));
            gp::SolidBrush face(gp::Argb(r->captionColour));
            // The outline: the text four times in the shadow colour, one pixel
            // off each way, then once on top in the caption colour.
            const float offsets[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (const auto& o : offsets)
                g.DrawString(caption.c_str(), font, gp::RectF(x + o[0], y + o[1], width, height), nullptr, shadow);
            g.DrawString(caption.c_str(), font, gp::RectF(x, y, width, height), nullptr, face);
        }
    }
    if (!flag) return;
    // Where the text's rectangle runs into the strip, the buttons go back
    // over it, as a full render paints them after the caption.
    const RECT strip{r->stripX, r->stripY, r->stripX + r->stripWidth, r->stripY + r->stripHeight};
    RECT overlap{};
    if (IntersectRect(&overlap, &area, &strip)) PaintTitleButtons(windowIndex, r->highlighted, r->pressed, r->lastHoverAlpha);
    if ((r = RecordAt(windowIndex)) != nullptr && IsWindowVisible(r->window)) {
        FrameDc dc(r->window);
        if (dc.Get())
            BitBlt(dc.Get(), area.left, area.top, area.right - area.left, area.bottom - area.top, r->frameCache.dc,
                   area.left, area.top, SRCCOPY);
    }
}

// ---------------------------------------------------------------------------
// Title tabs: a row of named tabs in the title band, after the caption.

void SkinEngine::SetTitleTabs(int windowIndex, const std::vector<std::string>& texts)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return;
    r->tabTexts = texts;
    r->activeTab = texts.empty() ? 0 : 1;
    LayoutTitleTabs(windowIndex);
}

void SkinEngine::LayoutTitleTabs(int windowIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return;
    r->tabRects.clear();
    if (r->tabTexts.empty()) return;
    ScopedGetDc dc(r->window);
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    ScopedSelect select(dc.Get(), font);
    int x = r->captionShown ? 120 : 10;
    for (const std::string& text : r->tabTexts) {
        SIZE extent{};
        GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
        const int width = extent.cx + 20;
        r->tabRects.push_back(RECT{x, 2, x + width, r->titleHeight});
        x += width + 2;
    }
}

void SkinEngine::PaintTitleTabs(int windowIndex, gp::Graphics& g)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || r->tabTexts.empty()) return;
    gp::Font font;
    if (!font.Create(r->tabFont.c_str(), PixelsForPoints(static_cast<float>(r->tabFontSize)), 0, Gdiplus::UnitPixel))
        return;
    gp::StringFormat format;
    format.Create();
    format.SetAlign(Gdiplus::StringAlignmentCenter);
    format.SetLineAlign(Gdiplus::StringAlignmentCenter);
    gp::SolidBrush text(gp::Argb(r->tabTextColour));
    for (size_t i = 0; i < r->tabTexts.size() && i < r->tabRects.size(); ++i) {
        const RECT& rc = r->tabRects[i];
        const float x = static_cast<float>(rc.left), y = static_cast<float>(rc.top);
        const float w = static_cast<float>(rc.right - rc.left), h = static_cast<float>(rc.bottom - rc.top);
        if (static_cast<int>(i) + 1 == r->activeTab)
            gp::FillRoundRectGradient(g, x, y, w, h, 5, gp::Argb(kWhite, 90), gp::Argb(kWhite, 20));
        g.DrawString(r->tabTexts[i].c_str(), font, gp::RectF(x, y, w, h), &format, text);
    }
}

void SkinEngine::RefreshTitleTab(int windowIndex, int tabIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || tabIndex < 1 || tabIndex > static_cast<int>(r->tabRects.size()) || !r->frameCache.dc ||
        !r->titleClean.dc)
        return;
    r->activeTab = tabIndex;
    for (const RECT& rc : r->tabRects)
        BitBlt(r->frameCache.dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, r->titleClean.dc, rc.left,
               rc.top, SRCCOPY);
    {
        gp::Graphics g;
        if (g.CreateFromHDC(r->frameCache.dc)) PaintTitleTabs(windowIndex, g);
    }
    BlitTitleTabs(windowIndex);
}

void SkinEngine::BlitTitleTabs(int windowIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || r->tabRects.empty() || !r->frameCache.dc || !IsWindowVisible(r->window)) return;
    FrameDc dc(r->window);
    if (!dc.Get()) return;
    const RECT& first = r->tabRects.front();
    const RECT& last = r->tabRects.back();
    BitBlt(dc.Get(), first.left, first.top, last.right - first.left, last.bottom - first.top, r->frameCache.dc,
           first.left, first.top, SRCCOPY);
}

void SkinEngine::SetTitleTabStyle(HWND window, Opt<int> style1, Opt<int> style2, Opt<int> flag,
                                  Opt<COLORREF> textColour, Opt<std::string> fontName, Opt<int> fontSize)
{
    int index = 0;
    WindowSkinRecord* r = RecordOfWindow(window, &index);
    // SkinWindow sets the style before the window carries its Hw_lbID.
    if (!r) r = RecordAt(index = FindWindowRecord(window));
    if (!r) return;
    r->tabStyle1 = style1.Or(r->tabStyle1);
    r->tabStyle2 = style2.Or(r->tabStyle2);
    r->tabFlag = flag.Or(r->tabFlag);
    r->tabTextColour = textColour.Or(r->tabTextColour);
    r->tabFont = fontName.Or(r->tabFont);
    r->tabFontSize = fontSize.Or(r->tabFontSize);
    LayoutTitleTabs(index);
}

}  // namespace orv
