#!/usr/bin/env python3
"""Draws the three row pictures of the configuration dialog as 24-bit BMP files.

    make_bitmaps.py OUTPUT_FOLDER

S over a dashed line marks the step modes, V over an arc the velocity mode, C over a bar the
continuous mode. The letters come from a 5x7 pixel font scaled by three.
"""
import math
import os
import struct
import sys

FONT = {
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "C": ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
}
BACKGROUND = (0xF0, 0xF0, 0xF0)
INK = (0x1F, 0x3A, 0x93)
MARK = (0x4A, 0x4A, 0x4A)
SCALE = 3


def blank(width, height):
    return [[BACKGROUND] * width for _ in range(height)]


def draw_letter(pixels, letter, top):
    width = len(pixels[0])
    left = (width - 5 * SCALE) // 2
    for row, bits in enumerate(FONT[letter]):
        for col, bit in enumerate(bits):
            if bit == "1":
                for dy in range(SCALE):
                    for dx in range(SCALE):
                        pixels[top + row * SCALE + dy][left + col * SCALE + dx] = INK


def dashed_line(pixels, y):
    for x in range(2, len(pixels[0]) - 2):
        if (x // 3) % 2 == 0:
            pixels[y][x] = pixels[y + 1][x] = MARK


def bar(pixels, y):
    for x in range(3, len(pixels[0]) - 3):
        for dy in range(3):
            pixels[y + dy][x] = MARK


def arc(pixels, y):
    width = len(pixels[0])
    centre = (width - 1) / 2
    radius = centre - 3
    for x in range(3, width - 3):
        depth = radius - math.sqrt(max(0.0, radius * radius - (x - centre) ** 2))
        row = y + int(round(depth / radius * 4))
        pixels[row][x] = pixels[row - 1][x] = MARK


def bmp(pixels):
    """A BITMAPINFOHEADER file, rows bottom-up, each padded to four bytes."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    rows = []
    for row in reversed(pixels):
        data = b"".join(bytes((b, g, r)) for r, g, b in row)
        rows.append(data + b"\0" * (stride - len(data)))
    image = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(image), 0, 0, 14 + len(info))
    return header + info + image


def picture(letter, width, height, mark):
    pixels = blank(width, height)
    draw_letter(pixels, letter, 2)
    mark(pixels, 2 + 7 * SCALE + 3)
    return bmp(pixels)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_bitmaps.py OUTPUT_FOLDER")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data in (
        ("step_mode.bmp", picture("S", 31, 31, dashed_line)),
        ("velocity_mode.bmp", picture("V", 31, 32, arc)),
        ("continuous_mode.bmp", picture("C", 31, 31, bar)),
    ):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
