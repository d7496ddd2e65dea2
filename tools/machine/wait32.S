# An i386 program that only waits for a signal. The stand-in for a machine
# without 32-bit code starts it to see who runs it (/proc/PID/exe names the
# emulator, or the program itself where the kernel ran it).
        .text
        .globl  _start
_start:
        mov     $29, %eax               # pause()
        int     $0x80
        mov     $1, %eax                # exit(0)
        xor     %ebx, %ebx
        int     $0x80
        .section .note.GNU-stack,"",@progbits
