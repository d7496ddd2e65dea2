// MPEG audio Layer III framing. The program finds the frames itself so that a
// tagged, padded or damaged file reaches the platform's decoder as a clean run
// of frames: a decoder that meets a megabyte picture or a false sync either
// gives up or plays noise into the key estimate.
#include "audio/Mp3Frames.h"

#include <algorithm>
#include <cstring>

#include "audio/BytesIn.h"

namespace orv {

namespace {

constexpr size_t kBlockBytes = 64 * 1024;
// The frame reader's reads: under Wine each overlapped read is a round trip
// to the server, and a 4-minute track in 64 KiB reads spent 16 ms on them
// beside 283 ms of decoding; in 512 KiB reads, 6 ms.
constexpr size_t kReadBytes = 512 * 1024;
// The largest Layer III frame: 320 kbit/s at 32 kHz (MPEG-1) or 160 kbit/s
// at 8 kHz (MPEG-2.5), padded.
constexpr size_t kMaxFrameBytes = 1441;
// The first frame and the three that confirm it fit in this past a candidate.
constexpr size_t kConfirmSpan = 4 * kMaxFrameBytes + 4;
constexpr int kConfirmFrames = 3;
constexpr uint64_t kMaxLeadingJunk = 1024 * 1024;
constexpr uint64_t kMaxGarbageRun = 64 * 1024;

// Layer III bitrates in kbit/s by index, ISO/IEC 11172-3 (1993) and 13818-3
// (1995); index 0 (free format) and 15 are refused before these are read.
const int kBitratesMpeg1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
const int kBitratesMpeg2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
// MPEG-2 halves the MPEG-1 rates, MPEG-2.5 quarters them.
const int kRatesMpeg1[3] = {44100, 48000, 32000};

// Header, body and (v2.4) footer.
uint64_t Id3v2Bytes(const uint8_t* h)
{
    const uint64_t body = static_cast<uint64_t>(h[6]) << 21 | static_cast<uint64_t>(h[7]) << 14 |
                          static_cast<uint64_t>(h[8]) << 7 | h[9];
    return 10 + body + ((h[3] >= 4 && (h[5] & 0x10)) ? 10 : 0);
}

// The decoder cannot follow a change of version, rate or channel count, so a
// frame that changes them is not part of this stream. Stereo and joint stereo
// both count as two channels: some encoders switch between them per frame.
bool SameStream(const Mp3FrameHeader& a, const Mp3FrameHeader& b)
{
    return a.version == b.version && a.sampleRate == b.sampleRate && a.channels == b.channels;
}

// Where the ID3v1 (with its enhanced block) and APEv2 tags at the end begin;
// floor is where the audio starts, which no tag reaches past.
bool FindTailTags(ByteSource& source, uint64_t floor, uint64_t* end)
{
    uint8_t b[32];
    if (*end >= floor + 128) {
        const int64_t n = ReadFully(source, *end - 128, b, 3);
        if (n < 0) return false;
        if (n == 3 && std::memcmp(b, "TAG", 3) == 0) {
            *end -= 128;
            if (*end >= floor + 227) {
                const int64_t m = ReadFully(source, *end - 227, b, 4);
                if (m < 0) return false;
                if (m == 4 && std::memcmp(b, "TAG+", 4) == 0) *end -= 227;
            }
        }
    }
    if (*end >= floor + 32) {
        const int64_t n = ReadFully(source, *end - 32, b, 32);
        if (n < 0) return false;
        if (n == 32 && std::memcmp(b, "APETAGEX", 8) == 0) {
            // The size counts the items and this footer; a header, when the
            // flags say there is one, comes on top.
            const uint64_t size = Le32(b + 12);
            const uint64_t total = size + ((Le32(b + 20) & 0x80000000u) ? 32 : 0);
            if (size >= 32 && total <= *end - floor) *end -= total;
        }
    }
    return true;
}

// The frame count of a Xing/Info or VBRI frame (f holds n bytes of it).
// Xing: after the side information, "Xing"/"Info", flags, frames if flag 1
// (Xing Technology's VBR header as documented with LAME). VBRI: 32 bytes
// after the header, frames at +14 (Fraunhofer's VBRI header).
bool ReadVbrFrame(const uint8_t* f, size_t n, const Mp3FrameHeader& h, uint32_t* frameCount)
{
    const size_t sideInfo = h.version == 10 ? (h.channels == 2 ? 32 : 17) : (h.channels == 2 ? 17 : 9);
    const size_t x = 4 + sideInfo;
    if (x + 8 <= n && (std::memcmp(f + x, "Xing", 4) == 0 || std::memcmp(f + x, "Info", 4) == 0)) {
        *frameCount = ((Be32(f + x + 4) & 1) && x + 12 <= n) ? Be32(f + x + 8) : 0;
        return true;
    }
    const size_t v = 4 + 32;
    if (v + 18 <= n && std::memcmp(f + v, "VBRI", 4) == 0) {
        *frameCount = Be32(f + v + 14);
        return true;
    }
    return false;
}

// Whether the frame h at w[at] (w holding have bytes that start at file
// offset base) is followed by kConfirmFrames more of the same stream, or by
// at least one and then exactly the end of the audio.
bool Confirmed(const uint8_t* w, size_t have, size_t at, uint64_t base, uint64_t end, const Mp3FrameHeader& h)
{
    size_t pos = at + static_cast<size_t>(h.frameBytes);
    for (int k = 0; k < kConfirmFrames; ++k) {
        if (base + pos == end) return k > 0;
        Mp3FrameHeader next;
        if (pos + 4 > have || !ParseMp3FrameHeader(w + pos, &next) || !SameStream(next, h)) return false;
        pos += static_cast<size_t>(next.frameBytes);
    }
    return true;
}

}  // namespace

bool ParseMp3FrameHeader(const uint8_t* h, Mp3FrameHeader* header)
{
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
    const int versionBits = (h[1] >> 3) & 3;  // 0 MPEG-2.5, 1 reserved, 2 MPEG-2, 3 MPEG-1
    const int layerBits = (h[1] >> 1) & 3;    // 1 is Layer III
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    // Emphasis 2 is reserved: refusing it is one more check against false syncs.
    if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 ||
        (h[3] & 3) == 2)
        return false;
    Mp3FrameHeader r;
    r.version = versionBits == 3 ? 10 : (versionBits == 2 ? 20 : 25);
    r.sampleRate = kRatesMpeg1[rateIndex] >> (versionBits == 3 ? 0 : (versionBits == 2 ? 1 : 2));
    r.bitrateKbps = (versionBits == 3 ? kBitratesMpeg1 : kBitratesMpeg2)[bitrateIndex];
    r.channels = (h[3] >> 6) == 3 ? 1 : 2;
    r.samplesPerFrame = versionBits == 3 ? 1152 : 576;
    // samplesPerFrame / 8 bytes for each bit per second of bitrate per sample per second.
    r.frameBytes = r.samplesPerFrame / 8 * r.bitrateKbps * 1000 / r.sampleRate + ((h[2] >> 1) & 1);
    *header = r;
    return true;
}

