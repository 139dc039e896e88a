#!/usr/bin/python3
"""Makes the sprite sheets in fixtures/ with the BMP writers people really use.

Every sheet is drawn here with known colour indexes (0-3, and 255 for some
of the pixels that mean 0), then saved by real programs from Debian:
ImageMagick's convert (BMP3 with a 40-byte header; its default form, with a
108-byte header for a grey PNG and a 124-byte header for a palette PNG), netpbm's ppmtobmp (biClrUsed 0 with a full
256-entry palette and biSizeImage 0), Pillow (a grey "L" picture and a "P"
picture with a colourful palette), and by our own writer in the layouts of
other paint programs (top-down rows; biClrUsed 0 with a full palette).

The palettes are chosen so that no writer has a reason to renumber colours:
the grey writers get the identity grey ramp (index i is grey i), the others
keep the palette they are given.  Each written file is parsed back with
bmpcheck.py and must hold exactly the drawn indexes.  fixtures/manifest.json
names, per file, the writer, the command, the sheet (size, seed and every
row) and the header layout found.

    /usr/bin/python3 tests/realworld/make_fixtures.py [--out FOLDER]

Needs imagemagick, netpbm and python3-pil.  Output is the same on every run.
"""

import argparse
import glob
import json
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import bmpcheck  # noqa: E402
import sheets  # noqa: E402

CONVERT = "/usr/bin/convert"  # ImageMagick itself, whatever else is on PATH

# width, height, seed of each sheet
SHEETS = [(24, 21, 1), (48, 42, 2), (72, 42, 3), (96, 84, 4)]


# ---- the drawing ----------------------------------------------------------

class Numbers:
    """A 64-bit linear congruential generator: the same numbers on every Python."""

    def __init__(self, seed):
        self.state = (seed * 0x9E3779B97F4A7C15 + 1) % 2 ** 64

    def below(self, limit):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2 ** 64
        return (self.state >> 33) % limit


def draw(width, height, seed):
    """A sheet whose every sprite row encodes differently from every other.

    Of the twelve even columns (the ones the encoder samples) of a sprite row,
    the first three carry the row number and the next three the sprite
    number, each as base-4 digits; the other six are random.  Every odd
    column differs from the even column to its left, so reading an odd
    column in place of an even one changes a byte.  About a fifth of the 0
    pixels are then drawn as 255.
    """
    numbers = Numbers(seed)
    across = width // 24
    grid = [[0] * width for _ in range(height)]
    for y in range(height):
        row, band = y % 21, y // 21
        for cell in range(across):
            sprite = band * across + cell
            digits = [(row >> 4) & 3, (row >> 2) & 3, row & 3,
                      (sprite >> 4) & 3, (sprite >> 2) & 3, sprite & 3]
            for pair in range(12):
                if pair < 6:
                    even = (digits[pair] + pair + seed) % 4
                else:
                    even = numbers.below(4)
                odd = (even + 1 + numbers.below(3)) % 4
                grid[y][cell * 24 + 2 * pair] = even
                grid[y][cell * 24 + 2 * pair + 1] = odd
    for y in range(height):
        for x in range(width):
            if grid[y][x] == 0 and numbers.below(5) == 0:
                grid[y][x] = 255
    return grid


def check_drawing(grid):
    """The sheet must be able to tell sprites, rows and columns apart."""
    plain = [[0 if v == 255 else v for v in row] for row in grid]
    sprites = sheets.sprites_of(plain)
    rows = [tuple(data[3 * r:3 * r + 3]) for _, _, data, _ in sprites for r in range(21)]
    assert len(set(rows)) == len(rows), "two sprite rows encode alike"
    assert all(row[x] != row[x + 1] for row in plain for x in range(0, len(row), 2)), \
        "an odd column equals its even neighbour"
    assert any(255 in row for row in grid) and any(2 in row or 3 in row for row in grid)


# ---- the writers ------------------------------------------------------------

GREY = [(i, i, i) for i in range(256)]


def colourful():
    """C64 black, white, red and cyan for 0-3, magenta for 255, distinct others."""
    palette = [(i, 255 - i, i * 37 % 256) for i in range(256)]
    palette[0:4] = [(0, 0, 0), (255, 255, 255), (136, 57, 50), (103, 182, 189)]
    palette[255] = (255, 0, 255)
    return palette


