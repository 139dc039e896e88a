#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz target into a folder.

Each seed is one option byte (the bits that fuzz_converter.cpp reads) followed
by the bytes of a bitmap: well-formed sheets of several sizes and layouts from
tests/e2e/sheets.py, the malformed headers the reader must refuse, and every
fixture in tests/realworld/fixtures when that folder exists.

    make_corpus.py OUTPUT_FOLDER
"""

import glob
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(TESTS, "e2e"))
from sheets import bitmap_bytes, filled_grid, pattern_grid  # noqa: E402

HEX, ACME, VERBOSE, SPRITEPAD, WAIT, FULL_DISK, NO_DESTINATION, SAME_OUTPUTS = (
    0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80)


def with_bad_colors(grid):
    copy = [list(row) for row in grid]
    copy[0][0] = 7
    copy[-1][-1] = 254
    copy[1][1] = 255
    return copy


def seeds():
    g24 = pattern_grid(24, 21)
    g48 = pattern_grid(48, 42, seed=1)
    g96 = pattern_grid(96, 84, seed=2)
    yield "48x42", SPRITEPAD | HEX, bitmap_bytes(g48)
    yield "48x42-acme-verbose", SPRITEPAD | ACME | VERBOSE, bitmap_bytes(g48)
    yield "24x21", SPRITEPAD, bitmap_bytes(g24)
    yield "96x84", SPRITEPAD | HEX | ACME, bitmap_bytes(g96)
    yield "96x84-full-disk", SPRITEPAD | FULL_DISK, bitmap_bytes(g96)
    yield "top-down", SPRITEPAD, bitmap_bytes(g48, top_down=True)
    yield "palette-256", SPRITEPAD, bitmap_bytes(g48, clr_used=256)
    yield "palette-0-full", SPRITEPAD, bitmap_bytes(g48, clr_used=0, palette_entries=256)
    yield "header-108", SPRITEPAD, bitmap_bytes(g48, info_size=108)
    yield "header-124-gap", SPRITEPAD, bitmap_bytes(g48, info_size=124, gap=10)
    yield "size-image-0", SPRITEPAD, bitmap_bytes(g48, size_image=0)
    yield "short-pixels", SPRITEPAD, bitmap_bytes(g48, pixel_data=bytes([2]) * 100)
    yield "color-255-and-bad", SPRITEPAD, bitmap_bytes(with_bad_colors(g48))
    yield "single-color", SPRITEPAD, bitmap_bytes(filled_grid(48, 42, 1))
    yield "four-bit", SPRITEPAD, bitmap_bytes(g24, bit_count=4)
    yield "24-bit", SPRITEPAD, bitmap_bytes(g24, bit_count=24)
    yield "compressed", 0, bitmap_bytes(g24, compression=1)
    yield "bad-width", 0, bitmap_bytes(width=40, height=21, pixel_data=bytes(840))
    yield "negative-width", 0, bitmap_bytes(g24, width_field=-24)
    yield "palette-300", 0, bitmap_bytes(g24, clr_used=300, palette_entries=0)
    yield "huge-claim", SPRITEPAD, bitmap_bytes(width=24000, height=21000, pixel_data=bytes([3]) * 64)
    # The largest claims that are read (16777216 pixels beyond the bytes held)
    # cost seconds each and are left to tests/e2e/bounds_test.py: as seeds
    # they would take most of the fuzzing time.
    # No pixels in 2147483646 rows: once spent seconds walking the empty rows.
    yield "width-0-largest-height", SPRITEPAD, bitmap_bytes(width=0, height=0, height_field=2147483646,
                                                            pixel_data=b"")
    yield "width-0-largest-top-down-height", SPRITEPAD, bitmap_bytes(width=0, height=0,
                                                                     height_field=-2147483646, pixel_data=b"")
    yield "no-destination", SPRITEPAD | NO_DESTINATION, bitmap_bytes(g24)
    yield "same-outputs", SPRITEPAD | SAME_OUTPUTS, bitmap_bytes(g24)
    yield "wait", WAIT, bitmap_bytes(filled_grid(24, 21, 0))
    yield "not-a-bitmap", 0, b"PK\x03\x04"
    fixtures = os.path.join(TESTS, "realworld", "fixtures")
    for path in sorted(glob.glob(os.path.join(fixtures, "**", "*.bmp"), recursive=True)):
        with open(path, "rb") as handle:
            name = "fixture-" + os.path.relpath(path, fixtures).replace(os.sep, "-")
            yield name, SPRITEPAD | HEX, handle.read()


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    count = 0
    for name, options, data in seeds():
        with open(os.path.join(folder, name), "wb") as handle:
            handle.write(bytes([options]) + data)
        count += 1
    print("make_corpus.py: %d seeds in %s" % (count, folder))


if __name__ == "__main__":
    main()
