// The platform decoder hands back interleaved 16-bit PCM; the estimator
// listens to one channel of floats.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv {

// frames interleaved frames of channels 16-bit samples, averaged into frames
// floats in [-1, 1).
void DownmixS16(const int16_t* pcm, size_t frames, int channels, float* out);

}  // namespace orv
