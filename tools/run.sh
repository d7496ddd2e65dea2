#!/usr/bin/env bash
# Builds Orvane and opens it under Wine: the PE32 release where this machine
# runs 32-bit code, the x86_64 twin where it does not. --pe32 opens the PE32
# release there anyway, run by an emulator (minutes to start). Without a
# display it runs on a private Xvfb display, saves a screenshot and prints its
# path. ORV_X64_ONLY=1 on a machine that runs 32-bit code opens it as on one
# that does not, in the stand-in (tools/machine.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
want_pe32=
[ "${1:-}" = --pe32 ] && want_pe32=1
# The caller's own display, if any: wine-env.sh names a private one.
caller_display=${ORV_CALLER_DISPLAY-${DISPLAY:-}}
export ORV_CALLER_DISPLAY=$caller_display
purpose=run
[ -n "$want_pe32" ] && purpose=run-pe32
bash tools/setup.sh "$purpose"
. tools/machine.sh
orv_machine_detect
if [ "$ORV_PE32_RUN" = standin ]; then
  orv_standin bash tools/run.sh "$@"
  exit
fi
user_display=
if [ -n "$caller_display" ] && xdpyinfo -display "$caller_display" >/dev/null 2>&1; then
  user_display=$caller_display
fi
. tools/wine-env.sh

if [ "$ORV_PE32_RUN" = native ]; then
  orv_need_wine32 run || exit 1
  build=win toolchain=mingw-i686 kind=32
elif [ -n "$want_pe32" ]; then
  [ "$ORV_PE32_RUN" = emulated ] || { echo "run: no emulator for the PE32 release here: $ORV_PE32_WHY" >&2; exit 1; }
  orv_need_wine32 run || exit 1
  build=win toolchain=mingw-i686 kind=wow64
  echo "run: the PE32 release under an emulator: the window takes minutes to appear"
else
  build=win64 toolchain=mingw-x86_64 kind=64
  reason="this machine runs no 32-bit code"
  [ -n "${ORV_X64_ONLY:-}" ] && reason="ORV_X64_ONLY=1"
  echo "run: $reason: opening the x86_64 twin; the release is the PE32 build (tools/run.sh --pe32 runs it emulated)"
fi
cmake -S . -B "build/$build" -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "build/$build" -j"$(nproc)" --target orvane
app_dir=$root/build/$build/app
# A first run gets a few example songs so the window has something to show.
if [ ! -f "$app_dir/jidiao.dll" ]; then
  iconv -f UTF-8 -t GBK resources/sample-catalogue.txt | sed 's/$/\r/' > "$app_dir/jidiao.dll"
fi
orv_wine_use "$kind"
# A server started outside the stand-in would not reach its emulator.
orv_wineserver -k 2>/dev/null || true

if [ -n "$user_display" ]; then
  export DISPLAY=$user_display
  tools/wine-run "$app_dir/orvane.exe"
  exit
fi
. tools/xvfb.sh
orv_xvfb_start
trap 'orv_wineserver -k 2>/dev/null || true; orv_xvfb_stop' EXIT
tools/wine-run "$app_dir/orvane.exe" &
# The screenshot waits for the main window, then for it to paint.
limit=${ORV_SCREENSHOT_LIMIT:-300}
started=$(date +%s)
# (Wine names each X window's class after its program.)
until xwininfo -display "$DISPLAY" -root -tree 2>/dev/null | grep -q '("orvane.exe"'; do
  [ $(( $(date +%s) - started )) -lt "$limit" ] || { echo "run: no Orvane window after $limit s" >&2; exit 1; }
  sleep 1
done
sleep "${ORV_SCREENSHOT_DELAY:-3}"
shot=$root/build/orvane-screenshot.png
import -display "$DISPLAY" -window root -crop 560x480+0+0 "$shot"
echo "No display: Orvane ($build) ran on a private Xvfb display after $(( $(date +%s) - started )) s. Screenshot: $shot"
