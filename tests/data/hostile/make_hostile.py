#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the hostile inputs kept as regression files, and expected.tsv.

Each row of expected.tsv names a file, the reader it goes through and what
that reader must give: a result code (hex), a count (collections, chunks), or
the same for every proper prefix of the file (readers ending in "-prefixes").
jpeg_valid.jpg is a 16 x 8 picture written by libjpeg at quality 75; the other
JPEG files are derived from it here. Rewrites every file in place.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
ROWS = []


def info_header(width, height, bits, compression=0, size_image=0, clr_used=0, size=40):
    return struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression, size_image, 0, 0, clr_used, 0)


def bmp(info, table, pixels, off_bits=None):
    if off_bits is None:
        off_bits = 14 + len(info) + len(table)
    size = 14 + len(info) + len(table) + len(pixels)
    return struct.pack("<2sIHHI", b"BM", size & 0xFFFFFFFF, 0, 0, off_bits & 0xFFFFFFFF) + info + table + pixels


def keep(name, data, reader, expected, why):
    (HERE / name).write_bytes(data)
    ROWS.append((name, reader, expected, why))


def grey_table(count):
    return b"".join(bytes((i, i, i, 0)) for i in range(count))


# BMP files through CDib::Load.
pal8 = bmp(info_header(3, 2, 8, clr_used=4), grey_table(4), bytes(range(8)))
keep("bmp_valid_pal8.bmp", pal8, "bmp", "0x000", "a small 8-bit file with a 4-entry table")
keep("bmp_valid_pal8.bmp", pal8, "bmp-prefixes", "0x002", "every truncation is a short read")
keep("bmp_huge_clr_used.bmp", bmp(info_header(2, 2, 8, clr_used=0xFFFFFFFF), b"", bytes(8)), "bmp", "0x100",
     "a colour table past 32 bits is never allocated")
keep("bmp_large_clr_used.bmp", bmp(info_header(2, 2, 8, clr_used=0x01000000), b"", bytes(8)), "bmp", "0x002",
     "a 64 MiB table the file does not hold is refused before allocating")
keep("bmp_overflow_width_height.bmp", bmp(info_header(0x7FFFFFFF, 0x7FFFFFFF, 24), b"", bytes(12)), "bmp",
     "0x100", "width x height x 3 overflows 32 bits")
keep("bmp_overflow_stride.bmp", bmp(info_header(0x40000000, 1, 32), b"", bytes(4)), "bmp", "0x100",
     "one 32-bit row of 2^30 pixels is 4 GiB")
keep("bmp_large_rows_short_file.bmp", bmp(info_header(0x20000000, 1, 32), b"", bytes(4)), "bmp", "0x002",
     "2 GiB of rows the file does not hold are refused before allocating")
keep("bmp_off_bits_past_end.bmp", bmp(info_header(2, 2, 24), b"", bytes(16), off_bits=0xFFFFFFF0), "bmp",
     "0x002", "bfOffBits far past the end")
keep("bmp_off_bits_one_short.bmp", bmp(info_header(2, 2, 24), b"", bytes(16), off_bits=55), "bmp", "0x002",
     "pixels from bfOffBits run one byte past the end")
keep("bmp_top_down.bmp", bmp(info_header(2, -2, 24), b"", bytes(16)), "bmp", "0x100",
     "a negative height gives a negative block size")
keep("bmp_negative_width_and_height.bmp", bmp(info_header(-2, -2, 24), b"", bytes(16)), "bmp", "0x004",
     "two negative sizes whose product looks positive")
keep("bmp_rle8.bmp", bmp(info_header(2, 2, 8, compression=1), grey_table(256), bytes(8)), "bmp", "0x501",
     "run-length compression")
keep("bmp_v5_header.bmp", bmp(info_header(1, 1, 24, size=124) + bytes(84), b"", bytes(4)), "bmp", "0x004",
     "a 124-byte header")
core = struct.pack("<IHHHH", 12, 4, 4, 1, 8) + bytes(3 * 16)
keep("bmp_core_table_cut.bmp", struct.pack("<2sIHHI", b"BM", 0, 0, 0, 26 + 768) + core + bytes(40), "bmp",
     "0x002", "a core header whose 256 triples are cut short")
keep("bmp_empty.bmp", b"", "bmp", "0x002", "no bytes at all")

# Packed DIBs through the resource loader.
keep("res_valid.dib", info_header(2, 2, 24) + bytes(range(16)), "resource", "0x000", "a 2 x 2 24-bit packed DIB")
keep("res_huge_clr_used.dib", info_header(2, 2, 8, clr_used=0xFFFFFFFF) + bytes(8), "resource", "0x100",
     "a colour table past 32 bits")
