"""Test sheets: a BMP writer, and the output that sheets built of known rows give.

Every sheet is made of the five rows in ROWS, whose three sprite bytes are
worked out by hand, so the expected source lines need no second encoder.
"""

import struct
import zlib

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
# -colors: the same rows with both pixels of each pair alike, each followed by an empty row, so that the
# bit pair 00 (the background) is the most frequent colour.
PAIRED = [r for p, d in ROWS for r in (("".join(p[i] * 2 for i in range(0, 24, 2)), d), ("." * 24, (0, 0, 0)))]
NAMES = ["black", "white", "red", "cyan", "purple", "green", "blue", "yellow", "orange", "brown", "light red",
         "dark grey", "grey", "light green", "light blue", "light grey"]
PEPTO = [int(v, 16) for v in "000000 ffffff 68372b 70a4b2 6f3d86 588d43 352879 b8c76f 6f4f25 433900 9a6759 444444 "
         "6c6c6c 9ad284 6c5eb5 959595".split()]
COLODORE = [int(v, 16) for v in "000000 ffffff 813338 75cec8 8e3c97 56ac4d 2e2c9b edf171 8e5029 553800 c46c71 "
            "4a4a4a 7b7b7b a9ff9f 706deb b2b2b2".split()]
# Palettes of C64 emulators, in C64 order: CCS64's, which pixmold knows value by value, and PC64's, which it
# knows only as a C64 palette.
OTHERS = [[int(v, 16) for v in p.split()] for p in (
    "101010 ffffff e04040 60ffff e060e0 40e040 4040e0 ffff40 e0a040 9c7448 ffa0a0 545454 888888 a0ffa0 a0a0ff c0c0c0",
    "212121 ffffff b52121 73ffff b521b5 21b521 2121b5 ffff21 b57321 944221 ff7373 737373 949494 73ff73 7373ff b5b5b5")]
# Comment marker and data directive of each syntax option.
SYNTAX = {"": ("//", ".byte"), "-acme": (";", "!byte"), "-ca65": (";", ".byte")}


