#!/usr/bin/env python3
"""Writes the corpus seeds of r9_fuzz_legacy_layout: the 20-byte version text of a legacy binary
configuration followed by its layout block (program settings, time-series bindings, window entries,
active window), little-endian, for the versions whose layout differs, and two blocks cut short.
Written independently of the program's reader; LegacyLayoutTest checks that the reader takes them whole."""
import os
import struct


def i16(v): return struct.pack('<h', v)
def u16(v): return struct.pack('<H', v)
def i32(v): return struct.pack('<i', v)
def f64(v): return struct.pack('<d', v)


def text(s):
    b = s.encode('cp1251')
    return i32(len(b)) + b


def entry(visible, normal, show=1, values=b''):
    return (i16(visible) + b''.join(i16(v) for v in normal) + b''.join(i16(v) for v in (-1, -1, -8, -30)) +
            u16(show) + u16(0) + i32(len(values)) + values)


def not_newer(version, threshold):
    return version.encode() <= threshold.encode()


def settings():
    b = bytearray(256)
    for n in range(10):
        struct.pack_into('<hxxxxxxdd', b, n * 24, n % 2, 40000.0 + n, 40000.5 + n)
    struct.pack_into('<hhhhhb', b, 240, 3, 1, 0, 1, 0, 2)
    return bytes(b)


def graph_values(table):
    v = b''.join(i32(x) for x in (0xFFFFFF, 255, 1, 2, 3, 4, 0, 1, 5))
    v += b''.join(f64(x) for x in (10.5, -80.25, 1024.0, 0.5))
    if table:
        v += i32(120) + i32(300)
    v += i32(1) + i32(11) + i32(12) + f64(1.5) + f64(-2.5) + i32(1) + text('Серия') + i32(255) + i32(0xFF00)
    v += i32(0) * 3 + f64(0) * 2 + i32(0) + text('') + i32(0) + i32(0)
    return v


def diagram_values():
    v = i32(0xFFFFFF) + b''.join(i32(x) for x in (0xFF, 3, 0, 0, 1, 2)) + f64(8) + f64(-80) + f64(1 / 48)
    for n in range(2):
        v += i32(n) + i32(1) + i32(2) + f64(0.25) + f64(-3) + i32(0) + text('') + i32(0xFF)
    return v


def binding(caption, code, point):
    record = bytearray(212)
    c = caption.encode('cp1251')
    record[4:4 + len(c)] = c
    struct.pack_into('<hh', record, 208, code, point)
    return bytes(record)


def layout(version):
    b = settings() + i16(2) + binding('АЧХ 5', 100, 5) + binding('Спектр 3', 300, 3)
    b += entry(1, (0, 0, 200, 150))
    b += b''.join(entry(0, (0, 0, 100, 100)) for _ in range(9 if not_newer(version, 'V1.14') else 1))
    b += b''.join(entry(0, (0, 0, 100, 100)) for _ in range(7))
    b += entry(0, (5, 5, 400, 300), 1, i32(2)) + entry(0, (5, 5, 400, 300), 1, i32(1))
    for kind in range(39):
        if ((14 <= kind <= 20) or kind in (37, 38)) and not_newer(version, 'V1.16'):
            continue
        b += entry(1 if kind == 7 else 0, (10, 20, 300, 400), 3 if kind == 7 else 1,
                   graph_values(not not_newer(version, 'V1.07')))
    b += i32(1) + text('АЧХ 5 - Текстовое окно') + i16(3) + i16(5) + i16(7) + i16(12) + entry(1, (1, 2, 3, 4))
    for unit in range(13):
        if unit == 1:
            b += i32(1) + text('Сигнал') + entry(1, (30, 40, 500, 350), 1, diagram_values())
        else:
            b += i32(0) + entry(0, (0, 0, 10, 10), 1, i32(0))
    b += i32(8) + i32(8) + i32(0)
    return version.encode().ljust(20, b'\0') + b


def main():
    folder = os.path.join(os.path.dirname(__file__), '..', 'fixtures', 'fuzz', 'r9_fuzz_legacy_layout')
    os.makedirs(folder, exist_ok=True)
    for version in ('V6.11', 'V6.04', 'V1.16', 'V1.14', 'V1.07'):
        with open(os.path.join(folder, 'layout_' + version.replace('.', '_') + '.bin'), 'wb') as f:
            f.write(layout(version))
    whole = layout('V6.11')
    with open(os.path.join(folder, 'cut_in_graph_entries.bin'), 'wb') as f:
        f.write(whole[:5000])
    with open(os.path.join(folder, 'cut_in_active_tag.bin'), 'wb') as f:
        f.write(whole[:-5])


if __name__ == '__main__':
    main()
