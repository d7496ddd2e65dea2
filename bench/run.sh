#!/usr/bin/env bash
# Builds the benchmarks and prints every Orvane figure beside its bare Win32
# baseline, measured in the same run under the same Wine: medians, ratios and
# the goal of each. Figures only; nothing here passes or fails.
#
#   bash bench/run.sh                 the table (about 3 minutes)
#   ORV_BENCH_RUNS=9 bash bench/run.sh   more runs per median (default 5)
#   ORV_BENCH_BIG=1 bash bench/run.sh    adds the 50 MB fill with its phases
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh >/dev/null
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j"$(nproc)" --target orvane orvcore bench_bare_lists bench_orvane_lists \
  bench_bare_window bench_orvane_paint bench_startup >/dev/null
. tools/wine-env.sh
. tools/xvfb.sh
orv_xvfb_start
trap 'wineserver -k 2>/dev/null || true; orv_xvfb_stop' EXIT
runs=${ORV_BENCH_RUNS:-5}
b=build/win/bench
run() { tools/wine-run "$@" 2>/dev/null | tr -d '\r'; }

big=${ORV_BENCH_BIG:+big}
fill_bare=$(run $b/catalogue/bench_bare_lists.exe fill "$runs" $big)
fill_ours=$(run $b/catalogue/bench_orvane_lists.exe fill "$runs" $big)
search_bare=$(run $b/catalogue/bench_bare_lists.exe search "$runs")
search_ours=$(run $b/catalogue/bench_orvane_lists.exe search "$runs")
paint_bare=$(run $b/startup/bench_bare_window.exe paint 100)
paint_bare_controls=$(run $b/startup/bench_bare_window.exe paint 100 controls)
paint_ours=$(run $b/startup/bench_orvane_paint.exe 100)
start=$(run $b/startup/bench_startup.exe "$root/build/win/app/orvane.exe" "$root/$b/startup/bench_bare_window.exe" "$runs")

field() { # field TEXT KEY N: the Nth word after the line starting with KEY
  awk -v k="$1" -v n="$2" '$1==k {print $(n+1); exit}' <<<"$3"
}
row() { # row NAME OURS BARE GOAL
  awk -v n="$1" -v o="$2" -v b="$3" -v g="$4" 'BEGIN {
    r = (b+0 > 0 && o != "-") ? sprintf("%.2f", o/b) : "-";
    printf "%-46s %10s %10s %7s   %s\n", n, o, b, r, g }'
}
pe_section() { # pe_section FILE NAME: raw bytes of the named section
  python3 - "$1" "$2" <<'PY'
import struct, sys
d = open(sys.argv[1], 'rb').read()
pe = struct.unpack_from('<I', d, 0x3c)[0]
count = struct.unpack_from('<H', d, pe + 6)[0]
table = pe + 24 + struct.unpack_from('<H', d, pe + 20)[0]
for i in range(count):
    name = d[table + 40 * i: table + 40 * i + 8].rstrip(b'\0').decode()
    if name == sys.argv[2]:
        print(struct.unpack_from('<I', d, table + 40 * i + 16)[0]); break
else:
    print(0)
PY
}

echo "Orvane against a bare Win32 program, same Wine, same run; medians of $runs runs (paint: 100)"
printf '%-46s %10s %10s %7s   %s\n' figure orvane bare ratio goal
row "start-up to painted, 10,000 entries (ms)" "$(field orvane 2 "$start")" "$(field bare 2 "$start")" "<= 2x"
row "  bare with the same 21 controls, unskinned (ms)" "$(field orvane 2 "$start")" "$(field bare_controls 2 "$start")" ""
for n in 1000 10000 100000 2400000; do
  o=$(awk -v n=$n '$1=="fill" && $2==n {print $3}' <<<"$fill_ours")
  [ -n "$o" ] || continue
  row "fill $n entries into both lists (ms)" "$o" "$(awk -v n=$n '$1=="fill" && $2==n {print $3}' <<<"$fill_bare")" \
    "$([ $n = 100000 ] && echo '<= 1.3x')"
done
row "search 100,000 entries, $(field search 1 "$search_ours") matches (ms)" "$(field search 2 "$search_ours")" \
  "$(field search 2 "$search_bare")" "<= 1.3x"
row "full repaint of the main window (ms)" "$(field repaint 1 "$paint_ours")" "$(field repaint 1 "$paint_bare")" "<= 10 ms"
row "  bare with the same 21 controls, unskinned (ms)" "$(field repaint 1 "$paint_ours")" "$(field repaint 1 "$paint_bare_controls")" ""
hover=$(awk '$1 ~ /^hover_step/ {print $1, $2, $3}' <<<"$paint_ours")
row "one title-button hover step (ms)" "$(cut -d' ' -f2 <<<"$hover")" "-" "<= 10 ms"
row "control hover face, enter or leave (ms)" "$(field control_hover 1 "$paint_ours")" "-" ""
memory() { awk -v p="$1" -v k="$2" '$1==p && $2=="memory" {for(i=1;i<NF;i++) if($i==k) print $(i+1)}' <<<"$start"; }
for k in started_private started_ws trimmed_private trimmed_ws; do
  row "memory: $k (MB)" "$(memory orvane $k)" "$(memory bare $k)" ""
  row "  bare with the same 21 controls (MB)" "$(memory orvane $k)" "$(memory bare_controls $k)" ""
done
exe=build/win/app/orvane.exe
size=$(stat -c %s $exe)
image=$(pe_section $exe .orvimg)
row "orvane.exe (bytes)" "$size" "$(stat -c %s $b/startup/bench_bare_window.exe)" ""
row "  launcher without its image (bytes)" "$((size - image))" "-" "< 16384"
row "  program image section (bytes)" "$image" "-" ""
row "orvcore.rtl (bytes)" "$(stat -c %s build/win/app/orvcore.rtl)" "-" ""
echo
echo "worst title-button step $(cut -d' ' -f3 <<<"$hover") ms, worst repaint $(field repaint 2 "$paint_ours") ms"
[ "${hover%% *}" = hover_step ] || echo "note: the title-button hover did not change the strip's pixels"
grep '^phases' <<<"$fill_ours" | sed 's/^/orvane 50 MB /' || true
grep '^phases' <<<"$fill_bare" | sed 's/^/bare 50 MB /' || true
