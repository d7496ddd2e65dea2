#!/usr/bin/env python3
"""Generates the key-estimation corpus: backing tracks with known keys, rendered
and mastered the way released accompaniments are, plus a few files with no key.

The key estimator is tuned and scored against this, so the tracks lean on the
cases where a chroma-and-profile detector answers a fifth away (ii-V-I verses,
melodies that dwell on the dominant, the royal road, detuned minor songs,
songs that start or end away from the tonic, intros in another harmony,
pentatonic melodies) besides plain pop progressions in all 24 keys.

Needs Debian's mma, fluidsynth, timgm6mb-soundfont (fluid-soundfont-gm used
when present), sox and lame. Everything is seeded: the same command writes the
same files. Usage: make_corpus.py [CORPUS_DIR] [--jobs 2] [--limit N]
"""
import argparse
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
from multiprocessing import Pool

SF_TIM = '/usr/share/sounds/sf2/TimGM6mb.sf2'
SF_FLUID = '/usr/share/sounds/sf2/FluidR3_GM.sf2'
SHARP_NAMES = ['C', 'C#', 'D', 'D#', 'E', 'F', 'F#', 'G', 'G#', 'A', 'A#', 'B']
FLAT_NAMES = ['C', 'Db', 'D', 'Eb', 'E', 'F', 'Gb', 'G', 'Ab', 'A', 'Bb', 'B']
FLAT_SIGNATURES = {5, 10, 3, 8, 1}  # F Bb Eb Ab Db: spelled with flats, the rest with sharps
DIVISION = 480

MAJOR_SCALE = [0, 2, 4, 5, 7, 9, 11]
MINOR_SCALE = [0, 2, 3, 5, 7, 8, 10]
QUALITY_TONES = {'': [0, 4, 7], 'm': [0, 3, 7], '7': [0, 4, 7, 10], 'm7': [0, 3, 7, 10], 'M7': [0, 4, 7, 11],
                 'dim': [0, 3, 6], 'sus4': [0, 5, 7], 'm7b5': [0, 3, 6, 10], 'add9': [0, 4, 7, 14]}

# Progressions as (semitones above the tonic, quality); minor ones count from the minor tonic.
PROGRESSIONS = {
    'I-V-vi-IV': [(0, ''), (7, ''), (9, 'm'), (5, '')],
    'vi-IV-I-V': [(9, 'm'), (5, ''), (0, ''), (7, '')],
    'I-vi-IV-V': [(0, ''), (9, 'm'), (5, ''), (7, '')],
    'IV-V-iii-vi': [(5, ''), (7, ''), (4, 'm'), (9, 'm')],
    'i-VI-III-VII': [(0, 'm'), (8, ''), (3, ''), (10, '')],
    'i-iv-V7-i': [(0, 'm'), (5, 'm'), (7, '7'), (0, 'm')],
    'i-VII-VI-V7': [(0, 'm'), (10, ''), (8, ''), (7, '7')],
    'ii-V-I': [(2, 'm7'), (7, '7'), (0, 'M7'), (0, 'M7')],
    'ii-V-I-vi': [(2, 'm7'), (7, '7'), (0, 'M7'), (9, 'm7')],
    'royal-road': [(5, 'M7'), (7, '7'), (4, '7'), (9, 'm')],
    'canon': [(0, ''), (7, ''), (9, 'm'), (4, 'm'), (5, ''), (0, ''), (5, ''), (7, '')],
    'I-iii-IV-V': [(0, ''), (4, 'm'), (5, ''), (7, '')],
    'i-VI-VII-i': [(0, 'm'), (8, ''), (10, ''), (0, 'm')],
    'i-iv-VII-III': [(0, 'm'), (5, 'm'), (10, ''), (3, '')],
    'i-v-VI-III': [(0, 'm'), (7, 'm'), (8, ''), (3, '')],
    'ii-V-vamp': [(2, 'm7'), (7, '7'), (2, 'm7'), (7, '7'), (2, 'm7'), (7, '7'), (0, 'M7'), (0, 'M7')],
    'I-II7-IV-I': [(0, ''), (2, '7'), (5, ''), (0, '')],
    'I-V-ii-V': [(0, ''), (7, ''), (2, 'm'), (7, '')],
    'I-II7-V7-I': [(0, ''), (2, '7'), (7, '7'), (0, '')],
}
MAJOR_POOL = ['I-V-vi-IV', 'I-vi-IV-V', 'vi-IV-I-V', 'IV-V-iii-vi', 'canon', 'I-iii-IV-V']
MINOR_POOL = ['i-VI-III-VII', 'i-iv-V7-i', 'i-VII-VI-V7', 'i-VI-VII-i', 'i-iv-VII-III']

# mma grooves (all 4/4) with the tempos they suit and a variant for choruses.
GROOVES = [
    ('8Beat', 80, 130, '8BeatSus'), ('PopBallad', 60, 84, 'PopBalladPlus'), ('SoftRock', 84, 120, 'SoftRockSus'),
    ('Ballad', 60, 80, 'BalladPlus'), ('BossaNova', 110, 140, 'BossaNovaSus'), ('FolkRock', 90, 130, 'FolkRockPlus'),
    ('CountrySwing', 100, 140, 'CountrySwingSus'), ('SlowCountry', 60, 84, 'SlowCountrySus'),
    ('RockBallad', 64, 90, 'RockBallad1'), ('PianoBallad', 60, 84, 'PianoBallad1'),
    ('GuitarBallad', 60, 88, 'GuitarBallad1'), ('BasicRock', 100, 140, 'BasicRockSus'),
    ('50sRock', 110, 140, '50sRockSus'), ('R&B-Ballad', 60, 84, 'R&B-BalladSus'),
    ('BubbleRock', 100, 136, 'BubbleRockPlus'), ('LFusion', 90, 120, 'LFusionSus'),
    ('Folk', 80, 120, 'FolkSus'), ('HillCountry', 90, 130, 'HillCountryPlus'), ('DSoul', 80, 110, 'DSoulPlus'),
]
OWN_STYLES = ['pianoballad', 'guitarpop', 'rock', 'epiano', 'strings']
# flute, pan flute, violin, alto sax, vibes, square lead, clarinet, harmonica
MELODY_PROGRAMS = [73, 75, 40, 65, 11, 80, 71, 22]
CHINESE_MELODY_PROGRAMS = [75, 73, 110, 40, 107, 77]  # pan flute, flute, fiddle (erhu), violin, koto, shakuhachi


