#!/usr/bin/env python3
"""Checks the simulator's frame codec against an encoder and a receiver written here from the frame
format alone: golden frames, random frames both ways, and random damaged byte streams whose results
(frames and failures, in order) must agree."""
import random
import subprocess
import sys

START, ESC = 0x16, 0x10


def crc_table():
    table = []
    for n in range(256):
        c = n
        for _ in range(8):
            c = (c >> 1) ^ 0xA001 if c & 1 else c >> 1
        table.append(c)
    return table


TABLE = crc_table()


def crc16(data, crc=0):
    for b in data:
        crc = (crc >> 8) ^ TABLE[(crc ^ b) & 0xFF]
    return crc


def encode_data(seq, rx_last, consumed, typ, payload):
    n = len(payload)
    wire = [START, 0x40 | seq << 3 | rx_last, 0x80 | (typ >> 7 & 3) << 5 | (n >> 7 & 3) << 3 | consumed,
            0x80 | typ & 0x7F, 0x80 | n & 0x7F]
    for b in payload:
        wire += [ESC, b ^ 0x20] if b in (START, ESC) else [b]
    return with_trailer(wire)


def encode_control(kind, rx_last, consumed):
    return with_trailer([START, 0x80 | kind << 3 | rx_last, 0x80 | consumed])


def with_trailer(wire):
    c = crc16(wire)
    return wire + [0xD4 | c & 3, 0x80 | c >> 2 & 0x7F, 0x80 | c >> 9 & 0x7F]


class End(Exception):
    pass


def receive(stream):
    """The receiver as a reader: hunt for 0x16, headers checked silently, a data frame whose body is
    cut or whose trailer is wrong is a failure; every 0x16 restarts the CRC."""
    events = []
    state = {"pos": 0, "last": None, "crc": 0}

    def read():
        if state["pos"] >= len(stream):
            raise End
        b = stream[state["pos"]]
        state["pos"] += 1
        if b == START:
            state["crc"] = 0
        state["crc"] = crc16([b], state["crc"])
        state["last"] = b
        return b

    def trailer():
        c = state["crc"]
        t1 = read()
        if t1 & 0xFC != 0xD4 or t1 & 3 != c & 3:
            return False
        if read() != 0x80 | c >> 2 & 0x7F:
            return False
        return read() == 0x80 | c >> 9 & 0x7F

    try:
        while True:
            while state["last"] != START:
                read()
            h1 = read()
            if h1 >> 6 == 1:
                h2 = read()
                if not h2 & 0x80:
                    continue
                t = read()
                typ = (h2 >> 5 & 3) << 7 | t & 0x7F
                if not t & 0x80 or typ == 0:
                    continue
                ln = read()
                length = (h2 >> 3 & 3) << 7 | ln & 0x7F
                if not ln & 0x80 or length > 256:
                    continue
                payload, cut = [], False
                while len(payload) < length:
                    b = read()
                    if b == START:
                        cut = True
                        break
                    if b == ESC:
                        b = read()
                        if b in (START, ESC):
                            cut = True
                            break
                        b ^= 0x20
                    payload.append(b)
                if cut or not trailer():
                    events.append("X")
                    continue
                events.append("F D %d %d %d %d %s" % (h1 >> 3 & 7, h1 & 7, h2 & 7, typ, hexs(payload)))
            elif h1 >> 6 == 2:
                h2 = read()
                if not h2 & 0x80 or h2 & 0x78:
                    continue
                if trailer():
                    events.append("F C %d %d %d" % (h1 >> 3 & 7, h1 & 7, h2 & 7))
    except End:
        pass
    return events


def hexs(data):
    return "".join("%02x" % b for b in data) or "-"


def random_payload(rng, n):
    # Plenty of the two bytes that need escaping.
    return [rng.choice([START, ESC, rng.randrange(256)]) for _ in range(n)]


def damage(rng, wire):
    out = []
    for b in wire:
        r = rng.random()
        if r < 0.004:
            continue
        if r < 0.008:
            b ^= 1 << rng.randrange(8)
        elif r < 0.010:
            out.append(START)
        elif r < 0.012:
            out.append(ESC)
        out.append(b)
    return out


