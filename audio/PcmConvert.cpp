#include "audio/PcmConvert.h"

namespace orv {

void DownmixS16(const int16_t* pcm, size_t frames, int channels, float* out)
{
    if (channels <= 0) return;
    const float scale = 1.0f / (32768.0f * static_cast<float>(channels));
    if (channels == 2) {
        for (size_t i = 0; i < frames; ++i) out[i] = (static_cast<float>(pcm[2 * i]) + pcm[2 * i + 1]) * scale;
        return;
    }
    for (size_t i = 0; i < frames; ++i) {
        int32_t sum = 0;
        for (int c = 0; c < channels; ++c) sum += pcm[i * static_cast<size_t>(channels) + static_cast<size_t>(c)];
        out[i] = static_cast<float>(sum) * scale;
    }
}

}  // namespace orv
