#!/usr/bin/env bash
# Runs one Windows test program with the Wine prefix's DPI set to $1, as a
# user's display setting would set it (125 % = 120), and puts the prefix
# back afterwards. Wine reads the DPI when a process starts, so only this
# program sees it. The program is told the DPI it should find
# (ORV_EXPECT_DPI), so a run that did not get it fails rather than passing
# at 96.
set -euo pipefail
dpi=$1
shift
run="$(cd "$(dirname "$0")/../.." && pwd)/tools/wine-run"
key='HKCU\Control Panel\Desktop'
restore() { "$run" reg delete "$key" /v LogPixels /f >/dev/null 2>&1 || true; }
trap restore EXIT
"$run" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
ORV_EXPECT_DPI=$dpi "$run" "$@"