Mp3Status FindMp3Stream(ByteSource& source, Mp3StreamInfo* info)
{
    *info = Mp3StreamInfo();
    const uint64_t size = source.Size();
    uint64_t start = 0;
    for (;;) {
        uint8_t h[10];
        const int64_t n = ReadFully(source, start, h, sizeof h);
        if (n < 0) return Mp3Status::ReadError;
        if (n < 10 || !IsId3v2Header(h)) break;
        start += Id3v2Bytes(h);
    }
    if (start >= size) return Mp3Status::NotMp3;
    uint64_t end = size;
    if (!FindTailTags(source, start, &end)) return Mp3Status::ReadError;

    // Candidates are looked for in the first kBlockBytes of each window; the
    // rest of the window holds the frames that confirm them.
    const uint64_t scanEnd = std::min(end, start + kMaxLeadingJunk);
    std::vector<uint8_t> window(kBlockBytes + kConfirmSpan);
    for (uint64_t base = start; base < scanEnd; base += kBlockBytes) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(window.size(), end - base));
        const int64_t n = ReadFully(source, base, window.data(), want);
        if (n < 0) return Mp3Status::ReadError;
        const size_t have = static_cast<size_t>(n);
        const size_t candidates = static_cast<size_t>(std::min<uint64_t>({kBlockBytes, scanEnd - base, have}));
        for (size_t i = 0; i < candidates; ++i) {
            const void* sync = std::memchr(window.data() + i, 0xFF, candidates - i);
            if (!sync) break;
            i = static_cast<size_t>(static_cast<const uint8_t*>(sync) - window.data());
            Mp3FrameHeader h;
            if (i + 4 > have || !ParseMp3FrameHeader(window.data() + i, &h) ||
                !Confirmed(window.data(), have, i, base, end, h))
                continue;
            info->first = h;
            info->firstFrameOffset = base + i;
            info->audioEnd = end;
            uint32_t frameCount = 0;
            const size_t inWindow = std::min(static_cast<size_t>(h.frameBytes), have - i);
            if (ReadVbrFrame(window.data() + i, inWindow, h, &frameCount)) {
                // Not audio: the decoder starts after it.
                info->vbrHeader = true;
                info->frameCount = frameCount;
                info->firstFrameOffset += static_cast<uint64_t>(h.frameBytes);
                const size_t next = i + static_cast<size_t>(h.frameBytes);
                Mp3FrameHeader audio;
                if (next + 4 <= have && ParseMp3FrameHeader(window.data() + next, &audio)) info->first = audio;
            }
            return Mp3Status::Ok;
        }
    }
    return Mp3Status::NotMp3;
}

