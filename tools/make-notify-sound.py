#!/usr/bin/env python3
"""Writes resources/sounds/Notify.wav: a short two-tone chime (16-bit mono, 44.1 kHz).

Two soft bell notes, the second a fifth above the first, each with a quick attack and an
exponential decay so the chime ends quietly well before half a second.
Run from the repository root: python3 tools/make-notify-sound.py
"""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 44100
DURATION = 0.42
PEAK = 0.45 * 32767
# (start second, frequency Hz, length seconds)
NOTES = ((0.0, 880.0, 0.22), (0.11, 1318.5, 0.31))
ATTACK = 0.006


def note_sample(t, frequency, length):
    if t < 0.0 or t >= length:
        return 0.0
    envelope = min(1.0, t / ATTACK) * math.exp(-t * 9.0)
    fade_out = min(1.0, (length - t) / 0.02)  # no click when the note is cut
    partials = math.sin(2 * math.pi * frequency * t) + 0.3 * math.sin(4 * math.pi * frequency * t)
    return envelope * fade_out * partials / 1.3


def main():
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else Path("resources/sounds/Notify.wav")
    output.parent.mkdir(parents=True, exist_ok=True)
    frames = bytearray()
    for index in range(int(RATE * DURATION)):
        t = index / RATE
        value = sum(note_sample(t - start, freq, length) for start, freq, length in NOTES)
        frames += struct.pack("<h", int(max(-1.0, min(1.0, value / 1.4)) * PEAK))
    with wave.open(str(output), "wb") as sound:
        sound.setnchannels(1)
        sound.setsampwidth(2)
        sound.setframerate(RATE)
        sound.writeframes(bytes(frames))


if __name__ == "__main__":
    main()
