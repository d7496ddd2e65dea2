// Brings any input rate down to about 11 kHz before the spectral analysis:
// the key lives below 5 kHz, and a quarter of the samples is a quarter of
// the transforms. Only the output samples are computed (a polyphase FIR), so
// the filter costs its taps once per output sample.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orv {

class Decimator {
public:
    explicit Decimator(int inputRate);

    int Factor() const { return factor_; }
    double OutputRate() const { return outputRate_; }

    // Filters and decimates count samples; sink(const float* out, int n) is
    // called with each run of output samples as soon as it is ready.
    template <class Sink>
    void Process(const float* in, size_t count, Sink&& sink);

private:
    static constexpr int kBlock = 256;        // output samples per filter pass
    static constexpr int kTapsPerPhase = 8;   // the filter is kTapsPerPhase * factor_ long

    void Filter();  // kBlock outputs from buffer_ into out_

    int factor_ = 1;
    double outputRate_ = 0;
    std::vector<float> taps_;      // phase-major: taps_[r * kTapsPerPhase + q] = h[q * factor_ + r]
    std::vector<float> buffer_;    // (kBlock + kTapsPerPhase) * factor_ input samples, history first
    std::vector<float> phase_;     // buffer_ deinterleaved, one run per phase
    size_t filled_ = 0;
    float out_[kBlock] = {};
};

template <class Sink>
void Decimator::Process(const float* in, size_t count, Sink&& sink)
{
    if (factor_ == 1) {
        while (count > 0) {
            const int n = count > 1u << 16 ? 1 << 16 : static_cast<int>(count);
            sink(in, n);
            in += n;
            count -= static_cast<size_t>(n);
        }
        return;
    }
    while (count > 0) {
        size_t take = buffer_.size() - filled_;
        if (take > count) take = count;
        std::copy(in, in + take, buffer_.begin() + static_cast<std::ptrdiff_t>(filled_));
        filled_ += take;
        in += take;
        count -= take;
        if (filled_ == buffer_.size()) {
            Filter();
            sink(static_cast<const float*>(out_), kBlock);
        }
    }
}

}  // namespace orv
