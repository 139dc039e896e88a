#!/usr/bin/env python3
"""Sheets saved by real paint tools, source files assembled by real C64 assemblers, and the README's Makefile.

    tools_test.py --tool imagemagick --program build/linux-x64/converter/pixmold [--emulator-word W]

A writer (imagemagick, netpbm, pillow) saves the test sheet in each of its BMP
and PNG forms: the sheet of colour indexes (where the tool keeps them), and
(-colors) the sheet of C64 colours in whatever depth and colour type the tool
picks; optipng re-encodes the test's own PNG files. The program's files for
that sheet must equal, byte for byte, its files for the same sheet saved by the
test's own BMP writer.
The C file must build with cc65 (cl65 -t c64: the program holds the bytes
of -b) and gcc -std=c99 -Wall -Wextra -pedantic -Werror (the built program
writes out exactly the bytes of -b).
An assembler (acme, xa65, 64tass, ca65, dasm) must turn the decimal and the -hex
source, unchanged (-acme for ACME, -ca65 for 64tass, ca65 and dasm), into the bytes of
the -b file: the SpritePad file's sprite bytes, each followed by the align byte
0, or with -colors the SpritePad file after its three colour bytes; and say
nothing; with -label its symbol listing gives the name and each name_N the
address of its sprite, name_count the count and the colour constants the
shared colours (the C file then names its array after the label). make runs
the README's Makefile: on a good sheet the game assembles, on a bad one make
stops and leaves no sprite file. A missing tool skips the
test (exit code 77) with its name; PIXMOLD_REQUIRE_TOOLS=1 makes that a failure.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from sheets import PAIRED, PEPTO, bmp, grid, paint, png  # noqa: E402

# 96 x 84 pixels, 16 sprites, a source file of 17 KB; one 0 pixel in seven is drawn as 255.
SHEET = [[255 if v == 0 and (x + 3 * y) % 7 == 0 else v for x, v in enumerate(row)] for y, row in enumerate(grid(4, 4))]
# The same size in C64 colours: black, dark grey and white shared, each sprite with a colour of its own.
PAINTED = paint(grid(4, 4, table=PAIRED), (0, 11, 1), [2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 2, 3, 4], 4)
USED = sorted({c for row in PAINTED for c in row})
RGB = b"".join(PEPTO[c].to_bytes(3, "big") for row in PAINTED for c in row)
# -overlay: a light blue pixel right of the first pixel of each row of a cell, where that is background.
OUTLINED = [[14 if x % 24 == 1 and row[x - 1] == 0 else c for x, c in enumerate(row)] for row in PAINTED]
PILLOW = "/usr/bin/python3 -c \"from PIL import Image; sheet = Image.open('sheet.%s'); %s.save('tool.%s')\""
PALETTE = "p = Image.frombytes('P', sheet.size, sheet.tobytes()); p.putpalette(bytes(range(256)) * 3); p"
WRITERS = ("imagemagick", "netpbm", "pillow", "optipng")
PREVIEW = "-colors -preview p.png"  # real viewers read the preview
ASSEMBLERS = {"acme": "echo '*=$1000' >main.a && echo '!source \"s.asm\"' >>main.a && acme -f plain -o out.bin "
                      "-l syms.txt main.a",
              "xa65": "xa -o out.bin -l syms.txt s.asm",
              "64tass": "64tass --quiet -Wall --nostart -o out.bin -l syms.txt s.asm",
              "ca65": "ca65 -g -o s.o s.asm && ld65 -t none -o out.bin --dbgfile syms.txt s.o",
              "dasm": "printf ' processor 6502\\n org $1000\\n include \"s.asm\"\\n' >main.asm && dasm main.asm -f3 "
                      "-oout.bin -ssyms.txt >dasm.log || (cat dasm.log; exit 1)",
              # The C file: cc65 builds a C64 program that holds the array; gcc one that writes it out.
              "cl65": "echo '#include \"s.c\"' >main.c && echo 'int main(void) { return sprites[0][0]; }' >>main.c"
                      " && cl65 -t c64 -o out.prg main.c",
              "gcc": "printf '#include <stdio.h>\\n#include \"s.c\"\\nint main(void) { return fwrite(sprites, 1, "
                     "sizeof sprites, stdout) != sizeof sprites; }\\n' >main.c && gcc -std=c99 -Wall -Wextra "
                     "-pedantic -Werror -o main main.c && ./main >out.bin"}
# Each assembler's symbol listing: a symbol and its value, hexadecimal but for 64tass.
SYMBOLS = {"acme": r"^\s*(\w+)\s*= \$([0-9a-f]+)", "xa65": r"^(\w+), 0x([0-9a-f]+)", "64tass": r"^(\w+)\s*= (\d+)",
           "ca65": r'name="(\w+)",.*,val=0x([0-9A-F]+)', "dasm": r"^(\w+)\s+([0-9a-f]+)"}
LABEL = "Sprites_of_the_test_sheet_32_chr"  # -label takes 32 characters at most
# tool: (what must be at hand, the program's options, the commands that write tool.bmp or out.bin by form)
TOOLS = {
    # ImageMagick's own convert, whatever else of that name is on the path.
    "imagemagick": (["/usr/bin/convert"], [], {"": [
        "/usr/bin/convert sheet.pgm +dither -remap ramp.pgm -compress None BMP3:tool.bmp",
        "/usr/bin/convert sheet.pgm +dither -remap ramp.pgm -compress None tool.bmp"], "-colors": [
        "/usr/bin/convert sheet.ppm tool.bmp", "/usr/bin/convert sheet.ppm BMP3:tool.bmp",
        "/usr/bin/convert sheet.ppm -type TrueColor tool.bmp",
        "/usr/bin/convert sheet.ppm -type TrueColorAlpha tool.bmp", "/usr/bin/convert sheet.ppm tool.png",
        "/usr/bin/convert sheet.ppm PNG24:tool.png", "/usr/bin/convert sheet.ppm -interlace PNG PNG32:tool.png",
        "/usr/bin/convert sheet.ppm PNG48:tool.png"], PREVIEW: ["/usr/bin/convert p.png -depth 8 rgb:p.rgb"]}),
    "netpbm": (["ppmtobmp", "pnmtopng"], [], {
        "": ["ppmtobmp -quiet -bpp=8 -mapfile=ramp.pgm sheet.pgm >tool.bmp"],
        "-colors": ["ppmtobmp -quiet sheet.ppm >tool.bmp", "ppmtobmp -quiet -bpp=24 sheet.ppm >tool.bmp",
                    "pnmtopng sheet.ppm >tool.png", "pnmtopng -interlace sheet.ppm >tool.png"]}),
    "pillow": (["/usr/bin/python3 with PIL (python3-pil)"], [], {"": [PILLOW % ("pgm", "sheet", "bmp"), PILLOW % (
        "pgm", PALETTE, "bmp"), PILLOW % ("pgm", PALETTE, "png")], "-colors": [
        PILLOW % ("ppm", "sheet", "bmp"), PILLOW % ("ppm", "sheet.convert('RGBA')", "bmp"),
        PILLOW % ("ppm", "sheet", "png"), PILLOW % ("ppm", "sheet.convert('RGBA')", "png")], PREVIEW: [
        "/usr/bin/python3 -c \"from PIL import Image; open('p.rgb', 'wb').write(Image.open('p.png').convert('RGB')"
        ".tobytes())\""]}),
    "pngcheck": (["pngcheck"], [], {PREVIEW: ["pngcheck -q p.png"]}),
    # optipng picks other depths, colour types and palettes: a palette of greys becomes grey pixels.
    "optipng": (["optipng"], [], {"-colors": ["optipng -quiet -out tool.png rgb.png",
                                              "optipng -quiet -o4 -i1 -out tool.png palette.png"]}),
    "acme": (["acme"], ["-acme"], {}), "xa65": (["xa"], [], {}), "64tass": (["64tass"], ["-ca65"], {}),
    "ca65": (["ca65", "ld65"], ["-ca65"], {}), "dasm": (["dasm"], ["-ca65"], {}), "cl65": (["cl65"], [], {}),
    "gcc": (["gcc"], [], {}),
    "make": (["make", "acme"], [], {}),
}


def missing(needs):
    if needs[0].startswith("/usr/bin/python3"):
        return [] if subprocess.run(["/usr/bin/python3", "-c", "import PIL"], capture_output=True).returncode == 0 \
            else needs
    return [tool for tool in needs if shutil.which(tool) is None]


def shell(command, folder, limit, env=None):
    try:
        result = subprocess.run(command, shell=True, cwd=folder, capture_output=True, timeout=limit, env=env)
    except subprocess.TimeoutExpired:
        return "%s: no end within %.0f seconds" % (command, limit)
    said = (result.stdout + result.stderr).decode("latin-1").strip()
    return "%s: exit code %d %s" % (command, result.returncode, said) if result.returncode or said else None


def write(folder, files):
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as stream:
            stream.write(data)


def convert(options, bitmap, flags):
    """The program's source, SpritePad and binary files for a BMP or a PNG, or a problem."""
    sheet = "a.png" if bitmap.startswith(b"\x89PNG") else "a.bmp"
    with tempfile.TemporaryDirectory(prefix="pixmold-tools-") as folder:
        write(folder, {sheet: bitmap})
        try:
            subprocess.run(options.emulator_word + [options.program, "-s", sheet, "-d", "s.asm", "-e", "s.spr",
                                                    "-b", "s.bin", "-c", "s.c"] + flags, cwd=folder,
                           capture_output=True, timeout=options.limit)
        except subprocess.TimeoutExpired:
            return None, "the program did not end within %.0f seconds" % options.limit
        names = ("s.asm", "s.spr", "s.bin", "s.c", "p.png")[:4 + ("p.png" in flags)]
        outputs = [os.path.join(folder, name) for name in names]
        if not all(map(os.path.exists, outputs)):
            return None, "the program wrote no source, SpritePad or binary file"
        return [open(name, "rb").read() for name in outputs], None


