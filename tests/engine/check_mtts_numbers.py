#!/usr/bin/env python3
"""Checks the multitone measurements and the DSL rate potentials against numpy and scipy.

Each check writes a synthetic input, runs the probe on it and compares what the probe prints with an
independent computation, within the tolerance stated at the check.
Usage: check_mtts_numbers.py <path of r9_mtts_probe>
"""
import os
import subprocess
import sys
import tempfile

import numpy as np
from scipy.signal import freqz, group_delay, lfilter

PROBE = sys.argv[1]
WORK = tempfile.mkdtemp(prefix="r9_mtts_")
FAILURES = []

# The scale of the spectrum power sums: watts times ohms over one milliwatt, as the level formula has it.
SPECTRUM_POWER_SCALE = 798176.0625

# Harmonics of the multitone that the generator starts at half a turn: bit n of these bytes, most
# significant bit first.
INVERTED_BITS = bytes([33, 39, 138, 132, 34, 194, 206, 117, 184, 3, 161, 43, 173, 145, 208, 123, 242, 78, 85, 127,
                       114, 22, 219, 36, 133, 2, 113, 53, 107, 250, 81, 192, 17, 113, 69, 100, 234, 195, 192, 249,
                       186, 177, 85, 99, 29, 239, 17, 72, 72, 230, 102, 201, 242, 107, 12, 243, 28, 173, 15, 10,
                       122, 0, 192, 15])


