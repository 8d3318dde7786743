#!/usr/bin/env python3
"""An independent reduction of 24-bit BMP pictures, to check Tramino's against.

    reduce_bmp.py IN.bmp WIDTH HEIGHT OUT.bmp     reduce one picture
    reduce_bmp.py --check TOOL WORKDIR            make test pictures, convert each with
                                                  TOOL IN.bmp WIDTH HEIGHT OUT.bmp and compare

Written from the description of the reduction alone: 12-bit shares per direction counted from
the bottom row and the left column, products of two shares summed per output pixel in 32 bits,
the result being the top byte of each sum. A share carried over that truncates to 0 ends the
output pixel without carrying anything.
"""
import os
import random
import struct
import subprocess
import sys


def weight_table(n, m):
    full = (m << 12) // n
    table = []
    d = 0
    for _ in range(n):
        e = d + m
        if e > n:
            carry = ((e - n) << 12) // n
            table.append((((n - d) << 12) // n, carry if carry > 0 else -1))
            d = e - n
        elif e == n:
            table.append((full, -1))
            d = 0
        else:
            table.append((full, 0))
            d = e
    return table


def read_bmp(path):
    """Returns (width, height, rows) with rows bottom-up, each a bytes of B, G, R triples."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    header_size, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if header_size < 40 or bits != 24 or compression != 0:
        raise ValueError(f"{path}: not an uncompressed 24-bit BMP ({bits} bits, compression {compression})")
    stride = (3 * width + 3) & ~3
    rows = [data[offset + y * stride: offset + y * stride + 3 * width] for y in range(abs(height))]
    if height < 0:
        rows.reverse()
    return width, abs(height), rows


def write_bmp(path, width, height, rows, top_down=False):
    stride = (3 * width + 3) & ~3
    pad = b"\0" * (stride - 3 * width)
    image = b"".join(row + pad for row in (reversed(rows) if top_down else rows))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, 24, 0, len(image),
                       2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + image)


def reduce_rows(width, height, rows, out_width, out_height):
    """Bottom-up rows in, bottom-up rows out."""
    wx_table = weight_table(width, out_width)
    wy_table = weight_table(height, out_height)
    # Share of every input pixel in each output pixel along one direction: (index, share) pairs.
    def spans(table):
        parts, j = [], 0
        for w, c in table:
            parts.append([(j, w)] + ([(j + 1, c)] if c > 0 else []))
            if c != 0:
                j += 1
        return parts
    x_parts, y_parts = spans(wx_table), spans(wy_table)
    sums = [[0] * (3 * out_width) for _ in range(out_height)]
    for y, row in enumerate(rows):
        for r, sy in y_parts[y]:
            out = sums[r]
            for x in range(width):
                b, g, red = row[3 * x], row[3 * x + 1], row[3 * x + 2]
                for j, sx in x_parts[x]:
                    s = sy * sx
                    out[3 * j] += s * b
                    out[3 * j + 1] += s * g
                    out[3 * j + 2] += s * red
    for out in sums:
        assert all(v < 1 << 32 for v in out), "a sum left 32 bits"
    return [bytes(v >> 24 for v in out) for out in sums]


def check(tool, workdir):
    cases = [  # width, height, panel width, panel height, top-down file
        (331, 251, 320, 240, False),
        (500, 390, 128, 96, True),
        (1023, 97, 96, 64, False),
        (4099, 66, 96, 64, False),
    ]
    rng = random.Random(2024)
    failures = 0
    for width, height, out_width, out_height, top_down in cases:
        name = f"{width}x{height}"
        source = os.path.join(workdir, f"source_{name}.bmp")
        converted = os.path.join(workdir, f"converted_{name}.bmp")
        rows = [bytes(rng.randrange(256) for _ in range(3 * width)) for _ in range(height)]
        write_bmp(source, width, height, rows, top_down)
        subprocess.run([tool, source, str(out_width), str(out_height), converted], check=True)
        got_width, got_height, got_rows = read_bmp(converted)
        expected = reduce_rows(width, height, rows, out_width, out_height)
        if (got_width, got_height) != (out_width, out_height):
            print(f"{name}: {got_width} x {got_height} instead of {out_width} x {out_height}")
            failures += 1
        elif got_rows != expected:
            y = next(i for i in range(out_height) if got_rows[i] != expected[i])
            x = next(i for i in range(3 * out_width) if got_rows[y][i] != expected[y][i]) // 3
            print(f"{name}: differs first at x {x}, row {y} from the bottom")
            failures += 1
        else:
            print(f"{name} -> {out_width}x{out_height}: identical")
    return failures


def main(argv):
    if len(argv) == 4 and argv[1] == "--check":
        os.makedirs(argv[3], exist_ok=True)
        return 1 if check(argv[2], argv[3]) else 0
    if len(argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    width, height, rows = read_bmp(argv[1])
    out_width, out_height = int(argv[2]), int(argv[3])
    write_bmp(argv[4], out_width, out_height, reduce_rows(width, height, rows, out_width, out_height))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
