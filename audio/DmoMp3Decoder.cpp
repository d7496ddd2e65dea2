#include "audio/DmoMp3Decoder.h"

#include <mediaerr.h>
#include <mediaobj.h>

#include <cstring>
#include <new>

#include "util/FindFunction.h"

namespace orv {

namespace {

// Looked up, not imported: only a system without the ACM codec loads ole32
// for this.
struct ComFunctions {
    decltype(&CoInitializeEx) initialize = nullptr;
    decltype(&CoUninitialize) uninitialize = nullptr;
    decltype(&CoCreateInstance) create = nullptr;
    bool Complete() const { return initialize && uninitialize && create; }
};

const ComFunctions& Com()
{
    static const ComFunctions functions = [] {
        ComFunctions f;
        if (HMODULE module = LoadLibraryA("ole32.dll")) {
            FindFunction(module, "CoInitializeEx", &f.initialize);
            FindFunction(module, "CoUninitialize", &f.uninitialize);
            FindFunction(module, "CoCreateInstance", &f.create);
        }
        return f;
    }();
    return functions;
}

// The identifiers as Microsoft documents them (CLSID_CMP3DecMediaObject,
// MEDIATYPE_Audio, FORMAT_WaveFormatEx); a wave format tag becomes a media
// subtype in the first field of the audio base GUID.
constexpr GUID kMp3DecoderDmo = {0xbbeea841, 0x0a63, 0x4f52, {0xa7, 0xab, 0xa9, 0xb3, 0xa8, 0x4e, 0xd3, 0x8a}};
constexpr GUID kAudio = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID kWaveFormatEx = {0x05589f81, 0xc356, 0x11ce, {0xbf, 0x01, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a}};

GUID WaveSubtype(WORD formatTag)
{
    GUID subtype = kAudio;
    subtype.Data1 = formatTag;
    return subtype;
}

DMO_MEDIA_TYPE AudioType(WORD formatTag, void* format, ULONG formatBytes)
{
    DMO_MEDIA_TYPE type{};
    type.majortype = kAudio;
    type.subtype = WaveSubtype(formatTag);
    type.formattype = kWaveFormatEx;
    type.cbFormat = formatBytes;
    type.pbFormat = static_cast<BYTE*>(format);
    return type;
}

// PCM taken from the DMO at a time: a 4 KB call at 128 kbps decodes to
// about 44 KB. The DMO says when it has more, so this bounds only how many
// rounds a call takes.
constexpr size_t kOutputBytes = 64 * 1024;

}  // namespace

// Bytes the DMO reads or writes, counted as COM counts: the DMO may keep an
// input buffer past ProcessInput until it has decoded it.
class DmoMp3Decoder::Buffer final : public IMediaBuffer {
public:
    static Buffer* Make(size_t capacity)
    {
        Buffer* b = new (std::nothrow) Buffer;
        if (b && !(b->bytes_ = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, capacity)))) {
            delete b;
            return nullptr;
        }
        if (b) b->capacity_ = static_cast<DWORD>(capacity);
        return b;
    }
    BYTE* Data() { return bytes_; }
    DWORD Length() const { return length_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IMediaBuffer))) {
            *out = static_cast<IMediaBuffer*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    STDMETHODIMP SetLength(DWORD length) override
    {
        if (length > capacity_) return E_INVALIDARG;
        length_ = length;
        return S_OK;
    }
    STDMETHODIMP GetMaxLength(DWORD* most) override
    {
        if (!most) return E_POINTER;
        *most = capacity_;
        return S_OK;
    }
    STDMETHODIMP GetBufferAndLength(BYTE** data, DWORD* length) override
    {
        if (!data && !length) return E_POINTER;
        if (data) *data = bytes_;
        if (length) *length = length_;
        return S_OK;
    }

private:
    Buffer() = default;
    ~Buffer()
    {
        if (bytes_) HeapFree(GetProcessHeap(), 0, bytes_);
    }

    LONG references_ = 1;
    BYTE* bytes_ = nullptr;
    DWORD capacity_ = 0;
    DWORD length_ = 0;
};

DmoMp3Decoder::~DmoMp3Decoder() { Close(); }

void DmoMp3Decoder::Close()
{
    if (dmo_) {
        dmo_->FreeStreamingResources();
        dmo_->Release();
        dmo_ = nullptr;
    }
    if (output_) output_->Release();
    output_ = nullptr;
    if (comJoined_) Com().uninitialize();
    comJoined_ = false;
}

