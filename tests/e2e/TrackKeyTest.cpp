// Backing tracks handed to the real orvane.exe the ways a desktop hands files
// to a program: on its command line, to a copy that is not running yet and to
// one that is, and dragged onto its window (under Wine an X drag-and-drop,
// which Wine delivers as WM_DROPFILES). What the program says is read from
// its message boxes, and what it leaves from 编辑框2 and the lists.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/e2e/TrackHandover.h"
#include "tests/support/ProcessDriver.h"

namespace orv {
namespace {

using test::AnswerBox;
using test::DropOnWindow;
using test::Has;
using test::MinorMp3;
using test::OrvaneProcess;
using test::ReadFileBytes;
using test::WriteFileBytes;
using Items = std::vector<std::string>;

// A plain accompaniment in a major key: I-IV-V-I, one chord a second, with
// a bass note, each tone with a few decaying partials. 16-bit mono WAV.
void WriteMajorTrack(const std::wstring& path, int tonic, int seconds = 12)
{
    const int rate = 22050;
    const int chords[4][3] = {{0, 4, 7}, {5, 9, 12}, {7, 11, 14}, {0, 4, 7}};
    std::vector<int16_t> pcm(static_cast<size_t>(rate) * static_cast<size_t>(seconds));
    for (size_t i = 0; i < pcm.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const int bar = static_cast<int>(t) % 4;
        const double local = t - std::floor(t), fade = std::exp(-2.5 * local);
        double v = 0;
        for (int n = 0; n < 4; ++n) {
            const int semitone = n < 3 ? chords[bar][n] : chords[bar][0] - 12;
            const double f = 220.0 * std::pow(2.0, (tonic - 9 + semitone) / 12.0);
            for (int k = 1; k <= 4; ++k) v += std::sin(2 * 3.14159265358979 * f * k * t) / k;
        }
        pcm[i] = static_cast<int16_t>(3000 * fade * v);
    }
    std::string wav = "RIFF----WAVEfmt ";
    auto put32 = [&wav](uint32_t v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&wav](uint16_t v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    put32(16), put16(1), put16(1), put32(rate), put32(rate * 2), put16(2), put16(16);
    wav += "data";
    put32(static_cast<uint32_t>(pcm.size() * 2));
    wav.append(reinterpret_cast<const char*>(pcm.data()), pcm.size() * 2);
    const uint32_t riff = static_cast<uint32_t>(wav.size() - 8);
    wav.replace(4, 4, reinterpret_cast<const char*>(&riff), 4);
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(f, wav.data(), static_cast<DWORD>(wav.size()), &n, nullptr);
    CloseHandle(f);
}

// A second start of the program from the same folder with these arguments:
// its exit code, once it has ended.
DWORD StartAgain(const OrvaneProcess& app, const std::wstring& arguments)
{
    std::wstring cmd = L"\"" + OrvaneProcess::Wide(app.ProgramPath()) + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "the second start could not be made: error " << GetLastError();
        return 0xDEAD;
    }
    DWORD code = 0xBEEF;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

int MainWindowCount()
{
    int n = 0;
    for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, "OrvaneMainWindow", nullptr)) != nullptr;)
        n += IsWindowVisible(h) ? 1 : 0;
    return n;
}

// The program's GDI objects once its window has painted what the last step
// changed: paints come last of all messages, and a face drawn for the first
// time is kept.
long SettledGdiObjects(HANDLE process)
{
    long last = test::GdiObjectCountOf(process);
    for (int i = 0; i < 20; ++i) {
        Sleep(150);
        const long now = test::GdiObjectCountOf(process);
        if (now == last) return now;
        last = now;
    }
    return last;
}

class TrackKeys : public ::testing::Test {
protected:
    OrvaneProcess app{test::TestFile(ORV_EXE_PATH)};
    std::wstring tracks = OrvaneProcess::Wide(app.Directory()) + L"\\tracks";

