#include "skin/ControlFont.h"

#include <cmath>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"

namespace orv {

CapturedFont CaptureControlFont(HWND control, bool useDcFont)
{
    CapturedFont captured;
    auto hfont = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (!hfont && !useDcFont) return captured;
    ScopedGetDc dc(control);
    if (!dc.Get()) return captured;
    gp::Font font;
    bool made = false;
    LOGFONTA logFont{};
    if (hfont) {
        if (GetObjectA(hfont, sizeof(logFont), &logFont)) made = font.CreateFromDC(dc.Get(), &logFont);
    } else {
        // The stock system font is a raster font: GDI+ on Windows refuses it
        // (NotTrueTypeFont), Wine substitutes an outline font. Both must read
        // as "no font" here.
        if (GetCurrentObject(dc.Get(), OBJ_FONT) == GetStockObject(SYSTEM_FONT)) return captured;
        made = font.CreateFromDC(dc.Get());
    }
    if (!made) return captured;
    float size = 0;
    Gdiplus::Unit unit = Gdiplus::UnitWorld;
    INT style = 0;
    gp::FontFamily family;
    font.GetSize(&size);
    font.GetUnit(&unit);
    font.GetStyle(&style);
    if (font.GetFamily(&family)) family.GetFamilyName(&captured.face);
    // Sizes are kept in pixels; a size GDI+ gives in points is turned back
    // into the pixels it covers on this DC, whatever its DPI.
    if (unit == Gdiplus::UnitPoint) size = size * static_cast<float>(GetDeviceCaps(dc.Get(), LOGPIXELSY)) / 72.0f;
    // A LOGFONT given as a character height is the em height in pixels
    // exactly; GDI+ derives its size from the substituted font's metrics,
    // which can be a pixel off.
    if (logFont.lfHeight < 0) size = static_cast<float>(-logFont.lfHeight);
    captured.size = static_cast<int>(std::lround(size));
    captured.style = style;
    return captured;
}

bool MakeDrawingFont(gp::Font& font, const std::string& face, int size, int style)
{
    const float pixels = static_cast<float>(size > 0 ? size : 12);
    if (!face.empty() && font.Create(face.c_str(), pixels, style, Gdiplus::UnitPixel)) return true;
    return font.Create("宋体", pixels, style, Gdiplus::UnitPixel);
}

}  // namespace orv
