#include "audio/TrackAnalysis.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "audio/AcmMp3Decoder.h"
#include "audio/DmoMp3Decoder.h"
#include "audio/FileSource.h"
#include "audio/Id3Tag.h"
#include "audio/ListeningThread.h"
#include "audio/Mp3Frames.h"
#include "audio/PcmConvert.h"
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

// How one decoder's run through its frames ended.
struct Decoded {
    Outcome outcome = Outcome::Key;  // Key: to the end of its frames
    bool incomplete = false;         // cut short or lost sync: heard as far as it goes
    bool flushed = true;             // the decoder gave back what it still held
};

template <class Decoder>
Decoded DecodeFrames(Decoder& decoder, FileSource& file, const Mp3StreamInfo& stream, const std::atomic<bool>& stop)
{
    Decoded decoded;
    Mp3FrameReader reader(file, stream);
    Mp3Frame frame;
    while (reader.Next(&frame)) {
        if (stop.load()) {
            decoded.outcome = Outcome::Stopped;
            return decoded;
        }
        if (decoder.Feed(frame.data, frame.size) != AcmMp3Decoder::Status::Ok) {
            decoded.outcome = Outcome::DecodeFailed;
            return decoded;
        }
    }
    switch (reader.Ended()) {
    case Mp3FrameReader::End::ReadError: decoded.outcome = ReadFailure(file, stop); return decoded;
    case Mp3FrameReader::End::Truncated:
    case Mp3FrameReader::End::LostSync: decoded.incomplete = true; break;
    default: break;
    }
    decoded.flushed = decoder.Finish() == AcmMp3Decoder::Status::Ok;
    return decoded;
}

// Opens the first of the allowed decoders that the system has and runs
// decode(decoder) with it. *used says which it was (for the other parts).
template <class Decode>
Decoded WithDecoder(Mp3Decoders allowed, const Mp3FrameHeader& first, const AcmMp3Decoder::PcmSink& sink,
                    Mp3Decoders* used, Decode&& decode)
{
    using Status = AcmMp3Decoder::Status;
    Decoded refused;
    if (allowed == Mp3Decoders::AcmThenDmo) {
        AcmMp3Decoder acm;
        switch (acm.Open(first, sink)) {
        case Status::Ok: *used = Mp3Decoders::AcmThenDmo; return decode(acm);
        case Status::Failed: refused.outcome = Outcome::DecodeFailed; return refused;
        case Status::NoDecoder: break;
        }
    }
    DmoMp3Decoder dmo;
    switch (dmo.Open(first, sink)) {
    case Status::Ok: *used = Mp3Decoders::DmoOnly; return decode(dmo);
    case Status::NoDecoder: refused.outcome = Outcome::NoDecoder; return refused;
    default: refused.outcome = Outcome::DecodeFailed; return refused;
    }
}

// The whole stream by one decoder, heard on the listening thread beside it.
void ListenToMp3Whole(FileSource& file, const Mp3StreamInfo& info, Mp3Decoders decoders,
                      const std::atomic<bool>& stop, TrackReport* report)
{
    Listener listener(info.first.sampleRate);
    const int channels = info.first.channels;
    auto sink = [&listener, channels](const int16_t* pcm, size_t frames) { listener.AddS16(pcm, frames, channels); };
    Mp3Decoders used;
    const Decoded decoded = WithDecoder(decoders, info.first, sink, &used,
                                        [&](auto& decoder) { return DecodeFrames(decoder, file, info, stop); });
    report->incomplete = decoded.incomplete;
    report->mp3Parts = 1;
    if (decoded.outcome == Outcome::Key && !decoded.flushed && listener.Seconds() == 0) {
        report->outcome = Outcome::DecodeFailed;
        return;
    }
    if (decoded.outcome != Outcome::Key) {
        report->outcome = decoded.outcome;
        return;
    }
    Conclude(listener, report);
}

// One stretch of a split stream: its own file handle, decoder and estimator.
// The lead frames' output is dropped, for the stretch before has heard them.
class Mp3PartListener {
public:
    Mp3PartListener(const std::wstring& path, const Mp3Part& part, const std::atomic<bool>& stop)
        : path_(path), part_(part), stop_(stop), estimator_(part.stream.first.sampleRate),
          drop_(static_cast<uint64_t>(part.leadFrames) * static_cast<uint64_t>(part.stream.first.samplesPerFrame)),
          mono_(kMonoFrames)
    {
    }

