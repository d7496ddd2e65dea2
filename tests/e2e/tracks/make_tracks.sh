#!/usr/bin/env bash
# Makes the backing track the end-to-end tests hand to the program as an MP3:
# an E minor accompaniment (i-iv-V7-i, the V7 with the raised leading tone)
# plucked by sox, encoded by lame as MPEG-2 Layer III (22.05 kHz mono, 32
# kbps) behind an ID3v2 tag whose title, 晴天, is GBK bytes in a frame
# labelled ISO-8859-1, as many Chinese MP3s carry it. Run once; the result is
# committed (about 60 KB).
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chord() { # name notes...
  local name=$1; shift
  local parts=()
  for n in "$@"; do parts+=(pluck "$n"); done
  sox -n -r 22050 -c 1 "$tmp/$name.wav" synth 2 "${parts[@]}" fade 0 2 0.2 norm -3
}
chord em E2 E3 G3 B3 E4
chord am A2 A3 C4 E4 A4
chord b7 B2 B3 D#4 F#4 A4
bar=("$tmp/em.wav" "$tmp/am.wav" "$tmp/b7.wav" "$tmp/em.wav")
sox "${bar[@]}" "${bar[@]}" "$tmp/track.wav"
lame --quiet -m m -b 32 --resample 22.05 "$tmp/track.wav" "$tmp/track.mp3"
# The tag is written here: lame will not put bytes it cannot read as Latin-1
# into a Latin-1 frame.
python3 - "$tmp/track.mp3" e-minor.mp3 <<'PY'
import struct, sys
title = b"\xc7\xe7\xcc\xec"  # 晴天 in GBK
frame = b"TIT2" + struct.pack(">I", len(title) + 1) + b"\0\0" + b"\0" + title
size = len(frame)
syncsafe = bytes([(size >> 21) & 127, (size >> 14) & 127, (size >> 7) & 127, size & 127])
with open(sys.argv[2], "wb") as out:
    out.write(b"ID3\3\0\0" + syncsafe + frame + open(sys.argv[1], "rb").read())
PY
