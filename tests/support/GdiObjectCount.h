// How many GDI objects this process holds, for leak tests.
//
// Windows answers GetGuiResources(GR_GDIOBJECTS). Wine's GetGuiResources is a
// stub that returns 0, so under Wine the used entries of the process's GDI
// handle table are counted instead: the PEB field at 0x94 (32-bit) points at
// 65,536 entries of 24 bytes (object pointer 8, owner 4, reuse counter 2,
// type 1, flags 1, user pointer 8). An entry is live while its type is set.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstddef>
#include <cstdint>

namespace orv::test {

inline bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline long GdiObjectCount()
{
    if (!RunningUnderWine()) return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
#if defined(_M_IX86) || defined(__i386__)
    // fs:[0x30] (TEB + 0x30) holds the PEB address in a 32-bit process. Read
    // directly: gcc warns about bounds inside mingw's NtCurrentTeb().
    const uint8_t* peb = nullptr;
#if defined(__GNUC__)
    __asm__("movl %%fs:0x30, %0" : "=r"(peb));
#else
    peb = reinterpret_cast<const uint8_t*>(__readfsdword(0x30));
#endif
    const auto* table = *reinterpret_cast<const uint8_t* const*>(peb + 0x94);
    if (!table) return -1;
    constexpr size_t kEntries = 65536;
    constexpr size_t kEntrySize = 24;
    long used = 0;
    for (size_t i = 0; i < kEntries; ++i) {
        // Measured under Wine 8: a deleted object's entry keeps its object
        // pointer and reuse counter; only the type byte (offset 14) goes
        // back to 0. Counting non-zero entries would count every entry ever
        // used.
        used += table[i * kEntrySize + 14] != 0;
    }
    return used;
#else
    return -1;  // the table's place is only known for 32-bit processes
#endif
}

// Private bytes of this process (committed memory no other process shares).
// Wine leaves PrivateUsage at 0 and reports the commit in PagefileUsage,
// which Windows documents as the same figure.
inline size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters)))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

}  // namespace orv::test
