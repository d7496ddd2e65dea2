#!/usr/bin/env bash
# Builds everything and runs every test this machine can run:
#   - the portable logic natively under sanitizers;
#   - the Windows side on the x86_64 twin under 64-bit Wine, on every machine;
#   - the PE32 release: its own Windows-side suite under 32-bit Wine where
#     the kernel runs 32-bit code; elsewhere read without running it, and one
#     end-to-end pass under an emulator (tools/machine.sh).
# ORV_X64_ONLY=1 takes the path of a machine without 32-bit code anywhere: on
# a machine that runs 32-bit code, all but the package installs run in the
# stand-in for one that does not (orv_standin).
# The last lines say how long each stage took, then which PE32 path ran.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
. tools/machine.sh

stages=()
stage() {
  local name=$1 started
  shift
  started=$(date +%s)
  "$@"
  stages+=("$(printf 'time: %-40s %5d s' "$name" $(( $(date +%s) - started )))")
}
show_stages() {
  local line
  for line in "${stages[@]}"; do echo "$line"; done
}
# A run that fails shows its stages too: the slow one is then plain to see.
finished=
trap '[ -n "$finished" ] || show_stages' EXIT

configure() { cmake -S . -B "build/$1" -DORV_BENCH=OFF "${@:2}" >/dev/null; }
host_build() { configure host -DCMAKE_BUILD_TYPE=Debug && cmake --build build/host -j"$jobs"; }
x86_64_build() {
  configure win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release &&
    cmake --build build/win64 -j"$jobs"
}

# The builds need only the compilers, GoogleTest and Xlib, so they run while
# the rest of the set-up (Wine, fonts, the emulator, the prefixes: downloads,
# unpacking, Wine's boot) goes on beside them: the host build at once, the
# x86_64 build once the set-up has put the cross compilers in first. The
# stand-in path sets up first: its builds run inside the stand-in.
stage "set-up for the host build" bash tools/setup.sh host
setup_pid=
built_early=
if [ -z "${ORV_X64_ONLY:-}" ]; then
  mkdir -p "$ORV_CACHE"
  setup_log=$ORV_CACHE/setup.log
  compilers_ready=$ORV_CACHE/compilers.ready
  rm -f "$compilers_ready"
  ORV_COMPILERS_READY=$compilers_ready bash tools/setup.sh test > "$setup_log" 2>&1 &
  setup_pid=$!
  # A run that fails lets the set-up finish rather than leave apt halfway.
  trap '[ -z "$setup_pid" ] || wait "$setup_pid" || true; [ -n "$finished" ] || show_stages' EXIT
  rest_of_setup() {
    local status=0
    [ -n "$setup_pid" ] || return 0
    wait "$setup_pid" || status=$?
    setup_pid=
    cat "$setup_log"
    return $status
  }
  # A set-up that ends without the compilers says why.
  wait_for_compilers() {
    while [ ! -e "$compilers_ready" ] && kill -0 "$setup_pid" 2>/dev/null; do sleep 1; done
    [ -e "$compilers_ready" ] || rest_of_setup
  }
  stage "host build, beside the set-up" host_build
  stage "set-up until the cross compilers are in" wait_for_compilers
  stage "x86_64 build, beside the set-up" x86_64_build
  stage "set-up, past the x86_64 build" rest_of_setup
  built_early=1
else
  stage "set-up" bash tools/setup.sh test
fi
orv_machine_detect
if [ "$ORV_PE32_RUN" = standin ]; then
  echo "test: ORV_X64_ONLY=1 on a machine that runs 32-bit code: the rest runs in the stand-in for one that does not"
  show_stages
  finished=1
  orv_standin bash tools/test.sh
  exit
fi

# ctest exits 0 when no test matched; here every run must run some.
orv_ctest() { ctest --no-tests=error "$@"; }

# The emulated end-to-end check runs beside the rest, on a display of its
# own: its prefix (with the 32-bit side, booted emulated: about two minutes
# on one core) boots while the builds run, and the check itself (two
# emulated starts) runs beside the twin's suite, which mostly waits for
# windows. Once it has passed, its refusals (the same script given broken
# inputs) follow it there. It is the last thing waited for.
emulated_pid=
if [ "$ORV_PE32_RUN" = emulated ]; then
  builds_done=$ORV_CACHE/builds.done
  emulated_log=$ORV_CACHE/emulated-check.log
  refusals_log=$ORV_CACHE/emulated-refusals.log
  rm -f "$builds_done" "$refusals_log"
  setsid env ORV_DISPLAY=:98 ORV_AFTER="$builds_done" bash -c '
    bash tools/emulated-check.sh > "$1" 2>&1 || exit
    started=$(date +%s) status=0
    bash tests/tools/fail_closed_test.sh emulated > "$2" 2>&1 || status=$?
    echo "emulated check: its refusals in $(( $(date +%s) - started )) s" >> "$2"
    exit $status' emulated "$emulated_log" "$refusals_log" &
  emulated_pid=$!
