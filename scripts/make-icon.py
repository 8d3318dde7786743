#!/usr/bin/env python3
"""Draws the program's icon: a small panel showing a picture that a shutter transition is
bringing in. The design is drawn on a 64 x 64 grid: res/tramino.png is that grid, and
res/icons/tramino-N.png (N = 16, 22, 24, 32, 48, 128, 256) are the same design sampled 4 x 4
times a pixel at their own size, for the desktops' icon folders.
Usage: scripts/make-icon.py [OUT_DIR]   (res by default)
"""
import math
import os
import struct
import sys
import zlib

SIZE = 64


def mix(a, b, t):
    return tuple(round(p + (q - p) * t) for p, q in zip(a, b))


SIZES = (16, 22, 24, 32, 48, 128, 256)
SAMPLES = 4


def pixel(x, y):
    """The design's colour at the grid point (x, y) of the 64 x 64 grid, which may lie between
    its pixels."""
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
        shown = math.floor(sx) % 11 < 7  # shutter bands: each band is partly drawn
        sky = mix((250, 196, 92), (236, 104, 84), sy / 32)
        hill = (58, 150, 98) if sy > 22 - 4 * math.sin(sx / 7) else sky
        colour = hill if shown else (24, 30, 40)
    elif 10 <= x < 54 and 46 <= y < 50 or 28 <= x < 36 and 50 <= y < 54:
        colour = (232, 238, 245)  # the panel's stand
    return colour + (round(255 * alpha),)


def sampled(x, y, size):
    """Pixel (x, y) of a size x size icon: the mean of SAMPLES x SAMPLES points of the design,
    colours weighted by their alpha."""
    total = [0.0, 0.0, 0.0, 0.0]
    for j in range(SAMPLES):
        for i in range(SAMPLES):
            gx = (x + (i + 0.5) / SAMPLES) * SIZE / size - 0.5
            gy = (y + (j + 0.5) / SAMPLES) * SIZE / size - 0.5
            r, g, b, a = pixel(gx, gy)
            total = [total[0] + r * a, total[1] + g * a, total[2] + b * a, total[3] + a]
    if total[3] == 0:
        return (0, 0, 0, 0)
    return tuple(round(c / total[3]) for c in total[:3]) + (round(total[3] / SAMPLES**2),)


def write_png(path, size, colour):
    raw = bytearray()
    for y in range(size):
        raw.append(0)
        for x in range(size):
            raw += bytes(colour(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "res")
    write_png(os.path.join(out, "tramino.png"), SIZE, pixel)
    os.makedirs(os.path.join(out, "icons"), exist_ok=True)
    for size in SIZES:
        write_png(os.path.join(out, "icons", f"tramino-{size}.png"), size, lambda x, y: sampled(x, y, size))


if __name__ == "__main__":
    main()
