# A 64-bit program that exits 0 only where this kernel runs 32-bit x86 code
# in a 64-bit process (compatibility mode), and dies of a signal elsewhere.
# 32-bit Wine, and a WoW64 Wine, need exactly that. An i386 ELF that starts
# proves nothing: qemu's binfmt handler starts it too, emulated.
# The far return needs a stack below 4 GB, so build with -no-pie.
        .text
        .globl  main
main:
        push    %rbx
        push    %rbp
        push    %r12
        push    %r13
        push    %r14
        push    %r15
        mov     %rsp, saved_rsp
        lea     stack_top, %rsp
        pushq   $0x23                   # the 32-bit user code segment
        pushq   $in32
        lretq
        .code32
in32:
        xor     %eax, %eax
        pushl   $0x33                   # back to the 64-bit segment
        pushl   $in64
        lret
        .code64
in64:
        mov     saved_rsp, %rsp
        pop     %r15
        pop     %r14
        pop     %r13
        pop     %r12
        pop     %rbp
        pop     %rbx
        xor     %eax, %eax
        ret

        .data
saved_rsp:
        .quad   0
        .bss
        .align  16
        .space  4096
stack_top:
        .section .note.GNU-stack,"",@progbits
