#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the small BMP files the resource tests embed (run from this folder).

Each file exercises one thing the embedding must get right: a colour table with
fewer entries than the depth allows and a gap before the pixels, bit-field
masks, a wrong biSizeImage, and files that must fail the build.
"""
import struct


def bmp(width, height, bits, pixels, table=b"", compression=0, clr_used=0,
        gap=b"", size_image=None, header_size=40, signature=b"BM"):
    stride = ((width * bits + 31) // 32) * 4
    if size_image is None:
        size_image = stride * abs(height)
    header = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits,
                         compression, size_image, 2835, 2835, clr_used, 0)
    off_bits = 14 + len(header) + len(table) + len(gap)
    body = header + table + gap + pixels
    return struct.pack("<2sIHHI", signature, 14 + len(body), 0, 0, off_bits) + body


def rows(width, height, bits, seed):
    stride = ((width * bits + 31) // 32) * 4
    return bytes((seed * 37 + i * 11) & 0xFF for i in range(stride * height))


def palette(count, seed):
    return b"".join(bytes(((seed + i * 5) & 0xFF, (i * 29) & 0xFF, (255 - i * 7) & 0xFF, 0))
                    for i in range(count))


FILES = {
    # 8 bits, 16 entries, 6 stray bytes between table and pixels.
    "res_pal8_gap.bmp": bmp(5, 3, 8, rows(5, 3, 8, 1), palette(16, 1), clr_used=16,
                            gap=b"\xEE" * 6, size_image=0),
    "res_565.bmp": bmp(3, 2, 16, rows(3, 2, 16, 2), struct.pack("<III", 0xF800, 0x07E0, 0x001F),
                       compression=3),
    # biSizeImage two bytes too large, as some writers store it.
    "res_rgb24_size.bmp": bmp(3, 3, 24, rows(3, 3, 24, 3), size_image=36 + 2),
    "res_pal4.bmp": bmp(7, 2, 4, rows(7, 2, 4, 4), palette(16, 4)),
    "res_mono.bmp": bmp(9, 2, 1, rows(9, 2, 1, 5), palette(2, 5)),
    # Files the build must refuse.
    "bad_core_header.bmp": struct.pack("<2sIHHI", b"BM", 14 + 12 + 6 + 28, 0, 0, 32)
                           + struct.pack("<IHHHH", 12, 1, 1, 1, 1) + palette(2, 0)[:6] + b"\0" * 28,
    "bad_v4_header.bmp": bmp(2, 2, 24, rows(2, 2, 24, 6), header_size=108) + b"\0" * 68,
    "bad_rle8.bmp": bmp(2, 2, 8, b"\x02\x01\x00\x00\x02\x01\x00\x01", palette(256, 7), compression=1),
    "bad_truncated.bmp": bmp(4, 4, 24, rows(4, 4, 24, 8))[:-1],
    "bad_top_down.bmp": bmp(2, -2, 24, rows(2, 2, 24, 9)),
    "bad_signature.bmp": bmp(2, 2, 24, rows(2, 2, 24, 10), signature=b"MB"),
}

if __name__ == "__main__":
    for name, data in FILES.items():
        with open(name, "wb") as out:
            out.write(data)
