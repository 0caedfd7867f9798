#!/usr/bin/env python3
"""A selective AFC run of the main window on the simulated instrument, checked apart from the program.

Runs the main-window test of the run with R9_SST_RUN_DUMP set; the test writes the settings that scale
the levels, the tone the simulated line carried in each measured window (its phase word and peak in ADC
codes) and the curves of the graph windows 21 and 23. Here the level of each tone is computed from its
peak and the meter's documented scaling, and the AFC from the level and the generator's set level; the
graph windows must show them.
Usage: check_selective_run.py <path of r9_shell_selective_tests>
"""
import os
import subprocess
import sys
import tempfile

import numpy as np

TURN = 2.0 ** 32
POWER_SCALE = 798176.0625
# Meter input range by the maximum-level index: the gain the program applies to the ADC codes, dB.
METER_SCALE_DB = {0: 35.0, 1: 15.0, 2: -5.0, 3: -25.0}
FLOOR = -300.0
failures = []


def check(condition, text):
    if not condition:
        failures.append(text)


def codes_per_volt(connection):
    return 15175.0 if 7 <= connection <= 11 else 14968.0


def tone_level(peak, rec):
    """dBm0 of a sine of this peak (ADC codes) as the meter reads it across its own impedance."""
    volts = peak / codes_per_volt(rec['connection']) * 10 ** (METER_SCALE_DB[rec['max_level']] / 20)
    milliwatts = (volts ** 2 / 2) / rec['meter_ohms'] * 1000
    return 10 * np.log10(milliwatts) - rec['meter_ref']


def afc(level, rec):
    """The attenuation on connection type 4 (the generator at this end): the set level against the read one."""
    return rec['gen_ref'] + rec['sin_level'] - rec['meter_ref'] - level


def read_dump(path):
    rec = {'windows': [], 'curves': {21: [], 22: [], 23: []}}
    with open(path, encoding='utf-8') as f:
        for line in f:
            v = line.split()
            if v[0] == 'settings':
                rec.update(connection=int(v[1]), sample_rate=float(v[2]), meter_ohms=float(v[3]),
                           meter_ref=float(v[4]), gen_ref=float(v[5]), sin_level=float(v[6]), max_level=int(v[7]))
            elif v[0] == 'window':
                rec['windows'].append((int(v[1]), int(v[2]), float(v[3])))
            elif v[0] == 'curve':
                rec['curves'][int(v[1])].append((float(v[2]), float(v[3])))
    return rec


def main():
    binary = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        dump = os.path.join(folder, 'run.txt')
        env = dict(os.environ, R9_SST_RUN_DUMP=dump, LC_ALL='C.UTF-8')
        run = subprocess.run([binary, '--gtest_filter=SelectiveRunTest.AfcRunDrawsItsCurve*'], env=env,
                             capture_output=True, text=True, timeout=600)
        if run.returncode != 0:
            print(run.stdout[-4000:], run.stderr[-4000:])
            print('the main-window run failed')
            return 1
        rec = read_dump(dump)
    windows = rec['windows']
    check(rec['connection'] == 4, f'the run is on connection type {rec["connection"]}, the check knows type 4')
    check(len(windows) > 0, 'no measured window')
    tones = {}
    for length, word, peak in windows:
        frequency = word / TURN * rec['sample_rate']
        tones[round(frequency, 3)] = peak
    levels = [(x, y) for x, y in rec['curves'][21] if y > FLOOR]
    response = rec['curves'][23]
    check(len(response) == len(tones), f'{len(response)} AFC points for {len(tones)} tones')
    check(len(levels) == len(tones), f'{len(levels)} measured bins for {len(tones)} tones')
    check(not [p for p in rec['curves'][22] if p[1] > FLOOR], 'the weighted levels show values in AFC')
    for frequency, peak in tones.items():
        level = tone_level(peak, rec)
        got = [y for x, y in levels if abs(x - frequency) < 2e-3]
        check(len(got) == 1 and abs(got[0] - level) < 0.02, f'level at {frequency} kHz: {got}, numpy {level:.4f}')
        want = afc(level, rec)
        got = [y for x, y in response if abs(x - frequency) < 2e-3]
        check(len(got) == 1 and abs(got[0] - want) < 0.02, f'AFC at {frequency} kHz: {got}, numpy {want:.4f}')
    for text in failures:
        print(text)
    print('selective run: ' + ('ok' if not failures else f'{len(failures)} failures'))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
