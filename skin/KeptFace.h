// A skinned control's finished image, kept from its last paint. Painting a
// control costs milliseconds of GDI+ under Wine; a repaint that changes
// nothing it is drawn from (the frame cache under it, its place, the wash of
// its container, the skin-wide colours, and what its painter names in the
// key: state, text, font, pictures) copies the kept image instead. The
// pixels are the same either way; one image is kept per control, replaced
// when it is drawn again, and freed with the window's record.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace orv {

class BackgroundCapture;

// What a painter draws from, folded into 64 bits (FNV-1a).
class FaceKey {
public:
    FaceKey& Add(uint64_t value);
    FaceKey& Add(std::string_view bytes);
    uint64_t Value() const { return hash_; }

private:
    uint64_t hash_ = 14695981039346656037ull;
};

// A control may keep one image of each kind.
enum FaceLayer : int {
    kFaceWhole = 0,       // what its painter draws over its whole area
    kFaceFrame = 1,       // the frame ring round a control the system paints inside
    kFaceBackground = 2,  // the washed background under a control
    kFaceCanvas = 3,      // a surface a painter composes on, kept only to be drawn over again
};

class KeptFace {
public:
    // rect as for the capture: in the control's window coordinates.
    KeptFace(HWND control, const RECT& rect, uint64_t painterKey, FaceLayer layer = kFaceWhole);
    KeptFace(const KeptFace&) = delete;
    KeptFace& operator=(const KeptFace&) = delete;

    // The image kept for exactly this key, or nullptr: then the painter
    // draws and hands its capture to Keep.
    HDC Image() const;
    // Takes the capture's finished image (the capture gives up its bitmap).
    void Keep(BackgroundCapture& capture);
    // Keeps a copy of what source holds (rect's size, from its top-left
    // corner), for a painter that goes on drawing over its own image.
    void KeepCopy(HDC source);
    // The whole key, 0 when nothing under this control can be kept: for
    // callers that keep something other than an image (a brush).
    uint64_t Key() const { return windowIndex_ ? key_ : 0; }

private:
    void Store(HBITMAP bitmap);

    HWND control_;
    FaceLayer layer_;
    int windowIndex_ = 0;  // 0: nothing is kept (no record, or under the title band)
    uint64_t key_ = 0;
    int width_, height_;
};

}  // namespace orv
