#!/ usr / bin / env python3
"""Writes data/examples/minuet.mid, the example song shipped with Kavelsong.

A 32-bar minuet in G major for flute, cello and pizzicato strings: format 1,
192 ticks per beat, with the song name, copyright, tempo, time signature,
track names and initial settings at tick 0, two marks, and the loop and
marker records.  Events come in the order the program writes them itself, so
loading the file and saving it in the full form gives the same bytes back.

Usage: make_example_song.py [OUTPUT]   (default: data/examples/minuet.mid)
"""

import os
import struct
import sys

TICKS_PER_BEAT = 192
EIGHTH = TICKS_PER_BEAT // 2
BAR = 3 * TICKS_PER_BEAT

SONG_NAME = "Minuet in G"
COPYRIGHT = "(C) 2025 The Kavelsong authors. Free to use, change and share."
TEMPO_BPM = 120

#Left and Right bracket the whole song; mark 0 starts the middle section,
#mark 1 the return of the theme.Beats, one per quarter note.
LEFT, RIGHT = 0, 32 * 3
MARKS = [16 * 3, 24 * 3]
LOOP = 1

NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
LENGTHS = {"e": 1, "q": 2, "h": 4, "h.": 6}  # in eighths


def key(name):
    """'F#5' -> 78 (C4 is 60)."""
    semitone = NOTE_NAMES[name[0]]
    rest = name[1:]
    while rest and rest[0] in "#b":
        semitone += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return semitone + (int(rest) + 1) * 12

#The melody, bar by bar : (note, length)with lengths in LENGTHS.
THEME_OPENING = [
    "B4 q  D5 q  G5 q",
    "F#5 e E5 e D5 q B4 q",
    "C5 q  E5 q  A5 q",
    "G5 e F#5 e E5 h",
]
HALF_CADENCE = [
    "D5 e E5 e F#5 q D5 q",
    "E5 e F#5 e G5 q E5 q",
    "C5 q  B4 q  A4 q",
    "D5 h.",
]
FULL_CADENCE = [
    "C5 e D5 e E5 q C5 q",
    "B4 e C5 e D5 q G5 q",
    "A4 e B4 e C5 q F#4 q",
    "G4 h.",
]
MIDDLE = [
    "A5 q  F#5 q D5 q",
    "G5 e F#5 e E5 e D5 e C#5 q",
    "D5 e E5 e F#5 q A5 q",
    "A5 e G5 e F#5 h",
    "B5 q  G5 q  E5 q",
    "F#5 e E5 e D#5 q B4 q",
    "E5 q  C5 q  A4 q",
    "D5 h  C5 q",
]
MELODY = (THEME_OPENING + HALF_CADENCE + THEME_OPENING + FULL_CADENCE + MIDDLE +
          THEME_OPENING + FULL_CADENCE)

#One chord per bar.
HARMONY = ("G G Am C D C D7 D "
           "G G Am C C G D7 G "
           "D A7 D D Em B7 Am D7 "
           "G G Am C C G D7 G").split()

#Bass : root on the downbeat for a half note, then the fifth(or a turn).
BASS_PATTERN = {
    "G": "G2 h D3 q", "Am": "A2 h E3 q", "C": "C3 h G2 q", "D": "D3 h A2 q",
    "D7": "D3 h A2 q", "Em": "E3 h B2 q", "A7": "A2 h E3 q", "B7": "B2 h F#2 q",
}
BASS_SPECIAL = {
    2: "B2 h G2 q",         # first inversion keeps the line moving
    8: "D2 q A2 q D3 q",    # walk through the half cadence
    16: "G2 q B2 q D3 q",   # lead into the middle section
    24: "D3 h F#2 q",       # leading note back to the theme
    32: "G2 h.",
}

#Pizzicato chords on beats 2 and 3.
VOICINGS = {
    "G": "G3 B3 D4", "Am": "A3 C4 E4", "C": "G3 C4 E4", "D": "F#3 A3 D4",
    "D7": "F#3 A3 C4", "Em": "G3 B3 E4", "A7": "G3 A3 C#4", "B7": "A3 B3 D#4",
}


def parse_line(text):
    """'B4 q D5 q' -> [('B4', 2), ('D5', 2)]"""
    words = text.split()
    return [(words[i], LENGTHS[words[i + 1]]) for i in range(0, len(words), 2)]


