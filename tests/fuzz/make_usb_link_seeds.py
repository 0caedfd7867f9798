#!/usr/bin/env python3
"""Writes the corpus seeds of r9_fuzz_usb_link: what the instrument sends over the USB link, as frames of
the acknowledged packet link (escaped payload, CRC-16/ARC trailer) carrying the DSP's packets: power
status, a measurement-frame header with meter records and one with selective records, identification,
debug words, acknowledgements, payloads that need escaping, and one frame with a wrong trailer.
Written from the frame layout, independently of the program's encoder."""
import os
import struct

START, ESCAPE = 0x16, 0x10


def crc16_arc(data):
    crc = 0
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def trailer(frame):
    crc = crc16_arc(frame)
    return bytes([0xD4 | (crc & 3), 0x80 | ((crc >> 2) & 0x7F), 0x80 | ((crc >> 9) & 0x7F)])


def data_frame(seq, ptype, payload, rx_last=0, consumed=0):
    n = len(payload)
    frame = bytearray([START, 0x40 | (seq & 7) << 3 | (rx_last & 7),
                       0x80 | (ptype >> 7) << 5 | (n >> 7) << 3 | (consumed & 7),
                       0x80 | (ptype & 0x7F), 0x80 | (n & 0x7F)])
    for b in payload:
        frame += bytes([ESCAPE, b ^ 0x20]) if b in (START, ESCAPE) else bytes([b])
    return bytes(frame) + trailer(frame)


def control_frame(kind, rx_last=0, consumed=0):
    frame = bytes([START, 0x80 | (kind & 7) << 3 | (rx_last & 7), 0x80 | (consumed & 7)])
    return frame + trailer(frame)


def frames(*packets):
    return b''.join(data_frame(seq, t, p) for seq, (t, p) in enumerate(packets))


def frame_header(nadc, flag, records):
    return struct.pack('<IHhh', 1000, nadc, flag, len(records)) + b'\0\0' + b''.join(records)


meter = struct.pack('<IiiihH', 5, -1000, 20, 300, 1024, 0)
selective = struct.pack('<II', 7, 9) + struct.pack('<hhh', 1, 2, -3) + struct.pack('<hhh', -4, 5, 6) + struct.pack('<hh', 0, 1)
seeds = {
    'power.bin': frames((7, struct.pack('<IhH', 123456, 0x15, 3))),
    'meter_frame.bin': frames((4, frame_header(0, 0, [meter, meter])), (6, b'')),
    'selective_frame.bin': frames((4, frame_header(0, 135, [selective])), (14, b'')),
    'samples_frame.bin': frames((4, frame_header(4, 0, [])), (5, struct.pack('<4h', 1, -1, 0x1016, 0x1610))),
    'ident.bin': frames((2, bytes(range(16))), (3, bytes(range(256))), (3, bytes(range(200)))),
    'debug.bin': frames((1, b'\x01\x02'), (1, b'\x01\x02\x03\x04'), (1, b'\x01\x02\x03\x04\x05\x06'), (511, b'\xff\x7f\x00\x80')),
    'acks.bin': frames((9, b'\x16\x10' * 8)) + control_frame(0, 1, 1) + control_frame(3) + control_frame(4),
    'bad_trailer.bin': frames((7, bytes(8)))[:-1] + b'\x80' + frames((7, bytes(8))),
}
folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'fixtures', 'fuzz', 'r9_fuzz_usb_link')
os.makedirs(folder, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)
