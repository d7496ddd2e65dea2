// The exact bytes of every item of a list box, kept beside the control: the
// control itself cannot hand back NUL bytes or invalid GBK unchanged.
//
// Items live end to end in one buffer with an (offset, length) per item, so
// 100,000 items cost two allocations instead of 100,000, and emptying a long
// list frees two blocks. Deleting an item leaves its bytes behind as garbage
// until garbage outweighs the live bytes; then the buffer is compacted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

class ListShadow {
public:
    void Reserve(size_t items, size_t bytes);
    void Add(std::string_view text);
    // Does nothing for an index out of range.
    void Erase(size_t index);
    void Clear();

    size_t Count() const { return spans_.size(); }
    // Valid until the next change.
    std::string_view At(size_t index) const
    {
        const Span& s = spans_[index];
        return std::string_view(bytes_.data() + s.offset, s.length);
    }
    // Bytes held, garbage included (for the compaction's tests).
    size_t BufferBytes() const { return bytes_.size(); }

private:
    struct Span {
        size_t offset;
        size_t length;
    };
    void Compact();

    std::string bytes_;
    std::vector<Span> spans_;
    size_t liveBytes_ = 0;
};

}  // namespace orv
