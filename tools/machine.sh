# Sourced. Tells which way the PE32 program can run on this machine and sets
#   ORV_MACHINE_RUNS_32BIT  1 where the kernel runs 32-bit code, else 0 (0
#                           inside the stand-in too: that is what it stands
#                           in for)
#   ORV_PE32_RUN   native    32-bit Wine runs here: the PE32 suite runs as it is
#                  emulated  no 32-bit code here, and qemu's i386 handler is
#                            registered and on: one end-to-end pass runs
#                            emulated (the handler is tools/setup.sh's)
#                  standin   32-bit code runs here, but ORV_X64_ONLY=1 asks for
#                            the path of a machine without it: the scripts
#                            run again inside orv_standin, where they see
#                            "emulated"
#                  none      the PE32 build is only read, not run; ORV_PE32_WHY
#                            says why
# The answer is read from the machine each time, never remembered: a handler
# that was switched off or unregistered since shows up at once.
ORV_ROOT=${ORV_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)}
ORV_CACHE=${ORV_CACHE:-$ORV_ROOT/.cache}
ORV_BINFMT=${ORV_BINFMT:-/proc/sys/fs/binfmt_misc}
# The emulator registered for the machine, from Debian's qemu-user-static.
ORV_MACHINE_QEMU=/usr/bin/qemu-i386-static
# The stand-in's emulator: unpacked by tools/setup.sh, not installed, so that
# nothing registers it for the machine.
ORV_STANDIN_QEMU=${ORV_STANDIN_QEMU:-$ORV_CACHE/qemu/usr/bin/qemu-i386-static}

# 0 when this kernel runs 32-bit code, 1 when it does not (the probe dies of
# SIGSEGV), 2 when that cannot be told. An i386 program that starts proves
# nothing (an emulator may have started it), so a 64-bit probe switches to
# the 32-bit code segment itself. A probe that could not be built says
# nothing about the kernel: that is 2, never "no 32-bit code", which would
# register an emulator for every i386 program of a machine that runs them.
orv_runs_32bit() {
  local probe=$ORV_CACHE/machine/runs32 status=0
  mkdir -p "$ORV_CACHE/machine" || return 2
  if [ ! -x "$probe" ] || [ "$ORV_ROOT/tools/machine/runs32.S" -nt "$probe" ]; then
    rm -f "$probe"
    gcc -no-pie -o "$probe" "$ORV_ROOT/tools/machine/runs32.S" >&2 || return 2
  fi
  (exec "$probe") 2>/dev/null || status=$?
  case $status in
    0) return 0 ;;
    139) return 1 ;;  # 128 + SIGSEGV
    *) return 2 ;;
  esac
}

# 0 when a user namespace may mount a binfmt_misc of its own (Linux 6.7),
# which the stand-in needs.
orv_standin_possible() {
  unshare --user --map-root-user --mount --fork \
    sh -c "mount -t binfmt_misc binfmt_misc $ORV_BINFMT" >/dev/null 2>&1
}

# 0 when the i386 handler is registered, on, and its emulator is there;
# otherwise ORV_PE32_WHY says what is missing.
orv_emulator_ready() {
  local handler=$ORV_BINFMT/qemu-i386 interpreter
  if [ ! -e "$handler" ]; then
    ORV_PE32_WHY="no emulator is registered for i386 programs (tools/setup.sh registers one where binfmt_misc allows it)"
    return 1
  fi
  if [ "$(head -n1 "$handler")" != enabled ]; then
    ORV_PE32_WHY="the i386 emulator's handler is switched off ($handler)"
    return 1
  fi
  interpreter=$(sed -n 's/^interpreter //p' "$handler")
  if [ ! -x "$interpreter" ]; then
    ORV_PE32_WHY="the i386 handler's emulator $interpreter is missing"
    return 1
  fi
}

orv_machine_detect() {
  local runs=0
  ORV_PE32_WHY=
  if [ -n "${ORV_IN_STANDIN:-}" ]; then
    runs=1
  else
    orv_runs_32bit || runs=$?
  fi
  case $runs in
    0)
      ORV_MACHINE_RUNS_32BIT=1
      if [ -z "${ORV_X64_ONLY:-}" ]; then
        ORV_PE32_RUN=native
      elif orv_standin_possible; then
        ORV_PE32_RUN=standin
      else
        ORV_PE32_RUN=none
        ORV_PE32_WHY="this kernel runs 32-bit code and no user namespace may mount a binfmt_misc of its own (Linux 6.7 or later), so there is no stand-in for a machine without it"
      fi
      ;;
    1)
      ORV_MACHINE_RUNS_32BIT=0
      if orv_emulator_ready; then ORV_PE32_RUN=emulated; else ORV_PE32_RUN=none; fi
      ;;
    *)
      echo "machine: cannot tell whether this kernel runs 32-bit code: the probe" \
           "tools/machine/runs32.S could not be built (gcc and libc6-dev) or ended in an unexpected way" >&2
      return 1
      ;;
  esac
  export ORV_MACHINE_RUNS_32BIT ORV_PE32_RUN ORV_PE32_WHY
}

