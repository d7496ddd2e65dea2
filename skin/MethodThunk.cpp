#include "skin/MethodThunk.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace orv {

namespace {

// Bytes of the whole x87 state saved by FNSAVE (32-bit protected mode).
constexpr int32_t kFpuStateBytes = 108;
// What the thunk keeps below EBP: PUSHAD (32), PUSHFD (4), the x87 state.
constexpr int32_t kSavedBytes = 32 + 4 + kFpuStateBytes;

class CodeWriter {
public:
    void Bytes(std::initializer_list<uint8_t> b) { code_.insert(code_.end(), b); }
    void Dword(uint32_t v)
    {
        for (int i = 0; i < 4; ++i) code_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    const std::vector<uint8_t>& Code() const { return code_; }

private:
    std::vector<uint8_t> code_;
};

std::vector<uint8_t> EmitThunk(void* object, void* target, int argCount)
{
    CodeWriter w;
    w.Bytes({0x55});              // push ebp
    w.Bytes({0x89, 0xE5});        // mov ebp, esp
    w.Bytes({0x60});              // pushad
    w.Bytes({0x9C});              // pushfd
    w.Bytes({0xFC});              // cld: the target is compiled code that expects DF clear
    w.Bytes({0x83, 0xEC, kFpuStateBytes});  // sub esp, 108
    w.Bytes({0xDD, 0x34, 0x24});  // fnsave [esp]: saves and resets the x87 unit for the target
    // Arguments again, last first, read from the caller's frame.
    for (int i = argCount - 1; i >= 0; --i) {
        int32_t disp = 8 + 4 * i;
        if (disp <= 127) {
            w.Bytes({0xFF, 0x75, static_cast<uint8_t>(disp)});  // push dword [ebp+disp8]
        } else {
            w.Bytes({0xFF, 0xB5});  // push dword [ebp+disp32]
            w.Dword(static_cast<uint32_t>(disp));
        }
    }
    w.Bytes({0x68});  // push imm32: the hidden object argument
    w.Dword(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object)));
    w.Bytes({0xB8});  // mov eax, imm32
    w.Dword(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(target)));
    w.Bytes({0xFF, 0xD0});  // call eax
    // Back to the saved area from EBP, so a target that popped the wrong
    // number of bytes cannot unbalance the caller's stack.
    w.Bytes({0x8D, 0xA5});  // lea esp, [ebp - kSavedBytes]
    w.Dword(static_cast<uint32_t>(-kSavedBytes));
    w.Bytes({0xDD, 0x24, 0x24});  // frstor [esp]
    w.Bytes({0x83, 0xC4, kFpuStateBytes});  // add esp, 108
    w.Bytes({0x9D});                    // popfd
    w.Bytes({0x89, 0x44, 0x24, 0x1C});  // mov [esp+28], eax: the result replaces the saved EAX
    w.Bytes({0x61});                    // popad
    w.Bytes({0x5D});                    // pop ebp
    if (argCount == 0) {
        w.Bytes({0xC3});  // ret
    } else {
        uint16_t n = static_cast<uint16_t>(argCount * 4);
        w.Bytes({0xC2, static_cast<uint8_t>(n & 0xFF), static_cast<uint8_t>(n >> 8)});  // ret n
    }
    return w.Code();
}

}  // namespace

MethodThunk::MethodThunk(MethodThunk&& other) noexcept
    : code_(std::exchange(other.code_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MethodThunk& MethodThunk::operator=(MethodThunk&& other) noexcept
{
    if (this != &other) {
        Free();
        code_ = std::exchange(other.code_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

bool MethodThunk::Build(void* object, void* stdcallTarget, int argCount)
{
    Free();
    if (argCount < 0 || argCount * 4 > kMaxArgumentBytes || !stdcallTarget) return false;
    std::vector<uint8_t> code = EmitThunk(object, stdcallTarget, argCount);
    // Writable only while the code is written; executable only afterwards.
    void* mem = VirtualAlloc(nullptr, code.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!mem) return false;
    std::memcpy(mem, code.data(), code.size());
    DWORD old = 0;
    if (!VirtualProtect(mem, code.size(), PAGE_EXECUTE_READ, &old)) {
        VirtualFree(mem, 0, MEM_RELEASE);
        return false;
    }
    FlushInstructionCache(GetCurrentProcess(), mem, code.size());
    code_ = mem;
    size_ = code.size();
    return true;
}

void MethodThunk::Free()
{
    if (code_) VirtualFree(code_, 0, MEM_RELEASE);
    code_ = nullptr;
    size_ = 0;
}

}  // namespace orv
