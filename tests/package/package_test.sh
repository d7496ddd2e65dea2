#!/usr/bin/env bash
# The release package in a fresh Wine prefix: pack it, unpack it, run it with
# an empty folder, add a song, close, check the catalogue.
set -euo pipefail
root=$1
driver=$2
work=$(mktemp -d)
trap 'ORV_CACHE=$work/cache bash -c ". \"$root/tools/wine-env.sh\"; wineserver -k" 2>/dev/null || true; rm -rf "$work"' EXIT
zip_path=$(bash "$root/tools/package.sh" | tail -n 1)
unzip -q "$zip_path" -d "$work/unpacked"
[ -f "$work/unpacked/orvane.exe" ] && [ -f "$work/unpacked/orvcore.rtl" ] && [ -f "$work/unpacked/说明.txt" ]
export ORV_CACHE=$work/cache
bash "$root/tools/setup.sh" >/dev/null
"$root/tools/wine-run" "$driver" "$work/unpacked/orvane.exe"