    // On the part's own thread: opens the file again, for reads of one
    // handle from two threads would share its position and event.
    void RunOwnFile(Mp3Decoders decoders, bool refused)
    {
        FileSource file(path_, stop_);
        if (!file.IsOpen()) {
            decoded_.outcome = stop_.load() ? Outcome::Stopped : Outcome::ReadFailed;
            error_ = file.Error();
            return;
        }
        if (refused) {
            decoded_.outcome = Outcome::DecodeFailed;
            return;
        }
        Run(file, decoders, [](Mp3Decoders) {});
        if (decoded_.outcome == Outcome::ReadFailed || decoded_.outcome == Outcome::TimedOut) error_ = file.Error();
    }

    // opened(the decoder used) is called once this part's decoder is open.
    template <class Opened>
    void Run(FileSource& file, Mp3Decoders decoders, Opened&& opened)
    {
        const int channels = part_.stream.first.channels;
        auto sink = [this, channels](const int16_t* pcm, size_t frames) { Hear(pcm, frames, channels); };
        decoded_ = WithDecoder(decoders, part_.stream.first, sink, &used_, [&](auto& decoder) {
            opened(used_);
            return DecodeFrames(decoder, file, part_.stream, stop_);
        });
    }

    const Decoded& Result() const { return decoded_; }
    DWORD Error() const { return error_; }
    uint64_t Heard() const { return heard_; }
    KeyEstimator& Estimator() { return estimator_; }

private:
    static constexpr size_t kMonoFrames = 4096;

    void Hear(const int16_t* pcm, size_t frames, int channels)
    {
        const size_t dropped = static_cast<size_t>(std::min<uint64_t>(drop_, frames));
        drop_ -= dropped;
        pcm += dropped * static_cast<size_t>(channels);
        frames -= dropped;
        heard_ += frames;
        while (frames > 0) {
            const size_t n = std::min(frames, kMonoFrames);
            DownmixS16(pcm, n, channels, mono_.data());
            estimator_.Add(mono_.data(), n);
            pcm += n * static_cast<size_t>(channels);
            frames -= n;
        }
    }

    const std::wstring& path_;
    const Mp3Part& part_;
    const std::atomic<bool>& stop_;
    KeyEstimator estimator_;
    uint64_t drop_;
    uint64_t heard_ = 0;
    std::vector<float> mono_;
    Decoded decoded_;
    Mp3Decoders used_ = Mp3Decoders::AcmThenDmo;
    DWORD error_ = 0;
};

// Parts for a stream of this length: one per core the process may use, up
// to two, none shorter than kLeastPartSeconds, for starting a thread costs
// what decoding a few seconds does (4-8 ms under Wine). Under Wine each
// part's thread and reads hold 1.5 MB of private bytes while it runs; a
// third part would take the analysis past 4 MB over the idle program.
int Mp3PartsFor(const Mp3StreamInfo& info, int requested)
{
    constexpr double kLeastPartSeconds = 15.0;
    constexpr int kMostParts = 2;
    if (requested > 0) return std::min(requested, kMostParts);
    const Mp3FrameHeader& h = info.first;
    const double bytes = static_cast<double>(info.audioEnd - info.firstFrameOffset);
    const double seconds = info.frameCount > 0 ? static_cast<double>(info.frameCount) * h.samplesPerFrame / h.sampleRate
                                               : bytes * 8.0 / (h.bitrateKbps * 1000.0);
    DWORD_PTR process = 0, system = 0;
    int cores = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system))
        for (; process != 0; process &= process - 1) ++cores;
    const int bySeconds = static_cast<int>(seconds / kLeastPartSeconds);
    return std::max(1, std::min({cores, kMostParts, bySeconds}));
}

struct PartThread {
    Mp3PartListener* part;
    Mp3Decoders decoders;
    bool refused;
    HANDLE handle;
};

DWORD WINAPI PartThreadMain(void* context)
{
    auto* t = static_cast<PartThread*>(context);
    t->part->RunOwnFile(t->decoders, t->refused);
    return 0;
}

