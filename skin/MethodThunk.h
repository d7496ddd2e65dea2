// Method thunks: small pieces of machine code, built at run time, that let
// Windows call an operation of one object as a plain routine of N arguments
// (a window procedure, a callback).
//
// Calling convention of the target: a __stdcall function taking the object
// pointer first and then the N arguments, e.g.
//     LRESULT __stdcall Target(SkinEngine* self, HWND, UINT, WPARAM, LPARAM);
// It is usually a static trampoline that calls the object's virtual member.
// On i386 the thunk saves all general registers, the flags and the whole x87
// state, pushes the N arguments again with the object in front, calls the
// target, restores everything except EAX (the target's result) and returns
// with "ret 4*N", exactly as a stdcall routine of N arguments does. On x86-64
// it follows the Windows x64 convention and registers unwind data for itself
// (skin/ThunkCode.h).
#pragma once

#include <cstddef>

namespace orv {

class MethodThunk {
public:
    // Largest argument block a thunk is built for, in bytes.
    static constexpr int kMaxArgumentBytes = 1024;

    MethodThunk() = default;
    ~MethodThunk() { Free(); }
    MethodThunk(const MethodThunk&) = delete;
    MethodThunk& operator=(const MethodThunk&) = delete;
    MethodThunk(MethodThunk&& other) noexcept;
    MethodThunk& operator=(MethodThunk&& other) noexcept;

    // Builds the code for object and target with argCount arguments; any
    // earlier code is freed first. False (and no code) when argCount is
    // negative or the arguments exceed kMaxArgumentBytes, or memory fails.
    bool Build(void* object, void* stdcallTarget, int argCount);
    void Free();

    // Entry address, or nullptr when nothing is built.
    void* Code() const { return code_; }
    size_t CodeSize() const { return size_; }

    template <typename Fn>
    Fn As() const
    {
        return reinterpret_cast<Fn>(code_);
    }

private:
    void* code_ = nullptr;
    size_t size_ = 0;
    void* functionTable_ = nullptr;  // x86-64: the thunk's entry in the function tables
};

}  // namespace orv
