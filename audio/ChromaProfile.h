// What the whole track sounds like as pitch classes: every frame's spectral
// peaks are added to a 10-cent profile, so the tuning can be found once the
// track has been heard and the profile folded onto the twelve classes with
// it. Bass notes get a profile of their own: they carry the tonic.
#pragma once

#include <array>
#include <vector>

namespace orv {

struct PitchProfiles {
    std::array<double, 12> treble{};  // pitch classes from C, after the tuning
    std::array<double, 12> bass{};    // the lowest clear note of each frame
    double tuningCents = 0;           // the track's offset from A440
    double trebleWeight = 0;          // total weight of the peaks heard
    double frames = 0;                // frames that were analysed
};

class ChromaProfile {
public:
    static constexpr int kFineBins = 120;  // 10 cents each, from C

    ChromaProfile(double sampleRate, int frameSize);

    // magnitude: frameSize/2 + 1 values of one Hann-windowed frame.
    void AddFrame(const float* magnitude);
    // Another part of the same track, heard by a profile of the same rate
    // and frame size: afterwards this one holds both.
    void Absorb(const ChromaProfile& other);
    PitchProfiles Fold() const;

private:
    void AddPeak(std::array<double, kFineBins>& fine, double hz, double weight);

    double binHz_ = 0;
    int lowBin_ = 0, highBin_ = 0, bassHighBin_ = 0;
    std::vector<double> prefix_;   // running sums of the frame's magnitudes
    std::vector<double> prefix2_;  // and of their squares
    std::array<double, kFineBins> fineTreble_{}, fineBass_{};
    double trebleWeight_ = 0;
    double frames_ = 0;
};

}  // namespace orv
