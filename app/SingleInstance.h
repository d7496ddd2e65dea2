// One running copy per program folder and user session: two copies of one
// folder would each save their own master list at close, and the one closed
// last would silently undo the other's additions and deletions. A copy in
// another folder has a catalogue of its own and runs beside it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// The folder as the file system names it, whatever spelling reached us:
// full, long names, no trailing backslash, upper-cased by Unicode rules (as
// the file system compares names), in UTF-16.
std::wstring NormalisedFolder(const std::string& folder);

// 64-bit FNV-1a of the normalised folder.
uint64_t FolderKey(const std::string& folder);

class SingleInstance {
public:
    explicit SingleInstance(const std::string& programFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy from the same folder already runs.
    bool First() const { return first_; }

    // Marks window as the one that a later start from this folder hands over to.
    void Claim(HWND window) const;

    // Asks the running copy of this folder to show its window (restoring it
    // from the tray) and come to the front. False when its window could not
    // be found.
    bool ShowRunningCopy() const;

    // Hands paths to the running copy of this folder, which then works on
    // them as if they had been dropped on its window, and shows its window.
    // False when no running copy took them.
    bool HandOver(const std::vector<std::wstring>& paths) const;

private:
    HWND RunningWindow() const;

    uint64_t key_;
    HANDLE mutex_ = nullptr;
    bool first_ = true;
};

}  // namespace orv
