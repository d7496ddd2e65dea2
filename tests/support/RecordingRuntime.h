// A Runtime that records every service call as a line of text and keeps
// control contents, list items and files in memory, so event handlers can be
// tested without windows.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "runtime/Runtime.h"

namespace orv::test {

class RecordingRuntime : public Runtime {
public:
    std::vector<std::string> calls;
    std::map<int, std::string> contents;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, int> selections;
    std::map<int, COLORREF> textColours;
    std::map<std::string, std::string> files;
    std::string programDirectory = "C:\\Orvane";
    bool visible = true;
    int windowState = kStateNormal;
    bool alwaysOnTop = false;
    bool replaceFails = false;

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
    void ListAddMany(int unit, const std::vector<std::string>& texts) override
    {
        lists[unit].insert(lists[unit].end(), texts.begin(), texts.end());
    }
    void ListReplaceAll(int unit, const std::vector<const std::string*>& texts) override
    {
        ListClear(unit);
        for (const std::string* t : texts) lists[unit].push_back(*t);
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

    std::string ProgramDirectory() override { return programDirectory; }
    std::string ReadWholeFile(const std::string& path) override
    {
        Record("ReadWholeFile(" + path + ")");
        auto it = files.find(path);
        return it == files.end() ? std::string() : it->second;
    }
    bool ReplaceFileContent(const std::string& path, std::string_view bytes) override
    {
        Record("ReplaceFileContent(" + path + ")");
        if (replaceFails) return false;
        files[path] = std::string(bytes);
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

private:
    void Record(std::string line) { calls.push_back(std::move(line)); }
};

}  // namespace orv::test
