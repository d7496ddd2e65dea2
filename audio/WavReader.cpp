// WAV backing tracks: the RIFF chunk walk that finds fmt and data wherever a
// writer put them, and the mix-down to one channel, a block at a time so that
// a 10-minute track costs one 64 KiB buffer, not its 100 MB.
#include "audio/WavReader.h"

#include <algorithm>
#include <cstring>

#include "audio/BytesIn.h"

namespace orv {

namespace {

constexpr size_t kBlockBytes = 64 * 1024;
constexpr int kMaxChannels = 64;
constexpr uint32_t kMinRate = 1000;
constexpr uint32_t kMaxRate = 384000;
// Real files carry a handful of chunks; a file of thousands of empty ones is
// built to keep the walk busy.
constexpr int kMaxChunks = 65536;
constexpr uint32_t kStreamedSize = 0xFFFFFFFF;

// The tail shared by every KSDATAFORMAT_SUBTYPE GUID after its 16-bit format
// code (Microsoft, WAVEFORMATEXTENSIBLE documentation): 0000-0000-0010-
// 800000AA00389B71 as stored little-endian.
const uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

double ClampFloat(double v)
{
    // NaN fails both comparisons and the self-comparison: it is heard as silence.
    return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : (v == v ? v : 0.0));
}

// Each sample type: its bytes, the type its channels are summed in (exact
// for integers: 64 channels of 32 bits fit 64 bits) and the scale to [-1, 1].
// Integers are sign-extended by subtracting the sign bit's weight twice: no
// branch and no implementation-defined narrowing.
struct U8 {
    using Sum = int32_t;
    static constexpr size_t kBytes = 1;
    static constexpr double kScale = 1.0 / 128.0;
    static int32_t Value(const uint8_t* p) { return static_cast<int32_t>(p[0]) - 128; }
};
struct S16 {
    using Sum = int32_t;
    static constexpr size_t kBytes = 2;
    static constexpr double kScale = 1.0 / 32768.0;
    static int32_t Value(const uint8_t* p)
    {
        const int32_t v = Le16(p);
        return v - ((v & 0x8000) << 1);
    }
};
struct S24 {
    using Sum = int32_t;
    static constexpr size_t kBytes = 3;
    static constexpr double kScale = 1.0 / 8388608.0;
    static int32_t Value(const uint8_t* p)
    {
        const int32_t v = p[0] | p[1] << 8 | p[2] << 16;
        return v - ((v & 0x800000) << 1);
    }
};
struct S32 {
    using Sum = int64_t;
    static constexpr size_t kBytes = 4;
    static constexpr double kScale = 1.0 / 2147483648.0;
    static int64_t Value(const uint8_t* p)
    {
        const int64_t v = Le32(p);
        return v - ((v & 0x80000000) << 1);
    }
};
struct F32 {
    using Sum = double;
    static constexpr size_t kBytes = 4;
    static constexpr double kScale = 1.0;
    static double Value(const uint8_t* p)
    {
        const uint32_t u = Le32(p);
        float f;
        std::memcpy(&f, &u, sizeof f);
        return ClampFloat(f);
    }
};
struct F64 {
    using Sum = double;
    static constexpr size_t kBytes = 8;
    static constexpr double kScale = 1.0;
    static double Value(const uint8_t* p)
    {
        const uint64_t u = static_cast<uint64_t>(Le32(p)) | static_cast<uint64_t>(Le32(p + 4)) << 32;
        double d;
        std::memcpy(&d, &u, sizeof d);
        return ClampFloat(d);
    }
};

// One loop per sample type, chosen once per block, keeps the per-sample work
// free of calls the compiler cannot inline. The scale is applied once per
// frame, in double, so that a full-scale frame lands on -1 exactly and never
// past it.
template <typename Sample>
void MixDown(const uint8_t* p, size_t frames, int channels, float* out)
{
    const double scale = Sample::kScale / channels;
    constexpr size_t kBytes = Sample::kBytes;
    // Mono and stereo, nearly every track, get loops the compiler can unroll.
    if (channels == 1) {
        for (size_t f = 0; f < frames; ++f, p += kBytes)
            out[f] = static_cast<float>(static_cast<double>(Sample::Value(p)) * scale);
        return;
    }
    if (channels == 2) {
        for (size_t f = 0; f < frames; ++f, p += 2 * kBytes)
            out[f] = static_cast<float>(static_cast<double>(Sample::Value(p) + Sample::Value(p + kBytes)) * scale);
        return;
    }
    for (size_t f = 0; f < frames; ++f) {
        typename Sample::Sum sum = 0;
        for (int c = 0; c < channels; ++c, p += kBytes) sum += Sample::Value(p);
        out[f] = static_cast<float>(static_cast<double>(sum) * scale);
    }
}

void MixDown(const WavFormat& format, const uint8_t* p, size_t frames, float* out)
{
    const int ch = format.channels;
    if (format.isFloat) {
        if (format.bitsPerSample == 32) MixDown<F32>(p, frames, ch, out);
        else MixDown<F64>(p, frames, ch, out);
        return;
    }
    switch (format.bitsPerSample) {
    case 8: MixDown<U8>(p, frames, ch, out); break;
    case 16: MixDown<S16>(p, frames, ch, out); break;
    case 24: MixDown<S24>(p, frames, ch, out); break;
    default: MixDown<S32>(p, frames, ch, out); break;
    }
}

}  // namespace

