// One track from its path to its report, on the platform: the files a
// singer's folder really holds when something is wrong with them, each
// named for what it is, none of them crashing or hanging the analysis.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "audio/AcmMp3Decoder.h"
#include "audio/ByteSource.h"
#include "audio/DmoMp3Decoder.h"
#include "audio/FileSource.h"
#include "audio/ListeningThread.h"
#include "audio/Mp3Frames.h"
#include "audio/PcmConvert.h"
#include "audio/TrackAnalysis.h"
#include "tests/audio/SignalSynth.h"
#include "tests/support/TestFiles.h"

namespace orv {
namespace {

using Outcome = TrackReport::Outcome;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Write(const std::wstring& path, const std::string& bytes)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
    CloseHandle(f);
    return ok;
}

// A 16-bit mono WAV header in front of samples, claiming dataBytes of them.
std::string WavHeader(uint16_t formatTag, uint32_t dataBytes)
{
    std::string h = "RIFF";
    auto put32 = [&h](uint32_t v) { h.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&h](uint16_t v) { h.append(reinterpret_cast<const char*>(&v), 2); };
    put32(36 + dataBytes);
    h += "WAVEfmt ";
    put32(16), put16(formatTag), put16(1), put32(22050), put32(44100), put16(2), put16(16);
    h += "data";
    put32(dataBytes);
    return h;
}

struct Case {
    const char* what;
    std::function<std::wstring(const std::wstring& dir)> make;  // the path to analyse
    Outcome expected;
};

class TrackAnalysis : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"orv-tracks-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir_.c_str(), nullptr);
    }
    void TearDown() override { test::RemoveScratchFolder(dir_); }
    std::wstring dir_;
};

TEST_F(TrackAnalysis, EachDamagedOrForeignFileIsNamedForWhatItIs)
{
    const std::string mp3 = ReadAll(test::TestFile(ORV_TRACKS_DIR "/e-minor.mp3"));
    ASSERT_GT(mp3.size(), 10000u);
    const std::vector<Case> cases = {
        {"empty", [](const std::wstring& d) { return Write(d + L"\\empty.mp3", ""), d + L"\\empty.mp3"; },
         Outcome::Empty},
        {"missing", [](const std::wstring& d) { return d + L"\\gone.mp3"; }, Outcome::Missing},
        {"a folder", [](const std::wstring& d) {
             CreateDirectoryW((d + L"\\album.mp3").c_str(), nullptr);
             return d + L"\\album.mp3";
         },
         Outcome::Folder},
        {"text named .mp3",
         [](const std::wstring& d) {
             return Write(d + L"\\notes.mp3", std::string(4000, 'x') + "lyrics"), d + L"\\notes.mp3";
         },
         Outcome::NotAudio},
        {"a WAV holding MP3 (format 0x55)",
         [](const std::wstring& d) {
             return Write(d + L"\\mp3.wav", WavHeader(0x55, 4000) + std::string(4000, '\0')), d + L"\\mp3.wav";
         },
         Outcome::UnsupportedWav},
        {"over 1 GB (sparse)",
         [](const std::wstring& d) {
             const std::wstring p = d + L"\\huge.wav";
             HANDLE f = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
             LARGE_INTEGER end;
             end.QuadPart = static_cast<LONGLONG>(kMostTrackBytes) + 1;
             SetFilePointerEx(f, end, nullptr, FILE_BEGIN);
             SetEndOfFile(f);
             CloseHandle(f);
             return p;
         },
         Outcome::TooLarge},
        {"an MP3 cut off mid-frame",
         [&mp3](const std::wstring& d) {
             return Write(d + L"\\cut.mp3", mp3.substr(0, mp3.size() - 200)), d + L"\\cut.mp3";
         },
         Outcome::Key},
    };
    std::atomic<bool> stop{false};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TrackReport report = AnalyseTrack(c.make(dir_), stop);
        EXPECT_EQ(static_cast<int>(report.outcome), static_cast<int>(c.expected));
        if (c.expected == Outcome::UnsupportedWav) {
            EXPECT_EQ(report.formatTag, 0x55u);
        }
        if (c.expected == Outcome::Key) {
            EXPECT_TRUE(report.incomplete);
            EXPECT_EQ(report.estimate.signature, 7) << "E minor is set on G";
        }
    }
}

