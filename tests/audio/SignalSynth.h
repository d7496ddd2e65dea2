// A small additive synthesizer for the key estimator's tests: decaying
// harmonic tones, a bass line, drums made of swept sines and noise bursts,
// chord progressions as a pop accompaniment plays them. Deterministic for a
// given seed.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace orv::test {

struct Chord {
    int root;                 // semitones above the key's tonic
    std::vector<int> notes;   // semitones above the root
};

class SignalSynth {
public:
    SignalSynth(int rate, double seconds, uint32_t seed)
        : rate_(rate), out_(static_cast<size_t>(rate * seconds)), random_(seed) {}

    std::vector<float>& Samples() { return out_; }
    double Seconds() const { return static_cast<double>(out_.size()) / rate_; }
    void Detune(double cents) { detune_ = cents; }
    // How slowly the harmonics fall: 0.55 is a soft piano, 0.85 a bright
    // organ or a distorted guitar.
    void Brightness(double falloff) { falloff_ = falloff; }

    // A tone of MIDI pitch midi: harmonics at falloff^(h-1), an exponential
    // decay of decay per second, short attack and release.
    void Tone(double midi, double start, double length, double amp, int harmonics = 5, double decay = 1.5)
    {
        const double f0 = 440.0 * std::pow(2.0, (midi - 69 + detune_ / 100.0) / 12.0);
        const size_t begin = static_cast<size_t>(start * rate_);
        const size_t count = static_cast<size_t>(length * rate_);
        std::uniform_real_distribution<double> phase(0.0, 6.283185307179586);
        double a = amp;
        for (int h = 1; h <= harmonics && f0 * h < 0.45 * rate_; ++h, a *= falloff_) {
            // Rotating phasor instead of a sine per sample.
            const double w = 6.283185307179586 * f0 * h / rate_;
            const double cw = std::cos(w), sw = std::sin(w);
            const double p = phase(random_);
            double re = std::cos(p), im = std::sin(p);
            const double fall = std::exp(-decay / rate_);
            double env = a;
            for (size_t i = 0; i < count && begin + i < out_.size(); ++i) {
                const double edge = std::min(1.0, std::min(i, count - i) / (0.01 * rate_));
                out_[begin + i] += static_cast<float>(env * edge * im);
                const double r = re * cw - im * sw;
                im = re * sw + im * cw;
                re = r;
                env *= fall;
            }
        }
    }

    // Noise over [t, t + length), decaying unless steady, high-passed by hp (0 .. 1).
    void Noise(double t, double length, double amp, double hp, bool steady = false)
    {
        std::normal_distribution<double> gauss(0.0, 1.0);
        double last = 0;
        const size_t count = static_cast<size_t>(length * rate_);
        for (size_t i = 0, at = static_cast<size_t>(t * rate_); i < count && at < out_.size(); ++i, ++at) {
            const double v = gauss(random_);
            const double envelope = steady ? 1.0 : std::exp(-8.0 * static_cast<double>(i) / count);
            out_[at] += static_cast<float>(amp * envelope * (v - hp * last));
            last = v;
        }
    }

    enum Parts { kBlockChords = 1, kArpeggios = 2, kBass = 4, kDrums = 8 };

    // A pop accompaniment over chords, one bar each, repeated to the end:
    // block chords or rising arpeggios around middle C, the root in the bass
    // on beats 1 and 3, kick, snare and eighth-note hi-hats.
    void Accompaniment(int tonic, const std::vector<Chord>& chords, int parts, double bar = 2.0)
    {
        const double beat = bar / 4;
        const bool arpeggio = (parts & kArpeggios) != 0, bass = (parts & kBass) != 0, drums = (parts & kDrums) != 0;
        int index = 0;
        for (double t = 0; t + bar <= Seconds() + 1e-9; t += bar, ++index) {
            const Chord c = chords.empty() ? Chord{0, {}} : chords[static_cast<size_t>(index) % chords.size()];
            const int root = 48 + (tonic + c.root) % 12;  // C3 .. B3
            for (size_t n = 0; n < c.notes.size() && (parts & (kBlockChords | kArpeggios)); ++n) {
                const int pitch = root + 12 + c.notes[n];
                if (arpeggio) {
                    for (int step = 0; step < 8; step += static_cast<int>(c.notes.size()))
                        Tone(pitch, t + (step + static_cast<int>(n)) * beat / 2, beat, 0.12);
                } else {
                    Tone(pitch, t, bar, 0.12);
                }
            }
            if (bass && !c.notes.empty()) {
                Tone(root - 12, t, 2 * beat, 0.25, 3, 1.0);
                Tone(root - 12, t + 2 * beat, 2 * beat, 0.25, 3, 1.0);
            }
            for (int b = 0; b < 8 && drums; ++b) {
                if (b % 4 == 0) Sweep(t + b * beat / 2, 150.0, 45.0, 0.25, 0.6);  // kick
                if (b % 4 == 2) {                                                   // snare
                    Sweep(t + b * beat / 2, 190.0, 170.0, 0.12, 0.25);
                    Noise(t + b * beat / 2, 0.15, 0.3, 0.0);
                }
                Noise(t + b * beat / 2, 0.05, 0.12, 1.0);  // hi-hat
            }
        }
    }

    // A melody of scale steps (semitones above tonic + 60), one per beat.
    void Melody(int tonic, const std::vector<int>& steps, double beat = 0.5)
    {
        double t = 0;
        for (size_t i = 0; t + beat <= Seconds() + 1e-9; t += beat, ++i)
            Tone(60 + tonic + steps[i % steps.size()], t, beat * 0.95, 0.2, 4, 2.0);
    }

private:
    void Sweep(double t, double from, double to, double length, double amp)
    {
        double phase = 0;
        const size_t count = static_cast<size_t>(length * rate_);
        for (size_t i = 0, at = static_cast<size_t>(t * rate_); i < count && at < out_.size(); ++i, ++at) {
            phase += 6.283185307179586 * (to + (from - to) * std::exp(-30.0 * i / rate_)) / rate_;
            out_[at] += static_cast<float>(amp * std::exp(-12.0 * i / rate_) * std::sin(phase));
        }
    }

    int rate_;
    std::vector<float> out_;
    std::mt19937 random_;
    double detune_ = 0;
    double falloff_ = 0.55;
};

}  // namespace orv::test
