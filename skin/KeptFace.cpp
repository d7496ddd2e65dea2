#include "skin/KeptFace.h"

#include <algorithm>

#include "skin/BackgroundCapture.h"
#include "skin/Registry.h"
#include "skin/SkinSettings.h"

namespace orv {

FaceKey& FaceKey::Add(uint64_t value)
{
    for (int i = 0; i < 8; ++i) hash_ = (hash_ ^ ((value >> (8 * i)) & 0xFF)) * 1099511628211ull;
    return *this;
}

FaceKey& FaceKey::Add(std::string_view bytes)
{
    Add(bytes.size());
    for (unsigned char c : bytes) hash_ = (hash_ ^ c) * 1099511628211ull;
    return *this;
}

KeptFace::KeptFace(HWND control, const RECT& rect, uint64_t painterKey, FaceLayer layer)
    : control_(control), layer_(layer), width_(rect.right - rect.left), height_(rect.bottom - rect.top)
{
    ControlPlace place;
    if (width_ <= 0 || height_ <= 0 || !LocateUnderControl(control, rect, &place)) return;
    const WindowSkinRecord* r = RecordAt(place.windowIndex);
    // The title band changes under the hover animation and the caption
    // without a new frame cache: what lies there is never kept.
    if ((r->titleBar || r->cacheCoversWindow) && place.at.y < std::max(TitleBandRows(*r), r->titleHeight + 1)) return;
    const SkinSettings& s = Skin();
    FaceKey key;
    key.Add(painterKey).Add(r->frameGeneration).Add(static_cast<uint32_t>(place.at.x)).Add(
        static_cast<uint32_t>(place.at.y));
    key.Add(static_cast<uint32_t>(width_)).Add(static_cast<uint32_t>(height_));
    if (place.container) {
        key.Add(place.container->fillColour).Add(place.container->fillAlpha).Add(place.roundedWash ? 1 : 0);
    }
    key.Add(s.accentColor).Add(static_cast<uint32_t>(s.controlSkinning)).Add(
        static_cast<uint32_t>(s.translucentBackground));
    key.Add(static_cast<uint32_t>(s.backgroundAlpha));
    key_ = key.Value();
    windowIndex_ = place.windowIndex;
}

HDC KeptFace::Image() const
{
    const WindowSkinRecord* r = windowIndex_ ? RecordAt(windowIndex_) : nullptr;
    if (!r) return nullptr;
    for (const KeptFaceEntry& f : r->keptFaces)
        if (f.control == control_ && f.layer == layer_) return f.key == key_ && f.image.width == width_ && f.image.height == height_
                                              ? f.image.dc
                                              : nullptr;
    return nullptr;
}

void KeptFace::Keep(BackgroundCapture& capture)
{
    if (!windowIndex_ || !RecordAt(windowIndex_) || !capture.Dc() || capture.Width() != width_ ||
        capture.Height() != height_)
        return;
    Store(capture.DetachBitmap());
}

void KeptFace::KeepCopy(HDC source)
{
    if (!windowIndex_ || !RecordAt(windowIndex_) || !source) return;
    HBITMAP copy = CreateArgbSurface(width_, height_);
    HDC dc = copy ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        if (copy) DeleteObject(copy);
        return;
    }
    HGDIOBJ previous = SelectObject(dc, copy);
    BitBlt(dc, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    DeleteDC(dc);
    Store(copy);
}

void KeptFace::Store(HBITMAP bitmap)
{
    WindowSkinRecord* r = windowIndex_ ? RecordAt(windowIndex_) : nullptr;
    if (!r) {
        if (bitmap) DeleteObject(bitmap);
        return;
    }
    KeptFaceEntry* slot = nullptr;
    for (KeptFaceEntry& f : r->keptFaces)
        if (f.control == control_ && f.layer == layer_) slot = &f;
    if (!slot) {
        r->keptFaces.push_back(KeptFaceEntry{control_, layer_, 0, KeptDc{}});
        slot = &r->keptFaces.back();
    }
    DeleteKeptDc(slot->image);
    slot->key = 0;
    HDC dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        if (bitmap) DeleteObject(bitmap);
        return;
    }
    slot->image.dc = dc;
    slot->image.bitmap = bitmap;
    slot->image.previous = SelectObject(dc, bitmap);
    slot->image.width = width_;
    slot->image.height = height_;
    slot->key = key_;
}

}  // namespace orv
