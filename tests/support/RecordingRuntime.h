// A Runtime that records every service call as a line of text and keeps
// control contents, list items and files in memory, so event handlers can be
// tested without windows.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "runtime/Runtime.h"

namespace orv::test {

class RecordingRuntime : public Runtime {
public:
    std::vector<std::string> calls;
    std::map<int, std::string> contents;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, SharedBytes> blocks;  // the block each list was last filled from
    std::map<int, int> selections;
    std::map<int, COLORREF> textColours;
    std::map<std::string, std::string> files;
    std::string programDirectory = "C:\\Orvane";
    bool visible = true;
    int windowState = kStateNormal;
    bool alwaysOnTop = false;
    bool replaceFails = false;
    std::set<std::string> unreadableFiles;               // there, but every read fails
    std::set<std::string> readOnlyFolders;               // no file can be written in them
    std::map<std::string, WriteStatus> failingWrites;   // by file path
    std::map<std::string, uint64_t> writeTimes;          // by file path; files without one count as 1
    std::set<std::string> folders;                       // created with CreateFolder
    std::string perUserFolder = "C:\\Users\\u\\AppData\\Roaming\\Orvane";
    std::vector<std::function<void()>> deferred;
    bool sessionEnding = false;
    int listItemHeight = 16;

    std::vector<std::string>& List(int unit) { return lists[unit]; }

