// The main window built by the runtime from the layout table: every control
// with its class, parent, place, text and visibility, the lists filled from
// the executable's directory, and the window events.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/EventBindings.h"
#include "app/MainLayout.h"
#include "catalogue/CatalogueEditing.h"
#include "runtime/FileServices.h"
#include "runtime/TrayIcon.h"
#include "runtime/TransparentLabel.h"
#include "runtime/Win32Runtime.h"
#include "skin/SkinEngine.h"
#include "tests/support/MessagePump.h"
#include "tests/support/ProcessDriver.h"

namespace orv {
namespace {

using test::PumpMessages;
using test::PumpUntil;

std::string ClassOf(HWND hwnd)
{
    char buf[64] = {};
    GetClassNameA(hwnd, buf, sizeof buf);
    return buf;
}

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

std::string TextOf(HWND hwnd)
{
    std::vector<char> buf(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1);
    GetWindowTextA(hwnd, buf.data(), static_cast<int>(buf.size()));
    return buf.data();
}

// The catalogue lives beside the executable; the test moves the working
// directory elsewhere to show that it plays no part.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        catalogue = ExecutableDirectory() + "\\jidiao.dll";
        DeleteFileA(catalogue.c_str());
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        SetCurrentDirectoryA(temp);
    }
    void TearDown() override
    {
        if (rt) {
            HWND w = rt->ControlHandle(kMainWindow);
            if (IsWindow(w)) DestroyWindow(w);
        }
        PumpMessages();
        DeleteFileA(catalogue.c_str());
    }

    void Start(const std::string& fileBytes, bool withFile = true)
    {
        if (withFile) {
            ASSERT_TRUE(ReplaceFileContent(catalogue, fileBytes));
        }
        rt = std::make_unique<Win32Runtime>(MainLayout());
        app.rt = rt.get();
        app.skin = &skin;
        app.lists = {kList1, kList2};
        app.showMessageBox = [](HWND, const char*, UINT, const char*) { return IDNO - 1; };
        BindMainWindowEvents(*rt, app);
        ASSERT_TRUE(rt->CreateWindowFromLayout());
        PumpMessages();
    }

    std::vector<std::string> Items(int unit)
    {
        std::vector<std::string> out;
        HWND list = rt->ControlHandle(unit);
        int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            int len = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, i, 0));
            std::vector<char> buf(static_cast<size_t>(len) + 1);
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf.data()));
            out.emplace_back(buf.data());
        }
        return out;
    }

    std::string catalogue;
    SkinEngine skin{GetSysColor(COLOR_BTNFACE)};
    AppContext app;
    std::unique_ptr<Win32Runtime> rt;
};

