#!/usr/bin/env python3
"""Sheets saved by real BMP writers, converted by the built program.

For every fixture in fixtures/manifest.json: parse the file independently
(bmpcheck.py) and make sure it holds the drawn indexes in the recorded
layout, then run the program on it in a fresh temporary folder,
-s <fixture> -d out.asm -e out.spr with one of the four syntax forms, input
from /dev/null, and compare the console bytes, out.asm and out.spr with what
the drawn indexes must give (tests/e2e/sheets.py).  Nothing else may appear
in the folder and the fixture must stay as it was.

    realworld_test.py --program build/linux-x64/converter/pixmold --bits 64
    realworld_test.py --program pixmold.exe --emulator-word /usr/lib/wine/wine64 \
                      --bits 64 --writer netpbm --sheet 24x21 --sheet 48x42
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import bmpcheck  # noqa: E402
import sheets  # noqa: E402

FIXTURES = os.path.join(HERE, "fixtures")
FORMS = [[], ["-hex"], ["-acme"], ["-acme", "-hex"]]
TIME_LIMIT = 120


def load_manifest():
    with open(os.path.join(FIXTURES, "manifest.json")) as stream:
        return json.load(stream)


def manifest_problems(manifest):
    """The manifest must describe every committed file, and its sheets must be whole."""
    problems = []
    listed = {entry["file"] for entry in manifest["fixtures"]}
    present = {name for name in os.listdir(FIXTURES) if name.endswith(".bmp")}
    for name in sorted(present - listed):
        problems.append("fixture %s is not in the manifest" % name)
    for name in sorted(listed - present):
        problems.append("fixture %s of the manifest is missing" % name)
    for size, sheet in manifest["sheets"].items():
        rows = sheet["rows"]
        if len(rows) != sheet["height"] or any(len(row) != sheet["width"] for row in rows):
            problems.append("sheet %s: rows do not match %d x %d" % (size, sheet["width"], sheet["height"]))
        elif sum(row.count("#") for row in rows) != sheet["count255"]:
            problems.append("sheet %s: count of index 255 does not match" % size)
    return problems


def expected_run(parsed, grid, form, name, bits):
    """Console bytes and output files for one conversion of grid."""
    plain = [[0 if v == 255 else v for v in row] for row in grid]
    sprites = sheets.sprites_of(plain)
    acme, hexadecimal = "-acme" in form, "-hex" in form
    count255 = sum(row.count(255) for row in grid)
    lines = [sheets.banner(bits), "", sheets.scanning(parsed["biSizeImage"])]
    if count255:
        lines.append("> Info: %d pixel found with color index 255. Set to index 0.." % count255)
    lines.append(sheets.converting(len(sprites)))
    lines += sheets.source_written("out.asm") + sheets.spritepad_written("out.spr")
    console = b"".join(line.encode() + b"\r\n" for line in lines)
    return console, {"out.asm": sheets.source_file(sprites, acme, hexadecimal),
                     "out.spr": sheets.spritepad_file(sprites)}


def difference(what, expected, actual):
    at = next((i for i, (a, b) in enumerate(zip(expected, actual)) if a != b),
              min(len(expected), len(actual)))
    return "%s differs at byte %d (lengths %d expected, %d actual): expected %r, got %r" % (
        what, at, len(expected), len(actual), expected[max(0, at - 30):at + 30],
        actual[max(0, at - 30):at + 30])


def convert(options, name, data, form):
    """Runs the program on the fixture; (result, console, files after) or a problem text."""
    with tempfile.TemporaryDirectory(prefix="pixmold-realworld-") as folder:
        with open(os.path.join(folder, name), "wb") as stream:
            stream.write(data)
        command = options.emulator_word + [options.program, "-s", name, "-d", "out.asm",
                                           "-e", "out.spr"] + form
        try:
            result = subprocess.run(command, cwd=folder, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    env=dict(os.environ, WINEDEBUG="-all"), timeout=TIME_LIMIT)
        except subprocess.TimeoutExpired:
            return "no end within %d seconds" % TIME_LIMIT
        after = {}
        for entry in os.listdir(folder):
            with open(os.path.join(folder, entry), "rb") as stream:
                after[entry] = stream.read()
    return result, after


def check_fixture(options, manifest, entry, form):
    name = entry["file"]
    with open(os.path.join(FIXTURES, name), "rb") as stream:
        data = stream.read()
    grid = bmpcheck.rows_from_text(manifest["sheets"][entry["sheet"]]["rows"])
    problems = bmpcheck.check(data, grid, entry["layout"])
    if problems:
        return ["the file does not hold the drawn sheet: " + "; ".join(problems)]
    console, outputs = expected_run(bmpcheck.parse(data), grid, form, name, options.bits)
    ran = convert(options, name, data, form)
    if isinstance(ran, str):
        return [ran]
    result, after = ran
    problems = []
    if result.returncode != 0:
        problems.append("exit code %d" % result.returncode)
    if not options.emulator_word and result.stderr:
        problems.append("standard error: %r" % result.stderr[:300])
    if result.stdout != console:
        problems.append(difference("console", console, result.stdout))
    outputs[name] = data
    for file_name in sorted(set(outputs) | set(after)):
        if file_name not in after:
            problems.append("missing file %s" % file_name)
        elif file_name not in outputs:
            problems.append("unexpected file %s" % file_name)
        elif after[file_name] != outputs[file_name]:
            problems.append(difference(file_name, outputs[file_name], after[file_name]))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--emulator-word", action="append", default=[])
    parser.add_argument("--bits", type=int, choices=(32, 64), required=True)
    parser.add_argument("--writer", action="append", default=[],
                        help="only the fixtures of this writer (repeatable; default all)")
    parser.add_argument("--sheet", action="append", default=[],
                        help="only the fixtures of this sheet size, such as 48x42 (repeatable)")
    options = parser.parse_args()
    options.program = os.path.abspath(options.program)

    manifest = load_manifest()
    failures = 0
    for problem in manifest_problems(manifest):
        print("FAIL manifest: " + problem)
        failures += 1
    writers = []
    for entry in manifest["fixtures"]:
        if entry["writer"] not in writers:
            writers.append(entry["writer"])
    sizes = list(manifest["sheets"])
    unknown = (set(options.writer) - set(writers)) | (set(options.sheet) - set(sizes))
    if unknown:
        print("FAIL no fixtures of %s" % ", ".join(sorted(unknown)))
        failures += 1
    cases = 0
    for entry in manifest["fixtures"]:
        if ((options.writer and entry["writer"] not in options.writer)
                or (options.sheet and entry["sheet"] not in options.sheet)):
            continue
        # Each writer meets each form on some sheet, each sheet every form across the writers.
        form = FORMS[(sizes.index(entry["sheet"]) + writers.index(entry["writer"])) % len(FORMS)]
        label = "%s %s" % (entry["file"], " ".join(form) or "(decimal)")
        problems = check_fixture(options, manifest, entry, form)
        cases += 1
        if problems:
            failures += 1
            print("FAIL " + label)
            for problem in problems:
                print("     " + problem)
        else:
            print("ok   " + label)
    print("%d conversions, %d failures" % (cases, failures))
    sys.exit(1 if failures or not cases else 0)


if __name__ == "__main__":
    main()