    void SetUp() override { CreateDirectoryW(tracks.c_str(), nullptr); }
    void TearDown() override
    {
        app.Kill();
        test::RemoveScratchFolder(tracks);
    }
    void StartWith(const std::string& catalogue)
    {
        ASSERT_TRUE(WriteFileBytes(app.CataloguePath(), catalogue));
        ASSERT_TRUE(app.Start()) << "main window did not appear";
    }
};

TEST_F(TrackKeys, ADroppedTrackTellsItsKeyAndItsShiftFromTheCatalogueAndFillsTheKeywordBox)
{
    if (!test::RunningUnderWine()) GTEST_SKIP() << "the drop comes from an X drag source";
    // Korean and an emoji: the path is not one the ANSI code page can spell.
    const std::wstring track = tracks + L"\\01 周杰伦 - 晴天 (伴奏) 노래\U0001F3B5.wav";
    WriteMajorTrack(track, 9);
    StartWith("晴天 B调\r\n稻香 D调\r\n");
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.ProcessId());
    // The first drops make what the program keeps (the decoder loaded,
    // faces drawn once). Under Wine the count also holds objects Wine makes
    // for itself, a DC, a region and a bitmap at a time, at drops that vary
    // from run to run, and then no more (docs/wine.md). A leak grows at every
    // drop, so the count must come to rest: the same after three drops in a
    // row, within ten.
    std::vector<long> counts;
    size_t windows = 0;
    int same = 0;
    for (int round = 0; round < 10 && same < 2; ++round) {
        ASSERT_TRUE(DropOnWindow(app, {track})) << "ORV_XDND_DROP names the drag source";
        const std::string text = AnswerBox(app, IDOK);
        EXPECT_TRUE(Has(text, "效果器: A\n")) << text;
        EXPECT_TRUE(Has(text, "音阶: A B #C D E #F #G")) << text;
        EXPECT_TRUE(Has(text, "目录中为 B调，此伴奏降了 2 个半音")) << text;
        EXPECT_TRUE(test::KeywordBoxBecomes(app, "晴天 A调")) << app.Text(kEdit2);
        counts.push_back(SettledGdiObjects(process));
        if (round < 2) continue;
        same = counts.back() == counts[counts.size() - 2] ? same + 1 : 0;
        if (same == 1) windows = app.TopLevelWindows().size();
    }
    EXPECT_GT(counts.back(), 0);
    EXPECT_EQ(same, 2) << ::testing::PrintToString(counts);
    if (same == 2) {
        EXPECT_EQ(app.TopLevelWindows().size(), windows);
    }
    CloseHandle(process);

    // 保存 adds it as a typed entry; the file waits for the close.
    app.Click(kButton2);
    app.Settle();
    EXPECT_EQ(app.ListItems(kList1), (Items{"晴天 B调", "稻香 D调", "晴天 A调"}));
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "晴天 B调\r\n稻香 D调\r\n");
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "晴天 B调\r\n稻香 D调\r\n晴天 A调\r\n");
}

TEST_F(TrackKeys, APathGivenToASecondStartIsHeardByTheRunningCopyWhichShowsTheResult)
{
    // The tag's title wins over the file's name.
    const std::wstring track = tracks + L"\\track07 (Karaoke).mp3";
    ASSERT_TRUE(CopyFileW(MinorMp3().c_str(), track.c_str(), FALSE));
    StartWith("晴天 G调\r\n");
    EXPECT_EQ(StartAgain(app, L"\"" + track + L"\""), 0u);
    const std::string text = AnswerBox(app, IDOK);
    EXPECT_TRUE(Has(text, "效果器: G (Em)")) << text;
    EXPECT_TRUE(Has(text, "目录中为 G调，与此伴奏一致")) << text;
    EXPECT_EQ(MainWindowCount(), 1) << "the second start showed no window of its own";
    EXPECT_TRUE(test::KeywordBoxBecomes(app, "晴天 G调")) << app.Text(kEdit2);
    EXPECT_EQ(app.ListItems(kList1), Items{"晴天 G调"});
    ASSERT_TRUE(app.Close());
}

