// The real runtime: builds the window and its controls from a layout table,
// routes window messages to bound event handlers and provides the services of
// the Runtime interface on top of USER32, GDI32, SHELL32 and WINMM.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gdiplus/GdiHandles.h"
#include "runtime/HoverHint.h"
#include "runtime/KeyboardNavigation.h"
#include "runtime/ListShadow.h"
#include "runtime/MessageLoop.h"
#include "runtime/Runtime.h"
#include "runtime/TrayIcon.h"

namespace orv {

// Class of the main window, and the registered message a second copy of the
// program sends it to bring it back to the front.
extern const char kMainWindowClassName[];
extern const char kShowRunningCopyMessage[];

class Win32Runtime : public Runtime {
public:
    explicit Win32Runtime(LayoutTable layout);
    ~Win32Runtime() override;
    Win32Runtime(const Win32Runtime&) = delete;
    Win32Runtime& operator=(const Win32Runtime&) = delete;

    void Bind(int unit, EventKind event, EventHandler handler);

    // The window's sound, played once when the window first shows. The bytes
    // must stay valid for the whole run.
    void SetWindowSound(std::string_view wavBytes) { windowSound_ = wavBytes; }

    // The controls that Tab and Shift+Tab go through, in that order, by
    // unit. The order is the window's own and may cross containers.
    void SetTabOrder(std::vector<int> units) { tabOrder_ = std::move(units); }

    // Paths handed over by a drop on the window or by a second start of the
    // program. Set before the window is created: only then does the window
    // accept drops.
    void SetFileHandover(std::function<void(std::vector<std::wstring>)> take) { fileHandover_ = std::move(take); }

    // Runs action on the window's thread, from any thread. False, and the
    // action is dropped unrun, when the window is gone.
    bool PostAction(std::function<void()> action);

    // Esc pressed in the window: the action says whether it used the key.
    void SetEscapeAction(std::function<bool()> action) { escapeAction_ = std::move(action); }

    // Creates the window and every control, fires Created, then shows the
    // window when its layout says visible. Returns false when the window
    // could not be created.
    bool CreateWindowFromLayout();

    // Runs until the window has been destroyed.
    int RunMessageLoop();

    // Runtime
    HWND ControlHandle(int unit) override;
    bool Visible(int unit) override;
    void SetVisible(int unit, bool visible) override;
    int WindowState() override;
    void SetWindowState(int state) override;
    void SetAlwaysOnTop(bool onTop) override;
    std::string Content(int unit) override;
    void SetContent(int unit, std::string_view text) override;
    void SetTextColour(int unit, COLORREF colour) override;
    COLORREF DefaultBackColour() override;
    void Repaint(int unit) override;
    void ListAdd(int unit, std::string_view text) override;
    void ListAddMany(int unit, const std::vector<std::string_view>& texts, const SharedBytes& block) override;
    void ListReplaceAll(int unit, const std::vector<std::string_view>& texts, const SharedBytes& block) override;
    void ListDelete(int unit, int index) override;
    void ListClear(int unit) override;
    int ListCount(int unit) override;
    std::string ListText(int unit, int index) override;
    int ListSelection(int unit) override;
    void SetListSelection(int unit, int index) override;
    int ListItemAt(int unit, int x, int y) override;
    std::string ProgramDirectory() override;
    FileContent ReadWholeFile(const std::string& path) override;
    WriteResult ReplaceFileContent(const std::string& path, std::string_view bytes) override;
    bool FolderWritable(const std::string& dir) override;
    bool LastWriteTime(const std::string& path, uint64_t* time) override;
    std::string PerUserFolder() override;
    bool CreateFolder(const std::string& dir) override;
    void StandardMessageBox(std::string_view text) override;
    void PlaySoundData(std::string_view wavBytes, bool loop) override;
    void OpenUrl(std::string_view address) override;
    void ShellOpen(std::string_view target) override;
    void HoverHint(HWND control, std::string_view text, bool besideItem, bool flag2) override;
    void Delay(int milliseconds) override;
    void SetTrayIcon(HICON icon, std::string_view tip) override;
    void Defer(std::function<void()> action) override;
    bool SessionEnding() override { return sessionEnding_; }

    // Message routing, used by the window procedures.
    LRESULT OnWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnControlMessage(int unit, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC previous);
    static Win32Runtime* FromWindow(HWND hwnd);
    WNDPROC PreviousProc(int unit) const
    {
        return unit > 0 && unit < static_cast<int>(units_.size()) ? units_[unit].previousProc : nullptr;
    }

private:
    struct UnitState {
        HWND hwnd = nullptr;
        WNDPROC previousProc = nullptr;  // the control's own procedure, behind the runtime's
        COLORREF textColour = kDefaultColour;
        COLORREF backColour = kDefaultColour;
        UniqueBrush backBrush;
        ListShadow items;  // list boxes: exact bytes of every item
    };

    void FillQuietly(int unit, const std::vector<std::string_view>& texts, const SharedBytes& block, bool replace);
    HWND CreateUnit(int index);
    HWND EnsureCreated(int index);
    void ApplyFont(int index);
    void Fire(int unit, EventKind event, const EventArgs& args = {});
    bool HasBinding(int unit, EventKind event) const;
    int UnitOf(HWND hwnd) const;
    bool RouteCommand(HWND child, WORD code);
    bool ColourChild(HWND child, HDC dc, LRESULT* result);
    bool IsListUnit(int unit) const;
    LRESULT OnClose(HWND hwnd);
    LRESULT OnEndSession(HWND hwnd, bool ending);
    LRESULT OnEnable(HWND hwnd, bool enabled);
    LRESULT OnTimer(HWND hwnd, UINT_PTR id, LPARAM lp);
    LRESULT OnDropFiles(HDROP drop);
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void AcceptFilesFromElsewhere(HWND hwnd);
    void DropPostedActions(HWND hwnd);
    bool TakeEscape(const MSG& msg);
    void OnScroll(HWND control);
    void ShowItemHint(HWND list, std::string_view text);
    void CloseOnce();
    void RunDeferred();

    LayoutTable layout_;
    std::vector<UnitState> units_;
    std::map<std::pair<int, EventKind>, EventHandler> bindings_;
    std::vector<UniqueFont> fonts_;
    UniqueFont defaultFont_;
    TrayIcon tray_;
    static constexpr UINT_PTR kTrayTimer = 1;  // no window handle is this small
    HoverHintWindow hint_;
    bool created_ = false;
    bool centredState_ = false;
    bool closed_ = false;         // QueryClose has run: the catalogue is saved
    bool sessionEnding_ = false;  // Windows ends the session
    std::deque<std::function<void()>> deferred_;
    void ShowFromElsewhere();

    MessageFilter KeyboardFilter();

    std::vector<int> tabOrder_;
    KeyboardNavigation navigation_;
    UINT taskbarCreatedMessage_ = 0;
    UINT showRunningCopyMessage_ = 0;
    std::string_view windowSound_;
    std::function<void(std::vector<std::wstring>)> fileHandover_;
    std::function<bool()> escapeAction_;
};

}  // namespace orv
