#!/usr/bin/env bash
# Scores the key estimator against Essentia's key extractor on the generated
# corpus (make_corpus.py): signature and exact-key accuracy, a breakdown by
# kind of track, every miss with what each detector said, the files with no
# key, and the median time per track.
#
#   bash bench/keys/score.sh [CORPUS]        (default /work/corpus)
#
# ORV_KEYS_FRESH=1 runs Essentia again even when its results are newer than
# the corpus; ORV_KEYS_ESSENTIA=0 leaves it out; ESSENTIA_PROFILES picks its
# profiles (default bgate,edma,temperley,krumhansl,shaath); ORV_KEYS_PARTS=N
# hears each file in N parts taken together (orv_key --parts). Results go to
# build/keys-host/keys-results.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
corpus="$(cd "${1:-/work/corpus}" && pwd)"
build="$root/build/keys-host"
out="$build/keys-results"
essentia_node="${ESSENTIA_NODE:-/work/essentia-node}"
profiles="${ESSENTIA_PROFILES:-bgate,edma,temperley,krumhansl,shaath}"
labels="$corpus/labels.tsv"
[ -f "$labels" ] || { echo "no $labels: run python3 bench/keys/make_corpus.py $corpus" >&2; exit 2; }
# Decoded MP3s are kept per corpus: two corpora made from other seeds share
# their file names.
decoded="$out/decoded/$(printf '%s' "$corpus" | tr '/' '_')"
mkdir -p "$decoded"

echo "== building orv_key (Release, no sanitizers) in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DORV_BENCH=ON -DORV_SANITIZE=OFF >"$out/cmake.log" 2>&1 ||
    { tail -20 "$out/cmake.log"; exit 1; }
cmake --build "$build" -j2 --target orv_key >"$out/build.log" 2>&1 || { tail -30 "$out/build.log"; exit 1; }

# The program decodes MP3 with the platform's decoder; here lame does it first,
# outside the timing.
originals=()
wavs=()
while IFS=$'\t' read -r file _; do
    [ "$file" = file ] && continue
    originals+=("$corpus/$file")
    case "$file" in
    *.mp3)
        dec="$decoded/${file%.mp3}.wav"
        if [ ! -s "$dec" ] || [ "$corpus/$file" -nt "$dec" ]; then
            lame --quiet --decode "$corpus/$file" "$dec"
        fi
        wavs+=("$dec")
        ;;
    *) wavs+=("$corpus/$file") ;;
    esac
done <"$labels"

echo "== orv_key on ${#wavs[@]} files"
"$build/bench/keys/orv_key" ${ORV_KEYS_PARTS:+--parts "$ORV_KEYS_PARTS"} "${wavs[@]}" >"$out/orv.tsv" || true

essentia_tsv="$out/essentia.tsv"
if [ "${ORV_KEYS_ESSENTIA:-1}" != 0 ]; then
    stale=1
    if [ -s "$essentia_tsv" ] && [ "${ORV_KEYS_FRESH:-0}" != 1 ] && [ "$essentia_tsv" -nt "$labels" ] &&
        [ "$(cat "$out/essentia.profiles" 2>/dev/null)" = "$profiles|$corpus" ]; then
        stale=0
    fi
    if [ "$stale" = 1 ]; then
        if [ ! -d "$essentia_node/node_modules/essentia.js" ]; then
            echo "== installing essentia.js 0.1.3 into $essentia_node"
            mkdir -p "$essentia_node"
            npm install --prefix "$essentia_node" --no-audit --no-fund essentia.js@0.1.3 >"$out/npm.log" 2>&1
        fi
        echo "== Essentia KeyExtractor ($profiles) on ${#originals[@]} files"
        ESSENTIA_NODE="$essentia_node" node "$here/essentia_keys.mjs" --profile "$profiles" "${originals[@]}" \
            >"$essentia_tsv.tmp"
        mv "$essentia_tsv.tmp" "$essentia_tsv"
        echo "$profiles|$corpus" >"$out/essentia.profiles"
    else
        echo "== Essentia: results from $essentia_tsv (newer than the corpus; ORV_KEYS_FRESH=1 to redo)"
    fi
else
    : >"$essentia_tsv"
fi

python3 - "$labels" "$out/orv.tsv" "$essentia_tsv" "$profiles" <<'PY'
import os
import statistics
import sys
from collections import defaultdict

labels_path, orv_path, ess_path, profile_list = sys.argv[1:5]
SHARP = ['C', 'C#', 'D', 'D#', 'E', 'F', 'F#', 'G', 'G#', 'A', 'A#', 'B']
FLAT = ['C', 'Db', 'D', 'Eb', 'E', 'F', 'Gb', 'G', 'Ab', 'A', 'Bb', 'B']


def Name(tonic, mode):
    if tonic is None:
        return mode
    sig = (tonic + 3) % 12 if mode == 'minor' else tonic
    names = FLAT if sig in (5, 10, 3, 8, 1) else SHARP
    return names[tonic] + ('m' if mode == 'minor' else '')


def Stem(path):
    return os.path.splitext(os.path.basename(path))[0]


truth = {}
order = []
with open(labels_path) as f:
    next(f)
    for line in f:
        c = line.rstrip('\n').split('\t')
        t = dict(file=c[0], mode=c[2], kind=c[4], desc=c[5] if len(c) > 5 else '')
        t['tonic'] = None if c[1] == '-' else int(c[1])
        t['sig'] = None if c[3] == '-' else int(c[3])
        truth[Stem(c[0])] = t
        order.append(Stem(c[0]))


