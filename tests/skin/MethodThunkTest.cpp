// Method thunks called from a hand-written caller that loads sentinel values
// into every register and a non-default x87 control word, then checks what
// the thunk left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "skin/MethodThunk.h"

#if defined(__x86_64__)
// x86-64: sentinels in every non-volatile register (RBX, RBP, RSI, RDI,
// R12-R15) and in XMM6-XMM15; the arguments in RCX, RDX, R8, R9 and the stack
// slots above the caller's 32 bytes of shadow space, as Windows passes them.
using Arg = uint64_t;
constexpr int kNonVolatile = 8;  // rbx, rbp, rsi, rdi, r12, r13, r14, r15
constexpr uint64_t kSentinels[kNonVolatile] = {0x1111111111111111, 0x2222222222222222, 0x3333333333333333,
                                               0x4444444444444444, 0x5555555555555555, 0x6666666666666666,
                                               0x7777777777777777, 0x8888888888888888};
extern "C" {
uint64_t gRegsOut[kNonVolatile];  // the registers above after the call
uint64_t gRspOut = 0;             // rsp after the call
uint64_t gRspBeforeCall = 0;      // rsp at the call
uint64_t gXmmIn[20], gXmmOut[20];  // xmm6..xmm15, two quadwords each
uint64_t gHarnessRbp = 0;
// args has at least four entries (the registers are loaded from them).
uint64_t CallThunkChecked(void* code, const uint64_t* args, int n);
}

asm(R"(
    .text
    .globl CallThunkChecked
CallThunkChecked:
    pushq %rbp
    movq %rsp, %rbp
    pushq %rbx
    pushq %rsi
    pushq %rdi
    pushq %r12
    pushq %r13
    pushq %r14
    pushq %r15
    subq $168, %rsp
    .irp n,6,7,8,9,10,11,12,13,14,15
    movdqu %xmm\n, (\n-6)*16(%rsp)
    .endr
    movq %rbp, gHarnessRbp(%rip)
    movq %rcx, %rax
    movq %rdx, %rsi
    movslq %r8d, %rdi
    # Outgoing area: 8 bytes a slot, 32 at least, a multiple of 16.
    leaq 15(,%rdi,8), %r10
    andq $-16, %r10
    cmpq $32, %r10
    jae 1f
    movq $32, %r10
1:  subq %r10, %rsp
    movq $4, %rcx
2:  cmpq %rdi, %rcx
    jae 3f
    movq (%rsi,%rcx,8), %rdx
    movq %rdx, (%rsp,%rcx,8)
    incq %rcx
    jmp 2b
3:  movq 0(%rsi), %rcx
    movq 8(%rsi), %rdx
    movq 16(%rsi), %r8
    movq 24(%rsi), %r9
    .irp n,6,7,8,9,10,11,12,13,14,15
    movdqu gXmmIn+(\n-6)*16(%rip), %xmm\n
    .endr
    movq %rsp, gRspBeforeCall(%rip)
    movabsq $0x1111111111111111, %rbx
    movabsq $0x2222222222222222, %rbp
    movabsq $0x3333333333333333, %rsi
    movabsq $0x4444444444444444, %rdi
    movabsq $0x5555555555555555, %r12
    movabsq $0x6666666666666666, %r13
    movabsq $0x7777777777777777, %r14
    movabsq $0x8888888888888888, %r15
    call *%rax
    .set at, 0
    .irp r,rbx,rbp,rsi,rdi,r12,r13,r14,r15
    movq %\r, gRegsOut+at(%rip)
    .set at, at+8
    .endr
    movq %rsp, gRspOut(%rip)
    .irp n,6,7,8,9,10,11,12,13,14,15
    movdqu %xmm\n, gXmmOut+(\n-6)*16(%rip)
    .endr
    movq gHarnessRbp(%rip), %rbp
    leaq -224(%rbp), %rsp
    .irp n,6,7,8,9,10,11,12,13,14,15
    movdqu (\n-6)*16(%rsp), %xmm\n
    .endr
    addq $168, %rsp
    popq %r15
    popq %r14
    popq %r13
    popq %r12
    popq %rdi
    popq %rsi
    popq %rbx
    popq %rbp
    ret
)");
#else
// i386: sentinels in every register and a non-default x87 control word.
using Arg = uint32_t;
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

