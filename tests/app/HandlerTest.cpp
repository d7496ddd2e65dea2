// The application's event handlers against the recording runtime: what they
// show, open, play and change, in which order.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "app/CatalogueActions.h"
#include "app/LinkActions.h"
#include "app/MainLayout.h"
#include "app/MainWindowEvents.h"
#include "resources/Resources.h"
#include "skin/SkinEngine.h"
#include "tests/support/RecordingRuntime.h"

namespace orv {
namespace {

using test::RecordingRuntime;
using Items = std::vector<std::string>;

class RecordingSkin : public SkinEngine {
public:
    explicit RecordingSkin(std::vector<std::string>* log) : SkinEngine(0x00F0F0F0), log_(log) {}
    void SetLog(std::vector<std::string>* log) { log_ = log; }
    void SetControlSkinOptions(int enable, int alpha, bool alphaGiven, int, bool trackGiven) override
    {
        log_->push_back("SetControlSkinOptions(" + std::to_string(enable) + "," + std::to_string(alpha) + "," +
                        std::to_string(alphaGiven) + "," + std::to_string(trackGiven) + ")");
    }
    void SkinWindow(HWND window, Opt<int> titleHeight, Opt<int> titleBar, Opt<int> resizable, Opt<int>, Opt<int>,
                    Opt<int> caption, Opt<int>, Opt<int>, Opt<const std::vector<std::string>*>,
                    Opt<std::string_view> background, Opt<int> layoutMode) override
    {
        log_->push_back("SkinWindow(" + Unit(window) + "," + Arg(titleHeight) + "," + Arg(titleBar) + "," +
                        Arg(resizable) + "," + Arg(caption) + "," + Bytes(background) + "," + Arg(layoutMode) + ")");
    }
    void SkinControl(HWND control, Opt<int> kind, Opt<COLORREF> fill, Opt<int> alpha, Opt<int> flag) override
    {
        log_->push_back("SkinControl(" + Unit(control) + "," + Arg(kind) + "," + Arg(fill) + "," + Arg(alpha) + "," +
                        Arg(flag) + ")");
    }
    void SkinIconButton(HWND button, std::string_view picture, Opt<std::string_view> hover,
                        Opt<std::string_view> pressed, Opt<std::string_view> further,
                        Opt<std::string_view> disabled) override
    {
        const bool anyOptional = hover.given || pressed.given || further.given || disabled.given;
        log_->push_back("SkinIconButton(" + Unit(button) + "," + std::to_string(picture.size()) + "," +
                        (anyOptional ? "optional" : "-") + ")");
    }
    void SkinImageButton(HWND button, std::string_view picture, int value, Opt<int> option,
                         Opt<std::string> tooltip) override
    {
        log_->push_back("SkinImageButton(" + Unit(button) + "," + std::to_string(picture.size()) + "," +
                        std::to_string(value) + "," + Arg(option) + "," + (tooltip.given ? "tip" : "-") + ")");
    }
    void SetControlTextColour(HWND control, COLORREF colour) override
    {
        char hex[16];
        snprintf(hex, sizeof hex, "%06lX", static_cast<unsigned long>(colour));
        log_->push_back("SetControlTextColour(" + Unit(control) + "," + hex + ")");
    }

private:
    // The recording runtime's handles are 0x1000 + unit.
    static std::string Unit(HWND h) { return std::to_string(reinterpret_cast<INT_PTR>(h) - 0x1000); }
    template <typename T>
    static std::string Arg(const Opt<T>& o)
    {
        return o.given ? std::to_string(o.value) : std::string("-");
    }
    static std::string Bytes(const Opt<std::string_view>& o)
    {
        return o.given ? std::to_string(o.value.size()) : std::string("-");
    }

public:

private:
    std::vector<std::string>* log_;
};

struct MessageBoxCall {
    HWND owner;
    std::string text;
    UINT style;
    const char* caption;
};

class Handlers : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.rt = &rt;
        app.skin = &skin;
        app.lists = {kList1, kList2};
        app.clickSound = std::string_view(clickBytes, sizeof clickBytes);
        app.showMessageBox = [this](HWND owner, const char* text, UINT style, const char* caption) {
            boxes.push_back({owner, text, style, caption});
            rt.calls.push_back(std::string("MessageBox(") + text + ")");
            return answer;
        };
    }