Mp3Status FindMp3FrameRun(ByteSource& source, const Mp3StreamInfo& info, uint64_t from, size_t bytes,
                          Mp3FrameRun* run)
{
    const uint64_t end = std::min(info.audioEnd, source.Size());
    if (from >= end) return Mp3Status::NotMp3;
    std::vector<uint8_t> window(static_cast<size_t>(std::min<uint64_t>(kBlockBytes + bytes + 2 * kMaxFrameBytes, end - from)));
    const int64_t got = ReadFully(source, from, window.data(), window.size());
    if (got < 0) return Mp3Status::ReadError;
    const size_t have = static_cast<size_t>(got);
    for (size_t p = 0; p < kBlockBytes && p + 4 <= have; ++p) {
        if (window[p] != 0xFF) continue;
        Mp3FrameHeader h;
        size_t q = p;
        int frames = 0;
        while (q + 4 <= have && ParseMp3FrameHeader(&window[q], &h) && SameStream(h, info.first) &&
               q + static_cast<size_t>(h.frameBytes) <= have) {
            q += static_cast<size_t>(h.frameBytes);
            ++frames;
            if (frames >= kConfirmFrames && q - p >= bytes) {
                *run = Mp3FrameRun{from + p, from + q, frames};
                return Mp3Status::Ok;
            }
        }
    }
    return Mp3Status::NotMp3;
}

std::vector<Mp3Part> PlanMp3Parts(ByteSource& source, const Mp3StreamInfo& info, int parts)
{
    // The reservoir reaches back at most 511 bytes of main data (ISO/IEC
    // 11172-3, main_data_begin); a run of this many bytes holds that
    // beside its frames' headers and side information.
    constexpr size_t kLeadBytes = 1024;
    std::vector<Mp3Part> plan(1);
    plan[0].stream = info;
    const uint64_t begin = info.firstFrameOffset, end = std::min(info.audioEnd, source.Size());
    uint64_t heardFrom = begin;  // where the last part's own frames begin
    for (int i = 1; i < parts && end > begin; ++i) {
        const uint64_t from = begin + (end - begin) / static_cast<uint64_t>(parts) * static_cast<uint64_t>(i);
        Mp3FrameRun run;
        if (FindMp3FrameRun(source, info, std::max(from, heardFrom), kLeadBytes, &run) != Mp3Status::Ok ||
            run.end >= end)
            break;
        heardFrom = run.end;
        plan.back().stream.audioEnd = run.end;
        Mp3Part part;
        part.stream = info;
        part.stream.firstFrameOffset = run.start;
        part.stream.audioEnd = end;
        part.stream.frameCount = 0;
        part.stream.vbrHeader = false;
        part.leadFrames = static_cast<uint32_t>(run.frames);
        plan.push_back(part);
    }
    return plan;
}