def start_phase(n):
    return np.pi if (INVERTED_BITS[n // 8] >> (7 - n % 8)) & 1 else 0.0


def probe(*args):
    out = subprocess.run([PROBE, *map(str, args)], check=True, capture_output=True, text=True).stdout
    values = {}
    for line in out.splitlines():
        key, value = line.split()
        values.setdefault(key, []).append(float(value))
    return {k: np.array(v) for k, v in values.items()}


def write(name, array):
    path = os.path.join(WORK, name)
    array.tofile(path)
    return path


def check(name, ok, detail):
    print(("ok   " if ok else "FAIL ") + name + ": " + detail)
    if not ok:
        FAILURES.append(name)


# ---- DSL rate potentials ------------------------------------------------------------------------

CABLE_F = [0.8, 3, 5, 10, 20, 50, 100, 150, 200, 250, 300, 400, 500, 600, 700, 800, 900, 1000, 1200, 1500, 2000,
           2500, 10000]
CABLE_05_DB = [1.23, 2.33, 2.94, 3.98, 5.15, 6.48, 7.17, 7.82, 8.56, 9.21, 9.9, 11.2, 12.4, 13.4, 14.6, 15.8, 16.4,
               17.2, 19, 21.3, 24.1, 27.4, 76.9]


def background(f):
    return np.interp(f, [10, 300, 400, 533.3, 711, 1500, 10000], [-60, -60, -65, -70, -75, -75, -75])


def coupling(f):
    return np.interp(f, [150, 300, 1000], [54, 48, 38])


def power_sum(a, b):
    return 10 * np.log10(10 ** (a / 10) + 10 ** (b / 10))


def adsl(psd, mask_f, mask_db, max_bits, line):
    """line: ('flat', attenuation dB, noise dBm per 10 kHz) or ('model', km of 0.5 mm cable)."""
    tones = int(np.trunc((mask_f[-1] - mask_f[0]) / 4.3125 + 0.5))
    f = mask_f[0] + 4.3125 * np.arange(tones)
    mask = np.interp(f, mask_f, mask_db)
    norm = 0
    for m in mask:
        norm = np.trunc(norm + 10 ** (m / 10))  # the modems keep the norm whole after every tone
    received = mask + psd - 10 * np.log10(norm)
    if line[0] == "flat":
        received -= line[1]
        noise = line[2] + 10 * np.log10(4.3125 / 10)
    else:
        received -= np.interp(f, CABLE_F, CABLE_05_DB) * line[1]
        noise = power_sum(10 * np.log10(0.43125) + background(f), 10 * np.log10(2) + received - coupling(f))
    bits = np.minimum(np.maximum(0, np.trunc((received - noise - 16) / 3 + 0.5)), max_bits)
    return np.trunc(np.sum(bits) * 4 / 32 + 0.5) * 32


def shdsl(psd, b, line):
    first, last = (1280, 5696) if b == 4 else (192, 3840)
    limit = 57 if b == 4 else 60
    gap = 10 * np.log10(2 ** b - 1)
    for rate in range(first, last + 1, 64):
        fn = (rate + 8) * 0.5 / b
        psd_n = psd - 10 * np.log10(fn / 10)
        f = np.arange(10, fn + 5, 10.0)
        if line[0] == "flat":
            a = np.full_like(f, line[1])
            noise = np.full_like(f, line[2])
        else:
            a = np.interp(f, CABLE_F, CABLE_05_DB) * line[1]
            noise = power_sum(background(f), 10 * np.log10(2) + psd_n - coupling(f))
        if np.any(a > limit) or np.any(psd_n - a - noise - 16 < gap):
            return rate - 64 if rate - 64 >= first else 0
    return last


DSL_MODES = [  # name, power, mask (None for SHDSL), bits
    ("ADSL_dn", 20.4, ([138, 1104], [0, 0]), 9), ("ADSL2_dn", 20.4, ([138, 1104], [0, 0]), 12),
    ("ADSL2p_dn", 20.4, ([138, 1104, 1622, 2208], [0, 0, -10, -11.3]), 12),
    ("ADSL_up", 12.5, ([25.875, 138], [0, 0]), 6), ("ADSL2_up", 12.5, ([25.875, 138], [0, 0]), 9),
    ("SHDSL", 13.5, None, 3), ("SHDSL.bis", 13.5, None, 4),
    ("ADSL4_dn", 20.4, ([138, 1104, 1622, 2208, 4416], [0, 0, -10, -11.3, -11.3]), 12),
]


def engine_rate(power, mask, bits, measured, a, noise):
    if mask is None:
        return probe("shdsl", measured, a, noise, power, bits)["rate"][0]
    pairs = [v for fd in zip(*mask) for v in fd]
    return probe("adsl", measured, a, noise, power, bits, *pairs)["rate"][0]


def check_dsl():
    for name, power, mask, bits in DSL_MODES:
        got = engine_rate(power, mask, bits, 1, 0, -150)
        if mask is None:
            most = 5696 if bits == 4 else 3840
        else:
            most = np.trunc(int(np.trunc((mask[0][-1] - mask[0][0]) / 4.3125 + 0.5)) * bits * 4 / 32 + 0.5) * 32
        want = adsl(power, *mask, bits, ("flat", 0, -150)) if mask else shdsl(power, bits, ("flat", 0, -150))
        check(f"{name} over a flat 0 dB line with -150 dBm noise", got == want == most,
              f"{got:g}, expected {want:g}, the mode's maximum {most:g}")
    for bits, want in ((3, 3840), (4, 0)):
        got = engine_rate(13.5, None, bits, 1, 58, -150)
        check(f"SHDSL at {bits} bits per symbol over a flat 58 dB line", got == want == shdsl(13.5, bits, ("flat", 58, -150)),
              f"{got:g}, expected {want}")
    # The model rates: float against double may move one tone across a bit boundary, worth at most one
    # step of the rate grid (4 kbit/s rounded to 32, or 64 for SHDSL).
    for km in (0, 1, 3, 5):
        for name, power, mask, bits in DSL_MODES:
            got = engine_rate(power, mask, bits, 0, km, 0)
            want = adsl(power, *mask, bits, ("model", km)) if mask else shdsl(power, bits, ("model", km))
            check(f"{name} on the model of {km} km of 0.5 mm cable", abs(got - want) <= (64 if mask is None else 32),
                  f"{got:g}, expected {want:g}")


# ---- multitone through a known filter -----------------------------------------------------------

def comb_codes(n, blocks, first_bin, spacing, count, amplitude, line_filter=None, delay=0.0, extra_phase=None):
    """The multitone as the generator sends it: lines first_bin + j spacing (bins of n), harmonic
    h = first_bin / spacing + j starting at its start phase, sin-shaped; optionally filtered (b, a) by
    lfilter from a standing start, delayed by `delay` samples and turned by extra_phase(j) rad; the last
    `blocks` blocks of n samples, rounded to codes."""
    total = n * (blocks + 6)
    t = np.arange(total)
    x = np.zeros(total)
    h0 = first_bin // spacing
    amplitudes = np.broadcast_to(amplitude, (count,))
    for j in range(count):
        k = first_bin + j * spacing
        w = 2 * np.pi * k / n
        phase = start_phase(h0 + j) - w * delay + (extra_phase(j) if extra_phase else 0)
        x += amplitudes[j] * np.sin(w * t + phase)
    if line_filter is not None:
        x = lfilter(*line_filter, x)
    return np.round(x[-blocks * n:]).astype(np.int16)


# Codes per line: the largest of the three filtered combs peaks near 19000 codes, below the clip level.
AMPLITUDE = 700.0


def check_mtts_filter():
    fs = 2560.0
    filters = {
        "FIR 1, 0.6, 0.3, -0.1": ([1, 0.6, 0.3, -0.1], [1]),
        "IIR one pole at 0.5": ([0.5], [1, -0.5]),
        "IIR poles at 0.71 and +-58 degrees": ([0.45], [1, -0.75, 0.5]),
    }
    for n in (2048, 8192):
        q = n // 2048
        lines = (int(np.trunc(1024 / fs * 2048 + 0.5)) - 8) // 8 + 1
        for name, (b, a) in filters.items():
            codes = comb_codes(n, 2, 8 * q, 8 * q, lines, 1000.0, (b, a))
            got = probe("mtts", n, fs, write("mtts.i16", codes))
            if got["kind"][-1] != 3 or len(got["f"]) != lines:
                check(f"MTTS through {name} at {n}", False, f"kinds {got['kind']}, {len(got.get('f', []))} lines")
                continue
            w = 2 * np.pi * got["f"] / fs
            _, h = freqz(b, a, worN=w)
            _, gd = group_delay((b, a), w=w)
            att = -20 * np.log10(np.abs(h))
            valid = got["att"] != -9999999
            att_err = np.max(np.abs(got["att"][valid] - (att[valid] - np.min(att[valid]))))
            check(f"MTTS attenuation through {name} at {n} samples", valid.sum() == lines and att_err <= 0.05,
                  f"{valid.sum()} of {lines} lines, largest error {att_err:.4f} dB (0.05)")
            valid = got["gd"] != -9999999
            # The group delay comes from phase differences of lines up to two spacings either side, so it
            # resolves the true curve only to within that span: each value must lie within the true
            # curve's spread over its line's span, relative to the line the engine took as its
            # reference (its smallest value) with that line's own spread. The codes' rounding adds phase
            # noise of sqrt(sum w^2 / 12) / (a |H| n / 4) rad per line; four times that over two lines,
            # divided by the line spacing in radians, bounds what it can do to a difference.
            sigma = np.sqrt(3 * n / 8 / 12) / (AMPLITUDE * np.abs(h) * n / 4)
            noise = 4 * np.sqrt(2) * sigma / (2 * np.pi * 8 * q / n) * 1000 / fs
            spacing = got["f"][1] - got["f"][0]
            dense_f = np.linspace(got["f"][0], got["f"][-1], 40 * lines)
            _, dense = group_delay((b, a), w=2 * np.pi * dense_f / fs)
            dense *= 1000 / fs

            def spread(f0):
                near = dense[np.abs(dense_f - f0) <= 2 * spacing]
                return near.max() - near.min()

            true_us = gd * 1000 / fs
            ref = np.flatnonzero(valid)[np.argmin(got["gd"][valid])]
            worst = 0.0
            for i in np.flatnonzero(valid):
                err = abs(got["gd"][i] - (true_us[i] - true_us[ref]))
                worst = max(worst, err / (spread(got["f"][i]) + spread(got["f"][ref]) + noise[i] + noise[ref]))
            check(f"MTTS group delay through {name} at {n} samples", valid.sum() >= lines - 2 and worst <= 1,
                  f"{valid.sum()} of {lines} lines, largest error {worst:.2f} of the resolution")


# ---- impedance of a synthetic divider -----------------------------------------------------------

def check_impedance_divider():
    """A 75 Ohm resistor on the coaxial pair at 1024 kHz maximum frequency: the generator's source
    resistance and the load form a divider; the instrument adds its shunt (23 kOhm, 30 pF) and its leads
    (0.5 Ohm, 0.27 uH), delays the signal by its path and lags by its phase slope, and reads levels
    0.18 dB high in this connection type."""
    fs, n = 2560.0, 2048
    lines = (int(np.trunc(1024 / fs * 2048 + 0.5)) - 8) // 8 + 1
    f = 10.0 * np.arange(1, lines + 1)
    w = 6.2832 * f  # krad/s, as the model counts
    leads = 75 + 0.5 + 1j * w * 0.00027
    seen = 1 / (1 / leads + 1 / 23000 + 1j * w * 3e-8)
    rg = 75 * 1.0259918
    divider = seen / (rg + seen)  # V / E
    # E is twice the level of one line into a matched load: 10 dBm0 over all lines.
    lref = 10 - 10 * np.log10(lines)
    level = lref + 20 * np.log10(np.abs(divider) * 2) + 0.18
    gain = 10 ** (35 / 20) / 15175
    # The three bins of a Hann-windowed line hold 1.5 (a g 512)^2 for an amplitude of a codes.
    power = 10 ** (level / 10) * 75 * SPECTRUM_POWER_SCALE / 1000
    amplitude = np.sqrt(power / 1.5) / (512 * gain)
    lag = 0.23 * np.pi / 180 * 1.28 / 1024 * f  # input range 0 on the coaxial path
    codes = comb_codes(n, 2, 8, 8, lines, amplitude, delay=51.9695,
                       extra_phase=lambda j: np.angle(divider[j]) - lag[j])
    got = probe("impedance", n, fs, lines, write("divider.i16", codes))
    ok_kind = got["kind"][-1] == 3 and len(got.get("r", [])) == lines
    if not ok_kind:
        check("impedance of a 75 Ohm divider", False, f"kinds {got['kind']}")
        return
    r_err = np.max(np.abs(got["r"] - 75))
    x_err = np.max(np.abs(got["x"]))
    check("impedance of a 75 Ohm load on coaxial type 8 at 1024 kHz", r_err <= 0.5 and x_err <= 0.5,
          f"{lines} lines, largest |R - 75| {r_err:.3f} Ohm (0.5), largest |X| {x_err:.3f} Ohm (0.5)")


def main():
    check_dsl()
    check_mtts_filter()
    check_impedance_divider()
    if FAILURES:
        print(f"{len(FAILURES)} check(s) failed")
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
