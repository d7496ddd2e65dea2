#!/usr/bin/env bash
# Builds both builds and runs every test: the portable logic natively under
# sanitizers, then the Windows program and its tests under Wine on a private
# Xvfb display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
jobs=$(nproc)

cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host -j"$jobs"
ctest --test-dir build/host --output-on-failure -j"$jobs"

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j"$jobs"

. tools/wine-env.sh
. tools/xvfb.sh
keepalive_pid=
cleanup() {
  [ -n "$keepalive_pid" ] && kill "$keepalive_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  orv_xvfb_stop
}
trap cleanup EXIT
orv_xvfb_start
# Wine's helper processes (services, the desktop process) inherit the output
# of whichever program starts them, and ctest waits for a test's output to
# close: a long-lived program starts them first, with its output elsewhere.
ready=$ORV_CACHE/keepalive.ready
rm -f "$ready"
tools/wine-run build/win/tools/keepalive/orv-keepalive.exe "Z:${ready//\//\\}" >/dev/null 2>&1 &
keepalive_pid=$!
for _ in $(seq 1 300); do [ -f "$ready" ] && break; sleep 0.1; done
ctest --test-dir build/win --output-on-failure