DmoMp3Decoder::Status DmoMp3Decoder::Open(const Mp3FrameHeader& first, PcmSink sink)
{
    Close();
    const ComFunctions& com = Com();
    if (!com.Complete()) return Status::NoDecoder;
    // A thread already in an apartment of its own keeps it.
    const HRESULT joined = com.initialize(nullptr, COINIT_MULTITHREADED);
    if (FAILED(joined) && joined != RPC_E_CHANGED_MODE) return Status::NoDecoder;
    comJoined_ = SUCCEEDED(joined);
    if (FAILED(com.create(kMp3DecoderDmo, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IMediaObject),
                          reinterpret_cast<void**>(&dmo_)))) {
        dmo_ = nullptr;
        Close();
        return Status::NoDecoder;
    }
    MPEGLAYER3WAVEFORMAT in = Mp3WaveFormat(first);
    WAVEFORMATEX out = Pcm16WaveFormat(first);
    DMO_MEDIA_TYPE inType = AudioType(WAVE_FORMAT_MPEGLAYER3, &in, sizeof in);
    DMO_MEDIA_TYPE outType = AudioType(WAVE_FORMAT_PCM, &out, sizeof out);
    outType.bFixedSizeSamples = TRUE;
    outType.lSampleSize = out.nBlockAlign;
    if (FAILED(dmo_->SetInputType(0, &inType, 0)) || FAILED(dmo_->SetOutputType(0, &outType, 0)) ||
        !(output_ = Buffer::Make(kOutputBytes))) {
        Close();
        return Status::Failed;
    }
    sink_ = std::move(sink);
    channels_ = first.channels;
    held_.clear();
    held_.reserve(kMp3BytesPerCall);
    return Status::Ok;
}

DmoMp3Decoder::Status DmoMp3Decoder::Drain()
{
    const size_t frameBytes = static_cast<size_t>(channels_) * 2;
    // Bounded: a DMO that kept giving would otherwise hold the analysis for
    // ever. 4 KB of MP3 never decode to more than about 64 rounds' worth.
    for (int round = 0; round < 1024; ++round) {
        output_->SetLength(0);
        DMO_OUTPUT_DATA_BUFFER data{};
        data.pBuffer = output_;
        DWORD status = 0;
        const HRESULT hr = dmo_->ProcessOutput(0, 1, &data, &status);
        if (FAILED(hr)) return Status::Failed;
        if (output_->Length() >= frameBytes && sink_)
            sink_(reinterpret_cast<const int16_t*>(output_->Data()), output_->Length() / frameBytes);
        // Windows' DMO says when more is waiting (INCOMPLETE); Wine's fills
        // the buffer and keeps the rest without saying so. Asked until it
        // gives nothing, both are emptied.
        if (hr == S_FALSE || output_->Length() == 0) return Status::Ok;
    }
    return Status::Failed;
}

DmoMp3Decoder::Status DmoMp3Decoder::Deliver()
{
    if (held_.empty()) return Status::Ok;
    Buffer* input = Buffer::Make(held_.size());
    if (!input) return Status::Failed;
    std::memcpy(input->Data(), held_.data(), held_.size());
    input->SetLength(static_cast<DWORD>(held_.size()));
    held_.clear();
    HRESULT hr = dmo_->ProcessInput(0, input, 0, 0, 0);
    // Still holding the last input: what it decoded goes out first.
    if (hr == static_cast<HRESULT>(DMO_E_NOTACCEPTING) && Drain() == Status::Ok) hr = dmo_->ProcessInput(0, input, 0, 0, 0);
    input->Release();
    if (FAILED(hr)) return Status::Failed;
    return Drain();
}

DmoMp3Decoder::Status DmoMp3Decoder::Feed(const uint8_t* bytes, size_t size)
{
    if (!dmo_) return Status::Failed;
    while (size > 0) {
        const size_t n = size < kMp3BytesPerCall - held_.size() ? size : kMp3BytesPerCall - held_.size();
        held_.insert(held_.end(), bytes, bytes + n);
        bytes += n;
        size -= n;
        if (held_.size() == kMp3BytesPerCall && Deliver() != Status::Ok) return Status::Failed;
    }
    return Status::Ok;
}

DmoMp3Decoder::Status DmoMp3Decoder::Finish()
{
    if (!dmo_) return Status::Failed;
    if (Deliver() != Status::Ok) return Status::Failed;
    // The end of the stream: what the DMO held back comes out. A DMO that
    // does not know Discontinuity has nothing held.
    if (SUCCEEDED(dmo_->Discontinuity(0))) return Drain();
    return Status::Ok;
}

}  // namespace orv
