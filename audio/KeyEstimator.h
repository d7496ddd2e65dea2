// Which key a backing track is in, from its sound: the tuning, a pitch-class
// profile of the whole track over about 50 Hz-5 kHz, then the key signature,
// then tonic and mode within it. Samples come in blocks of any size; memory
// stays the same whatever the track's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "audio/ChromaProfile.h"
#include "catalogue/SongKey.h"

namespace orv {

struct KeyEstimate {
    enum class Verdict {
        Key,        // key holds the answer
        Silent,     // (almost) nothing to hear
        TooShort,   // too little sound to tell
        NoClearKey  // sound, but no key stands out (noise, drums alone, atonal)
    };
    Verdict verdict = Verdict::NoClearKey;
    // The tonic and mode, the tonic spelled in the signature's usual spelling
    // (sharps for G D A E B F#, flats for F Bb Eb Ab Db): Em has pitch 4,
    // letter E; Bbm has letter B, accidental -1; accidentalAfter is false.
    SongKey key;
    int signature = 0;       // pitch class of the signature's major key (Em: 7, G)
    float confidence = 0.0f; // 0..1, how far the signature stands out
    float tuningCents = 0.0f;
    double secondsHeard = 0; // of sound, silence not counted
};

class KeyEstimator {
public:
    explicit KeyEstimator(int sampleRate);  // 8000..48000 (any rate from 4000 to 192000 works)
    ~KeyEstimator();
    KeyEstimator(const KeyEstimator&) = delete;
    KeyEstimator& operator=(const KeyEstimator&) = delete;

    // One channel of samples in [-1, 1].
    void Add(const float* samples, size_t count);
    // What another estimator of the same rate heard of a later part of the
    // same track, taken in as if this one had heard it. The part of a frame
    // either holds at the seam is not heard: about a third of a second.
    void Absorb(const KeyEstimator& other);
    KeyEstimate Finish();
    // What has been heard so far, as the choice sees it: for the tools that
    // study the choice over a corpus.
    PitchProfiles Profiles() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace orv
