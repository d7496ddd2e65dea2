// The byte writer shared by the two thunk writers (skin/ThunkCode.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "skin/ThunkCode.h"

namespace orv::thunk {

namespace detail {

class CodeWriter {
public:
    void Bytes(std::initializer_list<uint8_t> b) { code_.insert(code_.end(), b); }
    void Word(uint16_t v) { Little(v, 2); }
    void Dword(uint32_t v) { Little(v, 4); }
    void Qword(uint64_t v) { Little(v, 8); }
    void AlignTo(size_t n)
    {
        while (code_.size() % n) code_.push_back(0xCC);
    }
    uint32_t Size() const { return static_cast<uint32_t>(code_.size()); }
    std::vector<uint8_t> Take() { return std::move(code_); }

private:
    void Little(uint64_t v, int n)
    {
        for (int i = 0; i < n; ++i) code_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    std::vector<uint8_t> code_;
};

inline bool InRange(int argCount) { return argCount >= 0 && argCount <= kMaxArguments; }

}  // namespace detail

}  // namespace orv::thunk
