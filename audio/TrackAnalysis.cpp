#include "audio/TrackAnalysis.h"

#include <windows.h>

#include <vector>

#include "audio/AcmMp3Decoder.h"
#include "audio/DmoMp3Decoder.h"
#include "audio/FileSource.h"
#include "audio/Id3Tag.h"
#include "audio/ListeningThread.h"
#include "audio/Mp3Frames.h"
#include "audio/TrackTitle.h"
#include "audio/WavReader.h"

namespace orv {

namespace {

using Outcome = TrackReport::Outcome;

std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

std::wstring FromCodePage(UINT codePage, DWORD flags, const std::string& bytes)
{
    const int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
    return out;
}

// Tags labelled ISO-8859-1 hold GBK more often than Latin-1 in the files
// singers have: GBK wherever the bytes are valid GBK.
std::wstring LegacyTagText(const std::string& bytes)
{
    std::wstring text = FromCodePage(936, MB_ERR_INVALID_CHARS, bytes);
    return text.empty() ? FromCodePage(28591, 0, bytes) : text;
}

std::wstring TitleOf(const std::wstring& path, ByteSource* tagged)
{
    TagTitle tag;
    std::wstring title;
    if (tagged && ReadId3Title(*tagged, &tag)) title = tag.unicode.empty() ? LegacyTagText(tag.legacy) : Wide(tag.unicode);
    if (title.empty()) title = Wide(FileStem(U16(path)));
    return Wide(CleanTrackTitle(U16(title)));
}

// Hands the decoded audio to the listening thread and counts it.
class Listener {
public:
    static constexpr size_t kBlockFrames = ListeningThread::kBlockFrames;

