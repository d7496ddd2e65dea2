// One backing track from its path to its key: open it by its wide name, tell
// WAV from MP3 by content, read the title, decode (MP3 through the
// platform's decoder) and listen, block by block. Windows only.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "audio/KeyEstimator.h"

namespace orv {

struct TrackReport {
    enum class Outcome {
        Key,             // estimate holds the key
        NoKey,           // heard, but no key stands out: estimate.verdict says why
        Stopped,         // the user stopped the analysis
        Missing,         // no such file (or it vanished before it was opened)
        Folder,          // a folder where a file was expected
        CannotOpen,      // locked, no permission: systemError says which
        Empty,           // 0 bytes
        TooLarge,        // over kMostTrackBytes
        NotAudio,        // neither WAV nor MP3 by content
        UnsupportedWav,  // a WAV of another encoding: formatTag names it
        BadWav,          // a WAV whose header contradicts itself or holds no samples
        NoDecoder,       // the system has no MPEG Layer-3 decoder
        DecodeFailed,    // the decoder refused the stream
        ReadFailed,      // the file could not be read to its end (vanished, network error)
        TimedOut,        // a read stalled (a network share gone away)
    };
    Outcome outcome = Outcome::NotAudio;
    KeyEstimate estimate;
    std::wstring title;        // cleaned, from the tag or else the file name
    bool incomplete = false;   // cut short (a truncated download): heard as far as it goes
    uint32_t formatTag = 0;    // UnsupportedWav
    unsigned long systemError = 0;
    double seconds = 0;        // of audio decoded
    int mp3Parts = 0;          // MP3 stretches decoded at once, each by its own decoder
};

constexpr uint64_t kMostTrackBytes = 1ull << 30;

// False for a name whose extension is not one of the readable kinds (.mp3,
// .wav): a folder's other files are passed over.
bool IsTrackFileName(const std::wstring& name);

// The platform's MP3 decoders a track may go through: the ACM codec, or the
// MP3 decoder DMO where the system has no such codec. A test takes the codec
// away, as Server and N editions do.
enum class Mp3Decoders { AcmThenDmo, DmoOnly };

// How a track is decoded: the program takes the defaults; tests and the
// benchmark choose.
struct TrackDecoding {
    Mp3Decoders decoders = Mp3Decoders::AcmThenDmo;
    // Stretches of an MP3 decoded at once, each by its own decoder on its
    // own thread. 0: one per core, up to two, where the track is long
    // enough to gain from it; never more than two.
    int mp3Parts = 0;
    // The decoders of the stretches after the first refuse to start, as a
    // codec that cannot begin mid-stream would: the stream is then decoded
    // in one run. Neither of Wine's decoders refuses, so a test makes them.
    bool laterStretchesRefuse = false;
};

// Reads and listens to the whole track; stop ends it early (Stopped).
TrackReport AnalyseTrack(const std::wstring& path, const std::atomic<bool>& stop, const TrackDecoding& decoding = {});

}  // namespace orv
