#include "gdiplus/PictureCache.h"

#include <cstdint>
#include <cstring>
#include <list>

namespace orv::gp {

namespace {

// Enough for every stored picture of the program's skin.
constexpr size_t kCapacity = 64;

struct Entry {
    const void* address;  // where the bytes were first seen
    size_t size;
    uint32_t hash;
    Image image;  // holds its own copy of the bytes, in its stream
};

// Most recently used first.
std::list<Entry> gEntries;

uint32_t ContentHash(const void* bytes, size_t size)
{
    // FNV-1a: a few microseconds for a stored picture, against milliseconds
    // for a decode.
    uint32_t hash = 2166136261u;
    const auto* p = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * 16777619u;
    return hash;
}

// Compared with the copy the entry's image was decoded from (its stream's
// block, which may be larger than asked for).
bool SameBytes(const Entry& entry, const void* bytes, size_t size)
{
    const HGLOBAL block = entry.image.Source().Block();
    if (entry.size != size || !block || GlobalSize(block) < size) return false;
    const void* held = GlobalLock(block);
    if (!held) return false;
    const bool same = std::memcmp(held, bytes, size) == 0;
    GlobalUnlock(block);
    return same;
}

}  // namespace

const Image* CachedPicture(const void* bytes, size_t size)
{
    if (!bytes || size == 0) return nullptr;
    const uint32_t hash = ContentHash(bytes, size);
    for (auto it = gEntries.begin(); it != gEntries.end();) {
        if (it->hash == hash && SameBytes(*it, bytes, size)) {
            gEntries.splice(gEntries.begin(), gEntries, it);
            return &gEntries.front().image;
        }
        // The same buffer with other bytes now: what the entry was made for
        // is gone from there.
        if (it->address == bytes && it->size == size) it = gEntries.erase(it);
        else ++it;
    }
    Image image;
    if (!image.LoadFromBytes(bytes, size)) return nullptr;
    if (gEntries.size() >= kCapacity) gEntries.pop_back();
    gEntries.push_front(Entry{bytes, size, hash, std::move(image)});
    return &gEntries.front().image;
}

void ClearPictureCache() { gEntries.clear(); }

size_t PictureCacheSize() { return gEntries.size(); }

}  // namespace orv::gp
