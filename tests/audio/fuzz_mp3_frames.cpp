// libFuzzer target: any bytes as an MP3 file. A stream that is found starts
// inside the audio; the frames handed on are whole frames of that stream
// (their own headers say so) that, with the bytes skipped, never add up to
// more than the audio, and to exactly the audio when the end is clean; the
// reader always names its end. An ID3 title that is found is not empty.
// Inputs whose size is a multiple of 3 are served in short reads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "audio/Id3Tag.h"
#include "audio/Mp3Frames.h"
#include "tests/audio/ShortReads.h"

namespace {

using orv::test::ShortReads;

bool SameHeader(const orv::Mp3FrameHeader& a, const orv::Mp3FrameHeader& b)
{
    return a.version == b.version && a.bitrateKbps == b.bitrateKbps && a.sampleRate == b.sampleRate &&
           a.channels == b.channels && a.frameBytes == b.frameBytes && a.samplesPerFrame == b.samplesPerFrame;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ShortReads source(bytes, size % 3 == 0 ? 1 + size % 61 : SIZE_MAX);
    orv::TagTitle title;
    if (orv::ReadId3Title(source, &title) && title.Empty()) std::abort();

    orv::Mp3StreamInfo info;
    if (orv::FindMp3Stream(source, &info) != orv::Mp3Status::Ok) return 0;
    if (info.firstFrameOffset > info.audioEnd || info.audioEnd > size) std::abort();
    orv::Mp3FrameReader reader(source, info);
    orv::Mp3Frame frame;
    uint64_t bytesInFrames = 0;
    while (reader.Next(&frame)) {
        orv::Mp3FrameHeader own;
        if (frame.size < 4 || !orv::ParseMp3FrameHeader(frame.data, &own) || !SameHeader(own, frame.header) ||
            frame.size != static_cast<size_t>(own.frameBytes) || own.version != info.first.version ||
            own.sampleRate != info.first.sampleRate || own.channels != info.first.channels)
            std::abort();
        bytesInFrames += frame.size;
    }
    const uint64_t span = info.audioEnd - info.firstFrameOffset;
    const auto end = reader.Ended();
    if (end == orv::Mp3FrameReader::End::None || end == orv::Mp3FrameReader::End::ReadError) std::abort();
    if (reader.FramesRead() * 24 > bytesInFrames || bytesInFrames + reader.BytesSkipped() > span) std::abort();
    if (end == orv::Mp3FrameReader::End::Clean && bytesInFrames + reader.BytesSkipped() != span) std::abort();
    return 0;
}
