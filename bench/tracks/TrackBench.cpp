// How long a backing track takes from the hand-over to the key in a box, and
// what of that is the platform's decoder alone; what the running program's
// private bytes do meanwhile. Figures only.
//
//   bench_track_keys floor FILE [RUNS]      ACM decoding the file's bytes, nothing else
//   bench_track_keys floor-parts FILE [RUNS]  the same in two stretches at once, as a 2-core
//                                           machine decodes a long track
//   bench_track_keys analyse FILE [RUNS]    reading, frames, decoding and listening, in this process
//   bench_track_keys analyse-dmo FILE [RUNS]  the same through the MP3 decoder DMO, the second path
//   bench_track_keys analyse-one FILE [RUNS]  the same as analyse, decoded in one run on one core
//   bench_track_keys drop EXE FILE [RUNS]   orvane.exe given the file as a drop is given it: the
//                                           time to its result box, and its private bytes
//   bench_track_keys box EXE [RUNS]         the same program's message box alone: an empty search
// analyse decodes the file alone just before each run as well, drop just
// before and just after; both print that floor's median and the median of
// the per-run ratios.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "audio/AcmMp3Decoder.h"
#include "audio/Mp3Frames.h"
#include "app/MainLayout.h"
#include "audio/TrackAnalysis.h"
#include "runtime/FileHandover.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/ProcessDriver.h"

namespace orv {
namespace {

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::wstring Wide(const char* s)
{
    std::wstring out(strlen(s) + 1, L'\0');
    out.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, s, -1, &out[0], static_cast<int>(out.size()))) - 1);
    return out;
}

std::string ReadAll(const char* path)
{
    std::string bytes;
    if (FILE* f = fopen(path, "rb")) {
        char buf[65536];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
        fclose(f);
    }
    return bytes;
}

// The platform's decoder alone, the whole file from memory: the floor.
double DecodeOnce(const std::string& bytes, const Mp3StreamInfo& info, size_t* frames)
{
    *frames = 0;
    const double t0 = Now();
    AcmMp3Decoder decoder;
    if (decoder.Open(info.first, [frames](const int16_t*, size_t n) { *frames += n; }) != AcmMp3Decoder::Status::Ok)
        return -1;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data()) + info.firstFrameOffset;
    decoder.Feed(data, static_cast<size_t>(info.audioEnd - info.firstFrameOffset));
    decoder.Finish();
    return Now() - t0;
}

struct DecodeJob {
    const std::string* bytes;
    Mp3StreamInfo stream;
    size_t frames;
};

DWORD WINAPI DecodeJobMain(void* context)
{
    auto* job = static_cast<DecodeJob*>(context);
    return DecodeOnce(*job->bytes, job->stream, &job->frames) < 0 ? 1 : 0;
}

// The same decoder on the stretches the program cuts a long track into, each
// on a thread of its own, all at once: the floor of the program's way of
// decoding, thread starts included.
double DecodeInParts(const std::string& bytes, const Mp3StreamInfo& info, int parts)
{
    MemorySource source(bytes);
    const double t0 = Now();
    const std::vector<Mp3Part> plan = PlanMp3Parts(source, info, parts);
    std::vector<DecodeJob> jobs;
    for (const Mp3Part& part : plan) jobs.push_back({&bytes, part.stream, 0});
    std::vector<HANDLE> threads;
    for (size_t i = 1; i < jobs.size(); ++i) threads.push_back(CreateThread(nullptr, 0, DecodeJobMain, &jobs[i], 0, nullptr));
    DecodeJobMain(&jobs[0]);
    for (HANDLE t : threads) {
        WaitForSingleObject(t, INFINITE);
        CloseHandle(t);
    }
    return Now() - t0;
}

int FloorInParts(const char* file, int runs, int parts)
{
    const std::string bytes = ReadAll(file);
    MemorySource source(bytes);
    Mp3StreamInfo info;
    if (FindMp3Stream(source, &info) != Mp3Status::Ok) return 1;
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) times.push_back(DecodeInParts(bytes, info, parts));
    printf("floor-parts %.1f ms parts %d\n", Median(times), parts);
    return 0;
}

// The floor, measured again just before each timed run: on a shared machine
// the speed drifts by a fifth between minutes, and a ratio of medians taken
// minutes apart says more about the neighbours than about the program.
class PairedFloor {
public:
    explicit PairedFloor(const char* file) : bytes_(ReadAll(file)), source_(bytes_)
    {
        ok_ = FindMp3Stream(source_, &info_) == Mp3Status::Ok;
    }
    bool Ok() const { return ok_; }
    double Seconds() const { return static_cast<double>(frames_) / info_.first.sampleRate; }
    double Measure()
    {
        const double t = DecodeOnce(bytes_, info_, &frames_);
        times_.push_back(t);
        return t;
    }
    double Last() const { return times_.back(); }
    double MedianTime() { return Median(times_); }

private:
    std::string bytes_;
    MemorySource source_;
    Mp3StreamInfo info_;
    bool ok_ = false;
    size_t frames_ = 0;
    std::vector<double> times_;
};

int Floor(const char* file, int runs)
{
    PairedFloor floor(file);
    if (!floor.Ok()) return 1;
    for (int r = 0; r < runs; ++r)
        if (floor.Measure() < 0) return 1;
    printf("floor %.1f ms %.1f s\n", floor.MedianTime(), floor.Seconds());
    return 0;
}

