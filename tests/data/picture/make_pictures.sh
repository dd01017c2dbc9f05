#!/usr/bin/env bash
# Makes the pictures the picture reader's tests read, in the folder given, and
# for each one the picture as another decoder sees it:
#   NAME.rgba16      ImageMagick's decode, 16 bits per channel (most significant
#                    byte first), alpha set; the tests reduce it to 8 bits with
#                    rounding, as ImageMagick does when it writes 8-bit files
#   NAME.over.rgb16  the same composited over #3366CC
#   NAME.ppm         djpeg's decode of a JPEG
# PNG files come from make_pictures.py, BMP files from ImageMagick, JPEG files
# from cjpeg (and some damaged on purpose). Needs Python 3, ImageMagick 6 and
# libjpeg-turbo's programs; the tests run it in their set-up.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out=${1:?output folder}
cd "$out"
python3 "$here/make_pictures.py" .

# 16-bit BMP layouts, with and without an alpha bit; 32 bits with alpha.
convert png_rgb8.png -define bmp:subtype=RGB555 bmp_rgb555.bmp
convert png_rgb8.png -define bmp:subtype=RGB565 bmp_rgb565.bmp
convert png_rgba8.png -define bmp:subtype=ARGB4444 bmp_argb4444.bmp
convert png_rgba8.png -define bmp:subtype=ARGB1555 bmp_argb1555.bmp
convert png_rgba8.png BMP:bmp_bgra32.bmp
convert png_palette4.png -type Palette BMP3:bmp_pal4.bmp

for picture in png_*.png bmp_*.bmp; do
  convert "$picture" -alpha set -depth 16 -endian MSB "rgba:$picture.rgba16"
  convert "$picture" -colorspace sRGB -type TrueColorAlpha -background '#3366CC' -alpha remove -alpha off -depth 16 -endian MSB "rgb:$picture.over.rgb16"
done

# JPEG: baseline 4:2:0, progressive 4:4:4, grey; each decoded by djpeg.
convert png_rgb8.png -resize 400% ppm:jpeg_source.ppm
cjpeg -quality 85 -outfile jpeg_baseline.jpg jpeg_source.ppm
cjpeg -quality 92 -progressive -sample 1x1 -outfile jpeg_progressive.jpg jpeg_source.ppm
cjpeg -quality 80 -grayscale -outfile jpeg_grey.jpg jpeg_source.ppm
python3 - <<'PY'
import struct

data = open('jpeg_baseline.jpg', 'rb').read()
assert data[2:4] == b'\xff\xe0' and data[6:11] == b'JFIF\0'
# JFIF revision 2.01: libjpeg warns that it does not know it, then decodes as usual.
open('jpeg_jfif2.jpg', 'wb').write(data[:11] + b'\x02\x01' + data[13:])
# Stray bytes between the APP0 segment and the next marker.
app0_end = 4 + struct.unpack('>H', data[4:6])[0]
open('jpeg_stray_bytes.jpg', 'wb').write(data[:app0_end] + b'\x00\x13\x37' + data[app0_end:])
# An Adobe segment naming a colour transform libjpeg does not know.
adobe = b'\xff\xee\x00\x0eAdobe\x00\x64\x00\x00\x00\x00\x07'
open('jpeg_adobe_unknown.jpg', 'wb').write(data[:2] + adobe + data[app0_end:])  # in place of JFIF's segment
# Lost data: the stream cut short, and entropy-coded data overwritten.
open('jpeg_truncated.jpg', 'wb').write(data[:len(data) * 2 // 3])
scan = data.index(b'\xff\xda')
damaged = bytearray(data)
for i in range(scan + 40, len(data) - 200, 97):
    if damaged[i] != 0xFF and damaged[i] ^ 0x5A != 0xFF:
        damaged[i] ^= 0x5A  # no new markers: libjpeg only warns, then fills in
open('jpeg_corrupt.jpg', 'wb').write(bytes(damaged))
PY
for picture in jpeg_baseline jpeg_progressive jpeg_grey jpeg_jfif2 jpeg_stray_bytes jpeg_adobe_unknown; do
  djpeg -rgb -pnm -outfile "$picture.jpg.ppm" "$picture.jpg" 2>/dev/null || [ $? -eq 2 ]  # 2: decoded with warnings
done
