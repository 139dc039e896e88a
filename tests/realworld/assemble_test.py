#!/usr/bin/env python3
"""The program's source output, assembled by real C64 assemblers.

Two sheets of 96 x 84 pixels (16 sprites, source files of about 17 KB, far
beyond one 4096-byte buffer): the ImageMagick BMP3 fixture and a sheet drawn
here whose 1008 sprite bytes take every value from 0 to 255.  Each is
converted in decimal and in -hex form, and assembled:

- the -acme output with ACME, through a wrapper that sets the origin and
  includes the file unchanged with !source;
- the default output as it stands with xa (xa65), whose preprocessor takes
  "//" comments;
- the default output with 64tass and with ca65/ld65 after turning every "//"
  into ";" and changing nothing else.

Every binary must equal, sprite by sprite, the 63 data bytes of the program's
SpritePad file followed by the align byte 0; the SpritePad file itself must
be what the drawn indexes give.  Any output of an assembler (errors,
warnings), a non-zero exit or a byte difference fails.  A missing assembler
fails too (Debian packages acme, xa65, 64tass, cc65).

    assemble_test.py --program build/linux-x64/converter/pixmold
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import bmpcheck  # noqa: E402
import sheets  # noqa: E402

TOOLS = {"acme": "acme", "xa": "xa65", "64tass": "64tass", "ca65": "cc65", "ld65": "cc65"}
TIME_LIMIT = 120
BUFFER = 4096


def every_byte_sheet():
    """96 x 84: byte j of the sheet's sprite data is 37 j mod 256, so all 256 values occur."""
    grid = [[0] * 96 for _ in range(84)]
    for sprite in range(16):
        left, top = sprite % 4 * 24, sprite // 4 * 21
        for j in range(63):
            value = (sprite * 63 + j) * 37 % 256
            row, byte = divmod(j, 3)
            for pair in range(4):
                even = value >> (6 - 2 * pair) & 3
                x = left + 8 * byte + 2 * pair
                grid[top + row][x] = even
                grid[top + row][x + 1] = (even + 1) % 4
    return grid


def run(command, folder, console_allowed=False):
    """Problems of one run: non-zero exit, or any output unless console_allowed
    (the program's console lines, checked byte for byte by realworld_test.py)."""
    try:
        result = subprocess.run(command, cwd=folder, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=TIME_LIMIT)
    except subprocess.TimeoutExpired:
        return ["%s: no end within %d seconds" % (command[0], TIME_LIMIT)]
    problems = []
    if result.returncode != 0:
        problems.append("%s: exit code %d" % (" ".join(command), result.returncode))
    output = (result.stderr if console_allowed else result.stdout + result.stderr).decode("latin-1").strip()
    if output:
        problems.append("%s said: %s" % (" ".join(command), output[:600]))
    return problems


def read(folder, name):
    path = os.path.join(folder, name)
    if not os.path.exists(path):
        return None
    with open(path, "rb") as stream:
        return stream.read()


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as stream:
        stream.write(data)


def semicolons(source):
    return source.replace(b"//", b";")


# name, the program's form, the input it gets, the commands that make out.bin
ASSEMBLIES = [
    ("acme", ["-acme"], lambda source: {"main.a": b'*=$1000\n!source "sheet.asm"\n', "sheet.asm": source},
     [["acme", "-f", "plain", "-o", "out.bin", "main.a"]]),
    ("xa", [], lambda source: {"sheet.asm": source},
     [["xa", "-o", "out.bin", "sheet.asm"]]),
    ("64tass", [], lambda source: {"sheet.asm": semicolons(source)},
     [["64tass", "--quiet", "-Wall", "--nostart", "-o", "out.bin", "sheet.asm"]]),
    ("ca65", [], lambda source: {"sheet.asm": semicolons(source)},
     [["ca65", "-o", "sheet.o", "sheet.asm"], ["ld65", "-t", "none", "-o", "out.bin", "sheet.o"]]),
]


def convert(program, bitmap, form):
    """(source, SpritePad bytes, problems) of one run of the program."""
    with tempfile.TemporaryDirectory(prefix="pixmold-assemble-") as folder:
        write(folder, "sheet.bmp", bitmap)
        problems = run([program, "-s", "sheet.bmp", "-d", "sheet.asm", "-e", "sheet.spr"] + form, folder,
                       console_allowed=True)
        source, spritepad = read(folder, "sheet.asm"), read(folder, "sheet.spr")
    if source is None or spritepad is None:
        problems.append("the program wrote no source or no SpritePad file")
    return source, spritepad, problems


def check_sheet(program, label, bitmap, grid):
    failures = 0
    plain = [[0 if v == 255 else v for v in row] for row in grid]
    drawn = sheets.spritepad_file(sheets.sprites_of(plain))
    for hexadecimal in (False, True):
        for name, base_form, inputs, commands in ASSEMBLIES:
            form = base_form + (["-hex"] if hexadecimal else [])
            case = "%s, %s, %s" % (label, name, "hexadecimal" if hexadecimal else "decimal")
            source, spritepad, problems = convert(program, bitmap, form)
            if not problems:
                if spritepad != drawn:
                    problems.append("SpritePad file is not what the drawn indexes give")
                elif len(source) <= BUFFER:
                    problems.append("source of %d bytes does not cross %d bytes" % (len(source), BUFFER))
            if not problems:
                count = (len(spritepad) - 3) // 64
                expected = b"".join(spritepad[3 + 64 * s:3 + 64 * s + 63] + b"\0" for s in range(count))
                with tempfile.TemporaryDirectory(prefix="pixmold-assemble-") as folder:
                    for file_name, data in inputs(source).items():
                        write(folder, file_name, data)
                    for command in commands:
                        problems += run(command, folder)
                        if problems:
                            break
                    binary = read(folder, "out.bin")
                if not problems:
                    if binary is None:
                        problems.append("no out.bin")
                    elif binary != expected:
                        at = next((i for i, (a, b) in enumerate(zip(binary, expected)) if a != b),
                                  min(len(binary), len(expected)))
                        problems.append("binary of %d bytes differs from the %d sprite bytes at byte %d "
                                        "(sprite %d, byte %d)" % (len(binary), len(expected), at,
                                                                  at // 64, at % 64))
            if problems:
                failures += 1
                print("FAIL " + case)
                for problem in problems:
                    print("     " + problem)
            else:
                print("ok   " + case)
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    program = os.path.abspath(parser.parse_args().program)

    missing = sorted({"%s (Debian package %s)" % (tool, package)
                      for tool, package in TOOLS.items() if shutil.which(tool) is None})
    if missing:
        print("FAIL assemblers missing: " + ", ".join(missing))
        sys.exit(1)

    fixture = os.path.join(HERE, "fixtures", "imagemagick-bmp3-96x84.bmp")
    with open(fixture, "rb") as stream:
        bitmap = stream.read()
    grid = every_byte_sheet()
    failures = check_sheet(program, "ImageMagick fixture 96x84", bitmap, bmpcheck.parse(bitmap)["rows"])
    failures += check_sheet(program, "every byte value 96x84", sheets.bitmap_bytes(grid), grid)
    print("%d failures" % failures)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
