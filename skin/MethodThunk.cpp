#include "skin/MethodThunk.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "skin/ThunkCode.h"

namespace orv {

MethodThunk::MethodThunk(MethodThunk&& other) noexcept
    : code_(std::exchange(other.code_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      functionTable_(std::exchange(other.functionTable_, nullptr))
{
}

MethodThunk& MethodThunk::operator=(MethodThunk&& other) noexcept
{
    if (this != &other) {
        Free();
        code_ = std::exchange(other.code_, nullptr);
        size_ = std::exchange(other.size_, 0);
        functionTable_ = std::exchange(other.functionTable_, nullptr);
    }
    return *this;
}

bool MethodThunk::Build(void* object, void* stdcallTarget, int argCount)
{
    Free();
    if (argCount < 0 || argCount * 4 > kMaxArgumentBytes || !stdcallTarget) return false;
#if defined(_WIN64)
    const thunk::X64Code code = thunk::WriteX64(reinterpret_cast<uintptr_t>(object),
                                                reinterpret_cast<uintptr_t>(stdcallTarget), argCount);
    const std::vector<uint8_t>& bytes = code.bytes;
#else
    const std::vector<uint8_t> bytes = thunk::WriteI386(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object)),
                                                        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(stdcallTarget)),
                                                        argCount);
#endif
    if (bytes.empty()) return false;
    // Writable only while the code is written; executable only afterwards.
    void* mem = VirtualAlloc(nullptr, bytes.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!mem) return false;
    std::memcpy(mem, bytes.data(), bytes.size());
    DWORD old = 0;
    if (!VirtualProtect(mem, bytes.size(), PAGE_EXECUTE_READ, &old)) {
        VirtualFree(mem, 0, MEM_RELEASE);
        return false;
    }
#if defined(_WIN64)
    // Without its entry in the function tables, an exception raised in the
    // target, or a debugger's stack walk, would take the thunk for a leaf
    // and read its frame as the return address.
    auto* entry = reinterpret_cast<RUNTIME_FUNCTION*>(static_cast<uint8_t*>(mem) + code.functionEntry);
    if (!RtlAddFunctionTable(entry, 1, reinterpret_cast<DWORD64>(mem))) {
        VirtualFree(mem, 0, MEM_RELEASE);
        return false;
    }
    functionTable_ = entry;
#endif
    FlushInstructionCache(GetCurrentProcess(), mem, bytes.size());
    code_ = mem;
    size_ = bytes.size();
    return true;
}

void MethodThunk::Free()
{
#if defined(_WIN64)
    if (functionTable_) RtlDeleteFunctionTable(static_cast<RUNTIME_FUNCTION*>(functionTable_));
#endif
    functionTable_ = nullptr;
    if (code_) VirtualFree(code_, 0, MEM_RELEASE);
    code_ = nullptr;
    size_ = 0;
}

}  // namespace orv
