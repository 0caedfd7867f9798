#!/usr/bin/env python3
"""Checks the random-event analysis of SIN meter frames against an independent computation.

A seeded sequence of frames goes through the event probe; numpy recomputes the extreme levels from the
level formula, the signal-to-noise with the band factor of the watch, the event counts and the shares
of time, and the timer. Usage: check_event_numbers.py <path of r9_event_probe>
"""
import subprocess
import sys

import numpy as np

PROBE = sys.argv[1]
NO_VALUE = -9999999.0

# The set-up of the probe: gain 0.001 V per code, 600 Ohm, reference 0; the watch's band from bin 1 to
# bin 409 and the tone's bins 99 to 101, in complex-index units.
GAIN = 0.001
R = 600.0
BAND_START, BAND_END, TONE_START, TONE_END = 2, 818, 198, 202
MIN_SIGNAL_NORM, MAX_NOISE_NORM, MIN_SNR_NORM = -40.0, -50.0, 20.0


def dbm0(q):
    p = q * GAIN * GAIN * 1571291.125
    if p <= 0:
        return -160.0
    return max(10 * np.log10(p * 1000 / (R * 798176.0625)), -160.0)


def main():
    rng = np.random.default_rng(12)
    n = 40
    dt = rng.choice([0.0, 0.5, 1.0, 1.7], size=n, p=[0.1, 0.3, 0.4, 0.2])
    q0 = (10 ** rng.uniform(-1, 7, n)).astype(np.int64)
    q1 = (10 ** rng.uniform(-1, 6, n)).astype(np.int64)
    q2 = (10 ** rng.uniform(-1, 5, n)).astype(np.int64)
    q2[::7] = 0
    block_level = rng.uniform(-60, 10, n)
    block_noise = rng.uniform(-90, -20, n)
    block_snr = rng.uniform(0, 60, n)
    lines = "".join(
        f"{dt[i]!r} {q0[i]} {q1[i]} {q2[i]} {np.float32(block_level[i])!r} {np.float32(block_noise[i])!r} "
        f"{np.float32(block_snr[i])!r}\n"
        for i in range(n))
    out = subprocess.run([PROBE], input=lines, check=True, capture_output=True, text=True).stdout
    got = np.array([float(line.split()[1]) for line in out.splitlines()]).reshape(n, 10)

    w = (BAND_END - BAND_START) / (BAND_END + TONE_START - BAND_START - TONE_END)
    timer = 0.0
    events = np.zeros(3)
    shares = np.zeros(3)
    expected = np.zeros((n, 10))
    for i in range(n):
        level = min(dbm0(q0[i]), np.float32(block_level[i]))
        noise = max(dbm0(q1[i]), np.float32(block_noise[i]))
        snr = min(10 * np.log10((q2[i] if q2[i] > 0 else 0.5) / w * 0.25), np.float32(block_snr[i]))
        e = np.array([level < MIN_SIGNAL_NORM, noise > MAX_NOISE_NORM, snr < MIN_SNR_NORM], dtype=float)
        events += e
        if dt[i] + timer > 0:
            shares = (shares * 0.01 * timer + dt[i] * e) * 100 / (dt[i] + timer)
        timer += dt[i]
        expected[i] = [timer, level, events[0], shares[0], noise, events[1], shares[1], snr, events[2], shares[2]]

    # Levels through float sums: within 1e-3 dB; shares within 1e-3 %; the timer runs on day fractions.
    tolerance = np.array([1e-5 * max(1.0, timer), 1e-3, 0, 1e-3, 1e-3, 0, 1e-3, 1e-3, 0, 1e-3])
    worst = np.abs(got - expected) - tolerance
    ok = bool(np.all(worst <= 1e-9))
    print(("ok   " if ok else "FAIL ") + f"SIN random events over {n} frames: largest excess {worst.max():.3g}")
    if not ok:
        i, j = np.unravel_index(np.argmax(worst), worst.shape)
        print(f"frame {i} row {j}: got {got[i, j]!r}, expected {expected[i, j]!r}")
        sys.exit(1)


main()