// A network share that stops answering, or goes away, while a read waits
// on it; a pipe stands in for the share, for a disk file's reads never
// wait. The read ends, and says why.
struct ShareCase {
    const char* what;
    DWORD stallMs;
    enum { Nothing, Stop, ServerGoes } after200Ms;
    DWORD error;
};

struct Later {
    const ShareCase* c;
    std::atomic<bool>* stop;
    HANDLE server;
};

DWORD WINAPI Act200MsLater(void* context)
{
    auto* later = static_cast<Later*>(context);
    Sleep(200);
    if (later->c->after200Ms == ShareCase::Stop) *later->stop = true;
    if (later->c->after200Ms == ShareCase::ServerGoes) CloseHandle(later->server);
    return 0;
}

TEST_F(TrackAnalysis, AShareThatStallsOrGoesAwayEndsTheReadAndSaysWhy)
{
    const ShareCase cases[] = {
        {"stalls", 300, ShareCase::Nothing, ERROR_TIMEOUT},
        // Never given up on: the read would hang the test if the stop or the
        // broken pipe went unnoticed.
        {"stopped by the user", INFINITE, ShareCase::Stop, ERROR_OPERATION_ABORTED},
        {"goes away", INFINITE, ShareCase::ServerGoes, ERROR_BROKEN_PIPE},
    };
    const std::wstring name = L"\\\\.\\pipe\\orv-share-" + std::to_wstring(GetCurrentProcessId());
    for (const ShareCase& c : cases) {
        SCOPED_TRACE(c.what);
        HANDLE server = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16,
                                         1 << 16, 0, nullptr);
        ASSERT_NE(server, INVALID_HANDLE_VALUE);
        HANDLE client =
            CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        ASSERT_NE(client, INVALID_HANDLE_VALUE);
        std::atomic<bool> stop{false};
        FileSource share(client, 1 << 20, stop, c.stallMs);
        // What the share had sent before it stopped is read as usual.
        char bytes[4096] = {};
        DWORD sent = 0;
        ASSERT_TRUE(WriteFile(server, bytes, 100, &sent, nullptr));
        EXPECT_EQ(share.ReadAt(0, bytes, sizeof bytes), 100);
        Later later{&c, &stop, server};
        HANDLE actor = CreateThread(nullptr, 0, Act200MsLater, &later, 0, nullptr);
        ASSERT_NE(actor, nullptr);
        EXPECT_EQ(share.ReadAt(100, bytes, sizeof bytes), -1);
        WaitForSingleObject(actor, INFINITE);
        CloseHandle(actor);
        if (c.after200Ms != ShareCase::ServerGoes) CloseHandle(server);
        EXPECT_EQ(share.Error(), c.error);
        EXPECT_EQ(share.TimedOut(), c.error == ERROR_TIMEOUT);
        if (share.TimedOut()) {
            EXPECT_EQ(share.ReadAt(100, bytes, sizeof bytes), -1) << "a stalled share is not waited for again";
        }
    }
}

