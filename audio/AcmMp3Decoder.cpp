#include "audio/AcmMp3Decoder.h"

#include <cstring>

#include "util/FindFunction.h"

namespace orv {

namespace {

// Looked up, not imported: a program that never decodes a track never loads
// msacm32.dll, and one without it still starts.
struct AcmFunctions {
    decltype(&acmStreamOpen) open = nullptr;
    decltype(&acmStreamSize) size = nullptr;
    decltype(&acmStreamPrepareHeader) prepare = nullptr;
    decltype(&acmStreamConvert) convert = nullptr;
    decltype(&acmStreamUnprepareHeader) unprepare = nullptr;
    decltype(&acmStreamClose) close = nullptr;
    bool Complete() const { return open && size && prepare && convert && unprepare && close; }
};

const AcmFunctions& Acm()
{
    static const AcmFunctions functions = [] {
        AcmFunctions f;
        if (HMODULE module = LoadLibraryA("msacm32.dll")) {
            FindFunction(module, "acmStreamOpen", &f.open);
            FindFunction(module, "acmStreamSize", &f.size);
            FindFunction(module, "acmStreamPrepareHeader", &f.prepare);
            FindFunction(module, "acmStreamConvert", &f.convert);
            FindFunction(module, "acmStreamUnprepareHeader", &f.unprepare);
            FindFunction(module, "acmStreamClose", &f.close);
        }
        return f;
    }();
    return functions;
}

}  // namespace

MPEGLAYER3WAVEFORMAT Mp3WaveFormat(const Mp3FrameHeader& first)
{
    MPEGLAYER3WAVEFORMAT in{};
    in.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    in.wfx.nChannels = static_cast<WORD>(first.channels);
    in.wfx.nSamplesPerSec = static_cast<DWORD>(first.sampleRate);
    in.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.bitrateKbps * 1000 / 8);
    in.wfx.nBlockAlign = 1;
    in.wfx.wBitsPerSample = 0;
    in.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    in.wID = MPEGLAYER3_ID_MPEG;
    in.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
    in.nBlockSize = static_cast<WORD>(first.frameBytes);
    in.nFramesPerBlock = 1;
    in.nCodecDelay = 0;
    return in;
}

WAVEFORMATEX Pcm16WaveFormat(const Mp3FrameHeader& first)
{
    WAVEFORMATEX out{};
    out.wFormatTag = WAVE_FORMAT_PCM;
    out.nChannels = static_cast<WORD>(first.channels);
    out.nSamplesPerSec = static_cast<DWORD>(first.sampleRate);
    out.wBitsPerSample = 16;
    out.nBlockAlign = static_cast<WORD>(out.nChannels * 2);
    out.nAvgBytesPerSec = out.nSamplesPerSec * out.nBlockAlign;
    return out;
}

AcmMp3Decoder::~AcmMp3Decoder() { Close(); }

void AcmMp3Decoder::Close()
{
    const AcmFunctions& acm = Acm();
    if (prepared_) {
        // Unprepared with the lengths it was prepared with.
        header_.cbSrcLength = static_cast<DWORD>(source_.size());
        header_.cbDstLength = static_cast<DWORD>(pcm_.size());
        acm.unprepare(stream_, &header_, 0);
        prepared_ = false;
    }
    if (stream_) acm.close(stream_, 0);
    stream_ = nullptr;
}

AcmMp3Decoder::Status AcmMp3Decoder::Open(const Mp3FrameHeader& first, PcmSink sink)
{
    Close();
    const AcmFunctions& acm = Acm();
    if (!acm.Complete()) return Status::NoDecoder;
    sink_ = std::move(sink);
    channels_ = first.channels;

    MPEGLAYER3WAVEFORMAT in = Mp3WaveFormat(first);
    WAVEFORMATEX out = Pcm16WaveFormat(first);

    const MMRESULT opened =
        acm.open(&stream_, nullptr, &in.wfx, &out, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    if (opened != MMSYSERR_NOERROR) {
        stream_ = nullptr;
        // No codec takes MPEG Layer-3 at all, or none takes this stream.
        return opened == ACMERR_NOTPOSSIBLE ? Status::NoDecoder : Status::Failed;
    }
    DWORD pcmBytes = 0;
    if (acm.size(stream_, static_cast<DWORD>(kMp3BytesPerCall), &pcmBytes, ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR ||
        pcmBytes == 0) {
        // One source byte never makes more than a frame's samples.
        pcmBytes = static_cast<DWORD>(kMp3BytesPerCall * 48);
    }
    source_.assign(kMp3BytesPerCall, 0);
    pcm_.assign(pcmBytes, 0);
    held_ = 0;
    started_ = false;
    header_ = ACMSTREAMHEADER{};
    header_.cbStruct = sizeof header_;
    header_.pbSrc = source_.data();
    header_.cbSrcLength = static_cast<DWORD>(source_.size());
    header_.pbDst = pcm_.data();
    header_.cbDstLength = static_cast<DWORD>(pcm_.size());
    if (acm.prepare(stream_, &header_, 0) != MMSYSERR_NOERROR) {
        Close();
        return Status::Failed;
    }
    prepared_ = true;
    return Status::Ok;
}

AcmMp3Decoder::Status AcmMp3Decoder::Convert(bool last)
{
    const AcmFunctions& acm = Acm();
    DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN;
    if (!started_) flags |= ACM_STREAMCONVERTF_START;
    if (last) flags = ACM_STREAMCONVERTF_END | (started_ ? 0 : ACM_STREAMCONVERTF_START);
    started_ = true;
    header_.cbSrcLength = static_cast<DWORD>(held_);
    header_.cbSrcLengthUsed = 0;
    header_.cbDstLength = static_cast<DWORD>(pcm_.size());
    header_.cbDstLengthUsed = 0;
    if (acm.convert(stream_, &header_, flags) != MMSYSERR_NOERROR) return Status::Failed;
    const size_t frameBytes = static_cast<size_t>(channels_) * 2;
    if (header_.cbDstLengthUsed >= frameBytes && sink_)
        sink_(reinterpret_cast<const int16_t*>(pcm_.data()), header_.cbDstLengthUsed / frameBytes);
    size_t used = header_.cbSrcLengthUsed;
    if (used > held_) used = held_;
    // What the codec left (part of a block) goes first next time.
    std::memmove(source_.data(), source_.data() + used, held_ - used);
    held_ -= used;
    // A codec that takes nothing and gives nothing would never move on.
    if (used == 0 && header_.cbDstLengthUsed == 0 && !last) held_ = 0;
    return Status::Ok;
}

AcmMp3Decoder::Status AcmMp3Decoder::Feed(const uint8_t* bytes, size_t size)
{
    if (!prepared_) return Status::Failed;
    while (size > 0) {
        const size_t n = size < source_.size() - held_ ? size : source_.size() - held_;
        std::memcpy(source_.data() + held_, bytes, n);
        held_ += n;
        bytes += n;
        size -= n;
        if (held_ == source_.size()) {
            if (Convert(false) != Status::Ok) return Status::Failed;
        }
    }
    return Status::Ok;
}

AcmMp3Decoder::Status AcmMp3Decoder::Finish()
{
    if (!prepared_) return Status::Failed;
    // The codec may hold a frame back until it is told the stream ends.
    for (int round = 0; round < 4 && held_ > 0; ++round)
        if (Convert(false) != Status::Ok) return Status::Failed;
    return Convert(true);
}

}  // namespace orv