    // Start-up as the window-created handler does it, from a file's bytes.
    void StartWith(const std::string& fileBytes)
    {
        rt.files[CataloguePath(rt)] = fileBytes;
        FillListsAtStart(rt, app.catalogue, app.lists);
        rt.calls.clear();
    }

    void Type(const std::string& text) { rt.contents[kEdit2] = text; }
    void SelectShown(int index)
    {
        rt.SetListSelection(kList2, index);
        SyncMasterSelection(rt, app.lists);
    }
    std::string Saved()
    {
        OnMainWindowQueryClose(app);
        return rt.files[CataloguePath(rt)];
    }

    RecordingRuntime rt;
    RecordingSkin skin{&rt.calls};
    AppContext app;
    std::vector<MessageBoxCall> boxes;
    int answer = kAnswerYes;
    char clickBytes[27574] = {};
};

// ---- start-up, closing, window state ----------------------------------------

// Each call of DefaultBackColour gives a new colour, so the record shows
// whether the colour was asked afresh for each container. The test checks
// all eight steps of the window-created handler in order.
class ChangingBackColourRuntime : public RecordingRuntime {
public:
    COLORREF DefaultBackColour() override { return 0x00F0F0F0 + asked++; }
    int asked = 0;
};

TEST_F(Handlers, CreatedPutsTrayIconFirstAndFillsListsLast)
{
    ChangingBackColourRuntime changing;
    changing.files[CataloguePath(changing)] = "A\r\nB\r\n";
    app.rt = &changing;
    skin.SetLog(&changing.calls);
    OnMainWindowCreated(app);
    const std::string background = std::to_string(StoredBytes(IDR_BACKGROUND).size());
    auto size = [](int id) { return std::to_string(StoredBytes(id).size()); };
    const Items expected{
        "SetTrayIcon(Orvane)",
        "SkinWindow(0,-,1,0,0," + background + ",1)",
        "SkinControl(" + std::to_string(kTab1) + ",-," + std::to_string(0x00F0F0F0) + ",100,1)",
        "SkinControl(" + std::to_string(kGroup1) + ",-," + std::to_string(0x00F0F0F1) + ",100,1)",
        "SkinControl(" + std::to_string(kGroup2) + ",-," + std::to_string(0x00F0F0F2) + ",100,1)",
        "SetControlSkinOptions(1,100,1,0)",
        "SkinIconButton(" + std::to_string(kButton5) + "," + size(IDR_TOOL_RESSIM) + ",-)",
        "SkinIconButton(" + std::to_string(kButton6) + "," + size(IDR_TOOL_PELLAT) + ",-)",
        "SkinIconButton(" + std::to_string(kButton7) + "," + size(IDR_TOOL_CORVEL) + ",-)",
        "SkinIconButton(" + std::to_string(kButton8) + "," + size(IDR_TOOL_TAMBLIN) + ",-)",
        "SkinIconButton(" + std::to_string(kButton9) + "," + size(IDR_CHAT) + ",-)",
        "SkinImageButton(" + std::to_string(kButton1) + "," + size(IDR_SEARCH) + ",1,1,-)",
        "SkinImageButton(" + std::to_string(kButton3) + "," + size(IDR_REMOTE_SEARCH) + ",1,1,-)",
        "SkinImageButton(" + std::to_string(kButton2) + "," + size(IDR_SAVE) + ",1,1,-)",
        "SetControlTextColour(" + std::to_string(kButton1) + ",00D8D8)",
        "SetControlTextColour(" + std::to_string(kButton2) + ",00D8D8)",
        "SetControlTextColour(" + std::to_string(kButton3) + ",00D8D8)",
        "ReadWholeFile(C:\\Orvane\\jidiao.dll)",
        "ReadWholeFile(C:\\Orvane\\jidiao.dll)",
    };
    EXPECT_EQ(changing.calls, expected);
    EXPECT_EQ(changing.asked, 3);
    EXPECT_EQ(changing.List(kList1), (Items{"A", "B"}));
    EXPECT_EQ(changing.List(kList2), (Items{"A", "B"}));
    EXPECT_EQ(changing.ListSelection(kList1), -1);
    EXPECT_EQ(changing.ListSelection(kList2), -1);
    EXPECT_EQ(Items(app.catalogue.lines.begin(), app.catalogue.lines.end()), (Items{"A", "B"}));
    // The second reading gave the same bytes: both lists refer to one copy.
    ASSERT_TRUE(app.catalogue.text);
    EXPECT_EQ(changing.blocks[kList1], app.catalogue.text);
    EXPECT_EQ(changing.blocks[kList2], app.catalogue.text);
}

