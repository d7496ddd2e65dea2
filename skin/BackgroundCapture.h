// The image that lies beneath a control: the part of its top-level window's
// frame cache under the control, with the wash of the container it sits in.
// Every control painter starts from this, draws on it and copies it to the
// control once. The capture owns its DC and bitmap and frees them when it
// goes out of scope (the painter that made it is its only user).
#pragma once

#include <windows.h>

#include "gdiplus/GdiHandles.h"

namespace orv {

struct ContainerEntry;

// Where the image under a control comes from: the frame cache of the
// window record that owns it, at a place, with the wash of the container
// it sits in (if any).
struct ControlPlace {
    int windowIndex = 0;
    POINT at{};  // the rectangle's top-left corner in the frame cache
    const ContainerEntry* container = nullptr;
    bool roundedWash = false;  // the container itself, lying directly on the window
};

// False when the control has no skinned top-level window with a frame cache.
// rect is in the control's window coordinates.
bool LocateUnderControl(HWND control, const RECT& rect, ControlPlace* place);

class BackgroundCapture {
public:
    // rect is in the control's window coordinates (0, 0 = the top-left corner
    // of its window rectangle). Without capture, the surface is left blank,
    // for a painter that fills it from an image it kept.
    BackgroundCapture(HWND control, const RECT& rect, bool capture = true);
    BackgroundCapture(const BackgroundCapture&) = delete;
    BackgroundCapture& operator=(const BackgroundCapture&) = delete;
    ~BackgroundCapture();

    // nullptr when the control has no skinned top-level window: the painter
    // then draws nothing.
    HDC Dc() const { return ok_ ? dc_.Get() : nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Hands the bitmap to the caller (deselected first); the DC stays.
    HBITMAP DetachBitmap();

private:
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool ok_ = false;
};

// A 32-bit top-down DIB section (all pixels 0), as used for the frame cache
// and the captures.
HBITMAP CreateArgbSurface(int width, int height);

}  // namespace orv