TEST_F(MainWindow, HasTheTwentyOneControlsOfTheLayout)
{
    Start("");
    HWND window = rt->ControlHandle(kMainWindow);
    RECT wr;
    GetWindowRect(window, &wr);
    EXPECT_EQ(wr.right - wr.left, 450);
    EXPECT_EQ(wr.bottom - wr.top, 364);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);

    struct Expected {
        int unit;
        const char* className;
        int parent;
        RECT rect;  // left, top, right, bottom in the parent's client area
        const char* text;
        bool visible;
    };
    const Expected expected[] = {
        {kList2, "ListBox", kTab1, {11, 8, 235, 160}, "", true},
        {kLabel6, "OrvTransparentLabel", kTab1, {11, 168, 243, 216}, kNoticeText, true},
        {kLabel5, "OrvTransparentLabel", kMainWindow, {383, 344, 431, 360}, "客服在线", true},
        {kButton9, "Button", kMainWindow, {352, 337, 377, 362}, "", true},
        {kLabel4, "OrvTransparentLabel", kMainWindow, {200, 341, 264, 357}, "V2.3免费版", true},
        {kLabel2, "OrvTransparentLabel", kMainWindow, {16, 341, 216, 357}, kCreditLine, true},
        {kButton8, "Button", kGroup1, {99, 25, 137, 63}, "", true},
        {kButton7, "Button", kGroup1, {145, 25, 183, 63}, "Corvel", true},
        {kButton6, "Button", kGroup1, {55, 25, 93, 63}, "Pellat", true},
        {kButton5, "Button", kGroup1, {11, 25, 49, 63}, "Ressim", true},
        {kButton3, "Button", kTab1, {355, 236, 443, 268}, "远程搜索", true},
        {kButton2, "Button", kTab1, {286, 236, 347, 268}, "保存", true},
        {kButton1, "Button", kTab1, {187, 236, 275, 268}, "本地查询", true},
        {kEdit2, "Edit", kTab1, {14, 236, 182, 268}, "", true},
        {kGroup1, "Button", kTab1, {251, 144, 443, 216}, "推荐电音 唱歌 喊麦软件", true},
        {kEdit3, "Edit", kMainWindow, {248, 64, 440, 192}, kTipsText, true},
        {kLabel3, "OrvTransparentLabel", kMainWindow, {181, 462, 229, 478}, "V1.8版本", true},
        {kLabel1, "OrvTransparentLabel", kMainWindow, {16, 462, 152, 478}, kOwnershipLine, true},
        {kTab1, "SysTabControl32", kMainWindow, {-3, 56, 453, 336}, "", true},
        {kGroup2, "Button", kTab1, {8, 224, 448, 274}, "", true},
        {kList1, "ListBox", kTab1, {11, 80, 235, 112}, "", false},
    };
    ASSERT_EQ(std::size(expected), 21u);
    int children = 0;
    EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&children));
    EXPECT_EQ(children, 21);

    for (const Expected& e : expected) {
        SCOPED_TRACE(MainLayout().units[e.unit].name);
        HWND h = rt->ControlHandle(e.unit);
        ASSERT_TRUE(IsWindow(h));
        EXPECT_STRCASEEQ(ClassOf(h).c_str(), e.className);
        HWND parent = rt->ControlHandle(e.parent);
        EXPECT_EQ(GetParent(h), parent);
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, e.rect.left);
        EXPECT_EQ(r.top, e.rect.top);
        EXPECT_EQ(r.right, e.rect.right);
        EXPECT_EQ(r.bottom, e.rect.bottom);
        EXPECT_EQ(TextOf(h), e.text);
        EXPECT_EQ((GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0, e.visible);
        EXPECT_EQ(GetDlgCtrlID(h), kControlIdBase + e.unit);
    }
    // Kinds that differ only by style.
    EXPECT_EQ(GetWindowLongA(rt->ControlHandle(kGroup1), GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
    // Push buttons; the skin has made the search row's picture buttons owner-drawn.
    EXPECT_EQ(GetWindowLongA(rt->ControlHandle(kButton1), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    LONG tips = GetWindowLongA(rt->ControlHandle(kEdit3), GWL_STYLE);
    EXPECT_TRUE((tips & ES_MULTILINE) && (tips & ES_READONLY) && (tips & WS_VSCROLL));
    EXPECT_FALSE(GetWindowLongA(rt->ControlHandle(kEdit2), GWL_STYLE) & ES_MULTILINE);
    EXPECT_EQ(SendMessageA(rt->ControlHandle(kTab1), TCM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageA(rt->ControlHandle(kList2), LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(MainWindow, TextsAreTheStoredGbkBytes)
{
    EXPECT_EQ(std::string(kTipsText).size(), 882u);
    EXPECT_EQ(std::string(kNoticeText).size(), 158u);
    EXPECT_EQ(std::string("歌曲一 G调"), std::string("\xB8\xE8\xC7\xFA\xD2\xBB\x20\x47\xB5\xF7"));
    EXPECT_EQ(std::string(kNoticeText).substr(0, 5), "\xD7\xA2\xD2\xE2:");
    EXPECT_EQ(std::string(kNoticeText).substr(154), "\xC7\xFA\r\n");
}

TEST_F(MainWindow, ListsAreFilledFromTheFileBesideTheExecutable)
{
    // A decoy in the working directory must be ignored.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    const std::string decoy = std::string(cwd) + "\\jidiao.dll";
    ASSERT_TRUE(ReplaceFileContent(decoy, "decoy\r\n"));
    Start("歌曲一 G调\r\nSong 2 Eb\r\n\r\nA\r\n");
    const std::vector<std::string> want = {"歌曲一 G调", "Song 2 Eb", "", "A"};
    EXPECT_EQ(Items(kList1), want);
    EXPECT_EQ(Items(kList2), want);
    EXPECT_EQ(std::vector<std::string>(app.catalogue.lines.begin(), app.catalogue.lines.end()), want);
    EXPECT_EQ(SendMessageA(rt->ControlHandle(kList1), LB_GETCURSEL, 0, 0), LB_ERR);
    DeleteFileA(decoy.c_str());
}

TEST_F(MainWindow, MissingFileShowsTheWindowWithEmptyLists)
{
    Start("", false);
    EXPECT_TRUE(IsWindowVisible(rt->ControlHandle(kMainWindow)));
    EXPECT_TRUE(Items(kList1).empty());
    EXPECT_TRUE(Items(kList2).empty());
}

TEST_F(MainWindow, SelectingADuplicateSelectsTheFirstEqualMasterItem)
{
    Start("A\r\nB\r\nA\r\n");
    HWND display = rt->ControlHandle(kList2);
    SendMessageA(display, LB_SETCURSEL, 2, 0);
    // What the list box sends its parent when the user clicks an item.
    SendMessageA(GetParent(display), WM_COMMAND, MAKEWPARAM(kControlIdBase + kList2, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(display));
    EXPECT_EQ(SendMessageA(rt->ControlHandle(kList1), LB_GETCURSEL, 0, 0), 0);
    SendMessageA(display, LB_SETCURSEL, 1, 0);
    SendMessageA(GetParent(display), WM_COMMAND, MAKEWPARAM(kControlIdBase + kList2, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(display));
    EXPECT_EQ(SendMessageA(rt->ControlHandle(kList1), LB_GETCURSEL, 0, 0), 1);
}

TEST_F(MainWindow, ItemsKeepTheirExactBytesEvenWithNul)
{
    const std::string bytes("a\0b\r\n\xFF\xFE\x80\r\nlast", 14);
    Start(bytes);
    EXPECT_EQ(rt->ListText(kList1, 0), std::string("a\0b", 3));
    EXPECT_EQ(rt->ListText(kList1, 1), "\xFF\xFE\x80");
    EXPECT_EQ(rt->ListText(kList2, 0), std::string("a\0b", 3));
    // The search's results refer to the catalogue as read, NUL included.
    ShowSearchResults(*rt, app.catalogue, "b", kList2);
    ASSERT_EQ(rt->ListCount(kList2), 1);
    EXPECT_EQ(rt->ListText(kList2, 0), std::string("a\0b", 3));
    SaveCatalogue(*rt, app.catalogue, app.lists);
    EXPECT_EQ(ReadWholeFile(catalogue), std::string("a\0b\r\n\xFF\xFE\x80\r\nlast\r\n", 16));
}

TEST_F(MainWindow, ClosingSavesAndEndsTheWindow)
{
    Start("X\r\n");
    rt->ListAdd(kList1, "Y");
    SendMessageA(rt->ControlHandle(kMainWindow), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(rt->ControlHandle(kMainWindow)));
    EXPECT_EQ(ReadWholeFile(catalogue), "X\r\nY\r\n");
}

TEST_F(MainWindow, MinimisingHidesAndTheTrayBringsItBackCentredOnTop)
{
    Start("A\r\n");
    HWND window = rt->ControlHandle(kMainWindow);
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindowVisible(window));

    SendMessageA(window, kTrayCallbackMessage, 1, WM_RBUTTONUP);
    EXPECT_FALSE(IsWindowVisible(window));
    SendMessageA(window, kTrayCallbackMessage, 1, WM_LBUTTONUP);
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r, work;
    GetWindowRect(window, &r);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 1);

    // Still on top after another trip to the tray.
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageA(window, kTrayCallbackMessage, 1, WM_LBUTTONUP);
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(MainWindow, KeywordBoxEmptiesWhenItGainsTheFocus)
{
    Start("A\r\n");
    HWND edit = rt->ControlHandle(kEdit2);
    SetWindowTextA(edit, "old keyword");
    SetFocus(rt->ControlHandle(kList2));
    SetFocus(edit);
    EXPECT_EQ(TextOf(edit), "");
}

TEST_F(MainWindow, ChatLabelIsRepaintedWhileDelayWaits)
{
    Start("");
    HWND label = rt->ControlHandle(kLabel5);
    UpdateWindow(rt->ControlHandle(kMainWindow));
    rt->SetTextColour(kLabel5, RGB(255, 255, 255));
    RECT dirty;
    ASSERT_TRUE(GetUpdateRect(label, &dirty, FALSE));
    // Delay keeps dispatching messages: the white label reaches the screen
    // during the wait, not after it.
    rt->Delay(100);
    EXPECT_FALSE(GetUpdateRect(label, &dirty, FALSE));
    EXPECT_EQ(LabelTextColour(label), RGB(255, 255, 255));
}

// ---- the file services where a real machine fails them ---------------------

class FileServices : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH], dir[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        GetTempFileNameA(temp, "orf", 0, dir);
        DeleteFileA(dir);
        CreateDirectoryA(dir, nullptr);
        dir_ = dir;
    }
    void TearDown() override
    {
        for (const char* name : {"\\a", "\\big", "\\a.saving"}) DeleteFileA((dir_ + name).c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    std::string dir_;
};

TEST_F(FileServices, AFileIsReadWholeOrNotAtAll)
{
    const std::string a = dir_ + "\\a", big = dir_ + "\\big";
    ASSERT_TRUE(test::WriteFileBytes(a, "A\r\n"));
    ASSERT_TRUE(test::WriteFileBytes(big, std::string(100, 'x')));
    // The file system says 4096 bytes and delivers a few: a read that stops
    // part-way (Wine maps Linux paths to drive Z:).
    const std::string shortRead = "Z:\\sys\\devices\\system\\cpu\\online";
    struct Case {
        std::string path;
        size_t limit;
        ReadStatus status;
        std::string bytes;
    } cases[] = {
        {a, kMaxFileBytes, ReadStatus::Ok, "A\r\n"},
        {dir_ + "\\none", kMaxFileBytes, ReadStatus::Missing, ""},
        {dir_ + "\\no\\none", kMaxFileBytes, ReadStatus::Missing, ""},
        {big, 99, ReadStatus::Failed, ""},
        {shortRead, kMaxFileBytes, ReadStatus::Failed, ""},
    };
    for (const Case& c : cases) {
        // Only where Linux lies beneath.
        if (c.path == shortRead && GetFileAttributesA(shortRead.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        const FileContent got = ReadFileContent(c.path, c.limit);
        EXPECT_EQ(got.status, c.status) << c.path;
        EXPECT_EQ(got.bytes, c.bytes) << c.path;
    }
    // Held open without sharing by another program: no read, and no write.
    HANDLE held = CreateFileA(a.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadFileContent(a).status, ReadStatus::Failed);
    EXPECT_EQ(ReplaceFileContent(a, "B\r\n").status, WriteStatus::InUse);
    CloseHandle(held);
    EXPECT_EQ(ReadWholeFile(a), "A\r\n");
}

TEST_F(FileServices, AFailedSaveSaysWhyAndLeavesTheOldFile)
{
    for (auto kind : {test::MountedFolder::kReadOnly, test::MountedFolder::kFull}) {
        test::MountedFolder mounted(dir_, kind);
        if (!mounted.Ok()) GTEST_SKIP() << "needs a mount over the folder: Wine, run as root";
        const std::string a = dir_ + "\\a";
        if (kind == test::MountedFolder::kFull) {
            ASSERT_TRUE(test::WriteFileBytes(a, "A\r\n"));
        }
        const WriteResult r = ReplaceFileContent(a, std::string(64 << 10, 'x'));
        EXPECT_EQ(r.status, kind == test::MountedFolder::kReadOnly ? WriteStatus::FolderNotWritable
                                                                   : WriteStatus::DiskFull);
        EXPECT_EQ(FolderWritable(dir_), kind == test::MountedFolder::kFull);
        if (kind == test::MountedFolder::kFull) {
            EXPECT_EQ(ReadWholeFile(a), "A\r\n");
        }
        EXPECT_EQ(GetFileAttributesA((a + ".saving").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

}  // namespace
}  // namespace orv
