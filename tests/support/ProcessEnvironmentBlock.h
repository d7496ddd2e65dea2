// Where this process's PEB keeps the GDI handle table, for the counters and
// the memory walk that read it under Wine (see GdiObjectCount.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv::test {

// GdiSharedHandleTable: 0x94 in a 32-bit PEB, 0xF8 in a 64-bit one. The
// tables' entries are 24 bytes on both.
#if defined(__x86_64__) || defined(_M_X64)
constexpr size_t kPebGdiTableOffset = 0xF8;
#else
constexpr size_t kPebGdiTableOffset = 0x94;
#endif

// The PEB, from the TEB (fs:[0x30] on i386, gs:[0x60] on x86-64). Read
// directly: gcc warns about bounds inside mingw's NtCurrentTeb().
inline const uint8_t* CurrentPeb()
{
    const uint8_t* peb = nullptr;
#if defined(__x86_64__)
    __asm__("movq %%gs:0x60, %0" : "=r"(peb));
#else
    __asm__("movl %%fs:0x30, %0" : "=r"(peb));
#endif
    return peb;
}

inline const uint8_t* GdiSharedHandleTable()
{
    return *reinterpret_cast<const uint8_t* const*>(CurrentPeb() + kPebGdiTableOffset);
}

}  // namespace orv::test
