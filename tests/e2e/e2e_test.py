#!/usr/bin/env python3
"""End-to-end tests: the built program, run as a user runs it.

Every case runs the program in a fresh temporary folder (the working folder
of the process), with standard input and output redirected, and compares the
console bytes, the exit code and every file in the folder afterwards.  The
Windows builds run under wine; pass its command words with --emulator-word.

    e2e_test.py --program build/linux-x64/converter/pixmold --bits 64
    e2e_test.py --program pixmold.exe --emulator-word /usr/lib/wine/wine64 \
                --bits 64 --system windows --group 1/4
"""

import argparse
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sheets  # noqa: E402
from sheets import (BAD_COLORS_END, NOT_MULTICOLOR, PRESS_RETURN, SIXTEEN_COLORS,  # noqa: E402
                    USAGE, WRONG_TYPE, bitmap_bytes, color_error, converting, filled_grid,
                    pattern_grid, scanning, source_file, source_written, sprites_of,
                    spritepad_file, spritepad_written, verbose_echo)

NO_SOURCE_NAME = "> Error: No destination filename for sourcecode output."
NO_SPRITEPAD_NAME = "> Error: No destination filename for spritepad output."
NOT_FOUND = "> Error: Source bitmap file not found."
BAD_HEADER = "> Error: BITMAPHEADER check failed."
BAD_COMPRESSION = "Error: Wromg bitmap format. Use only UNCOMPRESSED 256color files."
BAD_WIDTH = "Error: Wromg bitmap width. Bitmap width must be a multiple of 24."
BAD_HEIGHT = "Error: Wromg bitmap hight. Bitmap hight must be a multiple of 21."
NEGATIVE_WIDTH = "> Error: Negative bitmap width is not supported."
BAD_PALETTE = "> Error: Bitmap palette size is invalid."
TOO_LARGE = "> Error: Bitmap is too large."


def case(name, args, console, *, files=None, stdin=b"", outputs=None, systems=None,
         setup=None, console_check=None, program_folder=None, stdout_to_file=False):
    """One run: console lines after the banner and its empty line; outputs are the
    files expected in the folder besides the inputs (name -> bytes)."""
    return dict(name=name, args=args, console=console, files=files or {}, stdin=stdin,
                outputs=outputs or {}, systems=systems, setup=setup,
                console_check=console_check, program_folder=program_folder,
                stdout_to_file=stdout_to_file)


# ---- pictures -----------------------------------------------------------

def worked_example_grid():
    """Every row 1,1,2,2,3,3,0,0 three times over: bytes 108, 108, 108."""
    return [[1, 1, 2, 2, 3, 3, 0, 0] * 3 for _ in range(21)]


WORKED_ROW = "112233..112233..112233.."


def worked_example_lines(acme, hexadecimal):
    marker, directive = (";", "!byte") if acme else ("//", ".byte")
    values = "$6C, $6C, $6C" if hexadecimal else "108, 108, 108"
    dashes = "-" * (66 if acme else 65)
    return (["\t%s created using pixmold by -zarn / QTV | Mossgrove" % marker,
             "\t%s %s" % (marker, dashes),
             "%s SPRITE 0  - Offset: (0,0)" % marker]
            + ["\t%s\t%s\t\t%s %s" % (directive, values, marker, WORKED_ROW)] * 21
            + ["\t%s\t0\t%s align byte" % (directive, marker), ""])


def crlf(lines):
    return b"".join(line.encode("latin-1") + b"\r\n" for line in lines)


def with_pixels(grid, changes):
    """A copy of grid with (x, y) -> index changes."""
    copy = [list(row) for row in grid]
    for (x, y), value in changes.items():
        copy[y][x] = value
    return copy


def zeroed_255(grid):
    return [[0 if v == 255 else v for v in row] for row in grid]


GRID48 = pattern_grid(48, 42)
SHEET48 = bitmap_bytes(GRID48)
SPRITES48 = sprites_of(GRID48)
WORKED = bitmap_bytes(worked_example_grid())
WORKED_SPRITES = sprites_of(worked_example_grid())
GRID72 = pattern_grid(72, 63, seed=1)


def converted(name="out.asm", sprites=SPRITES48, acme=False, hexadecimal=False):
    return {name: source_file(sprites, acme, hexadecimal)}


# ---- the cases ----------------------------------------------------------

