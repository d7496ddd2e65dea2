// From the track's pitch-class profiles to a key: the signature first (which
// seven notes the music uses), then the tonic and mode within it. The effect
// is set to the signature, so that is the decision that has to hold; the
// tonic and mode are shown beside it.
#pragma once

#include "audio/ChromaProfile.h"
#include "catalogue/SongKey.h"

namespace orv {

struct KeyChoice {
    int signature = 0;   // pitch class of the signature's major key
    int tonic = 0;
    bool minor = false;
    double confidence = 0;  // 0..1; below kKeyConfidence no key stands out
};

constexpr double kKeyConfidence = 0.5;

KeyChoice ChooseKey(const PitchProfiles& profiles);

// The tonic spelled in its signature: Db not C#, but C#m; F# and F#m; Bbm.
SongKey SpellKey(int tonic, bool minor);

}  // namespace orv
