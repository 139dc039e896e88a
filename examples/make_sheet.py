#!/usr/bin/env python3
"""Draws the example sprite sheets in examples/.

sprites.bmp (96 x 42: eight sprites), for the colour indexes:
Top row: a ball turning, its highlight moving from frame to frame.
Bottom row: a small ship whose exhaust flame flickers.
Colour indexes: 0 background, 1 light grey, 2 grey, 3 white, as in the
SpritePad file's colours. Multicolour pixels are two columns wide, so every
shape is drawn in column pairs.

colors.bmp (96 x 21: four ships), for -colors: drawn with a 16-colour C64
palette (its entries sorted from dark to light, as a paint program may keep
them) on black; dark grey and white shared, each ship's hull in a colour of
its own: red, blue, yellow and light green.

colors.png: the same ships as an RGBA PNG on a transparent background, as
pixel-art editors save sprites.

overlay.bmp: the same ships again, each with a light grey outline one pixel
wide around it, for -overlay: as multicolour sprites alone they would have
two colours of their own.

mixed.png (96 x 42), for -mixed: the ships of colors.png above four white
rings one pixel wide, drawn at full resolution: hires sprites.

    python3 examples/make_sheet.py [sprites.bmp [colors.bmp [colors.png [overlay.bmp [mixed.png]]]]]
"""

import os
import struct
import sys
import zlib

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


# The C64's colours (the Pepto palette) in C64 order, and the order of the
# colours.bmp palette: from dark to light.
C64 = [0x000000, 0xFFFFFF, 0x68372B, 0x70A4B2, 0x6F3D86, 0x588D43, 0x352879, 0xB8C76F,
       0x6F4F25, 0x433900, 0x9A6759, 0x444444, 0x6C6C6C, 0x9AD284, 0x6C5EB5, 0x959595]
DARK_TO_LIGHT = [0, 9, 6, 2, 11, 8, 4, 5, 12, 14, 10, 3, 15, 13, 7, 1]
HULLS = [2, 6, 7, 13]  # red, blue, yellow, light green


def colored(x, y):
    """The C64 colour of pixel (x, y) of colors.bmp: the ships of the bottom row."""
    index = pixel(x, y + 21)
    return (0, 11, HULLS[x // 24], 1)[index]


def bitmap(rows, palette, width):
    """An uncompressed 8-bit BMP, bottom row first; palette entries as (r, g, b)."""
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    pixels = b"".join(bytes(row) for row in reversed(rows))
    offset = 14 + 40 + len(table)
    header = b"BM" + struct.pack("<iii", offset + len(pixels), 0, offset)
    info = struct.pack("<iiihhiiiiii", 40, width, len(rows), 1, 8, 0, len(pixels), 2835, 2835,
                       len(palette), 0)
    return header + info + table + pixels


def transparent_png(rows):
    """An RGBA PNG of C64 colours (Pepto), black as alpha 0; rows unfiltered."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + b"".join(C64[c].to_bytes(3, "big") + bytes([255 * (c != 0)]) for c in row) for row in rows)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def outlined(rows):
    """Light grey on every background pixel beside a pixel of a ship, left, right, above or below."""
    def ship(x, y):
        return 0 <= y < len(rows) and 0 <= x < len(rows[0]) and rows[y][x] != 0

    return [[15 if c == 0 and any(ship(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))) else c
             for x, c in enumerate(row)] for y, row in enumerate(rows)]


def ring(x, y, radius):
    """White where pixel (x, y) of a cell lies on a ring of this radius, one pixel wide; else 0."""
    distance = ((x - 11.5) ** 2 + (y - 10) ** 2) ** 0.5
    return 1 if abs(distance - radius) < 0.5 else 0


def main():
    folder = os.path.dirname(__file__)
    names = ("sprites.bmp", "colors.bmp", "colors.png", "overlay.bmp", "mixed.png")
    targets = sys.argv[1:] + [os.path.join(folder, name) for name in names][len(sys.argv) - 1:]
    rows = [[pixel(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]
    palette = [(v >> 16, v >> 8 & 255, v & 255) for v in (C64[c] for c in DARK_TO_LIGHT)]
    ship_colors = [[colored(x, y) for x in range(WIDTH)] for y in range(21)]
    ships = [[DARK_TO_LIGHT.index(c) for c in row] for row in ship_colors]
    outlines = [[DARK_TO_LIGHT.index(c) for c in row] for row in outlined(ship_colors)]
    rings = [[ring(x % 24, y, 4 + 2 * (x // 24)) for x in range(WIDTH)] for y in range(21)]
    for target, data in zip(targets, (bitmap(rows, PALETTE, WIDTH), bitmap(ships, palette, WIDTH),
                                      transparent_png(ship_colors), bitmap(outlines, palette, WIDTH),
                                      transparent_png(ship_colors + rings))):
        with open(target, "wb") as stream:
            stream.write(data)


if __name__ == "__main__":
    main()
