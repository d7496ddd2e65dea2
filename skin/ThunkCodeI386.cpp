// The i386 thunk. Its own file: the i386 build links no other writer.
#include "skin/ThunkWriter.h"

namespace orv::thunk {

using detail::CodeWriter;
using detail::InRange;

namespace {

// Bytes of the whole x87 state saved by FNSAVE (32-bit protected mode).
constexpr int32_t kFpuStateBytes = 108;
// What the i386 thunk keeps below EBP: PUSHAD (32), PUSHFD (4), the x87 state.
constexpr int32_t kSavedBytes = 32 + 4 + kFpuStateBytes;

}  // namespace

std::vector<uint8_t> WriteI386(uint32_t object, uint32_t target, int argCount)
{
    if (!InRange(argCount)) return {};
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
    w.Dword(object);
    w.Bytes({0xB8});  // mov eax, imm32
    w.Dword(target);
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
    return w.Take();
}

}  // namespace orv::thunk
