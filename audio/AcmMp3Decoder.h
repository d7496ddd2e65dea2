// MPEG Layer-3 frames to 16-bit PCM through the platform's own decoder, the
// Audio Compression Manager's MPEG Layer-3 codec (Windows' l3codecp.acm,
// Wine's l3codeca.acm). msacm32.dll is loaded the first time a track is
// decoded, never at start-up. Windows only.
#pragma once

#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "audio/Mp3Frames.h"

namespace orv {

// MP3 bytes handed to the platform's decoder at a time: about a quarter of a
// second of a 128 kbps track. Each call's PCM goes to the listening thread
// at once, and a call that returned more than its ring holds would make the
// decoding wait for the listening; the codec costs no more in calls this size.
constexpr size_t kMp3BytesPerCall = 4 * 1024;

// The stream's format as the platform's decoders take it, and the 16-bit
// PCM asked of them: the stream's own rate and channels, for neither
// Wine's codec nor its DMO resamples or mixes.
MPEGLAYER3WAVEFORMAT Mp3WaveFormat(const Mp3FrameHeader& first);
WAVEFORMATEX Pcm16WaveFormat(const Mp3FrameHeader& first);

class AcmMp3Decoder {
public:
    // Interleaved frames of 16-bit samples, channels as the stream has them.
    using PcmSink = std::function<void(const int16_t* pcm, size_t frames)>;

    enum class Status {
        Ok,
        NoDecoder,  // msacm32.dll, or an MPEG Layer-3 codec in it, is missing (N editions, Server)
        Failed,     // the codec refused this stream or a block of it
    };

    AcmMp3Decoder() = default;
    ~AcmMp3Decoder();
    AcmMp3Decoder(const AcmMp3Decoder&) = delete;
    AcmMp3Decoder& operator=(const AcmMp3Decoder&) = delete;

    // A stream for frames like first, decoded at their own rate and channel
    // count: the codec neither resamples nor mixes (Wine's cannot).
    Status Open(const Mp3FrameHeader& first, PcmSink sink);
    // Whole frames, in order. PCM reaches the sink as blocks are decoded.
    Status Feed(const uint8_t* bytes, size_t size);
    // Decodes what is still held.
    Status Finish();
    int Channels() const { return channels_; }

private:
    Status Convert(bool last);
    void Close();

    HACMSTREAM stream_ = nullptr;
    ACMSTREAMHEADER header_{};
    bool prepared_ = false;
    bool started_ = false;
    std::vector<uint8_t> source_;
    std::vector<uint8_t> pcm_;
    size_t held_ = 0;  // bytes of source_ waiting to be decoded
    int channels_ = 0;
    PcmSink sink_;
};

}  // namespace orv
