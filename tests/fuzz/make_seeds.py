#!/usr/bin/env python3
"""Writes the small seed inputs of the fuzz targets into tests/fuzz/seeds/<target>/: tiny
pictures of every BMP layout, GIF, JPEG and PNG variant the decoders handle, settings and language
files in each encoding, and show files of every transition for a 16 x 8 panel. Each seed stays
a few KiB at most, so that the fuzzer mutates structure rather than pixels. JPEG seeds need
cjpeg (libjpeg-turbo-progs)."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "show"))
import make_show_files  # noqa: E402  (the independent writer of the show tests)


def write(target, name, data):
    folder = os.path.join(HERE, "seeds", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def colour(x, y):
    return ((x * 37) % 256, (y * 53) % 256, ((x + y) * 19) % 256)


# --- BMP -----------------------------------------------------------------------------------

def palette(count):
    return [colour(i, 3 * i) for i in range(count)]


def pack_rows(w, h, bits, pixel):
    """Stored rows bottom-up; pixel(x, y) gives an index (<= 8 bits) or an int of `bits` bits."""
    stride = (w * bits + 31) // 32 * 4
    out = bytearray()
    for y in reversed(range(h)):
        row = bytearray()
        if bits < 8:
            acc, n = 0, 0
            for x in range(w):
                acc = acc << bits | pixel(x, y)
                n += bits
                if n == 8:
                    row.append(acc)
                    acc, n = 0, 0
            if n:
                row.append(acc << (8 - n))
        else:
            for x in range(w):
                row += pixel(x, y).to_bytes(bits // 8, "little")
        out += row + bytes(stride - len(row))
    return bytes(out)


def bmp(w, h, bits, data, compression=0, header=40, pal=None, masks=None, topdown=False):
    if header == 12:
        info = struct.pack("<IHHHH", 12, w, h, 1, bits)
        table = b"".join(bytes((b, g, r)) for r, g, b in (pal or []))
    else:
        info = struct.pack("<IiiHHIIiiII", header, w, -h if topdown else h, 1, bits, compression,
                           len(data), 2835, 2835, len(pal or []), 0)
        if header == 16:
            info = info[:16]
        extra = b""
        if masks and header >= 52:
            extra = b"".join(struct.pack("<I", m) for m in masks)
        info = (info + extra).ljust(header, b"\0")
        if header >= 108:
            info = info[:56] + b"BGRs" + info[60:]
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in (pal or []))
        if masks and header == 40:
            table = b"".join(struct.pack("<I", m) for m in masks) + table
    offset = 14 + len(info) + len(table)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + table + data


def rle8(w, h, index):
    out = bytearray()
    for y in reversed(range(h)):
        x = 0
        while x < w:
            run = 1
            while x + run < w and run < 255 and index(x + run, y) == index(x, y):
                run += 1
            out += bytes((run, index(x, y)))
            x += run
        out += b"\0\0"
    return bytes(out + b"\0\1")


def make_bmp():
    w, h = 12, 7
    idx = lambda n: (lambda x, y: (x // 2 + y) % n)  # noqa: E731
    for bits in (1, 2, 4, 8):
        n = 1 << bits
        write("picture_bmp", "pal%d.bmp" % bits, bmp(w, h, bits, pack_rows(w, h, bits, idx(n)), pal=palette(n)))
    write("picture_bmp", "pal8-short-palette.bmp", bmp(w, h, 8, pack_rows(w, h, 8, idx(16)), pal=palette(5)))
    write("picture_bmp", "pal8-topdown.bmp",
          bmp(w, h, 8, pack_rows(w, h, 8, idx(16)), pal=palette(16), topdown=True))
    write("picture_bmp", "pal4-os2.bmp", bmp(w, h, 4, pack_rows(w, h, 4, idx(16)), header=12, pal=palette(16)))
    rgb = lambda x, y: colour(x, y)  # noqa: E731
    write("picture_bmp", "rgb24.bmp",
          bmp(w, h, 24, pack_rows(w, h, 24, lambda x, y: int.from_bytes(bytes(rgb(x, y)[::-1]), "little"))))
    write("picture_bmp", "rgb24-v5.bmp",
          bmp(w, h, 24, pack_rows(w, h, 24, lambda x, y: (x * 999 + y * 77) & 0xFFFFFF), header=124))
    write("picture_bmp", "rgb16-555.bmp", bmp(w, h, 16, pack_rows(w, h, 16, lambda x, y: (x * 331 + y) & 0x7FFF)))
    write("picture_bmp", "rgb16-565.bmp",
          bmp(w, h, 16, pack_rows(w, h, 16, lambda x, y: (x * 1331 + y * 7) & 0xFFFF), compression=3,
              masks=[0xF800, 0x07E0, 0x001F]))
    write("picture_bmp", "rgba16-4444-v4.bmp",
          bmp(w, h, 16, pack_rows(w, h, 16, lambda x, y: (x * 4099 + y) & 0xFFFF), compression=3, header=108,
              masks=[0x0F00, 0x00F0, 0x000F, 0xF000]))
    write("picture_bmp", "rgb32.bmp", bmp(w, h, 32, pack_rows(w, h, 32, lambda x, y: x * 0x10203 + y * 0x70000)))
    write("picture_bmp", "rgba32-alphabitfields.bmp",
          bmp(w, h, 32, pack_rows(w, h, 32, lambda x, y: (x * 0x1020304 + y) & 0xFFFFFFFF), compression=6,
              masks=[0xFF0000, 0xFF00, 0xFF, 0xFF000000]))
    write("picture_bmp", "rgb32-101010.bmp",
          bmp(w, h, 32, pack_rows(w, h, 32, lambda x, y: x * 0x100401 + y), compression=3, header=56,
              masks=[0x3FF00000, 0x000FFC00, 0x000003FF, 0]))
    write("picture_bmp", "pal8-rle.bmp", bmp(w, h, 8, rle8(w, h, idx(16)), compression=1, pal=palette(16)))
    # Delta, absolute run, early end of bitmap.
    rle = bytes((3, 1, 0, 2, 2, 1, 0, 4, 5, 6, 7, 8, 0, 0, 0, 3, 9, 10, 11, 0, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1))
    write("picture_bmp", "pal8-rle-escapes.bmp", bmp(w, h, 8, rle, compression=1, pal=palette(16)))
    rle4 = bytes((5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 0, 1, 7, 0xAB, 0, 1))
    write("picture_bmp", "pal4-rle.bmp", bmp(w, h, 4, rle4, compression=2, pal=palette(16)))


# --- GIF -----------------------------------------------------------------------------------

def lzw(indices, min_size):
    """Literal codes only, with a clear code before the code width would grow."""
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    width = min_size + 1
    codes = [clear]
    since = 0
    for i in indices:
        if since == (1 << width) - clear - 3:
            codes.append(clear)
            since = 0
        codes.append(i)
        since += 1
    codes.append(eoi)
    out, acc, n = bytearray(), 0, 0
    for c in codes:
        acc |= c << n
        n += width
        while n >= 8:
            out.append(acc & 255)
            acc >>= 8
            n -= 8
    if n:
        out.append(acc)
    blocks = bytearray((min_size,))
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes((len(chunk),)) + chunk
    return bytes(blocks + b"\0")


def colour_table(n):
    return b"".join(bytes(c) for c in palette(n))


def gif(sw, sh, images, version=b"GIF89a", global_bits=3, extensions=b""):
    out = bytearray(version + struct.pack("<HHBBB", sw, sh, 0x80 | (global_bits - 1), 1, 0))
    out += colour_table(1 << global_bits) + extensions
    for left, top, w, h, interlace, local_bits in images:
        flags = (0x40 if interlace else 0) | ((0x80 | (local_bits - 1)) if local_bits else 0)
        out += b"\x2c" + struct.pack("<HHHHB", left, top, w, h, flags)
        if local_bits:
            out += colour_table(1 << local_bits)
        out += lzw([(x + 2 * y) % 8 for y in range(h) for x in range(w)], 3)
    return bytes(out + b"\x3b")


def make_gif():
    loop = b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    control = b"\x21\xf9\x04\x04\x0a\x00\x02\x00"
    comment = b"\x21\xfe\x05hello\x00"
    write("picture_gif", "plain.gif", gif(10, 6, [(0, 0, 10, 6, False, 0)], version=b"GIF87a"))
    write("picture_gif", "interlaced.gif", gif(9, 11, [(0, 0, 9, 11, True, 0)]))
    write("picture_gif", "offset-local-table.gif", gif(12, 8, [(3, 2, 6, 5, False, 3)], extensions=control))
    write("picture_gif", "beyond-screen.gif", gif(4, 4, [(2, 1, 6, 5, False, 0)], extensions=comment))
    write("picture_gif", "animated.gif",
          gif(8, 8, [(0, 0, 8, 8, False, 0), (2, 2, 4, 4, False, 3)], extensions=loop + control))
    # No colour table at all, 1-bit code size image data.
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", 5, 3, 0, 0, 0))
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, 5, 3, 0) + lzw([(x + y) % 8 for y in range(3) for x in range(5)], 3)
    write("picture_gif", "no-colour-table.gif", bytes(out + b"\x3b"))


# --- PNG -----------------------------------------------------------------------------------

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
# Adam7: first column, first row, column step, row step of each pass.
ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(w, h, colour_type, depth, samples, plte=None, trns=None, interlace=False):
    """samples(x, y) gives the tuple of channel values of a pixel at the file's depth."""
    def scanline(xs, y):
        values = [v for x in xs for v in samples(x, y)]
        if depth == 16:
            return b"\0" + b"".join(struct.pack(">H", v) for v in values)
        if depth == 8:
            return b"\0" + bytes(values)
        acc, n, out = 0, 0, bytearray(b"\0")
        for v in values:
            acc, n = acc << depth | v, n + depth
            if n == 8:
                out.append(acc)
                acc, n = 0, 0
        if n:
            out.append(acc << (8 - n))
        return bytes(out)

    passes = ADAM7 if interlace else ((0, 0, 1, 1),)
    raw = b""
    for x0, y0, dx, dy in passes:
        xs = range(x0, w, dx)
        if len(xs):
            raw += b"".join(scanline(xs, y) for y in range(y0, h, dy))
    out = b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, colour_type, 0, 0,
                                                                       1 if interlace else 0))
    if plte:
        out += png_chunk(b"PLTE", b"".join(bytes(c) for c in plte))
    if trns is not None:
        out += png_chunk(b"tRNS", trns)
    return out + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b"")