#endif

namespace {

struct Probe {
    Arg tag = 0;
    std::vector<Arg> seen;
    Probe* self = nullptr;
    bool aligned = false;
};

template <size_t>
using ArgAt = Arg;

// Whether this call's stack is as aligned as the convention promises: the
// compiler places a 16-byte aligned local relative to the stack pointer it
// was given, trusting that promise.
__attribute__((noinline)) bool StackAligned()
{
    alignas(16) volatile char probe[16] = {};
    return (reinterpret_cast<uintptr_t>(probe) & 15) == 0;
}

// The target: records what it got, disturbs the x87 control word (i386) and
// the scratch registers, and returns a value that depends on every argument
// in order.
template <size_t... I>
Arg __stdcall Target(Probe* p, ArgAt<I>... args)
{
    const Arg values[] = {args..., 0u};
    p->self = p;
    p->seen.assign(values, values + sizeof...(I));
    p->aligned = StackAligned();
#if !defined(__x86_64__)
    const uint16_t cw = 0x0C7F;  // round toward zero, 64-bit precision
    asm volatile("fldcw %0" : : "m"(cw));
#endif
    Arg r = p->tag;
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

// Calls the thunk from the harness and checks what every convention keeps.
Arg CallAndCheckCallerState(void* code, std::vector<Arg> args)
{
    const int n = static_cast<int>(args.size());
#if defined(__x86_64__)
    for (int i = 0; i < 20; ++i) gXmmIn[i] = 0x0101010101010101ull * static_cast<uint64_t>(i + 1);
    args.resize(std::max<size_t>(args.size(), 4));
    const Arg result = CallThunkChecked(code, args.data(), n);
    const char* names[kNonVolatile] = {"rbx", "rbp", "rsi", "rdi", "r12", "r13", "r14", "r15"};
    for (int i = 0; i < kNonVolatile; ++i) EXPECT_EQ(gRegsOut[i], kSentinels[i]) << names[i];
    EXPECT_EQ(gRspOut, gRspBeforeCall) << "rsp";
    for (int i = 0; i < 20; ++i) EXPECT_EQ(gXmmOut[i], gXmmIn[i]) << "xmm" << 6 + i / 2;
#else
    gCwIn = 0x027F;  // 53-bit precision, not the default
    const Arg result = CallThunkChecked(code, args.data(), n);
    EXPECT_EQ(gRegsOut[0], 0x11111111u) << "ebx";
    EXPECT_EQ(gRegsOut[1], 0x22222222u) << "esi";
    EXPECT_EQ(gRegsOut[2], 0x33333333u) << "edi";
    EXPECT_EQ(gRegsOut[3], 0x44444444u) << "ebp";
    EXPECT_EQ(gRegsOut[4], gEspBeforeArgs) << "esp: the thunk must pop exactly its " << n << " arguments";
    EXPECT_EQ(gRegsOut[5], 0x55555555u) << "ecx";
    EXPECT_EQ(gRegsOut[6], 0x66666666u) << "edx";
    EXPECT_EQ(gCwOut, 0x027F) << "x87 control word";
#endif
    return result;
}

class ThunkArguments : public ::testing::TestWithParam<int> {};

TEST_P(ThunkArguments, ForwardsObjectAndArgumentsAndKeepsCallerState)
{
    const int n = GetParam();
    Probe probe;
    probe.tag = 0xABC00000u + static_cast<Arg>(n);
    orv::MethodThunk thunk;
    ASSERT_TRUE(thunk.Build(&probe, kTargets[n], n));
    ASSERT_NE(thunk.Code(), nullptr);

    std::vector<Arg> args;
    Arg expected = probe.tag;
    for (int i = 0; i < n; ++i) {
        // On x86-64 the upper halves must arrive too.
        args.push_back(static_cast<Arg>(0x9000000000000000ull >> (8 * (8 - sizeof(Arg)))) +
                       0x1000u * static_cast<Arg>(i + 1) + 7u);
        expected = expected * 31u + args.back();
    }
    EXPECT_EQ(CallAndCheckCallerState(thunk.Code(), args), expected);
    EXPECT_EQ(probe.self, &probe);
    EXPECT_EQ(probe.seen, args);
    EXPECT_TRUE(probe.aligned) << "the target was called with a misaligned stack";
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
        static Arg __stdcall Fn(Probe* p, Arg a0, Arg a1, Arg a2, Arg a3, Arg a4, Arg a5, Arg a6, Arg a7, Arg a8,
                                Arg a9, Arg b0, Arg b1, Arg b2, Arg b3, Arg b4, Arg b5, Arg b6, Arg b7, Arg b8, Arg b9,
                                Arg c0, Arg c1, Arg c2, Arg c3, Arg c4, Arg c5, Arg c6, Arg c7, Arg c8, Arg c9, Arg d0,
                                Arg d1, Arg d2, Arg d3, Arg d4, Arg d5, Arg d6, Arg d7, Arg d8, Arg d9)
        {
            const Arg v[] = {a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, b0, b1, b2, b3, b4, b5, b6, b7, b8, b9,
                                  c0, c1, c2, c3, c4, c5, c6, c7, c8, c9, d0, d1, d2, d3, d4, d5, d6, d7, d8, d9};
            p->seen.assign(v, v + 40);
            return p->tag;
        }
    };
    Probe probe;
    probe.tag = 77;
    orv::MethodThunk thunk;
    ASSERT_TRUE(thunk.Build(&probe, reinterpret_cast<void*>(&Sum::Fn), n));
    std::vector<Arg> args;
    for (int i = 0; i < n; ++i) args.push_back(static_cast<Arg>(i * i + 1));
    EXPECT_EQ(CallAndCheckCallerState(thunk.Code(), args), 77u);
    EXPECT_EQ(probe.seen, args);
}

#if defined(__x86_64__)
using Five = Arg (*)(Arg, Arg, Arg, Arg, Arg);

// The caller of the thunk, a function of its own so that the walk can be
// checked against it.
__attribute__((noinline)) Arg CallFive(Five thunk) { return thunk(1, 2, 3, 4, 5) + 1; }

const RUNTIME_FUNCTION* FunctionOf(const void* code)
{
    DWORD64 base = 0;
    return RtlLookupFunctionEntry(reinterpret_cast<DWORD64>(code), &base, nullptr);
}

// An exception raised in the target unwinds through the thunk to a handler
// in its caller, and a stack walk from the target goes from the thunk on to
// that caller: both find the thunk in the function tables. (Without its
// entry the unwinder takes the thunk for a leaf and reads its frame as the
// return address.)
TEST(MethodThunk, ExceptionsAndStackWalksPassThroughTheThunk)
{
    struct Thrower {
        static Arg __stdcall Fn(Probe* p, Arg a, Arg b, Arg c, Arg d, Arg e)
        {
            void* frames[8] = {};
            const USHORT n = CaptureStackBackTrace(0, 8, frames, nullptr);
            p->seen.clear();
            for (USHORT i = 0; i < n; ++i) p->seen.push_back(reinterpret_cast<Arg>(frames[i]));
            throw std::runtime_error(std::to_string(a + b + c + d + e));
        }
    };
    Probe probe;
    orv::MethodThunk thunk;
    ASSERT_TRUE(thunk.Build(&probe, reinterpret_cast<void*>(&Thrower::Fn), 5));
    std::string caught;
    try {
        CallFive(thunk.As<Five>());
    } catch (const std::runtime_error& e) {
        caught = e.what();
    }
    EXPECT_EQ(caught, "15");

    const auto code = reinterpret_cast<Arg>(thunk.Code());
    const auto inThunk = std::find_if(probe.seen.begin(), probe.seen.end(),
                                      [&](Arg f) { return f > code && f <= code + thunk.CodeSize(); });
    ASSERT_NE(inThunk, probe.seen.end()) << "the walk never reached the thunk";
    ASSERT_NE(inThunk + 1, probe.seen.end()) << "the walk ended in the thunk";
    const RUNTIME_FUNCTION* caller = FunctionOf(reinterpret_cast<const void*>(&CallFive));
    ASSERT_NE(caller, nullptr);
    EXPECT_EQ(FunctionOf(reinterpret_cast<const void*>(*(inThunk + 1))), caller)
        << "the frame after the thunk's is not its caller's";
}
#endif
