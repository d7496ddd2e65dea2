// A thin wrapper around one tooltip control ("ToolTips_class32") that
// describes areas of one owner window. It holds only the two handles: the
// control keeps the tools, and copies of the object address the same control.
#pragma once

#include <windows.h>

namespace orv {

// The first form of TOOLINFOA (without the trailing lParam), which every
// version of the tooltip control accepts: 40 bytes in a 32-bit process, 56 in
// a 64-bit one (TTTOOLINFOA_V1_SIZE).
constexpr UINT kToolInfoSize = sizeof(void*) == 4 ? 40 : 56;

class ToolTipWindow {
public:
    ToolTipWindow() = default;
    // The control is not destroyed with the object: it lives until the
    // process ends, like its tools.
    virtual ~ToolTipWindow() = default;
    ToolTipWindow(const ToolTipWindow&) = default;
    ToolTipWindow& operator=(const ToolTipWindow&) = default;

    // Style TTS_ALWAYSTIP, plus TTS_BALLOON when balloon is non-zero. Returns
    // the control (0 when creation failed).
    virtual HWND Create(HWND owner, int balloon);
    // Non-zero on success.
    virtual LRESULT AddTool(const RECT& rect, const char* text, UINT id);
    // The control asks the owner for the text (TTN_GETDISPINFOA).
    virtual LRESULT AddCallbackTool(const RECT& rect, UINT id);
    virtual void SetTipBkColor(COLORREF colour);
    virtual void SetTipTextColor(COLORREF colour);
    virtual void SetMaxTipWidth(int width);
    virtual void DelTool(UINT id);
    // Both touch only the tool (owner, id).
    virtual void NewToolRect(UINT id, const RECT& rect);
    virtual void UpdateTipText(UINT id, const char* text);
    virtual HWND GetHandle() const { return tip_; }
    HWND Owner() const { return owner_; }

private:
    LRESULT SendTool(UINT message, UINT id, const RECT* rect, const char* text);

    HWND tip_ = nullptr;
    HWND owner_ = nullptr;
};

}  // namespace orv