# 0 when 32-bit Wine is installed; otherwise says so for the caller named.
orv_need_wine32() {
  dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' && return 0
  echo "$1: 32-bit Wine (wine32:i386) is not installed (see tools/setup.sh's output): the PE32 release cannot run" >&2
  return 1
}

# The binfmt_misc line that hands i386 ELF executables and shared objects
# to an interpreter ("F": opened now, so it serves every mount namespace;
# "P": argv[0] stays as the program gave it).
orv_i386_rule() {
  local name=$1 interpreter=$2
  printf ':%s:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:%s:FP' \
    "$name" "$interpreter"
}

# Switches a binfmt_misc handler on (1) or off (0), through sudo where needed.
orv_binfmt_switch() {
  local handler=$ORV_BINFMT/$1 value=$2
  if [ -w "$handler" ]; then
    echo "$value" > "$handler"
  else
    echo "$value" | sudo tee "$handler" >/dev/null
  fi
}

# Runs a command with the i386 handler switched off, and switches it on
# again however the command ends (an error, Ctrl+C, a TERM). Only a KILL
# gets past this; tools/setup.sh then finds the handler off and switches it
# on before anything else.
orv_with_emulator_off() {
  (
    trap 'orv_binfmt_switch qemu-i386 1' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
    orv_binfmt_switch qemu-i386 0
    "$@"
  )
}

# The i386 program the stand-in proves itself with: it only waits. (as and
# ld are binutils, which gcc brings.)
orv_wait32_program() {
  local program=$ORV_CACHE/machine/wait32
  if [ ! -x "$program" ] || [ "$ORV_ROOT/tools/machine/wait32.S" -nt "$program" ]; then
    as --32 -o "$program.o" "$ORV_ROOT/tools/machine/wait32.S" &&
      ld -m elf_i386 -o "$program" "$program.o" && rm -f "$program.o" || return 1
  fi
  echo "$program"
}

# Runs a command as on a machine whose kernel runs no 32-bit code, on a
# machine whose kernel does. In a user namespace with a binfmt_misc of its
# own, two handlers take every i386 ELF program before the kernel's own
# loader can: the emulator, as tools/setup.sh registers it on such a machine,
# and under it a rule whose interpreter is no program at all, so that with
# the emulator switched off the start fails with ENOEXEC, as there. Before the
# command runs, both are proved: an i386 program is found run by qemu, then
# refused. Its own PID namespace ends every process left when the command
# ends. Any step that fails stops it before the command runs.
orv_standin() {
  local refused=$ORV_CACHE/machine/no-32-bit-code wait32
  [ -x "$ORV_STANDIN_QEMU" ] || { echo "stand-in: no emulator at $ORV_STANDIN_QEMU (tools/setup.sh unpacks it)" >&2; return 1; }
  wait32=$(orv_wait32_program) || { echo "stand-in: cannot build the i386 test program" >&2; return 1; }
  # A stand-in holds the file open while it lasts ("F"): written once.
  if [ ! -x "$refused" ]; then
    printf 'not a program: this machine runs no 32-bit code\n' > "$refused.new" && chmod 755 "$refused.new" &&
      mv "$refused.new" "$refused" || return 1
  fi
  unshare --user --map-root-user --mount --pid --fork --mount-proc --kill-child bash -c '
    set -euo pipefail
    binfmt=$1 wait32=$4 qemu=$5
    mount -t binfmt_misc binfmt_misc "$binfmt"
    printf "%s" "$2" > "$binfmt/register"
    printf "%s" "$3" > "$binfmt/register"
    "$wait32" & pid=$!
    exe=
    for _ in $(seq 1 100); do
      exe=$(readlink "/proc/$pid/exe" || true)
      [ "$exe" = "$qemu" ] && break
      sleep 0.02
    done
    kill $pid; wait $pid 2>/dev/null || true
    [ "$exe" = "$qemu" ] || { echo "stand-in: an i386 program ran as $exe, not under $qemu" >&2; exit 1; }
    echo 0 > "$binfmt/qemu-i386"
    status=0
    out=$(timeout 5 bash -c "exec \"\$0\"" "$wait32" 2>&1) || status=$?
    if [ $status -ne 126 ] || [[ $out != *"Exec format error"* ]]; then
      echo "stand-in: with the emulator off an i386 program was not refused (exit $status: $out)" >&2
      exit 1
    fi
    echo 1 > "$binfmt/qemu-i386"
    shift 5
    export ORV_IN_STANDIN=1
    exec "$@"' standin "$ORV_BINFMT" "$(orv_i386_rule no-i386 "$refused")" \
      "$(orv_i386_rule qemu-i386 "$ORV_STANDIN_QEMU")" "$wait32" "$ORV_STANDIN_QEMU" "$@"
}
