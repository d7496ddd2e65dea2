#!/usr/bin/env bash
# The tracks the key benchmark hands to the program: a D major accompaniment
# (I-vi-IV-V, plucked chords, a bass line, a little noise for the cymbals)
# 4 and 10 minutes long, 44.1 kHz stereo, MP3 at 128 kbps as downloads come.
#   make_tracks.sh OUTDIR     writes OUTDIR/d-major-4min.mp3 and -10min.mp3
set -euo pipefail
out=$1
mkdir -p "$out"
[ -s "$out/d-major-10min.mp3" ] && [ -s "$out/d-major-4min.mp3" ] && exit 0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chord() { # name bass notes...
  local name=$1 bass=$2; shift 2
  local parts=()
  for n in "$@"; do parts+=(pluck "$n"); done
  sox -n -r 44100 -c 1 "$tmp/$name-c.wav" synth 2 "${parts[@]}" fade 0 2 0.1
  sox -n -r 44100 -c 1 "$tmp/$name-b.wav" synth 2 sine "$bass" fade 0.01 2 0.3 vol 0.5
  sox -n -r 44100 -c 1 "$tmp/$name-n.wav" synth 2 pinknoise vol 0.03
  sox -m "$tmp/$name-c.wav" "$tmp/$name-b.wav" "$tmp/$name-n.wav" "$tmp/$name.wav" norm -4
}
chord d D2 D3 F#3 A3 D4
chord bm B1 B2 D3 F#3 B3
chord g G1 G2 B2 D3 G3
chord a A1 A2 C#3 E3 A3
sox "$tmp/d.wav" "$tmp/bm.wav" "$tmp/g.wav" "$tmp/a.wav" "$tmp/bar.wav"
# 8 s a bar: 30 bars are 4 minutes, 75 are 10.
for minutes in 4 10; do
  bars=$((minutes * 60 / 8))
  sox "$tmp/bar.wav" -c 2 "$tmp/long.wav" repeat $((bars - 1))
  lame --quiet -b 128 "$tmp/long.wav" "$out/d-major-${minutes}min.mp3"
done