def png_bytes(grid, palette=None):
    """A PNG written with the standard library: 8-bit grey (colour type 0), or
    with a palette (colour type 3)."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    width, height = len(grid[0]), len(grid)
    raw = b"".join(b"\0" + bytes(row) for row in grid)
    kind = 0 if palette is None else 3
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, kind, 0, 0, 0))
            + (chunk(b"PLTE", b"".join(bytes(c) for c in palette)) if palette else b"")
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def pgm_bytes(grid):
    width, height = len(grid[0]), len(grid)
    return b"P5\n%d %d\n255\n" % (width, height) + b"".join(bytes(row) for row in grid)


def run(command, work):
    subprocess.run(command, cwd=work, check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def imagemagick(form, palette=None):
    """convert from a PNG whose grey values (or palette indexes) are the indexes."""
    source = "grey.png" if palette is None else "palette.png"

    def write(grid, work, target):
        with open(os.path.join(work, source), "wb") as stream:
            stream.write(png_bytes(grid, palette))
        run([CONVERT, source, "-compress", "None", form + target], work)
    return write


def netpbm(grid, work, target):
    with open(os.path.join(work, "sheet.pgm"), "wb") as stream:
        stream.write(pgm_bytes(grid))
    with open(os.path.join(work, "grey.pgm"), "wb") as stream:  # the ramp pamseq 1 255 makes
        stream.write(b"P5\n256 1\n255\n" + bytes(range(256)))
    with open(target, "wb") as stream:
        subprocess.run(["ppmtobmp", "-quiet", "-bpp=8", "-mapfile=grey.pgm", "sheet.pgm"], cwd=work,
                       check=True, stdin=subprocess.DEVNULL, stdout=stream, stderr=subprocess.PIPE)


def pillow(mode):
    def write(grid, work, target):
        from PIL import Image
        width, height = len(grid[0]), len(grid)
        picture = Image.frombytes(mode, (width, height), b"".join(bytes(row) for row in grid))
        if mode == "P":
            picture.putpalette(b"".join(bytes(c) for c in colourful()))
        picture.save(target, format="BMP")
    return write


def ours(**layout):
    def write(grid, work, target):
        with open(target, "wb") as stream:
            stream.write(sheets.bitmap_bytes(grid, **layout))
    return write


# name, what writes it, the command or call, the writer
WRITERS = [
    ("imagemagick-bmp3", "ImageMagick convert from a grey PNG, BMP3 form (40-byte header)",
     "convert grey.png -compress None BMP3:out.bmp", imagemagick("BMP3:")),
    ("imagemagick-bmp", "ImageMagick convert from a grey PNG, default form (108-byte header)",
     "convert grey.png -compress None out.bmp", imagemagick("")),
    ("imagemagick-bmp-palette", "ImageMagick convert from a palette PNG with the grey ramp, "
     "default form (124-byte header: it records a rendering intent)",
     "convert palette.png -compress None out.bmp", imagemagick("", GREY)),
    ("netpbm", "netpbm ppmtobmp with a grey ramp as palette (biClrUsed 0, biSizeImage 0)",
     "ppmtobmp -bpp=8 -mapfile=grey.pgm sheet.pgm", netpbm),
    ("pillow-grey", "Pillow, an L picture saved as BMP",
     "Image.frombytes('L', ...).save('out.bmp')", pillow("L")),
    ("pillow-palette", "Pillow, a P picture with a colourful palette saved as BMP",
     "Image.frombytes('P', ...).putpalette(...).save('out.bmp')", pillow("P")),
    ("top-down", "our writer: rows stored top first, negative biHeight",
     "sheets.bitmap_bytes(grid, clr_used=256, top_down=True)", ours(clr_used=256, top_down=True)),
    ("full-palette", "our writer: biClrUsed 0 with all 256 palette entries",
     "sheets.bitmap_bytes(grid, clr_used=0, palette_entries=256)",
     ours(clr_used=0, palette_entries=256)),
]


def tool_versions():
    versions = {}
    try:
        versions["imagemagick"] = subprocess.run([CONVERT, "-version"], capture_output=True,
                                                 text=True).stdout.splitlines()[0]
        versions["netpbm"] = subprocess.run(["ppmtobmp", "-version"], capture_output=True,
                                            text=True).stderr.strip().splitlines()[0]
        import PIL
        versions["pillow"] = PIL.__version__
    except (OSError, IndexError, ImportError) as problem:
        versions["problem"] = str(problem)
    return versions


def make(out):
    try:
        import PIL  # noqa: F401
    except ImportError:
        sys.exit("make_fixtures.py: Pillow is missing for %s (Debian: python3-pil; run it with "
                 "/usr/bin/python3)" % sys.executable)
    os.makedirs(out, exist_ok=True)
    for old in glob.glob(os.path.join(out, "*.bmp")):
        os.remove(old)
    patterns = {}
    fixtures = []
    problems = []
    for width, height, seed in SHEETS:
        grid = draw(width, height, seed)
        check_drawing(grid)
        size = "%dx%d" % (width, height)
        patterns[size] = dict(width=width, height=height, seed=seed,
                              count255=sum(row.count(255) for row in grid),
                              rows=bmpcheck.rows_to_text(grid))
        for name, description, command, write in WRITERS:
            file_name = "%s-%s.bmp" % (name, size)
            target = os.path.join(out, file_name)
            with tempfile.TemporaryDirectory(prefix="pixmold-fixture-") as work:
                write(grid, work, os.path.abspath(target))
            with open(target, "rb") as stream:
                data = stream.read()
            found = bmpcheck.check(data, grid)
            if found:
                problems.append("%s: %s" % (file_name, "; ".join(found)))
                continue
            fixtures.append(dict(file=file_name, writer=name, description=description,
                                 command=command, sheet=size,
                                 layout=bmpcheck.layout(bmpcheck.parse(data))))
    manifest = dict(
        about="Sprite sheets saved by real BMP writers; made by make_fixtures.py. Row texts "
              "list colour indexes top row first, '#' standing for 255.",
        made_with=tool_versions(),
        sheets=patterns,
        fixtures=fixtures)
    with open(os.path.join(out, "manifest.json"), "w") as stream:
        json.dump(manifest, stream, indent=1)
        stream.write("\n")
    for problem in problems:
        print("make_fixtures.py: the writer changed the drawn indexes: " + problem, file=sys.stderr)
    return 1 if problems else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(HERE, "fixtures"))
    sys.exit(make(parser.parse_args().out))


if __name__ == "__main__":
    main()
