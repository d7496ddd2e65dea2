// An IStream over a movable global memory block: how bytes held in memory
// reach GDI+ decoders and how encoders hand their output back.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv::gp {

using Bytes = std::vector<uint8_t>;

class MemoryStream {
public:
    MemoryStream() = default;
    ~MemoryStream() { Free(); }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    MemoryStream(MemoryStream&& other) noexcept;
    MemoryStream& operator=(MemoryStream&& other) noexcept;

    // Frees what was held, then copies size bytes into a new zero-filled
    // movable block (GMEM_MOVEABLE | GMEM_ZEROINIT) under a stream that does
    // not free the block on release. size 0 makes an empty, growable stream.
    bool CreateFromBytes(const void* data, size_t size);
    bool CreateFromBytes(const Bytes& bytes) { return CreateFromBytes(bytes.data(), bytes.size()); }
    bool CreateEmpty() { return CreateFromBytes(nullptr, 0); }

    // Releases the stream, then frees the block.
    void Free();

    // Bytes written to the stream so far (its logical size).
    size_t Size() const;
    HGLOBAL Block() const { return block_; }
    IStream* Stream() const { return stream_; }
    explicit operator bool() const { return stream_ != nullptr; }

    // The global block under any HGLOBAL-based stream (GetHGlobalFromStream).
    static HGLOBAL BlockOfStream(IStream* stream);

    // A copy of the stream's contents.
    Bytes ContentsAsBytes() const;

private:
    HGLOBAL block_ = nullptr;
    IStream* stream_ = nullptr;
};

}  // namespace orv::gp
