#!/usr/bin/env python3
"""Checks the selective processing against numpy computed from first principles.

Each check runs the selective probe on chosen numbers and compares what it prints with an independent
computation, within the tolerance stated at the check.
Usage: check_selective_numbers.py <path of r9_sst_probe>
"""
import subprocess
import sys

import numpy as np

PROBE = sys.argv[1]
FAILURES = []
NO_VALUE = -9999999.0
# The level formula: 10 log10 of the power over this scale and the impedance, per milliwatt.
SPECTRUM_POWER_SCALE = 798176.0625


def probe(*args):
    out = subprocess.run([PROBE, *map(str, args)], check=True, capture_output=True, text=True).stdout
    values = {}
    for line in out.splitlines():
        key, value = line.split()
        values.setdefault(key, []).append(float(value))
    return values


def check(name, got, want, tol):
    if not np.all(np.abs(np.asarray(got) - np.asarray(want)) <= tol):
        FAILURES.append(f"{name}: got {got}, want {want} (tolerance {tol})")


def hann_peak_offset(ratio):
    """The offset d of a Hann-windowed tone from its peak bin, from r = ((1 + d) / (2 - d))^2."""
    s = np.sqrt(ratio)
    return float(np.clip((2 * s - 1) / (1 + s), 0.0, 0.5))


def check_peak_offset():
    for left, centre, right in [(0, 1, 0.5102), (0.5102, 1, 0), (0, 1, 0.2), (0, 1, 1.2), (0.1, 2, 1.3), (0.7, 1, 0.3)]:
        got = probe("peak", left, centre, right, 0.05)["offset"][0]
        sign = 1 if right > left else -1
        want = sign * hann_peak_offset(max(left, right) / centre) * 0.05
        # The table has 129 points: linear interpolation between them is good to a few 1e-5 bins.
        check(f"peak offset {left} {centre} {right}", got, want, 2e-4 * 0.05 + 1e-7)


def check_averaging_weight():
    for interval, dt in [(10, 9), (10, 1), (3, 100)]:
        got = probe("weight", interval, dt)["weight"][0]
        check(f"averaging weight T={interval} dt={dt}", got, dt / (dt + 0.45 * interval), 1e-5)


def level(p, impedance=600.0):
    return 10 * np.log10(p * 1000 / (impedance * SPECTRUM_POWER_SCALE))


def check_scan_noise():
    # 100 bins of 0.1 kHz from 10 to 20 kHz: the noise leaves out 15 bins each side of the peak and is
    # raised by the share of the range those 31 bins take.
    v = probe("scan", 10, 20, 15)
    freq, dst, power = np.array(v["freq"]), np.array(v["dst"]), np.array(v["power"])
    d = int(np.argmax(freq >= 10 - 1e-4))
    e = int(np.nonzero(freq <= 20 + 1e-4)[0][-1])
    i = d + int(np.argmax(power[d:e + 1]))
    check("scan peak bin", freq[i], 15, 1e-3)
    signal = level(dst[max(d, i - 2):min(e, i + 2) + 1].sum())
    check("scan signal", v["signal"][0], signal, 1e-3)
    keep = np.ones(e - d, dtype=bool)
    keep[max(d, i - 15) - d:min(e, i + 15) - d + 1] = False
    noise = level(dst[d:e][keep].sum()) + 10 * np.log10((e - d) / (e - d - 31))
    check("scan noise", v["noise"][0], noise, 1e-3)
    check("scan snr", v["snr"][0], signal - noise, 2e-3)
    # A range of 62 bins has no noise figure.
    short = probe("scan", 10, 16.2, 13)
    check("62-bin scan without noise", short["noise"][0], NO_VALUE, 0)


def model_transfer(z, f, connection, cp, k=600 * 1.0050251, rsh=23000.0, rl=0.67, ll=0.00015):
    """Transfer ratio of the meter for a load z at f kHz: leads in series, shunt and stray capacitance
    across, the source resistance k in front (omega in krad/s, as the model's units)."""
    w = 2 * np.pi * f
    zs = z + rl + 1j * w * ll
    zin = 1 / (1 / zs + 1 / rsh + 1j * w * cp)
    return 2 * zin / (k + zin)