keep("res_v4_header.dib", info_header(1, 1, 24, size=108) + bytes(72), "resource", "0x004", "a 108-byte header")
keep("res_cut_header.dib", info_header(1, 1, 24)[:20], "resource", "0x004", "the header itself cut short")
keep("res_rows_one_short.dib", info_header(4, 4, 8, clr_used=2) + grey_table(2) + bytes(15), "resource", "0x002",
     "the last row one byte short")
keep("res_size_image_small.dib", info_header(2, 2, 24, size_image=8) + bytes(16), "resource", "0x002",
     "biSizeImage smaller than the rows")
keep("res_overflow_width_height.dib", info_header(0x7FFFFFFF, 0x7FFFFFFF, 24) + bytes(16), "resource", "0x100",
     "width x height x 3 overflows 32 bits")
keep("res_top_down.dib", info_header(2, -2, 24) + bytes(16), "resource", "0x100", "a negative height")


# Chunk records through CDibEditNode::ReadChunk (1 read, 0 refused).
def chunk(node_id, name, info, pixels, info_size=None, pixel_size=None, length=None):
    text = name + b"\0"
    body = (bytes((len(text),)) + text + struct.pack("<I", len(info) if info_size is None else info_size) + info +
            struct.pack("<I", len(pixels) if pixel_size is None else pixel_size) + pixels)
    return struct.pack("<HI", node_id, len(body) if length is None else length) + body


rgb = info_header(2, 2, 24)
keep("chunk_valid.chunk", chunk(7, b"tile", rgb, bytes(range(16))), "chunk", "1", "a 2 x 2 24-bit chunk")
keep("chunk_valid.chunk", chunk(7, b"tile", rgb, bytes(range(16))), "chunk-prefixes", "0", "every truncation")
keep("chunk_info_size_lies.chunk", chunk(7, b"x", rgb, bytes(16), info_size=44), "chunk", "0",
     "S1 disagrees with the header")
keep("chunk_pixel_size_lies.chunk", chunk(7, b"x", rgb, bytes(16), pixel_size=12), "chunk", "0",
     "S2 disagrees with the header")
keep("chunk_huge_pixel_size.chunk", chunk(7, b"x", rgb, bytes(16), pixel_size=0xFFFFFFFF), "chunk", "0",
     "S2 of 4 GiB")
keep("chunk_huge_clr_used.chunk", chunk(7, b"x", info_header(2, 2, 8, clr_used=0x40000000), bytes(8)), "chunk",
     "0", "a 4 GiB colour table")
keep("chunk_length_lies.chunk", chunk(7, b"x", rgb, bytes(16), length=3), "chunk", "1",
     "the chunk length is not used to read a chunk")


# Collections through CreateNewNodeFromFile (nodes appended) and through
# RefreshNodeFromFile into a list without those IDs (chunks passed over).
TAG = 0x4C4F4356


def collection(chunks, count=None):
    body = struct.pack("<I", len(chunks) if count is None else count) + b"".join(chunks)
    return struct.pack("<II", TAG, len(body)) + body


tiles = [chunk(i, b"t", rgb, bytes(16)) for i in (1, 2, 3)]
keep("collection_valid.vcl", collection(tiles), "collection", "3", "three chunks")
keep("collection_count_lies.vcl", collection(tiles[:2], count=1000), "collection", "2",
     "a count of 1000 over two chunks")
keep("collection_second_chunk_cut.vcl", collection(tiles)[:12 + len(tiles[0]) + 30], "collection", "1",
     "the second chunk cut short")
keep("collection_valid.vcl", collection(tiles), "collection-skip", "3", "every chunk passed over")
long_second = [tiles[0], chunk(2, b"t", rgb, bytes(16), length=0x7FFFFFFF), tiles[2]]
keep("collection_length_past_end.vcl", collection(long_second), "collection-skip", "1",
     "a chunk length past the end stops the skipping")

# JPEG streams through CDib::LoadJPEG.
jpeg = (HERE / "jpeg_valid.jpg").read_bytes()
ROWS.append(("jpeg_valid.jpg", "jpeg", "0x000", "a 16 x 8 picture"))
ROWS.append(("jpeg_valid.jpg", "jpeg-prefixes", "0x002", "every truncation fails in the codec"))
frame = jpeg.index(b"\xff\xc0")
huge = bytearray(jpeg)
huge[frame + 5:frame + 9] = struct.pack(">HH", 65500, 65500)  # the largest frame libjpeg reads
keep("jpeg_huge_frame.jpg", bytes(huge), "jpeg", "0x100", "65500 x 65500 pixels need a block past 32 bits")
zero = bytearray(jpeg)
zero[frame + 7:frame + 9] = struct.pack(">H", 0)
keep("jpeg_zero_width.jpg", bytes(zero), "jpeg", "0x002", "a frame without pixels")
keep("jpeg_not_jpeg.jpg", pal8, "jpeg", "0x002", "BMP bytes")

with open(HERE / "expected.tsv", "w") as table:
    table.write("# file\treader\texpected\twhy\n")
    for row in ROWS:
        table.write("\t".join(row) + "\n")
