#!/usr/bin/env python3
"""Golden bytes of the settings snapshot, built from the byte layout alone (struct, little-endian).

Each file is a 20-byte version text followed by one snapshot, which is also how a legacy binary
configuration begins. The state the fixed snapshot describes is set up by SettingsSnapshotTest.cpp:
the settings image, the parameter rows and the text-norm rows are patterns both sides compute.

    make_snapshot_fixtures.py OUTDIR          write the fixtures
    make_snapshot_fixtures.py --check OUTDIR  fail when the stored fixtures differ from these bytes
"""
import struct
import sys
from pathlib import Path

IMAGE_SIZE = 12226
ROW_COUNTS = [32, 16, 51, 41, 15, 32, 11]  # SIN, SIN2, MTTS, RND, NOISE, SELECTIVE, SYNC
# The rows the test marks as judged by mask files (the test clears the flag on every other row):
# (kind, row) -> (lower index, upper index) into the mask-name list.
TEXT_ROWS = {(1, 27): (0, -1), (5, 8): (-1, 1), (7, 6): (-1, -1)}
MASK_NAMES = ["a.9pf;b.9pf;", "/r9/Masks/Шум.9nf;"]
SKIPS = [("V2.00", 1, 30, 31), ("V2.00", 3, 19, 20), ("V2.00", 4, 10, 10), ("V2.00", 5, 11, 12),
         ("V3.00", 2, 15, 15), ("V3.00", 3, 9, 9), ("V3.00", 3, 29, 46), ("V3.00", 4, 11, 36),
         ("V3.01", 3, 47, 50), ("V3.01", 4, 37, 40), ("V6.05", 5, 13, 14)]
WEIGHT_X = [0.3, 1.0, 3.4]
WEIGHT_Y = [-1.5, 0.0, 2.25]


def image_byte(i):
    return (i * 7 + 3) & 0xFF


def old_image_byte(i):
    return (i * 5 + 1) & 0xFF


def live_byte(i):
    return (i * 3 + 2) & 0xFF


def row_byte(kind, row, j):
    return (kind * 37 + row * 11 + j * 3) & 0xFF


def version_text(v):
    return v.encode("ascii").ljust(20, b"\0")


def text(s):
    b = s.encode("cp1251")
    return struct.pack("<h", len(b)) + b


def fixed_image():
    img = bytearray(image_byte(i) for i in range(IMAGE_SIZE))
    struct.pack_into("<i", img, 53, 0)  # Sin.State: the test sets -1 (failed start), stored as 0
    struct.pack_into("<h", img, 262, 1)  # WeightingIndex
    return bytes(img)


def old_image(size):
    return bytes(old_image_byte(i) for i in range(size))


def param_block(version):
    out = bytearray()
    for kind, count in enumerate(ROW_COUNTS, start=1):
        for row in range(count):
            if any(kind == k and first <= row <= last and version < older for older, k, first, last in SKIPS):
                continue
            settings = bytearray(row_byte(kind, row, j) for j in range(40))
            lower, upper = TEXT_ROWS.get((kind, row), (-1, -1))
            struct.pack_into("<hh", settings, 22, lower, upper)
            out += settings
            if (kind, row) in TEXT_ROWS:
                out += text(MASK_NAMES[lower] if lower >= 0 else "")
                out += text(MASK_NAMES[upper] if upper >= 0 else "")
    return bytes(out)


def mask_record(slot, which, upper, active, scale, points, names, line, with_style):
    out = struct.pack("<hhhhhh", slot, which, upper, active, scale, len(points))
    for x, y in points:
        out += struct.pack("<ff", x, y)
    out += struct.pack("<h", len(names))
    for n in names:
        out += text(n)
    if with_style:
        out += struct.pack("<BB", *line)
    return out


def mask_block(slots, with_style):
    out = struct.pack("<h", 2)
    out += mask_record(slots[0], 0, 1, 1, 80, [(0.3, -10.0), (3.4, -20.5)], ["a.9pf", "Б.9pf"], (0, 2), with_style)
    out += mask_record(slots[1], 1, 0, 0, 100, [(1.0, -30.0)], [], (1, 3), with_style)
    return out


def weighting_block():
    out = struct.pack("<h", len(WEIGHT_X))
    out += struct.pack("<%df" % len(WEIGHT_X), *WEIGHT_X)
    out += struct.pack("<%df" % len(WEIGHT_Y), *WEIGHT_Y)
    return out + text("Псоф.9wf")  # the bare name of C:\Masks\Псоф.9wf


def migrated_v116():
    """The full image an old 2112-byte image becomes, with the live record of live_byte()."""
    live = bytes(live_byte(i) for i in range(IMAGE_SIZE))
    old = old_image(2112)
    img = bytearray(IMAGE_SIZE)
    for i, b in enumerate(old):
        img[i if i < 189 else i + 32 if i < 258 else i + 38] = b
    img[189:221] = live[189:221]
    img[290:295] = live[290:295]
    img[346:10422] = live[346:10422]
    struct.pack_into("<i", img, 346 + 5034, 0)  # both masters stopped
    struct.pack_into("<i", img, 5384 + 5034, 0)
    return bytes(img)


def migrated_v604():
    old = old_image(12218)
    return old[:12184] + bytes(8) + old[12184:]


def fixtures():
    return {
        "snapshot_v611.bin": version_text("V6.11") + fixed_image() + weighting_block() + param_block("V6.11")
        + mask_block((3, 17), True),
        "snapshot_v116.bin": version_text("V1.16") + old_image(2112) + struct.pack("<h", 0) + param_block("V1.16")
        + mask_block((14, 15), False),
        "snapshot_v604.bin": version_text("V6.04") + old_image(12218) + struct.pack("<h", 0) + param_block("V6.04")
        + mask_block((3, 17), True),
        "snapshot_v602.bin": version_text("V6.02") + old_image(12218) + struct.pack("<h", 0) + param_block("V6.02")
        + mask_block((3, 17), False),
        "image_v116_migrated.bin": migrated_v116(),
        "image_v604_migrated.bin": migrated_v604(),
    }


def main():
    check = sys.argv[1] == "--check"
    folder = Path(sys.argv[2] if check else sys.argv[1])
    bad = []
    for name, data in fixtures().items():
        path = folder / name
        if check:
            if not path.exists() or path.read_bytes() != data:
                bad.append(name)
        else:
            path.write_bytes(data)
    if bad:
        print("fixtures differ from their layout:", ", ".join(bad))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