TEST_F(Handlers, MissingFileGivesEmptyListsAndClosingWritesAnEmptyFile)
{
    OnMainWindowCreated(app);
    EXPECT_TRUE(rt.List(kList1).empty());
    EXPECT_TRUE(rt.List(kList2).empty());
    EXPECT_EQ(Saved(), "");
    EXPECT_EQ(rt.files.count(CataloguePath(rt)), 1u);
}

TEST_F(Handlers, ClosingSavesTheMasterListEvenUnchanged)
{
    const std::string bytes("\xB8\xE8\xC7\xFA\xD2\xBB\x20\x47\xB5\xF7\r\nSong 2 Eb\r\n  \r\n\r\n", 29);
    StartWith(bytes);
    EXPECT_EQ(Saved(), bytes);
}

// Closing when the catalogue cannot be written back where it was read from,
// or could not be read at all: no song is lost, the user is told where they
// went, and nothing waits for an answer at the end of the session.
TEST_F(Handlers, ClosingKeepsEverySongWhereverTheUsualSaveCannotGo)
{
    const std::string beside = "C:\\Orvane\\jidiao.dll";
    const std::string perUser = "C:\\Users\\u\\AppData\\Roaming\\Orvane\\jidiao.dll";
    const std::string aside = "C:\\Orvane\\jidiao-added.txt";
    const std::string perUserAside = "C:\\Users\\u\\AppData\\Roaming\\Orvane\\jidiao-added.txt";
    using Files = std::map<std::string, std::string>;
    struct Case {
        const char* name;
        std::function<void(RecordingRuntime&)> arrange;
        const char* added;  // nullptr: nothing added
        bool sessionEnds;
        Files after;
        std::string message;  // the one message at close; empty for none
        Items nextStart;      // what the next start's master list holds
    };
    const Case cases[] = {
        {"disk full", [&](RecordingRuntime& r) { r.failingWrites[beside] = WriteStatus::DiskFull; }, "新歌", false,
         {{beside, "A\r\n"}}, std::string(kSaveFailedMessage) + "\r\n磁盘空间不足。", {"A"}},
        {"file locked", [&](RecordingRuntime& r) { r.failingWrites[beside] = WriteStatus::InUse; }, "新歌", false,
         {{beside, "A\r\n"}}, std::string(kSaveFailedMessage) + "\r\n文件正被其他程序使用，或是只读文件。", {"A"}},
        {"read-only folder", [](RecordingRuntime& r) { r.readOnlyFolders.insert("C:\\Orvane"); }, "新歌", false,
         {{beside, "A\r\n"}, {perUser, "A\r\n新歌\r\n"}},
         std::string(kCatalogueMovedMessage) + "\r\n" + perUser + "\r\n" + kCatalogueMovedNote, {"A", "新歌"}},
        {"read-only folder, session ends", [](RecordingRuntime& r) { r.readOnlyFolders.insert("C:\\Orvane"); },
         "新歌", true, {{beside, "A\r\n"}, {perUser, "A\r\n新歌\r\n"}}, "", {"A", "新歌"}},
        {"unreadable", [&](RecordingRuntime& r) { r.unreadableFiles.insert(beside); }, "新歌", false,
         {{beside, "A\r\n"}, {aside, "新歌\r\n"}}, std::string(kCatalogueKeptAsideMessage) + "\r\n" + aside, {}},
        {"unreadable, nothing added", [&](RecordingRuntime& r) { r.unreadableFiles.insert(beside); }, nullptr, false,
         {{beside, "A\r\n"}}, "", {}},
        {"unreadable, songs kept aside before",
         [&](RecordingRuntime& r) {
             r.unreadableFiles.insert(beside);
             r.files[aside] = "旧歌";
         },
         "新歌", false, {{beside, "A\r\n"}, {aside, "旧歌\r\n新歌\r\n"}},
         std::string(kCatalogueKeptAsideMessage) + "\r\n" + aside, {}},
        {"unreadable in a read-only folder",
         [&](RecordingRuntime& r) {
             r.unreadableFiles.insert(beside);
             r.readOnlyFolders.insert("C:\\Orvane");
         },
         "新歌", false, {{beside, "A\r\n"}, {perUserAside, "新歌\r\n"}},
         std::string(kCatalogueKeptAsideMessage) + "\r\n" + perUserAside, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingRuntime r;
        r.files[beside] = "A\r\n";
        c.arrange(r);
        app.rt = &r;
        app.catalogue = CatalogueState{};
        skin.SetLog(&r.calls);
        boxes.clear();
        OnMainWindowCreated(app);
        r.RunDeferred();
        const bool unreadable = r.unreadableFiles.count(beside) != 0;
        ASSERT_EQ(boxes.size(), unreadable ? 1u : 0u);
        if (unreadable) {
            EXPECT_EQ(boxes[0].text, std::string(kCatalogueUnreadableMessage) + "\r\n" + beside + "\r\n" +
                                         kCatalogueUnreadableNote);
            EXPECT_EQ(boxes[0].owner, r.ControlHandle(kMainWindow));
            EXPECT_TRUE(r.List(kList1).empty());
            EXPECT_TRUE(r.List(kList2).empty());
            boxes.clear();
        }
        if (c.added) {
            r.contents[kEdit2] = c.added;
            AddEntry(app);
        }
        r.sessionEnding = c.sessionEnds;
        OnMainWindowQueryClose(app);
        Files files = r.files;
        for (auto it = files.begin(); it != files.end();) it = c.after.count(it->first) ? std::next(it) : files.erase(it);
        EXPECT_EQ(files, c.after);
        EXPECT_EQ(r.files.size(), c.after.size()) << "no other file was written";
        ASSERT_EQ(boxes.size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(boxes[0].text, c.message);
        }

        // The next start finds the songs where this close put them.
        CatalogueState next;
        r.List(kList1).clear();
        FillListsAtStart(r, next, app.lists);
        EXPECT_EQ(r.List(kList1), c.nextStart);
    }
    app.rt = &rt;
}

TEST_F(Handlers, ACopyThatMayWriteItsFolderKeepsItsOwnCatalogue)
{
    // The per-user copy belongs to copies whose folder cannot be written;
    // another copy, in a folder of its own, runs with the file beside it.
    rt.files[CataloguePath(rt)] = "mine\r\n";
    rt.files[PerUserCataloguePath(rt)] = "theirs\r\n";
    rt.writeTimes[PerUserCataloguePath(rt)] = 1000;
    FillListsAtStart(rt, app.catalogue, app.lists);
    EXPECT_EQ(rt.List(kList1), (Items{"mine"}));
    EXPECT_EQ(Saved(), "mine\r\n");
    EXPECT_EQ(rt.files[PerUserCataloguePath(rt)], "theirs\r\n");
}

TEST_F(Handlers, MinimisingHidesAndTrayClickRestoresCentredOnTop)
{
    rt.windowState = kStateMinimised;
    OnMainWindowResized(app);
    EXPECT_EQ(rt.calls, (Items{"SetVisible(0,0)"}));
    rt.calls.clear();

    OnTrayNotify(app, 2);
    OnTrayNotify(app, 3);
    EXPECT_TRUE(rt.calls.empty());

    OnTrayNotify(app, 1);
    EXPECT_EQ(rt.calls, (Items{"SetAlwaysOnTop(1)", "SetVisible(0,1)", "SetWindowState(1)"}));
    rt.calls.clear();
    OnMainWindowResized(app);  // state 1 now
    EXPECT_EQ(rt.calls, (Items{"SetVisible(0,1)"}));
    rt.calls.clear();
    rt.windowState = kStateNormal;
    OnMainWindowResized(app);
    EXPECT_TRUE(rt.calls.empty());
}

TEST_F(Handlers, KeywordBoxEmptiesOnFocusAndSearchesOnEnterOnly)
{
    StartWith("A\r\nB\r\n");
    Type("A");
    OnKeywordKeyDown(app, 'A', 0);
    EXPECT_TRUE(rt.calls.empty());
    OnKeywordKeyDown(app, VK_RETURN, 0);
    EXPECT_EQ(rt.calls.front(), "PlaySoundData(27574,0)");
    EXPECT_EQ(rt.List(kList2), (Items{"A"}));
    OnKeywordFocusGained(app);
    EXPECT_EQ(rt.contents[kEdit2], "");
    EXPECT_EQ(rt.List(kList2), (Items{"A"}));  // the last result stays
}

// ---- search -----------------------------------------------------------------

TEST_F(Handlers, EmptyKeywordShowsTheMessageAndLeavesTheList)
{
    StartWith("A\r\nB\r\n");
    Type("");
    SearchCatalogue(app);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "\xC7\xEB\xCA\xE4\xC8\xEB\xB9\xD8\xBC\xFC\xD7\xD6\xD4\xD9\xCB\xD1\xCB\xF7");
    EXPECT_EQ(boxes[0].style, 0x40u);
    EXPECT_EQ(boxes[0].caption, nullptr);
    EXPECT_EQ(boxes[0].owner, rt.ControlHandle(kMainWindow));
    EXPECT_EQ(rt.calls.front(), "PlaySoundData(27574,0)");
    EXPECT_EQ(rt.List(kList2), (Items{"A", "B"}));
}