def run_command(options, command, flags, own):
    """The problem with one writer command or one assembler command, if any."""
    with tempfile.TemporaryDirectory(prefix="pixmold-tools-") as folder:
        write(folder, {"sheet.pgm": b"P5 96 84 255\n" + b"".join(bytes(row) for row in SHEET),
                       "sheet.ppm": b"P6 96 84 255\n" + RGB, "s.c": own[3],
                       "ramp.pgm": b"P5 256 1 255\n" + bytes(range(256)), "s.asm": own[0], "p.png": own[-1],
                       "rgb.png": png([[tuple(PEPTO[c].to_bytes(3, "big")) for c in row] for row in PAINTED], 2),
                       "palette.png": png([[USED.index(c) for c in row] for row in PAINTED], 3, 8,
                                          [PEPTO[c] for c in USED])})
        problem = shell(command.replace("sprites", LABEL) if "-label" in flags else command, folder, options.limit)
        shown = os.path.join(folder, "p.rgb")
        if "p.png" in flags and (problem or not os.path.exists(shown)):  # pngcheck checks only
            return problem
        if "p.png" in flags:  # the preview shows the sheet, which loses no pixel
            return None if open(shown, "rb").read() == RGB else "the preview does not show the sheet"
        made = ("tool.png", "tool.bmp") if options.tool in WRITERS else ("out.prg", "out.bin")
        result = os.path.join(folder, next((name for name in made if os.path.exists(os.path.join(folder, name))),
                                           made[-1]))
        if problem or not os.path.exists(result):
            return problem or "no " + os.path.basename(result)
        data = open(result, "rb").read()
        listed = os.path.join(folder, "syms.txt")
        symbols = open(listed, encoding="latin-1").read() if os.path.exists(listed) else ""
    if result.endswith(".prg"):  # the C64 program holds the array somewhere
        return None if own[2] in data else "the C64 program does not hold the bytes of -b"
    if result.endswith(".bin") and "-label" in flags and options.tool in SYMBOLS and label_problem(
            options.tool, symbols, own[1]):
        return label_problem(options.tool, symbols, own[1])
    if result.endswith(".bin"):
        spr = own[1]
        sprites = spr[3:] if "-colors" in flags or "-overlay" in flags else b"".join(spr[3 + 64 * n:66 + 64 * n] + b"\0"
                                                              for n in range(len(spr) // 64))
        return None if data == sprites == own[2] else "the binary differs from the sprite bytes or the -b file"
    files, problem = convert(options, data, flags)
    return problem or (None if files == own else "the files differ from those of our own BMP")


def label_problem(tool, listing, spr):
    """The labels of the symbol listing: the name and name_N at the sprites, name_count and the shared colours."""
    values = {m.group(1): int(m.group(2), 10 if tool == "64tass" else 16)
              for m in (re.search(SYMBOLS[tool], line) for line in listing.splitlines()) if m}
    wanted = dict({"%s_%d" % (LABEL, n): values.get(LABEL, -1) + 64 * n for n in range(len(spr) // 64)}, **{
        LABEL + "_count": len(spr) // 64, LABEL + "_background": spr[0], LABEL + "_multicolor1": spr[1],
        LABEL + "_multicolor2": spr[2]})
    found = {name: values.get(name) for name in wanted}
    return None if found == wanted and LABEL in values else "labels %r, wanted %r" % (found, wanted)


def run_make(options):
    """The README's Makefile with the program on the path: a good sheet assembles, a bad one stops make."""
    makefile = re.search(r"```make\n(.*?)```", open(os.path.join(HERE, "..", "..", "README.md")).read(), re.S)
    with tempfile.TemporaryDirectory(prefix="pixmold-make-") as folder:
        os.symlink(options.program, os.path.join(folder, "pixmold"))
        write(folder, {"Makefile": makefile.group(1).encode(), "game.asm": b'*=$2000\n!source "sprites.asm"\n',
                       "sprites.bmp": bmp(SHEET)})
        env = dict(os.environ, PATH=folder + os.pathsep + os.environ["PATH"])
        made = subprocess.run(["make"], cwd=folder, capture_output=True, env=env, timeout=options.limit)
        if made.returncode or not os.path.exists(os.path.join(folder, "game.prg")):
            return ["make on a good sheet: exit code %d %s" % (made.returncode, made.stdout + made.stderr)]
        write(folder, {"sprites.bmp": bmp([row[:-1] + [7] for row in SHEET])})
        later = time.time() + 10  # a newer sheet, as make sees it
        os.utime(os.path.join(folder, "sprites.bmp"), (later, later))
        made = subprocess.run(["make"], cwd=folder, capture_output=True, env=env, timeout=options.limit)
        if made.returncode == 0 or os.path.exists(os.path.join(folder, "sprites.asm")):
            return ["make on a bad sheet: exit code %d, sprites.asm %s" % (
                made.returncode, "left" if os.path.exists(os.path.join(folder, "sprites.asm")) else "gone")]
    return []


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--tool", choices=sorted(TOOLS), required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--emulator-word", action="append", default=[])
    options = parser.parse_args()
    options.program = os.path.abspath(options.program)
    needs, flags, commands = TOOLS[options.tool]
    if missing(needs):
        print("skipped: %s not found" % ", ".join(missing(needs)))
        return 1 if os.environ.get("PIXMOLD_REQUIRE_TOOLS") == "1" else 77
    started = time.monotonic()
    subprocess.run(options.emulator_word + [options.program], capture_output=True, timeout=120)
    options.limit = 10 + 5 * (time.monotonic() - started)
    if options.tool == "make":
        problems = run_make(options)
        print("\n".join(problems) or "ok   make")
        return 1 if problems else 0
    if options.tool in ASSEMBLERS:  # the assemblers and the C compilers
        forms = ("", "-hex", "-colors", "-colors -hex", "-overlay -hex", "-colors -label " + LABEL)
        commands = {form: [ASSEMBLERS[options.tool]] for form in forms}
    failures = runs = 0
    for form, form_commands in commands.items():
        painted = OUTLINED if "-overlay" in form else PAINTED
        sheet = bmp([[USED.index(c) for c in row] for row in painted], rgb=[PEPTO[c] for c in USED]) \
            if "-colors" in form or "-overlay" in form else bmp(SHEET)
        own, problem = convert(options, sheet, flags + form.split())
        for command in form_commands:
            problem = problem or run_command(options, command, flags + form.split(), own)
            print("%s %s %s" % ("FAIL" if problem else "ok  ", form, command))
            if problem:
                print("      " + problem)
            failures, runs = failures + bool(problem), runs + 1
    print("%d passed, %d failed" % (runs - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