TEST_F(TrackAnalysis, ALockedFileSaysSoAndAStopEndsTheRun)
{
    const std::wstring path = dir_ + L"\\track.mp3";
    ASSERT_TRUE(Write(path, ReadAll(test::TestFile(ORV_TRACKS_DIR "/e-minor.mp3"))));
    std::atomic<bool> stop{false};
    {
        // A player or a download that holds it without sharing.
        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const TrackReport report = AnalyseTrack(path, stop);
        CloseHandle(held);
        EXPECT_EQ(static_cast<int>(report.outcome), static_cast<int>(Outcome::CannotOpen));
        EXPECT_EQ(report.systemError, static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(static_cast<int>(AnalyseTrack(path, stop).outcome), static_cast<int>(Outcome::Key)) << "once let go";
    stop = true;
    EXPECT_EQ(static_cast<int>(AnalyseTrack(path, stop).outcome), static_cast<int>(Outcome::Stopped));
}

// The listening runs beside the decoding, and until its thread has started
// the decoding thread listens itself: between them every sample must be
// heard once and in order, as one thread hearing them all would.
void ExpectHeardAlike(const KeyEstimate& heard, const KeyEstimate& expected, int run)
{
    EXPECT_EQ(heard.secondsHeard, expected.secondsHeard) << run;
    EXPECT_EQ(heard.confidence, expected.confidence) << run;
    EXPECT_EQ(heard.tuningCents, expected.tuningCents) << run;
    EXPECT_EQ(heard.signature, expected.signature) << run;
}

// The MP3 decoded by one of the platform's decoders and heard on one thread.
template <class Decoder>
KeyEstimate DecodeAlone(const std::string& bytes, size_t* frames)
{
    MemorySource source(bytes);
    Mp3StreamInfo info;
    EXPECT_EQ(FindMp3Stream(source, &info), Mp3Status::Ok);
    KeyEstimator alone(info.first.sampleRate);
    std::vector<float> mono;
    Decoder decoder;
    const int channels = info.first.channels;
    *frames = 0;
    EXPECT_EQ(decoder.Open(info.first,
                           [&](const int16_t* pcm, size_t n) {
                               mono.resize(n);
                               DownmixS16(pcm, n, channels, mono.data());
                               alone.Add(mono.data(), n);
                               *frames += n;
                           }),
              AcmMp3Decoder::Status::Ok);
    Mp3FrameReader reader(source, info);
    for (Mp3Frame frame; reader.Next(&frame);) EXPECT_EQ(decoder.Feed(frame.data, frame.size), AcmMp3Decoder::Status::Ok);
    EXPECT_EQ(decoder.Finish(), AcmMp3Decoder::Status::Ok);
    return alone.Finish();
}

TEST_F(TrackAnalysis, EverySampleIsHeardOnceAndInOrderWhicheverThreadHearsIt)
{
    test::SignalSynth synth(44100, 24, 11);
    synth.Accompaniment(2, {{0, {0, 4, 7}}, {9, {0, 3, 7}}, {5, {0, 4, 7}}, {7, {0, 4, 7}}},
                        test::SignalSynth::kArpeggios | test::SignalSynth::kBass);
    const std::vector<float>& samples = synth.Samples();
    KeyEstimator alone(44100);
    alone.Add(samples.data(), samples.size());
    const KeyEstimate expected = alone.Finish();
    ASSERT_EQ(expected.verdict, KeyEstimate::Verdict::Key);
    for (int run = 0; run < 4; ++run) {
        // Handed over at once, in uneven runs, some short of a block: the
        // first ones before the thread can have started.
        ListeningThread listening(44100);
        for (size_t at = 0, i = 0; at < samples.size(); ++i) {
            const size_t n = std::min({samples.size() - at, ListeningThread::kBlockFrames, 700 + i * 997 % 7500});
            std::copy_n(samples.data() + at, n, listening.Block());
            listening.Post(n);
            at += n;
        }
        ExpectHeardAlike(listening.Finish(), expected, run);
    }

    // The same through the platform's decoder, in 16-bit stereo.
    const std::string bytes = ReadAll(test::TestFile(ORV_TRACKS_DIR "/e-minor.mp3"));
    size_t frames = 0;
    const KeyEstimate decoded = DecodeAlone<AcmMp3Decoder>(bytes, &frames);
    const std::wstring path = dir_ + L"\\order.mp3";
    ASSERT_TRUE(Write(path, bytes));
    std::atomic<bool> stop{false};
    for (int run = 0; run < 2; ++run) ExpectHeardAlike(AnalyseTrack(path, stop).estimate, decoded, run);
}

// Where the system has no ACM codec for MPEG Layer-3, the MP3 decoder DMO
// decodes: the same samples, give or take the decoders' own delay.
TEST_F(TrackAnalysis, TheDecoderDmoHearsWhatTheAcmCodecHears)
{
    const std::string bytes = ReadAll(test::TestFile(ORV_TRACKS_DIR "/e-minor.mp3"));
    size_t acmFrames = 0, dmoFrames = 0;
    const KeyEstimate acm = DecodeAlone<AcmMp3Decoder>(bytes, &acmFrames);
    const KeyEstimate dmo = DecodeAlone<DmoMp3Decoder>(bytes, &dmoFrames);
    // Wine's DMO gives 7,488 samples (0.34 s) fewer of this track than its
    // codec does.
    EXPECT_NEAR(static_cast<double>(dmoFrames), static_cast<double>(acmFrames), 22050 * 0.5);
    EXPECT_GT(acmFrames, 22050u * 10);
    EXPECT_EQ(dmo.verdict, KeyEstimate::Verdict::Key);
    EXPECT_EQ(dmo.signature, acm.signature);
    EXPECT_NEAR(dmo.confidence, acm.confidence, 0.02);

    // The whole way, as on a system whose ACM has no MPEG Layer-3 codec.
    const std::wstring path = dir_ + L"\\without-acm.mp3";
    ASSERT_TRUE(Write(path, bytes));
    std::atomic<bool> stop{false};
    const TrackReport report = AnalyseTrack(path, stop, {Mp3Decoders::DmoOnly});
    EXPECT_EQ(static_cast<int>(report.outcome), static_cast<int>(Outcome::Key));
    EXPECT_EQ(report.estimate.signature, 7) << "E minor is set as G";
}

// A long track is decoded in stretches, one decoder on each core: together
// they hear it as one decoder does, give or take a frame at each seam.
TEST_F(TrackAnalysis, StretchesDecodedAtOnceHearTheTrackAsOneDecoderDoes)
{
    const std::wstring path = dir_ + L"\\stretches.mp3";
    ASSERT_TRUE(Write(path, ReadAll(test::TestFile(ORV_TRACKS_DIR "/e-minor.mp3"))));
    std::atomic<bool> stop{false};
    for (Mp3Decoders decoders : {Mp3Decoders::AcmThenDmo, Mp3Decoders::DmoOnly}) {
        const TrackReport whole = AnalyseTrack(path, stop, {decoders, 1});
        ASSERT_EQ(static_cast<int>(whole.outcome), static_cast<int>(Outcome::Key));
        for (int parts : {2, 5}) {
            SCOPED_TRACE(parts);
            const TrackReport split = AnalyseTrack(path, stop, {decoders, parts});
            const int ran = std::min(parts, 2);  // never more than two at once
            EXPECT_EQ(std::make_tuple(static_cast<int>(split.outcome), split.mp3Parts, split.estimate.signature),
                      std::make_tuple(static_cast<int>(Outcome::Key), ran, whole.estimate.signature));
            EXPECT_NEAR(split.seconds, whole.seconds, 0.03 * ran);
            // A part-filled analysis frame (0.37 s) is lost at each seam.
            EXPECT_NEAR(split.estimate.secondsHeard, whole.estimate.secondsHeard, 0.38 * (ran - 1));
            EXPECT_NEAR(split.estimate.confidence, whole.estimate.confidence, 0.03);
        }
        // Where the later stretch's decoder will not start, the track is heard in one run.
        const TrackReport refused = AnalyseTrack(path, stop, {decoders, 2, true});
        EXPECT_EQ(std::make_tuple(static_cast<int>(refused.outcome), refused.mp3Parts, refused.estimate.signature,
                                  refused.seconds, refused.estimate.secondsHeard),
                  std::make_tuple(static_cast<int>(Outcome::Key), 1, whole.estimate.signature, whole.seconds,
                                  whole.estimate.secondsHeard));
    }
}

}  // namespace
}  // namespace orv
