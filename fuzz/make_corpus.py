#!/usr/bin/env python3
"""Writes the seed corpora: well-formed frames, images and files as the unit and
the tool produce them, so the fuzzers start from inputs that reach deep."""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def frame(command, data, address=1):
    head = bytes([0x14, 0x2E, 0x00, address, command]) + struct.pack(">H", len(data))
    body = head + bytes(data)
    ck = (0xFFFF - sum(body[1:])) & 0xFFFF
    return body + struct.pack(">H", ck)


def bcd(v):
    return (v // 10) * 16 + v % 10


def bcd_time(year, month, day, hour, minute, second):
    return bytes(bcd(v) for v in (year // 100, year % 100, month, day, hour, minute, second))


def image(points, start_minute=0):
    out = bytearray([points])
    for k in range(points):
        m = start_minute + k
        out += bcd_time(2014, 5, 6, 9 + m // 60, m % 60, 7)
        for cell in range(40):
            out += struct.pack(">H", 4200 + 37 * cell + 11 * k)  # about 2.2 V
        out += struct.pack(">H", 4700 + k)  # about 86 V
    return bytes(out)


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    live = bytearray()
    for cell in range(40):
        live += struct.pack(">H", 4300 + cell)
    live += struct.pack(">H", 4700) + struct.pack(">H", 16384)
    live += struct.pack(">H", 13107) * 3 + struct.pack(">H", 13107) * 2
    live += bytes(100 - len(live))
    ack = frame(0x04, [0xFF])
    replies = {
        "live": (0, 1, frame(0x00, live)),
        "live_long": (0, 2, frame(0x00, live) + bytes(40)),
        "clock": (1, 1, frame(0x0A, bcd_time(2014, 5, 6, 9, 3, 7))),
        "count": (2, 1, frame(0x07, [3, 1])),
        "date": (3, 2, frame(0x09, bcd_time(2014, 5, 6, 9, 3, 7) + bytes(2))),
        "version": (4, 1, frame(0x03, [0x00, 0x82])),
        "gear": (5, 1, frame(0x01, [6])),
        "alarm": (6, 1, frame(0x02, [0x01, 0x05])),
        "set_clock": (7, 1, ack),
        "clear": (8, 1, frame(0x0B, [0xFF])),
        "gear_calibrate": (9, 1, frame(0x20, [0xFF]) + frame(0x21, [0xFF, 0x00])),
        "address_baud": (10, 1, frame(0x10, [0xFF]) + frame(0x11, [0xFF, 0x00])),
        "alarm_set": (11, 1, frame(0x12, [0xFF])),
        "hangup_short": (1, 0x81, frame(0x0A, bcd_time(2014, 5, 6, 9, 3, 7))[:9]),
    }
    for name, (op, param, stream) in replies.items():
        write("fuzz_replies", name, bytes([op, param]) + stream)

    for name, img in {"empty": b"", "one": image(1), "three": image(3), "span_hours": image(8, 55)}.items():
        write("fuzz_group_image", name, img)

    for name, img in {"one_packet": image(3), "two_packets": image(15)}.items():
        stream = bytearray()
        for k in range(0, len(img) + 1, 900):
            stream += frame(0x08, img[k:k + 900])
        write("fuzz_group_download", name, bytes([1]) + stream)
    write("fuzz_group_download", "empty_group", bytes([2]) + frame(0x08, b""))

    for name, img in {"three": image(3), "empty": b""}.items():
        write("fuzz_curve_file", name, struct.pack("<I", len(img)) + img)
    data = os.path.join(HERE, "..", "tests", "data")
    for name in sorted(os.listdir(data)):
        path = os.path.join(data, name)
        if name.startswith("curves_") and os.path.getsize(path) <= 4096:
            with open(path, "rb") as f:
                write("fuzz_curve_file", name, f.read())
    return 0


if __name__ == "__main__":
    sys.exit(main())
