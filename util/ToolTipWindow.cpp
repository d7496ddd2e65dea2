#include "util/ToolTipWindow.h"

#include <windows.h>
#include <commctrl.h>

namespace orv {

namespace {

// The first TOOLINFOA layout, spelled out so its size cannot drift with the
// SDK's _WIN32_WINNT setting.
struct ToolInfoV1 {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPSTR lpszText;
};
static_assert(sizeof(ToolInfoV1) == kToolInfoSize, "the first TOOLINFOA form");

}  // namespace

HWND ToolTipWindow::Create(HWND owner, int balloon)
{
    owner_ = owner;
    DWORD style = TTS_ALWAYSTIP | (balloon ? TTS_BALLOON : 0);
    tip_ = CreateWindowExA(0, "ToolTips_class32", "", style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return tip_;
}

LRESULT ToolTipWindow::SendTool(UINT message, UINT id, const RECT* rect, const char* text)
{
    ToolInfoV1 info{};
    info.cbSize = kToolInfoSize;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = owner_;
    info.uId = id;
    if (rect) info.rect = *rect;
    // The control copies the text; the pointer need only live for the call.
    info.lpszText = const_cast<LPSTR>(text);
    return SendMessageA(tip_, message, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT ToolTipWindow::AddTool(const RECT& rect, const char* text, UINT id)
{
    return SendTool(TTM_ADDTOOLA, id, &rect, text);
}

LRESULT ToolTipWindow::AddCallbackTool(const RECT& rect, UINT id)
{
    return SendTool(TTM_ADDTOOLA, id, &rect, LPSTR_TEXTCALLBACKA);
}

void ToolTipWindow::SetTipBkColor(COLORREF colour) { SendMessageA(tip_, TTM_SETTIPBKCOLOR, colour, 0); }

void ToolTipWindow::SetTipTextColor(COLORREF colour) { SendMessageA(tip_, TTM_SETTIPTEXTCOLOR, colour, 0); }

void ToolTipWindow::SetMaxTipWidth(int width) { SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, width); }

void ToolTipWindow::DelTool(UINT id) { SendTool(TTM_DELTOOLA, id, nullptr, nullptr); }

void ToolTipWindow::NewToolRect(UINT id, const RECT& rect) { SendTool(TTM_NEWTOOLRECTA, id, &rect, nullptr); }

void ToolTipWindow::UpdateTipText(UINT id, const char* text) { SendTool(TTM_UPDATETIPTEXTA, id, nullptr, text); }

}  // namespace orv
