// The real orvane.exe, driven from this process the way a user would drive
// it, with the catalogue checked byte for byte on disk afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "runtime/TrayIcon.h"
#include "image/PeSection.h"
#include "tests/e2e/TrackHandover.h"
#include "tests/support/GdiObjectCount.h"
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

TEST_F(EndToEnd, PinyinListsWhatTheKeywordSearchCannotFind)
{
    StartWith("青花瓷 C调\r\n稻香 D调\r\n歌曲一 G调\r\nYesterday F\r\n清华池 现场版\r\n稻香 dx remix\r\n"
              "青花瓷 #F调\r\n");
    auto search = [&](const char* keyword) {
        app.SetText(kEdit2, keyword);
        app.PressEnter(kEdit2);
        app.Settle();
        return app.ListItems(kList2);
    };
    // No entry holds these letters: they are read as pinyin.
    EXPECT_EQ(search("qhc"), (Items{"青花瓷 C调", "清华池 现场版", "青花瓷 #F调"}));
    EXPECT_EQ(search("qinghuaci"), (Items{"青花瓷 C调", "青花瓷 #F调"}));
    EXPECT_EQ(search("qinghc"), (Items{"青花瓷 C调", "清华池 现场版", "青花瓷 #F调"}));
    // A keyword that an entry holds finds that entry only.
    EXPECT_EQ(search("dx"), (Items{"稻香 dx remix"}));
    EXPECT_EQ(search("g"), Items{});
    EXPECT_EQ(search("yesterday"), Items{});
    EXPECT_EQ(app.ListItems(kList1).size(), 7u);
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

    EXPECT_EQ(test::RunToExit(app.ProgramPath()), 0);

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

TEST_F(EndToEnd, CopiesInTwoFoldersRunSideBySideEachWithItsOwnCatalogue)
{
    OrvaneProcess other{ORV_EXE_PATH};
    StartWith("A\r\n");
    ASSERT_TRUE(WriteFileBytes(other.CataloguePath(), "B\r\n"));
    ASSERT_TRUE(other.Start()) << "a copy in another folder must start";
    EXPECT_EQ(other.ListItems(kList2), (Items{"B"}));

    // A second start from the first folder, spelt in other letter case, hands
    // over to the first folder's window and no other.
    SendMessageA(app.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageA(other.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    std::string upper = app.ProgramPath();
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    EXPECT_EQ(test::RunToExit(upper), 0);
    app.Settle();
    app.Settle();
    EXPECT_TRUE(IsWindowVisible(app.Window()));
    EXPECT_FALSE(IsWindowVisible(other.Window()));

    app.SetText(kEdit2, "A2");
    app.Click(kButton2);
    other.SetText(kEdit2, "B2");
    other.Click(kButton2);
    ASSERT_TRUE(other.Close());
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "A\r\nA2\r\n");
    EXPECT_EQ(ReadFileBytes(other.CataloguePath()), "B\r\nB2\r\n");
}

// ---- the keyboard alone ---------------------------------------------------------

// One thing a user does with the keyboard, or one thing the user then sees.
// Every key is real input (SendInput) into the running program.
struct Step {
    enum Kind { kPress, kType, kCommit, kCopyIn, kToTrayAndBack, kFocusOn, kKeywordIs, kResultsAre, kMasterSelectionIs,
                kClipboardIs, kShowsFocus, kAltF4ClosesAndSaves } kind;
    WORD key = 0;
    std::vector<WORD> modifiers;
    std::string text;    // typed ASCII; or GBK bytes expected
    std::wstring wide;   // committed by an input method, or put on the clipboard
    int unit = 0;
    Items items;
};

Step Make(Step::Kind kind)
{
    Step s{};
    s.kind = kind;
    return s;
}
Step Press(WORD key, std::vector<WORD> modifiers = {})
{
    Step s = Make(Step::kPress);
    s.key = key;
    s.modifiers = std::move(modifiers);
    return s;
}
Step Tab() { return Press(VK_TAB); }
Step ShiftTab() { return Press(VK_TAB, {VK_SHIFT}); }
Step WithText(Step::Kind kind, std::string text)
{
    Step s = Make(kind);
    s.text = std::move(text);
    return s;
}
Step WithWide(Step::Kind kind, std::wstring wide)
{
    Step s = Make(kind);
    s.wide = std::move(wide);
    return s;
}
Step WithUnit(Step::Kind kind, int unit)
{
    Step s = Make(kind);
    s.unit = unit;
    return s;
}
Step Type(std::string ascii) { return WithText(Step::kType, std::move(ascii)); }
Step Commit(std::wstring text) { return WithWide(Step::kCommit, std::move(text)); }
Step CopyIn(std::wstring text) { return WithWide(Step::kCopyIn, std::move(text)); }
Step ToTrayAndBack() { return Make(Step::kToTrayAndBack); }
Step FocusOn(int unit) { return WithUnit(Step::kFocusOn, unit); }
Step KeywordIs(std::string gbk) { return WithText(Step::kKeywordIs, std::move(gbk)); }
Step ResultsAre(Items items)
{
    Step s = Make(Step::kResultsAre);
    s.items = std::move(items);
    return s;
}
Step MasterSelectionIs(int index) { return WithUnit(Step::kMasterSelectionIs, index); }
Step ClipboardIs(std::string gbk) { return WithText(Step::kClipboardIs, std::move(gbk)); }
// The button, not focused yet, looks different on screen once the focus is
// on it, and as before once the focus has moved on.
Step ShowsFocus(int unit) { return WithUnit(Step::kShowsFocus, unit); }
Step AltF4ClosesAndSaves(std::string gbk) { return WithText(Step::kAltF4ClosesAndSaves, std::move(gbk)); }

struct KeyboardCase {
    const char* name;
    std::string catalogue;
    std::vector<Step> steps;
};

void PrintTo(const KeyboardCase& c, std::ostream* os) { *os << c.name; }

std::vector<KeyboardCase> KeyboardCases()
{
    const Items found = {"晴天 G调", "G-Dragon"};
    return {
        {"tab order round the window, back into an emptied keyword box",
         "A\r\n",
         {FocusOn(kEdit2), Type("abc"), KeywordIs("abc"), ShowsFocus(kButton1), Tab(), FocusOn(kButton1), Tab(),
          FocusOn(kButton2), Tab(), FocusOn(kButton3), Tab(), FocusOn(kList2), Tab(), FocusOn(kEdit3),
          ShowsFocus(kButton5), Tab(), FocusOn(kButton5), Tab(), FocusOn(kButton6), Tab(), FocusOn(kButton8), Tab(),
          FocusOn(kButton7), Tab(), FocusOn(kButton9), Tab(), FocusOn(kEdit2), KeywordIs(""), ShiftTab(),
          FocusOn(kButton9), ShiftTab(), FocusOn(kButton7), ToTrayAndBack(), FocusOn(kButton7)}},
        {"search with the keyboard alone, arrows select in both lists",
         "晴天 G调\r\n稻香 D调\r\nG-Dragon\r\ng minor\r\n",
         {Type("G"), Tab(), FocusOn(kButton1), Press(VK_SPACE), ResultsAre(found), Tab(), Tab(), Tab(),
          FocusOn(kList2), Press(VK_DOWN), MasterSelectionIs(0), Press(VK_DOWN), MasterSelectionIs(2),
          Press(VK_UP), MasterSelectionIs(0)}},
        {"typed and committed Chinese reach the box whole, for search and for adding",
         "晴天 G调\r\n稻香 D调\r\n",
         {Commit(L"稻香"), KeywordIs("稻香"), Press(VK_RETURN), ResultsAre({"稻香 D调"}), ShiftTab(), Tab(),
          KeywordIs(""), Commit(L"新歌 "), Type("#F"), Commit(L"调"), KeywordIs("新歌 #F调"), Tab(), Tab(),
          FocusOn(kButton2), Press(VK_SPACE), ResultsAre({"稻香 D调", "新歌 #F调"}),
          AltF4ClosesAndSaves("晴天 G调\r\n稻香 D调\r\n新歌 #F调\r\n")}},
        {"paste into the keyword box, copy out of the tips, Alt+F4 saves",
         "A\r\n晴天 G调\r\n",
         {CopyIn(L"晴天 G调"), Press('V', {VK_CONTROL}), KeywordIs("晴天 G调"), Tab(), Press(VK_SPACE),
          ResultsAre({"晴天 G调"}), Tab(), Tab(), Tab(), Tab(), FocusOn(kEdit3), Press('C', {VK_CONTROL}),
          ClipboardIs(kTipsText), AltF4ClosesAndSaves("A\r\n晴天 G调\r\n")}},
    };
}

// A control's pixels as the screen shows them (Xvfb has no compositor).
std::vector<uint32_t> ScreenPixels(HWND control)
{
    RECT r{};
    GetWindowRect(control, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(dc, old);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(dc, bitmap, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

class KeyboardOnly : public EndToEnd, public ::testing::WithParamInterface<KeyboardCase> {
protected:
    // A button as the screen showed it before it had the focus, and whether
    // the focus has reached it since.
    struct {
        HWND button = nullptr;
        std::vector<uint32_t> pixels;
        bool focused = false;
    } unfocusedLook_;
    // The clipboard as this process last left it.
    DWORD clipboardSequence_ = 0;

    void Run(const Step& step)
    {
        using test::WaitFor;
        switch (step.kind) {
        case Step::kPress: return test::PressKey(step.key, step.modifiers);
        case Step::kType: return test::TypeKeys(step.text);
        case Step::kCommit: return test::CommitText(step.wide);
        case Step::kCopyIn:
            test::SetClipboardText(step.wide);
            clipboardSequence_ = GetClipboardSequenceNumber();
            return;
        case Step::kToTrayAndBack:
            SendMessageA(app.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
            SendMessageA(app.Window(), kTrayCallbackMessage, 1, WM_LBUTTONUP);
            ASSERT_TRUE(app.BringToFront());
            return;
        case Step::kFocusOn: {
            HWND want = app.Control(step.unit);
            WaitFor([&] { return app.Focus() == want; });
            EXPECT_EQ(app.Focus(), want) << "focus on control " << GetDlgCtrlID(app.Focus()) - 1000
                                         << ", expected " << step.unit;
            // The screen follows the program's painting with a delay, so
            // both looks are waited for; a first look taken before the button
            // was ever painted would not come back.
            auto& look = unfocusedLook_;
            if (!look.button) return;
            const bool focusHere = look.button == want;
            EXPECT_TRUE(WaitFor([&] { return (ScreenPixels(look.button) == look.pixels) != focusHere; }))
                << "control " << GetDlgCtrlID(look.button) - 1000
                << (focusHere ? " shows no focus" : " does not look as it did before it had the focus");
            if (focusHere) look.focused = true;
            else if (look.focused) look = {};
            return;
        }
        case Step::kKeywordIs:
            WaitFor([&] { return app.Text(kEdit2) == step.text; });
            EXPECT_EQ(app.Text(kEdit2), step.text);
            return;
        case Step::kResultsAre:
            WaitFor([&] { return app.ListItems(kList2) == step.items; });
            EXPECT_EQ(app.ListItems(kList2), step.items);
            return;
        case Step::kMasterSelectionIs:
            WaitFor([&] { return app.ListSelection(kList1) == step.unit; });
            EXPECT_EQ(app.ListSelection(kList1), step.unit);
            return;
        case Step::kClipboardIs:
            // Not polled by opening the clipboard: the program's copy fails
            // while this process holds it open.
            WaitFor([&] { return GetClipboardSequenceNumber() != clipboardSequence_; });
            EXPECT_EQ(test::ClipboardText(), step.text);
            return;
        case Step::kShowsFocus:
            app.Settle();
            unfocusedLook_ = {app.Control(step.unit), ScreenPixels(app.Control(step.unit)), false};
            return;
        case Step::kAltF4ClosesAndSaves:
            test::PressKey(VK_F4, {VK_MENU});
            EXPECT_TRUE(app.WaitForExit(10000)) << "Alt+F4 did not close the window";
            EXPECT_EQ(ReadFileBytes(app.CataloguePath()), step.text);
            return;
        }
    }
};

TEST_P(KeyboardOnly, Works)
{
    const KeyboardCase& c = GetParam();
    SCOPED_TRACE(c.name);
    StartWith(c.catalogue);
    ASSERT_TRUE(app.BringToFront());
    for (size_t i = 0; i < c.steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        Run(c.steps[i]);
        if (HasFailure()) return;  // later steps build on this one
    }
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, KeyboardOnly, ::testing::ValuesIn(KeyboardCases()),
                         [](const ::testing::TestParamInfo<KeyboardCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

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

// What a singer sees with the pointer on an entry: the key to set, its scale
// and its neighbours, beside the entry and never over it; nothing over an
// entry without a key, below the entries, or while a message box is open.
// Moving down from an entry goes onto the place its hint covered, and the
// next entry's hint follows. (Under Wine the hint lets the pointer through
// to the list whether or not its tool is marked transparent: measured, so
// this cannot tell the two apart there.) Hovering costs no GDI objects or
// windows, however often.
TEST_F(EndToEnd, PointerOnAnEntryShowsTheKeyToSetBesideIt)
{
    StartWith("青花瓷 #F调\r\n晴天 Em\r\nYesterday\r\n");
    const Items fSharp = {"效果器: F#", "音阶: #F #G #A B #C #D #E", "升降调: -2 E  -1 F  +1 G  +2 G#"};
    const Items eMinor = {"效果器: G (Em)", "音阶: G A B C D E #F", "升降调: -2 F  -1 F#  +1 G#  +2 A"};
    auto pointTo = [&](POINT p) { test::MovePointerTo(p.x, p.y); };
    auto hintHolds = [&](const Items& lines) {
        return test::WaitFor([&] {
            HWND tip = app.ShownToolTip();
            const std::string text = tip ? OrvaneProcess::WindowText(tip) : std::string();
            for (const std::string& line : lines)
                if (text.find(line) == std::string::npos) return false;
            return tip != nullptr;
        });
    };
    // Absence is checked once the program has taken in the pointer's move:
    // the hint it had shown before has gone.
    auto hintGone = [&] {
        const bool gone = test::WaitFor([&] { return app.ShownToolTip() == nullptr; });
        app.Settle();
        return gone && app.ShownToolTip() == nullptr;
    };
    auto coversItem = [&](int index) {
        RECT tip{}, item{}, overlap{};
        GetWindowRect(app.ShownToolTip(), &tip);
        SendMessageW(app.Control(kList2), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        MapWindowPoints(app.Control(kList2), nullptr, reinterpret_cast<POINT*>(&item), 2);
        return IntersectRect(&overlap, &tip, &item) != FALSE;
    };
    RECT list{};
    GetWindowRect(app.Control(kList2), &list);
    const POINT belowTheEntries{list.left + 20, list.bottom - 12};

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.ProcessId());
    ASSERT_NE(process, nullptr);
    long objects = 0;
    size_t windows = 0;
    for (int round = 0; round < 4; ++round) {
        pointTo(app.ItemOnScreen(kList2, 0));
        ASSERT_TRUE(hintHolds(fSharp)) << "round " << round;
        EXPECT_FALSE(coversItem(0));
        POINT underTheHint = app.ItemOnScreen(kList2, 1);
        underTheHint.x += 40;
        RECT tip{};
        GetWindowRect(app.ShownToolTip(), &tip);
        EXPECT_TRUE(PtInRect(&tip, underTheHint)) << "the hint lies over the next entry";
        pointTo(underTheHint);
        ASSERT_TRUE(hintHolds(eMinor)) << "from entry to entry";
        EXPECT_FALSE(coversItem(1));
        pointTo(app.ItemOnScreen(kList2, 2));
        EXPECT_TRUE(hintGone()) << "Yesterday names no key";
        pointTo(app.ItemOnScreen(kList2, 0));
        ASSERT_TRUE(hintHolds(fSharp));
        pointTo(belowTheEntries);
        EXPECT_TRUE(hintGone()) << "below the entries";
        if (round == 0) {
            objects = test::GdiObjectCountOf(process);
            windows = app.TopLevelWindows().size();
        }
    }
    EXPECT_GT(objects, 0);
    EXPECT_EQ(test::GdiObjectCountOf(process), objects);
    EXPECT_EQ(app.TopLevelWindows().size(), windows);
    CloseHandle(process);

    pointTo(app.ItemOnScreen(kList2, 0));
    ASSERT_TRUE(hintHolds(fSharp));
    app.DoubleClickItem(kList2, 0);
    HWND box = WaitForSkinnedBox(app);
    ASSERT_NE(box, nullptr) << "no message box appeared";
    EXPECT_TRUE(hintGone()) << "a message box is open";
    pointTo(app.ItemOnScreen(kList2, 1));
    EXPECT_TRUE(hintGone()) << "a message box is open";
    ClickBoxButton(app, box, IDNO);
    EXPECT_EQ(app.ListItems(kList2), (Items{"青花瓷 #F调", "晴天 Em", "Yesterday"}));
    ASSERT_TRUE(app.Close());
}

// The texts a message box shows, joined.
std::string BoxText(HWND box)
{
    std::string text;
    for (HWND s = nullptr; (s = FindWindowExA(box, s, "Static", nullptr)) != nullptr;) {
        char buf[1024] = {};
        SendMessageA(s, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
        text += buf;
    }
    return text;
}

// Answers the box the program shows next, after checking it names path.
void ExpectBoxNaming(OrvaneProcess& app, const std::string& path)
{
    HWND box = WaitForSkinnedBox(app);
    ASSERT_NE(box, nullptr) << "no message box appeared";
    EXPECT_NE(BoxText(box).find(path), std::string::npos) << BoxText(box);
    ClickBoxButton(app, box, IDOK);
}

// ---- where a real Windows session meets the catalogue -----------------------

// What Windows does at log-off, shut-down or restart: WM_QUERYENDSESSION to
// every top-level window of the process, then WM_ENDSESSION to each; when
// the session does end, the process is then ended. No WM_CLOSE comes.
void SendEndSession(const OrvaneProcess& app, bool ends)
{
    const std::vector<HWND> windows = app.TopLevelWindows();
    ASSERT_FALSE(windows.empty());
    for (HWND w : windows) {
        DWORD_PTR agreed = 0;
        ASSERT_TRUE(SendMessageTimeoutA(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &agreed));
        EXPECT_TRUE(agreed) << "nothing holds the session up";
    }
    // A program may end itself once it has had its WM_ENDSESSION, so the
    // later windows can be gone by the time theirs is sent.
    for (HWND w : windows) SendMessageTimeoutA(w, WM_ENDSESSION, ends, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, nullptr);
}

TEST_F(EndToEnd, EndingTheSessionFromTheTraySavesAndACancelledEndChangesNothing)
{
    StartWith("A\r\n");
    app.SetText(kEdit2, "新歌 C调");
    app.Click(kButton2);
    SendMessageA(app.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(app.TrayIconPresent());

    SendEndSession(app, false);
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "A\r\n");
    EXPECT_TRUE(app.TrayIconPresent());
    EXPECT_TRUE(IsWindow(app.Window()));

    SendEndSession(app, true);
    EXPECT_FALSE(app.TrayIconPresent());
    app.Kill();
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "A\r\n新歌 C调\r\n");
}

TEST_F(EndToEnd, ACatalogueThatCannotBeReadIsNeverReplacedAndAdditionsGoAside)
{
    for (bool huge : {false, true}) {
        SCOPED_TRACE(huge ? "larger than the program can hold" : "held open without sharing");
        OrvaneProcess p{ORV_EXE_PATH};
        ASSERT_TRUE(WriteFileBytes(p.CataloguePath(), "A\r\nB\r\n"));
        HANDLE held = CreateFileA(p.CataloguePath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size{};
        size.QuadPart = huge ? (65ll << 20) : 6;
        ASSERT_TRUE(SetFilePointerEx(held, size, nullptr, FILE_BEGIN) && SetEndOfFile(held));
        if (huge) {
            CloseHandle(held);
            held = nullptr;
        }
        ASSERT_TRUE(p.Start());
        ExpectBoxNaming(p, p.CataloguePath());
        EXPECT_TRUE(p.ListItems(kList1).empty());
        p.SetText(kEdit2, "新歌");
        p.Click(kButton2);
        PostMessageA(p.Window(), WM_CLOSE, 0, 0);
        const std::string aside = p.Directory() + "\\jidiao-added.txt";
        ExpectBoxNaming(p, aside);
        ASSERT_TRUE(p.WaitForExit(10000));
        if (held) CloseHandle(held);
        EXPECT_EQ(ReadFileBytes(aside), "新歌\r\n");
        const std::string now = ReadFileBytes(p.CataloguePath());
        EXPECT_EQ(now.size(), static_cast<size_t>(size.QuadPart));
        EXPECT_EQ(now.substr(0, 6), "A\r\nB\r\n");
    }
}

TEST_F(EndToEnd, AFolderThatCannotBeWrittenMovesTheCatalogueToTheUsersFolder)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char appData[MAX_PATH];
    GetTempFileNameA(temp, "orA", 0, appData);
    DeleteFileA(appData);
    CreateDirectoryA(appData, nullptr);
    const std::string perUser = std::string(appData) + "\\Orvane\\jidiao.dll";
    ASSERT_TRUE(WriteFileBytes(app.CataloguePath(), "A\r\n"));
    {
        test::MountedFolder readOnly(app.Directory(), test::MountedFolder::kReadOnly);
        if (!readOnly.Ok()) GTEST_SKIP() << "needs a read-only bind mount: Wine, run as root";
        char saved[MAX_PATH] = {};
        GetEnvironmentVariableA("APPDATA", saved, MAX_PATH);
        SetEnvironmentVariableA("APPDATA", appData);  // for the program started from here

        ASSERT_TRUE(app.Start());
        app.SetText(kEdit2, "新歌");
        app.Click(kButton2);
        PostMessageA(app.Window(), WM_CLOSE, 0, 0);
        ExpectBoxNaming(app, perUser);
        ASSERT_TRUE(app.WaitForExit(10000));
        EXPECT_EQ(ReadFileBytes(app.CataloguePath()), "A\r\n");
        EXPECT_EQ(ReadFileBytes(perUser), "A\r\n新歌\r\n");

        // The next start reads it from there and saves it there, saying
        // nothing more.
        ASSERT_TRUE(app.Start());
        EXPECT_EQ(app.ListItems(kList2), (Items{"A", "新歌"}));
        app.SetText(kEdit2, "再一首");
        app.Click(kButton2);
        ASSERT_TRUE(app.Close(10000)) << "a message held the close up";
        EXPECT_EQ(ReadFileBytes(perUser), "A\r\n新歌\r\n再一首\r\n");
        SetEnvironmentVariableA("APPDATA", saved);
    }
    DeleteFileA(perUser.c_str());
    RemoveDirectoryA((std::string(appData) + "\\Orvane").c_str());
    RemoveDirectoryA(appData);
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

    ASSERT_TRUE(app.Launch());
    // Only a shown box has its text: one found while MessageBox still builds
    // it read as stray bytes under Wine.
    HWND box = app.WaitForDialog();
    ASSERT_NE(box, nullptr) << "no message appeared";
    char text[512] = {};
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
    EXPECT_EQ(std::string(text).find("Orvane cannot start: the program image is invalid"), 0u) << text;
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, "OrvaneMainWindow", nullptr), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(app.WaitForExit(10000));
}

// Without a manifest Windows would virtualise the program's writes into
// hidden per-user copies; with Common Controls 6 the unskinned parts would
// change their look.
TEST(EndToEndImage, ManifestRunsAsInvokerOnWindows7To11WithoutCommonControls6)
{
    OrvaneProcess app{ORV_EXE_PATH};
    HMODULE exe = LoadLibraryExA(app.ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr) << "no application manifest";
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(exe, found))),
                               SizeofResource(exe, found));
    FreeLibrary(exe);
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
    for (const char* os : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(manifest.find(std::string("supportedOS Id=\"") + os), std::string::npos) << os;
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
}

// The PE32 release run by an emulator, on a machine whose kernel runs no
// 32-bit code (tools/emulated-check.sh names the program in
// ORV_PE32_PROGRAM): one pass through what a user does first, a backing
// track dropped on the window (the release's own decoder and listening), the
// catalogue checked on disk, and the launcher's answer when its library is
// missing.
// Emulated, the start alone takes minutes; the check's own limit (8 minutes)
// ends the whole run.
TEST(EndToEndPe32, StartsSearchesAddsSavesAndFailsWithoutItsLibrary)
{
    const char* program = std::getenv("ORV_PE32_PROGRAM");
    if (!program || !*program) GTEST_SKIP() << "ORV_PE32_PROGRAM names no PE32 program to run";
    constexpr DWORD kPatience = 5 * 60 * 1000;
    OrvaneProcess app{program};
    app.SetPatience(kPatience);
    const std::string bytes = "晴天 G调\r\n稻香 D调\r\nSong 3\r\n";
    ASSERT_TRUE(WriteFileBytes(app.CataloguePath(), bytes));
    ASSERT_TRUE(app.Start()) << "main window did not appear";
    const Items all = {"晴天 G调", "稻香 D调", "Song 3"};
    EXPECT_EQ(app.ListItems(kList1), all);
    EXPECT_EQ(app.ListItems(kList2), all);
    app.SetText(kEdit2, "调");
    app.PressEnter(kEdit2);
    app.Settle();
    EXPECT_EQ(app.ListItems(kList2), (Items{"晴天 G调", "稻香 D调"}));
    app.SetText(kEdit2, "新歌 #F调");
    app.Click(kButton2);
    app.Settle();
    EXPECT_EQ(app.ListItems(kList1).size(), 4u);

    const std::wstring track = OrvaneProcess::Wide(app.Directory()) + L"\\e-minor.mp3";
    ASSERT_TRUE(CopyFileW(test::MinorMp3().c_str(), track.c_str(), FALSE));
    ASSERT_TRUE(test::DropOnWindow(app, {track})) << "no drag source (ORV_XDND_DROP)";
    const std::string told = test::AnswerBox(app, IDOK, kPatience);
    EXPECT_TRUE(test::Has(told, "效果器: G (Em)")) << told;
    EXPECT_TRUE(test::Has(told, "目录中为 G调，与此伴奏一致")) << told;
    EXPECT_TRUE(test::KeywordBoxBecomes(app, "晴天 G调", kPatience)) << app.Text(kEdit2);

    ASSERT_TRUE(app.Close(kPatience));
    EXPECT_EQ(ReadFileBytes(app.CataloguePath()), bytes + "新歌 #F调\r\n");

    ASSERT_TRUE(DeleteFileA(app.RuntimePath().c_str()));
    ASSERT_TRUE(app.Launch());
    HWND box = app.WaitForDialog(kPatience);
    ASSERT_NE(box, nullptr) << "no error box from the launcher without its library";
    char caption[16] = {};
    GetWindowTextA(box, caption, sizeof caption);
    EXPECT_STREQ(caption, "Error");
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    ASSERT_TRUE(app.WaitForExit(kPatience));
    EXPECT_EQ(app.ExitCode(), 0xFFFFFFFFu) << "exit code -1";
}

}  // namespace
}  // namespace orv