def run_control_cases():
    usage_wait = USAGE + [PRESS_RETURN]
    return [
        case("no parameters", [], USAGE),
        case("-p alone waits after the usage text", ["-p"], usage_wait, stdin=b"\r\n"),
        case("-p alone with no input at all", ["-p"], usage_wait),
        case("quoted empty parameter ends the options", ["-p", "", "-s", "a.bmp"], usage_wait,
             files={"a.bmp": SHEET48}, stdin=b"\n"),
        case("empty parameter after -s a.bmp ends before -d",
             ["-s", "a.bmp", "", "-d", "out.asm"],
             [scanning(2016), converting(4), NO_SOURCE_NAME], files={"a.bmp": SHEET48}),
        case("256 counted options wrap to none", ["-v"] * 256, USAGE),
        case("257 counted options count one", ["-v"] * 257, WRONG_TYPE),
        case("unknown options are not counted", ["-H", "-S", "/?", "picture.bmp", "-HEX"], USAGE),
        case("-h", ["-h"], USAGE),
        case("-?", ["-?"], USAGE),
        case("-help with a conversion", ["-s", "a.bmp", "-d", "out.asm", "-help"], USAGE,
             files={"a.bmp": SHEET48}),
        case("credits alone", ["-7305"], None, console_check=check_credits, stdin=b"\r\n"),
        case("credits before -h", ["-h", "-7305"], None, console_check=check_credits),
        case("credits over a whole conversion",
             ["-s", "a.bmp", "-d", "out.asm", "-e", "out.spr", "-7305"], None,
             console_check=check_credits, files={"a.bmp": SHEET48}),
        case("credits with -p wait once", ["-p", "-7305"], None, console_check=check_credits,
             stdin=b"\r\n\r\n"),
        case("-s takes -d as its name", ["-s", "-d", "out.asm"], WRONG_TYPE),
        case("the later -s counts", ["-s", "missing.bmp", "-s", "b.bmp", "-d", "out.asm"],
             [scanning(2016), converting(4)] + source_written("out.asm"),
             files={"b.bmp": SHEET48}, outputs=converted()),
        case("the later -d counts", ["-s", "a.bmp", "-d", "first.asm", "-d", "second.asm"],
             [scanning(2016), converting(4)] + source_written("second.asm"),
             files={"a.bmp": SHEET48}, outputs=converted("second.asm")),
        case("-acme twice is -acme once", ["-s", "a.bmp", "-d", "out.asm", "-acme", "-acme"],
             [scanning(2016), converting(4)] + source_written("out.asm"),
             files={"a.bmp": SHEET48}, outputs=converted(acme=True)),
        case("names with blanks", ["-s", "my sheet.bmp", "-d", "my out.asm"],
             [scanning(2016), converting(4)] + source_written("my out.asm"),
             files={"my sheet.bmp": SHEET48}, outputs=converted("my out.asm")),
        case("program in a folder with a blank", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(2016), converting(4)] + source_written("out.asm"),
             files={"a.bmp": SHEET48}, outputs=converted(), program_folder="my tools"),
        case("console written to a file", ["-s", "a.bmp", "-d", "out.asm", "-v"],
             [scanning(2016)] + verbose_echo(SPRITES48),
             files={"a.bmp": SHEET48}, outputs=converted(), stdout_to_file=True),
        case("usage written to a file", ["-p"], usage_wait, stdout_to_file=True),
    ] + [
        case("-p reads input ending in %s" % label, ["-p"], usage_wait, stdin=data)
        for label, data in (("CR LF", b"abc\r\ndef\r\n"), ("a lone LF", b"abc\ndef"),
                            ("no line end", b"abc"), ("a lone CR", b"abc\r"))
    ] + [
        case("-p after an error waits", ["-p", "-s", "missing.bmp"], [NOT_FOUND, PRESS_RETURN],
             stdin=b"\r\n"),
        case("-p after a conversion waits", ["-s", "a.bmp", "-d", "out.asm", "-p"],
             [scanning(2016), converting(4)] + source_written("out.asm") + [PRESS_RETURN],
             files={"a.bmp": SHEET48}, outputs=converted(), stdin=b"\r\n"),
    ]


def check_credits(lines):
    """Twenty lines: fixed 67-character lines, ">" alone at 10, 16, 18, 19,
    and the closing prompt; no RETURN prompt of the normal end."""
    if len(lines) != 20:
        return "expected 20 credits lines, got %d" % len(lines)
    for number, line in enumerate(lines, 1):
        if number in (10, 16, 18, 19):
            if line != ">":
                return "line %d should be '>' alone: %r" % (number, line)
        elif len(line) != 67 or not line.startswith(">"):
            return "line %d is not a 67-character line: %r" % (number, line)
    if lines[19] != ">" + " " * 53 + "<PRESS ENTER>":
        return "bad last line %r" % lines[19]
    return None


