// Decoded stored pictures, kept between paints. Decoding a 32×32 PNG costs
// about as much under Wine as the rest of a button's paint, so painters that
// draw the same stored bytes again and again get the decoded image from here.
#pragma once

#include "gdiplus/Images.h"

namespace orv::gp {

// The decoded image of bytes, decoding them on first use. Entries are found
// by the bytes themselves (their size, a hash, then the bytes compared), so a
// copy of a picture at another address finds the picture's entry: painters
// that draw from a copy made for the paint decode nothing. An entry whose
// address now holds other bytes goes. The image stays valid until the entry
// is evicted (the cache holds a bounded number of pictures) or the cache is
// cleared: use it within one paint. nullptr when the bytes do not decode.
const Image* CachedPicture(const void* bytes, size_t size);

// Disposes of every cached image. Runs before the last GDI+ session ends.
void ClearPictureCache();

// Pictures held now (for tests and figures).
size_t PictureCacheSize();

}  // namespace orv::gp
