// ToolTipWindow against the real tooltip control: its style, the first-form
// tool descriptions it sends (40 bytes; 56 in a 64-bit process) (captured by subclassing the control) and the
// independence of tools.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "util/ToolTipWindow.h"

using orv::ToolTipWindow;

namespace {

struct Sent {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::vector<unsigned char> info;  // the first 40 bytes of a tool description
};
std::vector<Sent> gSent;
WNDPROC gTipProc = nullptr;

LRESULT CALLBACK SpyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg >= WM_USER && msg < WM_USER + 0x40) {
        Sent s{msg, wp, lp, {}};
        const bool carriesTool = msg == TTM_ADDTOOLA || msg == TTM_DELTOOLA || msg == TTM_NEWTOOLRECTA ||
                                 msg == TTM_UPDATETIPTEXTA;
        if (carriesTool && lp) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(lp);
            s.info.assign(bytes, bytes + orv::kToolInfoSize);
        }
        gSent.push_back(s);
    }
    return CallWindowProcA(gTipProc, hwnd, msg, wp, lp);
}

struct ToolV1 {
    UINT cbSize, uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPSTR text;
};

ToolV1 Decode(const Sent& s)
{
    ToolV1 t{};
    std::memcpy(&t, s.info.data(), sizeof(t));
    return t;
}

class ToolTips : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        owner = CreateWindowExA(0, "Static", "owner", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
        gSent.clear();
    }
    void TearDown() override
    {
        if (tip.GetHandle()) DestroyWindow(tip.GetHandle());
        DestroyWindow(owner);
    }
    void CreateAndSpy(int balloon = 0)
    {
        ASSERT_NE(tip.Create(owner, balloon), nullptr);
        gTipProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(tip.GetHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpyProc)));
    }
    // What the control holds for tool id (text and rectangle).
    bool Query(UINT id, RECT* rect, std::string* text)
    {
        char buffer[256] = {};
        TTTOOLINFOA info{};
        info.cbSize = orv::kToolInfoSize;
        info.hwnd = owner;
        info.uId = id;
        info.lpszText = buffer;
        if (!SendMessageA(tip.GetHandle(), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info))) return false;
        *rect = info.rect;
        info.lpszText = buffer;
        SendMessageA(tip.GetHandle(), TTM_GETTEXTA, sizeof(buffer), reinterpret_cast<LPARAM>(&info));
        *text = buffer;
        return true;
    }

    HWND owner = nullptr;
    ToolTipWindow tip;
};

TEST_F(ToolTips, StyleIsAlwaysTipOrBalloon)
{
    struct Case {
        int balloon;
        LONG style;
    } cases[] = {{0, 0x01}, {1, 0x41}, {7, 0x41}};
    for (const Case& c : cases) {
        ToolTipWindow t;
        HWND h = t.Create(owner, c.balloon);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(t.GetHandle(), h);
        EXPECT_EQ(t.Owner(), owner);
        EXPECT_EQ(GetWindowLongA(h, GWL_STYLE) & 0xFF, c.style) << "balloon " << c.balloon;
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof(cls));
        EXPECT_STREQ(cls, "tooltips_class32");
        EXPECT_EQ(GetParent(h), nullptr);
        DestroyWindow(h);
    }
}

TEST_F(ToolTips, OperationsBeforeCreateGoNowhere)
{
    EXPECT_EQ(tip.GetHandle(), nullptr);
    EXPECT_EQ(tip.AddTool(RECT{0, 0, 10, 10}, "x", 1), 0);
    EXPECT_EQ(tip.AddCallbackTool(RECT{0, 0, 10, 10}, 2), 0);
    tip.UpdateTipText(1, "y");
    tip.NewToolRect(1, RECT{1, 1, 2, 2});
    tip.DelTool(1);
    EXPECT_EQ(tip.GetHandle(), nullptr);
}

