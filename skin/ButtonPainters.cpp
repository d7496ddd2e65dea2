// The button painters, one per kind. Each starts from the background capture
// under the button, draws with GDI+ on it and copies it to the target once.
#include <windows.h>

#include <algorithm>
#include <cmath>

#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/ButtonSkin.h"
#include "skin/ControlFont.h"
#include "skin/KeptFace.h"
#include "skin/Registry.h"
#include "skin/SkinDrawing.h"
#include "skin/SkinSettings.h"

namespace orv {

namespace {

constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kBlack = 0x00000000;
constexpr COLORREF kGrey = 0x00808080;
constexpr COLORREF kLightGrey = 0x00C0C0C0;
constexpr auto kInterpolationBicubic = static_cast<Gdiplus::InterpolationMode>(7);

gp::ARGB White(BYTE alpha) { return gp::Argb(kWhite, alpha); }
gp::ARGB Black(BYTE alpha) { return gp::Argb(kBlack, alpha); }
gp::ARGB Accent(BYTE alpha) { return gp::Argb(Skin().accentColor, alpha); }

// Everything a button's face is drawn from besides what lies beneath it.
uint64_t FaceKeyOf(HWND button, const ButtonEntry& entry, UINT state, uint64_t extra = 0)
{
    FaceKey key;
    key.Add(static_cast<uint32_t>(entry.kind)).Add(state).Add(extra).Add(entry.caption).Add(entry.fontName);
    key.Add(static_cast<uint32_t>(entry.fontSize)).Add(static_cast<uint32_t>(entry.fontStyle));
    key.Add(GetProperty(button, kPropTextColour));
    for (const std::string* p : {&entry.picture, &entry.hoverPicture, &entry.pressedPicture, &entry.disabledPicture})
        key.Add(*p);
    return key.Value();
}

// Runs draw(graphics, width, height) on the capture of the image under rect
// and copies the result to dc at rect; a face drawn before from the same key
// is copied as it was kept. Without a skinned owner the capture is empty and
// nothing is drawn.
template <typename Draw>
void PaintOnCapture(HWND button, HDC dc, const RECT& rect, uint64_t key, Draw draw)
{
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    const RECT client = ClientRectInWindow(button);
    RECT source = rect;
    OffsetRect(&source, client.left, client.top);
    KeptFace kept(button, source, key);
    if (HDC image = kept.Image()) {
        BitBlt(dc, rect.left, rect.top, width, height, image, 0, 0, SRCCOPY);
        return;
    }
    BackgroundCapture capture(button, source);
    if (!capture.Dc()) return;
    {
        gp::Graphics g;
        if (g.CreateFromHDC(capture.Dc())) draw(g, static_cast<float>(width), static_cast<float>(height));
    }
    BitBlt(dc, rect.left, rect.top, width, height, capture.Dc(), 0, 0, SRCCOPY);
    kept.Keep(capture);
}

void DrawCaption(gp::Graphics& g, HWND button, const ButtonEntry& entry, const gp::RectF& layout,
                 Gdiplus::StringAlignment horizontal)
{
    if (entry.caption.empty()) return;
    gp::Font font;
    gp::StringFormat format;
    if (!MakeDrawingFont(font, entry.fontName, entry.fontSize, entry.fontStyle)) return;
    // One line, neither wrapped nor cut: a caption a few pixels wider than
    // its room ("本地查询", "保存" in the search row) runs into the margin.
    if (!format.Create(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip)) return;
    format.SetTrimming(Gdiplus::StringTrimmingNone);
    format.SetAlign(horizontal);
    format.SetLineAlign(Gdiplus::StringAlignmentCenter);
    gp::SolidBrush brush(gp::Argb(static_cast<COLORREF>(GetProperty(button, kPropTextColour))));
    g.DrawString(entry.caption.c_str(), font, layout, &format, brush);
}

// Decoded picture size; 0 × 0 for bytes GDI+ cannot read.
SIZE PictureExtent(const std::string& picture)
{
    UINT w = 0, h = 0;
    if (picture.empty() || !gp::PictureSize(picture.data(), picture.size(), &w, &h)) return SIZE{0, 0};
    return SIZE{static_cast<LONG>(w), static_cast<LONG>(h)};
}

void DrawPictureAt(gp::Graphics& g, const std::string& picture, float x, float y, float width, float height)
{
    if (picture.empty()) return;
    g.SetInterpolationMode(kInterpolationBicubic);
    gp::DrawPicture(g, picture.data(), picture.size(), x, y, width, height);
}

// Natural size at (2, 2); the rectangle form keeps the pixel size whatever
// resolution the picture stores.
void DrawPictureNatural(gp::Graphics& g, const std::string& picture)
{
    const SIZE size = PictureExtent(picture);
    if (size.cx <= 0 || size.cy <= 0) return;
    gp::DrawPicture(g, picture.data(), picture.size(), 2.0f, 2.0f, static_cast<float>(size.cx),
                    static_cast<float>(size.cy));
}

// The keyboard focus: a black outline with a dotted accent one inside it.
void DrawFocusOutline(gp::Graphics& g, float x, float y, float w, float h)
{
    gp::StrokeRoundRect(g, x, y, w, h, 5, Black(120));
    gp::Pen dotted(Accent(120));
    dotted.SetDashStyle(Gdiplus::DashStyleDot);
    gp::GraphicsPath path;
    if (path.Create() && gp::AddRoundRect(path, x + 1, y + 1, w - 2, h - 2, 5)) g.DrawPath(dotted, path);
}

// ---- plain (kind 0) ---------------------------------------------------------

void DrawPlainFace(gp::Graphics& g, UINT state, float w, float h)
{
    if (state & kStateDisabled) {
        gp::SolidBrush grey(gp::Argb(kLightGrey));
        g.FillRectangle(grey, 0.0f, 0.0f, w, h);
    } else {
        gp::FillRoundRect(g, 0, 0, w - 1, h - 1, 5, White(120));
    }
    // Glass: a soft white-dark-white band, the outline, a shade in the lower
    // half and a gloss over the upper half.
    FillRoundRectThreeStop(g, 0, 0, w - 1, h - 1, 5, White(50), Black(10), White(50));
    gp::StrokeRoundRect(g, 0, 0, w - 1, h - 1, 5, Black(80));
    const float half = std::floor(h / 2);
    gp::FillRoundRectGradient(g, 1, half, w - 3, h - 2 - half, 5, White(0), gp::Argb(kGrey, 60));
    FillTopRoundRectGradient(g, 1, 1, w - 3, half - 1, 5, White(50), White(10));
}

void DrawPlainStateMarks(gp::Graphics& g, UINT state, float w, float h)
{
    if ((state & kStateHot) && !(state & kStateDisabled)) {
        gp::FillRoundRectGradient(g, 0, 0, w - 1, h - 1, 5, Accent(60), Accent(10));
        gp::StrokeRoundRect(g, 0, 0, w - 1, h - 1, 5, Accent(255));
    }
    if (ShowsFocus(state)) DrawFocusOutline(g, 1, 1, w - 3, h - 3);
    if (state & kStatePressed) gp::FillRoundRectGradient(g, 2, 2, w - 3, h - 3, 5, Accent(60), White(100));
}

// ---- image (kind 1) ---------------------------------------------------------

void DrawImageFace(gp::Graphics& g, UINT state, float w, float h)
{
    if (state & kStateDisabled) {
        gp::FillRoundRectGradient(g, 2, 2, w - 6, h - 6, 5, gp::Argb(kGrey, 50), White(0));
        return;
    }
    const bool hot = (state & kStateHot) != 0;
    // Focused and hot takes the pressed face; so does the keyboard focus
    // when the cues are shown, which is how a keyboard user sees it.
    if ((state & kStatePressed) || ((state & kStateFocused) && hot) || ShowsFocus(state)) {
        gp::FillRoundRectGradient(g, 0, 0, w - 1, h - 1, 2, White(60), White(50));
        gp::StrokeRoundRect(g, 0, 0, w - 1, h - 1, 5, Black(60));
        gp::StrokeRoundRect(g, 1, 1, w - 3, h - 3, 5, White(120));
        return;
    }
    if (hot) {
        gp::FillRoundRectGradient(g, 0, 0, w - 1, h - 1, 2, White(50), White(40));
        // A bright line along the bottom, strongest in the middle.
        gp::LinearGradientBrush line;
        if (w > 8 && line.Create(gp::PointF(3, 0), gp::PointF(w - 3, 0), White(10), White(255))) {
            line.SetLinearBlend(0.5f, 0.8f);
            g.FillRectangle(line, 3.0f, h - 3, w - 6, 2.0f);
        }
    }
}

// ---- icon (kind 3) ----------------------------------------------------------

void DrawIconFallback(gp::Graphics& g, float w, float h, float inset, float corner, gp::ARGB outline, gp::ARGB top,
                      gp::ARGB bottom)
{
    gp::FillRoundRectGradient(g, 0, 0, w - inset, h - inset, corner, top, bottom);
    gp::StrokeRoundRect(g, 0, 0, w - inset, h - inset, corner, outline);
}

// ---- check box and radio button (kinds 4, 5) ---------------------------------

void DrawCheckMark(gp::Graphics& g, bool radio, int check, float x, float y, float size, UINT state)
{
    const bool disabled = (state & kStateDisabled) != 0;
    const gp::ARGB fill = disabled ? gp::Argb(kLightGrey, 200) : White((state & kStatePressed) ? 120 : 200);
    const gp::ARGB outline = disabled ? Black(60) : ((state & kStateHot) ? Accent(255) : Black(110));
    if (radio) {
        gp::SolidBrush brush(fill);
        gp::Pen pen(outline);
        g.FillEllipse(brush, x, y, size, size);
        g.DrawEllipse(pen, x, y, size, size);
        if (check) {
            gp::SolidBrush dot(disabled ? gp::Argb(kGrey) : Accent(255));
            g.FillEllipse(dot, x + 3.5f, y + 3.5f, size - 7, size - 7);
        }
        return;
    }
    gp::FillRoundRect(g, x, y, size, size, 4, fill);
    gp::StrokeRoundRect(g, x, y, size, size, 4, outline);
    if (check == BST_INDETERMINATE) {
        gp::SolidBrush block(disabled ? gp::Argb(kGrey) : Accent(160));
        g.FillRectangle(block, x + 3, y + 3, size - 6, size - 6);
    } else if (check) {
        gp::Pen tick(disabled ? gp::Argb(kGrey) : Accent(255), 2.0f);
        g.DrawLine(tick, x + 3, y + size / 2, x + size / 2 - 1, y + size - 4);
        g.DrawLine(tick, x + size / 2 - 1, y + size - 4, x + size - 3, y + 3);
    }
}

}  // namespace

void PaintPlainButton(HWND button, const ButtonEntry& entry, HDC dc, UINT state, const RECT& rect)
{
    PaintOnCapture(button, dc, rect, FaceKeyOf(button, entry, state), [&](gp::Graphics& g, float w, float h) {
        DrawPlainFace(g, state, w, h);
        DrawPlainStateMarks(g, state, w, h);
        DrawCaption(g, button, entry, gp::RectF(0, 0, w, h), Gdiplus::StringAlignmentCenter);
    });
}

void PaintImageButton(HWND button, const ButtonEntry& entry, HDC dc, UINT state, const RECT& rect)
{
    PaintOnCapture(button, dc, rect, FaceKeyOf(button, entry, state), [&](gp::Graphics& g, float w, float h) {
        DrawImageFace(g, state, w, h);
        const SIZE picture = PictureExtent(entry.picture);
        if (picture.cx <= 0) {
            DrawCaption(g, button, entry, gp::RectF(0, 0, w, h), Gdiplus::StringAlignmentCenter);
            return;
        }
        const float s = std::round(0.8f * h);
        const float top = std::floor((h - s) / 2);
        if (entry.caption.empty()) {
            DrawPictureAt(g, entry.picture, std::floor((w - s) / 2), top, s, s);
            return;
        }
        DrawPictureAt(g, entry.picture, 3, top, s, s);
        const float textX = 3 + s + 5;
        // The caption's room ends 7 pixels before the right edge. A caption a
        // few pixels wider ("保存" on the narrow save button) may run into that
        // margin: Wine's GDI+ wraps at the layout width despite NoWrap, and a
        // wrapped second line would vanish, so the layout is as wide as needed.
        float room = w - 7 - textX;
        gp::Font font;
        gp::RectF needed;
        if (MakeDrawingFont(font, entry.fontName, entry.fontSize, entry.fontStyle) &&
            g.MeasureString(entry.caption.c_str(), font, gp::RectF(0, 0, 4096, h), nullptr, &needed) &&
            needed.Width > room)
            room = std::ceil(needed.Width) + 1;
        DrawCaption(g, button, entry, gp::RectF(textX, 0, room, h), Gdiplus::StringAlignmentNear);
    });
}

void PaintIconButton(HWND button, const ButtonEntry& entry, HDC dc, UINT state, const RECT& rect)
{
    PaintOnCapture(button, dc, rect, FaceKeyOf(button, entry, state), [&](gp::Graphics& g, float w, float h) {
        // Disabled, hot, pressed, normal: the first state that holds decides.
        if (state & kStateDisabled) {
            if (!entry.disabledPicture.empty()) return DrawPictureNatural(g, entry.disabledPicture);
            DrawIconFallback(g, w, h, 2, 5, Black(80), White(60), Black(100));
        } else if (state & kStateHot) {
            if (!entry.hoverPicture.empty()) return DrawPictureNatural(g, entry.hoverPicture);
            DrawIconFallback(g, w, h, 3, 3, Accent(250), White(120), Accent(100));
        } else if (state & kStatePressed) {
            if (!entry.pressedPicture.empty()) return DrawPictureNatural(g, entry.pressedPicture);
            DrawIconFallback(g, w, h, 3, 3, Accent(250), Black(60), White(100));
        }
        DrawPictureNatural(g, entry.picture);
        // Icon buttons have no focused face of their own: the outline that
        // plain buttons show, round the picture.
        if (ShowsFocus(state) && !(state & kStateDisabled)) DrawFocusOutline(g, 0, 0, w - 1, h - 1);
    });
}

void PaintCheckButton(HWND button, const ButtonEntry& entry, HDC dc, UINT state, const RECT& rect)
{
    const int check = static_cast<int>(SendMessageA(button, BM_GETCHECK, 0, 0));
    const LONG style = GetWindowLongA(button, GWL_STYLE);
    const uint64_t key = FaceKeyOf(button, entry, state, (static_cast<uint64_t>(check) << 32) | (style & BS_LEFTTEXT));
    PaintOnCapture(button, dc, rect, key, [&](gp::Graphics& g, float w, float h) {
        constexpr float kBox = 13;
        const bool right = (style & BS_LEFTTEXT) != 0;
        const float boxX = right ? w - kBox - 2 : 1;
        const float boxY = std::floor((h - kBox) / 2);
        DrawCheckMark(g, entry.kind == kButtonRadio, check, boxX, boxY, kBox, state);
        const float textX = right ? 0 : kBox + 6;
        DrawCaption(g, button, entry, gp::RectF(textX, 0, w - kBox - 6, h),
                    right ? Gdiplus::StringAlignmentFar : Gdiplus::StringAlignmentNear);
        if (ShowsFocus(state) && !entry.caption.empty()) {
            gp::Pen dotted(Accent(120));
            dotted.SetDashStyle(Gdiplus::DashStyleDot);
            g.DrawRectangle(dotted, textX - 1, 1.0f, w - kBox - 7, h - 3);
        }
    });
}

}  // namespace orv