def melody_notes():
    notes = []
    for bar, line in enumerate(MELODY):
        assert sum(n for _, n in parse_line(line)) == 6, f"bar {bar + 1} is not 3/4"
        t = bar * BAR
        for name, eighths in parse_line(line):
            length = eighths * EIGHTH
#Slightly detached; downbeats a little stronger, as a player would.
            gate = length - (8 if eighths == 1 else 16)
            velocity = 92 if t % BAR == 0 else 80
            notes.append((t, gate, key(name), velocity))
            t += length
    return notes


def bass_notes():
    notes = []
    for bar, chord in enumerate(HARMONY):
        line = BASS_SPECIAL.get(bar + 1, BASS_PATTERN[chord])
        t = bar * BAR
        for i, (name, eighths) in enumerate(parse_line(line)):
            length = eighths * EIGHTH
            gate = length - 12
            notes.append((t, gate, key(name), 84 if i == 0 else 70))
            t += length
    return notes


def chord_notes():
    notes = []
    for bar, chord in enumerate(HARMONY):
        t = bar * BAR
        if bar == len(HARMONY) - 1:
            for name in VOICINGS[chord].split():
                notes.append((t, BAR - 12, key(name), 66))
            continue
        for beat in (1, 2):
            for name in VOICINGS[chord].split():
                notes.append((t + beat * TICKS_PER_BEAT, 120, key(name), 62 if beat == 1 else 56))
    return notes


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


class Chunk:
    """One track chunk, written the way the program writes them: running
    status for channel messages, cleared by every meta event."""

    def __init__(self):
        self.data = bytearray()
        self.time = 0
        self.running = 0

    def _delta(self, tick):
        assert tick >= self.time
        self.data += var_len(tick - self.time)
        self.time = tick

    def meta(self, tick, kind, payload):
        self._delta(tick)
        self.data += bytes([0xFF, kind]) + var_len(len(payload)) + payload
        self.running = 0

    def channel(self, tick, status, *data):
        self._delta(tick)
        if status != self.running:
            self.data.append(status)
            self.running = status
        self.data += bytes(data)

    def text(self, tick, kind, text):
        self.meta(tick, kind, text.encode("ascii"))

    def kvs_record(self, tag, value):
        self.meta(0, 0x7F, b"\x00\x27\x4A" + tag + value)

    def finish(self):
#End of track at the time of the last event.
        self.data += b"\x00\xFF\x2F\x00"
        return b"MTrk" + struct.pack(">I", len(self.data)) + bytes(self.data)


def note_events(chunk, channel, notes):
    events = []
    for start, length, k, velocity in notes:
        events.append((start, 1, 0x90 | channel, k, velocity))
        events.append((start + length, 0, 0x80 | channel, k, 64))
#Note offs before note ons at the same tick, otherwise in time order.
    for tick, _, status, k, velocity in sorted(events, key=lambda e: (e[0], e[1])):
        chunk.channel(tick, status, k, velocity)


def track_chunk(name, channel, program, volume, pan, reverb, notes, song_header=False):
    c = Chunk()
    if song_header:
        c.meta(0, 0x51, (60000000 // TEMPO_BPM).to_bytes(3, "big"))
        c.meta(0, 0x58, bytes([3, 2, 0x18, 0x08]))  # 3/4
        c.text(0, 0x01, SONG_NAME)
        c.text(0, 0x02, COPYRIGHT)
        markers = [LEFT, RIGHT] + MARKS + [0xFFFFFFFF] * (20 - len(MARKS))
        c.kvs_record(b"KVSmark=", b"".join(struct.pack("<I", m) for m in markers))
        c.kvs_record(b"KVSloop=", bytes([LOOP]))
    c.text(0, 0x03, name)
    c.channel(0, 0xC0 | channel, program)
    c.channel(0, 0xB0 | channel, 7, volume)
    c.channel(0, 0xB0 | channel, 10, pan)
    c.channel(0, 0xB0 | channel, 91, reverb)
    note_events(c, channel, notes)
    return c.finish()


def song_bytes():
    tracks = [
#General MIDI programs, counted from 0.
        track_chunk("Flute", 0, 73, 100, 72, 40, melody_notes(), song_header=True),
        track_chunk("Cello", 1, 42, 96, 52, 40, bass_notes()),
        track_chunk("Pizzicato", 2, 45, 84, 88, 48, chord_notes()),
    ]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TICKS_PER_BEAT)
    return header + b"".join(tracks)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "data", "examples", "minuet.mid")
    path = sys.argv[1] if len(sys.argv) > 1 else default
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(song_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main())
