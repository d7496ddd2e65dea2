// The x86-64 thunk. Its own file: the x86-64 build links no other writer.
#include "skin/ThunkWriter.h"

namespace orv::thunk {

using detail::CodeWriter;
using detail::InRange;

X64Code WriteX64(uint64_t object, uint64_t target, int argCount)
{
    X64Code out;
    if (!InRange(argCount)) return out;
    // The target takes argCount + 1 slots: 32 bytes of them at least (the
    // shadow space), and the area a multiple of 16. The return address
    // leaves RSP at 8 modulo 16 on entry, so the frame adds 8 to that.
    uint32_t slots = static_cast<uint32_t>(argCount) + 1;
    uint32_t area = slots * 8 < 32 ? 32 : (slots * 8 + 15) / 16 * 16;
    uint32_t frame = area + 8;

    CodeWriter w;
    w.Bytes({0x48, 0x81, 0xEC});  // sub rsp, imm32
    w.Dword(frame);
    const uint8_t prologSize = static_cast<uint8_t>(w.Size());
    // Incoming argument i sits at [rsp + frame + 8 + 8i] (above the return
    // address); the target's argument i + 1 goes to [rsp + 8(i + 1)].
    for (int i = argCount - 1; i >= 4; --i) {
        w.Bytes({0x48, 0x8B, 0x84, 0x24});  // mov rax, [rsp + disp32]
        w.Dword(frame + 8 + 8 * static_cast<uint32_t>(i));
        w.Bytes({0x48, 0x89, 0x84, 0x24});  // mov [rsp + disp32], rax
        w.Dword(8 * static_cast<uint32_t>(i + 1));
    }
    if (argCount >= 4) w.Bytes({0x4C, 0x89, 0x4C, 0x24, 0x20});  // mov [rsp+32], r9
    if (argCount >= 3) w.Bytes({0x4D, 0x89, 0xC1});              // mov r9, r8
    if (argCount >= 2) w.Bytes({0x49, 0x89, 0xD0});              // mov r8, rdx
    if (argCount >= 1) w.Bytes({0x48, 0x89, 0xCA});              // mov rdx, rcx
    w.Bytes({0x48, 0xB9});  // mov rcx, imm64: the hidden object argument
    w.Qword(object);
    w.Bytes({0x48, 0xB8});  // mov rax, imm64
    w.Qword(target);
    w.Bytes({0xFF, 0xD0});        // call rax
    w.Bytes({0x48, 0x81, 0xC4});  // add rsp, imm32: the epilogue form the unwinder recognises
    w.Dword(frame);
    w.Bytes({0xC3});  // ret
    out.codeSize = w.Size();

    // UNWIND_INFO: version 1, no handler, a prolog of one instruction that
    // allocates the frame, no frame register.
    w.AlignTo(4);
    out.unwindInfo = w.Size();
    const bool small = frame <= 128;
    w.Bytes({0x01, prologSize, static_cast<uint8_t>(small ? 1 : 2), 0x00});
    if (small) {
        w.Bytes({prologSize, static_cast<uint8_t>(0x02 | ((frame - 8) / 8) << 4)});  // UWOP_ALLOC_SMALL
        w.Word(0);  // the code array is padded to an even count
    } else {
        w.Bytes({prologSize, 0x01});  // UWOP_ALLOC_LARGE, size / 8 in the next slot
        w.Word(static_cast<uint16_t>(frame / 8));
    }
    // RUNTIME_FUNCTION, addresses relative to the first byte.
    w.AlignTo(4);
    out.functionEntry = w.Size();
    w.Dword(0);
    w.Dword(out.codeSize);
    w.Dword(out.unwindInfo);
    out.bytes = w.Take();
    return out;
}

}  // namespace orv::thunk