def KeyName(tonic, minor):
    sig = (tonic + 3) % 12 if minor else tonic
    names = FLAT_NAMES if sig in FLAT_SIGNATURES else SHARP_NAMES
    return names[tonic] + ('m' if minor else '')


def ChordName(root, quality, sig):
    names = FLAT_NAMES if sig in FLAT_SIGNATURES else SHARP_NAMES
    return names[root % 12] + quality


# ---------------------------------------------------------------- Standard MIDI files

def VarLen(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def WriteSmf(path, division, tracks):
    """tracks: lists of (tick, event bytes); note-offs sort before note-ons at one tick."""
    def Order(ev):
        status = ev[1][0]
        is_off = (status & 0xF0) == 0x80 or ((status & 0xF0) == 0x90 and len(ev[1]) > 2 and ev[1][2] == 0)
        return (ev[0], 0 if status == 0xFF else (1 if is_off else 2))

    data = bytearray(b'MThd' + struct.pack('>IHHH', 6, 1, len(tracks), division))
    for events in tracks:
        body = bytearray()
        last = 0
        for tick, ev in sorted(events, key=Order):
            body += VarLen(tick - last) + ev
            last = tick
        body += b'\x00\xff\x2f\x00'
        data += b'MTrk' + struct.pack('>I', len(body)) + body
    with open(path, 'wb') as f:
        f.write(data)


def ReadVarLen(data, p):
    """A MIDI variable-length number at p: (value, position after it)."""
    value = 0
    while True:
        b = data[p]
        p += 1
        value = (value << 7) | (b & 0x7F)
        if not b & 0x80:
            return value, p


def ReadSmf(path):
    """Returns (division, tracks) with absolute ticks; end-of-track events dropped."""
    data = open(path, 'rb').read()
    if data[:4] != b'MThd':
        raise ValueError('not a MIDI file: ' + path)
    hlen, _fmt, ntracks, division = struct.unpack('>IHHH', data[4:14])
    pos = 8 + hlen
    tracks = []
    for _ in range(ntracks):
        if data[pos:pos + 4] != b'MTrk':
            raise ValueError('bad track chunk in ' + path)
        (tlen,) = struct.unpack('>I', data[pos + 4:pos + 8])
        p, end = pos + 8, pos + 8 + tlen
        pos = end
        tick, running, events = 0, 0, []
        while p < end:
            delta, p = ReadVarLen(data, p)
            tick += delta
            status = data[p]
            if status == 0xFF:
                mtype = data[p + 1]
                p += 2
                length, p = ReadVarLen(data, p)
                if mtype != 0x2F:
                    events.append((tick, bytes([0xFF, mtype]) + VarLen(length) + data[p:p + length]))
                p += length
            elif status in (0xF0, 0xF7):
                p += 1
                length, p = ReadVarLen(data, p)
                events.append((tick, bytes([status]) + VarLen(length) + data[p:p + length]))
                p += length
            else:
                if status & 0x80:
                    running = status
                    p += 1
                size = 1 if (running & 0xF0) in (0xC0, 0xD0) else 2
                events.append((tick, bytes([running]) + data[p:p + size]))
                p += size
        tracks.append(events)
    return division, tracks


def Note(events, ch, tick, dur, pitch, vel):
    pitch = max(0, min(127, pitch))
    events.append((tick, bytes([0x90 | ch, pitch, max(1, min(127, vel))])))
    events.append((tick + max(1, dur), bytes([0x80 | ch, pitch, 0])))


def Setup(ch, program, volume, pan=64, reverb=40):
    return [(0, bytes([0xC0 | ch, program])), (0, bytes([0xB0 | ch, 7, volume])), (0, bytes([0xB0 | ch, 10, pan])),
            (0, bytes([0xB0 | ch, 91, reverb]))]


def TempoTrack(tempo, sig_pc, minor):
    usec = int(round(60000000 / tempo))
    sf = [0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5][sig_pc]
    return [(0, b'\xff\x51\x03' + usec.to_bytes(3, 'big')),
            (0, b'\xff\x58\x04\x04\x02\x18\x08'),
            (0, b'\xff\x59\x02' + struct.pack('bB', sf, 1 if minor else 0))]


# ---------------------------------------------------------------- songs

class Bar:
    """One 4/4 bar: its chords (equal shares of the bar, absolute pitch classes) and the key in force."""

    def __init__(self, chords, tonic, minor, section):
        self.chords, self.tonic, self.minor, self.section = chords, tonic, minor, section


def ProgressionBars(name, tonic, minor, section, per_bar=1, local=None):
    prog = PROGRESSIONS[name]
    lt, lm = local if local else (tonic, minor)
    bars = []
    for i in range(0, len(prog), per_bar):
        chords = [((lt + r) % 12, q) for r, q in prog[i:i + per_bar]]
        bars.append(Bar(chords, lt, lm, section))
    return bars


def TonicBar(tonic, minor, section, quality=None):
    return Bar([(tonic, quality if quality is not None else ('m' if minor else ''))], tonic, minor, section)


def BuildChart(plan, rng):
    """The song's bars, from its kind: body of verses and choruses in the labelled key, with the kind's twist."""
    t, m = plan['tonic'], plan['minor']
    kind = plan['kind']
    total = max(8, int(round(plan['seconds'] * plan['tempo'] / 240.0)))
    per_bar = plan['per_bar']
    verse, chorus = plan['verse'], plan['chorus']
    bars = []

    # Intro.
    if kind == 'intro-outro-other' and plan['twist'] in ('intro-dominant-key', 'intro-parallel', 'intro-bVII'):
        if plan['twist'] == 'intro-dominant-key':   # a cadence in the key a fifth up, its leading tone included
            up = (t + 7) % 12
            vamp = [(7, '7'), (0, 'm')] * 2 if m else [(2, 'm7'), (7, '7'), (0, 'M7'), (0, 'M7')]
            for r, q in vamp:
                bars.append(Bar([((up + r) % 12, q)], up, m, 'intro'))
        elif plan['twist'] == 'intro-parallel':      # the parallel mode: minor intro to a major song and back
            pm = not m
            for r, q in ([(0, 'm'), (8, ''), (10, ''), (0, 'm')] if pm else [(0, ''), (5, ''), (7, ''), (0, '')]):
                bars.append(Bar([((t + r) % 12, q)], t, pm, 'intro'))
        else:                                        # a mixolydian bVII-IV-I vamp
            for r, q in [(10, ''), (5, ''), (0, ''), (10, ''), (5, ''), (7, '7')]:
                bars.append(Bar([((t + r) % 12, q)], t, m, 'intro'))
    elif kind == 'starts-ends-IV-V':
        first = plan['twist'].split('-')[1]  # start on IV or V
        root = 5 if first == 'IV' else 7
        q = ('m' if m and root == 5 else ('7' if root == 7 else ''))
        n = rng.choice([4, 4, 8])
        for _ in range(n):
            bars.append(Bar([((t + root) % 12, q)], t, m, 'intro'))
    else:
        n = rng.choice([1, 2, 2, 4])
        if rng.random() < 0.5:
            bars += [TonicBar(t, m, 'intro') for _ in range(n)]
        else:
            bars += ProgressionBars(verse, t, m, 'intro', per_bar)[:max(1, n)]

    # An intro or outro stays a sixth of the song at most (a fifth for plain ones): the labelled key
    # has to be the song's, not the odd part's.
    cap = max(2, total // (5 if kind not in ('intro-outro-other', 'starts-ends-IV-V') else 6))
    bars = bars[:cap]
    outro_bars = rng.choice([2, 3, 4])
    if kind == 'starts-ends-IV-V':
        outro_bars = rng.choice([4, 6, 8])
    modulate_outro = kind == 'intro-outro-other' and plan['twist'] == 'outro-up-a-tone'
    if modulate_outro:
        outro_bars = 8
    outro_bars = min(outro_bars, cap)
    body_target = total - len(bars) - outro_bars
    section = 0
    bridge = plan.get('bridge')
    while body_target > 0:
        if section % 2 == 0:
            name, label, reps = verse, 'verse', plan.get('verse_reps', 2)
        else:
            name, label, reps = chorus, 'chorus', 2
        if bridge and section == 4:
            name, label, reps = bridge, 'bridge', 1
        block = []
        for _ in range(reps):
            block += ProgressionBars(name, t, m, label, per_bar)
        block = block[:body_target]
        bars += block
        body_target -= len(block)
        section += 1

    # Outro.
    if modulate_outro:
        up = (t + 2) % 12
        bars += ProgressionBars(chorus, t, m, 'outro', per_bar, local=(up, m))[:outro_bars - 1]
        bars.append(TonicBar(up, m, 'outro'))
    elif kind == 'starts-ends-IV-V':
        last = plan['twist'].split('-')[3]
        root = 5 if last == 'IV' else 7
        q = ('m' if m else '') if root == 5 else '7'
        for _ in range(outro_bars):
            bars.append(Bar([((t + root) % 12, q)], t, m, 'outro'))
    elif kind == 'intro-outro-other' and plan['twist'] == 'outro-bVI-bVII':
        for r, q in [(8, ''), (10, ''), (8, ''), (10, '')][:outro_bars]:
            bars.append(Bar([((t + r) % 12, q)], t, m, 'outro'))
    else:
        if m:
            cad = [Bar([((t + 5) % 12, 'm'), ((t + 7) % 12, '7')], t, m, 'outro')]
        else:
            cad = [Bar([((t + 5) % 12, ''), ((t + 7) % 12, '')], t, m, 'outro')]
        bars += cad + [TonicBar(t, m, 'outro') for _ in range(outro_bars - 1)]
    return bars


# ---------------------------------------------------------------- arrangement

def Voicing(pcs, center):
    lo = center - 6
    return sorted(lo + ((pc - lo) % 12) for pc in pcs)


def ChordPcs(root, quality):
    return [(root + i) % 12 for i in QUALITY_TONES[quality]]


def Segments(bars):
    """(start tick, length, root, quality, bar index) for every chord."""
    out = []
    bar_len = 4 * DIVISION
    for i, bar in enumerate(bars):
        share = bar_len // len(bar.chords)
        for j, (root, q) in enumerate(bar.chords):
            out.append((i * bar_len + j * share, share, root, q, i))
    return out


def OwnArrangement(bars, style, rng, drums=True):
    """Bass, pad, comping and drums, on channels 0-3 and 9."""
    tracks = []
    segs = Segments(bars)
    q8 = DIVISION // 2
    if style == 'pianoballad':
        progs = dict(bass=33, pad=48, comp=0, comp_kind='arp', pad_vol=70, drum='ballad')
    elif style == 'guitarpop':
        progs = dict(bass=34, pad=89, comp=rng.choice([24, 25]), comp_kind='strum', pad_vol=55, drum='pop')
    elif style == 'rock':
        progs = dict(bass=34, pad=16, comp=rng.choice([29, 30]), comp_kind='power', pad_vol=50, drum='rock')
    elif style == 'epiano':
        progs = dict(bass=38, pad=88, comp=rng.choice([4, 5]), comp_kind='offbeat', pad_vol=60, drum='pop')
    elif style == 'chinese':
        # Guzheng-like figures on the five notes over a quieter string pad, as C-pop ballads are scored.
        progs = dict(bass=35, pad=rng.choice([48, 49]), comp=rng.choice([107, 46]), comp_kind='pentarp', pad_vol=52,
                     drum='ballad')
    else:  # strings
        progs = dict(bass=32, pad=rng.choice([48, 49, 50]), comp=46, comp_kind='arp', pad_vol=80, drum='ballad')

    bass, pad, comp = Setup(0, progs['bass'], 100), Setup(1, progs['pad'], progs['pad_vol'], 50), \
        Setup(2, progs['comp'], 90, 78)
    bass_pattern = rng.choice(['half', 'eighths', 'rootfifth', 'pop'])
    if style == 'rock':
        bass_pattern = 'eighths'
    for start, length, root, q, bar_index in segs:
        bass_root = 28 + ((root - 28) % 12)  # E1..D#2
        fifth = bass_root + 7
        if bass_pattern == 'eighths':
            for k in range(length // q8):
                Note(bass, 0, start + k * q8, q8 - 20, bass_root, 92 + rng.randint(-6, 6))
        elif bass_pattern == 'rootfifth' and length >= 4 * DIVISION:
            Note(bass, 0, start, 2 * DIVISION - 30, bass_root, 96)
            Note(bass, 0, start + 2 * DIVISION, 2 * DIVISION - 30, fifth, 88)
        elif bass_pattern == 'pop' and length >= 4 * DIVISION:
            Note(bass, 0, start, 3 * q8 - 20, bass_root, 98)
            Note(bass, 0, start + 3 * q8, q8 - 10, bass_root, 80)
            Note(bass, 0, start + 2 * DIVISION, DIVISION - 20, fifth, 88)
            Note(bass, 0, start + 3 * DIVISION, DIVISION - 20, bass_root + 12, 84)
        else:
            Note(bass, 0, start, length - 30, bass_root, 96)

        pcs = ChordPcs(root, q)
        for n in Voicing(pcs, 64):
            Note(pad, 1, start, length - 10, n, 62 + rng.randint(-5, 5))
        kind = progs['comp_kind']
        if kind == 'pentarp':
            bar = bars[bar_index]
            pent = [0, 3, 5, 7, 10] if bar.minor else [0, 2, 4, 7, 9]
            pcs5 = {(bar.tonic + s) % 12 for s in pent}
            base = Voicing([pc for pc in pcs if pc in pcs5] or pcs, 60)[0]
            notes = [n for n in range(base, base + 20) if n % 12 in pcs5]
            order = notes + notes[-2:0:-1]
            for k in range(length // q8):
                Note(comp, 2, start + k * q8, q8 * 2, order[k % len(order)], 76 + rng.randint(-8, 8))
        elif kind == 'arp':
            notes = Voicing(pcs, 60) + [n + 12 for n in Voicing(pcs, 60)]
            order = notes + notes[-2:0:-1]
            for k in range(length // q8):
                Note(comp, 2, start + k * q8, q8 * 2, order[k % len(order)], 70 + rng.randint(-8, 8))
        elif kind == 'strum':
            for k, beat in enumerate([0, 2, 3, 5, 6, 7]):
                if beat * q8 >= length:
                    break
                for s, n in enumerate(Voicing(pcs, 58) + [Voicing(pcs, 58)[0] + 12]):
                    Note(comp, 2, start + beat * q8 + s * 8, q8 + 40, n, 72 - 6 * (k % 2) + rng.randint(-5, 5))
        elif kind == 'power':
            r = 40 + ((root - 40) % 12)
            for k in range(length // q8):
                for n in (r, r + 7, r + 12):
                    Note(comp, 2, start + k * q8, q8 - 30, n, 84 + rng.randint(-6, 6))
        else:  # offbeat stabs
            for k in range(1, length // q8, 2):
                for n in Voicing(pcs, 62):
                    Note(comp, 2, start + k * q8, q8 - 40, n, 70 + rng.randint(-6, 6))
    tracks += [bass, pad, comp]
    if drums:
        tracks.append(DrumTrack(len(bars), progs['drum'], rng, bars))
    return tracks


def DrumTrack(n_bars, style, rng, bars=None):
    ev = Setup(9, 0, 100)
    q8 = DIVISION // 2
    for b in range(n_bars):
        t0 = b * 4 * DIVISION
        new_section = bars is not None and b > 0 and bars[b].section != bars[b - 1].section
        if b == 0 or new_section:
            Note(ev, 9, t0, q8, 49, 100)
        for k in range(8):
            t = t0 + k * q8
            hv = 70 + (12 if k % 2 == 0 else 0) + rng.randint(-8, 8)
            if style == 'ballad':
                if k % 2 == 0:
                    Note(ev, 9, t, 60, 42, hv - 10)
                if k == 0 or (k == 5 and rng.random() < 0.5):
                    Note(ev, 9, t, 60, 36, 96)
                if k == 4:
                    Note(ev, 9, t, 60, 37 if rng.random() < 0.6 else 38, 84)
            else:
                Note(ev, 9, t, 60, 46 if (style == 'rock' and k == 7) else 42, hv)
                if k in (0, 4) or (k == 5 and style == 'pop') or (k == 3 and style == 'rock'):
                    Note(ev, 9, t, 60, 36, 104)
                if k in (2, 6):
                    Note(ev, 9, t, 60, 38, 100 + rng.randint(-6, 6))
        if bars is not None and b + 1 < n_bars and bars[b + 1].section != bars[b].section:
            for k, n in enumerate([45, 45, 43, 43]):
                Note(ev, 9, t0 + 3 * DIVISION + k * (DIVISION // 4), 50, n, 90)
    return ev


def ScaleFor(bar, chord, pentatonic):
    base = MINOR_SCALE if bar.minor else MAJOR_SCALE
    if pentatonic:
        base = [0, 3, 5, 7, 10] if bar.minor else [0, 2, 4, 7, 9]
    scale = {(bar.tonic + s) % 12 for s in base}
    if not pentatonic:
        # A chord tone from outside the scale (the raised leading tone over V7 in minor,
        # the G# of III7 in C) replaces the natural note a semitone below it.
        for pc in ChordPcs(*chord):
            if pc not in scale and (pc - 1) % 12 in scale:
                scale.discard((pc - 1) % 12)
                scale.add(pc)
    return scale


RHYTHMS = [[1, 1, 1, 1], [1.5, 0.5, 1, 1], [2, 1, 1], [0.5, 0.5, 1, 2], [1, 0.5, 0.5, 2], [3, 1], [-1, 1, 1, 1],
           [-0.5, 0.5, 1, 0.5, 0.5, 1], [2, 2], [1, 1, 2], [-2, 1, 1], [0.5, 0.5, 0.5, 0.5, 1, 1]]


def MelodyTrack(bars, ch, program, style, rng, lo=62, hi=81, volume=110):
    """A lead line: chord tones on strong beats, steps between; 'dominant' recites on the fifth degree,
    'pentatonic' keeps to the five notes of the gong or yu mode."""
    ev = Setup(ch, program, volume, 60, 50)
    prev = (lo + hi) // 2
    n = len(bars)
    for i, bar in enumerate(bars):
        t0 = i * 4 * DIVISION
        phrase_pos = i % 4
        if bar.section == 'intro' and rng.random() < 0.5:
            continue
        if i == n - 1:
            last_pcs = ChordPcs(*bar.chords[-1])
            target = bar.tonic if bar.tonic in last_pcs else bar.chords[-1][0]
            cands = [p for p in range(lo, hi + 1) if p % 12 == target]
            p = min(cands, key=lambda x: abs(x - prev))
            Note(ev, ch, t0, 4 * DIVISION - 60, p, 96)
            break
        rhythm = [3, 1] if phrase_pos == 3 and rng.random() < 0.5 else rng.choice(RHYTHMS)
        if style == 'dominant' and rng.random() < 0.6:
            rhythm = rng.choice([[4], [2, 2], [3, 1], [1, 1, 2], [-1, 3]])
        beat = 0.0
        for d in rhythm:
            dur = abs(d)
            if d < 0:
                beat += dur
                continue
            chord = bar.chords[min(len(bar.chords) - 1, int(beat * len(bar.chords) / 4))]
            scale = ScaleFor(bar, chord, style == 'pentatonic')
            tones = set(ChordPcs(*chord)) & scale or set(ChordPcs(*chord))
            strong = beat in (0.0, 2.0)
            if style == 'dominant' and rng.random() < 0.65:
                want = {(bar.tonic + 7) % 12}
            elif style == 'dominant':
                degrees = (2, 10, 7, 3) if bar.minor else (2, 11, 7, 4)
                want = {(bar.tonic + s) % 12 for s in degrees} & scale
            elif strong:
                want = tones
            else:
                want = scale
            cands = [p for p in range(lo, hi + 1) if p % 12 in want]
            if not cands:
                cands = [p for p in range(lo, hi + 1) if p % 12 in scale]
            weights = [1.0 / (1 + abs(p - prev)) ** 1.6 + (0.05 if p == prev else 0) for p in cands]
            p = rng.choices(cands, weights)[0]
            prev = p
            Note(ev, ch, t0 + int(beat * DIVISION), int(dur * DIVISION) - 30, p, 88 + rng.randint(-10, 12))
            beat += dur
    return ev


def MmaChart(plan, bars, path):
    sig = plan['signature']
    lines = ['// %s' % plan['file'], 'Tempo %d' % plan['tempo'], 'RndSeed %d' % plan['seed'],
             'Groove %s' % plan['groove']]
    current = plan['groove']
    for bar in bars:
        want = plan['groove2'] if bar.section == 'chorus' else plan['groove']
        if want != current:
            lines.append('Groove %s' % want)
            current = want
        names = [ChordName(r, q, sig) for r, q in bar.chords]
        if len(names) == 1:
            lines.append(names[0])
        else:
            lines.append(' '.join(sum(([nm] + ['/'] * (4 // len(names) - 1) for nm in names), [])))
    with open(path, 'w') as f:
        f.write('\n'.join(lines) + '\n')


def BuildMidi(plan, work):
    rng = random.Random(plan['seed'])
    bars = BuildChart(plan, rng)
    plan['bars'] = len(bars)
    tracks = [TempoTrack(plan['tempo'], plan['signature'], plan['minor'])]
    used = set()
    if plan['arrangement'] in ('mma', 'mma-drums'):
        mma_file = os.path.join(work, 'song.mma')
        MmaChart(plan, bars, mma_file)
        mma_mid = os.path.join(work, 'song_mma.mid')
        subprocess.run(['mma', mma_file, '-f', mma_mid], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        division, mtracks = ReadSmf(mma_mid)
        scale = DIVISION / division
        for tr in mtracks:
            out = []
            for tick, evb in tr:
                st = evb[0]
                if st < 0xF0:
                    if plan['arrangement'] == 'mma-drums' and (st & 0x0F) != 9:
                        continue
                    used.add(st & 0x0F)
                elif st == 0xFF and evb[1] in (0x51, 0x58, 0x59):
                    continue  # the tempo track carries these
                out.append((int(round(tick * scale)), evb))
            if out:
                tracks.append(out)
    if plan['arrangement'] in ('own', 'mma-drums'):
        tracks += OwnArrangement(bars, plan['style'], rng, drums=plan['arrangement'] == 'own')
        used |= {0, 1, 2, 9}
    if plan['melody']:
        ch = next(c for c in range(15, -1, -1) if c not in used and c != 9)
        tracks.append(MelodyTrack(bars, ch, plan['melody_program'], plan['melody'], rng))
    path = os.path.join(work, 'song.mid')
    WriteSmf(path, DIVISION, tracks)
    return path


# ---------------------------------------------------------------- rendering and mastering

def Run(cmd):
    if cmd[0] == 'sox':
        cmd = ['sox', '-R'] + cmd[1:]  # repeatable: dither and noise from a fixed seed
    # sox can report a failed effect chain on stderr and still exit 0.
    done = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = done.stderr.decode(errors='replace')
    if done.returncode != 0 or ' FAIL ' in err:
        raise RuntimeError('%s failed: %s' % (cmd[0], err.strip()[-300:]))


def SoxOutputArgs(fmt):
    if fmt == 'wav24':
        return ['-b', '24']
    if fmt == 'wavf32':
        return ['-e', 'floating-point', '-b', '32']
    return ['-b', '16']


def Master(plan, raw, out_dir, work):
    """Release-style mastering, then the delivery format."""
    fx = ['gain', '-10']
    if plan['detune']:
        # On its own pass: sox's pitch feeds channels unevenly, which compand after it cannot take.
        detuned = os.path.join(work, 'detuned.wav')
        Run(['sox', raw, '-e', 'floating-point', '-b', '32', detuned, 'pitch', '%d' % plan['detune']])
        raw = detuned
    if plan['bass_db']:
        fx += ['bass', '+%d' % plan['bass_db'], '90']
    if plan['reverb']:
        fx += ['reverb', str(plan['reverb'])]
    if plan['compand']:
        fx += ['compand', '0.01,0.25', '6:-60,-60,-30,-14,-12,-6,0,-3', '-4', '-90', '0.05']
    if plan['fade']:
        fx += ['fade', 't', '0', '-0', '4']
    if plan['channels'] == 1:
        fx += ['remix', '-']
    if plan['rate'] != 44100 and not plan['format'].startswith('mp3'):
        fx += ['rate', '-v', str(plan['rate'])]
    fx += ['gain', '-n', str(plan['peak_db'])]
    final = os.path.join(out_dir, plan['file'])
    if plan['format'].startswith('mp3'):
        mastered = os.path.join(work, 'mastered.wav')
        Run(['sox', raw, '-b', '16', mastered] + fx)
        cmd = ['lame', '--quiet', '--noreplaygain']
        if plan['format'] == 'mp3cbr':
            cmd += ['-b', '128', '--cbr']
        elif plan['format'] == 'mp3vbr':
            cmd += ['-V', '2']
        elif plan['format'] == 'mp3-22k':
            cmd += ['--resample', '22.05', '-b', '64']
        elif plan['format'] == 'mp3mono':
            cmd += ['-m', 'm', '-b', '96']
        if plan.get('id3'):
            title, artist = plan['id3']
            cmd += ['--add-id3v2', '--tt', title, '--ta', artist]
        Run(cmd + [mastered, final])
    else:
        Run(['sox', raw] + SoxOutputArgs(plan['format']) + [final] + fx)
    return final


def RenderNoKey(plan, out_dir):
    final = os.path.join(out_dir, plan['file'])
    secs = str(plan['seconds'])
    what = plan['twist']
    if what == 'silence':
        Run(['sox', '-D', '-n', '-r', '44100', '-c', '2', '-b', '16', final, 'trim', '0', secs])
    elif what in ('whitenoise', 'pinknoise', 'brownnoise'):
        if plan['format'].startswith('mp3'):
            tmp = final + '.tmp.wav'
            Run(['sox', '-n', '-r', '44100', '-c', '2', '-b', '16', tmp, 'synth', secs, what, 'gain', '-n', '-3'])
            Run(['lame', '--quiet', '-b', '128', '--cbr', tmp, final])
            os.remove(tmp)
        else:
            Run(['sox', '-n', '-r', '44100', '-c', '2', '-b', '16', final, 'synth', secs, what, 'gain', '-n', '-3'])
    return final


def RenderTrack(plan):
    out_dir = plan['out_dir']
    if plan['mode'] == 'none' and plan['twist'] != 'drums':
        RenderNoKey(plan, out_dir)
        return plan
    work = tempfile.mkdtemp(prefix='orvkeys-')
    try:
        if plan['mode'] == 'none':  # drums alone: GM channel 10 only
            rng = random.Random(plan['seed'])
            n_bars = int(plan['seconds'] * plan['tempo'] / 240)
            if plan['arrangement'] == 'mma':
                spec2 = dict(plan, arrangement='mma-drums', signature=0, minor=False, tonic=0)
                bars = [TonicBar(0, False, 'verse' if i % 16 < 8 else 'chorus') for i in range(n_bars)]
                mma_file = os.path.join(work, 'song.mma')
                MmaChart(spec2, bars, mma_file)
                Run(['mma', mma_file, '-f', os.path.join(work, 'd.mid')])
                division, mtracks = ReadSmf(os.path.join(work, 'd.mid'))
                tracks = [TempoTrack(plan['tempo'], 0, False)]
                for tr in mtracks:
                    kept = [(int(round(t * DIVISION / division)), e) for t, e in tr
                            if e[0] < 0xF0 and (e[0] & 0x0F) == 9]
                    if kept:
                        tracks.append(kept)
            else:
                bars = [TonicBar(0, False, 'verse' if i % 16 < 8 else 'chorus') for i in range(n_bars)]
                tracks = [TempoTrack(plan['tempo'], 0, False), DrumTrack(n_bars, 'rock', rng, bars)]
            mid = os.path.join(work, 'song.mid')
            WriteSmf(mid, DIVISION, tracks)
        else:
            mid = BuildMidi(plan, work)
        raw = os.path.join(work, 'raw.wav')
        Run(['fluidsynth', '-ni', '-O', 'float', '-F', raw, '-r', '44100', '-g', '%.2f' % plan['gain'],
             plan['soundfont'], mid])
        Master(plan, raw, out_dir, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return plan


# ---------------------------------------------------------------- the corpus plan

KINDS = [
    # kind, count, mode chooser
    ('I-V-vi-IV', 12), ('vi-IV-I-V', 12), ('I-vi-IV-V', 12), ('IV-V-iii-vi', 12),
    ('i-VI-III-VII', 12), ('i-iv-V7-i', 12), ('i-VII-VI-V7', 12),
    ('ii-V-I-verse', 12), ('dominant-melody', 12), ('royal-road', 10), ('detuned-minor', 12),
    ('starts-ends-IV-V', 12), ('intro-outro-other', 12), ('pentatonic', 14), ('long', 6),
]

DESCRIPTIONS = {
    'ii-V-I-verse': 'verse on ii7-V7-Imaj7',
    'dominant-melody': 'lead melody dwelling on the dominant',
    'royal-road': 'royal road IV-V-III7-vi',
    'detuned-minor': 'minor song detuned',
    'starts-ends-IV-V': 'starts/ends off the tonic',
    'intro-outro-other': 'intro/outro in another harmony',
    'pentatonic': 'pentatonic (Chinese pop) melody',
    'long': 'long song with bridge',
}


def PickSeconds(rng, kind):
    if kind == 'long':
        return rng.randint(120, 180)
    if kind in ('intro-outro-other', 'starts-ends-IV-V'):
        return rng.randint(50, 100)  # room for the odd intro or outro to stay short beside the song
    r = rng.random()
    if r < 0.75:
        return rng.randint(40, 90)
    if r < 0.9:
        return rng.randint(30, 40)
    return rng.randint(90, 120)


def MakeSpecs(out_dir, variant=0):
    by_kind = []
    for k_index, (kind, count) in enumerate(KINDS):
        plans = []
        for j in range(count):
            seed = 10007 * (k_index + 1) + 131 * j + 1000003 * variant
            rng = random.Random(seed)
            tonic = (j * 7 + k_index * 5 + variant) % 12
            twist = ''
            if kind in PROGRESSIONS:
                minor = kind.startswith('i-')
                verse = kind
                chorus = kind if rng.random() < 0.6 else rng.choice(MINOR_POOL if minor else MAJOR_POOL)
            elif kind == 'ii-V-I-verse':
                minor = False
                verse = rng.choice(['ii-V-I', 'ii-V-I-vi', 'ii-V-vamp'])
                chorus = rng.choice(['I-V-vi-IV', 'I-vi-IV-V', 'IV-V-iii-vi'])
            elif kind == 'dominant-melody':
                minor = j % 4 == 3
                verse = rng.choice(MINOR_POOL if minor else MAJOR_POOL)
                if not minor and j % 2 == 0:
                    verse = rng.choice(['I-II7-IV-I', 'I-V-ii-V', 'I-II7-V7-I'])
                chorus = rng.choice(MINOR_POOL if minor else MAJOR_POOL)
            elif kind == 'royal-road':
                minor = False
                verse = 'royal-road'
                chorus = rng.choice(['royal-road', 'IV-V-iii-vi', 'I-V-vi-IV'])
            elif kind == 'detuned-minor':
                minor = True
                verse = rng.choice(MINOR_POOL)
                chorus = rng.choice(MINOR_POOL)
            elif kind == 'starts-ends-IV-V':
                minor = j % 3 == 2
                twist = ['start-IV-end-V', 'start-V-end-IV', 'start-IV-end-IV', 'start-V-end-V'][j % 4]
                verse = rng.choice(MINOR_POOL if minor else MAJOR_POOL)
                chorus = rng.choice(MINOR_POOL if minor else MAJOR_POOL)
            elif kind == 'intro-outro-other':
                minor = j % 3 == 1
                twist = ['intro-dominant-key', 'intro-parallel', 'intro-bVII', 'outro-up-a-tone',
                         'outro-bVI-bVII', 'intro-dominant-key'][j % 6]
                if twist == 'outro-bVI-bVII' and minor:
                    twist = 'intro-parallel'
                verse = rng.choice(MINOR_POOL if minor else MAJOR_POOL)
                chorus = rng.choice(MINOR_POOL if minor else MAJOR_POOL)
            elif kind == 'pentatonic':
                minor = j % 7 in (2, 5, 6)
                verse = rng.choice(['i-VI-VII-i', 'i-iv-VII-III', 'i-v-VI-III', 'i-VI-III-VII'] if minor
                                   else ['canon', 'I-vi-IV-V', 'I-iii-IV-V', 'IV-V-iii-vi'])
                chorus = rng.choice(['i-VI-VII-i', 'i-VI-III-VII'] if minor else ['canon', 'I-V-vi-IV', 'IV-V-iii-vi'])
                twist = 'yu mode' if minor else 'gong mode'
            else:  # long
                minor = j % 2 == 1
                verse = rng.choice(MINOR_POOL if minor else MAJOR_POOL)
                chorus = rng.choice(MINOR_POOL if minor else MAJOR_POOL)
            plan = dict(kind=kind, seed=seed, tonic=tonic, minor=minor, mode='minor' if minor else 'major',
                        signature=(tonic + 3) % 12 if minor else tonic, verse=verse, chorus=chorus, twist=twist,
                        out_dir=out_dir)
            if kind == 'long':
                plan['bridge'] = rng.choice(['IV-V-iii-vi', 'i-VI-III-VII' if not minor else 'i-iv-VII-III'])
                if not minor:
                    plan['bridge'] = rng.choice(['IV-V-iii-vi', 'ii-V-I'])
            if kind == 'ii-V-I-verse':
                plan['verse_reps'] = 4
            arrangement = ['mma', 'own', 'mma', 'mma-drums'][(j + k_index) % 4]
            if kind == 'pentatonic':
                arrangement = 'own' if j % 2 == 0 else 'mma'
            plan['arrangement'] = arrangement
            groove = GROOVES[(j * 5 + k_index * 3) % len(GROOVES)]
            plan['groove'], plan['groove2'] = groove[0], groove[3]
            plan['style'] = 'chinese' if kind == 'pentatonic' else OWN_STYLES[(j + k_index) % len(OWN_STYLES)]
            if arrangement == 'mma':
                plan['tempo'] = rng.randint(groove[1], groove[2])
            else:
                plan['tempo'] = rng.randint(60, 140) if plan['style'] != 'pianoballad' else rng.randint(60, 90)
            plan['per_bar'] = 2 if plan['tempo'] < 84 and rng.random() < 0.4 and kind not in ('ii-V-I-verse',) else 1
            plan['seconds'] = PickSeconds(rng, kind)
            if kind in ('dominant-melody', 'pentatonic'):
                plan['melody'] = 'dominant' if kind == 'dominant-melody' else 'pentatonic'
            else:
                plan['melody'] = 'normal' if rng.random() < 0.5 else None
            plan['melody_program'] = rng.choice(CHINESE_MELODY_PROGRAMS if kind == 'pentatonic' else MELODY_PROGRAMS)
            plan['soundfont'] = SF_FLUID if (os.path.exists(SF_FLUID) and rng.random() < 0.4) else SF_TIM
            plan['gain'] = round(rng.uniform(0.25, 0.6), 2)
            # Mastering: most released tracks are compressed and loud; a good share have a heavy low end.
            plan['reverb'] = rng.choice([0, 20, 35, 50])
            plan['compand'] = rng.random() < 0.6
            plan['bass_db'] = rng.choice([0, 0, 8, 10, 12])
            plan['fade'] = rng.random() < 0.3
            if kind == 'detuned-minor':
                plan['detune'] = rng.choice([-1, 1]) * rng.randint(10, 45)
            elif rng.random() < 0.2:
                plan['detune'] = rng.choice([-1, 1]) * rng.randint(10, 30)
            else:
                plan['detune'] = 0
            fmt = rng.choice(['wav16', 'wav16', 'wav16', 'wav24', 'wavf32', 'mp3cbr', 'mp3cbr', 'mp3vbr', 'mp3-22k',
                              'mp3mono'])
            plan['format'] = fmt
            plan['rate'] = rng.choice([44100, 44100, 44100, 48000, 22050]) if fmt.startswith('wav') else 44100
            plan['channels'] = 1 if fmt.startswith('wav') and rng.random() < 0.15 else 2
            plan['peak_db'] = rng.choice([-0.3, -1, -1, -3, -6])
            if fmt.startswith('mp3') and rng.random() < 0.6:
                plan['id3'] = ('Backing %d' % (j + 1), 'Orvane corpus')
            plans.append(plan)
        by_kind.append(plans)

    # Round robin across kinds, so that an early stop still covers every kind.
    ordered = []
    for r in range(max(len(s) for s in by_kind)):
        for plans in by_kind:
            if r < len(plans):
                ordered.append(plans[r])
    nokey = [
        dict(twist='silence', seconds=30, format='wav16'),
        dict(twist='whitenoise', seconds=40, format='wav16'),
        dict(twist='pinknoise', seconds=45, format='wav16'),
        dict(twist='brownnoise', seconds=35, format='mp3cbr'),
        dict(twist='drums', seconds=50, format='wav16', arrangement='mma', groove='8Beat', groove2='8BeatSus',
             tempo=100),
        dict(twist='drums', seconds=60, format='mp3cbr', arrangement='own', tempo=124),
    ]
    for i, nk in enumerate(nokey):
        plan = dict(kind='none', mode='none', tonic=None, minor=None, signature=None,
                    seed=777 + i + 1000003 * variant, out_dir=out_dir,
                    soundfont=SF_TIM, gain=0.6, reverb=20, compand=True, bass_db=8, fade=False, detune=0,
                    rate=44100, channels=2, peak_db=-1, verse='', chorus='')
        plan.update(nk)
        ordered.insert(0, plan)
    for n, plan in enumerate(ordered, 1):
        ext = 'mp3' if plan['format'].startswith('mp3') else 'wav'
        tag = plan['twist'] if plan['kind'] == 'none' else plan['kind']
        plan['file'] = '%03d-%s.%s' % (n, tag, ext)
    return ordered


def Describe(plan):
    if plan['mode'] == 'none':
        return 'no key: ' + plan['twist'] + (' (%s groove)' % plan['groove'] if plan.get('groove') else '')
    parts = [KeyName(plan['tonic'], plan['minor'])]
    if plan['kind'] in DESCRIPTIONS:
        parts.append(DESCRIPTIONS[plan['kind']])
    if plan['twist']:
        parts.append(plan['twist'])
    parts.append('verse %s, chorus %s' % (plan['verse'], plan['chorus']))
    if plan.get('bridge'):
        parts.append('bridge ' + plan['bridge'])
    arr = plan['arrangement']
    parts.append('mma ' + plan['groove'] if arr == 'mma' else
                 ('mma drums + own ' + plan['style'] if arr == 'mma-drums' else 'own ' + plan['style']))
    if plan['melody']:
        parts.append('%s melody (GM %d)' % (plan['melody'], plan['melody_program']))
    parts.append('%d bpm' % plan['tempo'])
    parts.append(os.path.basename(plan['soundfont']))
    if plan['detune']:
        parts.append('detune %+d c' % plan['detune'])
    if plan['bass_db']:
        parts.append('bass +%d dB' % plan['bass_db'])
    if plan['compand']:
        parts.append('compressed')
    if plan['reverb']:
        parts.append('reverb %d' % plan['reverb'])
    fmt = plan['format']
    if fmt.startswith('wav'):
        fmt += ' %d Hz %s' % (plan['rate'], 'mono' if plan['channels'] == 1 else 'stereo')
    parts.append(fmt)
    return ', '.join(parts)


def WriteLabels(out_dir, done):
    path = os.path.join(out_dir, 'labels.tsv')
    tmp = path + '.tmp'
    with open(tmp, 'w') as f:
        f.write('file\ttonic\tmode\tsignature\tkind\tdescription\n')
        for plan in sorted(done, key=lambda s: s['file']):
            if plan['mode'] == 'none':
                f.write('%s\t-\tnone\t-\tnone\t%s\n' % (plan['file'], Describe(plan)))
            else:
                f.write('%s\t%d\t%s\t%d\t%s\t%s\n' % (plan['file'], plan['tonic'], plan['mode'], plan['signature'],
                                                     plan['kind'], Describe(plan)))
    os.replace(tmp, path)


def Safe(plan):
    try:
        return RenderTrack(plan), None
    except Exception as e:  # a failed track is reported and left out of the labels
        return plan, '%s: %s' % (plan['file'], e)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('out_dir', nargs='?', default='/work/corpus')
    ap.add_argument('--jobs', type=int, default=2)
    ap.add_argument('--limit', type=int, default=0, help='only the first N tracks of the plan')
    ap.add_argument('--variant', type=int, default=0,
                    help='another corpus of the same plan: other seeds, tonics moved up by VARIANT semitones; '
                         'the estimator was tuned on variant 0, so any other one is unseen audio')
    args = ap.parse_args()
    for tool in ('mma', 'fluidsynth', 'sox', 'lame'):
        if not shutil.which(tool):
            sys.exit('%s is missing: apt-get install mma fluidsynth timgm6mb-soundfont lame sox' % tool)
    if not os.path.exists(SF_TIM):
        sys.exit(SF_TIM + ' is missing: apt-get install timgm6mb-soundfont')
    out_dir = os.path.abspath(args.out_dir)
    os.makedirs(out_dir, exist_ok=True)
    plans = MakeSpecs(out_dir, args.variant)
    if args.limit:
        plans = plans[:args.limit]
    done, failures = [], []
    with Pool(max(1, min(2, args.jobs))) as pool:
        for plan, err in pool.imap(Safe, plans):
            if err:
                failures.append(err)
                print('FAILED', err, flush=True)
                continue
            done.append(plan)
            WriteLabels(out_dir, done)
            print('%3d/%d %s' % (len(done), len(plans), plan['file']), flush=True)
    print('%d tracks in %s, labels in %s' % (len(done), out_dir, os.path.join(out_dir, 'labels.tsv')))
    if failures:
        sys.exit('%d tracks failed' % len(failures))


if __name__ == '__main__':
    main()