WavStatus ReadWavFormat(ByteSource& source, WavFormat* format)
{
    *format = WavFormat();
    const uint64_t fileSize = source.Size();
    uint8_t riff[12];
    const int64_t got = ReadFully(source, 0, riff, sizeof riff);
    if (got < 0) return WavStatus::ReadError;
    if (got < 12 || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return WavStatus::NotWav;

    // The RIFF size is ignored: writers that stream get it wrong, and the
    // file's real size is what bounds the walk.
    uint8_t fmt[40];
    size_t fmtBytes = 0;
    bool haveFmt = false, haveData = false;
    uint64_t pos = 12;
    for (int chunks = 0; chunks < kMaxChunks && !(haveFmt && haveData) && pos <= fileSize && fileSize - pos >= 8;
         ++chunks) {
        uint8_t head[8];
        const int64_t n = ReadFully(source, pos, head, sizeof head);
        if (n < 0) return WavStatus::ReadError;
        if (n < 8) break;
        const uint32_t size = Le32(head + 4);
        const uint64_t body = pos + 8;
        const uint64_t left = fileSize - body;
        if (!haveFmt && std::memcmp(head, "fmt ", 4) == 0) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>({size, sizeof fmt, left}));
            const int64_t m = ReadFully(source, body, fmt, want);
            if (m < 0) return WavStatus::ReadError;
            fmtBytes = static_cast<size_t>(m);
            haveFmt = true;
        } else if (!haveData && std::memcmp(head, "data", 4) == 0) {
            haveData = true;
            format->dataOffset = body;
            // Writers that stream leave the size at 0 or all ones: the data
            // is the rest of the file, and nothing after it can be found.
            if (size == kStreamedSize || (size == 0 && left > 0)) {
                format->dataBytes = left;
                break;
            }
            if (size > left) {
                format->dataBytes = left;
                format->truncated = true;
                break;
            }
            format->dataBytes = size;
        }
        pos = body + size + (size & 1);
    }
    if (!haveFmt || fmtBytes < 16) return WavStatus::BadFormat;

    format->formatTag = Le16(fmt);
    uint32_t kind = format->formatTag;
    if (kind == 0xFFFE) {
        if (fmtBytes < 40) return WavStatus::BadFormat;
        if (std::memcmp(fmt + 26, kSubFormatTail, sizeof kSubFormatTail) != 0) return WavStatus::UnsupportedFormat;
        kind = Le16(fmt + 24);
    }
    if (kind != 1 && kind != 3) return WavStatus::UnsupportedFormat;

    const uint32_t channels = Le16(fmt + 2);
    const uint32_t rate = Le32(fmt + 4);
    const uint32_t blockAlign = Le16(fmt + 12);
    const uint32_t bits = Le16(fmt + 14);
    const bool isFloat = kind == 3;
    // Extensible files may say fewer valid bits than the container holds
    // (20 in 24): the samples are read by the container either way.
    const bool bitsOk = isFloat ? (bits == 32 || bits == 64) : (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    if (channels < 1 || channels > kMaxChannels || rate < kMinRate || rate > kMaxRate || !bitsOk ||
        blockAlign != channels * bits / 8)
        return WavStatus::BadFormat;
    format->channels = static_cast<int>(channels);
    format->sampleRate = static_cast<int>(rate);
    format->bitsPerSample = static_cast<int>(bits);
    format->isFloat = isFloat;
    format->blockAlign = static_cast<int>(blockAlign);

    if (!haveData) return WavStatus::NoData;
    format->dataBytes -= format->dataBytes % blockAlign;
    if (format->dataBytes == 0) return WavStatus::NoData;
    return WavStatus::Ok;
}

WavSampleReader::WavSampleReader(ByteSource& source, const WavFormat& format) : source_(source), format_(format)
{
    if (format_.blockAlign > 0 && format_.channels > 0) {
        const size_t frameBytes = static_cast<size_t>(format_.blockAlign);
        block_.resize(std::max<size_t>(1, kBlockBytes / frameBytes) * frameBytes);
    }
}

uint64_t WavSampleReader::FramesTotal() const
{
    return format_.blockAlign > 0 ? format_.dataBytes / static_cast<uint64_t>(format_.blockAlign) : 0;
}

size_t WavSampleReader::ReadMono(float* out, size_t maxFrames)
{
    if (failed_ || block_.empty()) return 0;
    const size_t frameBytes = static_cast<size_t>(format_.blockAlign);
    size_t done = 0;
    while (done < maxFrames && position_ < format_.dataBytes) {
        const uint64_t framesLeft = (format_.dataBytes - position_) / frameBytes;
        if (framesLeft == 0) break;
        const size_t frames =
            static_cast<size_t>(std::min<uint64_t>({maxFrames - done, block_.size() / frameBytes, framesLeft}));
        const int64_t got = ReadFully(source_, format_.dataOffset + position_, block_.data(), frames * frameBytes);
        if (got < 0) {
            failed_ = true;
            break;
        }
        const size_t whole = static_cast<size_t>(got) / frameBytes;
        MixDown(format_, block_.data(), whole, out + done);
        position_ += whole * frameBytes;
        done += whole;
        // Fewer bytes than the header promised: the file shrank while open.
        if (whole < frames) {
            failed_ = true;
            break;
        }
    }
    return done;
}

}  // namespace orv