TEST_F(TrackKeys, AFolderListsItsTracksWhereNoAddsNothingAndYesAddsTheNewOnes)
{
    WriteMajorTrack(tracks + L"\\稻香.wav", 9);
    ASSERT_TRUE(CopyFileW(MinorMp3().c_str(), (tracks + L"\\02.mp3").c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(app.Directory() + "\\tracks\\notes.txt", "not a track"));
    CreateDirectoryW((tracks + L"\\inner").c_str(), nullptr);
    // No copy runs yet: the program starts and then takes the folder.
    app.SetArguments(L"\"" + tracks + L"\"");
    StartWith("晴天 A调\r\n");
    std::string text = AnswerBox(app, IDNO);
    EXPECT_TRUE(Has(text, "分析了 2 个文件")) << text;
    EXPECT_TRUE(Has(text, "晴天 → G调 (Em)  ≠ 目录中 A调")) << text;
    EXPECT_TRUE(Has(text, "稻香 → A调\n")) << text;
    EXPECT_TRUE(Has(text, "把 1 首新歌连同调加入歌曲库吗")) << text;
    EXPECT_EQ(app.ListItems(kList1), Items{"晴天 A调"});

    EXPECT_EQ(StartAgain(app, L"\"" + tracks + L"\""), 0u);
    AnswerBox(app, IDYES);
    EXPECT_EQ(app.ListItems(kList1), (Items{"晴天 A调", "稻香 A调"}));
    EXPECT_EQ(app.ListItems(kList2), (Items{"晴天 A调", "稻香 A调"}));
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "晴天 A调\r\n");
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "晴天 A调\r\n稻香 A调\r\n");
}

TEST_F(TrackKeys, AFileThatIsNotAudioIsNamedWithWhatIsSupportedAndChangesNothing)
{
    ASSERT_TRUE(WriteFileBytes(app.Directory() + "\\tracks\\fake.mp3", std::string(5000, 'x') + "ID3 not audio"));
    StartWith("A\r\n");
    EXPECT_EQ(StartAgain(app, L"\"" + tracks + L"\\fake.mp3\""), 0u);
    const std::string text = AnswerBox(app, IDOK);
    EXPECT_TRUE(Has(text, "fake.mp3")) << text;
    EXPECT_TRUE(Has(text, "这不是可识别的音频文件")) << text;
    EXPECT_TRUE(Has(text, "支持的格式：MP3")) << text;
    EXPECT_EQ(app.ListItems(kList1), Items{"A"});
    EXPECT_EQ(app.ListItems(kList2), Items{"A"});
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "A\r\n");
}

TEST_F(TrackKeys, EscStopsTheRunWithoutABoxAndClosingStopsItAndStillSaves)
{
    // Long enough to be caught while it runs.
    WriteMajorTrack(tracks + L"\\long0.wav", 2, 180);
    for (int i = 1; i < 10; ++i)
        ASSERT_TRUE(CopyFileW((tracks + L"\\long0.wav").c_str(), (tracks + L"\\long" + std::to_wstring(i) + L".wav").c_str(),
                              FALSE));
    StartWith("A\r\n");
    const std::string caption = OrvaneProcess::WindowText(app.Window());
    auto running = [&] {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(5))
            if (OrvaneProcess::WindowText(app.Window()).find("正在分析") == 0) return true;
        return false;
    };
    EXPECT_EQ(StartAgain(app, L"\"" + tracks + L"\""), 0u);
    ASSERT_TRUE(running()) << "the caption shows the progress";
    PostMessageA(app.Focus(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(app.WaitForDialog(3000), nullptr) << "a stopped run tells nothing";
    EXPECT_EQ(OrvaneProcess::WindowText(app.Window()), caption);

    EXPECT_EQ(StartAgain(app, L"\"" + tracks + L"\""), 0u);
    ASSERT_TRUE(running());
    ASSERT_TRUE(app.Close(10000)) << "the run does not hold the window";
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "A\r\n");
}

}  // namespace
}  // namespace orv
