#include "gdiplus/PictureCache.h"

#include <cstdint>
#include <list>

namespace orv::gp {

namespace {

// Enough for every stored picture of the program's skin.
constexpr size_t kCapacity = 64;

struct Entry {
    const void* address;
    size_t size;
    uint32_t hash;
    Image image;
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

}  // namespace

const Image* CachedPicture(const void* bytes, size_t size)
{
    if (!bytes || size == 0) return nullptr;
    const uint32_t hash = ContentHash(bytes, size);
    for (auto it = gEntries.begin(); it != gEntries.end(); ++it) {
        if (it->address != bytes || it->size != size) continue;
        if (it->hash != hash) {
            gEntries.erase(it);  // same buffer, other bytes now
            break;
        }
        gEntries.splice(gEntries.begin(), gEntries, it);
        return &gEntries.front().image;
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
