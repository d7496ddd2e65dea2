// Bytes served at most a few at a time, as a file on a share may serve them:
// the readers must read on until they have what they asked for.
#pragma once

#include <cstddef>
#include <string_view>

#include "audio/ByteSource.h"

namespace orv::test {

class ShortReads : public ByteSource {
public:
    ShortReads(std::string_view bytes, size_t most) : memory_(bytes), most_(most) {}
    int64_t ReadAt(uint64_t offset, void* out, size_t size) override
    {
        return memory_.ReadAt(offset, out, size < most_ ? size : most_);
    }
    uint64_t Size() const override { return memory_.Size(); }

private:
    MemorySource memory_;
    size_t most_;
};

}  // namespace orv::test
