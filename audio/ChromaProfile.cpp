// Spectral peaks to pitch-class profiles, after Gómez (2006, "Tonal
// description of music audio signals", the HPCP): only local maxima of the
// magnitude spectrum count, each placed at its interpolated frequency
// (quadratic fit on the log magnitude, Smith & Serra 1987). Two choices keep
// drums and a loud bass from deciding the answer:
//  - a peak counts only when it stands well above the mean of the spectrum
//    around it (over +-15% of its frequency, its own main lobe left out): a
//    tone does, the dense spectrum of a drum or of noise does not;
//  - each frame's peaks are weighed against the frame's energy (and the
//    energy of their own octave), so a loud frame counts no more than a quiet
//    one and a frame whose energy is mostly a drum hit counts little.
// The tuning is the circular mean of where the peaks fall within their
// semitones (Harte & Sandler 2005 fold a 36-bin chromagram the same way, at
// finer resolution here).
#include "audio/ChromaProfile.h"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

constexpr double kPi = 3.14159265358979323846;
// A peak must stand this far above the mean magnitude around it, taken over
// +-15% of its frequency (a semitone is 6%): noise peaks almost never do.
constexpr double kPeakOverMean = 4.0;
constexpr double kAroundShare = 0.15;
constexpr double kHalfOctaveDown = 0.70710678118654752, kHalfOctaveUp = 1.41421356237309505;
// The chroma leaves out the bass's fundamentals; the bass profile has them.
constexpr double kTrebleLowHz = 80.0;

}  // namespace

ChromaProfile::ChromaProfile(double sampleRate, int frameSize)
{
    binHz_ = sampleRate / frameSize;
    const int half = frameSize / 2;
    auto binOf = [&](double hz) { return static_cast<int>(std::lround(hz / binHz_)); };
    lowBin_ = std::max(4, binOf(50.0));
    highBin_ = std::min(half - 4, binOf(std::min(5000.0, 0.45 * sampleRate)));
    bassHighBin_ = std::min(highBin_, binOf(250.0));
    prefix_.assign(static_cast<size_t>(half + 2), 0.0);
    prefix2_.assign(static_cast<size_t>(half + 2), 0.0);
}

void ChromaProfile::AddPeak(std::array<double, kFineBins>& fine, double hz, double weight)
{
    // Cents above C, A440 being 900.
    double cents = 1200.0 * std::log2(hz / 440.0) + 900.0;
    cents = std::fmod(cents, 1200.0);
    if (cents < 0) cents += 1200.0;
    const double pos = cents / 10.0;
    int b = static_cast<int>(pos);
    const double t = pos - b;
    b %= kFineBins;
    fine[static_cast<size_t>(b)] += weight * (1.0 - t);
    fine[static_cast<size_t>((b + 1) % kFineBins)] += weight * t;
}

