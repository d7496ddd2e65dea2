#!/usr/bin/python3
"""Verify Orvane's generated resources: formats, sizes, channel layouts and the
exact byte counts the program relies on. Exits non-zero on any mismatch.

Usage:  /usr/bin/python3 tools/check_resources.py [resources-dir]
"""

import os
import struct
import sys

import numpy as np
from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# name -> (width, height, alpha requirement)
#   "soft":  must have fully transparent, fully opaque and in-between pixels
#   "cut":   must have fully transparent and fully opaque pixels
PNGS = {
    "tool_ressim.png": (32, 32, "soft"),
    "tool_pellat.png": (32, 32, "soft"),
    "tool_corvel.png": (32, 32, "soft"),
    "tool_tamblin.png": (32, 32, "soft"),
    "chat.png": (20, 20, "soft"),
    "search.png": (128, 128, "soft"),
    "remote_search.png": (128, 128, "soft"),
    "save.png": (220, 220, "soft"),
    "title_min.png": (26, 18, "soft"),
    "title_max.png": (26, 18, "soft"),
    "title_restore.png": (26, 18, "soft"),
    "title_help.png": (26, 18, "soft"),
    "title_menu.png": (26, 18, "soft"),
    "title_close.png": (38, 18, "soft"),
    "msgbox_close.png": (38, 18, "soft"),
    "combo_arrow.png": (7, 4, "cut"),
    "arrow_up.png": (7, 4, "cut"),
    "arrow_down.png": (7, 4, "cut"),
    "arrow_left.png": (4, 7, "cut"),
    "arrow_right.png": (4, 7, "cut"),
}

# name -> (channels, rate, data bytes)
WAVS = {
    "click.wav": (1, 44100, 20736),
    "window.wav": (2, 22050, 197460),
}

ICO_BYTES = 4286

# IJG base tables (natural order) used to recover the JPEG quality setting
STD_LUMA = [
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
]
ZIGZAG = [
    0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6, 7, 14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
]


class Checker:
    def __init__(self):
        self.failures = 0

    def expect(self, cond, name, what):
        if not cond:
            self.failures += 1
            print("FAIL %-20s %s" % (name, what))
        return cond

    def ok(self, name, what):
        print("ok   %-20s %s" % (name, what))


