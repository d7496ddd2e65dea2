// One running copy per user session: two copies would each save their own
// master list at close, and the one closed last would silently undo the
// other's additions and deletions.
#pragma once

#include <windows.h>

namespace orv {

class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy already runs.
    bool First() const { return first_; }

    // Asks the running copy to show its window (restoring it from the tray)
    // and come to the front. False when its window could not be found.
    static bool ShowRunningCopy();

private:
    HANDLE mutex_ = nullptr;
    bool first_ = true;
};

}  // namespace orv
