"""Test sheets: a BMP writer, and the output that sheets built of known rows give.

Every sheet is made of the five rows in ROWS, whose three sprite bytes are
worked out by hand, so the expected source lines need no second encoder.
"""

import struct

# A row as the source file pictures it ("." for index 0) and its three bytes.
ROWS = [("112233..112233..112233..", (108, 108, 108)),
        ("333333331111111122222222", (255, 85, 170)),
        ("3.2.1...........3.2.1...", (228, 0, 228)),
        ("1321.3..2.2.2.2.13131313", (96, 170, 85)),
        ("....2.2.1.2.1...1.2...3.", (10, 100, 99))]
# The same for hires sprites: every column is one bit, leftmost in bit 7.
HIRES = [("1.11....1.11....1.11....", (176, 176, 176)),
         ("11111111........1.......", (255, 0, 128)),
         ("1.1.1.1..1.1.1.1.......1", (170, 85, 1)),
         (".......11.......1111.11.", (1, 128, 246))]
# Comment marker and data directive of each syntax option.
SYNTAX = {"": ("//", ".byte"), "-acme": (";", "!byte"), "-ca65": (";", ".byte")}


def indexes(picture):
    return [0 if c == "." else int(c) for c in picture]


def sprites(columns, bands, rows=None, table=ROWS):
    """(x, y, 21 rows) per cell, in numbering order; row r of cell k is table[(k + r) % len(table)]."""
    return [(24 * (k % columns), 21 * (k // columns), rows or [table[(k + r) % len(table)] for r in range(21)])
            for k in range(columns * bands)]


def grid(columns, bands, rows=None, table=ROWS):
    cells = sprites(columns, bands, rows, table)
    return [sum((indexes(cells[band * columns + c][2][r][0]) for c in range(columns)), [])
            for band in range(bands) for r in range(21)]


def changed(picture, changes):
    """A copy of a grid with {(x, y): index} set."""
    copy = [list(row) for row in picture]
    for (x, y), value in changes.items():
        copy[y][x] = value
    return copy


def bmp(picture=(), width=None, height=None, *, bits=8, compression=0, clr_used=4, palette=None,
        info_size=40, top_down=False, size_image=None, off_bits=None, width_field=None, gap=0, pixels=None):
    """A BMP file of a grid (top row first); each keyword sets one detail of a well-formed file."""
    height = len(picture) if height is None else height
    width = (len(picture[0]) if picture else 0) if width is None else width
    if pixels is None:
        pixels = b"".join(bytes(row) for row in (picture if top_down else reversed(picture)))
    table = bytes(4 * (clr_used if palette is None else palette))
    start = 14 + info_size + len(table) + gap
    info = struct.pack("<iiihhiiiiii", info_size, width if width_field is None else width_field,
                       -height if top_down else height, 1, bits, compression,
                       len(pixels) if size_image is None else size_image, 2835, 2835, clr_used, 0)
    header = b"BM" + struct.pack("<iii", start + len(pixels), 0, start if off_bits is None else off_bits)
    return header + info + bytes(info_size - 40) + table + b"\xee" * gap + pixels


def source(cells, syntax="", hexadecimal=False):
    """The lines of the source file of these cells, in the syntax of "", "-acme" or "-ca65"."""
    marker, directive = SYNTAX[syntax]
    value = ("$%02X" if hexadecimal else "%d").__mod__
    lines = ["\t%s created using pixmold by -zarn / QTV | Mossgrove" % marker,
             ("\t%s " % marker).ljust(69, "-")]
    for number, (x, y, rows) in enumerate(cells):
        lines.append("%s SPRITE %d  - Offset: (%d,%d)" % (marker, number, x, y))
        lines += ["\t%s\t%s\t\t%s %s" % (directive, ", ".join(map(value, data)), marker, picture)
                  for picture, data in rows]
        lines += ["\t%s\t0\t%s align byte" % (directive, marker), ""]
    return lines


def spritepad(cells, attribute=140):
    return bytes([0, 15, 1]) + b"".join(bytes(sum((list(d) for _, d in rows), []) + [attribute])
                                        for _, _, rows in cells)


def crlf(lines):
    return b"".join(line.encode("latin-1") + b"\r\n" for line in lines)
