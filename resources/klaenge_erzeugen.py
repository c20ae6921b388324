#!/usr/bin/env python3
"""Makes the program's two sounds: Signal.wav, a two-tone signal played at the end
of a driving program, and ring.wav, a short ring played after a single line.

Both are 16-bit mono PCM at 22050 Hz, written beside this script:
    python3 klaenge_erzeugen.py
"""
import math
import os
import struct
import wave

RATE = 22050
HIER = os.path.dirname(os.path.abspath(__file__))


def ton(frequenzen, dauer, lautstaerke=0.45, rampe=0.01):
    """Samples of a tone (a sum of sine waves) with short soft edges against clicks."""
    n = int(RATE * dauer)
    r = max(1, int(RATE * rampe))
    werte = []
    for i in range(n):
        t = i / RATE
        s = sum(math.sin(2 * math.pi * f * t) for f in frequenzen) / len(frequenzen)
        huelle = min(1.0, i / r, (n - 1 - i) / r)
        werte.append(s * huelle * lautstaerke)
    return werte


def stille(dauer):
    return [0.0] * int(RATE * dauer)


def schreibe(name, werte):
    pfad = os.path.join(HIER, name)
    with wave.open(pfad, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, v)) * 32767)) for v in werte))
    print(f"{pfad}: {len(werte) / RATE:.2f} s, {os.path.getsize(pfad)} bytes")


def signal():
    # Two tones a fourth apart, high then low, like a station's departure signal.
    return ton([880.0], 0.28) + stille(0.04) + ton([660.0], 0.28)


def ring():
    # A bell-like ring: two close partials, beating, shaped by a quick decay.
    n = int(RATE * 0.4)
    werte = []
    for i in range(n):
        t = i / RATE
        s = 0.6 * math.sin(2 * math.pi * 1320.0 * t) + 0.4 * math.sin(2 * math.pi * 1344.0 * t)
        s += 0.2 * math.sin(2 * math.pi * 2640.0 * t) * math.exp(-t * 20)
        huelle = min(1.0, i / 60) * math.exp(-t * 7)
        werte.append(0.5 * s * huelle)
    return werte


if __name__ == "__main__":
    schreibe("Signal.wav", signal())
    schreibe("ring.wav", ring())
