#!/usr/bin/env python3
"""Makes pictures and what they must decode to, from independent references, for the codec tests.

    make_references.py OUTDIR

PNG files of every colour type and depth, plain and interlaced, each with the picture expected
over BACKGROUND: the pixels the file holds (16-bit values as round(v / 257)), checked against
ImageMagick's reading of the file, composited by Pillow's alpha_composite. GIF animations that
use every disposal method, transparency, local colour tables, interlace and frames offset and
beyond the screen, each with its frames as ImageMagick's -coalesce composes them, flattened on
BACKGROUND. OUTDIR/manifest.txt lists them:

    background R G B
    png NAME WIDTH HEIGHT 1          expected picture in NAME.0.rgb (packed RGB, top-down)
    gif NAME WIDTH HEIGHT FRAMES     frame K expected in NAME.K.rgb

Exits with 77 when Pillow or ImageMagick is missing.
"""
import os
import shutil
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "fuzz"))
from make_seeds import lzw, png  # noqa: E402  (the seeds' own writers)

try:
    from PIL import Image
except ImportError:
    print("Pillow is missing", file=sys.stderr)
    sys.exit(77)

BACKGROUND = (30, 140, 220)
W, H = 13, 11  # odd, so that packed rows end mid-byte and interlace passes are ragged


def sample(bits, x, y, c):
    return (x * 977 + y * 3089 + c * 12343 + x * y * 131) % (1 << bits)


def to16(v, bits):
    return v * 65535 // ((1 << bits) - 1)


def colour(i):
    return ((i * 37) % 256, (i * 91 + 40) % 256, (i * 53 + 7) % 256)


