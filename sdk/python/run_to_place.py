#!/usr/bin/env python3
"""Example: start the train, wait until it reaches a place on the track, stop it.

    python3 run_to_place.py X Y [--radius R] [--timeout S] [--speed PERCENT]

Vardo must be running with -s (in simulation or with a calibrated camera).
"""

import argparse
import sys

import vardo_sdk


def run(x, y, radius=32, timeout=60.0, speed=None):
    with vardo_sdk.Connection() as vardo:
        vardo.open()
        if speed is not None:
            vardo.speed(speed)
        vardo.action(vardo_sdk.FORWARD)
        try:
            position = vardo.wait_for_place(x, y, radius=radius, timeout=timeout)
        finally:
            vardo.action(vardo_sdk.STOP)
        return position


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("x", type=int)
    parser.add_argument("y", type=int)
    parser.add_argument("--radius", type=int, default=32)
    parser.add_argument("--timeout", type=float, default=60.0)
    parser.add_argument("--speed", type=int)
    args = parser.parse_args(argv)
    try:
        position = run(args.x, args.y, args.radius, args.timeout, args.speed)
    except (vardo_sdk.VardoSdkError, TimeoutError) as error:
        print("run_to_place: %s" % error, file=sys.stderr)
        return 1
    print("reached x=%d y=%d after %d laps; train stopped" % (position.x, position.y, position.laps))
    return 0


if __name__ == "__main__":
    sys.exit(main())