def make_png():
    w, h = 7, 5
    grey = lambda bits: lambda x, y: ((x * 3 + y * 5) % (1 << bits),)  # noqa: E731
    write("picture_png", "grey1.png", png(w, h, 0, 1, grey(1)))
    write("picture_png", "grey4-trns.png", png(w, h, 0, 4, grey(4), trns=struct.pack(">H", 3)))
    write("picture_png", "grey16.png", png(w, h, 0, 16, lambda x, y: (x * 9001 + y * 333,)))
    write("picture_png", "pal2-trns.png", png(w, h, 3, 2, grey(2), plte=palette(4), trns=b"\x00\x80"))
    write("picture_png", "pal8-interlaced.png", png(w, h, 3, 8, lambda x, y: (x * h + y,), plte=palette(35),
                                                    interlace=True))
    write("picture_png", "ga8.png", png(w, h, 4, 8, lambda x, y: (x * 30, y * 60)))
    write("picture_png", "rgb8-trns.png", png(w, h, 2, 8, colour, trns=struct.pack(">HHH", *colour(1, 1))))
    write("picture_png", "rgba16-interlaced.png",
          png(w, h, 6, 16, lambda x, y: (x * 9000, y * 13000, 500, x * y * 2700), interlace=True))


# --- JPEG ----------------------------------------------------------------------------------

