"""Test pictures and the output they must give.

`bitmap_bytes` writes Windows BMP files field by field, including the
malformed and unusual layouts the reader has to cope with.  The expectation
helpers compute sprites, source text and SpritePad bytes straight from a grid
of colour indexes, independently of the program.
"""

import struct

CRLF = b"\r\n"


def pattern_grid(width, height, seed=0):
    """A grid of indexes 0-3 that differs in every sprite, row and column."""
    return [[(x * 7 + y * 3 + (x // 24) * 5 + (y // 21) * 11 + seed) % 4 for x in range(width)]
            for y in range(height)]


def filled_grid(width, height, index):
    return [[index] * width for _ in range(height)]


def bitmap_bytes(grid=None, width=None, height=None, *, bit_count=8, compression=0,
                 clr_used=4, palette_entries=None, info_size=40, top_down=False,
                 size_image=None, off_bits=None, width_field=None, height_field=None,
                 gap=0, pixel_data=None, signature=b"BM"):
    """The bytes of a BMP file.

    grid holds the colour indexes top row first.  The fields default to a
    well-formed 8-bit file; each keyword overrides one detail.  palette_entries
    is the number of entries actually written (default: clr_used); gap puts
    bytes of 0xEE between the palette and the pixel rows.
    """
    if grid is not None:
        height = len(grid) if height is None else height
        width = len(grid[0]) if (width is None and grid) else (width or 0)
    palette_entries = clr_used if palette_entries is None else palette_entries
    if pixel_data is None:
        rows = grid if grid is not None else []
        ordered = rows if top_down else list(reversed(rows))
        pixel_data = b"".join(bytes(row) for row in ordered)
    palette = b"".join(bytes((i * 3 % 256, i * 5 % 256, i * 7 % 256, 0)) for i in range(palette_entries))
    pixel_start = 14 + info_size + len(palette) + gap
    if off_bits is None:
        off_bits = pixel_start
    if size_image is None:
        size_image = len(pixel_data)
    if width_field is None:
        width_field = width
    if height_field is None:
        height_field = -height if top_down else height
    info = struct.pack("<iiihhiiiiii", info_size, width_field, height_field, 1, bit_count,
                       compression, size_image, 2835, 2835, clr_used, 0)
    info += bytes(info_size - 40)
    total = pixel_start + len(pixel_data)
    header = signature + struct.pack("<iii", total, 0, off_bits)
    return header + info + palette + bytes([0xEE]) * gap + pixel_data


# ---- expectations -------------------------------------------------------

def sprites_of(grid):
    """(x, y, data bytes, preview rows) per cell, in sprite-number order."""
    height = len(grid)
    width = len(grid[0]) if grid else 0
    sprites = []
    for top in range(0, height - height % 21, 21):
        for left in range(0, width - width % 24, 24):
            data = []
            previews = []
            for row in range(21):
                cells = grid[top + row][left:left + 24]
                previews.append("".join("." if v == 0 else str(v) for v in cells))
                for k in range(3):
                    v = cells[8 * k:8 * k + 8]
                    data.append(64 * v[0] + 16 * v[2] + 4 * v[4] + v[6])
            sprites.append((left, top, data, previews))
    return sprites


def source_lines(sprites, acme=False, hexadecimal=False):
    marker = ";" if acme else "//"
    directive = "!byte" if acme else ".byte"

    def value(byte):
        return "$%02X" % byte if hexadecimal else str(byte)

    lines = ["\t" + marker + " created using pixmold by -zarn / QTV | Mossgrove"]
    separator = "\t" + marker + " "
    lines.append(separator + "-" * (69 - len(separator)))
    for number, (x, y, data, previews) in enumerate(sprites):
        lines.append("%s SPRITE %d  - Offset: (%d,%d)" % (marker, number, x, y))
        for row in range(21):
            values = ", ".join(value(b) for b in data[3 * row:3 * row + 3])
            lines.append("\t%s\t%s\t\t%s %s" % (directive, values, marker, previews[row]))
        lines.append("\t%s\t0\t%s align byte" % (directive, marker))
        lines.append("")
    return lines


def source_file(sprites, acme=False, hexadecimal=False):
    return b"".join(line.encode() + CRLF for line in source_lines(sprites, acme, hexadecimal))


def spritepad_file(sprites):
    out = bytearray([0, 15, 1])
    for _, _, data, _ in sprites:
        out += bytes(data) + bytes([140])
    return bytes(out)


def banner(bits):
    version = " V0.3.442 BETA written 2013 by " if bits == 64 else " V0.3.440 BETA written 2013 by "
    return "pixmold" + version + "-zarn of QTV | Mossgrove"


USAGE = [
    "> Usage: pixmoldxx.exe -s <sourcefile> -d <destination file> <parameter List>",
    "",
    ">   -? -h -help This helptext.",
    ">   -s    <sourcefile> uncompressed 256color bitmap file.",
    ">   -d    <outputfile> for sourcecode",
    ">   -e    <outputfile> for SpritePad data",
    ">   -p    waits for <RETURN> key after execution.",
    ">   -v    some gfx output. WILD",
    ">   -hex  toggles to hex output mode.",
    ">   -acme toggles to acme compiler output mode.",
    "",
    "",
]

PRESS_RETURN = "> Press RETURN to continue...."

WRONG_TYPE = [
    "",
    "> Error: Wrong filetype.",
    ">        Only *.bmp ,256colors indexed, uncompressed files are allowed.",
    "",
]

NOT_MULTICOLOR = [
    "> Unable to convert this picture.",
    "> Only Multicolor pictures are allowed.",
    "",
    "> pixmold BETA VERSION !",
    "> ERROR: Function not supported yet..",
    "",
    "> Press RETURN To Continue....",
]

BAD_COLORS_END = [
    "> Use colors 0-3 and 255 for your pictures only.",
    "> Exit program... No data converted.",
    "",
]

SIXTEEN_COLORS = [
    "> Error. Source bitmap has only 16 colors.",
    "> Please use 256color pics only.",
    "> Exit program... No data converted.",
    "",
]


def scanning(size_image):
    return "> Scanning %d bytes of pixeldata..." % size_image


def converting(count):
    return "> Converting %d sprites to C64 format" % count


def source_written(name):
    return ["> writing data to file: " + name, "> ...done!", ""]


def spritepad_written(name):
    return ["> Exporting data to SpritePad format, but with temp colors ...",
            "> Saving file: " + name, "> ...done!", ""]


def verbose_echo(sprites, acme=False, hexadecimal=False):
    """The console lines of -v: every file line behind "> ", sprites' empty lines bare."""
    lines = source_lines(sprites, acme, hexadecimal)
    echo = [""]
    for line in lines:
        echo.append("> " + line if line else "")
    return echo


def color_error(color, index, width):
    return "> Error: Color %d found on index $%s | (X%d,Y%d)" % (
        color, "%05X" % index, index % width, index // width)
