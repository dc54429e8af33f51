#!/usr/bin/env python3
"""Generates Velloran's two sound cues into data/.

frmurls.wav  - the opening cue: a soft rising two-note chime.
closeurl.wav - the closing cue: the same timbre, falling.

Both are 16-bit PCM, mono, 22050 Hz, so QSoundEffect plays them without
any decoder plugin.
"""
import math
import os
import struct
import wave

RATE = 22050
PEAK = 0.45  # leave headroom: cues should never be louder than the page


def note(freq, start, length, total):
    """One bell-like note placed at `start` seconds inside a `total`-second buffer."""
    out = [0.0] * int(total * RATE)
    first = int(start * RATE)
    count = min(int(length * RATE), len(out) - first)
    attack = int(0.006 * RATE)  # short ramp so the note starts without a click
    for i in range(count):
        t = i / RATE
        env = math.exp(-t * 9.0)
        if i < attack:
            env *= i / attack
        # Fundamental plus a quiet octave and twelfth give a glassy chime.
        s = (math.sin(2 * math.pi * freq * t)
             + 0.30 * math.sin(2 * math.pi * 2 * freq * t) * math.exp(-t * 6.0)
             + 0.12 * math.sin(2 * math.pi * 3 * freq * t) * math.exp(-t * 14.0))
        out[first + i] = s * env
    return out


def mix(*tracks):
    n = max(len(t) for t in tracks)
    res = [0.0] * n
    for t in tracks:
        for i, v in enumerate(t):
            res[i] += v
    return res


def finish(samples):
    peak = max(abs(v) for v in samples) or 1.0
    scaled = [v / peak * PEAK for v in samples]
    # Fade the tail so the buffer ends on silence.
    fade = int(0.03 * RATE)
    for i in range(fade):
        scaled[-1 - i] *= i / fade
    return scaled


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(
            struct.pack("<h", max(-32767, min(32767, int(round(v * 32767)))))
            for v in samples))


def main():
    data = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
    total = 0.32
    # E5 then A5 (a fourth up) for opening, A5 then E5 for closing.
    rising = finish(mix(note(659.25, 0.0, 0.32, total), note(880.0, 0.09, 0.23, total)))
    falling = finish(mix(note(880.0, 0.0, 0.32, total), note(659.25, 0.09, 0.23, total)))
    write(os.path.join(data, "frmurls.wav"), rising)
    write(os.path.join(data, "closeurl.wav"), falling)


if __name__ == "__main__":
    main()
