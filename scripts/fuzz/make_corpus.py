#!/usr/bin/env python3
"""Writes the fuzzer's seed inputs into fuzz/corpus/, one deliberate scenario per file.

The byte format is the one described at the top of fuzz/camera_fuzzer.cpp. Each seed is a
plausible session that the fuzzer then mutates: a script working a camera normally, odd
numbers, withheld services, failing allocations, several cameras, registration.
"""
import os
import struct
import sys

CREATE, CALL, ADDREF, RELEASE, DESTROY, MORE, REGISTER, ALLOCFAIL, LISTFAIL, STAGE, INFO = range(11)

# Method numbers in message-table order.
(NEW, GET_POSITION, SET_POSITION, GET_INTEREST, SET_INTEREST, GET_ROTATION, SET_ROTATION,
 SET_ROLL, GET_FOV, SET_FOV, GET_RATIO, SET_RATIO, GET_NEAR, SET_NEAR, GET_FAR, SET_FAR,
 GET_PROJECTION, GET_DISTANCE, GET_BLEND, GET_COORDINATES, ASIN, ACOS, CONSTRAIN, LIMIT, SGN,
 FLOOR, CEILING) = range(27)

# Indices into the fuzzer's table of special floats.
NAN, INF, NEG_INF, DENORM, DBL_MAX, BIG = 2, 4, 5, 6, 9, 12


def integer(n):
    return bytes([0]) + struct.pack("<i", n)


def real(x):
    return bytes([1]) + struct.pack("<d", x)


def special(index):
    return bytes([2, index])


def small(n):
    return bytes([3, n & 0xFF])


def symbol(index=0):
    return bytes([4, index])


def string(text):
    raw = text.encode()
    return bytes([5, len(raw)]) + raw


def lst(*numbers):
    items = b"".join(bytes([0, n & 0xFF]) for n in numbers)
    return bytes([6, len(numbers)]) + items


def void():
    return bytes([7])


def create(flags=0):
    return bytes([CREATE, flags])


def call(camera, method, *args):
    if method > 26:
        selector = bytes([0xFF]) + struct.pack("<I", method & 0xFFFFFFFF)
    else:
        selector = bytes([method])
    return bytes([CALL, camera]) + selector + bytes([len(args)]) + b"".join(args)


def text(value):
    raw = value.encode("latin-1")
    return bytes([0xFF, len(raw)]) + raw


def register(name, version, failures=0, status=0, context=0):
    return bytes([REGISTER]) + text(name) + text(version) + bytes([failures, status]) + \
        struct.pack("<I", context)


SEEDS = {
    "default_camera": create()
    + call(0, GET_PROJECTION, real(0), real(0), real(0))
    + call(0, GET_DISTANCE)
    + call(0, GET_BLEND)
    + call(0, GET_PROJECTION, real(1), real(0), real(0))
    + call(0, GET_PROJECTION, real(0), real(0), real(30))
    + call(0, GET_COORDINATES, real(400), real(300), real(0)),
    "setters": create()
    + call(0, SET_POSITION, real(3), real(4), real(5))
    + call(0, SET_INTEREST, real(0), real(1), real(-2))
    + call(0, SET_ROTATION, real(-10), real(30), real(15))
    + call(0, SET_ROLL, real(90))
    + call(0, SET_FOV, real(60))
    + call(0, SET_RATIO, real(1.5))
    + call(0, SET_NEAR, real(1))
    + call(0, SET_FAR, real(100))
    + call(0, GET_POSITION) + call(0, GET_INTEREST) + call(0, GET_ROTATION)
    + call(0, GET_FOV) + call(0, GET_RATIO) + call(0, GET_NEAR) + call(0, GET_FAR),
    "odd_numbers": create()
    + call(0, SET_ROTATION, special(NAN), special(INF), special(DENORM))
    + call(0, SET_FOV, special(0))
    + call(0, SET_RATIO, special(NEG_INF))
    + call(0, SET_POSITION, special(DBL_MAX), integer(-2147483648), special(BIG))
    + call(0, GET_PROJECTION, special(NAN), real(1e-310), real(-1e308))
    + call(0, GET_COORDINATES, special(INF), real(0), real(20)),
    "wrong_kinds": create()
    + call(0, SET_POSITION, real(1), symbol(0), real(2))
    + call(0, SET_ROTATION, real(1), string("ten"), real(2))
    + call(0, GET_PROJECTION, lst(1, 2, 3), void(), real(0))
    + call(0, SET_FAR, void())
    + call(0, ASIN, string("0.5"))
    + call(0, CONSTRAIN, real(5), symbol(1), real(10)),
    "math_handlers": create()
    + call(0, ASIN, real(0.5)) + call(0, ACOS, real(2))
    + call(0, CONSTRAIN, real(725), real(0), real(360))
    + call(0, LIMIT, real(5), real(10), real(0))
    + call(0, SGN, real(-0.0)) + call(0, SGN, special(NAN))
    + call(0, FLOOR, real(2147483648.0)) + call(0, CEILING, real(-2.5)),
    "method_numbers": create()
    + call(0, NEW) + call(0, 27) + call(0, 0xFFFFFFFF) + call(0, 0x80000010)
    + call(0, 0x7FFFFFFF, real(1)),
    "withheld_services": create(0x01) + create(0x02) + create(0x04) + create(0x08)
    + call(0, GET_PROJECTION, real(0), real(0), real(0))
    + call(1, GET_PROJECTION, real(0), real(0), real(0))
    + call(1, GET_POSITION)
    + call(2, SET_FOV, real(50))
    + call(3, GET_COORDINATES, real(1), real(2), real(3)),
    "allocation_failures": bytes([ALLOCFAIL, 1, 0]) + create()
    + bytes([ALLOCFAIL, 2, 1]) + create() + bytes([MORE, 1]) + bytes([INFO])
    + create(0x10) + bytes([LISTFAIL, 2]) + call(0, GET_POSITION) + call(1, GET_ROTATION),
    "several_cameras": create() + create() + create(0x20)
    + call(0, SET_POSITION, real(1), real(1), real(1))
    + call(1, GET_PROJECTION, real(0), real(0), real(-5))
    + bytes([MORE, 1, ADDREF, 1, 0, RELEASE, 1, 1, RELEASE, 0, 0])
    + call(2, NEW) + call(1, GET_DISTANCE) + bytes([DESTROY, 1])
    + call(0, GET_BLEND),
    "stage": bytes([STAGE, 0]) + struct.pack("<hh", 0, 0) + create()
    + call(0, GET_PROJECTION, real(0), real(0), real(0))
    + bytes([STAGE, 0]) + struct.pack("<hh", -640, 480) + call(0, NEW)
    + bytes([STAGE, 3]) + struct.pack("<hh", 1, 1) + create()
    + bytes([STAGE, 1]) + struct.pack("<hh", 2, 0) + call(1, NEW)
    + call(1, GET_COORDINATES, real(0), real(0), real(1)),
    "register": register("Director", "8.5.1") + register("director", "8.5.1")
    + register("Director", "10.0") + register("Director", "\x80")
    + register("Director", "", 0) + register("Director" + "x" * 60, "7")
    + register("Director", "8", failures=0x10, status=1)
    + register("Director", "8", failures=0x24, status=2, context=7),
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "fuzz", "corpus")
    os.makedirs(out, exist_ok=True)
    for name, data in sorted(SEEDS.items()):
        with open(os.path.join(out, name), "wb") as seed:
            seed.write(data)
    print(f"wrote {len(SEEDS)} seeds to {os.path.normpath(out)}")


if __name__ == "__main__":
    main()