def png_case(colour_type, bits, trns):
    """The file, and the RGBA of every pixel in 16 bits as the file means it."""
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour_type]
    samples = lambda x, y: tuple(sample(bits, x, y, c) for c in range(channels))  # noqa: E731
    plte, trns_bytes, key = None, None, samples(2, 1)
    if colour_type == 3:
        plte = [colour(i) for i in range(1 << bits)]
        alphas = [(i * 71) % 256 for i in range(max(1, (1 << bits) * 3 // 4))]  # shorter than the palette
        trns_bytes = bytes(alphas)
    elif trns:
        trns_bytes = b"".join(struct.pack(">H", v) for v in key)

    def rgba16(x, y):
        s = samples(x, y)
        if colour_type == 3:
            a = alphas[s[0]] if s[0] < len(alphas) else 255
            return tuple(v * 257 for v in plte[s[0]]) + (a * 257,)
        v = [to16(c, bits) for c in s]
        if colour_type in (0, 4):
            v = [v[0]] * 3 + v[1:]
        if colour_type in (0, 2):
            v.append(0 if trns and s == key else 65535)
        return tuple(v)

    return trns_bytes, plte, samples, rgba16


def imagemagick_rgba16(path):
    out = subprocess.run(["convert", path, "-depth", "16", "-endian", "MSB", "rgba:-"], check=True, capture_output=True).stdout
    return [struct.unpack(">4H", out[i:i + 8]) for i in range(0, len(out), 8)]


def make_pngs(out, manifest):
    types = [("grey", 0, b) for b in (1, 2, 4, 8, 16)] + [("rgb", 2, 8), ("rgb", 2, 16)]
    types += [("pal", 3, b) for b in (1, 2, 4, 8)] + [("ga", 4, 8), ("ga", 4, 16), ("rgba", 6, 8), ("rgba", 6, 16)]
    cases = [(n, t, b, False) for n, t, b in types] + [("grey", 0, 8, True), ("grey", 0, 16, True),
                                                       ("rgb", 2, 8, True), ("rgb", 2, 16, True)]
    for kind, colour_type, bits, trns in cases:
        trns_bytes, plte, samples, rgba16 = png_case(colour_type, bits, trns)
        for interlace in (False, True):
            name = "%s%d%s%s.png" % (kind, bits, "-trns" if trns else "", "-interlaced" if interlace else "")
            path = os.path.join(out, name)
            with open(path, "wb") as f:
                f.write(png(W, H, colour_type, bits, samples, plte=plte, trns=trns_bytes, interlace=interlace))
            truth = [rgba16(x, y) for y in range(H) for x in range(W)]
            if imagemagick_rgba16(path) != truth:
                sys.exit("%s: ImageMagick reads other pixels than were written" % name)
            picture = Image.frombytes("RGBA", (W, H), bytes((v + 128) // 257 for p in truth for v in p))
            flat = Image.alpha_composite(Image.new("RGBA", (W, H), BACKGROUND + (255,)), picture)
            with open(os.path.join(out, name + ".0.rgb"), "wb") as f:
                f.write(flat.convert("RGB").tobytes())
            manifest.append("png %s %d %d 1" % (name, W, H))


def table_bits(n):
    return max(1, (n - 1).bit_length())


def colour_table(colours):
    bits = table_bits(len(colours))
    return bits, b"".join(bytes(c) for c in colours) + bytes(3 * ((1 << bits) - len(colours)))


def gif(sw, sh, colours, frames):
    """frames: (left, top, w, h, disposal or None for no control block, transparent index or None,
    local colours or None, interlaced, pixel(x, y) -> index)."""
    bits, table = colour_table(colours)
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", sw, sh, 0x80 | (bits - 1), 2, 0) + table)
    out += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    for left, top, w, h, disposal, transparent, local, interlace, pixel in frames:
        if disposal is not None:
            packed = disposal << 2 | (transparent is not None)
            out += b"\x21\xf9\x04" + struct.pack("<BHB", packed, 10, transparent or 0) + b"\x00"
        flags, code_bits = 0x40 if interlace else 0, bits
        out += b"\x2c"
        if local:
            code_bits, local_table = colour_table(local)
            flags |= 0x80 | (code_bits - 1)
        out += struct.pack("<HHHHB", left, top, w, h, flags) + (local_table if local else b"")
        rows = list(range(h))
        if interlace:
            rows = rows[0::8] + rows[4::8] + rows[2::4] + rows[1::2]
        out += lzw([pixel(x, y) for y in rows for x in range(w)], max(2, code_bits))
    return bytes(out + b"\x3b")


def make_gifs(out, manifest):
    colours = [colour(i) for i in range(8)]
    local = [colour(100 + i) for i in range(5)]
    pattern = lambda n, k: lambda x, y: (x + 2 * y + k) % n  # noqa: E731
    files = {
        # Each disposal after a full first frame; a local table, interlace, a frame beyond the screen.
        "disposals.gif": gif(16, 12, colours, [
            (0, 0, 16, 12, 1, None, None, False, pattern(8, 0)),
            (3, 2, 6, 5, 2, 0, None, False, pattern(8, 1)),
            (8, 5, 7, 6, 3, 3, local, True, pattern(5, 2)),
            (10, 8, 9, 6, 0, 1, None, False, pattern(8, 3)),
            (0, 0, 4, 4, 1, None, None, False, pattern(8, 4)),
            (1, 1, 14, 10, None, None, None, True, pattern(8, 5)),
        ]),
        # A first frame smaller than the screen and transparent in places, which restores the bare screen.
        "sparse.gif": gif(10, 8, colours, [
            (2, 1, 5, 4, 3, 0, None, False, pattern(4, 0)),
            (1, 1, 6, 6, 2, 2, local, False, pattern(5, 1)),
            (0, 3, 10, 2, 1, 1, None, True, pattern(3, 2)),
            (4, 0, 3, 8, 0, 7, None, False, pattern(8, 3)),
        ]),
    }
    background = "#%02x%02x%02x" % BACKGROUND
    for name, data in files.items():
        path = os.path.join(out, name)
        with open(path, "wb") as f:
            f.write(data)
        subprocess.run(["convert", path, "-coalesce", "-background", background, "-alpha", "remove",
                        "-alpha", "off", "-depth", "8", "+adjoin", os.path.join("rgb:" + out, name + ".%d.rgb")],
                       check=True)
        frames = len([f for f in os.listdir(out) if f.startswith(name + ".")])
        sw, sh = struct.unpack("<HH", data[6:10])
        manifest.append("gif %s %d %d %d" % (name, sw, sh, frames))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    if not shutil.which("convert"):
        print("ImageMagick is missing", file=sys.stderr)
        sys.exit(77)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    manifest = ["background %d %d %d" % BACKGROUND]
    make_pngs(out, manifest)
    make_gifs(out, manifest)
    with open(os.path.join(out, "manifest.txt"), "w") as f:
        f.write("\n".join(manifest) + "\n")


if __name__ == "__main__":
    main()