def Row(c):
    keyed = c[1] == 'key'
    return dict(verdict=c[1], tonic=int(c[2]) if keyed else None, mode=c[3] if keyed else 'none',
                sig=int(c[4]) if keyed else None, conf=float(c[5]), secs=float(c[6]))


detectors = {}  # name -> stem -> row
with open(orv_path) as f:
    detectors['orv'] = {Stem(c[0]): Row(c) for c in (l.rstrip('\n').split('\t') for l in f) if len(c) >= 7}
profiles = [p for p in profile_list.split(',') if p]
if os.path.getsize(ess_path):
    with open(ess_path) as f:
        for line in f:
            c = line.rstrip('\n').split('\t')
            if len(c) < 7:
                continue
            prof = c[7] if len(c) > 7 else profiles[0]
            detectors.setdefault('essentia-' + prof, {})[Stem(c[0])] = Row(c)

keyed = [s for s in order if truth[s]['mode'] != 'none']
nokey = [s for s in order if truth[s]['mode'] == 'none']


def Said(row):
    if row is None:
        return 'nothing'
    if row['verdict'] != 'key':
        return row['verdict']
    return '%s (%.2f)' % (Name(row['tonic'], row['mode']), row['conf'])


def Judge(det, stems):
    rows = detectors[det]
    sig = exact = fifth_up = fifth_down = relative = parallel = 0
    for s in stems:
        r, t = rows.get(s), truth[s]
        if not r or r['verdict'] != 'key':
            continue
        if r['sig'] == t['sig']:
            sig += 1
            if r['tonic'] == t['tonic'] and r['mode'] == t['mode']:
                exact += 1
            else:
                relative += 1
        else:
            d = (r['sig'] - t['sig']) % 12
            fifth_up += d == 7
            fifth_down += d == 5
            if r['tonic'] == t['tonic']:
                parallel += 1
    return dict(n=len(stems), sig=sig, exact=exact, up=fifth_up, down=fifth_down, relative=relative,
                parallel=parallel)


def Pct(a, n):
    return '%5.1f%%' % (100.0 * a / n) if n else '    -'


dets = ['orv'] + ['essentia-' + p for p in profiles if 'essentia-' + p in detectors]
print()
print('Signature = the major key of the signature (a minor song counts as its relative major).')
print('%d keyed tracks, %d without a key.' % (len(keyed), len(nokey)))
print()
print('%-20s %10s %10s %9s %9s %9s %9s %8s %9s' % ('detector', 'signature', 'exact', '5th up', '5th down',
                                                    'rel.mode', 'parallel', 'no-key', 'median s'))
for d in dets:
    j = Judge(d, keyed)
    handled = sum(1 for s in nokey if detectors[d].get(s) and detectors[d][s]['verdict'] != 'key')
    secs = [r['secs'] for r in detectors[d].values()]
    print('%-20s %4d %s %4d %s %9d %9d %9d %9d %4d/%-3d %9.3f' % (
        d, j['sig'], Pct(j['sig'], j['n']), j['exact'], Pct(j['exact'], j['n']), j['up'], j['down'], j['relative'],
        j['parallel'], handled, len(nokey), statistics.median(secs) if secs else 0))
print('(5th up/down: signature a fifth above/below; rel.mode: right signature, wrong tonic or mode;')
print(' parallel: right tonic, other mode; median s: per track, Essentia including its sox decode)')

ess = [d for d in dets if d != 'orv']
best = max(ess, key=lambda d: (Judge(d, keyed)['sig'], Judge(d, keyed)['exact'])) if ess else None

print()
print('By kind (signature / exact)%s:' % (', beside ' + best if best else ''))
kinds = []
for s in keyed:
    if truth[s]['kind'] not in kinds:
        kinds.append(truth[s]['kind'])
print('%-20s %4s %15s %15s' % ('kind', 'n', 'orv', best or ''))
for k in kinds:
    stems = [s for s in keyed if truth[s]['kind'] == k]
    line = '%-20s %4d' % (k, len(stems))
    for d in ['orv'] + ([best] if best else []):
        j = Judge(d, stems)
        line += '   %s /%s' % (Pct(j['sig'], j['n']), Pct(j['exact'], j['n']))
    print(line)
for mode in ('major', 'minor'):
    stems = [s for s in keyed if truth[s]['mode'] == mode]
    line = '%-20s %4d' % ('(all ' + mode + ')', len(stems))
    for d in ['orv'] + ([best] if best else []):
        j = Judge(d, stems)
        line += '   %s /%s' % (Pct(j['sig'], j['n']), Pct(j['exact'], j['n']))
    print(line)


def Misses(det):
    rows = detectors[det]
    print()
    out = []
    for s in keyed:
        r = rows.get(s)
        if not r or r['verdict'] != 'key' or r['sig'] != truth[s]['sig']:
            out.append(s)
    print('Signature misses of %s (%d):' % (det, len(out)))
    for s in out:
        t = truth[s]
        others = '' if det != 'orv' or not best else '   %s: %s' % (best, Said(detectors[best].get(s)))
        print('  %-34s is %-4s  said %-14s%s' % (t['file'], Name(t['tonic'], t['mode']), Said(rows.get(s)), others))
        print('  %34s %s' % ('', t['desc'][:150]))


Misses('orv')
if best:
    Misses(best)

print()
print('Files without a key (orv must not name one):')
for s in nokey:
    t = truth[s]
    line = '  %-26s orv: %-14s' % (t['file'], Said(detectors['orv'].get(s)))
    if best:
        line += ' %s: %s' % (best, Said(detectors[best].get(s)))
    print(line)
PY