TEST_F(Handlers, SearchMatchesCaseSensitiveSubstrings)
{
    StartWith("歌曲一 G调\r\nSong 2 Eb\r\nabc\r\n");
    struct Case {
        const char* keyword;
        Items shown;
    };
    const Case cases[] = {
        {"G", {"歌曲一 G调"}},
        {"g", {"Song 2 Eb"}},
        {" ", {"歌曲一 G调", "Song 2 Eb"}},
        {"b", {"Song 2 Eb", "abc"}},
        {"歌曲一 G调 and more", {}},
        {"\xE8\xC7", {}},  // straddles 歌 and 曲
    };
    for (const Case& c : cases) {
        Type(c.keyword);
        SearchCatalogue(app);
        EXPECT_EQ(rt.List(kList2), c.shown) << c.keyword;
    }
    EXPECT_EQ(rt.List(kList1).size(), 3u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Handlers, AdditionsReachTheSearchOnlyAfterARestart)
{
    StartWith("A\r\n");
    Type("Z new");
    AddEntry(app);
    Type("Z");
    SearchCatalogue(app);
    EXPECT_TRUE(rt.List(kList2).empty());
    EXPECT_EQ(rt.List(kList1), (Items{"A", "Z new"}));

    const std::string saved = Saved();
    RecordingRuntime next;
    next.files[CataloguePath(next)] = saved;
    AppContext restarted = app;
    restarted.rt = &next;
    FillListsAtStart(next, restarted.catalogue, restarted.lists);
    next.contents[kEdit2] = "Z";
    SearchCatalogue(restarted);
    EXPECT_EQ(next.List(kList2), (Items{"Z new"}));
}

TEST_F(Handlers, SearchOnAnEmptyCatalogueShowsNothing)
{
    StartWith("");
    Type("x");
    SearchCatalogue(app);
    EXPECT_TRUE(rt.List(kList2).empty());
    EXPECT_TRUE(boxes.empty());
}

// ---- selection, add, delete ---------------------------------------------------

TEST_F(Handlers, SelectingADuplicateSelectsTheFirstEqualMasterItem)
{
    StartWith("A\r\nB\r\nA\r\n");
    SelectShown(2);
    EXPECT_EQ(rt.ListSelection(kList1), 0);
    SelectShown(1);
    EXPECT_EQ(rt.ListSelection(kList1), 1);
}

TEST_F(Handlers, AddingAppendsToBothListsAndKeepsTheText)
{
    StartWith("A\r\nB\r\n");
    Type("B");
    SearchCatalogue(app);
    Type("C 调");
    AddEntry(app);
    AddEntry(app);
    EXPECT_EQ(rt.List(kList1), (Items{"A", "B", "C 调", "C 调"}));
    EXPECT_EQ(rt.List(kList2), (Items{"B", "C 调", "C 调"}));
    EXPECT_EQ(rt.contents[kEdit2], "C 调");
    EXPECT_EQ(Saved(), "A\r\nB\r\nC \xB5\xF7\r\nC \xB5\xF7\r\n");
}

TEST_F(Handlers, AddingFromAnEmptyBoxOnlyShowsTheStandardMessage)
{
    StartWith("A\r\n");
    Type("");
    AddEntry(app);
    EXPECT_EQ(rt.calls, (Items{"PlaySoundData(27574,0)", "StandardMessageBox(\xB8\xE8\xC7\xFA\xC3\xFB\xD7\xD6\xB2\xBB\xC4\xDC\xCE\xAA\xBF\xD5)"}));
    EXPECT_EQ(rt.List(kList1), (Items{"A"}));
    Type(" ");
    AddEntry(app);
    EXPECT_EQ(rt.List(kList1), (Items{"A", " "}));
}

TEST_F(Handlers, DeleteAsksAndGoesAheadOnlyForYes)
{
    StartWith("A\r\nB\r\nC\r\n");
    SelectShown(1);
    answer = IDNO - 1;
    DeleteEntry(app);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "\xCA\xC7\xB7\xF1\xC9\xBE\xB3\xFD\xB1\xBE\xCC\xF5\xBC\xC7\xC2\xBC");
    EXPECT_EQ(boxes[0].style, 0x1044u);
    EXPECT_EQ(boxes[0].caption, nullptr);
    EXPECT_EQ(rt.List(kList1), (Items{"A", "B", "C"}));

    answer = IDYES;  // the raw identifier 6 is not the mapped Yes (5)
    DeleteEntry(app);
    EXPECT_EQ(rt.List(kList1), (Items{"A", "B", "C"}));

    answer = kAnswerYes;
    DeleteEntry(app);
    EXPECT_EQ(rt.List(kList1), (Items{"A", "C"}));
    EXPECT_EQ(rt.List(kList2), (Items{"A", "C"}));
    EXPECT_EQ(Saved(), "A\r\nC\r\n");
}

