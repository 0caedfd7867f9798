#!/usr/bin/env python3
"""Packs a recording into one corpus seed of r9_fuzz_playback: its eight files (base + ".idx", then the
streams ".adc", ".rnd", ".set", ".rem", ".sst", ".ast", ".snc"), each as a little-endian 32-bit length and
its bytes; a missing file is packed empty.
Usage: pack_recording_seed.py <recording base, without extension> <seed file>"""
import os
import struct
import sys

EXTENSIONS = ['.idx', '.adc', '.rnd', '.set', '.rem', '.sst', '.ast', '.snc']

base, seed = sys.argv[1], sys.argv[2]
out = b''
for extension in EXTENSIONS:
    path = base + extension
    data = open(path, 'rb').read() if os.path.exists(path) else b''
    out += struct.pack('<I', len(data)) + data
with open(seed, 'wb') as f:
    f.write(out)