TEST_F(ToolTips, EveryToolDescriptionIsTheFirstFormWithSubclassFlagAndTheOwner)
{
    CreateAndSpy();
    const char* text = "关闭";
    const RECT rect{5, 6, 45, 24};
    EXPECT_NE(tip.AddTool(rect, text, 5), 0);
    EXPECT_NE(tip.AddCallbackTool(RECT{50, 0, 60, 10}, 6), 0);
    tip.NewToolRect(5, RECT{7, 8, 9, 10});
    tip.UpdateTipText(5, "最小化");
    tip.DelTool(6);
    tip.SetTipBkColor(0x00112233);
    tip.SetTipTextColor(0x00445566);
    tip.SetMaxTipWidth(321);

    struct Want {
        UINT message;
        UINT id;
    } want[] = {{TTM_ADDTOOLA, 5}, {TTM_ADDTOOLA, 6}, {TTM_NEWTOOLRECTA, 5}, {TTM_UPDATETIPTEXTA, 5}, {TTM_DELTOOLA, 6}};
    std::vector<Sent> tools;
    for (const Sent& s : gSent)
        if (!s.info.empty()) tools.push_back(s);
    ASSERT_EQ(tools.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        const ToolV1 t = Decode(tools[i]);
        EXPECT_EQ(tools[i].message, want[i].message) << i;
        EXPECT_EQ(tools[i].wParam, 0u) << i;
        EXPECT_EQ(t.cbSize, sizeof(void*) == 4 ? 40u : 56u) << i;
        EXPECT_EQ(t.uFlags, static_cast<UINT>(TTF_SUBCLASS)) << i;
        EXPECT_EQ(t.hwnd, owner) << i;
        EXPECT_EQ(t.uId, want[i].id) << i;
        EXPECT_EQ(t.hinst, nullptr) << i;
    }
    const ToolV1 t0 = Decode(tools[0]), t2 = Decode(tools[2]), t3 = Decode(tools[3]), t4 = Decode(tools[4]);
    EXPECT_TRUE(EqualRect(&t0.rect, &rect));
    EXPECT_EQ(Decode(tools[0]).text, text) << "the caller's text for the call";
    EXPECT_EQ(Decode(tools[1]).text, LPSTR_TEXTCALLBACKA);
    const RECT moved{7, 8, 9, 10};
    EXPECT_TRUE(EqualRect(&t2.rect, &moved));
    EXPECT_EQ(Decode(tools[2]).text, nullptr);
    EXPECT_STREQ(Decode(tools[3]).text, "最小化");
    const RECT empty{};
    EXPECT_TRUE(EqualRect(&t3.rect, &empty));
    EXPECT_TRUE(EqualRect(&t4.rect, &empty));

    auto find = [](UINT message) -> const Sent* {
        for (const Sent& s : gSent)
            if (s.message == message) return &s;
        return nullptr;
    };
    ASSERT_NE(find(TTM_SETTIPBKCOLOR), nullptr);
    EXPECT_EQ(find(TTM_SETTIPBKCOLOR)->wParam, 0x00112233u);
    EXPECT_EQ(find(TTM_SETTIPBKCOLOR)->lParam, 0);
    ASSERT_NE(find(TTM_SETTIPTEXTCOLOR), nullptr);
    EXPECT_EQ(find(TTM_SETTIPTEXTCOLOR)->wParam, 0x00445566u);
    ASSERT_NE(find(TTM_SETMAXTIPWIDTH), nullptr);
    EXPECT_EQ(find(TTM_SETMAXTIPWIDTH)->wParam, 0u);
    EXPECT_EQ(find(TTM_SETMAXTIPWIDTH)->lParam, 321);
}

TEST_F(ToolTips, NewToolRectAndUpdateTipTextTouchOnlyTheirTool)
{
    ASSERT_NE(tip.Create(owner, 0), nullptr);
    ASSERT_NE(tip.AddTool(RECT{0, 0, 26, 18}, "帮助", 1), 0);
    ASSERT_NE(tip.AddTool(RECT{27, 0, 53, 18}, "关闭", 2), 0);
    tip.NewToolRect(2, RECT{100, 1, 140, 19});
    tip.UpdateTipText(2, "最大化");
    RECT r1{}, r2{};
    std::string t1, t2;
    ASSERT_TRUE(Query(1, &r1, &t1));
    ASSERT_TRUE(Query(2, &r2, &t2));
    const RECT want1{0, 0, 26, 18}, want2{100, 1, 140, 19};
    EXPECT_TRUE(EqualRect(&r1, &want1));
    EXPECT_EQ(t1, "帮助");
    EXPECT_TRUE(EqualRect(&r2, &want2));
    EXPECT_EQ(t2, "最大化");
    EXPECT_EQ(SendMessageA(tip.GetHandle(), TTM_GETTOOLCOUNT, 0, 0), 2);
    tip.DelTool(1);
    EXPECT_EQ(SendMessageA(tip.GetHandle(), TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_TRUE(Query(2, &r2, &t2));
}

TEST_F(ToolTips, CopiesAddressTheSameControl)
{
    ASSERT_NE(tip.Create(owner, 0), nullptr);
    ToolTipWindow copy = tip;
    EXPECT_EQ(copy.GetHandle(), tip.GetHandle());
    ASSERT_NE(copy.AddTool(RECT{0, 0, 5, 5}, "a", 9), 0);
    EXPECT_EQ(SendMessageA(tip.GetHandle(), TTM_GETTOOLCOUNT, 0, 0), 1);
}

}  // namespace
