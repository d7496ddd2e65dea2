// The registry's tables and lookups.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "skin/ControlTable.h"
#include "skin/Registry.h"
#include "skin/entries/ButtonEntry.h"

using namespace orv;

namespace {

HWND FakeHandle(int n) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x5000 + n)); }

// Each step takes an entry (optionally freeing the first one before);
// expected index and count after the step.
struct Step {
    bool freeFirstBefore;
    int wantIndex;
    int wantCount;
};

TEST(ControlTableReuse, FirstControlTakesTheInitialEntryEveryLaterOneAppends)
{
    const std::vector<std::vector<Step>> sequences = {
        {{false, 1, 1}, {false, 2, 2}, {false, 3, 3}},
        // The initial entry freed while it is the only one: taken again.
        {{false, 1, 1}, {true, 1, 1}, {false, 2, 2}},
        // Freed once there are two entries: appended, never reused.
        {{false, 1, 1}, {false, 2, 2}, {true, 3, 3}},
    };
    for (size_t s = 0; s < sequences.size(); ++s) {
        ControlTable<ButtonEntry> table;
        EXPECT_EQ(table.Count(), 1) << "a new table has one zero entry";
        EXPECT_EQ(table.Get(1)->hwnd, nullptr);
        int n = 0;
        for (const Step& step : sequences[s]) {
            if (step.freeFirstBefore) table.Get(1)->hwnd = nullptr;
            const int index = table.Take();
            table.Get(index)->hwnd = FakeHandle(++n);
            EXPECT_EQ(index, step.wantIndex) << "sequence " << s << " step " << n;
            EXPECT_EQ(table.Count(), step.wantCount) << "sequence " << s << " step " << n;
        }
    }
}

TEST(ControlTableReuse, FindGivesTheFirstMatchAndZeroOtherwise)
{
    ControlTable<ButtonEntry> table;
    EXPECT_EQ(table.Find(FakeHandle(1)), 0);
    EXPECT_EQ(table.Find(nullptr), 0) << "free entries are not found by a null handle";
    table.Get(table.Take())->hwnd = FakeHandle(1);
    table.Get(table.Take())->hwnd = FakeHandle(2);
    EXPECT_EQ(table.Find(FakeHandle(2)), 2);
    EXPECT_EQ(table.Find(FakeHandle(3)), 0);
    EXPECT_EQ(table.Get(0), nullptr);
    EXPECT_EQ(table.Get(3), nullptr);
}

TEST(TitleButtonListReuse, SameRuleAsTheControlTables)
{
    TitleButtonList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Take(), 1);
    EXPECT_EQ(list.Take(), 2);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_NE(list.Get(2), nullptr);
    EXPECT_EQ(list.Get(3), nullptr);
}

TEST(Registry, PropertyNamesAreTheEnginesOwn)
{
    const char* names[] = {kPropProc, kPropIndex, kPropOwner, kPropTextColour, kPropBrush, kPropBrushBitmap,
                           kPropKeyIndex, kPropKeyOwner, kPropKeyProc, kPropCacheDc, kPropCacheBitmap};
    const char* expected[] = {"Hw_hProc", "Hw_lbID", "Hw_FuID", "Kj_Ztys", "Kj_dxjb", "Kj_wtjb",
                              "Kj_lbID", "Kj_FuID", "Kj_hProc", "Ck_Ycjdx", "Ck_wtjbdx"};
    for (size_t i = 0; i < sizeof(names) / sizeof(names[0]); ++i) EXPECT_STREQ(names[i], expected[i]);
}

TEST(Registry, OwningWindowWalksUpToTheFirstSkinnedAncestor)
{
    HWND top = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    HWND group = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 100, 100, top, nullptr, nullptr, nullptr);
    HWND leaf = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 10, 10, group, nullptr, nullptr, nullptr);
    EXPECT_EQ(OwningWindow(leaf), 0);
    auto record = std::make_unique<WindowSkinRecord>();
    record->window = top;
    const int index = AppendWindowRecord(std::move(record));
    EXPECT_EQ(FindWindowRecord(top), index);
    EXPECT_EQ(OwningWindow(leaf), index);
    EXPECT_EQ(OwningWindow(group), index);
    EXPECT_EQ(OwningWindow(top), 0) << "the walk starts at the parent";
    EXPECT_EQ(RecordAt(0), nullptr);
    EXPECT_EQ(RecordAt(WindowCount() + 1), nullptr);
    DestroyWindowRecord(index);
    EXPECT_EQ(FindWindowRecord(top), 0);
    DestroyWindow(top);
}

LRESULT CALLBACK PassingProc(HWND h, UINT m, WPARAM w, LPARAM l) { return CallPreviousProc(h, m, w, l); }

// Reads come from the in-process copy, so it must say what the window says:
// written through, read once from the window on a miss, and forgotten with
// the window (a new window must not inherit a dead one's values).
TEST(Registry, PropertiesStayOnTheWindowAndTheCopyNeverOutlivesIt)
{
    HWND window = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
    SetProperty(window, kPropTextColour, 0x123456);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(GetPropA(window, kPropTextColour)), 0x123456u) << "set on the window";
    EXPECT_EQ(GetProperty(window, kPropTextColour), 0x123456u);
    SetProperty(window, kPropTextColour, 7);
    EXPECT_EQ(GetProperty(window, kPropTextColour), 7u) << "a write reaches the copy";

    // Set by someone else before the skin first looked: read from the window.
    SetPropA(window, kPropBrush, reinterpret_cast<HANDLE>(0xABC));
    EXPECT_EQ(GetProperty(window, kPropBrush), 0xABCu);
    EXPECT_EQ(GetProperty(window, kPropOwner), 0u) << "never set";

    // A skinned window's last message goes through CallPreviousProc.
    SetProperty(window, kPropProc, static_cast<uintptr_t>(SetWindowLongPtrA(
                                       window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PassingProc))));
    DestroyWindow(window);
    EXPECT_EQ(GetProperty(window, kPropTextColour), 0u) << "gone with the window";
    EXPECT_EQ(GetProperty(window, kPropProc), 0u);

    // A window the skin only looked at goes without telling it.
    HWND plain = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
    SetProperty(plain, kPropTextColour, 9);
    EXPECT_EQ(GetProperty(plain, kPropTextColour), 9u);
    DestroyWindow(plain);
    EXPECT_EQ(GetProperty(plain, kPropTextColour), 0u) << "a destroyed window has no properties";

    // Many windows looked at and destroyed that way: the copy is swept, and
    // live windows keep their values through the sweeps.
    HWND keep = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
    SetProperty(keep, kPropOwner, 42);
    for (int i = 0; i < 1100; ++i) {  // past the first sweep, at 1,024 windows
        HWND passing = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
        SetProperty(passing, kPropOwner, static_cast<uintptr_t>(i));
        DestroyWindow(passing);
    }
    EXPECT_EQ(GetProperty(keep, kPropOwner), 42u);
    DestroyWindow(keep);
}

}  // namespace
