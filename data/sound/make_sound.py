#!/usr/bin/env python3
"""Writes clipvane.wav: the capture sound, a short two-part shutter click
(16-bit mono, 22050 Hz, about 0.12 s). Run it again to regenerate the file."""
import math
import random
import struct
import wave

RATE = 22050


def click(start, length, pitch, volume):
    out = []
    for i in range(length):
        t = i / RATE
        envelope = math.exp(-t * 60.0)
        tone = math.sin(2 * math.pi * pitch * t)
        noise = random.uniform(-1.0, 1.0)
        out.append(volume * envelope * (0.6 * tone + 0.4 * noise))
    return start, out


def main():
    random.seed(7)
    total = int(RATE * 0.12)
    samples = [0.0] * total
    for start, part in (click(0, int(RATE * 0.05), 1800.0, 0.7), click(int(RATE * 0.055), int(RATE * 0.06), 1200.0, 0.5)):
        for i, v in enumerate(part):
            if start + i < total:
                samples[start + i] += v
    with wave.open("clipvane.wav", "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples))


if __name__ == "__main__":
    main()
