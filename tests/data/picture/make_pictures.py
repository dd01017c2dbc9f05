#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the PNG files the picture reader's tests read, into the folder given.

Every colour type, bit depth, transparency and interlace the format has, each
file written byte by byte here (rows under all five filters, the compressed
data split over several IDAT chunks) so that the test knows exactly what it
holds; ImageMagick then decodes each one for the test to compare with. Also a
few hostile files: a tiny file claiming a huge picture, a compressed text
chunk that inflates to 64 MiB, a picture whose data runs on past its rows.
"""
import struct
import sys
import zlib

W, H = 19, 13  # odd sizes: partial bytes at 1, 2 and 4 bits, rows in every Adam7 pass
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def pack_row(samples, depth):
    if depth == 8:
        return bytes(samples)
    if depth == 16:
        return b''.join(struct.pack('>H', s) for s in samples)
    out, acc, bits = bytearray(), 0, 0
    for s in samples:
        acc, bits = acc << depth | s, bits + depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def filtered(rows, bpp, first_filter):
    out, prev = bytearray(), bytes(len(rows[0]))
    for i, row in enumerate(rows):
        kind = (first_filter + i) % 5
        out.append(kind)
        for x, value in enumerate(row):
            a = row[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            predictor = [0, a, b, (a + b) // 2, paeth(a, b, c)][kind]
            out.append((value - predictor) & 0xFF)
        prev = row
    return bytes(out)


def image_data(pixels, ctype, depth, interlace):
    bpp = max(1, CHANNELS[ctype] * depth // 8)
    flat = lambda row: [s for pixel in row for s in pixel]
    if not interlace:
        return filtered([pack_row(flat(row), depth) for row in pixels], bpp, 0)
    data = b''
    for n, (x0, y0, dx, dy) in enumerate(ADAM7):
        rows = [pack_row(flat(pixels[y][x0::dx]), depth) for y in range(y0, len(pixels), dy)]
        if rows and rows[0]:
            data += filtered(rows, bpp, n)
    return data


def png(name, ctype, depth, pixels, palette=None, trns=None, interlace=False, extra=b'', idat_tail=b''):
    height, width = len(pixels), len(pixels[0])
    body = chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, ctype, 0, 0, 1 if interlace else 0))
    if palette:
        body += chunk(b'PLTE', bytes(c for rgb in palette for c in rgb))
    if trns is not None:
        body += chunk(b'tRNS', trns)
    body += extra
    compressed = zlib.compress(image_data(pixels, ctype, depth, interlace) + idat_tail, 9)
    third = len(compressed) // 3 + 1
    for i in range(0, len(compressed), third):
        body += chunk(b'IDAT', compressed[i:i + third])
    with open(name, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n' + body + chunk(b'IEND', b''))


def sample(x, y, k, top):
    return (x * (37 + 11 * k) + y * (23 + 5 * k) + k * 101 + x * y * 7) % (top + 1)


# Alpha runs through the edges of the half-alpha rule.
ALPHAS = [0, 1, 127, 128, 129, 254, 255, 64, 200]


def grid(make):
    return [[make(x, y) for x in range(W)] for y in range(H)]


def grey(depth):
    top = (1 << depth) - 1
    return grid(lambda x, y: (sample(x, y, 0, top),))


def grey_alpha(depth):
    top = (1 << depth) - 1
    return grid(lambda x, y: (sample(x, y, 0, top), ALPHAS[(x + 2 * y) % len(ALPHAS)] * top // 255))


def colour(depth, alpha=False):
    top = (1 << depth) - 1
    return grid(lambda x, y: tuple(sample(x, y, k, top) for k in range(3)) +
                ((ALPHAS[(x + 2 * y) % len(ALPHAS)] * top // 255,) if alpha else ()))


def indexed(entries):
    return grid(lambda x, y: (sample(x, y, 1, entries - 1),))


def palette(entries):
    return [((i * 67) % 256, (i * 131 + 40) % 256, (255 - i * 29) % 256) for i in range(entries)]


def main(folder):
    import os
    os.chdir(folder)
    for depth in (1, 2, 4, 8, 16):
        png('png_grey%d.png' % depth, 0, depth, grey(depth))
    png('png_grey2_interlaced.png', 0, 2, grey(2), interlace=True)
    png('png_grey16_interlaced.png', 0, 16, grey(16), interlace=True)
    # Transparent grey levels that occur in the picture.
    png('png_grey2_trns.png', 0, 2, grey(2), trns=struct.pack('>H', grey(2)[0][1][0]))
    png('png_grey8_trns.png', 0, 8, grey(8), trns=struct.pack('>H', grey(8)[3][4][0]))
    png('png_grey16_trns.png', 0, 16, grey(16), trns=struct.pack('>H', grey(16)[5][6][0]))
    for depth in (8, 16):
        png('png_grey_alpha%d.png' % depth, 4, depth, grey_alpha(depth))
        png('png_rgb%d.png' % depth, 2, depth, colour(depth))
        png('png_rgba%d.png' % depth, 6, depth, colour(depth, True))
        key = colour(depth)[2][7]
        png('png_rgb%d_trns.png' % depth, 2, depth, colour(depth), trns=struct.pack('>HHH', *key))
    png('png_grey_alpha8_interlaced.png', 4, 8, grey_alpha(8), interlace=True)
    png('png_rgb16_interlaced.png', 2, 16, colour(16), interlace=True)
    png('png_rgba8_interlaced.png', 6, 8, colour(8, True), interlace=True)
    for depth, entries in ((1, 2), (2, 3), (4, 11), (8, 200)):
        png('png_palette%d.png' % depth, 3, depth, indexed(entries), palette(entries))
    # Alpha for the first entries only; the rest are opaque.
    alphas = bytes(ALPHAS[:7])
    png('png_palette8_trns.png', 3, 8, indexed(200), palette(200), trns=alphas)
    png('png_palette4_trns_interlaced.png', 3, 4, indexed(11), palette(11), trns=alphas, interlace=True)

    # Hostile files.
    with open('png_rgb8.png', 'rb') as good:
        good_bytes = good.read()
    huge = chunk(b'IHDR', struct.pack('>IIBBBBB', 30000, 30000, 8, 2, 0, 0, 0))
    with open('hostile_claims_huge.png', 'wb') as out:
        out.write(good_bytes[:8] + huge + good_bytes[33:])
    bomb = zlib.compressobj(9)
    text = b'Comment\0\0' + b''.join(bomb.compress(bytes(1 << 20)) for _ in range(64)) + bomb.flush()
    png('hostile_text_bomb.png', 2, 8, colour(8), extra=chunk(b'zTXt', text))
    png('hostile_data_past_rows.png', 2, 8, colour(8), idat_tail=bytes(5000))


if __name__ == '__main__':
    main(sys.argv[1])
