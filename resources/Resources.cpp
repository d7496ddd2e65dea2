#include "resources/Resources.h"

#include <windows.h>

namespace orv {

namespace {

const std::map<int, std::string_view>* gItems = nullptr;

}  // namespace

void UseStoredItems(const std::map<int, std::string_view>* items) { gItems = items; }

std::string_view StoredBytes(int resourceId)
{
    if (gItems) {
        auto it = gItems->find(resourceId);
        return it == gItems->end() ? std::string_view() : it->second;
    }
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(module, info);
    DWORD size = SizeofResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return std::string_view(static_cast<const char*>(data), size);
}

}  // namespace orv
