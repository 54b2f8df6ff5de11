#!/usr/bin/env python3
"""Packs PNG pictures into one Windows icon file (each entry a PNG, as Windows Vista and later read
them). Usage: make_ico.py OUT.ico PICTURE.png..."""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG picture")
    return struct.unpack(">II", data[16:24])


def main():
    out, pictures = sys.argv[1], sys.argv[2:]
    images = [open(p, "rb").read() for p in pictures]
    header = struct.pack("<HHH", 0, 1, len(images))
    entries, offset = b"", 6 + 16 * len(images)
    for data in images:
        w, h = png_size(data)
        # 256 is written as 0 in the one-byte size fields.
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + b"".join(images))


main()
