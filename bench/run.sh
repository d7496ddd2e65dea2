#!/usr/bin/env bash
# Builds the benchmarks and prints each Orvane figure beside its bare Win32
# baseline, measured in the same run under the same Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh >/dev/null
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j"$(nproc)" --target bench_bare_fill bench_orvane_fill >/dev/null
. tools/wine-env.sh
. tools/xvfb.sh
orv_xvfb_start
trap 'wineserver -k 2>/dev/null || true; orv_xvfb_stop' EXIT
runs=${ORV_BENCH_RUNS:-5}
bare=$(tools/wine-run build/win/bench/catalogue/bench_bare_fill.exe "$runs" | tr -d '\r')
ours=$(tools/wine-run build/win/bench/catalogue/bench_orvane_fill.exe "$runs" | tr -d '\r')
echo "Catalogue fill, median of $runs runs (ms): Orvane = file read + split + both lists; bare = one plain list box"
printf '%-10s %12s %12s %8s\n' entries orvane_ms bare_ms ratio
join <(echo "$ours" | awk '{print $2, $3}' | sort) <(echo "$bare" | awk '{print $2, $3}' | sort) | sort -n |
  awk '{printf "%-10s %12.2f %12.2f %8.2f\n", $1, $2, $3, $2/$3}'
