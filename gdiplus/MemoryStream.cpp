#include "gdiplus/MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace orv::gp {

MemoryStream::MemoryStream(MemoryStream&& other) noexcept
    : block_(std::exchange(other.block_, nullptr)), stream_(std::exchange(other.stream_, nullptr)) {}

MemoryStream& MemoryStream::operator=(MemoryStream&& other) noexcept
{
    if (this != &other) {
        Free();
        block_ = std::exchange(other.block_, nullptr);
        stream_ = std::exchange(other.stream_, nullptr);
    }
    return *this;
}

bool MemoryStream::CreateFromBytes(const void* data, size_t size)
{
    Free();
    if (size == 0) {
        // A stream over no block allocates a growable one of its own; it is
        // taken over so that Free releases it like any other.
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(nullptr, FALSE, &stream))) return false;
        stream_ = stream;
        block_ = BlockOfStream(stream);
        return true;
    }
    if (!data) return false;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) return false;
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, FALSE, &stream))) {
        GlobalFree(block);
        return false;
    }
    block_ = block;
    stream_ = stream;
    void* locked = GlobalLock(block);
    if (!locked) {
        Free();
        return false;
    }
    std::memcpy(locked, data, size);
    GlobalUnlock(block);
    return true;
}

void MemoryStream::Free()
{
    if (stream_) std::exchange(stream_, nullptr)->Release();
    if (block_) GlobalFree(std::exchange(block_, nullptr));
}

size_t MemoryStream::Size() const
{
    if (!stream_) return 0;
    STATSTG stat{};
    if (FAILED(stream_->Stat(&stat, STATFLAG_NONAME))) return block_ ? GlobalSize(block_) : 0;
    return static_cast<size_t>(stat.cbSize.QuadPart);
}

HGLOBAL MemoryStream::BlockOfStream(IStream* stream)
{
    HGLOBAL block = nullptr;
    if (!stream || FAILED(GetHGlobalFromStream(stream, &block))) return nullptr;
    return block;
}

Bytes MemoryStream::ContentsAsBytes() const
{
    if (!block_) return Bytes();
    // The block may be larger than what was written (an encoder's stream
    // grows it in steps), so the stream's own size bounds the copy.
    size_t size = GlobalSize(block_);
    if (stream_) size = std::min(size, Size());
    Bytes bytes(size);
    if (size == 0) return bytes;
    const void* locked = GlobalLock(block_);
    if (!locked) return Bytes();
    std::memcpy(bytes.data(), locked, size);
    GlobalUnlock(block_);
    return bytes;
}

}  // namespace orv::gp