def sprites(columns, bands, rows=None, table=ROWS):
    """(x, y, 21 rows) per cell, in numbering order; row r of cell k is table[(k + r) % len(table)]."""
    return [(24 * (k % columns), 21 * (k // columns), rows or [table[(k + r) % len(table)] for r in range(21)])
            for k in range(columns * bands)]


def grid(columns, bands, rows=None, table=ROWS):
    cells = sprites(columns, bands, rows, table)
    return [sum(([0 if p == "." else int(p) for p in cells[band * columns + c][2][r][0]] for c in range(columns)), [])
            for band in range(bands) for r in range(21)]


def paint(picture, shared, owns, columns):
    """A grid of bit pairs painted in C64 colours: 0 the background, 1 and 3 the multicolours (shared is
    (background, multicolour 1, multicolour 2)), 2 each cell's own colour; in hires 1 is the cell's own."""
    return [[(shared[0], shared[1], owns[y // 21 * columns + x // 24], shared[2])[v] if len(shared) == 3 else
             (shared[0], owns[y // 21 * columns + x // 24])[v] for x, v in enumerate(row)]
            for y, row in enumerate(picture)]


def changed(picture, changes):
    """A copy of a grid with {(x, y): index} set."""
    copy = [list(row) for row in picture]
    for (x, y), value in changes.items():
        copy[y][x] = value
    return copy


def pack(picture, bits):
    """Rows as a BMP stores them: 1 and 4 bits leftmost in the high bits, 24 and 32 as blue, green, red
    (and a fourth byte), each row padded to whole 4-byte words."""
    for row in picture:
        if bits >= 24:
            data = b"".join(struct.pack("<I", v)[:bits // 8] for v in row)
        else:
            per = 8 // bits
            data = bytes(sum(v << bits * (per - 1 - i) for i, v in enumerate(row[k:k + per]))
                         for k in range(0, len(row), per))
        yield data + bytes(-len(data) % 4)


def bmp(picture=(), width=None, height=None, *, bits=8, compression=0, clr_used=None, palette=None,
        info_size=40, top_down=False, size_image=None, off_bits=None, width_field=None, gap=0, pixels=None,
        rgb=None, masks=b""):
    """A BMP file of a grid (top row first); each keyword sets one detail of a well-formed file. rgb: the
    palette's colours as 0xRRGGBB; masks: bytes after a 40-byte info header (or in a larger one)."""
    height = len(picture) if height is None else height
    width = (len(picture[0]) if picture else 0) if width is None else width
    if pixels is None:
        pixels = b"".join(pack(picture if top_down else reversed(picture), bits))
    clr_used = (4 if rgb is None else len(rgb)) if clr_used is None else clr_used
    rgb = (0,) * (clr_used if palette is None else palette) if rgb is None else rgb
    table = b"".join(struct.pack("<I", v) for v in rgb)
    extra = masks + bytes(info_size - 40 - len(masks)) if info_size > 40 else masks
    start = 14 + 40 + len(extra) + len(table) + gap
    info = struct.pack("<iiihhiiiiii", info_size, width if width_field is None else width_field,
                       -height if top_down else height, 1, bits, compression,
                       len(pixels) if size_image is None else size_image, 2835, 2835, clr_used, 0)
    header = b"BM" + struct.pack("<iii", start + len(pixels), 0, start if off_bits is None else off_bits)
    return header + info + extra + table + b"\xee" * gap + pixels


def color(number):
    return "%d (%s)" % (number, NAMES[number])


def shared_text(shared):
    return ", ".join(["background " + color(shared[0])] + ["multicolor %d: %s" % (n, color(c))
                                                          for n, c in enumerate(shared[1:], 1)])


def source(cells, syntax="", hexadecimal=False, shared=None, lasts=(), label=None):
    """The lines of the source file of these cells, in the syntax of "", "-acme" or "-ca65"; with shared
    colours (-colors) the colour line, and lasts: each sprite's attribute byte and the words after its colour.
    label (-label): the constants and the labels of that name."""
    marker, directive = SYNTAX[syntax]
    value = ("$%02X" if hexadecimal else "%d").__mod__
    lines = ["\t%s created using pixmold by -zarn / QTV | Mossgrove" % marker, ("\t%s " % marker).ljust(69, "-")]
    lines += ["\t%s %s" % (marker, shared_text(shared))] if shared else []
    lines += ["%s_count = %d" % (label, len(cells))] + ["%s_%s = %d\t%s %s" % (label, what, c, marker, NAMES[c]) for
                                                        what, c in zip(COLOR_NAMES, shared or ())] + [label + ":"] \
        if label else []
    for number, (x, y, rows) in enumerate(cells):
        lines.append("%s SPRITE %d  - Offset: (%d,%d)" % (marker, number, x, y))
        lines += ["%s_%d:" % (label, number)] if label else []
        lines += ["\t%s\t%s\t\t%s %s" % (directive, ", ".join(map(value, data)), marker, picture)
                  for picture, data in rows]
        byte, words = lasts[number] if shared else (0, "")
        last = "%s\t%s sprite color %s%s" % (value(byte), marker, color(byte & 15), words) if shared else \
            "0\t%s align byte" % marker
        lines += ["\t%s\t%s" % (directive, last), ""]
    return lines


def c_source(cells, hexadecimal=False, shared=None, lasts=(), name="sprites"):
    """The lines of the -c file of these cells; with shared colours (-colors) their constants, lasts as for source(),
    and each sprite's own colour. name: of the array, and upper-case of the constants."""
    value, upper = ("0x%02X" if hexadecimal else "%d").__mod__, name.upper()
    lines = ["/* created using pixmold by -zarn / QTV | Mossgrove */"] + (
        ["/* %s */" % shared_text(shared)] if shared else []) + ["#define %s_COUNT %d" % (upper, len(cells))] + [
        "#define %s_%s %d /* %s */" % (upper, what.upper(), c, NAMES[c]) for what, c in zip(COLOR_NAMES, shared or ())]
    lines += ["", "const unsigned char %s[%s_COUNT][64] = {" % (name, upper)]
    for number, (x, y, rows) in enumerate(cells):
        byte, words = lasts[number] if shared else (0, "")
        last = "sprite color %s%s" % (color(byte & 15), words) if shared else "align byte"
        lines += ["    /* sprite %d (%d,%d) */" % (number, x, y), "    {"] + [
            "        %s, /* %s */" % (", ".join(map(value, data)), picture) for picture, data in rows] + [
            "        %s /* %s */" % (value(byte), last), "    },"]
    lines.append("};")
    if shared:
        lines += ["", "const unsigned char %s_colors[%s_COUNT] = {" % (name, upper)] + [
            "    %d, /* sprite %d: %s */" % (byte & 15, n, NAMES[byte & 15]) for n, (byte, _) in enumerate(lasts)]
        lines.append("};")
    return lines


COLOR_NAMES = ("background", "multicolor1", "multicolor2")


def multicolor(owns):
    """The lasts of source() for multicolour sprites of these colours of their own."""
    return [(own | 128, ", multicolor") for own in owns]


def spritepad(cells, attribute=140, shared=(0, 15, 1), owns=None, attributes=None):
    """The SpritePad file; with owns, each sprite's attribute byte holds its own colour; attributes: each whole."""
    attributes = attributes or [owns[n] | attribute & 128 if owns else attribute for n in range(len(cells))]
    return bytes((list(shared) + [15, 1])[:3]) + b"".join(
        bytes(sum((list(d) for _, d in rows), []) + [attributes[n]]) for n, (_, _, rows) in enumerate(cells))


def crlf(lines):
    return b"".join(line.encode("latin-1") + b"\r\n" for line in lines)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def scanlines(picture, depth, channels, filters):
    """The rows as bytes, each after its filter byte; filter types taken in turn from filters."""
    bits = depth * channels
    step, previous, out = max(1, bits // 8), None, bytearray()
    for y, row in enumerate(picture):
        samples = [s for pixel in row for s in (pixel if isinstance(pixel, tuple) else (pixel,))]
        if depth < 8:
            data = bytes(sum(s << 8 - depth * (i + 1) for i, s in enumerate(samples[k:k + 8 // depth]))
                         for k in range(0, len(samples), 8 // depth))
        else:
            data = b"".join(s.to_bytes(depth // 8, "big") for s in samples)
        kind, up = filters[y % len(filters)], previous or bytes(len(data))
        out.append(kind)
        for i, v in enumerate(data):  # less the value the filter predicts: none, left, up, their average, or Paeth's
            a, b, c = data[i - step] if i >= step else 0, up[i], up[i - step] if i >= step else 0
            paeth = min((abs(b - c), 0, a), (abs(a - c), 1, b), (abs(a + b - 2 * c), 2, c))[2]
            out.append((v - (0, a, b, (a + b) // 2, paeth)[kind]) & 255)
        previous = data
    return bytes(out)


def png(picture, color_type=3, depth=8, palette=(), trns=None, interlace=False, filters=(0,), ihdr=None,
        idat=None, split=1 << 31):
    """A PNG of a grid of samples (an int a pixel for types 0 and 3, else a tuple); palette: 0xRRGGBB entries
    (none: no PLTE); trns: the tRNS chunk's bytes; ihdr and idat replace those chunks' data; split: the most
    bytes of one IDAT chunk."""
    height, width = len(picture), len(picture[0])
    passes = [[row[x0::dx] for row in picture[y0::dy]] for x0, y0, dx, dy in ADAM7] if interlace else [picture]
    raw = b"".join(scanlines(p, depth, CHANNELS[color_type], filters) for p in passes if p and p[0])
    idat = zlib.compress(raw) if idat is None else idat
    plte = b"".join(v.to_bytes(3, "big") for v in palette)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr or struct.pack(">IIBBBBB", width, height, depth, color_type,
                                                                           0, 0, int(interlace))) + \
        (chunk(b"PLTE", plte) if plte else b"") + (chunk(b"tRNS", trns) if trns is not None else b"") + \
        b"".join(chunk(b"IDAT", idat[k:k + split]) for k in range(0, len(idat), split)) + chunk(b"IEND", b"")


def blank_png(width, height, color_type=0, depth=1, interlace=1, palette=()):
    """A PNG of any size whose every sample and filter byte is 0, made fast: its zlib stream repeats one deflated
    mebibyte of zeros (whose back-references find zeros wherever it stands) and ends in the zeros' Adler-32."""
    sizes = [(-(-(width - x0) // dx), -(-(height - y0) // dy)) for x0, y0, dx, dy in
             (ADAM7 if interlace else [(0, 0, 1, 1)])]
    length = sum(rows * (1 + (columns * depth * CHANNELS[color_type] + 7) // 8) for columns, rows in sizes
                 if columns > 0 and rows > 0)
    whole, rest = (zlib.compressobj(9, zlib.DEFLATED, -15) for _ in range(2))  # raw deflate: the header is written here
    idat = b"\x78\xda" + (whole.compress(bytes(1 << 20)) + whole.flush(zlib.Z_FULL_FLUSH)) * (length >> 20) + \
        rest.compress(bytes(length % (1 << 20))) + rest.flush() + (length % 65521 << 16 | 1).to_bytes(4, "big")
    ihdr = struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0, interlace)
    return png([[0]], color_type, depth, palette, ihdr=ihdr, idat=idat)
