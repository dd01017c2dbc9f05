#!/usr/bin/env bash
# Makes the BMP files the tolerant reader's tests read, with the writers people
# actually use, and a raw PPM reference picture for each. Run it from anywhere;
# it writes into its own folder. Needs ImageMagick 6 (convert) and Pillow.
# Made with ImageMagick 6.9.11-60 and Pillow 9.4.0 (Debian 12); the files are
# committed, so the build never runs this.
set -euo pipefail
cd "$(dirname "$0")"
python=${PYTHON:-python3}

# Reference pictures (13 x 7, an odd width on purpose), Pillow's files, and the
# run-length files only a hand-written encoder makes: RLE4, RLE8 with absolute runs.
"$python" - <<'PY'
import struct
from PIL import Image

W, H = 13, 7
colours16 = [(0, 0, 0), (255, 255, 255), (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0),
             (0, 255, 255), (255, 0, 255), (128, 0, 0), (0, 128, 0), (0, 0, 128), (128, 128, 0),
             (0, 128, 128), (128, 0, 128), (192, 192, 192), (128, 128, 128)]
colours40 = [((i * 37) % 256, (i * 91 + 20) % 256, (i * 53 + 200) % 256) for i in range(40)]

def indices(count, pattern):
    return [[pattern(x, y) % count for x in range(W)] for y in range(H)]

