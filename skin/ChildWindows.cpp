#include "skin/ChildWindows.h"

#include <algorithm>

namespace orv {

namespace {

struct KeptChildren {
    HWND parent;
    std::vector<HWND> children;
};

// The interface thread's lists; a handful of skinned parents.
std::vector<KeptChildren>& Kept()
{
    static std::vector<KeptChildren> kept;
    return kept;
}

bool StillCurrent(HWND parent, const std::vector<HWND>& children)
{
    const HWND first = GetWindow(parent, GW_CHILD);
    if (children.empty()) return first == nullptr;
    if (first != children.front() || GetWindow(children.back(), GW_HWNDNEXT) != nullptr) return false;
    // In-process under Wine and Windows alike: no server round trip.
    return std::all_of(children.begin(), children.end(), [parent](HWND c) { return GetParent(c) == parent; });
}

}  // namespace

std::vector<HWND> ChildWindows(HWND parent)
{
    auto& kept = Kept();
    auto found = std::find_if(kept.begin(), kept.end(), [parent](const KeptChildren& k) { return k.parent == parent; });
    if (found != kept.end() && StillCurrent(parent, found->children)) return found->children;
    if (!IsWindow(parent)) {
        if (found != kept.end()) kept.erase(found);
        return {};
    }
    std::vector<HWND> children;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    if (found != kept.end())
        found->children = children;
    else
        kept.push_back(KeptChildren{parent, children});
    return children;
}

void ForgetChildWindows(HWND parent)
{
    auto& kept = Kept();
    kept.erase(std::remove_if(kept.begin(), kept.end(), [parent](const KeptChildren& k) { return k.parent == parent; }),
               kept.end());
}

}  // namespace orv
