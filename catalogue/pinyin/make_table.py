#!/usr/bin/python3
"""Write catalogue/pinyin/PinyinData.cpp, the pinyin readings of every
two-byte GBK hanzi, from the Unicode Han database.

Readings come from the kMandarin, kTGHZ2013 and kXHC1983 fields of
Unihan_Readings.txt: the reading in common use and those of two modern
dictionaries. kHanyuPinyin is left out on purpose: its historical readings
would make thousands of common characters polyphonic, and a pinyin search
would list songs nobody meant. Tones are dropped and u with diaeresis is
written v, the way singers type it.

The output is committed; run this again only when the source changes:

    /usr/bin/python3 catalogue/pinyin/make_table.py \\
        [/usr/share/unicode/Unihan_Readings.txt.bz2] [catalogue/pinyin/PinyinData.cpp]

(Debian's unicode-data package ships the file.) Runs on the same input give
the same bytes.
"""

import bz2
import os
import re
import sys
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_SOURCE = "/usr/share/unicode/Unihan_Readings.txt.bz2"
DEFAULT_OUTPUT = os.path.join(HERE, "PinyinData.cpp")
FIELDS = ("kMandarin", "kTGHZ2013", "kXHC1983")

# Must agree with catalogue/PinyinTable.h.
MAX_READINGS = 4
SYLLABLE_WIDTH = 6
NO_READING = 0xFFFF
LIST_FLAG = 0x8000
LAST_IN_LIST = 0x8000

TONE_MARKS = {"\u0300", "\u0301", "\u0304", "\u030c"}
CIRCUMFLEX = "\u0302"  # e-circumflex is plain e once the tone is gone
DIAERESIS = "\u0308"


def open_source(path):
    if path.endswith(".bz2"):
        return bz2.open(path, "rt", encoding="utf-8")
    return open(path, encoding="utf-8")


def toneless(reading):
    out = []
    for ch in unicodedata.normalize("NFD", reading):
        if ch in TONE_MARKS or ch == CIRCUMFLEX:
            continue
        if ch == DIAERESIS:
            if out and out[-1] == "u":
                out[-1] = "v"
                continue
            raise ValueError("diaeresis not on u in %r" % reading)
        out.append(ch)
    text = "".join(out)
    if not re.fullmatch(r"[a-z]+", text):
        raise ValueError("reading %r gives %r" % (reading, text))
    return text


def read_source(path):
    """Code point -> set of toneless readings, and the file's header lines."""
    readings = {}
    header = {}
    with open_source(path) as f:
        for line in f:
            if line.startswith("#"):
                m = re.match(r"#\s*(Date|Unicode version):\s*(.*)", line)
                if m:
                    header[m.group(1)] = m.group(2).strip()
                continue
            parts = line.rstrip("\n").split("\t")
            if len(parts) != 3 or parts[1] not in FIELDS:
                continue
            code = int(parts[0][2:], 16)
            for token in parts[2].split(" "):
                # kTGHZ2013 and kXHC1983 put a page reference before a colon;
                # kXHC1983 may list several readings after it.
                values = token.split(":", 1)[-1]
                for value in values.split(","):
                    readings.setdefault(code, set()).add(toneless(value))
    return readings, header


def is_hanzi(ch):
    name = unicodedata.name(ch, "")
    return name.startswith("CJK UNIFIED IDEOGRAPH") or name.startswith("CJK COMPATIBILITY IDEOGRAPH")


def canonical(ch):
    # A compatibility ideograph decomposes to the unified one it stands for.
    if "CJK COMPATIBILITY IDEOGRAPH" in unicodedata.name(ch, ""):
        decomposed = unicodedata.normalize("NFD", ch)
        if len(decomposed) == 1:
            return decomposed
    return ch


def lead_row(lead):
    """Row of the grid for a lead byte; None for the symbol rows A1..A9."""
    if 0x81 <= lead <= 0xA0:
        return lead - 0x81
    if 0xAA <= lead <= 0xFE:
        return lead - 0xAA + 32
    return None


def trail_column(trail):
    if 0x40 <= trail <= 0x7E:
        return trail - 0x40
    if 0x80 <= trail <= 0xFE:
        return trail - 0x41
    return None


ROWS = 32 + (0xFE - 0xAA + 1)
COLUMNS = 190


