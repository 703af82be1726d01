#!/usr/bin/python3
"""A plain pyserial script polling one board at 20 Hz, the reference the window is compared
with: at each tick it reads whatever reply waits, writes the status query and sleeps until the
next tick (PERIOD_NS, 50 ms unless the bench asks for a little more); it never waits on the line.

    script_poll_loop.py DEVICE QUERY_HEX [PERIOD_NS]     (runs until SIGTERM or SIGINT)
"""
import signal
import sys
import time

import serial


def main() -> int:
    device, query = sys.argv[1], bytes.fromhex(sys.argv[2])
    period = int(sys.argv[3]) / 1e9 if len(sys.argv) > 3 else 0.05
    running = True

    def stop(_signum, _frame):
        nonlocal running
        running = False

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    port = serial.Serial(device, 9600, timeout=0)
    due = time.monotonic()
    while running:
        waiting = port.in_waiting
        if waiting:
            port.read(waiting)
        port.write(query)
        due += period
        delay = due - time.monotonic()
        if delay > 0:
            time.sleep(delay)
    port.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