Mp3FrameReader::Mp3FrameReader(ByteSource& source, const Mp3StreamInfo& info)
    : source_(source), info_(info), buffer_(kReadBytes + 2 * kMaxFrameBytes), bufferOffset_(info.firstFrameOffset)
{
    info_.audioEnd = std::min(info_.audioEnd, source_.Size());
}

bool Mp3FrameReader::Fill(size_t need)
{
    if (end_bytes_ - begin_ >= need) return true;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_bytes_ - begin_);
        bufferOffset_ += begin_;
        end_bytes_ -= begin_;
        begin_ = 0;
    }
    while (end_bytes_ < need) {
        const uint64_t at = bufferOffset_ + end_bytes_;
        if (at >= info_.audioEnd) return false;
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer_.size() - end_bytes_, info_.audioEnd - at));
        const int64_t n = source_.ReadAt(at, buffer_.data() + end_bytes_, want);
        if (n < 0) {
            end_ = End::ReadError;
            return false;
        }
        if (n == 0) {
            // The file is shorter than when it was opened.
            info_.audioEnd = at;
            return false;
        }
        end_bytes_ += std::min(static_cast<size_t>(n), want);
    }
    return true;
}

bool Mp3FrameReader::Next(Mp3Frame* frame)
{
    if (end_ != End::None) return false;
    uint64_t run = 0;      // garbage passed over since the last frame
    bool cutSeen = false;  // a frame of this stream that the end cut short
    for (;;) {
        if (!Fill(4)) {
            if (end_ != End::None) return false;
            const size_t rest = end_bytes_ - begin_;
            // A header cut short right after a frame is the last frame cut short.
            if (rest > 0 && run == 0 && buffer_[begin_] == 0xFF) cutSeen = true;
            skipped_ += rest;
            begin_ = end_bytes_;
            end_ = cutSeen ? End::Truncated : End::Clean;
            return false;
        }
        Mp3FrameHeader h;
        if (ParseMp3FrameHeader(buffer_.data() + begin_, &h) && SameStream(h, info_.first)) {
            const size_t bytes = static_cast<size_t>(h.frameBytes);
            if (Fill(bytes)) {
                // Right after a frame a header is believed; after garbage it
                // could be a false sync inside the garbage, and the frame
                // after it has to agree.
                bool accept = run == 0;
                if (!accept) {
                    if (Fill(bytes + 4)) {
                        Mp3FrameHeader next;
                        accept = ParseMp3FrameHeader(buffer_.data() + begin_ + bytes, &next) && SameStream(next, h);
                    } else {
                        accept = end_ == End::None && end_bytes_ - begin_ == bytes;
                    }
                }
                if (accept) {
                    frame->data = buffer_.data() + begin_;
                    frame->size = bytes;
                    frame->header = h;
                    begin_ += bytes;
                    ++frames_;
                    return true;
                }
            } else if (run == 0) {
                if (end_ == End::None) end_ = End::Truncated;
                return false;
            } else {
                cutSeen = true;
            }
            if (end_ != End::None) return false;
        } else if (buffer_[begin_] == 'I' && Fill(10) && IsId3v2Header(buffer_.data() + begin_)) {
            // A tag between frames, as where tracks were joined: passed over
            // whole, whatever its size, without counting as lost sync.
            const uint64_t at = bufferOffset_ + begin_;
            const uint64_t tagEnd = std::min(info_.audioEnd, at + Id3v2Bytes(buffer_.data() + begin_));
            skipped_ += tagEnd - at;
            if (tagEnd - at <= end_bytes_ - begin_) {
                begin_ += static_cast<size_t>(tagEnd - at);
            } else {
                bufferOffset_ = tagEnd;
                begin_ = end_bytes_ = 0;
            }
            continue;
        }
        if (end_ != End::None) return false;
        // Garbage: on to the next byte that could start a frame or a tag.
        const uint8_t* from = buffer_.data() + begin_;
        const uint8_t* q = from + 1;
        const uint8_t* stop = buffer_.data() + end_bytes_;
        while (q < stop && *q != 0xFF && *q != 'I') ++q;
        const size_t step = static_cast<size_t>(q - from);
        begin_ += step;
        skipped_ += step;
        run += step;
        if (run > kMaxGarbageRun) {
            end_ = End::LostSync;
            return false;
        }
    }
}

}  // namespace orv
