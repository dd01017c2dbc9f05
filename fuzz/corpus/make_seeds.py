#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the seed inputs of the fuzz targets that can be made from the tree.

BMP seeds are the test bitmaps; resource seeds are the same without their
14-byte file header (packed DIBs); chunk seeds are the collection seeds past
their 12-byte file header; the operation seeds are fixed pseudo-random programs;
JPEG seeds are a small painted picture through cjpeg with different options
(skipped when cjpeg is missing). Run from anywhere; rewrites the files in place
and leaves the other files of each corpus (inputs the fuzzers found) alone.
"""
import pathlib
import random
import shutil
import subprocess

CORPUS = pathlib.Path(__file__).resolve().parent
ROOT = CORPUS.parent.parent


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(exist_ok=True)
    (folder / name).write_bytes(data)


for bmp in sorted((ROOT / "tests" / "data").glob("*.bmp")):
    write("bmp_load_fuzzer", bmp.name, bmp.read_bytes())
    if bmp.name.startswith("res_"):
        write("resource_fuzzer", bmp.stem, bmp.read_bytes()[14:])

for collection in sorted((CORPUS / "collection_fuzzer").iterdir()):
    write("chunk_fuzzer", collection.name, collection.read_bytes()[12:])

rng = random.Random(1024)
for size in (48, 200, 600, 2000):
    write("operations_fuzzer", "program_%d" % size, bytes(rng.randrange(256) for _ in range(size)))

# A 19 x 13 picture of gradients with a sharp edge, as a binary PPM.
WIDTH, HEIGHT = 19, 13
pixels = bytearray()
for y in range(HEIGHT):
    for x in range(WIDTH):
        edge = 255 if x > y else 0
        pixels += bytes((x * 13 % 256, y * 19 % 256, edge))
picture = b"P6 %d %d 255\n" % (WIDTH, HEIGHT) + bytes(pixels)
JPEG_OPTIONS = {
    "baseline.jpg": ["-quality", "75"],
    "grey.jpg": ["-grayscale"],
    "progressive.jpg": ["-progressive"],
    "unsampled_restart.jpg": ["-sample", "1x1", "-restart", "1"],
    "arithmetic.jpg": ["-arithmetic"],
    "optimized_q100.jpg": ["-optimize", "-quality", "100"],
}
if shutil.which("cjpeg"):
    for name, options in JPEG_OPTIONS.items():
        jpeg = subprocess.run(["cjpeg"] + options, input=picture, capture_output=True, check=True).stdout
        write("jpeg_fuzzer", name, jpeg)
else:
    print("cjpeg is missing: the JPEG seeds stay as they are")