def output_form_cases():
    cases = []
    for flags, acme, hexadecimal in ((["-d", "w.asm"], False, False),
                                      (["-hex", "-d", "w.asm"], False, True),
                                      (["-d", "w.asm", "-acme"], True, False),
                                      (["-acme", "-hex", "-d", "w.asm"], True, True)):
        expected = crlf(worked_example_lines(acme, hexadecimal))
        assert expected == source_file(WORKED_SPRITES, acme, hexadecimal)
        cases.append(case("worked example %s" % " ".join(flags), ["-s", "w.bmp"] + flags,
                          [scanning(504), converting(1)] + source_written("w.asm"),
                          files={"w.bmp": WORKED}, outputs={"w.asm": expected}))
        cases.append(case("worked example -v %s" % " ".join(flags), ["-s", "w.bmp", "-v"] + flags,
                          [scanning(504), ""] + ["> " + l if l else "" for l in worked_example_lines(acme, hexadecimal)],
                          files={"w.bmp": WORKED}, outputs={"w.asm": expected}))
    typical_spr = spritepad_file(SPRITES48)
    typical_asm = source_file(SPRITES48, hexadecimal=True)
    assert len(typical_spr) == 259 and typical_asm.count(b"\r\n") == 98
    cases += [
        case("typical run", ["-s", "sheet.bmp", "-d", "sheet.asm", "-e", "sheet.spr", "-hex"],
             [scanning(2016), converting(4)] + source_written("sheet.asm") + spritepad_written("sheet.spr"),
             files={"sheet.bmp": SHEET48}, outputs={"sheet.asm": typical_asm, "sheet.spr": typical_spr}),
        case("-v echoes, SpritePad lines stay", ["-v", "-s", "a.bmp", "-d", "out.asm", "-e", "out.spr"],
             [scanning(2016)] + verbose_echo(SPRITES48) + spritepad_written("out.spr"),
             files={"a.bmp": SHEET48},
             outputs={"out.asm": source_file(SPRITES48), "out.spr": spritepad_file(SPRITES48)}),
        case("existing outputs are replaced", ["-s", "a.bmp", "-d", "out.asm", "-e", "out.spr"],
             [scanning(2016), converting(4)] + source_written("out.asm") + spritepad_written("out.spr"),
             files={"a.bmp": SHEET48, "out.asm": b"x" * 50000, "out.spr": b"y" * 9000},
             outputs={"out.asm": source_file(SPRITES48), "out.spr": spritepad_file(SPRITES48)}),
        case("sprites numbered left to right, bands top to bottom",
             ["-s", "a.bmp", "-d", "out.asm", "-e", "out.spr", "-acme"],
             [scanning(72 * 63), converting(9)] + source_written("out.asm") + spritepad_written("out.spr"),
             files={"a.bmp": bitmap_bytes(GRID72)},
             outputs={"out.asm": source_file(sprites_of(GRID72), acme=True),
                      "out.spr": spritepad_file(sprites_of(GRID72))}),
        case("odd columns are shown, not encoded", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(504), converting(1)] + source_written("out.asm"),
             files={"a.bmp": bitmap_bytes(with_pixels(filled_grid(24, 21, 0), {(1, 0): 2}))},
             outputs={"out.asm": crlf(["\t// created using pixmold by -zarn / QTV | Mossgrove",
                                       "\t// " + "-" * 65, "// SPRITE 0  - Offset: (0,0)",
                                       "\t.byte\t0, 0, 0\t\t// .2" + "." * 22]
                                      + ["\t.byte\t0, 0, 0\t\t// " + "." * 24] * 20
                                      + ["\t.byte\t0\t// align byte", ""])}),
        case("rows of 1, 2 and 3 give 85, 170 and 255", ["-s", "a.bmp", "-d", "out.asm", "-hex"],
             [scanning(504), converting(1)] + source_written("out.asm"),
             files={"a.bmp": bitmap_bytes([[1 + y % 3] * 24 for y in range(21)])},
             outputs={"out.asm": crlf(["\t// created using pixmold by -zarn / QTV | Mossgrove",
                                       "\t// " + "-" * 65, "// SPRITE 0  - Offset: (0,0)"]
                                      + ["\t.byte\t%s\t\t// %s" % (", ".join(["$%02X" % (85 * (1 + y % 3))] * 3),
                                                                 str(1 + y % 3) * 24) for y in range(21)]
                                      + ["\t.byte\t0\t// align byte", ""])}),
    ]
    return cases


