// A track's title from its ID3 tag: ID3v2.2 (TT2), v2.3 and v2.4 (TIT2) in
// any of their four encodings, unsynchronised or not, else ID3v1. Many
// Chinese MP3s carry GBK bytes in frames labelled ISO-8859-1, so 8-bit text
// is handed on as bytes for the caller to read as GBK where it is GBK.
#pragma once

#include <string>

#include "audio/ByteSource.h"

namespace orv {

struct TagTitle {
    std::u16string unicode;  // from a UTF-16 or UTF-8 frame
    std::string legacy;      // from an ISO-8859-1 frame or ID3v1: raw bytes, no trailing NULs or spaces
    bool Empty() const { return unicode.empty() && legacy.empty(); }
};

// False when the source has no tag with a non-empty title.
bool ReadId3Title(ByteSource& source, TagTitle* title);

}  // namespace orv
