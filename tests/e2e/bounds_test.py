#!/usr/bin/env python3
"""End-to-end tests: headers that claim far more than their file holds.

Every case runs the built program on a small generated file whose header
claims a picture at or past the reader's limits, and compares every console
byte, the exit code, standard error and the files left in the folder.  On a
native Linux run the peak memory of each run is checked too: it must stay
within what the file's real size allows, never what the header claims.

The reader's limits: at most 2147483647 pixels, and at most 16777216 pixels
more than the bytes the file holds after its palette.

    bounds_test.py --program build/linux-x64/converter/pixmold --bits 64
    bounds_test.py --program pixmold.exe --emulator-word /usr/lib/wine/wine64 --bits 64
"""

import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from sheets import NOT_MULTICOLOR, banner, bitmap_bytes, converting, scanning  # noqa: E402

TOO_LARGE = "> Error: Bitmap is too large."
MAXIMUM_MISSING_PIXELS = 16777216
# 24 x 699069 (33289 bands of 21 rows) is 16777656 pixels: 440 bytes in the
# file leave exactly the most pixels that may be missing.
BANDS_AT_LIMIT = 33289
BYTES_AT_LIMIT = 24 * 21 * BANDS_AT_LIMIT - MAXIMUM_MISSING_PIXELS
LARGEST_WIDTH = 2147483640   # the largest multiple of 24 in 32 bits
LARGEST_HEIGHT = 2147483646  # the largest multiple of 21 in 32 bits

# Peak resident memory of one run, in kilobytes: a refused header may cost
# no more than a small program does; the largest claim that is accepted may
# cost its planes (9 bytes per pixel on x86-64) and no more.
REFUSED_KB = 96 * 1024
AT_LIMIT_KB = 512 * 1024

REFUSED = [TOO_LARGE]


def refused_as_single_color(size_image, sprites):
    return [scanning(size_image), converting(sprites)] + NOT_MULTICOLOR


def at_limit(pixel_bytes, **fields):
    return bitmap_bytes(width=24, height=21 * BANDS_AT_LIMIT, pixel_data=bytes(pixel_bytes), **fields)


def empty_picture(width, height_field):
    return bitmap_bytes(width=width, height=0, height_field=height_field, pixel_data=b"")


# (name, bitmap bytes, console lines after the banner, peak memory bound in kB)
CASES = [
    ("missing pixels at the limit", at_limit(BYTES_AT_LIMIT),
     refused_as_single_color(BYTES_AT_LIMIT, BANDS_AT_LIMIT), AT_LIMIT_KB),
    ("one missing pixel past the limit", at_limit(BYTES_AT_LIMIT - 1), REFUSED, REFUSED_KB),
    ("missing pixels at the limit after 256 palette entries", at_limit(BYTES_AT_LIMIT, clr_used=256),
     refused_as_single_color(BYTES_AT_LIMIT, BANDS_AT_LIMIT), AT_LIMIT_KB),
    ("one past the limit after 256 palette entries", at_limit(BYTES_AT_LIMIT - 1, clr_used=256),
     REFUSED, REFUSED_KB),
    ("missing pixels at the limit, rows top-down", at_limit(BYTES_AT_LIMIT, top_down=True),
     refused_as_single_color(BYTES_AT_LIMIT, BANDS_AT_LIMIT), AT_LIMIT_KB),
    ("one past the limit, rows top-down", at_limit(BYTES_AT_LIMIT - 1, top_down=True), REFUSED, REFUSED_KB),
    # No pixels, however many rows: nothing to read, no time spent on the rows.
    ("width 0 with the largest height", empty_picture(0, LARGEST_HEIGHT),
     refused_as_single_color(0, 0), REFUSED_KB),
    ("width 0 with the largest top-down height", empty_picture(0, -LARGEST_HEIGHT),
     refused_as_single_color(0, 0), REFUSED_KB),
    ("largest width with height 0", empty_picture(LARGEST_WIDTH, 0),
     refused_as_single_color(0, 0), REFUSED_KB),
    ("largest width and height", empty_picture(LARGEST_WIDTH, LARGEST_HEIGHT), REFUSED, REFUSED_KB),
    ("largest width and top-down height", empty_picture(LARGEST_WIDTH, -LARGEST_HEIGHT), REFUSED, REFUSED_KB),
    ("largest width, one band", empty_picture(LARGEST_WIDTH, 21), REFUSED, REFUSED_KB),
    ("one column of cells, largest top-down height", empty_picture(24, -LARGEST_HEIGHT), REFUSED, REFUSED_KB),
]


def crlf(lines):
    return b"".join(line.encode("latin-1") + b"\r\n" for line in lines)


def run(options, bitmap):
    """(exit code, stdout, stderr, peak memory in kB, files left besides the input)."""
    with tempfile.TemporaryDirectory(prefix="pixmold-bounds-") as folder:
        with open(os.path.join(folder, "a.bmp"), "wb") as stream:
            stream.write(bitmap)
        command = options.emulator_word + [options.program, "-s", "a.bmp", "-d", "out.asm", "-e", "out.spr"]
        with tempfile.TemporaryFile() as stdout, tempfile.TemporaryFile() as stderr:
            process = subprocess.Popen(command, cwd=folder, stdin=subprocess.DEVNULL, stdout=stdout,
                                       stderr=stderr, env=dict(os.environ, WINEDEBUG="-all"))
            _, status, usage = os.wait4(process.pid, 0)
            process.returncode = os.waitstatus_to_exitcode(status)
            stdout.seek(0)
            stderr.seek(0)
            left = sorted(set(os.listdir(folder)) - {"a.bmp"})
            return process.returncode, stdout.read(), stderr.read(), usage.ru_maxrss, left


def check(options, bitmap, console, memory_kb):
    """The problems found and the peak memory of the run in kB."""
    code, stdout, stderr, peak_kb, left = run(options, bitmap)
    problems = []
    if code != 0:
        problems.append("exit code %d" % code)
    if not options.emulator_word and stderr:
        problems.append("standard error: %r" % stderr[:300])
    expected = crlf([banner(options.bits), ""] + console)
    if stdout != expected:
        problems.append("console: expected %r, got %r" % (expected[-300:], stdout[-300:]))
    if left:
        problems.append("files written: %s" % ", ".join(left))
    if not options.emulator_word and sys.platform.startswith("linux") and peak_kb > memory_kb:
        problems.append("peak memory %d kB, more than %d kB" % (peak_kb, memory_kb))
    return problems, peak_kb


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True)
    parser.add_argument("--emulator-word", action="append", default=[])
    parser.add_argument("--bits", type=int, choices=(32, 64), required=True)
    options = parser.parse_args()
    options.program = os.path.abspath(options.program)

    failed = 0
    for name, bitmap, console, memory_kb in CASES:
        problems, peak_kb = check(options, bitmap, console, memory_kb)
        print("%s: %s (peak memory %d kB)" % ("FAIL" if problems else "ok", name, peak_kb))
        for problem in problems:
            print("    " + problem)
        failed += 1 if problems else 0
    print("%d of %d cases failed" % (failed, len(CASES)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