def bitmap_failure_cases():
    grid_bad = with_pixels(GRID48, {(2, 40): 7, (0, 0): 4, (47, 41): 254, (5, 3): 255, (30, 20): 128})
    # One line per pixel in plane order, top row first: (x, y) is index y * 48 + x.
    bad_lines = [color_error(4, 0, 48), color_error(128, 20 * 48 + 30, 48),
                 color_error(7, 40 * 48 + 2, 48), color_error(254, 41 * 48 + 47, 48)]
    grid255 = with_pixels(GRID48, {(0, 0): 255, (23, 20): 255, (47, 41): 255})
    only01 = with_pixels([[(x + y) % 2 for x in range(48)] for y in range(42)], {(3, 3): 255})
    grid288 = with_pixels(filled_grid(288, 252, 2), {(70000 % 288, 70000 // 288): 9})
    grid1200 = with_pixels(filled_grid(1200, 882, 3), {(1048576 % 1200, 1048576 // 1200): 200})
    return [
        case("PICTURE.BMP passes the type test", ["-s", "PICTURE.BMP"],
             [scanning(2016), converting(4), NO_SOURCE_NAME], files={"PICTURE.BMP": SHEET48}),
        case("a.b.Bmp passes the type test", ["-s", "a.b.Bmp"],
             [scanning(2016), converting(4), NO_SOURCE_NAME], files={"a.b.Bmp": SHEET48}),
    ] + [
        case("type test refuses %s" % name, ["-s", name, "-d", "out.asm"], WRONG_TYPE,
             files={"picture.bmp.txt": SHEET48, "picture": SHEET48, "dir.bmp/picture": SHEET48})
        for name in ("picture.bmp.txt", "picture", "dir.bmp/picture", "dir.bmp\\picture", "x.bmp.")
    ] + [
        case("no -s at all", ["-d", "out.asm"], WRONG_TYPE),
        case("a folder is not a bitmap", ["-s", "x.bmp", "-d", "out.asm"], [NOT_FOUND],
             files={"x.bmp/inside": b"z"}),
        case("missing bitmap", ["-s", "none.bmp", "-d", "out.asm"], [NOT_FOUND]),
        case("empty file", ["-s", "a.bmp"], [BAD_HEADER], files={"a.bmp": b""}),
        case("13-byte file", ["-s", "a.bmp"], [BAD_HEADER], files={"a.bmp": b"not a bitmap!"}),
        case("signature only, the rest reads as 0", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(0), converting(0)] + NOT_MULTICOLOR, files={"a.bmp": b"BM"}, stdin=b"\r\n"),
        case("compression is tested before the width", ["-s", "a.bmp"], [BAD_COMPRESSION],
             files={"a.bmp": bitmap_bytes(pattern_grid(40, 42), compression=1)}),
        case("width 40", ["-s", "a.bmp"], [BAD_WIDTH], files={"a.bmp": bitmap_bytes(pattern_grid(40, 42))}),
        case("width before height", ["-s", "a.bmp"], [BAD_WIDTH],
             files={"a.bmp": bitmap_bytes(pattern_grid(40, 20))}),
        case("height 20", ["-s", "a.bmp"], [BAD_HEIGHT], files={"a.bmp": bitmap_bytes(pattern_grid(48, 20))}),
        case("negative height not a multiple of 21", ["-s", "a.bmp"], [BAD_HEIGHT],
             files={"a.bmp": bitmap_bytes(pattern_grid(48, 20), top_down=True)}),
        case("4-bit picture of valid size", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(1008)] + SIXTEEN_COLORS,
             files={"a.bmp": bitmap_bytes(width=48, height=42, bit_count=4, clr_used=16,
                                          pixel_data=bytes(1008))}),
        case("4-bit picture of bad width", ["-s", "a.bmp"], [BAD_WIDTH],
             files={"a.bmp": bitmap_bytes(width=40, height=42, bit_count=4, clr_used=16,
                                          pixel_data=bytes(840))}),
        case("24-bit picture is not multicolour", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(1512), converting(1)] + NOT_MULTICOLOR,
             files={"a.bmp": bitmap_bytes(width=24, height=21, bit_count=24, clr_used=0,
                                          pixel_data=bytes([2]) * 1512)}, stdin=b"\r\n"),
        case("bad colours, one line per pixel in plane order", ["-s", "a.bmp", "-d", "out.asm", "-e", "x.spr"],
             [scanning(2016)] + bad_lines + BAD_COLORS_END, files={"a.bmp": bitmap_bytes(grid_bad)}),
        case("the colour error line of the example", ["-s", "a.bmp"],
             [scanning(2016), "> Error: Color 7 found on index $00032 | (X2,Y1)"] + BAD_COLORS_END,
             files={"a.bmp": bitmap_bytes(with_pixels(GRID48, {(2, 1): 7}))}),
        case("index 70000 shown whole", ["-s", "a.bmp"],
             [scanning(288 * 252), "> Error: Color 9 found on index $11170 | (X16,Y243)"] + BAD_COLORS_END,
             files={"a.bmp": bitmap_bytes(grid288)}),
        case("index 1048576 shown whole", ["-s", "a.bmp", "-p"],
             [scanning(1200 * 882), "> Error: Color 200 found on index $100000 | (X976,Y873)"]
             + BAD_COLORS_END + [PRESS_RETURN],
             files={"a.bmp": bitmap_bytes(grid1200)}, stdin=b"\r\n"),
        case("index 255 alone is reported and read as 0", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(2016), "> Info: 3 pixel found with color index 255. Set to index 0..", converting(4)]
             + source_written("out.asm"),
             files={"a.bmp": bitmap_bytes(grid255)}, outputs=converted(sprites=sprites_of(zeroed_255(grid255)))),
        case("indexes 0, 1 and 255 only are refused", ["-s", "a.bmp", "-d", "out.asm", "-e", "o.spr"],
             [scanning(2016), "> Info: 1 pixel found with color index 255. Set to index 0..", converting(4)]
             + NOT_MULTICOLOR, files={"a.bmp": bitmap_bytes(only01)}, stdin=b"\r\n"),
        case("width 0 gives no sprites", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(0), converting(0)] + NOT_MULTICOLOR,
             files={"a.bmp": bitmap_bytes(width=0, height=42, pixel_data=b"")}, stdin=b"\r\n"),
        case("pixel data cut short reads as index 0", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(2016), converting(4)] + source_written("out.asm"),
             files={"a.bmp": bitmap_bytes(GRID48)[:-1000]},
             outputs=converted(sprites=sprites_of(cut_short_grid(GRID48, 1000)))),
    ] + [
        case("palette of %d entries" % entries, ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(2016), converting(4)] + source_written("out.asm"),
             files={"a.bmp": bitmap_bytes(GRID48, clr_used=entries)}, outputs=converted())
        for entries in (0, 4, 256)
    ]


