# Sourced. Tells which way the PE32 program can run on this machine and sets
#   ORV_PE32_RUN   native    32-bit Wine runs here: the PE32 suite runs as it is
#                  emulated  no 32-bit code here: qemu's i386 handler runs it
#                            (registered for the machine by tools/setup.sh)
#                  private   32-bit code runs here, but the x86_64-only path
#                            was asked for: emulated checks run in a user
#                            namespace with a binfmt_misc of its own, so the
#                            machine's handlers are never touched
#                  none      neither: the PE32 build is only checked, not run
# ORV_X64_ONLY=1 asks for the path of a machine without 32-bit code anywhere.
ORV_ROOT=${ORV_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)}
ORV_CACHE=${ORV_CACHE:-$ORV_ROOT/.cache}
# The emulator of the private path: unpacked by tools/setup.sh, not installed.
ORV_PRIVATE_QEMU=$ORV_CACHE/qemu/usr/bin/qemu-i386-static

# 0 when this kernel runs 32-bit code. An i386 program that starts proves
# nothing (an emulator may have started it), so a 64-bit probe switches to
# the 32-bit code segment itself.
orv_runs_32bit() {
  local probe=$ORV_CACHE/machine/runs32
  mkdir -p "$ORV_CACHE/machine"
  if [ ! -x "$probe" ] || [ "$ORV_ROOT/tools/machine/runs32.S" -nt "$probe" ]; then
    gcc -no-pie -o "$probe" "$ORV_ROOT/tools/machine/runs32.S" || return 2
  fi
  "$probe" 2>/dev/null
}

# 0 when a user namespace may mount a binfmt_misc of its own (Linux 6.7).
orv_private_binfmt_possible() {
  unshare --user --map-root-user --mount --fork \
    sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' >/dev/null 2>&1
}

orv_machine_detect() {
  if orv_runs_32bit; then
    ORV_MACHINE_RUNS_32BIT=1
    if [ -n "${ORV_X64_ONLY:-}" ]; then
      if orv_private_binfmt_possible; then ORV_PE32_RUN=private; else ORV_PE32_RUN=none; fi
    else
      ORV_PE32_RUN=native
    fi
  else
    ORV_MACHINE_RUNS_32BIT=0
    ORV_PE32_RUN=emulated
  fi
  export ORV_MACHINE_RUNS_32BIT ORV_PE32_RUN
}

# The binfmt_misc line for i386 ELF executables and shared objects, run by
# the static qemu ("F": the interpreter is opened now, so it works inside
# Wine's own root changes; "P": argv[0] stays as the program gave it).
orv_qemu_i386_rule() {
  local qemu=$1
  printf ':qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:%s:FP' "$qemu"
}

# Runs a command in a user namespace whose binfmt_misc holds only the
# emulator: there every i386 program is emulated, as on a machine without
# 32-bit code, and the machine's own handlers stay as they are.
orv_with_private_emulator() {
  unshare --user --map-root-user --mount --fork bash -c '
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    printf "%s" "$1" > /proc/sys/fs/binfmt_misc/register
    shift
    exec "$@"' run "$(orv_qemu_i386_rule "$ORV_PRIVATE_QEMU")" "$@"
}
