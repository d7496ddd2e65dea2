// A table of skinned controls of one kind inside a window record. Indexes are
// 1-based (0 = none), never reused for another control and never compacted,
// because they are stored in the controls' Hw_lbID properties.
#pragma once

#include <windows.h>

#include <vector>

namespace orv {

template <typename Entry>
class ControlTable {
public:
    // Every table starts with one zero-filled entry.
    ControlTable() : entries_(1) {}

    int Count() const { return static_cast<int>(entries_.size()); }

    // nullptr when index is 0 or beyond the table. Pointers are invalidated
    // by Take; keep indexes, not pointers, across it.
    Entry* Get(int index) { return index >= 1 && index <= Count() ? &entries_[index - 1] : nullptr; }
    const Entry* Get(int index) const { return index >= 1 && index <= Count() ? &entries_[index - 1] : nullptr; }

    // Reuse rule: the only entry is taken while it is free, otherwise a new
    // zero-filled entry is appended. Returns its index.
    int Take()
    {
        if (entries_.size() == 1 && entries_[0].hwnd == nullptr) return 1;
        entries_.emplace_back();
        return Count();
    }

    // Index of the first entry holding control, 0 if none.
    int Find(HWND control) const
    {
        if (!control) return 0;
        for (size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].hwnd == control) return static_cast<int>(i) + 1;
        return 0;
    }

    template <typename Fn>
    void ForEach(Fn fn)
    {
        for (Entry& e : entries_) fn(e);
    }

private:
    std::vector<Entry> entries_;
};

}  // namespace orv
