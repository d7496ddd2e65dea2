#include "skin/SkinDrawing.h"

#include "skin/ChildWindows.h"

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"

namespace orv {

RECT ClientRectInWindow(HWND control)
{
    RECT client{};
    GetClientRect(control, &client);
    RECT window{};
    GetWindowRect(control, &window);
    POINT origin{0, 0};
    ClientToScreen(control, &origin);
    OffsetRect(&client, origin.x - window.left, origin.y - window.top);
    return client;
}

bool FillRoundRectThreeStop(gp::Graphics& graphics, float x, float y, float width, float height, float corner,
                            gp::ARGB top, gp::ARGB middle, gp::ARGB bottom)
{
    gp::GraphicsPath path;
    gp::LinearGradientBrush brush;
    if (!path.Create() || !gp::AddRoundRect(path, x, y, width, height, corner)) return false;
    // One pixel taller than the shape so the last row takes the end colour.
    if (!brush.CreateFromRect(gp::RectF(x, y - 1, width + 1, height + 2), top, bottom,
                              Gdiplus::LinearGradientModeVertical))
        return false;
    const gp::ARGB colours[3] = {top, middle, bottom};
    const float positions[3] = {0.0f, 0.5f, 1.0f};
    brush.SetPresetBlend(colours, positions, 3);
    return graphics.FillPath(brush, path);
}

bool FillTopRoundRectGradient(gp::Graphics& graphics, float x, float y, float width, float height, float corner,
                              gp::ARGB top, gp::ARGB bottom)
{
    gp::GraphicsPath path;
    gp::LinearGradientBrush brush;
    if (!path.Create()) return false;
    path.AddArc(x, y, corner, corner, 180.0f, 90.0f);
    path.AddArc(x + width - corner, y, corner, corner, 270.0f, 90.0f);
    path.AddLine(x + width, y + height, x, y + height);
    path.CloseFigure();
    if (!brush.CreateFromRect(gp::RectF(x, y - 1, width + 1, height + 2), top, bottom,
                              Gdiplus::LinearGradientModeVertical))
        return false;
    return graphics.FillPath(brush, path);
}

void BlitExcludingChildren(HWND window, HDC target, int width, int height, HDC source)
{
    const int saved = SaveDC(target);
    for (HWND child : ChildWindows(window)) {
        if (!IsWindowVisible(child)) continue;
        RECT rc{};
        GetWindowRect(child, &rc);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rc), 2);
        ExcludeClipRect(target, rc.left, rc.top, rc.right, rc.bottom);
    }
    BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
    RestoreDC(target, saved);
}

void BlitUnderChildrenAndSiblings(HWND window, HDC target, int width, int height, HDC source)
{
    const int saved = SaveDC(target);
    RECT own{};
    GetWindowRect(window, &own);
    HWND parent = GetParent(window);
    for (HWND sibling : parent ? ChildWindows(parent) : std::vector<HWND>()) {
        RECT rc{}, overlap{};
        if (sibling == window || !IsWindowVisible(sibling) || !GetWindowRect(sibling, &rc)) continue;
        if (!IntersectRect(&overlap, &rc, &own)) continue;
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rc), 2);
        ExcludeClipRect(target, rc.left, rc.top, rc.right, rc.bottom);
    }
    BlitExcludingChildren(window, target, width, height, source);
    RestoreDC(target, saved);
}

}  // namespace orv
