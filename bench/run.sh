#!/usr/bin/env bash
# Builds the benchmarks and prints every Orvane figure beside its bare Win32
# baseline, measured in the same run under the same Wine: medians, ratios and
# the goal of each. Figures only; nothing here passes or fails.
#
#   bash bench/run.sh                 the table (about 3 minutes)
#   ORV_BENCH_RUNS=9 bash bench/run.sh   more runs per median (default 5)
#   ORV_BENCH_BIG=1 bash bench/run.sh    adds the 50 MB fill with its phases
#
# The build measured is the one this machine runs natively: the PE32 release
# under 32-bit Wine, or, where the kernel runs no 32-bit code, the x86_64
# twin under 64-bit Wine (tools/machine.sh). Orvane and its bare baselines
# are always built for the same architecture.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh >/dev/null
. tools/machine.sh
orv_machine_detect
if [ "$ORV_PE32_RUN" = native ]; then
  build=win toolchain=mingw-i686 bits=32 arch="i686 (PE32, the release)"
else
  build=win64 toolchain=mingw-x86_64 bits=64 arch="x86_64 (the twin: this machine runs no 32-bit code)"
  [ "$ORV_MACHINE_RUNS_32BIT" = 1 ] && arch="x86_64 (the twin: ORV_X64_ONLY=1)"
fi
cmake -S . -B build/$build -DCMAKE_TOOLCHAIN_FILE=cmake/$toolchain.cmake -DCMAKE_BUILD_TYPE=Release -DORV_BENCH=ON >/dev/null
cmake --build build/$build -j"$(nproc)" --target orvane orvcore bench_bare_lists bench_orvane_lists \
  bench_bare_window bench_bare_pictures bench_orvane_paint bench_startup bench_track_keys >/dev/null
. tools/wine-env.sh
orv_wine_use $bits
. tools/xvfb.sh
orv_xvfb_start
trap 'orv_wineserver -k 2>/dev/null || true; orv_xvfb_stop' EXIT
runs=${ORV_BENCH_RUNS:-5}
b=build/$build/bench
run() { tools/wine-run "$@" 2>/dev/null | tr -d '\r'; }

# What a figure depends on beyond the code, printed with the figures so that
# two runs can be compared. The system controls' own painting moves with the
# theme most of all: a themed tab control under Wine paints its 456 x 280 page
# in about 70 ms, an unthemed one in under 1 ms.
environment() {
  local reg=$WINEPREFIX/user.reg
  echo "environment"
  echo "  architecture $arch"
  echo "  wine $("$ORV_WINE_LOADER" --version 2>/dev/null) prefix $WINEPREFIX"
  echo "  theme active $(awk -F= '/^"ThemeActive"/ {gsub(/"/,"",$2); print $2; exit}' "$reg" 2>/dev/null || echo '?')," \
       "$(awk -F= '/^"DllName"/ {print $2; exit}' "$reg" 2>/dev/null)"
  echo "  font replacements $(awk '/Fonts\\\\Replacements\]/ {f=1; next} /^\[/ {f=0} f && /=/ {n++; v=$0} END {print n+0, "entries, e.g.", v}' "$reg" 2>/dev/null)," \
       "fontconfig: $(fc-match -f '%{family[0]} %{fontversion}' 'WenQuanYi Micro Hei' 2>/dev/null)"
  echo "  display $DISPLAY $(xdpyinfo 2>/dev/null | awk '/dimensions:/ {d=$2} /resolution:/ {r=$2} /depth of root/ {p=$5} END {print d, r, "depth", p}')"
  echo "  cpu $(nproc) x $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), load $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "  bare tab control WM_PAINT $(run $b/startup/bench_bare_window.exe paint 5 controls profile |
        awk '$2=="bare" && $7=="SysTabControl32" && $11=="0x000F" {print $3 " ms"; exit}')"
}