def cut_short_grid(grid, missing):
    """The picture a reader sees when the last `missing` pixel bytes are absent:
    the file holds the bottom row first, so the lost bytes are at the top."""
    height, width = len(grid), len(grid[0])
    stored = [v for row in reversed(grid) for v in row]
    stored = stored[:len(stored) - missing] + [0] * missing
    rows = [stored[r * width:(r + 1) * width] for r in range(height)]
    return list(reversed(rows))


def mend_cases():
    source_then = [scanning(2016), converting(4)] + source_written("out.asm")
    asm = source_file(SPRITES48)
    spr = spritepad_file(SPRITES48)
    big = 24 * 100000
    return [
        case("source file in a missing folder", ["-s", "a.bmp", "-d", "nowhere/out.asm", "-e", "o.spr"],
             [scanning(2016), converting(4), "> Error: Unable to create file: nowhere/out.asm"],
             files={"a.bmp": SHEET48}),
        case("SpritePad file in a missing folder", ["-s", "a.bmp", "-d", "out.asm", "-e", "nowhere/o.spr"],
             source_then + ["> Error: Unable to create file: nowhere/o.spr"],
             files={"a.bmp": SHEET48}, outputs={"out.asm": asm}),
        case("source file on a full disk", ["-s", "a.bmp", "-d", "/dev/full", "-e", "o.spr"],
             [scanning(2016), converting(4), "> writing data to file: /dev/full",
              "> Error: Unable to write file: /dev/full"], files={"a.bmp": SHEET48}, systems=("linux",)),
        case("source file on a full disk with -v", ["-s", "a.bmp", "-d", "/dev/full", "-v"],
             [scanning(2016)] + verbose_echo(SPRITES48) + ["> Error: Unable to write file: /dev/full"],
             files={"a.bmp": SHEET48}, systems=("linux",)),
        case("SpritePad file on a full disk", ["-s", "a.bmp", "-d", "out.asm", "-e", "/dev/full"],
             source_then + ["> Error: Unable to write file: /dev/full"],
             files={"a.bmp": SHEET48}, outputs={"out.asm": asm}, systems=("linux",)),
        case("a device is never the source", ["-s", "a.bmp", "-d", "/dev/null", "-e", "/dev/null"],
             [scanning(2016), converting(4)] + source_written("/dev/null") + spritepad_written("/dev/null"),
             files={"a.bmp": SHEET48}, systems=("linux",)),
    ] + [
        case("destination %s is the source" % name, ["-s", "a.bmp", "-d", name],
             [scanning(2016), converting(4), "> Error: Destination file is the source bitmap: " + name],
             files={"a.bmp": SHEET48, "sub/keep": b""})
        for name in ("a.bmp", "./a.bmp", "sub/../a.bmp")
    ] + [
        case("destination is a hard link to the source", ["-s", "a.bmp", "-d", "link.asm"],
             [scanning(2016), converting(4), "> Error: Destination file is the source bitmap: link.asm"],
             files={"a.bmp": SHEET48}, setup=lambda folder: os.link(os.path.join(folder, "a.bmp"),
                                                                     os.path.join(folder, "link.asm")),
             outputs={"link.asm": SHEET48}),
        case("destination is a symbolic link to the source", ["-s", "a.bmp", "-d", "link.asm"],
             [scanning(2016), converting(4), "> Error: Destination file is the source bitmap: link.asm"],
             files={"a.bmp": SHEET48}, setup=lambda folder: os.symlink("a.bmp", os.path.join(folder, "link.asm")),
             systems=("linux",)),
        case("SpritePad file is the source", ["-s", "a.bmp", "-d", "out.asm", "-e", "./a.bmp"],
             source_then + ["> Error: Destination file is the source bitmap: ./a.bmp"],
             files={"a.bmp": SHEET48}, outputs={"out.asm": asm}),
        case("SpritePad file is the source file", ["-s", "a.bmp", "-d", "out.asm", "-e", "./out.asm"],
             source_then + ["> Error: SpritePad file is the sourcecode file: ./out.asm"],
             files={"a.bmp": SHEET48}, outputs={"out.asm": asm}),
        case("SpritePad file named like a missing source file", ["-s", "a.bmp", "-d", "out.asm", "-e", "out.spr"],
             source_then + spritepad_written("out.spr"),
             files={"a.bmp": SHEET48}, outputs={"out.asm": asm, "out.spr": spr}),
        case("top-down rows", ["-s", "a.bmp", "-d", "out.asm", "-e", "out.spr"],
             source_then + spritepad_written("out.spr"),
             files={"a.bmp": bitmap_bytes(GRID48, top_down=True)}, outputs={"out.asm": asm, "out.spr": spr}),
        case("negative width", ["-s", "a.bmp"], [NEGATIVE_WIDTH],
             files={"a.bmp": bitmap_bytes(GRID48, width_field=-48)}),
        case("negative width of a bad multiple", ["-s", "a.bmp"], [BAD_WIDTH],
             files={"a.bmp": bitmap_bytes(GRID48, width_field=-40)}),
        case("108-byte info header", ["-s", "a.bmp", "-d", "out.asm"], source_then,
             files={"a.bmp": bitmap_bytes(GRID48, info_size=108)}, outputs={"out.asm": asm}),
        case("124-byte info header, full palette, gap", ["-s", "a.bmp", "-d", "out.asm"], source_then,
             files={"a.bmp": bitmap_bytes(GRID48, info_size=124, clr_used=0, palette_entries=256, gap=6)},
             outputs={"out.asm": asm}),
        case("biClrUsed 0 with a full palette", ["-s", "a.bmp", "-d", "out.asm"], source_then,
             files={"a.bmp": bitmap_bytes(GRID48, clr_used=0, palette_entries=256)}, outputs={"out.asm": asm}),
        case("pixel offset beyond the file is ignored", ["-s", "a.bmp", "-d", "out.asm"], source_then,
             files={"a.bmp": bitmap_bytes(GRID48, off_bits=10 ** 6)}, outputs={"out.asm": asm}),
        case("biSizeImage 0", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(0), converting(4)] + source_written("out.asm"),
             files={"a.bmp": bitmap_bytes(GRID48, size_image=0)}, outputs={"out.asm": asm}),
        case("biSizeImage larger than the picture", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(99999), converting(4)] + source_written("out.asm"),
             files={"a.bmp": bitmap_bytes(GRID48, size_image=99999)}, outputs={"out.asm": asm}),
        case("biSizeImage negative", ["-s", "a.bmp", "-d", "out.asm"],
             [scanning(-5), converting(4)] + source_written("out.asm"),
             files={"a.bmp": bitmap_bytes(GRID48, size_image=-5)}, outputs={"out.asm": asm}),
        case("biClrUsed 300 before the compression test", ["-s", "a.bmp"], [BAD_PALETTE],
             files={"a.bmp": bitmap_bytes(GRID48, clr_used=300, palette_entries=0, compression=1)}),
        case("biClrUsed -1", ["-s", "a.bmp"], [BAD_PALETTE],
             files={"a.bmp": bitmap_bytes(GRID48, clr_used=-1, palette_entries=0)}),
        case("biClrUsed 257", ["-s", "a.bmp"], [BAD_PALETTE],
             files={"a.bmp": bitmap_bytes(GRID48, clr_used=257, palette_entries=257)}),
        case("huge picture in a tiny file", ["-s", "a.bmp", "-d", "out.asm"], [TOO_LARGE],
             files={"a.bmp": bitmap_bytes(width=big, height=21 * 100000, pixel_data=bytes(64))}),
        case("picture of more than 2147483647 pixels", ["-s", "a.bmp"], [TOO_LARGE],
             files={"a.bmp": bitmap_bytes(width=48000, height=46998, pixel_data=bytes(64))}),
        case("too large is tested before the depth", ["-s", "a.bmp"], [TOO_LARGE],
             files={"a.bmp": bitmap_bytes(width=24000, height=21000, bit_count=4, pixel_data=bytes(64))}),
        case("height -2147483646 in a tiny file", ["-s", "a.bmp"], [TOO_LARGE],
             files={"a.bmp": bitmap_bytes(width=24, height=1, height_field=-2147483646, pixel_data=bytes(64))}),
    ]