def build(readings):
    characters = {}  # (lead, trail) -> sorted readings, or None for a hanzi without one
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            if trail == 0x7F:
                continue
            try:
                ch = bytes([lead, trail]).decode("cp936")
            except UnicodeDecodeError:
                continue
            if len(ch) != 1 or not is_hanzi(ch):
                continue
            found = readings.get(ord(canonical(ch))) or readings.get(ord(ch))
            characters[(lead, trail)] = sorted(found) if found else None
    for (lead, trail), r in characters.items():
        if lead_row(lead) is None:
            raise ValueError("hanzi in a symbol row: %02X%02X" % (lead, trail))
        if r and len(r) > MAX_READINGS:
            raise ValueError("%02X%02X has %d readings" % (lead, trail, len(r)))
    syllables = sorted({s for r in characters.values() if r for s in r})
    if any(len(s) > SYLLABLE_WIDTH for s in syllables) or len(syllables) >= LIST_FLAG:
        raise ValueError("syllables do not fit")
    index = {s: i for i, s in enumerate(syllables)}
    cells = [0] * (ROWS * COLUMNS)
    lists = []
    list_at = {}
    for (lead, trail), r in sorted(characters.items()):
        at = lead_row(lead) * COLUMNS + trail_column(trail)
        if r is None:
            cells[at] = NO_READING
        elif len(r) == 1:
            cells[at] = index[r[0]] + 1
        else:
            key = tuple(r)
            if key not in list_at:
                list_at[key] = len(lists)
                lists.extend(index[s] for s in r[:-1])
                lists.append(index[r[-1]] | LAST_IN_LIST)
            cells[at] = LIST_FLAG | list_at[key]
    if len(lists) >= NO_READING - LIST_FLAG:
        raise ValueError("reading lists do not fit")
    return characters, syllables, cells, lists


def numbers(values, per_line=16):
    lines = []
    for i in range(0, len(values), per_line):
        lines.append("    " + ", ".join(str(v) for v in values[i:i + per_line]) + ",")
    return "\n".join(lines)


def write(path, source_name, header, characters, syllables, cells, lists):
    covered = sum(1 for r in characters.values() if r)
    polyphonic = sum(1 for r in characters.values() if r and len(r) > 1)
    version = "Unihan_Readings.txt, Unicode %s, %s" % (header.get("Unicode version", "?"), header.get("Date", "?"))
    text = []
    text.append("// Generated by catalogue/pinyin/make_table.py from %s" % source_name)
    text.append("// (%s); do not edit." % version)
    text.append("//")
    text.append("// Derived from the Unicode Character Database and modified: the readings of")
    text.append("// fields %s only, tone marks removed, u with diaeresis" % ", ".join(FIELDS))
    text.append("// written v, keyed by GBK code instead of code point.")
    text.append("// Unicode Character Database, (c) 2022 Unicode, Inc. For terms of use, see")
    text.append("// http://www.unicode.org/terms_of_use.html; the licence's notice is in")
    text.append("// catalogue/pinyin/LICENSE-Unicode.txt.")
    text.append("//")
    text.append("// %d hanzi with readings (%d of them polyphonic), %d without, %d syllables."
                % (covered, polyphonic, len(characters) - covered, len(syllables)))
    text.append('#include "catalogue/PinyinTable.h"')
    text.append("")
    text.append("namespace orv::pinyin_data {")
    text.append("")
    text.append('extern const char kSource[] = "%s";' % version)
    text.append("")
    text.append("static_assert(kGridRows == %d && kGridColumns == %d && kSyllableWidth == %d && kMaxPinyinReadings >= %d,"
                % (ROWS, COLUMNS, SYLLABLE_WIDTH, max(len(r) for r in characters.values() if r)))
    text.append('              "catalogue/PinyinTable.h does not describe this table");')
    text.append("")
    text.append("// Each syllable padded with NULs to %d bytes." % SYLLABLE_WIDTH)
    text.append("extern const char kSyllables[] =")
    for i in range(0, len(syllables), 8):
        chunk = "".join(s + "\\0" * (SYLLABLE_WIDTH - len(s)) for s in syllables[i:i + 8])
        text.append('    "%s"' % chunk)
    text.append("    ;")
    text.append("")
    text.append("extern const uint16_t kGrid[kGridRows * kGridColumns] = {")
    text.append(numbers(cells, 20))
    text.append("};")
    text.append("")
    text.append("extern const uint16_t kLists[] = {")
    text.append(numbers(lists, 20))
    text.append("};")
    text.append("")
    text.append("}  // namespace orv::pinyin_data")
    text.append("")
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(text))
    return covered, polyphonic


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_SOURCE
    output = sys.argv[2] if len(sys.argv) > 2 else DEFAULT_OUTPUT
    readings, header = read_source(source)
    characters, syllables, cells, lists = build(readings)
    covered, polyphonic = write(output, os.path.basename(source), header, characters, syllables, cells, lists)
    size = len(syllables) * SYLLABLE_WIDTH + 1 + 2 * len(cells) + 2 * len(lists)
    print("%s: %d hanzi with readings, %d polyphonic, %d without, %d syllables, %d bytes of data"
          % (output, covered, polyphonic, len(characters) - covered, len(syllables), size))


if __name__ == "__main__":
    main()