def make_jpeg():
    cjpeg = shutil.which("cjpeg")
    if not cjpeg:
        print("cjpeg not found: JPEG seeds not written", file=sys.stderr)
        return
    w, h = 19, 13
    ppm = b"P6 %d %d 255\n" % (w, h) + b"".join(bytes(colour(x, y)) for y in range(h) for x in range(w))
    pgm = b"P5 %d %d 255\n" % (w, h) + bytes((x * 13 + y * 7) % 256 for y in range(h) for x in range(w))
    variants = {
        "baseline.jpg": (ppm, ["-quality", "50"]),
        "progressive.jpg": (ppm, ["-progressive"]),
        "restarts.jpg": (ppm, ["-restart", "1B"]),
        "arithmetic.jpg": (ppm, ["-arithmetic"]),
        "h1v1.jpg": (ppm, ["-sample", "1x1", "-optimize"]),
        "h2v1.jpg": (ppm, ["-sample", "2x1"]),
        "rgb.jpg": (ppm, ["-rgb"]),
        "grey.jpg": (pgm, []),
        "grey-progressive.jpg": (pgm, ["-progressive"]),
    }
    with tempfile.TemporaryDirectory() as tmp:
        for name, (data, args) in variants.items():
            src = os.path.join(tmp, "in.pnm")
            with open(src, "wb") as f:
                f.write(data)
            out = subprocess.run([cjpeg, *args, src], check=True, capture_output=True).stdout
            write("picture_jpeg", name, out)


# --- Small files that claim huge pictures: refused before anything of that size is allocated --