    explicit Listener(int sampleRate) : thread_(sampleRate), rate_(sampleRate) {}
    void AddS16(const int16_t* pcm, size_t frames, int channels)
    {
        thread_.PostS16(pcm, frames, channels);
        frames_ += frames;
    }
    float* Block() { return thread_.Block(); }
    void AddMono(size_t n)
    {
        thread_.Post(n);
        frames_ += n;
    }
    KeyEstimate Finish() { return thread_.Finish(); }
    double Seconds() const { return rate_ > 0 ? static_cast<double>(frames_) / rate_ : 0; }

private:
    ListeningThread thread_;
    int rate_;
    uint64_t frames_ = 0;
};

Outcome ReadFailure(const FileSource& file, const std::atomic<bool>& stop)
{
    if (stop.load()) return Outcome::Stopped;
    return file.TimedOut() ? Outcome::TimedOut : Outcome::ReadFailed;
}

void Conclude(Listener& listener, TrackReport* report)
{
    report->seconds = listener.Seconds();
    report->estimate = listener.Finish();
    report->outcome = report->estimate.verdict == KeyEstimate::Verdict::Key ? Outcome::Key : Outcome::NoKey;
}

void ListenToWav(FileSource& file, const std::atomic<bool>& stop, TrackReport* report)
{
    WavFormat format;
    switch (ReadWavFormat(file, &format)) {
    case WavStatus::Ok: break;
    case WavStatus::UnsupportedFormat:
        report->outcome = Outcome::UnsupportedWav;
        report->formatTag = format.formatTag;
        return;
    case WavStatus::ReadError: report->outcome = ReadFailure(file, stop); return;
    default: report->outcome = Outcome::BadWav; return;
    }
    report->incomplete = format.truncated;
    Listener listener(format.sampleRate);
    WavSampleReader reader(file, format);
    while (size_t n = reader.ReadMono(listener.Block(), Listener::kBlockFrames)) {
        if (stop.load()) {
            report->outcome = Outcome::Stopped;
            return;
        }
        listener.AddMono(n);
    }
    if (reader.Failed()) {
        report->outcome = ReadFailure(file, stop);
        return;
    }
    Conclude(listener, report);
}

template <class Decoder>
void DecodeFrames(Decoder& decoder, FileSource& file, const Mp3StreamInfo& info, Listener& listener,
                  const std::atomic<bool>& stop, TrackReport* report)
{
    Mp3FrameReader reader(file, info);
    Mp3Frame frame;
    while (reader.Next(&frame)) {
        if (stop.load()) {
            report->outcome = Outcome::Stopped;
            return;
        }
        if (decoder.Feed(frame.data, frame.size) != AcmMp3Decoder::Status::Ok) {
            report->outcome = Outcome::DecodeFailed;
            return;
        }
    }
    switch (reader.Ended()) {
    case Mp3FrameReader::End::ReadError: report->outcome = ReadFailure(file, stop); return;
    case Mp3FrameReader::End::Truncated:
    case Mp3FrameReader::End::LostSync: report->incomplete = true; break;
    default: break;
    }
    if (decoder.Finish() != AcmMp3Decoder::Status::Ok && listener.Seconds() == 0) {
        report->outcome = Outcome::DecodeFailed;
        return;
    }
    Conclude(listener, report);
}

// The Audio Compression Manager's codec first; where the system has none,
// the MP3 decoder DMO.
void ListenToMp3(FileSource& file, const Mp3StreamInfo& info, Mp3Decoders decoders, const std::atomic<bool>& stop,
                 TrackReport* report)
{
    Listener listener(info.first.sampleRate);
    const int channels = info.first.channels;
    auto sink = [&listener, channels](const int16_t* pcm, size_t frames) { listener.AddS16(pcm, frames, channels); };
    using Status = AcmMp3Decoder::Status;
    if (decoders == Mp3Decoders::AcmThenDmo) {
        AcmMp3Decoder acm;
        switch (acm.Open(info.first, sink)) {
        case Status::Ok: DecodeFrames(acm, file, info, listener, stop, report); return;
        case Status::Failed: report->outcome = Outcome::DecodeFailed; return;
        case Status::NoDecoder: break;
        }
    }
    DmoMp3Decoder dmo;
    switch (dmo.Open(info.first, sink)) {
    case Status::Ok: DecodeFrames(dmo, file, info, listener, stop, report); return;
    case Status::NoDecoder: report->outcome = Outcome::NoDecoder; return;
    default: report->outcome = Outcome::DecodeFailed; return;
    }
}

bool IsWav(ByteSource& source)
{
    uint8_t head[12] = {};
    return source.ReadAt(0, head, sizeof head) == static_cast<int64_t>(sizeof head) &&
           memcmp(head, "RIFF", 4) == 0 && memcmp(head + 8, "WAVE", 4) == 0;
}

Outcome OpenFailure(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return Outcome::Missing;
    default: return Outcome::CannotOpen;
    }
}

}  // namespace

bool IsTrackFileName(const std::wstring& name)
{
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos) return false;
    const std::wstring ext = name.substr(dot);
    return lstrcmpiW(ext.c_str(), L".mp3") == 0 || lstrcmpiW(ext.c_str(), L".wav") == 0;
}

TrackReport AnalyseTrack(const std::wstring& path, const std::atomic<bool>& stop, Mp3Decoders decoders)
{
    TrackReport report;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        report.title = TitleOf(path, nullptr);
        report.outcome = Outcome::Folder;
        return report;
    }
    FileSource file(path, stop);
    if (!file.IsOpen()) {
        report.title = TitleOf(path, nullptr);
        report.systemError = file.Error();
        report.outcome = OpenFailure(file.Error());
        return report;
    }
    const bool wav = IsWav(file);
    report.title = TitleOf(path, wav ? nullptr : &file);
    if (file.Size() == 0) {
        report.outcome = Outcome::Empty;
    } else if (file.Size() > kMostTrackBytes) {
        report.outcome = Outcome::TooLarge;
    } else if (wav) {
        ListenToWav(file, stop, &report);
    } else {
        Mp3StreamInfo info;
        switch (FindMp3Stream(file, &info)) {
        case Mp3Status::Ok: ListenToMp3(file, info, decoders, stop, &report); break;
        case Mp3Status::ReadError: report.outcome = ReadFailure(file, stop); break;
        default: report.outcome = Outcome::NotAudio; break;
        }
    }
    if (report.outcome == Outcome::ReadFailed || report.outcome == Outcome::TimedOut) report.systemError = file.Error();
    return report;
}

}  // namespace orv