def png_ihdr(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    w, h, depth, ctype = struct.unpack(">IIBB", data[16:26])
    return w, h, depth, ctype


def check_png(ck, path, name, w, h, alpha_rule):
    with open(path, "rb") as f:
        data = f.read()
    ihdr = png_ihdr(data)
    if not ck.expect(ihdr is not None, name, "not a PNG"):
        return
    pw, ph, depth, ctype = ihdr
    good = ck.expect((pw, ph) == (w, h), name, "size %dx%d, want %dx%d" % (pw, ph, w, h))
    good &= ck.expect(depth == 8 and ctype == 6, name,
                      "bit depth %d colour type %d, want 8-bit RGBA (6)" % (depth, ctype))
    with Image.open(path) as im:
        im.load()
        good &= ck.expect(im.mode == "RGBA", name, "mode %s, want RGBA" % im.mode)
        a = np.asarray(im)[..., 3]
    has0, has255 = (a == 0).any(), (a == 255).any()
    mid = ((a > 0) & (a < 255)).any()
    good &= ck.expect(has0 and has255, name, "alpha lacks fully transparent or opaque pixels")
    if alpha_rule == "soft":
        good &= ck.expect(mid, name, "alpha has no anti-aliased edge")
    if good:
        ck.ok(name, "PNG %dx%d 8-bit RGBA, alpha %d..%d, %d bytes"
              % (pw, ph, a.min(), a.max(), len(data)))


def jpeg_quality(tables):
    luma = tables.get(0)
    if luma is None:
        return None
    luma = list(luma)
    # PIL may hand the table over in zigzag or natural order depending on
    # version; accept either
    for q in range(1, 101):
        scale = 5000 // q if q < 50 else 200 - 2 * q
        nat = [min(255, max(1, (v * scale + 50) // 100)) for v in STD_LUMA]
        zz = [nat[i] for i in ZIGZAG]
        if luma == nat or luma == zz:
            return q
    return None


def check_jpeg(ck, path, name):
    with open(path, "rb") as f:
        data = f.read()
    if not ck.expect(data[:2] == b"\xff\xd8", name, "no JPEG SOI marker"):
        return
    sof = []
    i = 2
    while i + 4 <= len(data):
        if data[i] != 0xFF:
            break
        marker = data[i + 1]
        if marker == 0xD9 or marker == 0xDA:
            break
        length = struct.unpack(">H", data[i + 2:i + 4])[0]
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            prec, h, w, comps = struct.unpack(">BHHB", data[i + 4:i + 10])
            sof.append((marker, prec, w, h, comps))
        i += 2 + length
    good = ck.expect(len(sof) == 1, name, "found %d frame headers" % len(sof))
    if not good:
        return
    marker, prec, w, h, comps = sof[0]
    good &= ck.expect(marker == 0xC0, name, "frame type 0x%02X, want baseline 0xC0" % marker)
    good &= ck.expect(prec == 8 and comps == 3, name,
                      "precision %d, %d components; want 8-bit, 3" % (prec, comps))
    good &= ck.expect((w, h) == (450, 300), name, "size %dx%d, want 450x300" % (w, h))
    with Image.open(path) as im:
        im.load()
        good &= ck.expect(im.mode == "RGB", name, "mode %s, want RGB" % im.mode)
        q = jpeg_quality(getattr(im, "quantization", {}) or {})
    good &= ck.expect(q is not None and 85 <= q <= 95, name, "quality %s, want about 90" % q)
    if good:
        ck.ok(name, "JPEG baseline %dx%d 24-bit RGB, quality %d, %d bytes" % (w, h, q, len(data)))


def check_ico(ck, path, name):
    with open(path, "rb") as f:
        data = f.read()
    good = ck.expect(len(data) == ICO_BYTES, name, "%d bytes, want %d" % (len(data), ICO_BYTES))
    if len(data) < 62:
        return
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    good &= ck.expect((reserved, kind, count) == (0, 1, 1), name,
                      "ICONDIR %r, want one icon" % ((reserved, kind, count),))
    w, h, colors, res, planes, bpp, size, offset = struct.unpack("<BBBBHHII", data[6:22])
    good &= ck.expect((w, h, colors, res, planes, bpp) == (32, 32, 0, 0, 1, 32), name,
                      "entry %r" % ((w, h, colors, res, planes, bpp),))
    good &= ck.expect(offset == 22 and offset + size == len(data), name,
                      "entry offset %d size %d" % (offset, size))
    (bsize, bw, bh, bplanes, bbits, comp, isize) = struct.unpack("<IiiHHII", data[22:46])
    good &= ck.expect((bsize, bw, bh, bplanes, bbits, comp) == (40, 32, 64, 1, 32, 0), name,
                      "BITMAPINFOHEADER %r" % ((bsize, bw, bh, bplanes, bbits, comp),))
    xor = np.frombuffer(data[62:62 + 4096], np.uint8).reshape(32, 32, 4)[::-1]
    mask_raw = np.frombuffer(data[62 + 4096:], np.uint8)
    good &= ck.expect(mask_raw.size == 128, name, "AND mask %d bytes, want 128" % mask_raw.size)
    if mask_raw.size == 128:
        mask = np.unpackbits(mask_raw.reshape(32, 4), axis=1)[::-1].astype(bool)
        alpha = xor[..., 3]
        good &= ck.expect((mask == (alpha == 0)).all(), name,
                          "AND mask disagrees with alpha transparency")
        good &= ck.expect((alpha == 0).any() and (alpha == 255).any()
                          and ((alpha > 0) & (alpha < 255)).any(), name,
                          "alpha channel is not a real soft mask")
    if good:
        ck.ok(name, "ICO one 32x32 32-bpp image + AND mask, %d bytes" % len(data))


def check_wav(ck, path, name, channels, rate, nbytes):
    with open(path, "rb") as f:
        data = f.read()
    good = ck.expect(len(data) == 44 + nbytes, name,
                     "%d bytes, want %d (44-byte header + %d)" % (len(data), 44 + nbytes, nbytes))
    if len(data) < 44:
        return
    riff, riff_size, wave = struct.unpack("<4sI4s", data[:12])
    good &= ck.expect(riff == b"RIFF" and wave == b"WAVE" and riff_size == len(data) - 8,
                      name, "RIFF header")
    fmt, fmt_size, tag, ch, sr, brate, align, bits = struct.unpack("<4sIHHIIHH", data[12:36])
    good &= ck.expect(fmt == b"fmt " and fmt_size == 16 and tag == 1, name,
                      "fmt chunk %r size %d tag %d, want plain PCM" % (fmt, fmt_size, tag))
    good &= ck.expect((ch, sr, bits) == (channels, rate, 16), name,
                      "%d ch %d Hz %d-bit, want %d ch %d Hz 16-bit" % (ch, sr, bits, channels, rate))
    good &= ck.expect(align == ch * 2 and brate == sr * ch * 2, name, "block align / byte rate")
    tag2, dsize = struct.unpack("<4sI", data[36:44])
    good &= ck.expect(tag2 == b"data" and dsize == nbytes, name,
                      "data chunk %r %d bytes, want %d" % (tag2, dsize, nbytes))
    pcm = np.frombuffer(data[44:], "<i2").astype(np.int32)
    peak = int(np.abs(pcm).max()) if pcm.size else 0
    good &= ck.expect(peak < 32767, name, "peak %d: clipped" % peak)
    good &= ck.expect(peak > 3000, name, "peak %d: nearly silent" % peak)
    edge = int(max(np.abs(pcm[:ch]).max(), np.abs(pcm[-ch:]).max()))
    good &= ck.expect(edge < 64, name, "starts or ends with a step of %d" % edge)
    if good:
        frames = dsize // (2 * ch)
        ck.ok(name, "WAV PCM %d ch %d Hz 16-bit, %d data bytes (%d frames, %.3f s), peak %.1f dBFS"
              % (ch, sr, dsize, frames, frames / sr, 20 * np.log10(peak / 32768.0)))


def main():
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "resources")
    ck = Checker()
    names = ["background.jpg", "app.ico"] + list(PNGS) + list(WAVS)
    for name in names:
        path = os.path.join(res, name)
        if not ck.expect(os.path.isfile(path), name, "missing"):
            continue
        try:
            if name.endswith(".jpg"):
                check_jpeg(ck, path, name)
            elif name.endswith(".ico"):
                check_ico(ck, path, name)
            elif name.endswith(".png"):
                check_png(ck, path, name, *PNGS[name])
            else:
                check_wav(ck, path, name, *WAVS[name])
        except Exception as e:  # a malformed file must fail the check, not crash it
            ck.expect(False, name, "unreadable: %s" % e)
    readme = os.path.join(res, "README.md")
    if ck.expect(os.path.isfile(readme), "README.md", "missing"):
        with open(readme, encoding="utf-8") as f:
            text = f.read()
        missing = [n for n in names if n not in text]
        if ck.expect(not missing, "README.md", "does not list %s" % ", ".join(missing)):
            ck.ok("README.md", "lists all %d files" % len(names))
    # the directory also holds the resource script and its C++ glue, so only
    # pictures and sounds the generator does not make are worth a mention
    media = (".png", ".jpg", ".jpeg", ".ico", ".wav", ".bmp", ".cur")
    extra = sorted(n for n in os.listdir(res)
                   if n.lower().endswith(media) and n not in names)
    if extra:
        print("note %-20s not made by the generator: %s" % ("resources/", ", ".join(extra)))
    if ck.failures:
        print("%d problem(s) found" % ck.failures)
        return 1
    print("all %d resources OK" % len(names))
    return 0


if __name__ == "__main__":
    sys.exit(main())