# Interleaved: the two programs take turns (A B A B ...), each run giving the
# median of a few repetitions, so a slow spell of the machine hits both; the
# figure is the median of the rounds, with the lowest and highest beside it.
rounds=$runs
pick() { # pick KEY N: the Nth word after KEY on the line starting with KEY
  awk -v k="$1" -v n="$2" '$1==k {print $(n+1); exit}'
}
stats() { # the median, lowest and highest of the numbers on stdin
  sort -g | awk '{v[NR]=$1} END {if (!NR) {print "- - -"; exit} print v[int((NR+1)/2)], v[1], v[NR]}'
}
interleave() { # interleave KEYSPEC CMD-A -- CMD-B: prints "A med lo hi / B med lo hi"
  local key=$1; shift
  local a=() bb=() seen=0
  for arg in "$@"; do
    if [ "$arg" = -- ]; then seen=1; elif [ $seen = 0 ]; then a+=("$arg"); else bb+=("$arg"); fi
  done
  local va=() vb=()
  for _ in $(seq 1 "$rounds"); do
    va+=("$(run "${a[@]}" | eval "$key")")
    vb+=("$(run "${bb[@]}" | eval "$key")")
  done
  echo "$(printf '%s\n' "${va[@]}" | stats) $(printf '%s\n' "${vb[@]}" | stats)"
}

env_before=$(environment)
big=${ORV_BENCH_BIG:+big}
fill=()
for n in 1000 10000 100000; do
  fill+=("$n $(interleave "awk '\$1==\"fill\" && \$2==$n {print \$3}'" \
      $b/catalogue/bench_orvane_lists.exe fill 3 -- $b/catalogue/bench_bare_lists.exe fill 3)")
done
search=$(interleave "pick search 2" $b/catalogue/bench_orvane_lists.exe search 3 -- \
  $b/catalogue/bench_bare_lists.exe search 3)
matches=$(run $b/catalogue/bench_orvane_lists.exe search 1 | pick search 1)
# The pinyin search (qhc, which no entry holds) beside the keyword search
# that lists the same entries (青花瓷), both in the program.
pinyin=$(interleave "pick search 2" $b/catalogue/bench_orvane_lists.exe search 3 pinyin -- \
  $b/catalogue/bench_orvane_lists.exe search 3 title)
pinyin_matches=$(run $b/catalogue/bench_orvane_lists.exe search 1 pinyin | pick search 1)
title_matches=$(run $b/catalogue/bench_orvane_lists.exe search 1 title | pick search 1)
paint=$(interleave "pick repaint 1" $b/startup/bench_orvane_paint.exe 20 -- $b/startup/bench_bare_window.exe paint 20)
paint_controls=$(interleave "pick repaint 1" $b/startup/bench_orvane_paint.exe 20 -- \
  $b/startup/bench_bare_window.exe paint 20 controls)
paint_ours=$(run $b/startup/bench_orvane_paint.exe 100)
start=$(run $b/startup/bench_startup.exe "$root/build/$build/app/orvane.exe" "$root/$b/startup/bench_bare_window.exe" "$runs")
# Backing tracks: the key of a 4- and a 10-minute MP3 from the hand-over to
# the result box, beside the platform's decoder alone on the same file.
bash bench/tracks/make_tracks.sh build/bench-tracks
tracks=()
for minutes in 4 10; do
  mp3=$root/build/bench-tracks/d-major-${minutes}min.mp3
  tracks+=("$minutes $(run $b/tracks/bench_track_keys.exe floor "$mp3" "$runs" | pick floor 1) \
$(run $b/tracks/bench_track_keys.exe analyse "$mp3" "$runs" | awk '$1=="analyse" {print $2, $12, $15}') \
$(run $b/tracks/bench_track_keys.exe drop "$root/build/$build/app/orvane.exe" "$mp3" "$runs" |
  awk '$1=="drop" {print $2, $5, $8, $14, $17}') \
