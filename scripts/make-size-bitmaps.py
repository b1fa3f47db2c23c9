#!/usr/bin/env python3
"""Writes the ten 16x16 24-bit size icons (res/bitmaps/size0.bmp ... size9.bmp).

Each icon is a grey disc on a blue square; the disc gets darker with the size class. The blue is
#0000FF for classes 0, 3, 5 and 6 and #0E0EF9 for the others. The disc of class 0 is so light
that it gets a #CCCCCC rim to stay visible. The output is deterministic, so rerunning the script
leaves the committed files unchanged.

Usage: make-size-bitmaps.py [OUTDIR]   (default: res/bitmaps beside this script's folder)
"""
import os
import struct
import sys

SIZE = 16
DISC = ["E6E6E6", "CCCCCC", "C4C4C4", "B4B4B4", "A4A4A4", "949494", "7C7C7C", "686868", "505050", "303030"]
PURE_BLUE_CLASSES = {0, 3, 5, 6}
RIM = "CCCCCC"
RADIUS = 6.0
CENTRE = (SIZE - 1) / 2.0


def rgb(hex_text):
    return tuple(int(hex_text[i:i + 2], 16) for i in (0, 2, 4))


def pixel(size_class, x, y):
    blue = rgb("0000FF" if size_class in PURE_BLUE_CLASSES else "0E0EF9")
    distance = ((x - CENTRE) ** 2 + (y - CENTRE) ** 2) ** 0.5
    if distance > RADIUS:
        return blue
    if size_class == 0 and distance > RADIUS - 1.0:
        return rgb(RIM)
    return rgb(DISC[size_class])


def bitmap_bytes(size_class):
    # Rows bottom-up, pixels as blue, green, red; 16 * 3 = 48 bytes per row needs no padding.
    rows = []
    for y in reversed(range(SIZE)):
        row = bytearray()
        for x in range(SIZE):
            r, g, b = pixel(size_class, x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row))
    image = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(image), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    return header + info + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res", "bitmaps")
    os.makedirs(out_dir, exist_ok=True)
    for size_class in range(len(DISC)):
        with open(os.path.join(out_dir, "size%d.bmp" % size_class), "wb") as out:
            out.write(bitmap_bytes(size_class))


if __name__ == "__main__":
    main()
