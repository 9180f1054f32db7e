#!/usr/bin/env python3
"""Writes res/app/Sounds/Message.wav: a short two-note chime played when a
popup appears. Deterministic, so the file can be rebuilt at will."""
import math
import os
import struct
import wave

RATE = 22050
LENGTH = 0.62  # seconds

# (start s, frequency Hz, peak level, decay per s): a soft major sixth, E6 then C#7.
NOTES = [(0.00, 1318.5, 0.42, 7.0), (0.11, 2217.5, 0.34, 8.5)]


def sample(t):
    v = 0.0
    for start, f, peak, decay in NOTES:
        d = t - start
        if d < 0:
            continue
        attack = min(1.0, d / 0.004)  # 4 ms attack, no click
        env = attack * peak * math.exp(-decay * d)
        # A bell: the fundamental plus a quieter, faster-fading octave partial.
        v += env * (math.sin(2 * math.pi * f * d) + 0.25 * math.exp(-6 * d) * math.sin(4 * math.pi * f * d))
    fade = min(1.0, (LENGTH - t) / 0.05)  # end at silence
    return max(-1.0, min(1.0, v * fade))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "res", "app", "Sounds", "Message.wav")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    frames = b"".join(struct.pack("<h", int(sample(i / RATE) * 32767)) for i in range(int(RATE * LENGTH)))
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)
    print(out, os.path.getsize(out), "bytes")


if __name__ == "__main__":
    main()
