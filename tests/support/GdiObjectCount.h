// How many GDI objects this process holds, for leak tests.
//
// Windows answers GetGuiResources(GR_GDIOBJECTS). Wine's GetGuiResources is a
// stub that returns 0, so under Wine the used entries of the process's GDI
// handle table are counted instead: the PEB field at 0x94 (0xF8 in a 64-bit
// process) points at 65,536 entries of 24 bytes (object pointer 8, owner 4,
// reuse counter 2, type 1, flags 1, user pointer 8). An entry is live while
// its type is set.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ProcessEnvironmentBlock.h"

namespace orv::test {

inline bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline long GdiObjectCount()
{
    if (!RunningUnderWine()) return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    const uint8_t* table = GdiSharedHandleTable();
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
}

// The same count for another process of this one's kind, read from its
// memory (under Wine; Windows answers GetGuiResources for any process). -1
// when unknown.
inline long GdiObjectCountOf(HANDLE process)
{
    if (!RunningUnderWine()) return static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
    struct BasicInformation {
        LONG exitStatus;
        void* pebBaseAddress;
        ULONG_PTR affinityMask;
        LONG basePriority;
        ULONG_PTR uniqueProcessId;
        ULONG_PTR parentProcessId;
    } info{};
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (!query || query(process, 0 /* ProcessBasicInformation */, &info, sizeof info, nullptr) != 0) return -1;
    uintptr_t table = 0;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, static_cast<const uint8_t*>(info.pebBaseAddress) + kPebGdiTableOffset, &table,
                           sizeof table, &got) || !table)
        return -1;
    constexpr size_t kEntries = 65536;
    constexpr size_t kEntrySize = 24;
    long used = 0;
    std::vector<uint8_t> chunk(4096 * kEntrySize);
    for (size_t first = 0; first < kEntries; first += 4096) {
        if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table + first * kEntrySize),
                               chunk.data(), chunk.size(), &got))
            return -1;
        for (size_t i = 0; i < 4096; ++i) used += chunk[i * kEntrySize + 14] != 0;
    }
    return used;
}

// Private bytes of a process (committed memory no other process shares).
// Wine leaves PrivateUsage at 0 and reports the commit in PagefileUsage,
// which Windows documents as the same figure.
inline size_t PrivateBytesOf(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

inline size_t PrivateBytes() { return PrivateBytesOf(GetCurrentProcess()); }

}  // namespace orv::test
