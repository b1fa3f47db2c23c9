#!/usr/bin/env python3
"""Writes the main frame's images into res/bitmaps:

  quarvex.ico      the program icon (icon 1): a grey disc on a blue square, like the size icons,
                   at 32x32 and 16x16, 32 bits per pixel;
  about.bmp        the About box's background strip (bitmap 207): a navy-to-blue gradient with
                   the disc motif, 96x168, 24 bits;
  pane-first.bmp   the two pane bitmaps (193, 195): light vertical gradients from the button face
  pane-second.bmp  colour to white, 8x64, 24 bits.

The output is deterministic, so rerunning the script leaves the committed files unchanged.

Usage: make-frame-images.py [OUTDIR]   (default: res/bitmaps beside this script's folder)
"""
import os
import struct
import sys

BLUE = (0x0E, 0x0E, 0xF9)
NAVY = (0x00, 0x00, 0x80)
DISC = (0x7C, 0x7C, 0x7C)
RIM = (0xCC, 0xCC, 0xCC)
FACE = (0xE4, 0xE4, 0xE4)
WHITE = (0xFF, 0xFF, 0xFF)


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def disc_pixel(size, x, y, background):
    centre = (size - 1) / 2.0
    radius = size * 0.38
    distance = ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5
    if distance > radius:
        return background
    if distance > radius - max(1.0, size / 16.0):
        return RIM
    return DISC


def bmp_file(width, height, pixel):
    """A 24-bit BMP; rows bottom-up, each padded to four bytes."""
    row_size = (width * 3 + 3) // 4 * 4
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def icon_image(size):
    """One icon image: BITMAPINFOHEADER (double height), BGRA rows bottom-up, AND mask."""
    pixels = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b = disc_pixel(size, x, y, BLUE)
            pixels += bytes((b, g, r, 0xFF))
    mask_row = (size + 31) // 32 * 4
    mask = b"\0" * (mask_row * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return info + bytes(pixels) + mask


def ico_file(sizes):
    images = [icon_image(size) for size in sizes]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return header + entries + b"".join(images)


def about_pixel(x, y):
    width, height = 96, 168
    background = mix(NAVY, BLUE, y / (height - 1))
    # The disc motif in the upper part of the strip.
    size = 64
    left, top = (width - size) // 2, 20
    if left <= x < left + size and top <= y < top + size:
        return disc_pixel(size, x - left, y - top, background)
    return background


def pane_pixel(x, y):
    return mix(FACE, WHITE, y / 63)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "res", "bitmaps")
    os.makedirs(out, exist_ok=True)
    files = {
        "quarvex.ico": ico_file([32, 16]),
        "about.bmp": bmp_file(96, 168, about_pixel),
        "pane-first.bmp": bmp_file(8, 64, pane_pixel),
        "pane-second.bmp": bmp_file(8, 64, lambda x, y: mix(WHITE, FACE, y / 63)),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
