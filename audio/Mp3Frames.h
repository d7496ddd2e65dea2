// MPEG audio Layer III framing, read by the program itself so that the
// platform's decoder gets whole frames and nothing else: ID3v2 tags of any
// size (and junk) before the first frame, the Xing/Info or VBRI frame, and
// ID3v1/APE tags at the end are passed over. MPEG-1, -2 and -2.5, 8-48 kHz.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/ByteSource.h"

namespace orv {

struct Mp3FrameHeader {
    int version = 0;          // 10 (MPEG-1), 20 (MPEG-2), 25 (MPEG-2.5)
    int bitrateKbps = 0;
    int sampleRate = 0;
    int channels = 0;         // 1 or 2
    int frameBytes = 0;       // the whole frame, header and padding included
    int samplesPerFrame = 0;  // 1152 (MPEG-1) or 576
};

// The Layer III header in the four bytes at h; false for anything else
// (another layer, free format, reserved rate or bitrate, no sync).
bool ParseMp3FrameHeader(const uint8_t* h, Mp3FrameHeader* header);

enum class Mp3Status {
    Ok,
    NotMp3,     // no run of consistent Layer III frames where the audio should start
    ReadError,
};

struct Mp3StreamInfo {
    Mp3FrameHeader first;        // the first audio frame's header
    uint64_t firstFrameOffset = 0;
    uint64_t audioEnd = 0;       // where ID3v1/APE tags at the end begin, else the size
    uint32_t frameCount = 0;     // from a Xing/Info or VBRI frame; 0 when unknown
    bool vbrHeader = false;      // such a frame was found (and is not audio)
};

// Finds the first audio frame: after any ID3v2 tags, past junk, confirmed by
// the frames that follow it.
Mp3Status FindMp3Stream(ByteSource& source, Mp3StreamInfo* info);

// A stretch of whole frames in the middle of a stream, where a second reader
// can start: its first frame is confirmed by the frames that follow it.
struct Mp3FrameRun {
    uint64_t start = 0;  // the run's first frame
    uint64_t end = 0;    // the first byte after its last frame
    int frames = 0;
};

// The first run of frames of this stream at or after from that spans at least
// bytes (and at least three frames). A decoder started at run.start has the
// bit reservoir of the frames from run.end on; the run's own output is not
// to be trusted. False when none starts within the next 64 KiB.
Mp3Status FindMp3FrameRun(ByteSource& source, const Mp3StreamInfo& info, uint64_t from, size_t bytes,
                          Mp3FrameRun* run);

// A stream cut into stretches that separate decoders can take at once. Each
// stretch after the first begins with lead frames that the stretch before
// also reads: they give its decoder the bit reservoir, and their output is
// not to be heard twice.
struct Mp3Part {
    Mp3StreamInfo stream;    // this stretch: firstFrameOffset to audioEnd
    uint32_t leadFrames = 0;
};

// Up to parts stretches of about equal size, in order; fewer where no run of
// frames to start from is found (a read error among them), at least one.
std::vector<Mp3Part> PlanMp3Parts(ByteSource& source, const Mp3StreamInfo& info, int parts);

struct Mp3Frame {
    const uint8_t* data = nullptr;  // valid until the next call of Next
    size_t size = 0;
    Mp3FrameHeader header;
};

class Mp3FrameReader {
public:
    enum class End { None, Clean, Truncated, LostSync, ReadError };

    Mp3FrameReader(ByteSource& source, const Mp3StreamInfo& info);
    // The next whole audio frame; false at the end, which End() then names.
    // Garbage between frames is skipped as long as the frames found agree
    // with the first one (version, rate, channels).
    bool Next(Mp3Frame* frame);
    End Ended() const { return end_; }
    uint64_t FramesRead() const { return frames_; }
    uint64_t BytesSkipped() const { return skipped_; }

private:
    bool Fill(size_t need);

    ByteSource& source_;
    Mp3StreamInfo info_;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0, end_bytes_ = 0;  // the unread part of buffer_
    uint64_t bufferOffset_ = 0;         // file offset of buffer_[0]
    uint64_t frames_ = 0;
    uint64_t skipped_ = 0;
    End end_ = End::None;
};

}  // namespace orv
