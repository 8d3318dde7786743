#!/usr/bin/env python3
"""Draws res/tramino.png, the program's icon: a small panel showing a picture that a shutter
transition is bringing in. Usage: scripts/make-icon.py [OUT.png]
"""
import math
import os
import struct
import sys
import zlib

SIZE = 64


def mix(a, b, t):
    return tuple(round(p + (q - p) * t) for p, q in zip(a, b))


def pixel(x, y):
    # Rounded square body with a soft edge (alpha).
    r = 12
    cx = min(max(x + 0.5, r), SIZE - r)
    cy = min(max(y + 0.5, r), SIZE - r)
    d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) - r
    alpha = max(0.0, min(1.0, 0.5 - d))
    if alpha == 0:
        return (0, 0, 0, 0)
    colour = mix((54, 96, 146), (34, 132, 150), (x + y) / (2 * SIZE))
    # The panel: a screen inset in the body.
    if 10 <= x < 54 and 14 <= y < 46:
        sx, sy = x - 10, y - 14
        shown = sx % 11 < 7  # shutter bands: each band is partly drawn
        sky = mix((250, 196, 92), (236, 104, 84), sy / 32)
        hill = (58, 150, 98) if sy > 22 - 4 * math.sin(sx / 7) else sky
        colour = hill if shown else (24, 30, 40)
    elif 10 <= x < 54 and 46 <= y < 50 or 28 <= x < 36 and 50 <= y < 54:
        colour = (232, 238, 245)  # the panel's stand
    return colour + (round(255 * alpha),)


def write_png(path):
    raw = bytearray()
    for y in range(SIZE):
        raw.append(0)
        for x in range(SIZE):
            raw += bytes(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "res", "tramino.png")
    write_png(out)


if __name__ == "__main__":
    main()