void ChromaProfile::AddFrame(const float* m)
{
    const int half = static_cast<int>(prefix_.size()) - 2;
    double* sum = prefix_.data();
    double* sum2 = prefix2_.data();
    sum[0] = 0.0;
    sum2[0] = 0.0;
    for (int k = 0; k <= half; ++k) {
        sum[k + 1] = sum[k] + m[k];
        sum2[k + 1] = sum2[k] + static_cast<double>(m[k]) * m[k];
    }
    const double energy = sum2[highBin_ + 1] - sum2[lowBin_];
    if (!(energy > 0)) return;
    frames_ += 1;
    const double frameNorm = 1.0 / std::sqrt(energy);

    constexpr int kMaxBassPeaks = 32;
    double bassHz[kMaxBassPeaks], bassMag[kMaxBassPeaks], bassMax = 0;
    int bassCount = 0;
    for (int k = lowBin_; k <= highBin_; ++k) {
        const float v = m[k];
        if (!(v > m[k - 1] && v >= m[k + 1])) continue;
        const int w = std::max(4, static_cast<int>(k * kAroundShare));
        const int lo = std::max(0, k - w), hi = std::min(half, k + w);
        const double around = (sum[hi + 1] - sum[lo]) - (sum[k + 3] - sum[k - 2]);
        const double mean = std::max(around / (hi - lo + 1 - 5), 1e-30);
        if (!(v > kPeakOverMean * mean)) continue;
        // Parabola through the log magnitudes of the peak and its neighbours.
        const double a = std::log(m[k - 1] + 1e-20), b = std::log(v + 1e-20), c = std::log(m[k + 1] + 1e-20);
        const double den = a - 2.0 * b + c;
        const double hz = (k + (den < 0 ? 0.5 * (a - c) / den : 0.0)) * binHz_;
        // The peak against the geometric mean of the whole frame's energy and
        // the energy of the octave around it: a loud bass or a busy register
        // does not drown the rest, yet an overtone stays weaker than its note.
        const int olo = std::max(1, static_cast<int>(k * kHalfOctaveDown));
        const int ohi = std::min(half, static_cast<int>(k * kHalfOctaveUp) + 1);
        const double octave = std::max(std::sqrt(sum2[ohi + 1] - sum2[olo]), 1e-30);
        // Peaks just over the threshold count less than clear ones.
        const double clarity = std::min(1.0, (v / mean - kPeakOverMean) / kPeakOverMean);
        const double weight = v * std::sqrt(frameNorm / octave) * clarity;
        if (hz >= kTrebleLowHz) {
            AddPeak(fineTreble_, hz, weight);
            trebleWeight_ += weight;
        }
        if (k <= bassHighBin_ && bassCount < kMaxBassPeaks) {
            bassHz[bassCount] = hz;
            bassMag[bassCount] = v;
            ++bassCount;
            bassMax = std::max(bassMax, static_cast<double>(v));
        }
    }
    // The lowest peak not much weaker than the strongest: the bass note's
    // fundamental rather than its octave.
    for (int i = 0; i < bassCount; ++i) {
        if (bassMag[i] >= 0.35 * bassMax) {
            AddPeak(fineBass_, bassHz[i], bassMag[i] * frameNorm);
            break;
        }
    }
}

void ChromaProfile::Absorb(const ChromaProfile& other)
{
    for (size_t b = 0; b < kFineBins; ++b) {
        fineTreble_[b] += other.fineTreble_[b];
        fineBass_[b] += other.fineBass_[b];
    }
    trebleWeight_ += other.trebleWeight_;
    frames_ += other.frames_;
}

PitchProfiles ChromaProfile::Fold() const
{
    PitchProfiles out;
    out.frames = frames_;
    out.trebleWeight = trebleWeight_;
    double re = 0, im = 0;
    for (int b = 0; b < kFineBins; ++b) {
        const double phase = 2.0 * kPi * (b % 10) / 10.0;
        re += fineTreble_[static_cast<size_t>(b)] * std::cos(phase);
        im += fineTreble_[static_cast<size_t>(b)] * std::sin(phase);
    }
    const double offset = (re == 0 && im == 0) ? 0.0 : std::atan2(im, re) / (2.0 * kPi) * 100.0;
    out.tuningCents = offset;
    auto fold = [&](const std::array<double, kFineBins>& fine, std::array<double, 12>& classes) {
        for (int b = 0; b < kFineBins; ++b) {
            double semis = (b * 10.0 - offset) / 100.0;
            if (semis < 0) semis += 12.0;
            const int c = static_cast<int>(semis + 0.5);
            // A bin off the tuned grid is shared between its two nearest
            // classes, the nearer getting more.
            const double d = semis - c;  // -0.5 .. 0.5
            classes[static_cast<size_t>(c % 12)] += fine[static_cast<size_t>(b)] * (1.0 - std::fabs(d));
            const int other = d > 0 ? c + 1 : c + 11;
            classes[static_cast<size_t>(other % 12)] += fine[static_cast<size_t>(b)] * std::fabs(d);
        }
    };
    fold(fineTreble_, out.treble);
    fold(fineBass_, out.bass);
    return out;
}

}  // namespace orv
