// The real orvane.exe, driven from this process the way a user would drive
// it, with the catalogue checked byte for byte on disk afterwards.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "runtime/TrayIcon.h"
#include "image/PeSection.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/ScreenInput.h"

namespace orv {
namespace {

using test::OrvaneProcess;
using test::ReadFileBytes;
using test::WriteFileBytes;
using Items = std::vector<std::string>;

class EndToEnd : public ::testing::Test {
protected:
    OrvaneProcess app{test::TestFile(ORV_EXE_PATH)};

    void StartWith(const std::string& catalogue)
    {
        ASSERT_TRUE(WriteFileBytes(app.CataloguePath(), catalogue));
        ASSERT_TRUE(app.Start()) << "main window did not appear";
    }

    // Answers the program's message box with the given button.
    void Answer(int buttonId)
    {
        HWND box = app.WaitForDialog();
        ASSERT_NE(box, nullptr) << "no message box appeared";
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
        // Once the box is gone the handler runs on without asking for
        // messages, so a settle after that sees its result.
        const DWORD start = GetTickCount();
        while (IsWindow(box) && GetTickCount() - start < 10000) Sleep(10);
        ASSERT_FALSE(IsWindow(box));
        app.Settle();
    }
};

TEST_F(EndToEnd, StartsWithBothListsFilledAndSavesByteExactOnClose)
{
    const std::string bytes = "歌曲一 G调\r\nSong 2 Eb\r\n\r\n  spaced  \r\ndup\r\ndup\r\n";
    StartWith(bytes);
    const Items want = {"歌曲一 G调", "Song 2 Eb", "", "  spaced  ", "dup", "dup"};
    EXPECT_EQ(app.ListItems(kList1), want);
    EXPECT_EQ(app.ListItems(kList2), want);
    EXPECT_TRUE(IsWindowVisible(app.Control(kList2)));
    EXPECT_FALSE(IsWindowVisible(app.Control(kList1)));
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), bytes);
}

TEST_F(EndToEnd, MissingCatalogueStartsEmptyAndCloseWritesAnEmptyFile)
{
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(app.ListItems(kList2).empty());
    ASSERT_TRUE(app.Close());
    const DWORD attrs = GetFileAttributesA(app.CataloguePath().c_str());
    ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "");
}

TEST_F(EndToEnd, KeywordAndEnterShowTheMatchingEntries)
{
    StartWith("晴天 G调\r\n稻香 D调\r\nG-Dragon\r\ng minor\r\n");
    app.SetText(kEdit2, "G");
    app.PressEnter(kEdit2);
    app.Settle();
    EXPECT_EQ(app.ListItems(kList2), (Items{"晴天 G调", "G-Dragon"}));
    app.SetText(kEdit2, "调");
    app.Click(kButton1);
    app.Settle();
    EXPECT_EQ(app.ListItems(kList2), (Items{"晴天 G调", "稻香 D调"}));
    EXPECT_EQ(app.ListItems(kList1).size(), 4u);
    ASSERT_TRUE(app.Close());
}

TEST_F(EndToEnd, AddDeleteYesAndNoThenRestart)
{
    StartWith("A\r\nB\r\nC\r\n");
    app.SetText(kEdit2, "新歌 #F调");
    app.Click(kButton2);
    app.Settle();
    EXPECT_EQ(app.ListItems(kList2), (Items{"A", "B", "C", "新歌 #F调"}));

    app.DoubleClickItem(kList2, 1);  // B
    Answer(IDYES);
    EXPECT_EQ(app.ListItems(kList2), (Items{"A", "C", "新歌 #F调"}));
    EXPECT_EQ(app.ListItems(kList1), (Items{"A", "C", "新歌 #F调"}));

    app.DoubleClickItem(kList2, 0);  // A, answered No
    Answer(IDNO);
    EXPECT_EQ(app.ListItems(kList1), (Items{"A", "C", "新歌 #F调"}));

    ASSERT_TRUE(app.Close());
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "A\r\nC\r\n新歌 #F调\r\n");

    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.ListItems(kList1), (Items{"A", "C", "新歌 #F调"}));
    EXPECT_EQ(app.ListItems(kList2), (Items{"A", "C", "新歌 #F调"}));
    app.SetText(kEdit2, "新歌");
    app.PressEnter(kEdit2);
    app.Settle();
    EXPECT_EQ(app.ListItems(kList2), (Items{"新歌 #F调"}));
    ASSERT_TRUE(app.Close());
}

