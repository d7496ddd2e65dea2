#!/usr/bin/env bash
# The machine-adapting scripts refuse rather than pass with nothing tested.
# Each case gives a script a broken input and expects its refusal.
#   fail_closed_test.sh machine    the probe, the stand-in, the handler switch,
#                                  the detection, the ctest calls
#   fail_closed_test.sh emulated   tools/emulated-check.sh (on the emulated
#                                  path, after the builds)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

# expect_failure NAME MESSAGE COMMAND...: COMMAND must fail and say MESSAGE.
expect_failure() {
  local name=$1 message=$2 out status=0
  shift 2
  out=$("$@" 2>&1) || status=$?
  if [ $status -ne 0 ] && [[ $out == *"$message"* ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $name: exit $status, expected a failure saying \"$message\"; it said:"
    printf '%s\n' "$out" | tail -n 5 | sed 's/^/    /'
  fi
}
# expect_output NAME EXPECTED COMMAND...: COMMAND succeeds and prints EXPECTED.
expect_output() {
  local name=$1 expected=$2 out status=0
  shift 2
  out=$("$@" 2>&1) || status=$?
  if [ $status -eq 0 ] && [ "$out" = "$expected" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $name: exit $status, expected \"$expected\", got \"$out\""
  fi
}

machine_cases() {
  # A probe that cannot be built tells nothing about the kernel.
  mkdir -p "$work/no-cc"
  printf '#!/bin/sh\necho "gcc: cannot find crt1.o" >&2\nexit 1\n' > "$work/no-cc/gcc"
  chmod 755 "$work/no-cc/gcc"
  expect_failure "probe not built" "cannot tell whether this kernel runs 32-bit code" \
    env -u ORV_IN_STANDIN PATH="$work/no-cc:$PATH" ORV_CACHE="$work/cache" bash -c '. tools/machine.sh; orv_machine_detect'

  # Where the kernel runs no 32-bit code, the handler decides the path.
  mkdir -p "$work/binfmt"
  expect_output "no handler" "none: no emulator is registered" \
    env ORV_IN_STANDIN=1 ORV_BINFMT="$work/binfmt" bash -c \
    '. tools/machine.sh; orv_machine_detect; echo "$ORV_PE32_RUN: ${ORV_PE32_WHY%% for*}"'
  printf 'disabled\ninterpreter /bin/true\n' > "$work/binfmt/qemu-i386"
  expect_output "handler off" "none: the i386 emulator's handler is switched off" \
    env ORV_IN_STANDIN=1 ORV_BINFMT="$work/binfmt" bash -c \
    '. tools/machine.sh; orv_machine_detect; echo "$ORV_PE32_RUN: ${ORV_PE32_WHY%% (*}"'

  # Every ctest run of the scripts must run tests (ctest alone exits 0 when
  # none matched).
  local bare
  bare=$(grep -n '\bctest ' tools/*.sh | grep -v -- '--no-tests=error' | grep -v -- '--show-only' | grep -v '^[^:]*:[0-9]*: *#' || true)
  if [ -z "$bare" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "FAILED: ctest without --no-tests=error: $bare"
  fi

  . tools/machine.sh
  if ! orv_standin_possible; then
    echo "fail-closed: the stand-in's cases need a user namespace with a binfmt_misc of its own (Linux 6.7): not here"
    return
  fi
  local qemu=$ORV_STANDIN_QEMU
  [ -x "$qemu" ] || qemu=$ORV_MACHINE_QEMU
  if [ ! -x "$qemu" ]; then
    echo "fail-closed: no emulator for the stand-in's cases (tools/setup.sh could not unpack one): passed over"
    return
  fi
  # The stand-in runs nothing when it cannot be made.
  expect_failure "stand-in without emulator" "no emulator at" \
    env ORV_STANDIN_QEMU="$work/missing-qemu" bash -c '. tools/machine.sh; orv_standin touch "$0"' "$work/ran"
  expect_failure "stand-in without binfmt_misc" "mount" \
    env ORV_STANDIN_QEMU="$qemu" ORV_BINFMT="$work/no-such-dir" bash -c '. tools/machine.sh; orv_standin touch "$0"' "$work/ran"
  if [ -e "$work/ran" ]; then failed=$((failed + 1)); echo "FAILED: a stand-in that could not be made ran its command"; fi

  # The handler switched off for a command is on again however it ends:
  # an error, a TERM, an INT.
  cat > "$work/handler.sh" <<'EOF'
. tools/machine.sh
state() { head -n1 "$ORV_BINFMT/qemu-i386"; }
orv_with_emulator_off bash -c 'head -n1 "$0/qemu-i386"' "$ORV_BINFMT"
orv_with_emulator_off false; state
orv_with_emulator_off bash -c 'kill -TERM $PPID; sleep 1'; state
orv_with_emulator_off bash -c 'kill -INT $PPID; sleep 1'; state
EOF
  expect_output "handler off during, on after" "$(printf 'disabled\nenabled\nenabled\nenabled')" \
    env ORV_STANDIN_QEMU="$qemu" bash -c '. tools/machine.sh; orv_standin bash "$0"' "$work/handler.sh"
}

emulated_cases() {
  expect_failure "no program named" "names no program" env ORV_PE32_PROGRAM= bash tools/emulated-check.sh
  expect_failure "program missing" "no PE32 program at" \
    env ORV_PE32_PROGRAM="$work/orvane.exe" bash tools/emulated-check.sh
  mkdir -p "$work/no-wine32"
  printf '#!/bin/sh\nexit 1\n' > "$work/no-wine32/dpkg-query"
  chmod 755 "$work/no-wine32/dpkg-query"
  expect_failure "no 32-bit Wine" "32-bit Wine (wine32:i386) is not installed" \
    env PATH="$work/no-wine32:$PATH" bash tools/emulated-check.sh
  expect_failure "filter matches nothing" "no test matched NoSuchSuite" \
    env ORV_E2E_FILTER='NoSuchSuite.*' bash tools/emulated-check.sh
  # The limit ends the run and every process in it (the script checks that
  # none outlived it before it says so).
  expect_failure "run past its limit" "passed its limit of 20 s" env ORV_EMULATED_LIMIT=20 bash tools/emulated-check.sh
}

case ${1:-} in
  machine) machine_cases ;;
  emulated) emulated_cases ;;
  *) echo "usage: fail_closed_test.sh machine|emulated" >&2; exit 2 ;;
esac
echo "fail-closed ($1): $passed passed, $failed failed"
[ $failed -eq 0 ]
