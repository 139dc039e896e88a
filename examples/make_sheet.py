#!/usr/bin/env python3
"""Draws the example sprite sheet examples/sprites.bmp (96 x 42: eight sprites).

Top row: a ball turning, its highlight moving from frame to frame.
Bottom row: a small ship whose exhaust flame flickers.
Colour indexes: 0 background, 1 light grey, 2 grey, 3 white, as in the
SpritePad file's colours. Multicolour pixels are two columns wide, so every
shape is drawn in column pairs.

    python3 examples/make_sheet.py [output.bmp]
"""

import os
import struct
import sys

WIDTH, HEIGHT = 96, 42
PALETTE = [(0, 0, 0), (187, 187, 187), (119, 119, 119), (255, 255, 255)]


def ball(frame, x, y):
    """Pixel (x, y) of a cell: a ball with a highlight that turns with frame."""
    cx, cy = 11.5, 10
    dx, dy = (x - cx) / 1.0, (y - cy) * 1.1
    if dx * dx + dy * dy > 90:
        return 0
    hx = cx - 5 + 3 * frame
    if (x - hx) ** 2 + (y - 6) ** 2 < 7:
        return 3
    return 2 if dx * dx + dy * dy < 55 else 1


SHIP = [
    "..........33..........",
    "..........33..........",
    "........113311........",
    "........113311........",
    "......1122222211......",
    "......1122332211......",
    "....11222233222211....",
    "....11222222222211....",
    "..112222222222222211..",
    "..112222222222222211..",
    "1122111122222211112211",
    "1122111122222211112211",
    "11..1111..22..1111..11",
]


def ship(frame, x, y):
    """Pixel (x, y) of a cell: the ship, its flame as long as the frame says."""
    row, column = y - 2, x - 2
    if 0 <= row < len(SHIP) and 0 <= column < len(SHIP[row]):
        mark = SHIP[row][column]
        return 0 if mark == "." else int(mark)
    flame = (3, 5, 4, 6)[frame]
    if 15 <= y < 15 + flame:
        if y < 17 and 10 <= x < 16:
            return 3
        if 12 <= x < 14:
            return 1
    return 0


def pixel(x, y):
    cell, frame = y // 21, (x // 24)
    left = x - x % 2  # multicolour pixels cover two columns
    draw = ball if cell == 0 else ship
    return draw(frame, left % 24, y % 21)


def bitmap(rows):
    """An uncompressed 8-bit BMP with a 4-entry palette, bottom row first."""
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    pixels = b"".join(bytes(row) for row in reversed(rows))
    offset = 14 + 40 + len(palette)
    header = b"BM" + struct.pack("<iii", offset + len(pixels), 0, offset)
    info = struct.pack("<iiihhiiiiii", 40, WIDTH, HEIGHT, 1, 8, 0, len(pixels), 2835, 2835,
                       len(PALETTE), 0)
    return header + info + palette + pixels


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "sprites.bmp")
    rows = [[pixel(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]
    with open(target, "wb") as stream:
        stream.write(bitmap(rows))


if __name__ == "__main__":
    main()