TEST_F(EndToEnd, MinimiseHidesToTheTrayAndTheTrayRestoresCentredOnTop)
{
    StartWith("A\r\n");
    HWND w = app.Window();
    SendMessageA(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_FALSE(GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE);  // so not on the taskbar either

    SendMessageA(w, kTrayCallbackMessage, 1, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_FALSE(IsIconic(w));
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r, work;
    GetWindowRect(w, &r);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 1);
    ASSERT_TRUE(app.Close());
}

TEST_F(EndToEnd, HostileCatalogueBytesSurviveARoundTrip)
{
    std::string bytes;
    std::mt19937 rng(936);
    for (int i = 0; i < 2000; ++i) {
        std::string line;
        for (int k = static_cast<int>(rng() % 40); k > 0; --k) {
            char c = static_cast<char>(rng() % 256);
            if (c == '\r') c = ' ';
            line += c;
        }
        bytes += line + "\r\n";
    }
    bytes += std::string(100000, 'x') + "\r\n";  // one long line
    StartWith(bytes);
    ASSERT_TRUE(app.Close());
    EXPECT_TRUE(ReadFileBytes(app.CataloguePath()) == bytes);
}

TEST_F(EndToEnd, KillingDuringTheSaveLeavesTheOldOrTheNewCatalogue)
{
    std::string before;
    for (int i = 0; i < 50000; ++i) before += "歌曲 " + std::to_string(i) + " 降B调 live version\r\n";
    const std::string after = before + "ADDED\r\n";

    // How long a normal close takes, so the kills spread over the save.
    StartWith(before);
    app.SetText(kEdit2, "ADDED");
    app.Click(kButton2);
    app.Settle();
    const DWORD t0 = GetTickCount();
    ASSERT_TRUE(app.Close());
    const DWORD closeMs = GetTickCount() - t0 + 1;
    ASSERT_EQ(ReadFileBytes(app.CataloguePath()), after);

    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(WriteFileBytes(app.CataloguePath(), before));
        ASSERT_TRUE(app.Start());
        app.SetText(kEdit2, "ADDED");
        app.Click(kButton2);
        app.Settle();
        PostMessageA(app.Window(), WM_CLOSE, 0, 0);
        Sleep(closeMs * round / 10);
        app.Kill();
        const std::string now = ReadFileBytes(app.CataloguePath());
        EXPECT_TRUE(now == before || now == after) << "round " << round << ": " << now.size() << " bytes";
    }
}

TEST_F(EndToEnd, SecondCopyBringsTheFirstBackAndLeavesTheCatalogueToIt)
{
    StartWith("A\r\n");
    HWND first = app.Window();
    SendMessageA(first, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_FALSE(IsWindowVisible(first));
    app.SetText(kEdit2, "B");
    app.Click(kButton2);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + app.ProgramPath() + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 15000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u);

    // The second copy posted its request before it ended. A sent message is
    // handled ahead of posted ones, so the first settle can return before the
    // request is handled; the second returns after it.
    app.Settle();
    app.Settle();
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_FALSE(IsIconic(first));
    // Only the first copy writes, and it still holds the addition.
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "A\r\n");
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "A\r\nB\r\n");
}

// ---- skinned message boxes, seen from outside the program -------------------

// The box the program shows is the skin's: layered (it fades in), cut to a
// rounded region, its buttons owner-drawn. Returns the box, settled so the
// skinning done at its activation has finished.
HWND WaitForSkinnedBox(const OrvaneProcess& app)
{
    HWND box = app.WaitForDialog();
    if (!box) return nullptr;
    app.Settle();
    return box;
}

void ExpectSkinned(HWND box, const char* text)
{
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_LAYERED);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(box, region), ERROR) << "the box has a window region";
    RECT wr{};
    GetWindowRect(box, &wr);
    EXPECT_FALSE(PtInRegion(region, 0, 0)) << "its corners are cut";
    EXPECT_TRUE(PtInRegion(region, (wr.right - wr.left) / 2, (wr.bottom - wr.top) / 2));
    DeleteObject(region);
    int buttons = 0;
    for (HWND b = nullptr; (b = FindWindowExA(box, b, "Button", nullptr)) != nullptr;) {
        if (!IsWindowVisible(b)) continue;
        ++buttons;
        EXPECT_EQ(GetWindowLongA(b, GWL_STYLE) & 0xF, BS_OWNERDRAW);
    }
    EXPECT_GT(buttons, 0);
    bool textFound = false;
    for (HWND s = nullptr; (s = FindWindowExA(box, s, "Static", nullptr)) != nullptr;) {
        char buf[256] = {};
        SendMessageA(s, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
        textFound = textFound || std::string(buf) == text;
    }
    EXPECT_TRUE(textFound) << "the message is shown";
    // The fade-in ends at 250 (there is no message to wait for from here).
    BYTE alpha = 0;
    DWORD flags = 0;
    const DWORD start = GetTickCount();
    while (GetLayeredWindowAttributes(box, nullptr, &alpha, &flags) && alpha != 250 && GetTickCount() - start < 5000)
        Sleep(10);
    EXPECT_EQ(alpha, 250);
}

