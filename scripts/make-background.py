#!/usr/bin/env python3
"""Draws res/BG.bmp, the background of the main window.

The bitmap covers the client area exactly (the 503 x 273 dialog units of the main window at
6 x 13 pixels per 4 x 8 units). Magenta pixels are cut out of the window: here the four
rounded corners. Usage: scripts/make-background.py [OUT.bmp]
"""
import math
import os
import struct
import sys

WIDTH = 503 * 6 // 4
HEIGHT = 273 * 13 // 8
KEY = (255, 0, 255)
RADIUS = 18


def dlu(x, y, w, h):
    return x * 6 // 4, y * 13 // 8, w * 6 // 4, h * 13 // 8


def mix(a, b, t):
    return tuple(round(p + (q - p) * t) for p, q in zip(a, b))


def outside_corner(x, y):
    """Distance beyond the rounded outline (> 0 outside), or None well inside."""
    cx = RADIUS if x < RADIUS else WIDTH - 1 - RADIUS if x >= WIDTH - RADIUS else None
    cy = RADIUS if y < RADIUS else HEIGHT - 1 - RADIUS if y >= HEIGHT - RADIUS else None
    if cx is None or cy is None:
        return None
    return math.hypot(x - cx, y - cy) - RADIUS


def in_rect(x, y, rect):
    rx, ry, rw, rh = rect
    return rx <= x < rx + rw and ry <= y < ry + rh


def draw():
    top, bottom = (238, 242, 247), (208, 219, 232)
    edge = (120, 142, 168)
    stage = (246, 248, 251)
    dot = (200, 211, 225)
    gx, gy, gw, gh = dlu(269, 7, 228, 171)
    preview = (gx + 6, gy + 18, gw - 12, gh - 24)
    accent_top, accent_bottom = (54, 96, 146), (34, 132, 150)

    rows = []
    for y in range(HEIGHT):
        row = []
        base = mix(top, bottom, y / (HEIGHT - 1))
        accent = mix(accent_top, accent_bottom, y / (HEIGHT - 1))
        for x in range(WIDTH):
            d = outside_corner(x, y)
            if d is not None and d > 0.5:
                row.append(KEY)
                continue
            colour = base
            # A thin band of colour down the right edge and along the bottom.
            if x >= WIDTH - 5 or y >= HEIGHT - 4:
                colour = accent
            elif in_rect(x, y, preview):
                colour = dot if (x - preview[0]) % 8 == 0 and (y - preview[1]) % 8 == 0 else stage
            if d is not None and d > -1.5 or x in (0, WIDTH - 1) or y in (0, HEIGHT - 1):
                colour = edge
            row.append(colour)
        rows.append(row)
    return rows


def write_bmp(path, rows):
    stride = (WIDTH * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "res", "BG.bmp")
    write_bmp(out, draw())


if __name__ == "__main__":
    main()
