#!/usr/bin/env python3
"""Checks the simulated instrument's generator synthesis against numpy and scipy.

For each case the probe prints the ADC samples that one generator packet gives; the expected signal is
built here from the packet's fields alone: a sine of code/16384 x 10850 codes at phase_step / 2^32 cycles
per sample, multitone lines of trunc(10850 / sqrt(n)) x code / 16384 codes on the 1024-point grid from their
harmonics' start phases, and the
x^10 + x^7 + 1 sequence at 7672 x code / 16384 codes, two samples a chip.
Usage: signal_synthesis_check.py <path of r9_sim_signal_probe>
"""
import subprocess
import sys

import numpy as np
from scipy.signal import max_len_seq

PROBE = sys.argv[1]
FAILURES = []

# The harmonics of the multitone that start at half a turn: bit n, most significant bit first.
HALF_TURN = bytes([33, 39, 138, 132, 34, 194, 206, 117, 184, 3, 161, 43, 173, 145, 208, 123, 242, 78, 85, 127, 114,
                   22, 219, 36, 133, 2, 113, 53, 107, 250, 81, 192, 17, 113, 69, 100, 234, 195, 192, 249, 186, 177,
                   85, 99, 29, 239, 17, 72, 72, 230, 102, 201, 242, 107, 12, 243, 28, 173, 15, 10, 122, 0, 192, 15])


def probe(*fields):
    out = subprocess.run([PROBE, *map(str, fields)], check=True, capture_output=True, text=True).stdout
    return np.array([int(v) for v in out.split()], dtype=float)


def check(name, ok, detail):
    print(("ok   " if ok else "FAIL ") + name + ": " + detail)
    if not ok:
        FAILURES.append(name)


def peak(block, window):
    """The largest line of a windowed block: its bin and its amplitude in dB of the codes' full scale."""
    spectrum = np.abs(np.fft.rfft(block * window)) * 2 / window.sum()
    k = int(np.argmax(spectrum[1:])) + 1
    return k, 20 * np.log10(spectrum[k] / 32768)


# SIN: (code, table length, phase step, first sample, block size). The steps put the tone on a bin of the
# block, between two bins, and near half the sample rate; code 16384 is the table's full scale.
SINE_CASES = [
    (6053, 1120, 26843546, 0, 4096),     # fs / 160, a table of seven periods
    (16384, 1024, 2 ** 32 * 64 // 1024, 12345, 2048),
    (1914, 5120, 1717986918, 777, 8192),  # 0.4 fs, 2048 periods in 5120 samples
    (605, 2000, 2 ** 32 * 37 // 2000, 5, 1024),
]

for code, length, step, first, n in SINE_CASES:
    name = "sine code %d step %d" % (code, step)
    block = probe(1, 0, code, length, step, first, n)
    amplitude = code / 16384 * 10850
    k = np.arange(first, first + n)
    expected = amplitude * np.sin(2 * np.pi * ((step / 2 ** 32 * k) % 1.0))
    window = np.hanning(n)
    got_bin, got_db = peak(block, window)
    want_bin, want_db = peak(expected, window)
    check(name + " peak bin", got_bin == want_bin and abs(got_bin - step / 2 ** 32 * n) <= 0.5,
          "bin %d, expected %d (%.2f)" % (got_bin, want_bin, step / 2 ** 32 * n))
    check(name + " peak level", abs(got_db - want_db) < 0.01,
          "%.4f dBFS, expected %.4f dBFS" % (got_db, want_db))
    check(name + " samples", np.max(np.abs(block - np.round(expected))) <= 1,
          "largest difference %.1f codes" % np.max(np.abs(block - expected)))

# MTTS and SIN2: (code, count, first, step) on the 1024-point grid; a block of 1024 holds whole periods.
for code, count, first, step in [(605, 100, 3, 2), (1914, 2, 16, 16), (3000, 7, 500, 2)]:
    name = "multitone %d lines from %d by %d" % (count, first, step)
    block = probe(3, 0, code, count, first, step, 999, 1024)
    spectrum = np.abs(np.fft.rfft(block)) * 2 / 1024
    lines = [b for b in (first + i * step for i in range(count)) if b <= 512][:count]
    amplitude = np.trunc(10850 / np.sqrt(count)) * code / 16384
    inner = [b for b in lines if 0 < b < 512]
    check(name + " line levels", np.allclose(spectrum[inner], amplitude, atol=0.6),
          "lines %.2f to %.2f, expected %.2f" % (spectrum[inner].min(), spectrum[inner].max(), amplitude))
    others = np.delete(spectrum, lines)
    check(name + " nothing between", others.max() < 0.6, "largest other line %.3f" % others.max())
    # Each line is a sine from sample 0 that starts its harmonic first // step + i at 0 or half a turn;
    # the block starts at sample 999.
    harmonics = [first // step + i for i, b in enumerate(lines) if 0 < b < 512]
    start = np.array([np.pi if (HALF_TURN[h // 8] >> (7 - h % 8)) & 1 else 0 for h in harmonics])
    want = start + 2 * np.pi * np.array(inner) * 999 / 1024 - np.pi / 2
    error = np.angle(np.exp(1j * (np.angle(np.fft.rfft(block)[inner]) - want)))
    check(name + " start phases", np.max(np.abs(error)) < 0.01, "largest error %.4f rad" % np.max(np.abs(error)))

# RND: a block of 2046 samples is one period: two equal samples per chip, the chips of an m-sequence of
# the recurrence a[n] = a[n - 7] xor a[n - 10], balanced like scipy's sequence of the same register.
block = probe(4, 0, 3819, 2046, 0, 0, 2046)
chip = np.round(7672 * 3819 / 16384)
pairs = block.reshape(-1, 2)
check("rnd chips of two samples", np.all(pairs[:, 0] == pairs[:, 1]) and set(np.abs(block)) == {chip},
      "levels %s, expected +-%d" % (sorted(set(block)), chip))
bits = (pairs[:, 0] > 0).astype(int)
recurrence = all(bits[n] == bits[n - 7] ^ bits[n - 10] for n in range(10, 1023))
check("rnd recurrence of x^10 + x^7 + 1", recurrence, "every chip from the tenth on")
reference = max_len_seq(10)[0]
check("rnd balance as scipy's m-sequence", bits.sum() == reference.sum() == 512, "%d ones" % bits.sum())
check("rnd period 2046", np.array_equal(probe(4, 0, 3819, 2046, 0, 2046, 2046), block), "next period repeats")

# NOISE: bell-shaped within +-16384 x 7832 / 4096 x code / 16384, zero mean, no line standing out.
noise = probe(2, 1, 3463, 8192, 0, 0, 65536)
scale = 7832 / 4096 * 3463 / 16384
std_expected = scale * np.sqrt(4 * (32768 ** 2 - 1) / 12) / 4
check("noise bounds", np.abs(noise).max() <= 16384 * scale + 1, "peak %.0f" % np.abs(noise).max())
check("noise spread", abs(noise.std() / std_expected - 1) < 0.02 and abs(noise.mean()) < 0.05 * std_expected,
      "std %.1f, expected %.1f, mean %.2f" % (noise.std(), std_expected, noise.mean()))

sys.exit(1 if FAILURES else 0)