// Clicks one of the box's own (owner-drawn) buttons and waits for the box to go.
void ClickBoxButton(OrvaneProcess& app, HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    ASSERT_NE(button, nullptr);
    PostMessageA(button, BM_CLICK, 0, 0);
    const DWORD start = GetTickCount();
    while (IsWindow(box) && GetTickCount() - start < 10000) Sleep(10);
    ASSERT_FALSE(IsWindow(box));
    app.Settle();
}

TEST_F(EndToEnd, EmptyKeywordSearchShowsASkinnedBox)
{
    StartWith("A\r\nB\r\n");
    app.SetText(kEdit2, "");
    app.ClickAsync(kButton1);
    HWND box = WaitForSkinnedBox(app);
    ASSERT_NE(box, nullptr) << "no message box appeared";
    ExpectSkinned(box, "请输入关键字再搜索");
    ClickBoxButton(app, box, IDOK);
    EXPECT_EQ(app.ListItems(kList2), (Items{"A", "B"}));
    ASSERT_TRUE(app.Close());
}

TEST_F(EndToEnd, DeleteConfirmationIsSkinnedAndNoDeletesNothing)
{
    StartWith("A\r\nB\r\nC\r\n");
    app.DoubleClickItem(kList2, 1);
    HWND box = WaitForSkinnedBox(app);
    ASSERT_NE(box, nullptr) << "no message box appeared";
    ExpectSkinned(box, "是否删除本条记录");
    ClickBoxButton(app, box, IDNO);
    EXPECT_EQ(app.ListItems(kList2), (Items{"A", "B", "C"}));
    EXPECT_EQ(app.ListItems(kList1), (Items{"A", "B", "C"}));
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "A\r\nB\r\nC\r\n");
}

// The main window's close title button as the screen shows it: the pointer
// over it brings up the red hover face, the pointer leaving the window
// takes it away again.
TEST_F(EndToEnd, CloseTitleButtonHoverFaceComesAndGoesOnScreen)
{
    StartWith("A\r\n");
    RECT wr{};
    GetWindowRect(app.Window(), &wr);
    // The strip holds 最小化 and 关闭; the close cell is the last 40 pixels
    // but 4 of the window's width, from row 1.
    const POINT face{wr.right - 36, wr.top + 4};  // left of the glyph, near the face's top
    const POINT over{wr.right - 24, wr.top + 10};
    auto faceNow = [&] { return test::ScreenPixels(RECT{face.x, face.y, face.x + 1, face.y + 1}).At(0, 0); };
    auto waitFor = [&](auto done) {
        for (DWORD start = GetTickCount(); !done() && GetTickCount() - start < 3000;) Sleep(20);
    };
    waitFor([&] { return !test::IsRedFace(faceNow()); });
    const test::ScreenRgb normal = faceNow();
    ASSERT_FALSE(test::IsRedFace(normal)) << normal;
    test::MovePointerTo(over.x, over.y);
    waitFor([&] { return test::IsRedFace(faceNow()); });
    const test::ScreenRgb hot = faceNow();
    test::MovePointerTo(5, GetSystemMetrics(SM_CYSCREEN) - 5);
    waitFor([&] { return test::Near(faceNow(), normal, 12); });
    const test::ScreenRgb after = faceNow();
    EXPECT_TRUE(test::IsRedFace(hot)) << hot;
    EXPECT_TRUE(test::Near(after, normal, 12)) << after << " vs " << normal;
    ASSERT_TRUE(app.Close());
}

// A damaged program image stops the start with one message that says what
// is wrong, and the process ends instead of crashing.
TEST(EndToEndImage, DamagedImageIsReportedNotRun)
{
    OrvaneProcess app{test::TestFile(ORV_EXE_PATH)};
    std::string exe = ReadFileBytes(app.ProgramPath());
    image::PeSectionSpan span;
    std::string error;
    ASSERT_TRUE(image::FindPeSection(reinterpret_cast<const uint8_t*>(exe.data()), exe.size(),
                                     image::kImageSectionName, span, error)) << error;
    exe[span.offset + 0x24] ^= 0x55;  // the first segment header's offset
    ASSERT_TRUE(WriteFileBytes(app.ProgramPath(), exe));

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + app.ProgramPath() + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    HWND box = nullptr;
    for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 10000; Sleep(20)) {
        for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, "#32770", nullptr)) != nullptr;) {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid == pi.dwProcessId) box = h;
        }
    }
    ASSERT_NE(box, nullptr) << "no message appeared";
    char text[512] = {};
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
    EXPECT_EQ(std::string(text).find("Orvane cannot start: the program image is invalid"), 0u) << text;
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, "OrvaneMainWindow", nullptr), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace
}  // namespace orv