TEST_F(Handlers, DeletingADuplicateSavesOneCopyFewer)
{
    StartWith("A\r\nB\r\nA\r\n");
    SelectShown(2);
    DeleteEntry(app);
    EXPECT_EQ(rt.List(kList2), (Items{"A", "B"}));
    EXPECT_EQ(Saved(), "B\r\nA\r\n");
}

TEST_F(Handlers, DeletedEntryFoundAgainBySearchCannotDeleteAnotherEntry)
{
    StartWith("A\r\nB\r\nC\r\n");
    SelectShown(1);
    DeleteEntry(app);  // B gone
    SelectShown(1);    // C selected: master selection now C
    Type("B");
    SearchCatalogue(app);  // B listed again from the start-up lines
    ASSERT_EQ(rt.List(kList2), (Items{"B"}));
    SelectShown(0);
    EXPECT_EQ(rt.ListSelection(kList1), -1);
    DeleteEntry(app);
    EXPECT_TRUE(rt.List(kList2).empty());
    EXPECT_EQ(rt.List(kList1), (Items{"A", "C"}));  // C survives
}

TEST_F(Handlers, DeleteWithoutAShownSelectionRemovesNothing)
{
    StartWith("A\r\nB\r\n");
    SelectShown(1);
    Type("zzz");
    SearchCatalogue(app);  // empty result, stale master selection remains
    DeleteEntry(app);
    EXPECT_EQ(rt.List(kList1), (Items{"A", "B"}));
}

