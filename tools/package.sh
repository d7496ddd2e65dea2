#!/usr/bin/env bash
# Builds the shipped program and its Windows-side tests and packs two zips,
# printing their paths (the release first):
#   dist/orvane-<version>-win32.zip        orvane.exe, orvcore.rtl and a
#                                          short read-me in GBK
#   dist/orvane-<version>-tests-win32.zip  the Windows-side test programs,
#                                          what they need beside them and
#                                          run-tests.cmd, for real Windows
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh >/dev/null
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j"$(nproc)" >/dev/null
version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p dist

# The release. The read-me's name is stored as GBK bytes: Explorer's
# compressed folders read names in the system's code page (936 here), and
# Windows 7's know no UTF-8 flag.
mkdir "$stage/release"
cp build/win/app/orvane.exe build/win/app/orvcore.rtl "$stage/release/"
readme=$(printf '说明.txt' | iconv -f UTF-8 -t GBK)
iconv -f UTF-8 -t GBK tools/package-readme.txt | sed 's/$/\r/' > "$stage/release/$readme"
zip_path=$root/dist/orvane-$version-win32.zip
rm -f "$zip_path"
(cd "$stage/release" && LC_ALL=C zip -q -X "$zip_path" orvane.exe orvcore.rtl "$readme")
echo "$zip_path"

# The tests: every Windows test program that ctest runs on its own (not
# the ones run through a script), the program they drive, the launcher
# tests' stand-ins and the pictures the GDI+ tests read. The tests look for
# these beside themselves before the build tree.
mkdir -p "$stage/tests/resources"
tests=$(ctest --test-dir build/win --show-only=json-v1 | python3 -c '
import json, sys
for t in json.load(sys.stdin)["tests"]:
    c = t.get("command", [])
    if len(c) == 2 and c[0].endswith("/wine-run") and c[1].endswith(".exe"):
        print(c[1])')
names=()
for t in $tests; do
  cp "$t" "$stage/tests/"
  names+=("$(basename "$t")")
done
# Their symbols are only the build's: the package is a third the size without.
(cd "$stage/tests" && i686-w64-mingw32-strip "${names[@]}")
cp build/win/app/orvane.exe build/win/app/orvcore.rtl "$stage/tests/"
cp build/win/tests/launcher/orv_test_launcher.exe build/win/tests/launcher/launcher_test.orvimage \
   build/win/tests/launcher/orv_test_runtime_*.dll build/win/tests/launcher/start_without_window.exe \
   "$stage/tests/"
cp resources/*.png resources/*.jpg resources/*.wav "$stage/tests/resources/"
# The backing track the end-to-end tests hand to the program.
cp tests/e2e/tracks/*.mp3 "$stage/tests/"
sed "s/@TESTS@/${names[*]}/; s/\$/\r/" tools/run-tests.cmd > "$stage/tests/run-tests.cmd"
tests_zip=$root/dist/orvane-$version-tests-win32.zip
rm -f "$tests_zip"
(cd "$stage/tests" && LC_ALL=C zip -q -X -r "$tests_zip" .)
echo "$tests_zip"
