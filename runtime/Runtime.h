// The services the application takes from its runtime: window and control
// properties, list boxes, files, processes and a few user-interface services.
// Handlers talk only to this interface, so tests can run them against a
// recording fake instead of real windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/FileServices.h"
#include "runtime/Layout.h"
#include "runtime/SharedBytes.h"

namespace orv {

struct EventArgs {
    int arg0 = 0, arg1 = 0, arg2 = 0;
};

using EventHandler = std::function<void(const EventArgs&)>;

// Window states as the application sees them.
enum WindowStateValue { kStateNormal = 0, kStateCentred = 1, kStateMinimised = 2, kStateMaximised = 3 };

class Runtime {
public:
    virtual ~Runtime() = default;

    // Controls and their properties. A control is named by its unit index in
    // the layout table (0 is the window).
    virtual HWND ControlHandle(int unit) = 0;
    virtual bool Visible(int unit) = 0;
    virtual void SetVisible(int unit, bool visible) = 0;
    virtual int WindowState() = 0;
    virtual void SetWindowState(int state) = 0;
    virtual void SetAlwaysOnTop(bool onTop) = 0;
    virtual std::string Content(int unit) = 0;
    virtual void SetContent(int unit, std::string_view text) = 0;
    virtual void SetTextColour(int unit, COLORREF colour) = 0;
    virtual COLORREF DefaultBackColour() = 0;
    // Invalidates a control and its visible children, with background erase.
    virtual void Repaint(int unit) = 0;

    // List boxes. Item texts are kept byte for byte (the list box itself
    // shows text only up to a NUL byte).
    virtual void ListAdd(int unit, std::string_view text) = 0;
    // Adds the texts at the end, painting once. With a block, the texts lie
    // in it and are referred to, not copied: the list holds the block until
    // it is emptied. Without one (nullptr) each text is copied.
    virtual void ListAddMany(int unit, const std::vector<std::string_view>& texts, const SharedBytes& block) = 0;
    // Empties the list and fills it with the texts, as ListAddMany does,
    // painting once.
    virtual void ListReplaceAll(int unit, const std::vector<std::string_view>& texts, const SharedBytes& block) = 0;
    virtual void ListDelete(int unit, int index) = 0;
    virtual void ListClear(int unit) = 0;
    virtual int ListCount(int unit) = 0;
    virtual std::string ListText(int unit, int index) = 0;
    virtual int ListSelection(int unit) = 0;
    virtual void SetListSelection(int unit, int index) = 0;
    // The item at a point of the list's client area; -1 over empty space.
    virtual int ListItemAt(int unit, int x, int y) = 0;

    // Files and processes.
    virtual std::string ProgramDirectory() = 0;
    // The whole file, or why there is none: missing, or there but not
    // readable whole (locked, an I/O error, too large).
    virtual FileContent ReadWholeFile(const std::string& path) = 0;
    // Replaces a file's whole content so that it is always either the old or
    // the new content; on failure nothing changed, and the result says why.
    virtual WriteResult ReplaceFileContent(const std::string& path, std::string_view bytes) = 0;
    virtual bool FolderWritable(const std::string& dir) = 0;
    // False when there is no such file.
    virtual bool LastWriteTime(const std::string& path, uint64_t* time) = 0;
    // The user's own folder for the program's data ("%APPDATA%\Orvane"),
    // not created; empty when the system names none.
    virtual std::string PerUserFolder() = 0;
    // True when dir exists afterwards.
    virtual bool CreateFolder(const std::string& dir) = 0;

    // User interface.
    virtual void StandardMessageBox(std::string_view text) = 0;
    virtual void PlaySoundData(std::string_view wavBytes, bool loop) = 0;
    virtual void OpenUrl(std::string_view address) = 0;
    virtual void ShellOpen(std::string_view target) = 0;
    // A hint for the control under the pointer, near the pointer; with
    // besideItem, for the list item under the pointer, kept clear of that
    // item. An empty text hides the hint. The second flag selects nothing.
    virtual void HoverHint(HWND control, std::string_view text, bool besideItem, bool flag2) = 0;
    virtual void Delay(int milliseconds) = 0;
    virtual void SetTrayIcon(HICON icon, std::string_view tip) = 0;
    // Runs action from the message loop once the message being handled now
    // (and the window's showing, during start-up) is done.
    virtual void Defer(std::function<void()> action) = 0;
    // True once Windows has said the session ends: the program may be ended
    // at any moment, and nothing may wait for the user.
    virtual bool SessionEnding() = 0;
};

}  // namespace orv
