#!/usr/bin/env python3
"""Writes the small seed inputs of the resource, chunk and operation targets.

Resource seeds are the test bitmaps without their 14-byte file header (packed
DIBs); chunk seeds are the collection seeds past their 12-byte file header; the
operation seeds are fixed pseudo-random programs. Run from anywhere; rewrites
the files in place.
"""
import pathlib
import random

CORPUS = pathlib.Path(__file__).resolve().parent
ROOT = CORPUS.parent.parent


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(exist_ok=True)
    (folder / name).write_bytes(data)


for bmp in sorted((ROOT / "tests" / "data").glob("res_*.bmp")):
    write("resource_fuzzer", bmp.stem, bmp.read_bytes()[14:])

for collection in sorted((CORPUS / "collection_fuzzer").iterdir()):
    write("chunk_fuzzer", collection.name, collection.read_bytes()[12:])

rng = random.Random(1024)
for size in (48, 200, 600, 2000):
    write("operations_fuzzer", "program_%d" % size, bytes(rng.randrange(256) for _ in range(size)))
