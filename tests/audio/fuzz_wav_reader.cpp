// libFuzzer target: any bytes as a WAV file. A header that is taken describes
// whole frames inside the file; its samples then come out in [-1, 1] (never
// NaN), exactly FramesTotal() of them, whatever count each call asks for.
// Inputs whose size is a multiple of 3 are served in short reads, as a file
// may serve them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "audio/WavReader.h"
#include "tests/audio/ShortReads.h"

namespace {

using orv::test::ShortReads;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ShortReads source(bytes, size % 3 == 0 ? 1 + size % 61 : SIZE_MAX);
    orv::WavFormat format;
    if (orv::ReadWavFormat(source, &format) != orv::WavStatus::Ok) return 0;
    if (format.channels < 1 || format.channels > 64 || format.blockAlign != format.channels * format.bitsPerSample / 8)
        std::abort();
    const uint64_t frameBytes = static_cast<uint64_t>(format.blockAlign);
    if (format.dataBytes == 0 || format.dataBytes % frameBytes != 0 || format.dataOffset > size ||
        format.dataBytes > size - format.dataOffset)
        std::abort();
    orv::WavSampleReader reader(source, format);
    std::vector<float> mono(1 + size % 5000);
    uint64_t frames = 0;
    for (size_t n; (n = reader.ReadMono(mono.data(), mono.size())) > 0;) {
        if (n > mono.size()) std::abort();
        for (size_t i = 0; i < n; ++i)
            if (!(mono[i] >= -1.0f && mono[i] <= 1.0f)) std::abort();
        frames += n;
    }
    if (reader.Failed() || frames != reader.FramesTotal()) std::abort();
    return 0;
}
