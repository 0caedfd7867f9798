#!/usr/bin/env python3
"""Checks the engine's numbers against numpy and scipy computed from first principles.

Each check writes a synthetic input, runs the engine probe on it and compares what the probe prints
with the independent computation, within the tolerance stated at the check.
Usage: check_engine_numbers.py <path of r9_engine_probe>
"""
import os
import subprocess
import sys
import tempfile

import numpy as np
from scipy.signal import max_len_seq

PROBE = sys.argv[1]
WORK = tempfile.mkdtemp(prefix="r9_engine_")
FAILURES = []

# The scale of the spectrum power sums: watts times ohms over one milliwatt, as the level formula has it.
SPECTRUM_POWER_SCALE = 798176.0625


def probe(*args):
    out = subprocess.run([PROBE, *map(str, args)], check=True, capture_output=True, text=True).stdout
    values = {}
    for line in out.splitlines():
        key, value = line.split()
        values.setdefault(key, []).append(float(value))
    return values


def write(name, array):
    path = os.path.join(WORK, name)
    array.tofile(path)
    return path


def check(name, ok, detail):
    print(("ok   " if ok else "FAIL ") + name + ": " + detail)
    if not ok:
        FAILURES.append(name)


def engine_layout(x, n):
    """A complex half spectrum in the engine's layout: e^(+i...) kernel, so the conjugate of numpy's
    rfft; DC at 0, Nyquist at 1, bin k as re, im at 2k, 2k + 1."""
    out = np.empty(n)
    out[0] = x[0].real
    out[1] = x[n // 2].real
    out[2::2] = x[1:n // 2].real
    out[3::2] = -x[1:n // 2].imag
    return out


def sample_gain(meter_scale_db=35.0, codes_per_volt=14968.0):
    return 10 ** (0.05 * meter_scale_db) / codes_per_volt


def periodic_hann(n):
    i = np.arange(n)
    return 0.5 - 0.5 * np.cos(2 * np.pi * i / n)


def hann_spectrum(codes):
    """The full-length spectrum: volts (sign inverted), periodic Hann, the window-weighted mean
    removed, scaled by 2048/n."""
    n = len(codes)
    volts = -codes.astype(np.float64) * sample_gain()
    w = periodic_hann(n)
    d = 2.0 / n * np.sum(w * volts)
    return np.fft.rfft(w * (volts - d)) * 2048.0 / n


def dbm0(p, impedance=600.0):
    return 10 * np.log10(p * 1000.0 / (impedance * SPECTRUM_POWER_SCALE))


def hann_ratio_frequency(p):
    """The tone frequency in bins from the Hann neighbour power ratio r = ((1 + d)/(2 - d))^2, solved
    for d in closed form."""
    k = int(np.argmax(p))
    side = 1 if p[k + 1] > p[k - 1] else -1
    q = np.sqrt(p[k + side] / p[k])
    return k + side * (2 * q - 1) / (1 + q)


def tone_codes(n, frequency_bins, amplitude, phase=0.3):
    i = np.arange(n)
    return np.round(amplitude * np.cos(2 * np.pi * frequency_bins * i / n + phase)).astype(np.int16)


def check_real_fft(rng):
    for n in (2 ** m for m in range(1, 16)):  # every length the transform takes
        x = rng.standard_normal(n).astype(np.float32)
        got = np.array(probe("realfft", n, write("real.f32", x))["x"])
        want = engine_layout(np.fft.rfft(x.astype(np.float64)), n)
        err = np.max(np.abs(got - want)) / np.max(np.abs(want))
        check(f"RealFft n={n} against numpy rfft", err < 2e-6, f"largest error {err:.2e} of the largest bin (< 2e-6)")


def check_hann_spectrum(rng):
    for n, fs in ((2048, 2560.0), (8192, 640.0), (32768, 10240.0)):
        codes = (rng.standard_normal(n) * 3000 + 700).astype(np.int16)
        got = probe("hann", n, fs, write("hann.i16", codes))
        want = engine_layout(hann_spectrum(codes), n)
        err = np.max(np.abs(np.array(got["x"]) - want)) / np.max(np.abs(want))
        check(f"HannSpectrum n={n} against numpy rfft with a periodic Hann window", err < 5e-6,
              f"largest error {err:.2e} of the largest bin (< 5e-6)")
    # A clipped block keeps its mean: the DC term is the plain windowed sum.
    codes = np.full(2048, 200, dtype=np.int16)
    codes[7] = 30000
    got = probe("hann", 2048, 2560.0, write("clipped.i16", codes))
    volts = -codes.astype(np.float64) * sample_gain()
    dc = np.sum(periodic_hann(2048) * volts)
    check("HannSpectrum of a clipped block keeps its DC", got["overload"][0] == 1 and
          abs(got["x"][0] - dc) < 1e-5 * abs(dc), f"DC {got['x'][0]:.6f}, expected {dc:.6f}")


def check_recognition_spectrum():
    n = 2048
    i = np.arange(n)
    codes = np.round(9000 * np.cos(2 * np.pi * 100 * i / n + 0.4) + 2500 * np.cos(2 * np.pi * 237 * i / n + 1.1) +
                     400 * np.cos(2 * np.pi * 411 * i / n + 2.0) + 150).astype(np.int16)
    got = np.array(probe("recognition", write("multi.i16", codes))["x"])
    mean = int(np.trunc(np.sum(codes.astype(np.int64)) / n))
    x = -(codes.astype(np.float64) - mean)
    w = 1 - np.cos(2 * np.pi * (i + 1) / n)  # the integer window: peak 2, one sample later
    want = engine_layout(np.fft.rfft(w * x), n) * sample_gain() * 0.5
    got_power = got[0::2] ** 2 + got[1::2] ** 2
    want_power = want[0::2] ** 2 + want[1::2] ** 2
    worst = 0.0
    for tone in (100, 237, 411):
        for k in (tone - 1, tone, tone + 1):
            worst = max(worst, abs(10 * np.log10(got_power[k] / want_power[k])))
    check("FixedRecognitionSpectrum of a three-tone block", worst < 1e-3,
          f"largest difference at the tone bins {worst:.2e} dB (< 1e-3 dB)")
    # Same block through the float path: the two spectra agree in scale.
    full = hann_spectrum(codes)
    p_float = np.abs(full[99:102]) ** 2
    diff = abs(10 * np.log10(np.sum(got_power[99:102]) / np.sum(p_float)))
    check("recognition and full-length spectra agree in scale", diff < 0.01, f"3-bin sums differ by {diff:.2e} dB")


def check_tone_levels():
    n, fs, amplitude = 2048, 2560.0, 10000
    on_grid = tone_codes(n, 100, amplitude)
    p = np.abs(hann_spectrum(on_grid)) ** 2
    reference = dbm0(np.sum(p[99:102]))
    check("on-grid tone level from first principles is about 30.64 dBm0", abs(reference - 30.64) < 0.01,
          f"{reference:.4f} dBm0")
    got = probe("tone", n, fs, write("tone.i16", on_grid))
    check("on-grid tone level", abs(got["level_after"][0] - reference) < 1e-3 and got["bin"][0] == 100,
          f"{got['level_after'][0]:.5f} dBm0 at bin {got['bin'][0]:.0f}, expected {reference:.5f}")
    for offset in (0.25, 0.5):
        codes = tone_codes(n, 100 + offset, amplitude)
        got = probe("tone", n, fs, write("tone.i16", codes))
        p = np.abs(hann_spectrum(codes)) ** 2
        t = int(got["bin"][0])
        plain = dbm0(np.sum(p[t - 1:t + 2]))
        frequency = t + got["offset"][0]
        estimate = hann_ratio_frequency(p)
        check(f"tone {offset} bin off the grid: frequency", abs(frequency - estimate) < 1e-6,
              f"{frequency:.9f} bins, Hann neighbour ratio of the block in float64 {estimate:.9f}")
        # The int16 rounding of the synthetic codes alone moves the estimate by up to about 1.6e-6 bin.
        check(f"tone {offset} bin off the grid: frequency against the synthesised one",
              abs(frequency - (100 + offset)) < 2e-6, f"{frequency:.9f} bins, synthesised at {100 + offset}")
        check(f"tone {offset} bin off the grid: level before the leakage collapse",
              abs(got["level_before"][0] - plain) < 1e-3, f"{got['level_before'][0]:.5f} dBm0, numpy {plain:.5f}")
        check(f"tone {offset} bin off the grid: level after the leakage collapse",
              abs(got["level_after"][0] - reference) < 0.01,
              f"{got['level_after'][0]:.5f} dBm0, on-grid {reference:.5f} (before: {plain - reference:+.3f} dB)")


def check_level_conversion():
    """Power sums to dBm0 over every range a sum can take, in the displayed spectrum and one at a time:
    within one float step of the level computed in float64, LevelFloor exactly where the power is zero,
    negative, tiny, not finite, or the level does not lie above the floor."""
    floor = -160.0
    special = np.array([0.0, -0.0, -1.0, -3e38, np.inf, -np.inf, np.nan, 1e-45, 1e-38, 4e-11, 3.4028235e38],
                       dtype=np.float32)
    for reference, connection, impedance, correction in ((0.0, 0, 600.0, 0.0), (7.5, 0, 600.0, 0.0),
                                                         (-3.25, 3, 150.0, -0.113)):
        per_power = 1000.0 / (impedance * SPECTRUM_POWER_SCALE)
        # The powers whose level lies on the floor, and a little either side of it.
        at_floor = 10 ** ((floor + reference - correction) / 10) / per_power
        near_floor = (at_floor * (1 + np.linspace(-1e-6, 1e-6, 41))).astype(np.float32)
        spread = (10 ** np.random.default_rng(1).uniform(-46, 38.5, 16000)).astype(np.float32)
        powers = np.concatenate([special, near_floor, spread, -spread[:100]])[:16383]
        got = probe("dbm0", reference, connection, write("powers.f32", powers))
        d = powers.astype(np.float64) * per_power
        with np.errstate(divide="ignore", invalid="ignore"):
            level = 10 * np.log10(d) - reference + correction
        measurable = np.isfinite(d) & (d > 1e-16) & (level > floor)
        expected = np.where(measurable, level, floor).astype(np.float32)
        step = np.spacing(np.abs(expected))
        name = f"level conversion, reference {reference}, connection type {connection}"
        for path in ("displayed", "single"):
            values = np.array(got[path], dtype=np.float32)
            off = np.abs(values.astype(np.float64) - expected) > step
            wrong_floor = (values == np.float32(floor)) != (expected == np.float32(floor))
            exact = np.count_nonzero(values == expected)
            check(f"{name}, {path}", not off.any() and not wrong_floor.any(),
                  f"{np.count_nonzero(off)} of {len(values)} beyond one float step, {np.count_nonzero(wrong_floor)} "
                  f"floors misplaced; {len(values) - exact} differ from the rounded float64 level in the last bit")


def check_prbs_reference():
    got = probe("prbs")
    positive = np.array(got["positive"], dtype=int)
    negative = np.array(got["negative"], dtype=int)
    mls = max_len_seq(10)[0].astype(int)
    matched = None
    for name, chips in (("sequence", mls), ("reversed sequence", mls[::-1])):
        for shift in range(1023):
            s = np.repeat(2 * np.roll(chips, -shift) - 1, 2)
            d = s - np.roll(s, -1023)
            if np.array_equal(np.flatnonzero(d > 0), positive) and np.array_equal(np.flatnonzero(d < 0), negative):
                matched = f"{name} of scipy's 10-bit maximum-length sequence, shifted by {shift} chips"
    check("PRBS difference reference", matched is not None, matched or "matches no shift of the m-sequence")
    check("PRBS index lists cover every non-zero difference", len(positive) + len(negative) > 0 and
          len(set(positive) & set(negative)) == 0, f"{len(positive)} positive, {len(negative)} negative")


P1 = ([0, 0.04, 0.08, 0.12, 0.16, 0.5], [0, 0.016, 0.044, 0.08, 0.12, 0.46])
P2 = ([0] + [k / 32 for k in range(1, 14)] + [0.5],
      [0, 0.00031, 0.00085, 0.0018, 0.00344, 0.00629, 0.01124, 0.01985, 0.03481, 0.06081, 0.10602, 0.18458, 0.32114,
       0.5585, 1.26968])


def basis(x):
    return np.array([np.ones_like(np.asarray(x, dtype=float)), np.interp(x, *P1), np.interp(x, *P2)])


def adjusted(fs, c):
    """Refits the stored response (valid at 320 kHz) to the frequency range of fs."""
    r = fs * 0.003125
    if r > 1:
        return list(c)
    xi = np.array([0.0244140625, 0.234375, 0.3759765625])
    coefficients = np.array([1 + c[0] / 8192, c[1] / 8192, c[2] / 8192])
    target = coefficients @ basis(xi * r)
    a, b, cc = np.linalg.solve(basis(xi).T, target)
    return [int(np.trunc((a - 1) * 8192)), int(np.trunc(b * 8192)), int(np.trunc(cc * 8192))]


def check_calibration():
    for fs, c in ((160.0, (-300, 1200, -900)), (20.0, (500, -2000, 3000)), (640.0, (-300, 1200, -900))):
        got = probe("adjust", fs, *c)
        want = adjusted(fs, c)
        ok = all(abs(g - w) <= 1 for g, w in zip(got["c"], want))
        check(f"AdjustCalibration at fs {fs} kHz", ok, f"{[int(v) for v in got['c']]}, expected {want} (+-1 code)")
    # Rows {50r - 2000, 30r - 1000, 20r - 800}; the meter's row of a maximum frequency, connection group
    # and input range; an input range of -1 is taken as range 0. All cases run in one process, one after
    # the other, so that a gain kept from an earlier row or block size would show; 3000 is a length that
    # does not divide the largest block (a SYNC fragment).
    codes = {256: 1, 512: 2, 1024: 3, 2048: 4, 4096: 5}
    cases = ((1024, 2048, 0, 1), (256, 4096, 7, 3), (128, 2048, 12, 2), (4096, 2048, 3, -1), (4096, 32768, 3, -1),
             (1024, 32768, 0, 1), (1024, 3000, 0, 1), (1024, 8192, 0, 2))
    got_all = np.array(probe("calgain", *[v for case in cases for v in case])["g2"])
    first = 0
    for max_frequency, n, connection, max_level in cases:
        fs = max_frequency * 2.5
        group = 1 if connection > 5 and connection != 12 else 0
        row = codes.get(max_frequency, 0) + 6 * group + 12 * min(max(max_level, 0), 3) + 36
        c = adjusted(fs, (50 * row - 2000, 30 * row - 1000, 20 * row - 800))
        x = np.arange(n // 2) / n
        g = ((c[0] + 8192) * basis(x)[0] + c[1] * basis(x)[1] + c[2] * basis(x)[2]) / 8192
        want = g ** 2
        want[0] = 0
        got = got_all[first:first + n // 2]
        first += n // 2
        # A refitted coefficient may truncate one code apart from float64: allow that, per bin.
        one_code = 2 * np.abs(g) * np.sum(np.abs(basis(x)), axis=0) / 8192 + 1e-6
        err = np.max(np.abs(got - want) / one_code)
        check(f"CalibrateSpectrum gain at {max_frequency} kHz, n={n}, type {connection}, range {max_level} (row {row})",
              err <= 1, f"largest error {err:.2f} of one code's effect")


def hann_response(d):
    """|W(d)| of the periodic Hann window d bins from a tone, relative to the tone's own bin."""
    d = abs(d)
    if d == 0:
        return 1.0
    if d == 1:
        return 0.5
    if d == np.floor(d):
        return 0.0
    return abs(np.sin(np.pi * d) / (np.pi * d)) / abs(1 - d * d)


class Lcg:
    """The engine's seeded generator: 64-bit x := x * A + C, 31-bit values from the top bits, 15-bit
    values from the top of those."""

    def __init__(self, seed):
        self.state = seed

    def next15(self):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2 ** 64
        return (self.state >> 33) >> 16


def collapse_leakage(p, n, fs, seed):
    """The leakage collapse from its description, in float64: every local peak of the spectrum (two
    falling neighbours a side) takes back the Hann leakage of up to 42 bins a side, interpolated in the
    neighbour ratio, and leaves each drained bin at least at a random floor."""
    offsets = np.arange(32) / 62.0
    centre = np.array([hann_response(d) for d in offsets])
    ratio_axis = (np.array([hann_response(1 - d) for d in offsets]) / centre) ** 2
    near = [(np.array([hann_response(k + 1 - d) for d in offsets]) / centre) ** 2 for k in range(42)]
    far = [(np.array([hann_response(k + 1 + d) for d in offsets]) / centre) ** 2 for k in range(42)]
    h = n // 2
    floor = 10000 * (1024.0 / n) ** 2 * np.sqrt(fs * 0.000390625)
    a = p.astype(np.float64)
    out = a.copy()
    random = Lcg(seed)
    for i in range(1, h - 2):
        peak = a[i] > a[i + 1] and a[i] > a[i - 1] and (
            i + 2 >= h or (a[i + 1] > a[i + 2] and (i - 2 < 0 or a[i - 1] > a[i - 2])))
        if not peak:
            continue
        right_leans = a[i + 1] > a[i - 1]
        ratio = (a[i + 1] if right_leans else a[i - 1]) / a[i]
        top = out[i]
        total = 0.0
        last_floor = 0.0
        for direction, tables in ((1, near if right_leans else far), (-1, far if right_leans else near)):
            for k in range(42):
                bin_ = i + direction * (k + 1)
                if bin_ < 0 or bin_ >= h:
                    break
                leak = np.interp(ratio, ratio_axis, tables[k]) * top
                y = 0.316 + 0.684 * random.next15() / 32767
                last_floor = floor * y ** 4
                leak = min(leak, out[bin_] - last_floor)
                out[bin_] -= leak
                total += leak
        out[i] = max(max(out[i] + total, 0.0), last_floor)
    return out, floor


def check_leakage_collapse(rng):
    """Noise with two Hann-shaped tones, and peaks on the first and the last bins the collapse takes."""
    for n, fs in ((2048, 2560.0), (32768, 10240.0)):
        h = n // 2
        floor = 10000 * (1024.0 / n) ** 2 * np.sqrt(fs * 0.000390625)
        p = rng.exponential(20 * floor, h)
        for centre, height in ((h * 0.3 + 0.3, 5000), (h * 0.7 + 0.45, 300)):
            k = np.arange(int(centre) - 44, int(centre) + 46)
            p[k] += height * floor * np.array([hann_response(b - centre) for b in k]) ** 2
        p[:4] = np.array([1, 50, 8, 2]) * floor
        p[h - 5:] = np.array([2, 8, 50, 9, 1]) * floor
        p = p.astype(np.float32)
        got = np.array(probe("collapse", n, fs, 11, write("collapse.f32", p))["p"])
        want, _ = collapse_leakage(p, n, fs, 11)
        tolerance = 2e-7 * np.max(p) + 2e-6 * np.abs(want)
        err = np.max(np.abs(got - want) / tolerance)
        changed = np.count_nonzero(np.abs(want - p) > 1e-3 * floor)
        check(f"CollapseLeakage n={n} of noise with two tones against float64", err <= 1 and changed > h // 5,
              f"largest error {err:.2f} of the tolerance, {changed} of {h} bins changed")


def check_averaging_weight():
    interval = 10
    stamps = [1000.0, 1000.05, 1000.1, "r", 1000.15, 1000.4, 1001.4]
    got = probe("weights", interval, -2, *stamps)["weight"]
    want = []
    previous = None
    restart = False
    for s in stamps:
        if s == "r":
            restart = True
            continue
        dt = 0.0 if previous is None else s - previous
        previous = s
        want.append(1.0 if restart or dt <= 0 else dt / (dt + 0.45 * interval))
        restart = False
    ok = len(got) == len(want) and np.allclose(got, want, rtol=1e-5, atol=0)
    check("averaging weight dt/(dt + 0.45 T)", ok, f"{np.round(got, 6).tolist()}, expected {np.round(want, 6).tolist()}")
    got = probe("weights", interval, 0, 1000.0, 1000.05)["weight"]
    check("averaging weight while the impedance meter works", got == [1.0, 1.0], f"{got}")


NO_VALUE = -9999999.0


def run_blocks(n, fs, block_list):
    return probe("blocks", n, fs, write("blocks.i16", np.concatenate(block_list).astype(np.int16)))


def tone_power(amplitude):
    """The power sum of a tone of the given amplitude in codes over all the bins its Hann-windowed
    spectrum spreads into: (a g n/4 (2048/n))^2 at the peak, times sum of w^2 / (sum of w)^2 * n = 1.5."""
    return 1.5 * (amplitude * sample_gain() * 512.0) ** 2


def cosines(n, components):
    """components: (frequency in bins of n, amplitude in codes, phase)."""
    i = np.arange(n)
    x = sum(a * np.cos(2 * np.pi * f * i / n + ph) for f, a, ph in components)
    return np.round(x).astype(np.int16)


def band_noise(codes, fs, exclude, v):
    """The noise of the SIN or SIN2 measurement from numpy's spectrum: the band bins outside 8 bins of
    each excluded tone, scaled by (w + v)/w."""
    n = len(codes)
    p = np.abs(hann_spectrum(codes)) ** 2
    lo, hi = int(np.trunc(fs / 1024 * n / fs + 0.5)), int(np.trunc(fs / 2.5 * n / fs + 0.5))
    bins = [k for k in range(lo, hi + 1) if all(abs(k - t) > 8 for t in exclude)]
    if len(exclude) == 2:
        bins = [k for k in bins if k < hi]  # the SIN2 noise stops one bin below the band's top
    return dbm0(np.sum(p[bins]) * (len(bins) + v) / len(bins))


def check_sin_measurement():
    fs = 2560.0
    rng = np.random.default_rng(7)
    # The 16-bit window table of the recognition spectrum, which the 2048-sample blocks are measured on,
    # leaves a floor about 90 dB below the tone: it limits the harmonics there to about 0.05 dB.
    for n, bin_tolerance, harmonic_tolerance in ((2048, 2e-5, 0.05), (8192, 2e-6, 0.02)):
        level_tolerance = 0.01
        q = n // 2048
        f = 100 * q + 0.25  # a quarter bin off the grid at full length
        amplitudes = [10000, 9000, 11000, 10500]
        # 2nd and 3rd harmonics 40 and 50 dB below the tone, and a little white noise.
        blocks = [cosines(n, [(f, a, 0.3), (2 * f, a * 10 ** -2, 1.0), (3 * f, a * 10 ** -2.5, 2.0)]) +
                  np.round(rng.standard_normal(n)).astype(np.int16) for a in amplitudes]
        got = run_blocks(n, fs, blocks)
        check(f"SIN n={n}: the first block of a new tone settles, the next ones are SIN", got["kind"] == [0, 1, 1, 1],
              f"kinds {got['kind']}")
        levels = [dbm0(tone_power(a)) for a in amplitudes[1:]]
        err = max(abs(g - w) for g, w in zip(got["sin_level"][1:], levels))
        check(f"SIN n={n}: level", err < level_tolerance,
              f"largest difference {err:.4f} dB from the tone power (< {level_tolerance} dB)")
        frequency_err = max(abs(g / (fs / n) - f) for g in got["sin_frequency"][1:])
        check(f"SIN n={n}: frequency", frequency_err < bin_tolerance,
              f"largest difference {frequency_err:.2e} bin from {f} (< {bin_tolerance})")
        # Running mean and sample deviation over the blocks measured since the tone appeared.
        ok = got["sin_deviation"][1] == NO_VALUE
        detail = []
        for k in range(2, 4):
            seen = levels[:k]
            mean, deviation = np.mean(seen), np.std(seen, ddof=1)
            ok = ok and abs(got["sin_mean"][k] - mean) < level_tolerance
            ok = ok and abs(got["sin_deviation"][k] - deviation) < level_tolerance
            detail.append(f"{got['sin_mean'][k]:.4f}/{got['sin_deviation'][k]:.4f} vs {mean:.4f}/{deviation:.4f}")
        check(f"SIN n={n}: level statistics (none on the first measured block)", ok, "; ".join(detail))
        want = {"a2": 40.0, "a3": 50.0, "a23": -10 * np.log10(1e-4 + 1e-5)}
        want["k2"], want["k3"], want["k23"] = (10 ** (-want[key] / 20) * 100 for key in ("a2", "a3", "a23"))
        err = {key: abs(got[key][-1] - w) for key, w in want.items()}
        # A coefficient K moves by K·ln(10)/20 per dB of its attenuation.
        tolerances = {key: harmonic_tolerance * (np.log(10) / 20 * want[key] if key[0] == "k" else 1) for key in want}
        check(f"SIN n={n}: harmonics A2 40, A3 50, A23 {want['a23']:.3f}, K23 {want['k23']:.4f} %",
              all(err[key] < tolerances[key] for key in err),
              ", ".join(f"{key} {got[key][-1]:.4f}" for key in want))
        noise = band_noise(blocks[-1], fs, [round(f)], 3)
        check(f"SIN n={n}: noise in the band without the tone", abs(got["sin_noise"][-1] - noise) < 0.1,
              f"{got['sin_noise'][-1]:.3f} dBm0, numpy {noise:.3f} (< 0.1 dB)")
        check(f"SIN n={n}: signal-to-noise", abs(got["sin_snr"][-1] - (got["sin_level"][-1] - got["sin_noise"][-1])) < 1e-3,
              f"{got['sin_snr'][-1]:.3f} dB")


def check_sin2_measurement():
    fs = 2560.0
    grid = fs / 256  # kHz: the generator puts both tones on multiples of it
    for n in (2048, 8192):
        step = fs / n
        q = n // 2048
        # Two tones 40 bins apart with their third-order product 2 f1 - f2 at 50 codes.
        a1, a2, b = 8000, 5000, 50
        block = cosines(n, [(100 * q, a1, 0.1), (140 * q, a2, 0.7), (60 * q, b, 1.3)])
        got = run_blocks(n, fs, [block, block])
        total = dbm0(tone_power(a1) + tone_power(a2))
        a3 = 10 * np.log10((a1 ** 2 + a2 ** 2) / b ** 2)
        want = {"total": total, "level1": dbm0(tone_power(a1)), "level2": dbm0(tone_power(a2)),
                "a21": 20 * np.log10(a1 / a2), "im_a3": a3, "im_k3": 10 ** (-a3 / 20) * 100}
        err = {key: abs(got[key][-1] - w) for key, w in want.items()}
        check(f"SIN2 n={n}: levels, A21 and the third-order product", got["kind"] == [0, 2] and
              max(err.values()) < 0.02, ", ".join(f"{key} {got[key][-1]:.4f}/{w:.4f}" for key, w in want.items()))
        noise = band_noise(block, fs, [100 * q, 140 * q], 2)
        check(f"SIN2 n={n}: noise without both tones", abs(got["sin2_noise"][-1] - noise) < 0.1,
              f"{got['sin2_noise'][-1]:.3f} dBm0, numpy {noise:.3f} (< 0.1 dB)")

        # kHz off the generator's grid, the same for both tones. (A tone near half a bin off the grid of the
        # full-length spectrum is not found as the second tone above 80 kHz sampling: avoid that here.)
        for shift in (0.2, -0.3):
            f1, f2 = 10 * grid + shift, 20 * grid + shift
            block = cosines(n, [(f1 / step, 9000, 0.2), (f2 / step, 9000, 2.2)])
            got = run_blocks(n, fs, [block, block])
            # 2e-5 bin of frequency error moves the shift by about 0.03 Hz; the rows are floats.
            ok = got["kind"] == [0, 2] and abs(got["shift"][-1] - shift * 1000) < 0.05
            ok = ok and abs(got["f1"][-1] - f1) < 3e-5 and abs(got["f2"][-1] - f2) < 3e-5
            check(f"SIN2 n={n}: frequency shift {shift * 1000:+.0f} Hz", ok,
                  f"{got['shift'][-1]:.4f} Hz, f1 {got['f1'][-1]:.6f} f2 {got['f2'][-1]:.6f} kHz")
        block = cosines(n, [((10 * grid + 0.2) / step, 9000, 0.2), ((20 * grid + 0.5) / step, 9000, 2.2)])
        got = run_blocks(n, fs, [block, block])
        check(f"SIN2 n={n}: tones off the grid by different amounts give no shift", got["shift"][-1] == NO_VALUE,
              f"{got['shift'][-1]}")


def main():
    rng = np.random.default_rng(0)
    check_real_fft(rng)
    check_hann_spectrum(rng)
    check_recognition_spectrum()
    check_tone_levels()
    check_level_conversion()
    check_prbs_reference()
    check_calibration()
    check_leakage_collapse(rng)
    check_averaging_weight()
    check_sin_measurement()
    check_sin2_measurement()
    print(f"{sum(1 for _ in FAILURES)} failed")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
