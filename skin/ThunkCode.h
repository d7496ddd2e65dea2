// The machine code of method thunks (see MethodThunk.h), written as bytes.
// Portable on purpose: the host tests check the bytes of both writers on a
// machine that may execute neither kind of code.
#pragma once

#include <cstdint>
#include <vector>

namespace orv::thunk {

// Largest argument count a thunk is written for: 1024 bytes of 32-bit
// arguments. The x86-64 thunk takes the same count of 64-bit slots.
constexpr int kMaxArguments = 256;

// i386: called as a stdcall routine of argCount 32-bit arguments, it calls
// the stdcall target with the object pushed in front of them, keeps every
// register but EAX, the flags and the whole x87 state, and pops the
// arguments with "ret 4*argCount". Empty when argCount is out of range.
std::vector<uint8_t> WriteI386(uint32_t object, uint32_t target, int argCount);

// x86-64, Windows x64 calling convention: the arguments move one place on
// (RCX to RDX, RDX to R8, R8 to R9, R9 and the stack slots one slot up) and
// RCX takes the object. The thunk keeps RSP 16-byte aligned at the call,
// gives the target its 32 bytes of shadow space, touches no non-volatile
// register and no XMM register, and is described by the unwind data below.
struct X64Code {
    std::vector<uint8_t> bytes;  // code, then the unwind data, then the function entry
    uint32_t codeSize = 0;       // the code is bytes[0, codeSize)
    uint32_t unwindInfo = 0;     // offset of the UNWIND_INFO (4-byte aligned)
    uint32_t functionEntry = 0;  // offset of the RUNTIME_FUNCTION (begin, end, unwind info; from bytes[0])
};
// Empty bytes when argCount is out of range.
X64Code WriteX64(uint64_t object, uint64_t target, int argCount);

}  // namespace orv::thunk