def make_claims():
    w, h = 65535, 4096
    claim = bytearray(bmp(2, 2, 24, bytes(16)))
    claim[18:26] = struct.pack("<ii", w, h)
    write("picture_bmp", "claims-65535x4096.bmp", bytes(claim))
    claim = bytearray(bmp(2, 2, 8, bytes((0, 1)), compression=1, pal=palette(4)))
    claim[18:26] = struct.pack("<ii", w, h)
    write("picture_bmp", "rle8-claims-65535x4096.bmp", bytes(claim))
    claim = bytearray(gif(1, 1, [(0, 0, 1, 1, False, 0)]))
    claim[6:10] = struct.pack("<HH", w, h)
    write("picture_gif", "screen-claims-65535x4096.gif", bytes(claim))
    claim = bytearray(gif(1, 1, [(0, 0, 1, 1, False, 0)]))
    at = claim.index(b"\x2c")
    claim[at + 1:at + 9] = struct.pack("<HHHH", 0, 0, w, h)
    write("picture_gif", "image-claims-65535x4096.gif", bytes(claim))
    claim = png(1, 1, 2, 8, lambda x, y: (1, 2, 3))
    ihdr = png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    write("picture_png", "claims-65535x4096.png", claim[:8] + ihdr + claim[8 + len(ihdr):])
    folder = os.path.join(HERE, "seeds", "picture_jpeg")
    for name, marker in (("baseline.jpg", b"\xff\xc0"), ("progressive.jpg", b"\xff\xc2")):
        if not os.path.exists(os.path.join(folder, name)):
            continue
        with open(os.path.join(folder, name), "rb") as f:
            claim = bytearray(f.read())
        at = claim.index(marker)
        claim[at + 5:at + 9] = struct.pack(">HH", 4096, 65500)
        write("picture_jpeg", name.replace(".jpg", "-claims-65500x4096.jpg"), bytes(claim))


# --- JPEG photos turned by their EXIF orientation, in both byte orders ----------------------

def exif_segment(orientation, order):
    fmt = "<" if order == b"II" else ">"
    tiff = order + struct.pack(fmt + "HI", 42, 8) + struct.pack(fmt + "H", 1)
    tiff += struct.pack(fmt + "HHIHH", 0x0112, 3, 1, orientation, 0) + struct.pack(fmt + "I", 0)
    payload = b"Exif\0\0" + tiff
    return b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload


def make_exif():
    path = os.path.join(HERE, "seeds", "picture_jpeg", "baseline.jpg")
    if not os.path.exists(path):
        return
    with open(path, "rb") as f:
        jpeg = f.read()
    for orientation, order in ((3, b"MM"), (6, b"II"), (7, b"MM")):
        write("picture_jpeg", "exif-orientation-%d.jpg" % orientation,
              jpeg[:2] + exif_segment(orientation, order) + jpeg[2:])


# --- Settings and language files ------------------------------------------------------------

def make_text():
    write("vendale_ini", "plain.ini", b"LanguageSelection = 1\r\nPanelSize = 3\r\nPanelType = 0\r\n")
    write("vendale_ini", "reordered.ini", b"\nPanelSize=9\nLanguageSelection=2\n\nPanelType\nPanelSize=4\n")
    write("vendale_ini", "one-line.ini", b"LanguageSelection PanelSize = 7 PanelType")
    write("vendale_ini", "long-line.ini", b"x" * 300 + b"PanelSize = 5\n" + b"LanguageSelection=-2147483649\n")
    lang = "".join("[%s]\r\n" % s + "".join("TEXT%d=%s %d\r\n" % (i, s, i) for i in range(20))
                   for s in ("English", "TraditionalChinese", "SimplifiedChinese"))
    write("lang_file", "utf8.txt", lang.encode())
    write("lang_file", "utf8-bom.txt", b"\xef\xbb\xbf" + "[English]\nTEXT0 = \"Load\"\n; c\nTEXT1=載入\n".encode())
    write("lang_file", "utf16le.txt", "\ufeff[SimplifiedChinese]\r\nTEXT5=转换 😀\r\n".encode("utf-16-le"))
    write("lang_file", "utf16be.txt", "\ufeff[TraditionalChinese]\nText3=預覽\n[English]\n".encode("utf-16-be"))
    write("lang_file", "odd.txt", b"[English\nTEXT0=a\x00b\n[ english ]\ntext0=" + b"v" * 300 + b"\n\xff\xfe")


def make_show():
    for name in make_show_files.NAMES:
        file_name = name.replace("(", "-").replace(")", "").replace(" ", "-").lower() + ".qrv"
        write("show_file", file_name, make_show_files.show_file(name, 16, 8, pictures=2))
    write("show_file", "empty-show.qrv", b"NUVQRV" + bytes(26) + b"\xff\xf8")


def main():
    shutil.rmtree(os.path.join(HERE, "seeds"), ignore_errors=True)
    make_bmp()
    make_gif()
    make_jpeg()
    make_png()
    make_claims()
    make_exif()
    make_text()
    make_show()


if __name__ == "__main__":
    main()