$(run $b/tracks/bench_track_keys.exe floor-parts "$mp3" "$runs" | pick floor-parts 1) \
$(run $b/tracks/bench_track_keys.exe analyse-one "$mp3" "$runs" | awk '$1=="analyse-one" {print $2, $15}')")
done
# What any box of the program costs, for the part of the hand-over that is the box.
box=$(run $b/tracks/bench_track_keys.exe box "$root/build/$build/app/orvane.exe" "$runs" | pick box 1)
if [ -n "$big" ]; then
  fill_bare_big=$(run $b/catalogue/bench_bare_lists.exe fill 1 big)
  fill_ours_big=$(run $b/catalogue/bench_orvane_lists.exe fill 1 big)
fi

field() { # field TEXT KEY N: the Nth word after the line starting with KEY
  awk -v k="$1" -v n="$2" '$1==k {print $(n+1); exit}' <<<"$3"
}
row() { # row NAME OURS BARE GOAL [OURS-NUMBER BARE-NUMBER]
  awk -v n="$1" -v o="$2" -v b="$3" -v g="$4" -v on="${5:-$2}" -v bn="${6:-$3}" 'BEGIN {
    r = (bn+0 > 0 && on != "-") ? sprintf("%.2f", on/bn) : "-";
    printf "%-46s %24s %24s %7s   %s\n", n, o, b, r, g }'
}
startup() { # startup NAME: "median (lowest-highest)" of bench_startup's runs
  awk -v p="$1" '$1==p && $2=="startup" {printf "%s (%s-%s)", $3, $9, $11}' <<<"$start"
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

spread() { awk -v m="$1" -v l="$2" -v h="$3" 'BEGIN { if (m == "-") print "-"; else printf "%s (%s-%s)", m, l, h }'; }
row2() { # row2 NAME "A med lo hi B med lo hi" GOAL: interleaved figures with their spread
  set -- "$1" $2 "${3:-}"
  local name=$1 am=$2 al=$3 ah=$4 bm=$5 bl=$6 bh=$7 goal=${8:-}
  row "$name" "$(spread "$am" "$al" "$ah")" "$(spread "$bm" "$bl" "$bh")" "$goal" "$am" "$bm"
}

echo "Orvane against a bare Win32 program, both $arch, same Wine, same run; $rounds interleaved rounds (A B A B ...)"
echo "each figure: median of the rounds (lowest-highest)"
echo "$env_before"
printf '%-46s %24s %24s %7s   %s\n' figure orvane bare ratio goal
echo "(for the tracks, 'bare' is the platform's MPEG Layer-3 decoder alone decoding the same file)"
row "start-up to painted, 10,000 entries (ms)" "$(startup orvane)" "$(startup bare)" "<= 1.8x" \
  "$(field orvane 2 "$start")" "$(field bare 2 "$start")"
row "  bare with the same 21 controls, unskinned (ms)" "$(startup orvane)" "$(startup bare_controls)" "<= 1.5x" \
  "$(field orvane 2 "$start")" "$(field bare_controls 2 "$start")"
row "  and with GDI+ and the first frame's pictures (ms)" "$(startup orvane)" "$(startup bare_pictures)" "floor +10%" \
  "$(field orvane 2 "$start")" "$(field bare_pictures 2 "$start")"
row "  and with the layout's fonts on the controls (ms)" "$(startup orvane)" "$(startup bare_fonts)" "" \
  "$(field orvane 2 "$start")" "$(field bare_fonts 2 "$start")"
for f in "${fill[@]}"; do
  set -- $f
  row2 "fill $1 entries into both lists (ms)" "$2 $3 $4 $5 $6 $7" "$([ $1 = 100000 ] && echo '<= 1.15x')"
done
if [ -n "$big" ]; then
  row "fill 2400000 entries, one run (ms)" "$(awk '$1=="fill" {print $3}' <<<"$fill_ours_big")" \
    "$(awk '$1=="fill" {print $3}' <<<"$fill_bare_big")" ""
fi
row2 "search 100,000 entries, $matches matches (ms)" "$search" "<= 1.15x"
row2 "  pinyin $pinyin_matches / keyword $title_matches matches (ms)" "$pinyin" "<= 2x"
row2 "full repaint of the main window (ms)" "$paint" "<= 4x"
row2 "  bare with the same 21 controls, unskinned (ms)" "$paint_controls" ""
hover=$(awk '$1 ~ /^hover_step/ {print $1, $2, $3}' <<<"$paint_ours")
row "one title-button hover step (ms)" "$(cut -d' ' -f2 <<<"$hover")" "-" "<= 2 ms"
row "control hover face, enter or leave (ms)" "$(field control_hover 1 "$paint_ours")" "-" ""
memory() { awk -v p="$1" -v k="$2" '$1==p && $2=="memory" {for(i=1;i<NF;i++) if($i==k) print $(i+1)}' <<<"$start"; }
withspread() { echo "$(memory "$1" "$2") ($(memory "$1" "$2_spread"))"; }
for k in started_private started_ws trimmed_private trimmed_ws; do
  row "memory: $k (MB)" "$(withspread orvane $k)" "$(withspread bare $k)" "" "$(memory orvane $k)" "$(memory bare $k)"
  row "  bare with the same 21 controls (MB)" "$(withspread orvane $k)" "$(withspread bare_controls $k)" \
    "$([ $k = started_private ] && echo '<= 1.5x')" "$(memory orvane $k)" "$(memory bare_controls $k)"
  row "  and with GDI+ and the pictures (MB)" "$(withspread orvane $k)" "$(withspread bare_pictures $k)" \
    "$([ $k = started_private ] && echo 'floor +10%')" "$(memory orvane $k)" "$(memory bare_pictures $k)"
done
for t in "${tracks[@]}"; do
  set -- $t
  # minutes, floor; analyse, its paired floor and ratio; hand-over, peak, after, its paired floor and ratio
  row "key of a $1-min MP3: hand-over to result box (ms)" "$6" "$9" "<= 1.2x decoder; $([ $1 = 4 ] && echo '<= 1000 ms' || echo '<= 2500 ms')"
  echo "    median of the per-run ratios to the decoder measured just before: ${10}"
  row "  reading, decoding, listening, no window (ms)" "$3" "$4" ""
  echo "    median of the per-run ratios: $5"
  row "  the decoder alone, on its own (ms)" "$2" "-" ""
  row "  hand-over / the decoder in two stretches at once (ms)" "$6" "${11}" ""
  row "  reading, decoding, listening in one run (ms)" "${12}" "$2" ""
  echo "    median of the per-run ratios: ${13}"
  row "  private bytes while listening, after (MB)" "+$7, +$8" "-" "<= +4 MB, falls back" "-" "-"
done
row "  an empty search's message box alone (ms)" "$box" "-" ""
exe=build/$build/app/orvane.exe
size=$(stat -c %s $exe)
image=$(pe_section $exe .orvimg)
row "orvane.exe (bytes)" "$size" "$(stat -c %s $b/startup/bench_bare_window.exe)" ""
row "  launcher without its image (bytes)" "$((size - image))" "-" "< 16384"
row "  program image section (bytes)" "$image" "-" ""
row "orvcore.rtl (bytes)" "$(stat -c %s build/$build/app/orvcore.rtl)" "-" ""
echo
echo "worst title-button step $(cut -d' ' -f3 <<<"$hover") ms, worst repaint $(field repaint 2 "$paint_ours") ms"
[ "${hover%% *}" = hover_step ] || echo "note: the title-button hover did not change the strip's pixels"
grep '^phases' <<<"${fill_ours_big:-}" | sed 's/^/orvane 50 MB /' || true
grep '^phases' <<<"${fill_bare_big:-}" | sed 's/^/bare 50 MB /' || true
echo
echo "environment after the run"
environment | tail -n +6