def item_phase(h, f, connection, index, fs=2560.0, fmax=1024.0):
    """The phase an item must carry for the transfer ratio h: the path's delay (samples at fs), the bin
    offset of the 1024-point grid, the quarter turn and the input circuits' phase curve, added back."""
    delay = {3: 52.0304, 8: 51.9695}[connection]  # the path's delay at 1024 kHz, balanced and coaxial
    curve = 0.0
    if connection == 3:
        # The known ends of the type-3 curve at 2560 kHz (degrees), joined by a straight line.
        ends = {0: (2.499, -3.998), 1: (2.426, -12.834), 2: (2.493, -2.386)}[index]
        curve = np.interp(f, [0.04, 1024.0], ends)
    w = fs / 1024
    n = np.round(f / w)
    phase = -np.angle(h) + np.deg2rad(-curve) + 1.5707964 + (f - n * w) / w * 2 * np.pi + delay * 2 * np.pi * f / fs
    return float(np.angle(np.exp(1j * phase)))


def check_impedance_round_trip():
    for connection, index, z, f in [(3, 0, 300 - 200j, 10.0), (3, 1, 50 + 20j, 300.0), (8, 0, 1200 - 3000j, 1.02),
                                    (3, 2, 75 + 0j, 200.0)]:
        cp = 1.5e-7 if connection == 3 else 2e-7
        h = model_transfer(z, f, connection, cp)
        lvl = 20 * np.log10(abs(h))
        v = probe("impedance", connection, index, f, lvl, item_phase(h, f, connection, index), 135)
        tol = 2e-3 * abs(z) + 0.05
        check(f"impedance R {z} at {f}", v["r"][0], z.real, tol)
        check(f"impedance X {z} at {f}", v["x"][0], z.imag, tol)
        mismatch = abs((z - 135) / (z + 135))
        check(f"mismatch {z}", v["mismatch"][0], 100 * max(mismatch, 1e-5), 0.05)
        if z.imag < -0.259 * abs(z):
            check(f"capacitance {z} at {f}", v["c"][0], -1e6 / (2 * np.pi * f * z.imag), 2e-3 * abs(1e6 / (2 * np.pi * f * z.imag)))


def check_line():
    # An ideal line of 1.5 km: gamma = alpha + j beta per km, Zc; its input impedance open and shorted.
    length = 1.5
    for f, alpha, beta, zc in [(10.0, 0.12, 0.35, 140 - 60j), (1.0, 0.05, 0.2, 400 - 350j)]:
        g = (alpha + 1j * beta) * length
        zo = zc / np.tanh(g)
        zs = zc * np.tanh(g)
        v = probe("line", length * 1000, f, zo.real, zo.imag, zs.real, zs.imag)
        check(f"line a at {f}", v["att"][0], alpha * 20 * np.log10(np.e), 1e-3 * alpha * 8.686)  # nepers in dB
        check(f"line b at {f}", v["phase"][0], beta, 1e-4)
        check(f"line |Zc| at {f}", v["zmod"][0], abs(zc), 1e-3 * abs(zc))
        check(f"line arg Zc at {f}", v["zphase"][0], np.degrees(np.angle(zc)), 1e-2)


def check_extrapolations():
    check("dc of two points", probe("dc", 1, 10, 3, 12)["dc"][0], np.polyfit([1, 3], [10, 12], 1)[1], 1e-5)
    check("dc of one point", probe("dc", 2, 17.5)["dc"][0], 17.5, 1e-6)
    f, r = np.array([1.0, 2.0, 3.0]), np.array([10.0, 10.5, 11.5])
    s1, s2 = np.diff(r) / np.diff(f)
    check("dc of three points", probe("dc", *np.ravel(np.column_stack([f, r])))["dc"][0], r[0] - f[0] * (2 * s1 - s2), 1e-5)
    f, c = [0.5, 1.0, 2.0, 4.0], [40.0, 52.0, 61.0, 70.0]
    check("capacitance at 1.02 kHz", probe("cap", *np.ravel(np.column_stack([f, c])))["c102"][0], np.interp(1.02, f, c), 1e-4)


check_peak_offset()
check_averaging_weight()
check_scan_noise()
check_impedance_round_trip()
check_line()
check_extrapolations()
for failure in FAILURES:
    print(failure)
sys.exit(1 if FAILURES else 0)
