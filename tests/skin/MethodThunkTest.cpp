// Method thunks called from a hand-written caller that loads sentinel values
// into every register and a non-default x87 control word, then checks what
// the thunk left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "skin/MethodThunk.h"

extern "C" {
uint32_t gRegsOut[7];          // ebx, esi, edi, ebp, esp, ecx, edx after the call
uint32_t gEspBeforeArgs = 0;   // esp before the arguments were pushed
uint32_t gHarnessEbp = 0;
uint16_t gCwIn = 0, gCwOut = 0, gCwSaved = 0;
// cdecl: pushes args[n-1]..args[0], loads the sentinels, calls code.
uint32_t CallThunkChecked(void* code, const uint32_t* args, int n);
}

asm(R"(
    .text
    .globl _CallThunkChecked
_CallThunkChecked:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    fnstcw _gCwSaved
    movl %esp, _gEspBeforeArgs
    movl 16(%ebp), %ecx
    movl 12(%ebp), %edx
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%edx,%ecx,4)
    jmp 1b
2:  movl 8(%ebp), %eax
    movl %ebp, _gHarnessEbp
    fldcw _gCwIn
    movl $0x11111111, %ebx
    movl $0x22222222, %esi
    movl $0x33333333, %edi
    movl $0x44444444, %ebp
    movl $0x55555555, %ecx
    movl $0x66666666, %edx
    call *%eax
    movl %ebx, _gRegsOut
    movl %esi, _gRegsOut+4
    movl %edi, _gRegsOut+8
    movl %ebp, _gRegsOut+12
    movl %esp, _gRegsOut+16
    movl %ecx, _gRegsOut+20
    movl %edx, _gRegsOut+24
    fnstcw _gCwOut
    fldcw _gCwSaved
    movl _gHarnessEbp, %ebp
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

namespace {

struct Probe {
    uint32_t tag = 0;
    std::vector<uint32_t> seen;
    Probe* self = nullptr;
};

template <size_t>
using U32 = uint32_t;

// The target: records what it got, disturbs the x87 control word and the
// scratch registers, and returns a value that depends on every argument in
// order.
template <size_t... I>
uint32_t __stdcall Target(Probe* p, U32<I>... args)
{
    const uint32_t values[] = {args..., 0u};
    p->self = p;
    p->seen.assign(values, values + sizeof...(I));
    const uint16_t cw = 0x0C7F;  // round toward zero, 64-bit precision
    asm volatile("fldcw %0" : : "m"(cw));
    uint32_t r = p->tag;
    for (size_t i = 0; i < sizeof...(I); ++i) r = r * 31u + values[i];
    return r;
}

template <size_t... I>
void* TargetFor(std::index_sequence<I...>)
{
    return reinterpret_cast<void*>(&Target<I...>);
}

template <size_t N>
void* TargetOf()
{
    return TargetFor(std::make_index_sequence<N>());
}

void* const kTargets[] = {TargetOf<0>(), TargetOf<1>(), TargetOf<2>(), TargetOf<3>(), TargetOf<4>(),
                          TargetOf<5>(), TargetOf<6>(), TargetOf<7>(), TargetOf<8>()};

}  // namespace

class ThunkArguments : public ::testing::TestWithParam<int> {};

