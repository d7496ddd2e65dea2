// Where the audio readers take their bytes from: a file on Windows, memory in
// the tests and fuzzers. Reads are positioned, so a reader can look at a
// file's end (ID3v1) and come back without a seek state to keep in step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace orv {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to size bytes from offset into out: the count read, 0 at or past the
    // end, or -1 when the read failed (the file vanished, the network stalled
    // and was cancelled).
    virtual int64_t ReadAt(uint64_t offset, void* out, size_t size) = 0;
    // The size when the source was opened.
    virtual uint64_t Size() const = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    int64_t ReadAt(uint64_t offset, void* out, size_t size) override
    {
        if (offset >= bytes_.size()) return 0;
        const size_t n = size < bytes_.size() - offset ? size : static_cast<size_t>(bytes_.size() - offset);
        std::memcpy(out, bytes_.data() + offset, n);
        return static_cast<int64_t>(n);
    }
    uint64_t Size() const override { return bytes_.size(); }

private:
    std::string_view bytes_;
};

}  // namespace orv
