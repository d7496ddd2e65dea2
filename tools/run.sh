#!/usr/bin/env bash
# Builds Orvane and opens it under Wine: the PE32 release where this machine
# runs 32-bit code, the x86_64 twin where it does not. --pe32 opens the PE32
# release there anyway, run by an emulator (minutes to start). Without a
# display it runs on a private Xvfb display, saves a screenshot and prints its
# path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
want_pe32=
[ "${1:-}" = --pe32 ] && want_pe32=1
# The caller's own display, if any: wine-env.sh names a private one.
caller_display=${DISPLAY:-}
bash tools/setup.sh
user_display=
if [ -n "$caller_display" ] && xdpyinfo -display "$caller_display" >/dev/null 2>&1; then
  user_display=$caller_display
fi
. tools/machine.sh
orv_machine_detect
. tools/wine-env.sh

emulated=
if [ "$ORV_PE32_RUN" = native ]; then
  build=win toolchain=mingw-i686 bits=32
elif [ -n "$want_pe32" ]; then
  build=win toolchain=mingw-i686 bits=64 emulated=1
  echo "run: the PE32 release under an emulator: the window takes minutes to appear"
else
  build=win64 toolchain=mingw-x86_64 bits=64
  reason="this machine runs no 32-bit code"
  [ "$ORV_MACHINE_RUNS_32BIT" = 1 ] && reason="ORV_X64_ONLY=1"
  echo "run: $reason: opening the x86_64 twin; the release is the PE32 build (tools/run.sh --pe32 runs it emulated)"
fi
cmake -S . -B "build/$build" -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "build/$build" -j"$(nproc)" --target orvane
app_dir=$root/build/$build/app
# A first run gets a few example songs so the window has something to show.
if [ ! -f "$app_dir/jidiao.dll" ]; then
  iconv -f UTF-8 -t GBK resources/sample-catalogue.txt | sed 's/$/\r/' > "$app_dir/jidiao.dll"
fi
orv_wine_use "$bits"

# 64-bit Wine starts a PE32 program through its 32-bit loader, which the
# emulator runs: the machine's handler, or one in a namespace of its own
# where the machine runs 32-bit code natively (ORV_X64_ONLY=1).
open_program() {
  if [ -n "$emulated" ] && [ "$ORV_PE32_RUN" = private ]; then
    orv_wineserver -k 2>/dev/null || true
    orv_with_private_emulator tools/wine-run "$@"
  else
    tools/wine-run "$@"
  fi
}

if [ -n "$user_display" ]; then
  export DISPLAY=$user_display
  open_program "$app_dir/orvane.exe"
  exit
fi
. tools/xvfb.sh
orv_xvfb_start
trap 'orv_wineserver -k 2>/dev/null || true; orv_xvfb_stop' EXIT
open_program "$app_dir/orvane.exe" &
delay=${ORV_SCREENSHOT_DELAY:-6}
[ -n "$emulated" ] && delay=${ORV_SCREENSHOT_DELAY:-240}
sleep "$delay"
shot=$root/build/orvane-screenshot.png
import -display "$DISPLAY" -window root -crop 560x480+0+0 "$shot"
echo "No display: Orvane ($build) ran on a private Xvfb display. Screenshot: $shot"