    HWND ControlHandle(int unit) override { return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1000 + unit)); }
    bool Visible(int) override { return visible; }
    void SetVisible(int unit, bool v) override
    {
        Record("SetVisible(" + std::to_string(unit) + "," + std::to_string(v) + ")");
        if (unit == 0) visible = v;
    }
    int WindowState() override { return windowState; }
    void SetWindowState(int state) override
    {
        Record("SetWindowState(" + std::to_string(state) + ")");
        windowState = state;
    }
    void SetAlwaysOnTop(bool onTop) override
    {
        Record("SetAlwaysOnTop(" + std::to_string(onTop) + ")");
        alwaysOnTop = onTop;
    }
    std::string Content(int unit) override { return contents[unit]; }
    void SetContent(int unit, std::string_view text) override
    {
        Record("SetContent(" + std::to_string(unit) + "," + std::string(text) + ")");
        contents[unit] = std::string(text);
    }
    void SetTextColour(int unit, COLORREF colour) override
    {
        char buf[64];
        snprintf(buf, sizeof buf, "SetTextColour(%d,%06lX)", unit, static_cast<unsigned long>(colour));
        Record(buf);
        textColours[unit] = colour;
    }
    COLORREF DefaultBackColour() override { return 0x00F0F0F0; }
    void Repaint(int unit) override { Record("Repaint(" + std::to_string(unit) + ")"); }

    void ListAdd(int unit, std::string_view text) override { lists[unit].emplace_back(text); }
    void ListAddMany(int unit, const std::vector<std::string_view>& texts, const SharedBytes& block) override
    {
        lists[unit].insert(lists[unit].end(), texts.begin(), texts.end());
        blocks[unit] = block;
    }
    void ListReplaceAll(int unit, const std::vector<std::string_view>& texts, const SharedBytes& block) override
    {
        ListClear(unit);
        ListAddMany(unit, texts, block);
    }
    void ListDelete(int unit, int index) override
    {
        auto& l = lists[unit];
        if (index < 0 || index >= static_cast<int>(l.size())) return;
        l.erase(l.begin() + index);
        // Like a list box: deleting the selected item leaves no selection.
        int& sel = selections[unit];
        if (sel == index) sel = -1;
        else if (sel > index) --sel;
    }
    void ListClear(int unit) override
    {
        lists[unit].clear();
        selections[unit] = -1;
    }
    int ListCount(int unit) override { return static_cast<int>(lists[unit].size()); }
    std::string ListText(int unit, int index) override
    {
        auto& l = lists[unit];
        return index >= 0 && index < static_cast<int>(l.size()) ? l[index] : std::string();
    }
    int ListSelection(int unit) override
    {
        auto it = selections.find(unit);
        return it == selections.end() ? -1 : it->second;
    }
    void SetListSelection(int unit, int index) override
    {
        selections[unit] = index >= 0 && index < ListCount(unit) ? index : -1;
    }
    // Items of listItemHeight pixels from the top, none scrolled away.
    int ListItemAt(int unit, int, int y) override
    {
        const int index = y >= 0 ? y / listItemHeight : -1;
        return index < ListCount(unit) ? index : -1;
    }

    std::string ProgramDirectory() override { return programDirectory; }
    FileContent ReadWholeFile(const std::string& path) override
    {
        Record("ReadWholeFile(" + path + ")");
        FileContent c;
        auto it = files.find(path);
        if (it == files.end()) return c;
        c.status = unreadableFiles.count(path) ? ReadStatus::Failed : ReadStatus::Ok;
        if (c.status == ReadStatus::Ok) c.bytes = it->second;
        return c;
    }
    WriteResult ReplaceFileContent(const std::string& path, std::string_view bytes) override
    {
        Record("ReplaceFileContent(" + path + ")");
        if (replaceFails) return {WriteStatus::Failed, 5};
        if (readOnlyFolders.count(path.substr(0, path.find_last_of('\\')))) return {WriteStatus::FolderNotWritable, 5};
        auto fails = failingWrites.find(path);
        if (fails != failingWrites.end()) return {fails->second, 112};
        files[path] = std::string(bytes);
        writeTimes[path] = ++clock_;
        return {WriteStatus::Ok, 0};
    }
    bool FolderWritable(const std::string& dir) override
    {
        Record("FolderWritable(" + dir + ")");
        return !readOnlyFolders.count(dir);
    }
    bool LastWriteTime(const std::string& path, uint64_t* time) override
    {
        if (!files.count(path)) return false;
        auto it = writeTimes.find(path);
        *time = it == writeTimes.end() ? 1 : it->second;
        return true;
    }
    std::string PerUserFolder() override { return perUserFolder; }
    bool CreateFolder(const std::string& dir) override
    {
        Record("CreateFolder(" + dir + ")");
        folders.insert(dir);
        return true;
    }

    void StandardMessageBox(std::string_view text) override { Record("StandardMessageBox(" + std::string(text) + ")"); }
    void PlaySoundData(std::string_view wav, bool loop) override
    {
        Record("PlaySoundData(" + std::to_string(wav.size()) + "," + std::to_string(loop) + ")");
    }
    void OpenUrl(std::string_view address) override { Record("OpenUrl(" + std::string(address) + ")"); }
    void ShellOpen(std::string_view target) override { Record("ShellOpen(" + std::string(target) + ")"); }
    void HoverHint(HWND control, std::string_view text, bool f1, bool f2) override
    {
        int unit = static_cast<int>(reinterpret_cast<INT_PTR>(control)) - 0x1000;
        Record("HoverHint(" + std::to_string(unit) + "," + std::string(text) + "," + std::to_string(f1) + "," +
               std::to_string(f2) + ")");
    }
    void Delay(int ms) override { Record("Delay(" + std::to_string(ms) + ")"); }
    void SetTrayIcon(HICON, std::string_view tip) override { Record("SetTrayIcon(" + std::string(tip) + ")"); }
    void Defer(std::function<void()> action) override
    {
        Record("Defer");
        deferred.push_back(std::move(action));
    }
    bool SessionEnding() override { return sessionEnding; }
    // What the message loop would do next.
    void RunDeferred()
    {
        auto actions = std::move(deferred);
        deferred.clear();
        for (auto& a : actions) a();
    }

private:
    void Record(std::string line) { calls.push_back(std::move(line)); }
    uint64_t clock_ = 100;
};

}  // namespace orv::test
