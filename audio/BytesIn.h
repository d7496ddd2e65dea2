// Reading the fixed-size fields of audio containers (RIFF is little-endian,
// ID3 and MPEG headers big-endian, ID3 sizes "syncsafe": 7 bits a byte), and
// reading a range whole from a source that may hand back less than asked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/ByteSource.h"

namespace orv {

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

inline uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline uint32_t Be32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           static_cast<uint32_t>(p[3]);
}

inline uint32_t Syncsafe(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0] & 0x7F) << 21 | static_cast<uint32_t>(p[1] & 0x7F) << 14 |
           static_cast<uint32_t>(p[2] & 0x7F) << 7 | static_cast<uint32_t>(p[3] & 0x7F);
}

// The ten bytes at h open an ID3v2 tag: "ID3", a version that is not 0xFF,
// and a syncsafe size.
inline bool IsId3v2Header(const uint8_t* h)
{
    return h[0] == 'I' && h[1] == 'D' && h[2] == '3' && h[3] != 0xFF && h[4] != 0xFF &&
           ((h[6] | h[7] | h[8] | h[9]) & 0x80) == 0;
}

// A file may hand back less than asked before its end: read on until the
// count is met, the end is reached (a shorter count) or a read fails (-1).
inline int64_t ReadFully(ByteSource& source, uint64_t offset, uint8_t* out, size_t size)
{
    size_t got = 0;
    while (got < size) {
        const int64_t n = source.ReadAt(offset + got, out + got, size - got);
        if (n < 0) return -1;
        if (n == 0) break;
        const size_t step = static_cast<size_t>(n) < size - got ? static_cast<size_t>(n) : size - got;
        got += step;
    }
    return static_cast<int64_t>(got);
}

}  // namespace orv
