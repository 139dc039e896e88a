#!/usr/bin/env python3
"""Sheets saved by real paint tools, and source files assembled by real C64 assemblers.

    tools_test.py --tool imagemagick --program build/linux-x64/converter/pixmold [--emulator-word W]

A writer (imagemagick, netpbm, pillow) saves the test sheet in each of its BMP
forms; the program's source and SpritePad files for that BMP must equal, byte
for byte, its files for the same sheet saved by the test's own BMP writer.
Equal files prove both that the writer kept the indexes and that the reader
found the pixels. An assembler (acme, xa65, 64tass, ca65) must turn the decimal
and the -hex source, unchanged (-acme for ACME, -ca65 for 64tass and ca65), into
the SpritePad file's sprite bytes, each followed by the align byte 0, and say
nothing. A missing tool skips the test (exit code
77) with its name; PIXMOLD_REQUIRE_TOOLS=1 makes that a failure.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from sheets import bmp, grid  # noqa: E402

# 96 x 84 pixels, 16 sprites, a source file of 17 KB; one 0 pixel in seven is drawn as 255.
SHEET = [[255 if v == 0 and (x + 3 * y) % 7 == 0 else v for x, v in enumerate(row)] for y, row in enumerate(grid(4, 4))]
PILLOW = ("/usr/bin/python3 -c \"from PIL import Image; grey = Image.open('sheet.pgm'); %s.save('tool.bmp')\"")
PALETTE = "p = Image.frombytes('P', grey.size, grey.tobytes()); p.putpalette(bytes(range(256)) * 3); p"
WRITERS = ("imagemagick", "netpbm", "pillow")
# tool: (what must be at hand, the program's options, the commands that write tool.bmp or out.bin)
TOOLS = {
    # ImageMagick's own convert, whatever else of that name is on the path.
    "imagemagick": (["/usr/bin/convert"], [], [
        "/usr/bin/convert sheet.pgm +dither -remap ramp.pgm -compress None BMP3:tool.bmp",
        "/usr/bin/convert sheet.pgm +dither -remap ramp.pgm -compress None tool.bmp"]),
    "netpbm": (["ppmtobmp"], [], ["ppmtobmp -quiet -bpp=8 -mapfile=ramp.pgm sheet.pgm >tool.bmp"]),
    "pillow": (["/usr/bin/python3 with PIL (python3-pil)"], [], [PILLOW % "grey", PILLOW % PALETTE]),
    "acme": (["acme"], ["-acme"], ["echo '*=$1000' >main.a && echo '!source \"s.asm\"' >>main.a && "
                                   "acme -f plain -o out.bin main.a"]),
    "xa65": (["xa"], [], ["xa -o out.bin s.asm"]),
    "64tass": (["64tass"], ["-ca65"], ["64tass --quiet -Wall --nostart -o out.bin s.asm"]),
    "ca65": (["ca65", "ld65"], ["-ca65"], ["ca65 -o s.o s.asm && ld65 -t none -o out.bin s.o"]),
}


def missing(needs):
    if needs[0].startswith("/usr/bin/python3"):
        return [] if subprocess.run(["/usr/bin/python3", "-c", "import PIL"], capture_output=True).returncode == 0 \
            else needs
    return [tool for tool in needs if shutil.which(tool) is None]


def shell(command, folder, limit):
    try:
        result = subprocess.run(command, shell=True, cwd=folder, capture_output=True, timeout=limit)
    except subprocess.TimeoutExpired:
        return "%s: no end within %.0f seconds" % (command, limit)
    said = (result.stdout + result.stderr).decode("latin-1").strip()
    return "%s: exit code %d %s" % (command, result.returncode, said) if result.returncode or said else None


def convert(options, bitmap, flags):
    """The program's source and SpritePad files for a BMP, or a problem."""
    with tempfile.TemporaryDirectory(prefix="pixmold-tools-") as folder:
        with open(os.path.join(folder, "a.bmp"), "wb") as stream:
            stream.write(bitmap)
        try:
            subprocess.run(options.emulator_word + [options.program, "-s", "a.bmp", "-d", "s.asm", "-e", "s.spr"]
                           + flags, cwd=folder, capture_output=True, timeout=options.limit)
        except subprocess.TimeoutExpired:
            return None, "the program did not end within %.0f seconds" % options.limit
        outputs = [os.path.join(folder, name) for name in ("s.asm", "s.spr")]
        if not all(map(os.path.exists, outputs)):
            return None, "the program wrote no source or no SpritePad file"
        return [open(name, "rb").read() for name in outputs], None


def run_command(options, command, flags, own):
    """The problem with one writer command or one assembler command, if any."""
    with tempfile.TemporaryDirectory(prefix="pixmold-tools-") as folder:
        files = {"sheet.pgm": b"P5 96 84 255\n" + b"".join(bytes(row) for row in SHEET),
                 "ramp.pgm": b"P5 256 1 255\n" + bytes(range(256)), "s.asm": own[0]}
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as stream:
                stream.write(data)
        problem = shell(command, folder, options.limit)
        result = os.path.join(folder, "tool.bmp" if options.tool in WRITERS else "out.bin")
        if problem or not os.path.exists(result):
            return problem or "no " + os.path.basename(result)
        data = open(result, "rb").read()
    if result.endswith(".bin"):
        sprites = b"".join(own[1][3 + 64 * n:66 + 64 * n] + b"\0" for n in range(len(own[1]) // 64))
        return None if data == sprites else "the binary differs from the sprite bytes"
    files, problem = convert(options, data, flags)
    return problem or (None if files == own else "the files differ from those of our own BMP")


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
    failures, forms = 0, [[]] if options.tool in WRITERS else [[], ["-hex"]]
    for form in forms:
        own, problem = convert(options, bmp(SHEET), flags + form)
        for command in commands:
            problem = problem or run_command(options, command, flags + form, own)
            print("%s %s %s" % ("FAIL" if problem else "ok  ", " ".join(form), command))
            if problem:
                print("      " + problem)
            failures += bool(problem)
    print("%d passed, %d failed" % (len(commands) * len(forms) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
