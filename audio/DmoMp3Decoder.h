// The second way to the platform's MPEG Layer-3 decoder, for systems whose
// Audio Compression Manager has no MPEG Layer-3 codec (Server editions, N
// editions without their media pack): the MP3 decoder DMO (mp3dmod.dll),
// created through COM. Same contract as AcmMp3Decoder. ole32.dll is loaded
// only when this path is taken. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "audio/AcmMp3Decoder.h"

struct IMediaObject;

namespace orv {

class DmoMp3Decoder {
public:
    using PcmSink = AcmMp3Decoder::PcmSink;
    using Status = AcmMp3Decoder::Status;

    DmoMp3Decoder() = default;
    ~DmoMp3Decoder();
    DmoMp3Decoder(const DmoMp3Decoder&) = delete;
    DmoMp3Decoder& operator=(const DmoMp3Decoder&) = delete;

    // Joins the calling thread to COM's multithreaded apartment (if it is in
    // none) for as long as the decoder is open.
    Status Open(const Mp3FrameHeader& first, PcmSink sink);
    Status Feed(const uint8_t* bytes, size_t size);
    Status Finish();

private:
    class Buffer;

    Status Deliver();  // the MP3 held so far to the DMO, then its PCM out
    Status Drain();    // everything the DMO has decoded to the sink
    void Close();

    IMediaObject* dmo_ = nullptr;
    Buffer* output_ = nullptr;
    bool comJoined_ = false;
    std::vector<uint8_t> held_;
    int channels_ = 0;
    PcmSink sink_;
};

}  // namespace orv
