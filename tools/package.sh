#!/usr/bin/env bash
# Builds the shipped program and packs dist/orvane-<version>-win32.zip:
# orvane.exe, orvcore.rtl and a short read-me in GBK.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh >/dev/null
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j"$(nproc)" --target orvane >/dev/null
version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp build/win/app/orvane.exe build/win/app/orvcore.rtl "$stage/"
iconv -f UTF-8 -t GBK tools/package-readme.txt | sed 's/$/\r/' > "$stage/说明.txt"
mkdir -p dist
zip_path=$root/dist/orvane-$version-win32.zip
rm -f "$zip_path"
(cd "$stage" && zip -q -X "$zip_path" orvane.exe orvcore.rtl 说明.txt)
echo "$zip_path"
