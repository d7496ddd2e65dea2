#!/usr/bin/env bash
# One end-to-end pass of the PE32 release where the kernel runs no 32-bit
# code: the x86_64 end-to-end driver, under 64-bit Wine, starts the real PE32
# orvane.exe, and qemu runs Wine's 32-bit side of it, in the wow64 prefix
# (tools/wine-env.sh). On a machine that runs 32-bit code, run it through
# `ORV_X64_ONLY=1 bash tools/test.sh`, which enters the stand-in first.
#
# It fails unless its tests ran and passed: a program that is not there, a
# filter that matches nothing, a skipped test, or a run past the limit
# (ORV_EMULATED_LIMIT seconds, 8 minutes by default) fail it, and every
# process it started is ended before it returns.
#   ORV_PE32_PROGRAM  the PE32 orvane.exe (default: the PE32 build's)
#   ORV_E2E_FILTER    the tests to run (default: EndToEndPe32.*)
#   ORV_AFTER         a file: the prefix is made at once, the run waits
#                     until the file exists (tools/test.sh starts the check
#                     before its builds are done)
# It runs on the display ORV_DISPLAY names, starting an Xvfb there if none
# answers, so that it can run beside another suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/machine.sh

fail() { echo "emulated check: $*" >&2; exit 1; }

program=${ORV_PE32_PROGRAM-$root/build/win/app/orvane.exe}
filter=${ORV_E2E_FILTER:-EndToEndPe32.*}
limit=${ORV_EMULATED_LIMIT:-480}
driver=build/win64/tests/e2e/end_to_end_test.exe
[ -n "$program" ] || fail "ORV_PE32_PROGRAM names no program"
orv_need_wine32 "emulated check" || exit 1
orv_machine_detect
[ "$ORV_PE32_RUN" = emulated ] ||
  fail "this machine gives no emulator for the PE32 release ($ORV_PE32_RUN${ORV_PE32_WHY:+: $ORV_PE32_WHY})"

prefix_started=$(date +%s)
bash tools/setup.sh wow64
echo "emulated check: the wow64 prefix was ready in $(( $(date +%s) - prefix_started )) s"
if [ -n "${ORV_AFTER:-}" ]; then
  while [ ! -e "$ORV_AFTER" ]; do sleep 1; done
fi
[ -f "$program" ] || fail "no PE32 program at $program"
[ -f "$(dirname "$program")/orvcore.rtl" ] || fail "no orvcore.rtl beside $program"
[ -f "$driver" ] || fail "no end-to-end driver at $driver (the x86_64 build)"

. tools/wine-env.sh
. tools/xvfb.sh
orv_wine_use wow64
# The run drops a backing track on the window from this X drag source.
export ORV_XDND_DROP=${ORV_XDND_DROP:-$root/build/host/tests/tools/orv-xdnd-drop}
orv_xvfb_start

# Every process of the run, the Wine server and the emulated ones included,
# carries this in its environment: the end finds them all by it.
tag=orv-emulated-check-$$-$RANDOM
tagged() { grep -lsxz "ORV_RUN_TAG=$tag" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true; }
end_run() {
  orv_wineserver -k 2>/dev/null || true
  local pids
  pids=$(tagged)
  [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
}
log=$(mktemp)
trap 'end_run; rm -f "$log"; orv_xvfb_stop' EXIT
started=$(date +%s)
# A server started elsewhere (outside the stand-in, say) would not reach
# this emulator.
orv_wineserver -k 2>/dev/null || true
status=0
ORV_RUN_TAG=$tag ORV_PE32_PROGRAM=$program timeout -k 10 "$limit" \
  tools/wine-run "$driver" --gtest_filter="$filter" 2>&1 | tr -d '\r' > "$log" || status=$?
cat "$log"
end_run
left=$(tagged)
[ -z "$left" ] || fail "processes of the run outlived it: $left"
[ $status -ne 124 ] && [ $status -ne 137 ] || fail "the run passed its limit of $limit s and was ended"
[ $status -eq 0 ] || fail "the end-to-end driver failed (exit $status)"
grep -q '^\[  SKIPPED \]' "$log" && fail "a test was skipped"
ran=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$/\1/p' "$log")
[ "${ran:-0}" -gt 0 ] || fail "no test matched $filter"
echo "emulated check: PE32 end-to-end under qemu, $ran test(s), in $(( $(date +%s) - started )) s"
