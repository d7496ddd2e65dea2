#include "runtime/ListShadow.h"

#include <algorithm>

namespace orv {

void ListShadow::Reserve(size_t items, size_t bytes)
{
    spans_.reserve(spans_.size() + items);
    bytes_.reserve(bytes_.size() + bytes);
}

void ListShadow::Add(std::string_view text)
{
    spans_.push_back({bytes_.size(), static_cast<uint32_t>(text.size()), 1});
    bytes_.append(text.data(), text.size());
    liveBytes_ += text.size();
}

void ListShadow::AddShared(std::string_view text, const SharedBytes& block)
{
    if (std::find(blocks_.rbegin(), blocks_.rend(), block) == blocks_.rend()) blocks_.push_back(block);
    spans_.push_back({reinterpret_cast<uintptr_t>(text.data()), static_cast<uint32_t>(text.size()), 0});
}

void ListShadow::Erase(size_t index)
{
    if (index >= spans_.size()) return;
    if (spans_[index].owned) liveBytes_ -= spans_[index].length;
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
    std::vector<SharedBytes>().swap(blocks_);
    liveBytes_ = 0;
}

void ListShadow::Compact()
{
    std::string packed;
    packed.reserve(liveBytes_);
    for (Span& s : spans_) {
        if (!s.owned) continue;
        const size_t at = packed.size();
        packed.append(bytes_, s.at, s.length);
        s.at = at;
    }
    bytes_.swap(packed);
}

}  // namespace orv
