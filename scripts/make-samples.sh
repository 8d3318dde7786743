#!/usr/bin/env bash
# Draws the sample pictures of res/samples: every file format and depth the import reads, some
# larger than the largest panel (320 x 240) and some smaller. Needs ImageMagick and python3
# (scripts/install-deps.sh). The results are committed; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")/.."
out=res/samples
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# Scenes, drawn from shapes and gradients only, so nothing depends on fonts or randomness.
# Each takes WxH and the output; X n and Y n give n per cent of the width and of the height.
X() { echo $((w * $1 / 100)); }
Y() { echo $((h * $1 / 100)); }
scene_dusk() {
  w=${1%x*} h=${1#*x}
  convert -size "$1" gradient:'#1c2a6b-#f2a65a' \
    -fill '#ffd970' -draw "circle $(X 62),$(Y 58) $(X 70),$(Y 58)" \
    -fill '#2d1e3a' -draw "polygon 0,$(Y 80) $(X 20),$(Y 62) $(X 42),$(Y 76) $(X 63),$(Y 58) $w,$(Y 74) $w,$h 0,$h" \
    -fill '#14101e' -draw "rectangle 0,$(Y 92) $w,$h" "$2"
}
scene_hills() {
  w=${1%x*} h=${1#*x}
  convert -size "$1" gradient:'#87c8f0-#e8f4fb' \
    -fill '#f7f3c0' -draw "circle $(X 20),$(Y 22) $(X 26),$(Y 22)" \
    -fill '#5d9b3c' -draw "ellipse $(X 25),$h $(X 45),$(Y 40) 180,360" \
    -fill '#3f7a2a' -draw "ellipse $(X 80),$h $(X 50),$(Y 32) 180,360" \
    -fill '#b5462e' -draw "rectangle $(X 58),$(Y 62) $(X 68),$(Y 74)" \
    -fill '#6b2a1a' -draw "polygon $(X 56),$(Y 62) $(X 63),$(Y 54) $(X 70),$(Y 62)" "$2"
}
scene_lake() {
  w=${1%x*} h=${1#*x}
  convert -size "$1" gradient:'#f6d6a8-#6fa0c8' \
    -fill '#3e5f7f' -draw "rectangle 0,$(Y 55) $w,$h" \
    -fill '#24384d' -draw "polygon 0,$(Y 55) $(X 30),$(Y 25) $(X 55),$(Y 55)" \
    -fill '#2e4760' -draw "polygon $(X 35),$(Y 55) $(X 70),$(Y 18) $w,$(Y 55)" \
    -fill '#fbeec9' -draw "ellipse $(X 50),$(Y 70) $(X 18),$(Y 2) 0,360" "$2"
}
scene_rings() {
  w=${1%x*} h=${1#*x}
  convert -size "$1" xc:'#fbf5e6' -fill none -strokewidth $(($(Y 5) + 1)) \
    -stroke '#d7263d' -draw "circle $(X 50),$(Y 50) $(X 50),$(Y 10)" \
    -stroke '#1b998b' -draw "circle $(X 50),$(Y 50) $(X 50),$(Y 22)" \
    -stroke '#2e294e' -draw "circle $(X 50),$(Y 50) $(X 50),$(Y 34)" \
    -stroke '#f46036' -draw "line 0,0 $w,$h" "$2"
}
scene_tiles() {
  w=${1%x*} h=${1#*x}
  convert -size "$1" pattern:checkerboard +level-colors '#264653,#e9c46a' \
    -fill '#e76f51' -draw "rectangle $(X 30),$(Y 30) $(X 70),$(Y 70)" "$2"
}

# Raw 8-bit RGB to a 16-bit BMP with 5-6-5 bit fields (ImageMagick 6 writes no 16-bit BMP).
write_bmp565() { # in.png out.bmp
  local size
  size=$(identify -format '%w %h' "$1")
  convert "$1" -depth 8 rgb:"$work/raw.rgb"
  python3 - "$work/raw.rgb" "$2" $size <<'EOF'
import struct, sys
raw, out, w, h = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
data = open(raw, 'rb').read()
stride = (w * 2 + 3) & ~3
rows = []
for y in range(h - 1, -1, -1):  # bottom-up
    row = bytearray()
    for x in range(w):
        r, g, b = data[(y * w + x) * 3:(y * w + x) * 3 + 3]
        row += struct.pack('<H', ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
    rows.append(bytes(row.ljust(stride, b'\0')))
pixels = b''.join(rows)
offset = 14 + 40 + 12
head = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 16, 3, len(pixels), 2835, 2835, 0, 0)
masks = struct.pack('<III', 0xF800, 0x07E0, 0x001F)
open(out, 'wb').write(head + info + masks + pixels)
EOF
}

scene_dusk 400x300 "$work/dusk-large.png"
scene_dusk 328x246 "$work/dusk.png"
scene_hills 640x480 "$work/hills.png"
scene_hills 120x90 "$work/hills-small.png"
scene_lake 480x360 "$work/lake.png"
scene_lake 330x250 "$work/lake-mid.png"
scene_rings 160x120 "$work/rings.png"
scene_rings 96x80 "$work/rings-small.png"
scene_tiles 200x150 "$work/tiles.png"
scene_tiles 400x300 "$work/tiles-large.png"

convert "$work/dusk-large.png" -colors 2 -type Palette -compress none BMP3:"$out/dusk-1bit.bmp"
convert "$work/rings.png" -colors 16 -type Palette -compress none BMP3:"$out/rings-4bit.bmp"
convert "$work/lake-mid.png" -colors 256 -type Palette -compress none BMP3:"$out/lake-8bit.bmp"
convert "$work/tiles.png" -colors 8 -type Palette -depth 8 -compress RLE BMP3:"$out/tiles-8bit-rle.bmp"
write_bmp565 "$work/hills-small.png" "$out/hills-16bit.bmp"
convert "$work/dusk.png" -type TrueColor -compress none BMP3:"$out/dusk-24bit.bmp"
convert "$work/rings-small.png" -alpha set -channel A -fx '0.5+0.5*i/w' +channel -define bmp3:alpha=true \
  BMP3:"$out/rings-32bit.bmp"
convert "$work/hills.png" -quality 85 -interlace none "$out/hills-baseline.jpg"
convert "$work/lake.png" -quality 85 -interlace JPEG "$out/lake-progressive.jpg"
convert "$work/hills-small.png" -colorspace Gray -quality 90 "$out/hills-grey.jpg"
convert "$work/tiles-large.png" -colors 32 -interlace GIF "$out/tiles-interlaced.gif"
convert "$work/rings-small.png" -colors 64 "$out/rings.gif"
# An animation: six frames whose hue turns, a fifth of a second each.
for hue in 100 133 166 200 33 66; do
  convert "$work/rings-small.png" -modulate 100,100,$hue "$work/spin-$hue.png"
done
convert -delay 20 -loop 0 "$work"/spin-{100,133,166,200,33,66}.png -colors 64 "$out/rings-animated.gif"

# Say what was made: every BMP's depth and compression, every file's size.
python3 - "$out" <<'EOF'
import os, struct, sys
folder = sys.argv[1]
total = 0
for name in sorted(os.listdir(folder)):
    path = os.path.join(folder, name)
    data = open(path, 'rb').read()
    total += len(data)
    what = ''
    if data[:2] == b'BM':
        w, h, _, bpp, comp = struct.unpack('<iiHHI', data[18:34])
        what = f'{w}x{abs(h)} {bpp}-bit compression {comp}'
    print(f'{name:24} {len(data):7} bytes  {what}')
print(f'{"total":24} {total:7} bytes')
EOF