# Runs, single pixels and literal stretches of odd and even length.
idx16 = indices(16, lambda x, y: x // 2 + y * 3 + (x * y) % 3)
idx40 = indices(40, lambda x, y: x // 3 + y * 7 if y % 2 else x * (y + 1))
idx2 = indices(2, lambda x, y: (x // 3 + y) % 2 if y != 3 else x % 2)
grey16 = [(v, v, v) for v in range(0, 256, 17)]

def write_ppm(name, idx, colours):
    data = bytes(c for row in idx for i in row for c in colours[i])
    open(name, 'wb').write(b'P6\n%d %d\n255\n' % (W, H) + data)

write_ppm('ref_colour.ppm', idx16, colours16)
write_ppm('ref_many.ppm', idx40, colours40)
write_ppm('ref_mono.ppm', idx2, [(0, 0, 0), (255, 255, 255)])
write_ppm('ref_grey.ppm', idx16, grey16)

def pillow(idx, colours, mode):
    image = Image.new('P', (W, H))
    image.putpalette([c for rgb in colours for c in rgb])
    image.putdata([i for row in idx for i in row])
    return image.convert(mode) if mode != 'P' else image

pillow(idx2, [(0, 0, 0), (255, 255, 255)], '1').save('pil_mono.bmp')
pillow(idx16, colours16, 'P').save('pil_pal8.bmp')
pillow(idx16, grey16, 'L').save('pil_grey8.bmp')
pillow(idx16, colours16, 'RGB').save('pil_rgb24.bmp')
pillow(idx16, colours16, 'RGBA').save('pil_rgba32.bmp')

def rle8_row(row):
    out, x = b'', 0
    while x < len(row):
        run = 1
        while x + run < len(row) and row[x + run] == row[x] and run < 255:
            run += 1
        if run >= 2:
            out += bytes([run, row[x]])
            x += run
            continue
        end = x + 1
        while end < len(row) and (end + 1 >= len(row) or row[end + 1] != row[end]):
            end += 1
        literal = row[x:end]
        if len(literal) >= 3:
            out += bytes([0, len(literal)]) + bytes(literal) + (b'\0' if len(literal) % 2 else b'')
        else:
            out += b''.join(bytes([1, p]) for p in literal)
        x = end
    return out + b'\0\0'

def rle4_row(row):
    # Encoded runs of one colour; stretches of others as absolute runs, so that
    # odd pixel counts and padded odd byte counts both occur.
    out, x = b'', 0
    while x < len(row):
        run = 1
        while x + run < len(row) and row[x + run] == row[x]:
            run += 1
        if run >= 2 or x + 1 == len(row):
            out += bytes([run, row[x] << 4 | row[x]])
            x += run
            continue
        end = x + 1
        while end < len(row) and (end + 1 >= len(row) or row[end + 1] != row[end]):
            end += 1
        literal = row[x:end]
        if len(literal) < 3:
            out += b''.join(bytes([1, p << 4]) for p in literal)
        else:
            packed = bytes((literal[i] << 4) | (literal[i + 1] if i + 1 < len(literal) else 0)
                           for i in range(0, len(literal), 2))
            out += bytes([0, len(literal)]) + packed + (b'\0' if len(packed) % 2 else b'')
        x = end
    return out + b'\0\0'

def bmp(header_bytes, bits, compression, colours, pixels, height):
    table = b''.join(bytes([b, g, r, 0]) for r, g, b in colours)
    header = struct.pack('<IiiHHIIiiII', 40, W, height, 1, bits, compression, len(pixels), 2835, 2835,
                         len(colours), 0)
    off = 14 + len(header) + len(table)
    return b'BM' + struct.pack('<IHHI', off + len(pixels), 0, 0, off) + header + table + pixels

bottom_up = lambda idx: idx[::-1]
stream8 = b''.join(rle8_row(r) for r in bottom_up(idx40)) + b'\0\1'
open('hand_rle8.bmp', 'wb').write(bmp(40, 8, 1, colours40, stream8, H))
stream4 = b''.join(rle4_row(r) for r in bottom_up(idx16)) + b'\0\1'
open('hand_rle4.bmp', 'wb').write(bmp(40, 4, 2, colours16, stream4, H))
stream4_top = b''.join(rle4_row(r) for r in idx16) + b'\0\1'
open('hand_topdown_rle4.bmp', 'wb').write(bmp(40, 4, 2, colours16, stream4_top, -H))
PY

convert ref_colour.ppm -type TrueColor BMP:im_v5_rgb24.bmp
convert ref_colour.ppm -alpha on -type TrueColorAlpha BMP:im_v5_bgra32.bmp
convert ref_colour.ppm -define bmp:subtype=RGB565 BMP:im_v5_rgb565.bmp
convert ref_colour.ppm -type Palette BMP:im_v5_pal4.bmp
convert ref_many.ppm -type Palette -compress None BMP:im_v5_pal8.bmp
convert ref_many.ppm -type Palette -compress RLE BMP:im_v5_rle8.bmp
convert ref_grey.ppm -colorspace Gray -type Grayscale -colors 16 BMP:im_v4_grey4.bmp
convert ref_mono.ppm -type Bilevel BMP:im_v4_mono.bmp
convert ref_colour.ppm -type TrueColor BMP3:im_bmp3_rgb24.bmp
convert ref_colour.ppm -alpha on -type TrueColorAlpha -define bmp3:alpha=true BMP3:im_bmp3_bgra32.bmp
convert ref_colour.ppm -type Palette BMP3:im_bmp3_pal4.bmp
convert ref_many.ppm -type Palette -compress RLE BMP3:im_bmp3_rle8.bmp
convert ref_many.ppm -type Palette BMP2:im_bmp2_pal8.bmp

# Top-down rows: no writer at hand makes them, so flip two files by hand.
"$python" - <<'PY'
import struct

def flip_to_top_down(source, target):
    data = bytearray(open(source, 'rb').read())
    off, = struct.unpack_from('<I', data, 10)
    width, height = struct.unpack_from('<ii', data, 18)
    bits, = struct.unpack_from('<H', data, 28)
    stride = (width * bits + 31) // 32 * 4
    rows = [bytes(data[off + i * stride: off + (i + 1) * stride]) for i in range(height)]
    data[off:off + stride * height] = b''.join(reversed(rows))
    struct.pack_into('<i', data, 22, -height)
    open(target, 'wb').write(bytes(data))

flip_to_top_down('pil_pal8.bmp', 'hand_topdown_pal8.bmp')
flip_to_top_down('im_v5_rgb24.bmp', 'hand_topdown_v5_rgb24.bmp')
PY

# What Pillow makes of the bmpsuite files (MD5 of the RGB picture, top
# row first), or "-" where it refuses one: the good and questionable files it
# reads must come through the tolerant reader with the same picture. Pillow 9.4
# misreads RLE4 absolute runs and deltas, so run-length files say "rle": the
# tests compare those with the uncompressed files of the same picture.
corpus=${CORPUS:-../corpus/bmpsuite}
"$python" - "$corpus" >pillow_bmpsuite.tsv <<'PY'
import hashlib, os, struct, sys
from PIL import Image

root = sys.argv[1]
print('file\tpillow_rgb_md5')
for folder in ('g', 'q'):
    for name in sorted(os.listdir(os.path.join(root, folder))):
        path = os.path.join(root, folder, name)
        with open(path, 'rb') as raw:
            header_bytes, = struct.unpack_from('<I', raw.read(34), 14)
            raw.seek(30)
            compression, = struct.unpack('<I', raw.read(4))
        if header_bytes >= 40 and compression in (1, 2):
            md5 = 'rle'
        else:
            try:
                with Image.open(path) as image:
                    md5 = hashlib.md5(image.convert('RGB').tobytes()).hexdigest()
            except Exception:
                md5 = '-'
        print('%s/%s\t%s' % (folder, name, md5))
PY
