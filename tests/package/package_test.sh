#!/usr/bin/env bash
# The two packages in a fresh Wine prefix. The release: its read-me's name
# reads right in a code-page-936 Explorer; unpacked, it runs with an empty
# folder, adds a song, closes and leaves the catalogue. The tests: unpacked
# anywhere, run-tests.cmd runs every test program from there and ends with
# "N passed, 0 failed".
set -euo pipefail
root=$1
driver=$2
work=$(mktemp -d)
trap 'ORV_CACHE=$work/cache bash -c ". \"$root/tools/wine-env.sh\"; wineserver -k" 2>/dev/null || true; rm -rf "$work"' EXIT
mapfile -t zips < <(bash "$root/tools/package.sh")
release=${zips[0]}
tests=${zips[1]}

# Names: GBK bytes without the UTF-8 flag, or UTF-8 bytes with it. Both
# zips are unpacked with the names read that way.
python3 - "$release" "$work/unpacked" "$tests" "$work/tests" <<'PY'
import os, sys, zipfile
def unpack(path, into, expected):
    with zipfile.ZipFile(path) as z:
        names = []
        for info in z.infolist():
            utf8 = bool(info.flag_bits & 0x800)
            raw = info.filename.encode("utf-8") if utf8 else info.orig_filename.encode("cp437")
            name = raw.decode("utf-8" if utf8 else "gbk")
            names.append(name)
            target = into + "/" + name
            if name.endswith("/"):
                continue
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as out:
                out.write(z.read(info))
    missing = [n for n in expected if n not in names]
    if missing:
        sys.exit("package: %s lacks %s (has %s)" % (path, missing, names))
unpack(sys.argv[1], sys.argv[2], ["orvane.exe", "orvcore.rtl", "说明.txt"])
unpack(sys.argv[3], sys.argv[4], ["run-tests.cmd", "orvane.exe", "orvcore.rtl", "end_to_end_test.exe",
                                  "resources/background.jpg", "orv_test_launcher.exe"])
PY

if [ "$driver" = --contents-only ]; then
  for f in orvane.exe orvcore.rtl; do
    cmp "$work/unpacked/$f" "$root/build/win/app/$f"
    cmp "$work/tests/$f" "$root/build/win/app/$f"
  done
  for t in $(grep '^for ' "$work/tests/run-tests.cmd" | grep -o '[A-Za-z0-9_]*\.exe'); do
    [ -f "$work/tests/$t" ] || { echo "package: run-tests.cmd names $t, which the package lacks" >&2; exit 1; }
    file -b "$work/tests/$t" | grep -q 'PE32 executable.*Intel 80386' ||
      { echo "package: $t is not a PE32 i386 program" >&2; exit 1; }
  done
  echo "package: contents checked without running them"
  exit 0
fi

export ORV_CACHE=$work/cache
# Only the win32 prefix: the release is run, not the x86_64 twin.
ORV_PREFIXES=32 bash "$root/tools/setup.sh" >/dev/null
"$root/tools/wine-run" "$driver" "$work/unpacked/orvane.exe"

programs=$(grep -o '[A-Za-z0-9_]*\.exe' <(grep '^for ' "$work/tests/run-tests.cmd") | wc -l)
cd "$work/tests"
# The launcher tests make folders with Chinese names (see docs/wine.md).
ORV_GBK_FILE_NAMES=1 "$root/tools/wine-run" cmd /c run-tests.cmd > "$work/run-tests.log" 2>&1 || true
summary=$(tr -d '\r' < "$work/run-tests.log" | tail -n 1)
if [ "$summary" != "$programs passed, 0 failed" ]; then
  iconv -f GBK -t UTF-8 -c < "$work/run-tests.log" | tr -d '\r' | grep -a -E '====|FAILED|Failure' | tail -n 60
  echo "package: run-tests.cmd ended with \"$summary\", not \"$programs passed, 0 failed\"" >&2
  exit 1
fi
echo "package: release started from the unpacked zip; run-tests.cmd: $summary"