// ---- links --------------------------------------------------------------------

TEST_F(Handlers, DownloadButtonsPlayTheClickThenOpenTheirPage)
{
    const std::pair<int, const char*> pages[] = {{kTextRessimPage, kRessimPage}, {kTextPellatPage, kPellatPage},
                                                 {kTextCorvelPage, kCorvelPage}, {kTextTamblinPage, kTamblinPage}};
    for (const auto& [id, page] : pages) {
        rt.calls.clear();
        OpenDownloadPage(app, id);
        EXPECT_EQ(rt.calls, (Items{"PlaySoundData(27574,0)", std::string("OpenUrl(") + page + ")"}));
    }
    EXPECT_EQ(std::string(kTamblinPage).find("https://"), 0u);
}

TEST_F(Handlers, ChatButtonOpensTheLinkWithoutFlash)
{
    OpenSupportChat(app);
    EXPECT_EQ(rt.calls, (Items{"PlaySoundData(27574,0)", "ShellOpen(tencent://message/?uin=800812345&Site=orvane&Menu=yes)"}));
}

TEST_F(Handlers, ChatLabelFlashesWhiteForASecondThenGreen)
{
    OpenSupportChatWithFlash(app);
    EXPECT_EQ(rt.calls, (Items{"PlaySoundData(27574,0)", "SetTextColour(3,FFFFFF)",
                               "ShellOpen(tencent://message/?uin=800812345&Site=orvane&Menu=yes)", "Delay(1000)",
                               "SetTextColour(3,00FF00)"}));
}

