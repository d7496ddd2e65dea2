// The exact bytes of every item of a list box, kept beside the control: the
// control itself cannot hand back NUL bytes or invalid GBK unchanged.
//
// An item either refers to bytes held elsewhere, in a block the shadow keeps
// alive (the catalogue as read: both lists show it whole, and a copy per list
// would hold it three times), or owns a copy. Owned items live end to end in
// one buffer with an (offset, length) per item, so 100,000 items cost two
// allocations instead of 100,000, and emptying a long list frees two blocks.
// Deleting an owned item leaves its bytes behind as garbage until garbage
// outweighs the live bytes; then the buffer is compacted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/SharedBytes.h"

namespace orv {

class ListShadow {
public:
    void Reserve(size_t items, size_t bytes);
    // A copy of text.
    void Add(std::string_view text);
    // text itself, which lies in block: the shadow holds the block until it
    // is cleared.
    void AddShared(std::string_view text, const SharedBytes& block);
    // Does nothing for an index out of range.
    void Erase(size_t index);
    void Clear();

    size_t Count() const { return spans_.size(); }
    // Valid until the next change.
    std::string_view At(size_t index) const
    {
        const Span& s = spans_[index];
        return std::string_view(s.owned ? bytes_.data() + s.at : reinterpret_cast<const char*>(s.at), s.length);
    }
    // Bytes of the owned copies, garbage included (for the compaction's tests).
    size_t BufferBytes() const { return bytes_.size(); }

private:
    // Offset into bytes_ when owned, else the address of the bytes. An item
    // is shorter than 2 GB: a 32-bit process holds no more.
    struct Span {
        uintptr_t at;
        uint32_t length : 31;
        uint32_t owned : 1;
    };
    void Compact();

    std::string bytes_;
    std::vector<Span> spans_;
    std::vector<SharedBytes> blocks_;
    size_t liveBytes_ = 0;
};

}  // namespace orv
