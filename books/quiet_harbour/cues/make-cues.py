#!/usr/bin/env python3
"""Synthesises the eight sound cues of Quiet Harbour: short mono 16-bit PCM recordings at
11025 samples per second, written as RIFF WAVE files beside this script. Every sound is
made from sine partials and filtered noise with a fixed random seed, so a run always
writes the same files. Run it after changing a sound: python3 make-cues.py"""

import math
import os
import random
import struct
import wave

RATE = 11025
HERE = os.path.dirname(os.path.abspath(__file__))


def silence(seconds):
    return [0.0] * int(seconds * RATE)


def mix(into, sound, at_seconds, gain=1.0):
    start = int(at_seconds * RATE)
    for i, s in enumerate(sound):
        if start + i < len(into):
            into[start + i] += s * gain


def envelope(n, attack, release):
    """Linear attack and release, in samples, over n samples."""
    return [min(1.0, i / max(attack, 1), (n - i) / max(release, 1)) for i in range(n)]


def bandpass(samples, centre, q):
    """A two-pole resonator: keeps the noise near centre (Hz, a number or a list per sample)."""
    out, y1, y2 = [], 0.0, 0.0
    for i, x in enumerate(samples):
        f = centre[i] if isinstance(centre, list) else centre
        w = 2 * math.pi * f / RATE
        r = 1 - w / (2 * q)
        y = x + 2 * r * math.cos(w) * y1 - r * r * y2
        out.append(y * (1 - r))
        y2, y1 = y1, y
    return out


def lowpass(samples, cutoff):
    a = 1 - math.exp(-2 * math.pi * cutoff / RATE)
    out, y = [], 0.0
    for x in samples:
        y += a * (x - y)
        out.append(y)
    return out


def noise(rng, seconds):
    return [rng.uniform(-1, 1) for _ in range(int(seconds * RATE))]


def glide(seconds, f0, f1, partials, vibrato=0.0, rate=6.0):
    """A tone sliding from f0 to f1 Hz; partials is a list of (multiple, amplitude)."""
    n = int(seconds * RATE)
    out, phase = [], 0.0
    for i in range(n):
        t = i / n
        f = f0 + (f1 - f0) * t
        f *= 1 + vibrato * math.sin(2 * math.pi * rate * i / RATE)
        phase += 2 * math.pi * f / RATE
        out.append(sum(a * math.sin(m * phase) for m, a in partials))
    return out


def gulls(rng):
    out = silence(1.8)
    mix(out, lowpass(noise(rng, 1.8), 400), 0, 0.15)
    for at, f0, f1, length in ((0.05, 1900, 1250, 0.32), (0.45, 2000, 1300, 0.28),
                               (0.80, 1800, 1150, 0.40), (1.35, 1700, 1200, 0.30)):
        call = glide(length, f0, f1, [(1, 0.6), (2, 0.25), (3, 0.12)], vibrato=0.03, rate=28)
        env = envelope(len(call), int(0.02 * RATE), int(0.12 * RATE))
        mix(out, [c * e for c, e in zip(call, env)], at, 0.5)
    return out


def bell(rng):
    out = silence(2.9)
    # a bell's partials: hum, prime, minor third, fifth, nominal and above
    partials = [(0.5, 0.35, 1.6), (1.0, 0.5, 1.1), (1.19, 0.3, 0.9), (1.5, 0.2, 0.7),
                (2.0, 0.35, 0.6), (2.52, 0.15, 0.4), (3.0, 0.1, 0.3)]
    for at in (0.0, 0.75, 1.5):
        n = int(1.4 * RATE)
        stroke = [sum(a * math.exp(-i / (d * RATE)) * math.sin(2 * math.pi * 520 * m * i / RATE)
                      for m, a, d in partials) for i in range(n)]
        mix(out, stroke, at, 0.45)
    return out


def foghorn(rng):
    n = int(2.6 * RATE)
    env = envelope(n, int(0.25 * RATE), int(0.6 * RATE))
    out = []
    for i in range(n):
        t = i / RATE
        tone = sum(math.sin(2 * math.pi * f * k * t) / k for f in (98.0, 98.7) for k in range(1, 7))
        out.append(tone * env[i] * 0.22)
    return lowpass(out, 900)


