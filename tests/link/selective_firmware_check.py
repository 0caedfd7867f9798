#!/usr/bin/env python3
"""The simulated instrument's selective items, checked apart from it.

For each run the probe prints the windows the instrument measured and the items the program's link
received. Here the line's signal of each window is built again from what the program sent (level words,
the ordinary generator's sine, the line model), measured through a Hann window with numpy, and compared
with the items; then the items are turned into levels with the item unit the instrument documents (the
factor 1.0442337412806483e-06 x 2048 / N to volts at full-scale factor 1 and 14968 codes per volt, and
798176.0625 per volt squared) and compared with the power of the tone on the line.
"""
import subprocess
import sys

import numpy as np

TURN = 2.0 ** 32
SAMPLE_RATE = 2560e3
ITEM_UNIT = 1.0442337412806483e-06
CODES_PER_VOLT = 14968.0
POWER_SCALE = 798176.0625
LEVEL_WORD_PEAK = 32767.0 / 16384  # the selective generator's level words: Q14 of the full swing
SINE_PEAK = 10850.0                 # the ordinary sine at amplitude code 16384
METER_INPUT_OHMS = 23000.0

failures = []


def check(condition, text):
    if not condition:
        failures.append(text)


def noise(k):
    """The noise variable of the simulated signal: four 15-bit draws of SplitMix64 at the sample."""
    with np.errstate(over='ignore'):
        x = k.astype(np.uint64) + np.uint64(0x9E3779B97F4A7C15)
        x = (x ^ (x >> np.uint64(30))) * np.uint64(0xBF58476D1CE4E5B9)
        x = (x ^ (x >> np.uint64(27))) * np.uint64(0x94D049BB133111EB)
        x = x ^ (x >> np.uint64(31))
    total = np.zeros(len(k), dtype=np.int64)
    for draw in range(4):
        total += ((x >> np.uint64(16 * draw)) & np.uint64(0x7FFF)).astype(np.int64)
    return (total - 65534) >> 2


def adc(values):
    rounded = np.where(values >= 0, np.floor(values + 0.5), np.ceil(values - 0.5))
    return np.clip(rounded, -32768, 32767)


def sums(x, words):
    n = np.arange(len(x), dtype=np.uint64)
    hann = 0.5 - 0.5 * np.cos(2 * np.pi * np.arange(len(x)) / len(x))
    out = []
    for word in words:
        angle = ((n * np.uint64(word)) & np.uint64(0xFFFFFFFF)).astype(np.float64) / TURN * 2 * np.pi
        out.append(complex(np.sum(x * hann * np.cos(angle)), np.sum(x * hann * np.sin(angle))))
    return out


def band_power(item, length):
    """An item's mean square at the input in (codes)^2 by the documented unit."""
    volts = abs(item) * 2048 / length * ITEM_UNIT
    return volts ** 2 / POWER_SCALE * CODES_PER_VOLT ** 2


def db(ratio):
    return 10 * np.log10(ratio)


def run(probe, kind):
    out = subprocess.run([probe, kind], capture_output=True, text=True, timeout=300)
    if out.returncode != 0:
        failures.append(f'{kind}: probe ended with {out.returncode}: {out.stderr.strip()}')
        return None
    lines = [line.split() for line in out.stdout.splitlines()]
    rec = {'levels': [], 'windows': [], 'items': []}
    for f in lines:
        if f[0] == 'band':
            rec['length'], rec['unit'], rec['noise'] = int(f[1]), int(f[2]), float(f[3])
        elif f[0] == 'line':
            rec['line'] = tuple(float(v) for v in f[1:])
        elif f[0] == 'sine':
            rec['sine'] = (int(f[1]), int(f[2]))
        elif f[0] == 'level':
            rec['levels'].append(int(f[1]))
        elif f[0] == 'window':
            rec['windows'].append((int(f[1]), int(f[2]), [int(v) for v in f[3:]]))
        elif f[0] == 'item':
            rec['items'].append((int(f[1]), int(f[2]), complex(float(f[3]), float(f[4])), int(f[5]), int(f[6])))
    return rec


def line_ratio(rec, word):
    """The generator's EMF behind its source resistance, the line (R parallel C) and the meter's input
    resistance across it: the meter reads 2 Zp / (Rg + Zp) of the matched level."""
    ohms, farads, source = rec['line']
    hz = word / TURN * SAMPLE_RATE
    zp = 1 / (1 / ohms + 1 / METER_INPUT_OHMS + 2j * np.pi * hz * farads)
    return 2 * zp / (source + zp)