fi
end_emulated() {
  [ -n "$emulated_pid" ] || return 0
  kill -- -"$emulated_pid" 2>/dev/null || true
  ORV_WINE_KIND=wow64 bash -c '. tools/wine-env.sh; orv_wineserver -k' 2>/dev/null || true
}
trap 'end_emulated; [ -n "$finished" ] || show_stages' EXIT
emulated_check() {
  local status=0
  wait "$emulated_pid" || status=$?
  emulated_pid=
  cat "$emulated_log"
  [ ! -f "$refusals_log" ] || cat "$refusals_log"
  local prefix check refusals=
  prefix=$(sed -n 's/^emulated check: the wow64 prefix was ready in \([0-9]*\) s$/\1/p' "$emulated_log")
  check=$(sed -n 's/^emulated check: PE32 end-to-end under qemu, .* in \([0-9]*\) s$/\1/p' "$emulated_log")
  if [ -f "$refusals_log" ]; then
    refusals=$(sed -n 's/^emulated check: its refusals in \([0-9]*\) s$/\1/p' "$refusals_log")
  fi
  [ -z "$prefix" ] || stages+=("$(printf 'time: %-40s %5d s' "wow64 prefix, beside the builds" "$prefix")")
  [ -z "$check" ] || stages+=("$(printf 'time: %-40s %5d s' "PE32 emulated end-to-end, beside" "$check")")
  [ -z "$refusals" ] || stages+=("$(printf 'time: %-40s %5d s' "emulated check's refusals, beside" "$refusals")")
  return $status
}

[ -n "$built_early" ] || stage "host build" host_build
stage "host suite" orv_ctest --test-dir build/host --output-on-failure -j"$jobs" -LE pe32-release
[ -n "$built_early" ] || stage "x86_64 build" x86_64_build
stage "PE32 build" eval 'configure win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release &&
                         cmake --build build/win -j"$jobs"'
# The scripts' own refusals: a machine that cannot be told, a stand-in that
# could not be made, a ctest that ran nothing.
stage "machine scripts" bash tests/tools/fail_closed_test.sh machine
[ -z "$emulated_pid" ] || touch "$builds_done"

. tools/wine-env.sh
. tools/xvfb.sh
keepalive_pid=
stop_wine() {
  if [ -n "$keepalive_pid" ]; then kill "$keepalive_pid" 2>/dev/null || true; fi
  keepalive_pid=
  orv_wineserver -k 2>/dev/null || true
}
trap 'stop_wine; orv_xvfb_stop; end_emulated; [ -n "$finished" ] || show_stages' EXIT
orv_xvfb_start

# Wine's helper processes (services, the desktop process) inherit the output
# of whichever program starts them, and ctest waits for a test's output to
# close: a long-lived program starts them first, with its output elsewhere.
start_keepalive() {
  local ready=$ORV_CACHE/keepalive.ready
  rm -f "$ready"
  tools/wine-run "$1" "Z:${ready//\//\\}" >/dev/null 2>&1 &
  keepalive_pid=$!
  for _ in $(seq 1 300); do [ -f "$ready" ] && break; sleep 0.1; done
}

# The end-to-end tests drop files on the program from this X drag source.
export ORV_XDND_DROP=$root/build/host/tests/tools/orv-xdnd-drop

twin_suite() {
  orv_wine_use 64
  start_keepalive build/win64/tools/keepalive/orv-keepalive.exe
  orv_ctest --test-dir build/win64 --output-on-failure
  stop_wine
}
stage "x86_64 twin suite (64-bit Wine)" twin_suite

# The release read as it ships, on every machine.
stage "PE32 static checks" env ORV_PE32_BUILD="$root/build/win" \
  ctest --no-tests=error --test-dir build/host --output-on-failure -L pe32-release

native_suite() {
  orv_wine_use 32
  start_keepalive build/win/tools/keepalive/orv-keepalive.exe
  orv_ctest --test-dir build/win --output-on-failure
  stop_wine
}

case $ORV_PE32_RUN in
  native)
    orv_need_wine32 PE32 || exit 1
    stage "PE32 suite (32-bit Wine)" native_suite
    last="PE32: native suite under 32-bit Wine"
    ;;
  emulated)
    orv_need_wine32 PE32 || exit 1
    stage "PE32 package contents" bash tests/package/package_test.sh "$root" --contents-only
    stage "PE32 emulated end-to-end, past the rest" emulated_check
    where="qemu registered for i386 programs"
    [ -n "${ORV_IN_STANDIN:-}" ] && where="qemu in the stand-in for a machine without 32-bit code"
    last="PE32: static checks and emulated end-to-end ($where)"
    ;;
  none)
    stage "PE32 package contents" bash tests/package/package_test.sh "$root" --contents-only
    last="PE32: static checks only: $ORV_PE32_WHY"
    ;;
esac
finished=1
show_stages
echo "$last; all stages in $SECONDS s"
