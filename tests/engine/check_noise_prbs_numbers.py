#!/usr/bin/env python3
"""Checks the NOISE phasogram and the PRBS echo search against numpy computed from first principles.

Each check writes synthetic ADC blocks, runs the probe on them and compares what it prints with the
independent computation, within the tolerance stated at the check.
Usage: check_noise_prbs_numbers.py <path of r9_noise_prbs_probe>
"""
import os
import subprocess
import sys
import tempfile

import numpy as np

PROBE = sys.argv[1]
WORK = tempfile.mkdtemp(prefix="r9_noise_prbs_")
FAILURES = []


def probe(*args):
    out = subprocess.run([PROBE, *map(str, args)], check=True, capture_output=True, text=True).stdout
    values = {}
    for line in out.splitlines():
        key, value = line.split()
        values.setdefault(key, []).append(float(value))
    return values


def write(name, codes):
    path = os.path.join(WORK, name)
    np.clip(np.round(codes), -32768, 32767).astype(np.int16).tofile(path)
    return path


def check(name, ok, detail):
    print(("ok   " if ok else "FAIL ") + name + ": " + detail)
    if not ok:
        FAILURES.append(name)


def generator_sequence():
    """The generator's 1023 chips: a ten-stage register, every stage 1 at the start, shifting in
    r7 XOR r10; +1 for a 1, -1 for a 0."""
    stages = 0x3FF
    chips = []
    for _ in range(1023):
        b = ((stages >> 6) ^ (stages >> 9)) & 1
        stages = ((stages << 1) | b) & 0x3FF
        chips.append(1 if b else -1)
    return np.array(chips)


NO_VALUE = -9999999


def prbs_with_echo(lag, gain, n=2048, amplitude=3000.0):
    """Two blocks (the first only settles the recognition): two samples per chip, smoothed by the
    generator's output path (a [1/4, 1/2, 1/4] filter, so that a pulse is wider than one step), the
    sequence repeated, plus its copy delayed by lag samples times gain."""
    s = np.repeat(generator_sequence(), 2).astype(float)
    s = 0.25 * np.roll(s, 1) + 0.5 * s + 0.25 * np.roll(s, -1)
    k = np.arange(2 * n)
    return amplitude * (s[k % 2046] + gain * s[(k - lag) % 2046])


def check_prbs():
    fs, velocity = 2560.0, 200.0
    dt = 1000.0 / fs
    # The strongest peak sits at step 31; an echo lag samples later at 31 + lag.
    out = probe("prbs", 2048, fs, velocity, write("echo200.bin", prbs_with_echo(200, -0.2)))
    check("PRBS block recognised", out["kind"][-1] == 4, f"kind {out['kind'][-1]:.0f}")
    pos = out["position"]
    check("direct pulse at step 31", pos[0] == 31, f"position {pos[0]:.0f}")
    check("echo at +200 samples found at step 231", pos[1] == 231, f"position {pos[1]:.0f}")
    delay, percent, level, distance = out["delay"], out["percent"], out["level"], out["distance"]
    check("direct pulse heads the table", abs(delay[0]) < 1e-3 and abs(percent[0] - 100) < 1e-3
          and abs(level[0] - 70) < 1e-3, f"delay {delay[0]:.4f} us, {percent[0]:.3f} %, {level[0]:.3f} dB")
    expected_level = -(70 + 20 * np.log10(0.2))
    check("echo of -0.2 reports about -20 % and a negative level",
          abs(percent[1] + 20) < 0.5 and abs(level[1] - expected_level) < 0.3,
          f"{percent[1]:.3f} % (expected -20), {level[1]:.3f} dB (expected {expected_level:.3f})")
    check("echo delay and distance", abs(delay[1] - 200 * dt) < 0.05 * dt
          and abs(distance[1] - delay[1] * velocity) < 1e-2,
          f"{delay[1]:.4f} us (expected {200 * dt:.4f}), {distance[1]:.3f} m")
    check("no further echoes", all(d == NO_VALUE for d in delay[2:]), f"delays {delay[2:]}")
    for lag in (9, 851):
        out = probe("prbs", 2048, fs, velocity, write(f"echo{lag}.bin", prbs_with_echo(lag, -0.2)))
        check(f"echo {lag} steps away is not reported",
              out["position"][0] == 31 and out["position"][1] == -1 and out["delay"][1] == NO_VALUE,
              f"positions {out['position'][:3]}, second delay {out['delay'][1]}")


def check_phasogram():
    """Noise whose amplitude follows 1 + m cos(phase of the reference), with the reference line itself:
    at the meter (the ADC inverts the sign) the reference rises through zero at phase 0."""
    n, fs, fref, f0, m = 32768, 640.0, 0.05, 2.5, 0.5
    blocks = 6
    rng = np.random.default_rng(7)
    t = np.arange(n * blocks)
    w = 2 * np.pi * fref / fs
    envelope = 1 + m * np.cos(w * t)
    codes = -(1000.0 * envelope * rng.standard_normal(t.size) + 300.0 * np.sin(w * t))
    out = probe("phasogram", n, fs, f0, fref, 1, write("phasogram.bin", codes))
    check("AM noise recognised as NOISE after the settling block", all(k == 5 for k in out["kind"][1:]),
          f"kinds {out['kind']}")
    period = round(fs / fref)
    segment, step = int(out["segment"][0]), out["step"][0]
    points = int(out["points"][0])
    # The segment: twice the sample rate over the band's lower edge, in the next power of two from 64 to 1024.
    wanted = 2 * fs / min(fs / 2.5 - f0, f0)
    expected_segment = next((s for s in (64, 128, 256, 512) if wanted < s), 1024)
    check("phasogram size", points == int(period / step + 1 + 1e-4) and segment == expected_segment,
          f"{points} points, segment {segment}, step {step:.3f}")
    level, phase = np.array(out["level"]), np.array(out["phase"])
    k = np.arange(points)
    check("phase axis", np.allclose(phase, k * 360 / (period / step), atol=1e-3), f"last {phase[-1]:.3f} deg")
    # The expected band power of segment k: the Hann-weighted mean of the squared envelope over the
    # segment centred on the phase of point k.
    i = np.arange(segment) - segment // 2
    hann2 = (0.5 - 0.5 * np.cos(2 * np.pi * np.arange(segment) / segment)) ** 2
    centre = np.round(k * step)
    expected = np.array([10 * np.log10(np.sum(hann2 * (1 + m * np.cos(w * (c + i))) ** 2)) for c in centre])
    shape = 20 * np.log10(1 + m * np.cos(np.radians(phase)))
    difference = level - expected
    spread = np.max(np.abs(difference - np.mean(difference)))
    correlation = np.corrcoef(level, shape)[0, 1]
    check("phasogram curve 0 follows 20 log10(1 + m cos phi)", spread < 1.0 and correlation > 0.99,
          f"largest deviation {spread:.3f} dB after the offset {np.mean(difference):.2f} dB, "
          f"correlation with the shape {correlation:.4f}")


check_prbs()
check_phasogram()
sys.exit(1 if FAILURES else 0)