def expected_items(rec, kind):
    length = rec['length']
    out = []
    for point, (first, tone_word, words) in enumerate(rec['windows']):
        k = np.arange(first, first + length, dtype=np.uint64)
        n = np.arange(length, dtype=np.float64)
        values = rec['noise'] * noise(k).astype(np.float64)
        if kind == 'scan':
            code, step = rec['sine']
            phase = ((k * np.uint64(step)) & np.uint64(0xFFFFFFFF)).astype(np.float64) / TURN
            values += SINE_PEAK * code / 16384 * np.sin(2 * np.pi * phase)
        else:
            peak = rec['levels'][point] * LEVEL_WORD_PEAK
            shift = 0.0
            if kind == 'impedance':
                ratio = line_ratio(rec, tone_word)
                peak *= abs(ratio)
                shift = np.angle(ratio) / (2 * np.pi)
            values += peak * np.sin(2 * np.pi * (tone_word / TURN * n + shift))
        out.append(sums(adc(values), words))
    return out


def compare_items(rec, kind):
    per_point = len(rec['windows'][0][2])
    items = [i for i in rec['items'] if i[4] == 0]
    check(len(items) == per_point * len(rec['windows']), f'{kind}: {len(items)} items for {len(rec["windows"])} windows')
    scale = 4 / np.sqrt(3) * np.sqrt(POWER_SCALE) / (CODES_PER_VOLT * 2048 * ITEM_UNIT)
    for point, expected in enumerate(expected_items(rec, kind)):
        largest = max(abs(e) for e in expected) * scale
        for band, e in enumerate(expected):
            got = items[point * per_point + band]
            check(got[0] == rec['windows'][point][2][band], f'{kind}: point {point} band {band} frequency word')
            check(abs(got[2] - e * scale) <= 1e-6 * largest + 2,
                  f'{kind}: point {point} band {band}: item {got[2]}, numpy {e * scale}')
    end = rec['items'][-1]
    check(end[4] == 2 and end[0] == 0, f'{kind}: the last item is not the end of the pass: {end}')


def check_afc(rec):
    compare_items(rec, 'afc')
    items = [i for i in rec['items'] if i[4] == 0]
    for point, level in enumerate(rec['levels']):
        group = items[3 * point:3 * point + 3]
        power = sum(band_power(i[2], rec['length']) for i in group)
        tone = (level * LEVEL_WORD_PEAK) ** 2 / 2
        check(abs(db(power / tone)) < 0.01, f'afc: point {point} reads {db(power / tone):.4f} dB off its tone')


def check_scan(rec):
    compare_items(rec, 'scan')
    items = [i for i in rec['items'] if i[4] == 0]
    powers = [band_power(i[2], rec['length']) for i in items]
    peak = int(np.argmax(powers))
    code, step = rec['sine']
    check(abs(items[peak][0] - step) <= rec['unit'] // 2, 'scan: the peak band is not the sine\'s')
    tone = (SINE_PEAK * code / 16384) ** 2 / 2
    around = sum(powers[max(0, peak - 2):peak + 3])
    check(abs(db(around / tone)) < 0.02, f'scan: the bands around the sine read {db(around / tone):.4f} dB off')
    far = [p for i, p in enumerate(powers) if abs(i - peak) > 3]
    check(max(far) < tone * 1e-5, 'scan: bands away from the sine hold more than the line noise')


def check_impedance(rec):
    compare_items(rec, 'impedance')
    items = [i for i in rec['items'] if i[4] == 0]
    for point, (level, window) in enumerate(zip(rec['levels'], rec['windows'])):
        ratio = line_ratio(rec, window[1])
        power = band_power(items[point][2], rec['length']) * 1.5  # one band of a centred tone: 2/3 of it
        tone = (level * LEVEL_WORD_PEAK * abs(ratio)) ** 2 / 2
        check(abs(db(power / tone)) < 0.01, f'impedance: point {point} level {db(power / tone):.4f} dB off')
        # The sums correlate with the cosine and sine: a sine of phase psi gives the angle pi/2 - psi.
        angle = np.angle(items[point][2])
        check(abs(np.angle(np.exp(1j * (angle - (np.pi / 2 - np.angle(ratio)))))) < 2e-3,
              f'impedance: point {point} phase {angle} for a line phase {np.angle(ratio)}')


def main():
    probe = sys.argv[1]
    for kind, checker in (('afc', check_afc), ('scan', check_scan), ('impedance', check_impedance)):
        rec = run(probe, kind)
        if rec is not None:
            checker(rec)
    for text in failures:
        print(text)
    print('selective items: ' + ('ok' if not failures else f'{len(failures)} failures'))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
