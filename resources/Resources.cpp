#include "resources/Resources.h"

#include <windows.h>

namespace orv {

std::string_view StoredBytes(int resourceId)
{
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
