// The estimator's pipeline: decimation to about 11 kHz, Hann-windowed frames
// of about 0.37 s one after the other, their magnitude spectra into the
// pitch-class profiles, and the key chosen from those once the track ends.
// Frames do not overlap: over a whole track the profile came out the same on
// the corpus, and the transforms cost half. Everything it keeps is a frame
// and the profiles, whatever the length.
#include "audio/KeyEstimator.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/ChromaProfile.h"
#include "audio/Fft.h"
#include "audio/KeyChoice.h"
#include "audio/Resampler.h"

namespace orv {

namespace {

constexpr double kPi = 3.14159265358979323846;
// A frame quieter than this (RMS, about -60 dBFS) is silence: a fade, a gap
// between songs, dither.
constexpr double kSilentRms = 1e-3;
// Less sound than this and no key is named: a few chords are not a song.
constexpr double kShortestSeconds = 6.0;

// About 0.37 s at 11 kHz: a bin every 2.7 Hz, enough to part semitones down
// to about 50 Hz. Rates kept above 12.5 kHz (16 kHz input) get twice the size.
int FrameSizeFor(double rate) { return rate > 12500 ? 8192 : 4096; }

}  // namespace

struct KeyEstimator::State {
    explicit State(int sampleRate)
        : decimator(sampleRate),
          fft(FrameSizeFor(decimator.OutputRate())),
          chroma(decimator.OutputRate(), fft.Size()),
          frame(static_cast<size_t>(fft.Size())),
          windowed(static_cast<size_t>(fft.Size())),
          window(static_cast<size_t>(fft.Size())),
          magnitude(static_cast<size_t>(fft.Size() / 2 + 1))
    {
        const int n = fft.Size();
        for (int i = 0; i < n; ++i)
            window[static_cast<size_t>(i)] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * i / n));
    }

    void Take(const float* in, int count);
    void AnalyseFrame();

    Decimator decimator;
    RealFft fft;
    ChromaProfile chroma;
    std::vector<float> frame, windowed, window, magnitude;
    size_t filled = 0;
    int64_t soundFrames = 0;
};

void KeyEstimator::State::Take(const float* in, int count)
{
    while (count > 0) {
        const size_t room = frame.size() - filled;
        const size_t take = static_cast<size_t>(count) < room ? static_cast<size_t>(count) : room;
        std::copy(in, in + take, frame.begin() + static_cast<std::ptrdiff_t>(filled));
        filled += take;
        in += take;
        count -= static_cast<int>(take);
        if (filled == frame.size()) {
            AnalyseFrame();
            filled = 0;
        }
    }
}

void KeyEstimator::State::AnalyseFrame()
{
    const size_t n = frame.size();
    double energy = 0;
    for (size_t i = 0; i < n; ++i) {
        const float v = frame[i] * window[i];
        windowed[i] = v;
        energy += static_cast<double>(frame[i]) * frame[i];
    }
    // A NaN or an infinity must not poison the profiles: the frame is dropped.
    if (!(energy / static_cast<double>(n) >= kSilentRms * kSilentRms) || !std::isfinite(energy)) return;
    ++soundFrames;
    fft.Magnitude(windowed.data(), magnitude.data());
    chroma.AddFrame(magnitude.data());
}

KeyEstimator::KeyEstimator(int sampleRate) : state_(std::make_unique<State>(sampleRate < 4000 ? 4000 : sampleRate)) {}

KeyEstimator::~KeyEstimator() = default;

void KeyEstimator::Add(const float* samples, size_t count)
{
    State& s = *state_;
    s.decimator.Process(samples, count, [&s](const float* out, int n) { s.Take(out, n); });
}

void KeyEstimator::Absorb(const KeyEstimator& other)
{
    state_->chroma.Absorb(other.state_->chroma);
    state_->soundFrames += other.state_->soundFrames;
}

PitchProfiles KeyEstimator::Profiles() const { return state_->chroma.Fold(); }

KeyEstimate KeyEstimator::Finish()
{
    State& s = *state_;
    KeyEstimate estimate;
    const double frameSeconds = static_cast<double>(s.frame.size()) / s.decimator.OutputRate();
    estimate.secondsHeard = static_cast<double>(s.soundFrames) * frameSeconds;
    if (s.soundFrames == 0) {
        // A track shorter than one frame is judged by what it holds.
        double energy = 0;
        for (size_t i = 0; i < s.filled; ++i) energy += static_cast<double>(s.frame[i]) * s.frame[i];
        const bool heard = s.filled > 0 && energy / static_cast<double>(s.filled) >= kSilentRms * kSilentRms;
        estimate.verdict = heard ? KeyEstimate::Verdict::TooShort : KeyEstimate::Verdict::Silent;
        return estimate;
    }
    if (estimate.secondsHeard < kShortestSeconds) {
        estimate.verdict = KeyEstimate::Verdict::TooShort;
        return estimate;
    }
    const PitchProfiles profiles = s.chroma.Fold();
    const KeyChoice choice = ChooseKey(profiles);
    estimate.tuningCents = static_cast<float>(profiles.tuningCents);
    estimate.confidence = static_cast<float>(choice.confidence);
    if (choice.confidence < kKeyConfidence) {
        estimate.verdict = KeyEstimate::Verdict::NoClearKey;
        return estimate;
    }
    estimate.verdict = KeyEstimate::Verdict::Key;
    estimate.signature = choice.signature;
    estimate.key = SpellKey(choice.tonic, choice.minor);
    return estimate;
}

}  // namespace orv