TEST_F(Handlers, ScoreSearchAppendsTheKeywordOrRefusesAnEmptyOne)
{
    Type("");
    SearchScoreImages(app);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].style, 0x40u);
    EXPECT_EQ(rt.calls.size(), 2u);  // sound, message; nothing opened

    rt.calls.clear();
    Type("  晴天&x");
    SearchScoreImages(app);
    EXPECT_EQ(rt.calls, (Items{"PlaySoundData(27574,0)", std::string("OpenUrl(") + kScoreSearchPrefix + "  晴天%26x)"}));
    const std::string prefix = kScoreSearchPrefix;
    EXPECT_EQ(prefix.substr(prefix.size() - 9), "word=\xC7\xFA\xC6\xD7");
}

TEST_F(Handlers, HintsNameTheControlUnderThePointer)
{
    ShowHint(app, kButton5, kTextHintRessim);
    ShowHint(app, kLabel5, kTextChatHint);
    // The display list: the entry under the pointer, by its key; an entry
    // without a key and the space below the items hide the hint.
    rt.List(kList2) = {"Yesterday", "青花瓷 降B调"};
    ShowSongKeyHint(app, 10, 20);
    ShowSongKeyHint(app, 10, 5);
    ShowSongKeyHint(app, 10, 40);
    const std::string list = "HoverHint(" + std::to_string(kList2) + ",";
    EXPECT_EQ(rt.calls,
              (Items{"HoverHint(10,Ressim,0,0)", std::string("HoverHint(3,") + kChatHint + ",0,0)",
                     list + "效果器: A#\r\n音阶: bB C D bE F G A\r\n升降调: -2 G#  -1 A  +1 B  +2 C,1,0)",
                     list + ",1,0)", list + ",1,0)"}));
}

}  // namespace
}  // namespace orv
