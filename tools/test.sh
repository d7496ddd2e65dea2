#!/usr/bin/env bash
# Builds everything and runs every test this machine can run:
#   - the portable logic natively under sanitizers;
#   - the Windows side on the x86_64 twin under 64-bit Wine, on every machine;
#   - the PE32 release: its own Windows-side suite under 32-bit Wine where
#     the kernel runs 32-bit code; elsewhere read without running it, and one
#     end-to-end pass under an emulator (tools/machine.sh).
# ORV_X64_ONLY=1 takes the path of a machine without 32-bit code anywhere.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
jobs=$(nproc)
. tools/machine.sh
orv_machine_detect

cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host -j"$jobs"
ctest --test-dir build/host --output-on-failure -j"$jobs" -LE pe32-release

cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win64 -j"$jobs"
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j"$jobs"

. tools/wine-env.sh
. tools/xvfb.sh
keepalive_pid=
stop_wine() {
  if [ -n "$keepalive_pid" ]; then kill "$keepalive_pid" 2>/dev/null || true; fi
  keepalive_pid=
  orv_wineserver -k 2>/dev/null || true
}
trap 'stop_wine; orv_xvfb_stop' EXIT
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

started=$(date +%s)
orv_wine_use 64
start_keepalive build/win64/tools/keepalive/orv-keepalive.exe
ctest --test-dir build/win64 --output-on-failure
stop_wine
echo "x86_64 twin: Windows-side suite under 64-bit Wine in $(( $(date +%s) - started )) s"

# The release read as it ships, on every machine.
ORV_PE32_BUILD=$root/build/win ctest --test-dir build/host --output-on-failure -L pe32-release

started=$(date +%s)
case $ORV_PE32_RUN in
  native)
    if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
      echo "PE32: 32-bit Wine is not installed (see tools/setup.sh's output): the PE32 suite cannot run" >&2
      exit 1
    fi
    orv_wine_use 32
    start_keepalive build/win/tools/keepalive/orv-keepalive.exe
    ctest --test-dir build/win --output-on-failure
    stop_wine
    echo "PE32: native suite under 32-bit Wine in $(( $(date +%s) - started )) s"
    ;;
  emulated | private)
    bash tests/package/package_test.sh "$root" --contents-only
    bash tools/emulated-check.sh
    where="qemu registered for i386 programs"
    [ "$ORV_PE32_RUN" = private ] && where="qemu in a user namespace of its own"
    echo "PE32: static checks and emulated end-to-end ($where) in $(( $(date +%s) - started )) s"
    ;;
  none)
    bash tests/package/package_test.sh "$root" --contents-only
    echo "PE32: static checks only (this kernel runs 32-bit code but no private binfmt_misc for an emulator)"
    ;;
esac
