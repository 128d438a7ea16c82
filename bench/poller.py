#!/usr/bin/env python3
"""A minimal poller of the kind people write with pyserial and paho-mqtt, for the
benchmark to compare `kx4200-cli monitor` with: one live reading per unit per
period on one serial line, each published (QoS 1) as the monitor's state JSON on
PREFIX/NAME/state. Stops on SIGTERM.

  poller.py --line PATH --baud N --units N --period-ms N --mqtt HOST:PORT [--prefix P]
"""

import argparse
import json
import math
import signal
import threading
import time

import paho.mqtt.client as mqtt
import serial

REPLY = 109  # the live reading's reply
CELL_FULL_SCALE = 17.0
CURRENT_RANGE = 1000.0


def frame(address, command):
    body = bytes([0x14, 0x2E, 0x00, address & 0xFF, command, 0, 0])
    total = 0xFFFF - (sum(body[1:]) & 0xFFFF)
    return body + bytes([total >> 8, total & 0xFF])


def checksum_ok(reply):
    total = 0xFFFF - (sum(reply[1:-2]) & 0xFFFF)
    return total == (reply[-2] << 8 | reply[-1])


def word(reply, offset):
    return reply[offset] << 8 | reply[offset + 1]


def iso_time(t):
    text = time.strftime("%Y-%m-%dT%H:%M:%S%z", time.localtime(t))
    return text[:-2] + ":" + text[-2:]


def state_json(number, t, reply):
    s = '{"time":%s,"reading":%d' % (json.dumps(iso_time(t)), number)
    if reply is None:
        return s + ',"ok":false,"error":"the unit did not answer with a reply of the expected length in time"}'
    cells = ["%.3f" % (word(reply, 7 + 2 * k) * CELL_FULL_SCALE / 32768.0) for k in range(40)]
    total = "%.2f" % (word(reply, 87) * 0.018310546875)
    current = "%.2f" % (word(reply, 89) * CURRENT_RANGE / 32768.0 - CURRENT_RANGE * 0.5)
    temps = ["%.1f" % (word(reply, o) * 0.003814697265625 - 25.0) for o in (91, 93, 95)]
    analog = ["%.3f" % (word(reply, o) * 0.000152587890625) for o in (97, 99)]
    s += ',"ok":true,"cells_V":[%s],"total_V":%s,"current_A":%s,"temps_C":[%s],"analog_V":[%s]' % (
        ",".join(cells), total, current, ",".join(temps), ",".join(analog))
    fitted = [(float(v), i + 1) for i, v in enumerate(cells) if math.floor(float(v) * 1000 + 0.5) != 0]
    if fitted:
        high = max(fitted, key=lambda c: c[0])
        low = min(fitted, key=lambda c: c[0])
        spread = math.floor(high[0] * 1000 + 0.5) - math.floor(low[0] * 1000 + 0.5)
        s += ',"cell_max_V":%.3f,"cell_max_index":%d,"cell_min_V":%.3f,"cell_min_index":%d,"cell_spread_mV":%d' % (
            high[0], high[1], low[0], low[1], spread)
    return s + "}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--line", required=True)
    parser.add_argument("--baud", type=int, required=True)
    parser.add_argument("--units", type=int, required=True)
    parser.add_argument("--period-ms", type=int, required=True)
    parser.add_argument("--mqtt", required=True)
    parser.add_argument("--prefix", default="kx4200")
    args = parser.parse_args()

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    host, port = args.mqtt.rsplit(":", 1)
    client = mqtt.Client(client_id="kx4200-python-poller")
    client.connect(host, int(port))
    client.loop_start()
    line = serial.Serial(args.line, args.baud, timeout=1.0)
    numbers = [0] * args.units
    due = time.monotonic()
    while not stop.is_set():
        for unit in range(args.units):
            t = time.time()
            line.reset_input_buffer()
            line.write(frame(unit + 1, 0x00))
            reply = line.read(REPLY)
            numbers[unit] += 1
            ok = len(reply) == REPLY and checksum_ok(reply)
            client.publish("%s/u%d/state" % (args.prefix, unit + 1),
                           state_json(numbers[unit], t, reply if ok else None), qos=1)
        due += args.period_ms / 1000.0
        stop.wait(max(0.0, due - time.monotonic()))
    line.close()
    client.disconnect()
    client.loop_stop()


if __name__ == "__main__":
    main()
