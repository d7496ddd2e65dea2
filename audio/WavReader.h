// WAV files as singers' backing tracks come: PCM of 8, 16, 24 or 32 bits,
// IEEE float, WAVE_FORMAT_EXTENSIBLE, any channel count and rate, RIFF chunks
// in any order with odd sizes padded. The samples are read in blocks and
// mixed down to one channel: nothing holds the whole track.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/ByteSource.h"

namespace orv {

enum class WavStatus {
    Ok,
    NotWav,             // no RIFF/WAVE header
    UnsupportedFormat,  // a format tag (or extensible sub-format) other than PCM or IEEE float
    BadFormat,          // a fmt chunk that contradicts itself (no channels, no rate, a block size that does not fit)
    NoData,             // no data chunk, or one without a whole sample frame
    ReadError,          // the source failed to read
};

struct WavFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;  // container bits of one sample: 8, 16, 24, 32 or 64
    bool isFloat = false;
    int blockAlign = 0;     // bytes of one frame (all channels)
    uint32_t formatTag = 0; // as written, for the message naming an unsupported one
    uint64_t dataOffset = 0;
    uint64_t dataBytes = 0; // whole frames that the file really holds
    bool truncated = false; // the header claimed more data than the file holds
};

// Reads and checks the header; on Ok, format says where the frames are.
WavStatus ReadWavFormat(ByteSource& source, WavFormat* format);

class WavSampleReader {
public:
    WavSampleReader(ByteSource& source, const WavFormat& format);
    // Up to maxFrames frames, each the mean of its channels in [-1, 1]; 0 at
    // the end of the data or after a read error (Failed() then says so).
    size_t ReadMono(float* out, size_t maxFrames);
    bool Failed() const { return failed_; }
    uint64_t FramesTotal() const;

private:
    ByteSource& source_;
    WavFormat format_;
    uint64_t position_ = 0;  // bytes of data consumed
    bool failed_ = false;
    std::vector<uint8_t> block_;
};

}  // namespace orv
