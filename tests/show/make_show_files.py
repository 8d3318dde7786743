#!/usr/bin/env python3
"""Writes a two-picture show file of every transition for every panel size, from a reading of
the file format that shares no code with the C++ writer, and with --check runs
`tramino-cli check` on each file: it must say 'valid' and name the transition of each picture."""

import argparse
import os
import struct
import subprocess
import sys

PANELS = [(96, 64), (128, 96), (160, 128), (128, 128), (160, 112), (176, 144), (208, 176), (220, 176), (320, 240)]
NAMES = ["Normal", "Shutter(Left to Right)", "Shutter(Top to Bottom)", "Circle"]


def windows(name, w, h):
    """The records of one picture: (x0, x1, y0, y1), inclusive."""
    if name == "Normal":
        yield (0, w - 1, 0, h - 1)
    elif name == "Shutter(Left to Right)":
        bands = 4 if w == 220 else 8
        width = w // bands
        for step in range(width):
            for band in range(bands):
                x = band * width + step
                yield (x, x, 0, h - 1)
    elif name == "Shutter(Top to Bottom)":
        height = h // 8
        for step in range(height):
            for band in range(8):
                y = band * height + step
                yield (0, w - 1, y, y)
    else:
        for r in range(h // 2):
            right, bottom = w - 1 - r, h - 1 - r
            yield (r, r, r, bottom)
            yield (r + 1, right, bottom, bottom)
            yield (r + 1, right - 1, r, r)
            yield (right, right, r, bottom - 1)


def colour(x, y, picture):
    """RGB565 of a test colour; every fifth pixel is white, which looks like a picture end marker."""
    if (x * 3 + y + picture) % 5 == 0:
        return 0xFFFF
    red, green, blue = (x * 5 + picture * 40) % 256, (y * 3) % 256, (x + y) % 256
    return ((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3)


def show_file(name, w, h, pictures=2):
    out = bytearray(b"NUVQRV" + bytes(26))
    for picture in range(pictures):
        for x0, x1, y0, y1 in windows(name, w, h):
            count = max(0, x1 - x0 + 1) * max(0, y1 - y0 + 1)
            out += struct.pack(">HHHHI", x0, x1, y0, y1, count)
            out += b"".join(struct.pack(">H", colour(x, y, picture))
                            for y in range(y0, y1 + 1) for x in range(x0, x1 + 1))
        out += b"\xff\xff"
    out += b"\xff\xf8"
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", required=True, help="directory for the files")
    parser.add_argument("--check", help="tramino-cli to check every file with")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    failures = 0
    for w, h in PANELS:
        for index, name in enumerate(NAMES):
            data = show_file(name, w, h)
            records = sum(1 for _ in windows(name, w, h))
            assert len(data) == 32 + 2 * (12 * records + 2 * w * h + 2) + 2
            path = os.path.join(args.out, "%dx%d-%d.qrv" % (w, h, index))
            with open(path, "wb") as file:
                file.write(data)
            if not args.check:
                continue
            # Each file once by its size and, for the first transition, by detection.
            options = ["--detect"] if index == 0 else ["--size", "%dx%d" % (w, h)]
            run = subprocess.run([args.check, "check", path] + options, capture_output=True, text=True)
            expected = "pictures: 2\npicture 1: %s\npicture 2: %s\n" % (name, name)
            expected += "read: 2 pictures, %d bytes\nvalid\n" % len(data)
            if run.returncode != 0 or not run.stdout.endswith(expected):
                failures += 1
                print("FAIL %s (exit %d):\n%s%s" % (path, run.returncode, run.stdout, run.stderr))
    print("%d files, %d failed" % (len(PANELS) * len(NAMES), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
