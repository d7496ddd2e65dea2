#include "runtime/ListShadow.h"

namespace orv {

void ListShadow::Reserve(size_t items, size_t bytes)
{
    spans_.reserve(spans_.size() + items);
    bytes_.reserve(bytes_.size() + bytes);
}

void ListShadow::Add(std::string_view text)
{
    spans_.push_back({bytes_.size(), text.size()});
    bytes_.append(text.data(), text.size());
    liveBytes_ += text.size();
}

void ListShadow::Erase(size_t index)
{
    if (index >= spans_.size()) return;
    liveBytes_ -= spans_[index].length;
    spans_.erase(spans_.begin() + static_cast<std::ptrdiff_t>(index));
    // Amortised: a compaction copies the live bytes, and at least as many
    // bytes were deleted since the last one.
    if (bytes_.size() - liveBytes_ > liveBytes_ && bytes_.size() > 4096) Compact();
}

void ListShadow::Clear()
{
    // Swapped out, not just emptied: a list that held 50 MB gives it back.
    std::string().swap(bytes_);
    std::vector<Span>().swap(spans_);
    liveBytes_ = 0;
}

void ListShadow::Compact()
{
    std::string packed;
    packed.reserve(liveBytes_);
    for (Span& s : spans_) {
        const size_t at = packed.size();
        packed.append(bytes_, s.offset, s.length);
        s.offset = at;
    }
    bytes_.swap(packed);
}

}  // namespace orv
