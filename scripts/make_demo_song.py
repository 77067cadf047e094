#!/usr/bin/env python3
"""Writes a 16-track demo song (format 1, 192 ticks per beat) for screenshots
and trying the window: each track enters, rests and ends at its own bar, with
controller-only stretches, so the track view shows every kind of glyph.

Usage: make_demo_song.py OUTPUT
"""

import struct
import sys

TPB = 192
BAR = 4 * TPB
NAMES = ["Flute", "Oboe", "Clarinet", "Bassoon", "French Horn", "Trumpet", "Trombone", "Tuba",
         "Timpani", "Drum Kit", "Harp", "Grand Piano", "Violin I", "Violin II", "Viola",
         "Cello & Bass"]
PROGRAMS = [73, 68, 71, 70, 60, 56, 57, 58, 47, 0, 46, 0, 40, 40, 41, 42]


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def track(events):
    """events: (tick, bytes) pairs; returns an MTrk chunk."""
    data, now = b"", 0
    for tick, msg in sorted(events, key=lambda e: e[0]):
        data += vlq(tick - now) + msg
        now = tick
    data += vlq(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + data


def meta(kind, payload):
    return bytes([0xFF, kind]) + vlq(len(payload)) + payload


def main():
    chunks = []
    for i, name in enumerate(NAMES):
        ch = 9 if name == "Drum Kit" else i if i < 9 else i
        ch = min(ch, 15)
        ev = [(0, meta(0x03, name.encode()))]
        if i == 0:
            ev.append((0, meta(0x01, b"Kavelsong demo")))
            ev.append((0, meta(0x51, struct.pack(">I", 500000)[1:])))
            ev.append((0, meta(0x58, bytes([4, 2, 24, 8]))))
        ev.append((0, bytes([0xC0 | ch, PROGRAMS[i]])))
        ev.append((0, bytes([0xB0 | ch, 7, 100])))
        start = (i * 3) % 12            # bar where the part enters
        length = 40 + (i * 7) % 24      # bars it lasts, rests included
        step = TPB if i % 3 else TPB // 2
        for bar in range(start, start + length):
            if (bar + i) % 9 in (4, 5):  # a two-bar rest with only a swell
                for k in range(4):
                    ev.append((bar * BAR + k * TPB, bytes([0xB0 | ch, 11, 60 + 15 * k])))
                continue
            for t in range(0, BAR, step):
                key = 48 + (i * 5 + bar * 2 + t // step) % 36
                on = bar * BAR + t
                ev.append((on, bytes([0x90 | ch, key, 80])))
                ev.append((on + step - 8, bytes([0x80 | ch, key, 0])))
        chunks.append(track(ev))
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(chunks), TPB)
    with open(sys.argv[1], "wb") as f:
        f.write(header + b"".join(chunks))


if __name__ == "__main__":
    main()
