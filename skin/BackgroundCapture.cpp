#include "skin/BackgroundCapture.h"

#include <vector>

#include "gdiplus/Gp.h"
#include "skin/Registry.h"

namespace orv {

HBITMAP CreateArgbSurface(int width, int height)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width > 0 ? width : 1;
    bi.bmiHeader.biHeight = -(height > 0 ? height : 1);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

namespace {

// Where the frame cache's (0, 0) lies on the screen. A cache of the whole
// window starts at the window's corner; the client origin would be off by
// the window's non-client band (3, 22 for a message box under Wine), and
// every control would show the title band behind it.
POINT CacheOrigin(const WindowSkinRecord& record)
{
    if (record.cacheCoversWindow) {
        RECT box{};
        GetWindowRect(record.window, &box);
        return POINT{box.left, box.top};
    }
    POINT origin{0, 0};
    ClientToScreen(record.window, &origin);
    return origin;
}

}  // namespace

bool LocateUnderControl(HWND control, const RECT& rect, ControlPlace* place)
{
    *place = ControlPlace{};
    // The top-level window that owns the control, noting the first window on
    // the way up (the control included) that is a registered container.
    std::vector<HWND> chain;
    int index = 0;
    for (HWND w = control; w; w = GetParent(w)) {
        if ((index = FindWindowRecord(w)) != 0) break;
        chain.push_back(w);
    }
    WindowSkinRecord* record = RecordAt(index);
    if (!record || !record->frameCache.dc) return false;
    place->windowIndex = index;

    RECT controlRect{};
    GetWindowRect(control, &controlRect);
    const POINT origin = CacheOrigin(*record);
    place->at = POINT{controlRect.left - origin.x + rect.left, controlRect.top - origin.y + rect.top};
    for (HWND w : chain) {
        if (int e = record->containers.Find(w)) {
            place->container = record->containers.Get(e);
            place->roundedWash = w == control && GetParent(control) == record->window;
            break;
        }
    }
    return true;
}

BackgroundCapture::BackgroundCapture(HWND control, const RECT& rect, bool capture)
    : width_(rect.right - rect.left), height_(rect.bottom - rect.top)
{
    dc_.Reset(CreateCompatibleDC(nullptr));
    bitmap_.Reset(CreateArgbSurface(width_, height_));
    if (!dc_ || !bitmap_) return;
    previous_ = SelectObject(dc_.Get(), bitmap_.Get());
    if (!capture) {
        ok_ = true;
        return;
    }

    ControlPlace place;
    if (!LocateUnderControl(control, rect, &place)) return;
    const WindowSkinRecord* record = RecordAt(place.windowIndex);
    BitBlt(dc_.Get(), 0, 0, width_, height_, record->frameCache.dc, place.at.x, place.at.y, SRCCOPY);

    const ContainerEntry* container = place.container;
    if (container && container->fillColour != 0) {
        gp::Graphics g;
        if (g.CreateFromHDC(dc_.Get())) {
            gp::ARGB fill = gp::Argb(container->fillColour, container->fillAlpha);
            if (place.roundedWash) {
                gp::FillRoundRect(g, 0, 0, static_cast<float>(width_), static_cast<float>(height_), 5, fill);
            } else {
                gp::SolidBrush brush(fill);
                g.FillRectangle(brush, 0, 0, width_, height_);
            }
        }
    }
    ok_ = true;
}

BackgroundCapture::~BackgroundCapture()
{
    if (previous_ && dc_) SelectObject(dc_.Get(), previous_);
}

HBITMAP BackgroundCapture::DetachBitmap()
{
    if (previous_ && dc_) SelectObject(dc_.Get(), previous_);
    previous_ = nullptr;
    ok_ = false;
    return bitmap_.Detach();
}

}  // namespace orv