def main():
    tool = sys.argv[1]
    failures = []

    assert crc16(b"123456789") == 0xBB3D, "CRC-16/ARC check value"
    golden = [
        (encode_control(0, 7, 7), "16 87 87 D6 B0 AB"),
        (encode_data(0, 7, 7, 21, []), "16 47 87 95 80 D7 A0 D7"),
        (encode_data(0, 7, 7, 6, [0x16]), "16 47 87 86 81 10 36 D4 8E 8F"),
    ]
    for wire, text in golden:
        if wire != [int(x, 16) for x in text.split()]:
            failures.append("python encoder misses golden %s" % text)
    if encode_data(0, 7, 7, 1, [0] * 256)[4] != 0x80:
        failures.append("python encoder: 256 bytes must give L = 0x80")

    rng = random.Random(20240614)
    commands, expected = [], []
    for _ in range(400):
        if rng.random() < 0.25:
            kind, rl, cs = rng.randrange(8), rng.randrange(8), rng.randrange(8)
            commands.append("E C %d %d %d" % (kind, rl, cs))
            expected.append(hexs(encode_control(kind, rl, cs)))
        else:
            seq, rl, cs, typ = rng.randrange(8), rng.randrange(8), rng.randrange(8), rng.randrange(1, 512)
            payload = random_payload(rng, rng.choice([0, 1, 2, 127, 128, 129, 255, 256, rng.randrange(257)]))
            commands.append("E D %d %d %d %d %s" % (seq, rl, cs, typ, hexs(payload)))
            expected.append(hexs(encode_data(seq, rl, cs, typ, payload)))

    streams = []
    for _ in range(300):
        wire = []
        for _ in range(rng.randrange(1, 6)):
            if rng.random() < 0.3:
                wire += encode_control(rng.randrange(8), rng.randrange(8), rng.randrange(8))
            else:
                wire += encode_data(rng.randrange(8), rng.randrange(8), rng.randrange(8), rng.randrange(1, 512),
                                    random_payload(rng, rng.randrange(0, 40)))
            if rng.random() < 0.2:
                wire += [rng.randrange(256) for _ in range(rng.randrange(4))]
        streams.append(damage(rng, wire) if rng.random() < 0.7 else wire)
    # Headers that must be skipped in silence: type 0 and a length above 256.
    streams.append([START, 0x47, 0x87, 0x80, 0x81, 0x00] + encode_data(1, 7, 7, 2, [5]))
    streams.append([START, 0x47, 0x87 | 0x18, 0x81, 0x81] + encode_data(1, 7, 7, 2, [5]))
    # Payloads cut by an escape before 0x10 or 0x16.
    head = encode_data(2, 1, 0, 3, [9, 9, 9])[:6]
    streams.append(with_trailer(head + [ESC, ESC, 0x41]) + encode_data(3, 1, 0, 3, [1]))
    streams.append(head + [ESC] + encode_data(3, 1, 0, 3, [1]))
    for s in streams:
        commands.append("D " + hexs(s))

    out = subprocess.run([tool], input="\n".join(commands) + "\n", capture_output=True, text=True, check=True)
    lines = out.stdout.splitlines()
    pos = 0
    for i, line in enumerate(lines[: len(expected)]):
        if line != expected[i]:
            failures.append("encode %r: sim %s, python %s" % (commands[i], line, expected[i]))
    pos = len(expected)
    for n, s in enumerate(streams):
        events = []
        while lines[pos] != ".":
            events.append(lines[pos])
            pos += 1
        pos += 1
        want = receive(s)
        if events != want:
            failures.append("decode stream %d %s: sim %s, python %s" % (n, hexs(s), events, want))
    if any(receive(s) != ["X", receive(s)[-1]] for s in streams[-2:]):
        failures.append("python receiver: a cut payload must yield a failure and then the next frame")
    if any(len(receive(s)) != 1 or "X" in receive(s) for s in streams[-4:-2]):
        failures.append("python receiver: silent header cases must yield only the following frame")

    for f in failures[:20]:
        print(f)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