int Analyse(const char* file, int runs, const char* label, const TrackDecoding& decoding)
{
    PairedFloor floor(file);
    std::vector<double> times, ratios;
    TrackReport report;
    std::atomic<bool> stop{false};
    for (int r = 0; r < runs; ++r) {
        if (floor.Ok()) floor.Measure();
        const double t0 = Now();
        report = AnalyseTrack(Wide(file), stop, decoding);
        times.push_back(Now() - t0);
        if (floor.Ok()) ratios.push_back(times.back() / floor.Last());
    }
    printf("%s %.1f ms key %d %s signature %d confidence %.2f paired_floor %.1f ms ratio %.2f\n",
           label, Median(times), report.estimate.key.pitch, report.estimate.key.minor ? "minor" : "major", report.estimate.signature,
           report.estimate.confidence, floor.Ok() ? floor.MedianTime() : 0.0, ratios.empty() ? 0.0 : Median(ratios));
    return report.outcome == TrackReport::Outcome::Key ? 0 : 1;
}

// Starts the program in a folder of its own; each run, trigger makes it show
// a box, which is timed from the trigger to the box and then answered.
int Boxes(const char* exe, int runs, const char* label, const std::function<void(const test::OrvaneProcess&)>& trigger,
          PairedFloor* floor = nullptr)
{
    // A folder of its own, so no running copy of another test takes the file.
    test::OrvaneProcess app{exe};
    if (!app.Start()) return 1;
    const HWND window = app.Window();
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.ProcessId());
    if (!process) return 1;
    int status = 0;
    std::vector<double> times, peaks, afters, ratios;
    double idle = 0;
    for (int r = 0; r < runs; ++r) {
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 10000, nullptr);
        Sleep(300);
        const double floorBefore = floor ? floor->Measure() : 0;
        idle = static_cast<double>(test::PrivateBytesOf(process));
        double peak = idle;
        const double t0 = Now();
        trigger(app);
        HWND box = nullptr;
        // Every look is a few server calls: looked for every 4 ms and the
        // bytes read every 20, the watching takes little from the program.
        for (int look = 0; !box && Now() - t0 < 60000; ++look) {
            if (look % 5 == 0) peak = std::max(peak, static_cast<double>(test::PrivateBytesOf(process)));
            if (!(box = app.VisibleDialog())) Sleep(4);
        }
        times.push_back(Now() - t0);
        if (!box) {
            status = 1;
            break;
        }
        peaks.push_back((peak - idle) / 1048576.0);
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        while (IsWindow(box)) Sleep(5);
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 10000, nullptr);
        Sleep(300);
        afters.push_back((static_cast<double>(test::PrivateBytesOf(process)) - idle) / 1048576.0);
        // Against the floor on either side of the run, so that a drift
        // during it tilts neither way.
        if (floor) ratios.push_back(times.back() / ((floorBefore + floor->Measure()) / 2));
    }
    printf("%s %.1f ms peak_growth %.2f MB after_growth %.2f MB idle %.2f MB", label, Median(times), Median(peaks),
           Median(afters), idle / 1048576.0);
    if (floor) printf(" paired_floor %.1f ms ratio %.2f", floor->MedianTime(), ratios.empty() ? 0.0 : Median(ratios));
    printf("\n");
    CloseHandle(process);
    if (!app.Close()) status = 1;
    return status;
}

int Drop(const char* exe, const char* file, int runs)
{
    const std::wstring list = EncodePathList({Wide(file)});
    PairedFloor floor(file);
    if (!floor.Ok()) return 1;
    return Boxes(exe, runs, "drop", [&list](const test::OrvaneProcess& app) {
        COPYDATASTRUCT data{kPathListCopyData, static_cast<DWORD>(list.size() * sizeof(wchar_t)),
                            const_cast<wchar_t*>(list.data())};
        SendMessageTimeoutW(app.Window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_BLOCK, 10000,
                            nullptr);
    }, &floor);
}

// What any box of the program costs: the empty-keyword search's.
int Box(const char* exe, int runs)
{
    return Boxes(exe, runs, "box", [](const test::OrvaneProcess& app) {
        SendMessageA(app.Control(kEdit2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        PostMessageA(app.Control(kButton1), BM_CLICK, 0, 0);
    });
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const int runs = argc > 3 ? atoi(argv[3]) : 3;
    if (mode == "floor" && argc > 2) return orv::Floor(argv[2], runs);
    if (mode == "floor-parts" && argc > 2) return orv::FloorInParts(argv[2], runs, 2);
    if (mode == "analyse" && argc > 2) return orv::Analyse(argv[2], runs, "analyse", {});
    if (mode == "analyse-dmo" && argc > 2) return orv::Analyse(argv[2], runs, "analyse-dmo", {orv::Mp3Decoders::DmoOnly});
    if (mode == "analyse-one" && argc > 2) return orv::Analyse(argv[2], runs, "analyse-one", {orv::Mp3Decoders::AcmThenDmo, 1});
    if (mode == "drop" && argc > 3) return orv::Drop(argv[2], argv[3], argc > 4 ? atoi(argv[4]) : 3);
    if (mode == "box" && argc > 2) return orv::Box(argv[2], argc > 3 ? atoi(argv[3]) : 3);
    fprintf(stderr, "usage: bench_track_keys floor|floor-parts|analyse|analyse-dmo|analyse-one FILE [RUNS] | drop EXE FILE [RUNS] | box EXE [RUNS]\n");
    return 2;
}