TEST_P(ThunkArguments, ForwardsObjectAndArgumentsAndKeepsCallerState)
{
    const int n = GetParam();
    Probe probe;
    probe.tag = 0xABC00000u + static_cast<uint32_t>(n);
    orv::MethodThunk thunk;
    ASSERT_TRUE(thunk.Build(&probe, kTargets[n], n));
    ASSERT_NE(thunk.Code(), nullptr);

    std::vector<uint32_t> args;
    uint32_t expected = probe.tag;
    for (int i = 0; i < n; ++i) {
        args.push_back(0x1000u * static_cast<uint32_t>(i + 1) + 7u);
        expected = expected * 31u + args.back();
    }
    gCwIn = 0x027F;  // 53-bit precision, not the default
    const uint32_t result = CallThunkChecked(thunk.Code(), args.data(), n);

    EXPECT_EQ(result, expected);
    EXPECT_EQ(probe.self, &probe);
    EXPECT_EQ(probe.seen, args);
    EXPECT_EQ(gRegsOut[0], 0x11111111u) << "ebx";
    EXPECT_EQ(gRegsOut[1], 0x22222222u) << "esi";
    EXPECT_EQ(gRegsOut[2], 0x33333333u) << "edi";
    EXPECT_EQ(gRegsOut[3], 0x44444444u) << "ebp";
    EXPECT_EQ(gRegsOut[4], gEspBeforeArgs) << "esp: the thunk must pop exactly its " << n << " arguments";
    EXPECT_EQ(gRegsOut[5], 0x55555555u) << "ecx";
    EXPECT_EQ(gRegsOut[6], 0x66666666u) << "edx";
    EXPECT_EQ(gCwOut, 0x027F) << "x87 control word";
}

INSTANTIATE_TEST_SUITE_P(ZeroToEight, ThunkArguments, ::testing::Range(0, 9));

TEST(MethodThunk, CodeIsExecutableAndNotWritable)
{
    Probe probe;
    orv::MethodThunk thunk;
    ASSERT_TRUE(thunk.Build(&probe, kTargets[4], 4));
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(VirtualQuery(thunk.Code(), &info, sizeof(info)), 0u);
    EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
}

TEST(MethodThunk, ArgumentBlockLimitIs1024Bytes)
{
    Probe probe;
    orv::MethodThunk thunk;
    EXPECT_TRUE(thunk.Build(&probe, kTargets[0], 256));
    EXPECT_NE(thunk.Code(), nullptr);
    EXPECT_FALSE(thunk.Build(&probe, kTargets[0], 257));
    EXPECT_EQ(thunk.Code(), nullptr);
    EXPECT_FALSE(thunk.Build(&probe, kTargets[0], -1));
}

TEST(MethodThunk, ManyArgumentsUseLongDisplacements)
{
    // 40 arguments: offsets beyond 127 bytes need the 32-bit displacement form.
    constexpr int n = 40;
    struct Sum {
        static uint32_t __stdcall Fn(Probe* p, uint32_t a0, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4,
                                     uint32_t a5, uint32_t a6, uint32_t a7, uint32_t a8, uint32_t a9, uint32_t b0,
                                     uint32_t b1, uint32_t b2, uint32_t b3, uint32_t b4, uint32_t b5, uint32_t b6,
                                     uint32_t b7, uint32_t b8, uint32_t b9, uint32_t c0, uint32_t c1, uint32_t c2,
                                     uint32_t c3, uint32_t c4, uint32_t c5, uint32_t c6, uint32_t c7, uint32_t c8,
                                     uint32_t c9, uint32_t d0, uint32_t d1, uint32_t d2, uint32_t d3, uint32_t d4,
                                     uint32_t d5, uint32_t d6, uint32_t d7, uint32_t d8, uint32_t d9)
        {
            const uint32_t v[] = {a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, b0, b1, b2, b3, b4, b5, b6, b7, b8, b9,
                                  c0, c1, c2, c3, c4, c5, c6, c7, c8, c9, d0, d1, d2, d3, d4, d5, d6, d7, d8, d9};
            p->seen.assign(v, v + 40);
            return p->tag;
        }
    };
    Probe probe;
    probe.tag = 77;
    orv::MethodThunk thunk;
    ASSERT_TRUE(thunk.Build(&probe, reinterpret_cast<void*>(&Sum::Fn), n));
    std::vector<uint32_t> args;
    for (int i = 0; i < n; ++i) args.push_back(static_cast<uint32_t>(i * i + 1));
    gCwIn = 0x037F;
    EXPECT_EQ(CallThunkChecked(thunk.Code(), args.data(), n), 77u);
    EXPECT_EQ(probe.seen, args);
    EXPECT_EQ(gRegsOut[4], gEspBeforeArgs);
}
