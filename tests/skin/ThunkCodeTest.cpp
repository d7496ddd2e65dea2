// The bytes of both thunk writers against the GNU assembler's encoding of the
// same instructions, on the host: the i386 code stays checked on a machine
// that executes no 32-bit code, and the x86-64 unwind data is checked as the
// unwinder will read it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "skin/ThunkCode.h"

namespace {

using Bytes = std::vector<uint8_t>;
using orv::thunk::WriteI386;
using orv::thunk::WriteX64;

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// push ebp / mov ebp,esp / pushad / pushfd / cld / sub esp,108 / fnsave [esp]
const Bytes kI386Prolog = {0x55, 0x89, 0xE5, 0x60, 0x9C, 0xFC, 0x83, 0xEC, 0x6C, 0xDD, 0x34, 0x24};
// push 0x11223344 / mov eax,0x55667788 / call eax / lea esp,[ebp-144] /
// frstor [esp] / add esp,108 / popfd / mov [esp+28],eax / popad / pop ebp
const Bytes kI386Call = {0x68, 0x44, 0x33, 0x22, 0x11, 0xB8, 0x88, 0x77, 0x66, 0x55, 0xFF, 0xD0,
                         0x8D, 0xA5, 0x70, 0xFF, 0xFF, 0xFF, 0xDD, 0x24, 0x24, 0x83, 0xC4, 0x6C,
                         0x9D, 0x89, 0x44, 0x24, 0x1C, 0x61, 0x5D};

}  // namespace

TEST(ThunkCode, I386BytesAreTheAssemblersEncoding)
{
    // ret
    EXPECT_EQ(WriteI386(0x11223344, 0x55667788, 0), Join({kI386Prolog, kI386Call, {0xC3}}));
    // push dword [ebp+12] / push dword [ebp+8] ... ret 8
    EXPECT_EQ(WriteI386(0x11223344, 0x55667788, 2),
              Join({kI386Prolog, {0xFF, 0x75, 0x0C, 0xFF, 0x75, 0x08}, kI386Call, {0xC2, 0x08, 0x00}}));
    // Forty arguments: push dword [ebp+164] (disp32) first, [ebp+124] is the
    // last that a disp8 reaches; ret 160.
    const Bytes many = WriteI386(0x11223344, 0x55667788, 40);
    ASSERT_EQ(many.size(), kI386Prolog.size() + 10 * 6 + 30 * 3 + kI386Call.size() + 3);
    EXPECT_EQ(Bytes(many.begin() + 12, many.begin() + 18), (Bytes{0xFF, 0xB5, 0xA4, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Bytes(many.begin() + 66, many.begin() + 72), (Bytes{0xFF, 0xB5, 0x80, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Bytes(many.begin() + 72, many.begin() + 75), (Bytes{0xFF, 0x75, 0x7C}));
    EXPECT_EQ(Bytes(many.end() - 3, many.end()), (Bytes{0xC2, 0xA0, 0x00}));
}

TEST(ThunkCode, X64BytesAreTheAssemblersEncodingAndUnwindDataDescribesThem)
{
    const orv::thunk::X64Code six = WriteX64(0x1122334455667788ull, 0x99AABBCCDDEEFF00ull, 6);
    const Bytes code = {
        0x48, 0x81, 0xEC, 0x48, 0x00, 0x00, 0x00,        // sub rsp, 72
        0x48, 0x8B, 0x84, 0x24, 0x78, 0x00, 0x00, 0x00,  // mov rax, [rsp+120]
        0x48, 0x89, 0x84, 0x24, 0x30, 0x00, 0x00, 0x00,  // mov [rsp+48], rax
        0x48, 0x8B, 0x84, 0x24, 0x70, 0x00, 0x00, 0x00,  // mov rax, [rsp+112]
        0x48, 0x89, 0x84, 0x24, 0x28, 0x00, 0x00, 0x00,  // mov [rsp+40], rax
        0x4C, 0x89, 0x4C, 0x24, 0x20,                    // mov [rsp+32], r9
        0x4D, 0x89, 0xC1,                                // mov r9, r8
        0x49, 0x89, 0xD0,                                // mov r8, rdx
        0x48, 0x89, 0xCA,                                // mov rdx, rcx
        0x48, 0xB9, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11,  // mov rcx, object
        0x48, 0xB8, 0x00, 0xFF, 0xEE, 0xDD, 0xCC, 0xBB, 0xAA, 0x99,  // mov rax, target
        0xFF, 0xD0,                                      // call rax
        0x48, 0x81, 0xC4, 0x48, 0x00, 0x00, 0x00,        // add rsp, 72
        0xC3};                                           // ret
    ASSERT_EQ(six.codeSize, code.size());
    EXPECT_EQ(Bytes(six.bytes.begin(), six.bytes.begin() + six.codeSize), code);
    // Version 1, a 7-byte prolog, one code: at offset 7, UWOP_ALLOC_SMALL of
    // (8 + 8 * 8) = 72 bytes, padded to an even slot count.
    ASSERT_EQ(six.unwindInfo % 4, 0u);
    EXPECT_EQ(Bytes(six.bytes.begin() + six.unwindInfo, six.bytes.begin() + six.unwindInfo + 8),
              (Bytes{0x01, 0x07, 0x01, 0x00, 0x07, 0x82, 0x00, 0x00}));
    ASSERT_EQ(six.functionEntry % 4, 0u);
    ASSERT_EQ(six.bytes.size(), six.functionEntry + 12u);
    auto dword = [&](size_t at) {
        return uint32_t(six.bytes[at]) | uint32_t(six.bytes[at + 1]) << 8 | uint32_t(six.bytes[at + 2]) << 16 |
               uint32_t(six.bytes[at + 3]) << 24;
    };
    EXPECT_EQ(dword(six.functionEntry), 0u);
    EXPECT_EQ(dword(six.functionEntry + 4), six.codeSize);
    EXPECT_EQ(dword(six.functionEntry + 8), six.unwindInfo);

    // With no argument the frame is the shadow space and the alignment word:
    // sub rsp, 40, and nothing moves but the object into RCX.
    const orv::thunk::X64Code none = WriteX64(1, 2, 0);
    EXPECT_EQ(Bytes(none.bytes.begin(), none.bytes.begin() + 7), (Bytes{0x48, 0x81, 0xEC, 0x28, 0x00, 0x00, 0x00}));
    EXPECT_EQ(none.bytes[7], 0x48);
    EXPECT_EQ(none.bytes[8], 0xB9);
    // The largest frame needs UWOP_ALLOC_LARGE with the size in 8-byte units:
    // 257 slots rounded to 2064 bytes, plus the alignment word.
    const orv::thunk::X64Code largest = WriteX64(1, 2, orv::thunk::kMaxArguments);
    EXPECT_EQ(Bytes(largest.bytes.begin() + largest.unwindInfo, largest.bytes.begin() + largest.unwindInfo + 8),
              (Bytes{0x01, 0x07, 0x02, 0x00, 0x07, 0x01, 0x03, 0x01}));  // 259 = 2072 / 8
}

TEST(ThunkCode, OutOfRangeArgumentCountsWriteNothing)
{
    EXPECT_TRUE(WriteI386(1, 2, -1).empty());
    EXPECT_TRUE(WriteI386(1, 2, orv::thunk::kMaxArguments + 1).empty());
    EXPECT_FALSE(WriteI386(1, 2, orv::thunk::kMaxArguments).empty());
    EXPECT_TRUE(WriteX64(1, 2, -1).bytes.empty());
    EXPECT_TRUE(WriteX64(1, 2, orv::thunk::kMaxArguments + 1).bytes.empty());
}