def waves(rng):
    n = int(3.0 * RATE)
    wash = lowpass(lowpass(noise(rng, 3.0), 600), 600)
    swell = [0.25 + 0.75 * max(0.0, math.sin(math.pi * (i / RATE) / 1.5)) ** 2 for i in range(n)]
    lap = bandpass(noise(rng, 3.0), 260, 3)
    return [(w * 4.0 + l * 0.5) * s for w, l, s in zip(wash, lap, swell)]


def engine(rng):
    n = int(2.0 * RATE)
    out = []
    for i in range(n):
        t = i / RATE
        firing = max(0.0, math.sin(2 * math.pi * 11 * t)) ** 6   # the cylinders' beat
        out.append(0.5 * firing * math.sin(2 * math.pi * 55 * t) + 0.15 * math.sin(2 * math.pi * 110 * t))
    rumble = lowpass(noise(rng, 2.0), 300)
    env = envelope(n, int(0.15 * RATE), int(0.3 * RATE))
    return [(o + r * 0.8) * e for o, r, e in zip(out, rumble, env)]


def wind(rng):
    n = int(3.0 * RATE)
    centre = [500 + 300 * math.sin(2 * math.pi * 0.4 * i / RATE) for i in range(n)]
    gust = bandpass(noise(rng, 3.0), centre, 4)
    whistle = glide(3.0, 880, 940, [(1, 1.0)], vibrato=0.01, rate=3)
    env = envelope(n, int(0.6 * RATE), int(0.8 * RATE))
    swell = [0.6 + 0.4 * math.sin(2 * math.pi * 0.33 * i / RATE) for i in range(n)]
    return [(g * 1.6 + w * 0.04) * e * s for g, w, e, s in zip(gust, whistle, env, swell)]


def creak(rng):
    n = int(1.3 * RATE)
    clicks, at, gap = [0.0] * n, 0.05, 0.03
    while at < 1.2:   # stick-slip: clicks that slow down as the rope takes the strain
        clicks[int(at * RATE)] = rng.uniform(0.7, 1.0)
        at += gap
        gap = min(gap * 1.05, 0.06)
    body = bandpass(clicks, [380 + 120 * math.sin(2 * math.pi * 0.8 * i / RATE) for i in range(n)], 12)
    env = envelope(n, int(0.05 * RATE), int(0.2 * RATE))
    return [b * 6 * e for b, e in zip(body, env)]


def dog(rng):
    out = silence(1.0)
    for at, f0 in ((0.05, 560), (0.42, 520)):
        bark = glide(0.16, f0, f0 * 0.65, [(1, 0.6), (2, 0.35), (3, 0.2), (4, 0.1)])
        rough = bandpass(noise(rng, 0.16), 900, 2)
        env = [math.exp(-i / (0.05 * RATE)) * min(1, i / 40) for i in range(len(bark))]
        mix(out, [(b + r * 0.8) * e for b, r, e in zip(bark, rough, env)], at, 0.7)
    return out


CUES = [("gulls", gulls), ("bell", bell), ("foghorn", foghorn), ("waves", waves),
        ("engine", engine), ("wind", wind), ("creak", creak), ("dog", dog)]


def write(name, samples):
    fade = int(0.01 * RATE)   # no click where a cue starts or stops
    samples = [s * min(1.0, i / fade, (len(samples) - 1 - i) / fade) for i, s in enumerate(samples)]
    peak = max(abs(s) for s in samples) or 1.0
    scale = 0.8 * 32767 / peak   # every cue peaks at the same level
    frames = b"".join(struct.pack("<h", int(round(s * scale))) for s in samples)
    with wave.open(os.path.join(HERE, name + ".wav"), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main():
    for index, (name, make) in enumerate(CUES):
        write(name, make(random.Random(1000 + index)))
        print(f"{name}.wav")


if __name__ == "__main__":
    main()