ALL_CASES = run_control_cases() + output_form_cases() + bitmap_failure_cases() + mend_cases()


# ---- running ------------------------------------------------------------

def console_lines(data):
    """The console's lines, each of which must end in CR LF."""
    if data and not data.endswith(b"\r\n"):
        return None
    return data.decode("latin-1").split("\r\n")[:-1] if data else []


def write_inputs(folder, files):
    for name, content in files.items():
        path = os.path.join(folder, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as stream:
            stream.write(content)


def folder_contents(folder):
    found = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            relative = os.path.relpath(path, folder).replace(os.sep, "/")
            if os.path.islink(path) or not stat.S_ISREG(os.lstat(path).st_mode):
                found[relative] = os.readlink(path) if os.path.islink(path) else None
            else:
                with open(path, "rb") as stream:
                    found[relative] = stream.read()
    return found


TIME_LIMIT = 120


def run_program(command, folder, stdin, stdout, environment):
    """The finished process, or None when it did not end in time."""
    try:
        return subprocess.run(command, cwd=folder, input=stdin, stdout=stdout, stderr=subprocess.PIPE,
                              env=environment, timeout=TIME_LIMIT)
    except subprocess.TimeoutExpired:
        return None


def run_case(options, test):
    with tempfile.TemporaryDirectory(prefix="pixmold-e2e-") as folder:
        write_inputs(folder, test["files"])
        if test["setup"]:
            test["setup"](folder)
        before = folder_contents(folder)
        program = options.program
        if test["program_folder"]:
            target = os.path.join(folder, test["program_folder"])
            os.makedirs(target)
            program = shutil.copy(options.program, target)
        command = options.emulator_word + [program] + test["args"]
        environment = dict(os.environ, WINEDEBUG="-all")
        if test["stdout_to_file"]:
            with tempfile.TemporaryFile() as console:
                result = run_program(command, folder, test["stdin"], console, environment)
                if result is None:
                    return ["no end within %d seconds" % TIME_LIMIT]
                console.seek(0)
                stdout = console.read()
        else:
            result = run_program(command, folder, test["stdin"], subprocess.PIPE, environment)
            if result is None:
                return ["no end within %d seconds" % TIME_LIMIT]
            stdout = result.stdout
        after = folder_contents(folder)
        if test["program_folder"]:
            after = {k: v for k, v in after.items() if not k.startswith(test["program_folder"] + "/")}
    return check_run(options, test, result, stdout, before, after)


def check_run(options, test, result, stdout, before, after):
    problems = []
    if result.returncode != 0:
        problems.append("exit code %d" % result.returncode)
    if not options.emulator_word and result.stderr:
        problems.append("standard error: %r" % result.stderr[:300])
    lines = console_lines(stdout)
    head = [sheets.banner(options.bits), ""]
    if lines is None:
        problems.append("console output does not end in CR LF: %r" % stdout[-80:])
    elif test["console_check"]:
        if lines[:2] != head:
            problems.append("banner: %r" % lines[:2])
        else:
            message = test["console_check"](lines[2:])
            if message:
                problems.append(message)
    else:
        expected = crlf(head + test["console"])
        if stdout != expected:
            problems.append(describe_difference("console", expected, stdout))
    expected_files = dict(before)
    expected_files.update(test["outputs"])
    for name in sorted(set(expected_files) | set(after)):
        if name not in after:
            problems.append("missing file %s" % name)
        elif name not in expected_files:
            problems.append("unexpected file %s" % name)
        elif after[name] != expected_files[name]:
            problems.append(describe_difference(name, expected_files[name], after[name]))
    return problems


def describe_difference(what, expected, actual):
    if isinstance(expected, bytes) and isinstance(actual, bytes):
        at = next((i for i, (a, b) in enumerate(zip(expected, actual)) if a != b), min(len(expected), len(actual)))
        return "%s differs at byte %d (lengths %d expected, %d actual): expected %r, got %r" % (
            what, at, len(expected), len(actual), expected[max(0, at - 40):at + 40], actual[max(0, at - 40):at + 40])
    return "%s: expected %.80r, got %.80r" % (what, expected, actual)


# ---- an interactive terminal (Linux) --------------------------------------

TERMINAL_CASES = [
    # name, typed after the prompt, what the terminal echoes back
    ("terminal: a typed line ends the wait", b"go on\n", b"go on\n"),
    ("terminal: Ctrl+D alone ends the wait", b"\x04", b""),
]


def run_terminal_case(options, typed, echoed):
    """-p on a pseudo-terminal in line mode with echo (output unprocessed, so
    that every byte shows as written): the program sets the title and reads
    one edited line."""
    import select
    import termios
    controller, terminal = os.openpty()
    mode = termios.tcgetattr(terminal)
    mode[1] &= ~termios.OPOST
    termios.tcsetattr(terminal, termios.TCSANOW, mode)
    with tempfile.TemporaryDirectory(prefix="pixmold-e2e-") as folder:
        process = subprocess.Popen(options.emulator_word + [options.program, "-p"], cwd=folder,
                                   stdin=terminal, stdout=terminal, stderr=subprocess.PIPE)
        os.close(terminal)
        prompt = crlf([sheets.banner(options.bits), ""] + USAGE + [PRESS_RETURN])
        expected = b"\x1b]0;" + sheets.banner(options.bits).encode() + b"\x07" + prompt
        seen = b""
        deadline = time.monotonic() + TIME_LIMIT
        while len(seen) < len(expected) and time.monotonic() < deadline:
            if select.select([controller], [], [], 1)[0]:
                seen += os.read(controller, 65536)
        os.write(controller, typed)
        while time.monotonic() < deadline:  # the echo, until the program has ended
            if select.select([controller], [], [], 0.2)[0]:
                try:
                    seen += os.read(controller, 65536)
                    continue
                except OSError:  # the terminal is gone with the program
                    break
            if process.poll() is not None:
                break
        process.wait(timeout=max(1, deadline - time.monotonic()))
        os.close(controller)
    problems = []
    if seen != expected + echoed:
        problems.append(describe_difference("terminal", expected + echoed, seen))
    if process.returncode != 0:
        problems.append("exit code %d" % process.returncode)
    if process.stderr.read():
        problems.append("standard error is not empty")
    process.stderr.close()
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True)
    parser.add_argument("--emulator-word", action="append", default=[])
    parser.add_argument("--bits", type=int, choices=(32, 64), required=True)
    parser.add_argument("--system", choices=("linux", "posix", "windows"), default="linux")
    parser.add_argument("--group", default="1/1", help="run the i-th of N equal shares of the cases")
    parser.add_argument("--only", help="run the cases whose name holds this text")
    options = parser.parse_args()
    options.program = os.path.abspath(options.program)
    share, shares = (int(n) for n in options.group.split("/"))

    selected = [test for number, test in enumerate(ALL_CASES) if number % shares == share - 1]
    selected = [test for test in selected if test["systems"] is None or options.system in test["systems"]
                or (options.system == "linux" and "posix" in test["systems"])]
    if options.only:
        selected = [test for test in selected if options.only in test["name"]]
    if options.system == "linux" and share == shares and not options.only:
        selected += [case(name, ["-p"], None, stdin=(typed, echoed)) for name, typed, echoed in TERMINAL_CASES]
    failures = 0
    for test in selected:
        started = time.monotonic()
        if isinstance(test["stdin"], tuple):
            problems = run_terminal_case(options, *test["stdin"])
        else:
            problems = run_case(options, test)
        print("%s  %5.1fs  %s" % ("ok  " if not problems else "FAIL", time.monotonic() - started, test["name"]))
        for problem in problems:
            print("      " + problem)
        failures += bool(problems)
    print("%d of %d cases passed" % (len(selected) - failures, len(selected)))
    return 1 if failures or not selected else 0


if __name__ == "__main__":
    sys.exit(main())