// A long stream in stretches, one decoder on each core: the platform's
// decoder is most of a track's time, and it runs on one thread. False when
// a later stretch's decoder would not start mid-stream: the caller then
// decodes the stream in one run.
bool ListenToMp3InParts(FileSource& file, const std::wstring& path, const std::vector<Mp3Part>& plan,
                        const TrackDecoding& decoding, const std::atomic<bool>& stop, TrackReport* report)
{
    std::vector<std::unique_ptr<Mp3PartListener>> parts;
    for (const Mp3Part& part : plan) parts.push_back(std::make_unique<Mp3PartListener>(path, part, stop));
    // The others start once the first stretch has a decoder, and open the
    // same kind.
    std::vector<PartThread> threads;
    threads.reserve(parts.size() - 1);
    parts[0]->Run(file, decoding.decoders, [&](Mp3Decoders used) {
        for (size_t i = 1; i < parts.size(); ++i) {
            threads.push_back({parts[i].get(), used, decoding.laterStretchesRefuse, nullptr});
            threads.back().handle = CreateThread(nullptr, 0, PartThreadMain, &threads.back(), 0, nullptr);
        }
    });
    for (PartThread& t : threads) {
        if (t.handle) {
            WaitForSingleObject(t.handle, INFINITE);
            CloseHandle(t.handle);
        } else {
            t.part->RunOwnFile(t.decoders, t.refused);
        }
    }
    const Decoded& first = parts[0]->Result();
    if (threads.empty()) {
        // No decoder for the first stretch: nothing else was started.
        report->outcome = first.outcome;
        return true;
    }
    for (size_t i = 1; i < parts.size(); ++i)
        if (parts[i]->Result().outcome == Outcome::DecodeFailed) return false;
    uint64_t heard = 0;
    bool flushed = true;
    report->outcome = Outcome::Key;
    for (const auto& part : parts) {
        const Decoded& d = part->Result();
        if (report->outcome == Outcome::Key && d.outcome != Outcome::Key) {
            report->outcome = d.outcome;
            report->systemError = part->Error();
        }
        report->incomplete = report->incomplete || d.incomplete;
        flushed = flushed && d.flushed;
        heard += part->Heard();
    }
    if (stop.load()) report->outcome = Outcome::Stopped;
    if (report->outcome != Outcome::Key) return true;
    if (!flushed && heard == 0) {
        report->outcome = Outcome::DecodeFailed;
        return true;
    }
    report->mp3Parts = static_cast<int>(parts.size());
    KeyEstimator& estimator = parts[0]->Estimator();
    for (size_t i = 1; i < parts.size(); ++i) estimator.Absorb(parts[i]->Estimator());
    report->seconds = static_cast<double>(heard) / plan[0].stream.first.sampleRate;
    report->estimate = estimator.Finish();
    report->outcome = report->estimate.verdict == KeyEstimate::Verdict::Key ? Outcome::Key : Outcome::NoKey;
    return true;
}

// The Audio Compression Manager's codec first; where the system has none,
// the MP3 decoder DMO.
void ListenToMp3(FileSource& file, const std::wstring& path, const Mp3StreamInfo& info, const TrackDecoding& decoding,
                 const std::atomic<bool>& stop, TrackReport* report)
{
    const std::vector<Mp3Part> plan = PlanMp3Parts(file, info, Mp3PartsFor(info, decoding.mp3Parts));
    if (plan.size() > 1 && ListenToMp3InParts(file, path, plan, decoding, stop, report)) return;
    ListenToMp3Whole(file, info, decoding.decoders, stop, report);
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

TrackReport AnalyseTrack(const std::wstring& path, const std::atomic<bool>& stop, const TrackDecoding& decoding)
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
        case Mp3Status::Ok: ListenToMp3(file, path, info, decoding, stop, &report); break;
        case Mp3Status::ReadError: report.outcome = ReadFailure(file, stop); break;
        default: report.outcome = Outcome::NotAudio; break;
        }
    }
    if ((report.outcome == Outcome::ReadFailed || report.outcome == Outcome::TimedOut) && report.systemError == 0)
        report.systemError = file.Error();
    return report;
}

}  // namespace orv
