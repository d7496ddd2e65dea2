#include "skin/SkinPainting.h"

#include "gdiplus/GdiHandles.h"

namespace orv {

void FillRoundGradient(gp::Graphics& g, float x, float y, float width, float height, float corner, gp::ARGB from,
                       gp::ARGB to, bool vertical)
{
    if (width <= 0 || height <= 0) return;
    gp::GraphicsPath path;
    if (!path.Create() || !gp::AddRoundRect(path, x, y, width, height, corner)) return;
    gp::LinearGradientBrush brush;
    if (!brush.CreateFromRect(gp::RectF(x, y, width + 1, height + 1), from, to,
                              vertical ? Gdiplus::LinearGradientModeVertical : Gdiplus::LinearGradientModeHorizontal))
        return;
    g.FillPath(brush, path);
}

void BlitToWindow(HWND control, HDC image, int width, int height)
{
    ScopedGetDc windowDc(control, true);
    if (windowDc.Get()) BitBlt(windowDc.Get(), 0, 0, width, height, image, 0, 0, SRCCOPY);
}

}  // namespace orv
