#!/usr/bin/env python3
"""Speed and memory of pixmold against the I/O floor of this machine.

Run by hand, never from ctest:

    python3 bench/bench.py [build/linux-x64/converter/pixmold] [--runs 5] [--node build/web/converter/pixmold.js]

With --node (the web preset's build), the big conversion also runs under
Node against the native program, and the .wasm's size is shown (the page's
own figures: node bench/page_bench.mjs).

Every input is generated into a temporary folder.  Each figure is the median
of several runs; each floor is measured in the same run with plain tools
(cat of the input, head -c of outputs of the same byte sizes).  The table at
the end sets every ratio against its target.  System calls are counted with
strace -f -c when strace is installed.
"""

import argparse
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from sheets import ADAM7, PEPTO, bmp, chunk  # noqa: E402

BUFFER_SIZE = 4096
BIG_WIDTH, BIG_HEIGHT = 4800, 4200    # 200 x 200 = 40,000 sprites
SMALL_WIDTH, SMALL_HEIGHT = 192, 168  # 8 x 8 = 64 sprites
BAD_PIXELS = 1000000
BAD_WIDTH, BAD_HEIGHT = 1200, 840     # 1,008,000 pixels

TARGET_BIG = 3.0           # big conversion within 3x its floor
TARGET_SMALL = 2.0         # 64-sprite sheet within 2x its floor
TARGET_BYTES_PER_PIXEL = 3.0
TARGET_WRITES_PER_LINE = 1.0
TARGET_COLORS = 1.5        # -colors on the 8-bit sheet within 1.5x the run without it
TARGET_COLORS_24 = 3.0     # -colors on its 24-bit copy within 3x
TARGET_PNG = 1.5           # the sheet as an 8-bit palette PNG within 1.5x the BMP
TARGET_PNG_RGBA = 2.0      # as an RGBA PNG with -colors within 2x the BMP with -colors
TARGET_OVERLAY = 1.2       # -overlay on cells that fit within 1.2x -colors
TARGET_OVERLAY_ALL = 3.0   # -overlay on a sheet of overlay pairs alone within 3x -colors
TARGET_PREVIEW = 1.5       # -preview adds at most 0.5x
TARGET_MIXED = 1.2         # -mixed and -object on the big sheet within 1.2x -colors
TARGET_NODE = 3.0          # the big conversion under Node (WebAssembly) within 3x the native program
# The big sheet's palette: black, dark grey, red and white (Pepto), so that
# -colors finds a background, two shared multicolours and a sprite colour.
BIG_PALETTE = [PEPTO[c] for c in (0, 11, 2, 1)]


def bitmap_bytes(width, height, pixel_data, bits=8, rgb=()):
    return bmp(width=width, height=height, pixels=pixel_data, bits=bits, rgb=rgb)


def true_color_rows(pixel_data):
    """The same rows with each index as its palette colour, 3 bytes (blue, green, red) per pixel."""
    rows = bytearray(3 * len(pixel_data))
    for channel in range(3):
        table = bytes((BIG_PALETTE[index] >> 8 * channel & 255) if index < 4 else 0 for index in range(256))
        rows[channel::3] = pixel_data.translate(table)
    return bytes(rows)


def pattern_rows(width, height):
    """Rows of indexes 0-3 that differ in every sprite and column, bottom row first.

    The pattern repeats every four rows within a band, so only a few distinct
    rows are computed.
    """
    cache = {}
    rows = []
    for y in reversed(range(height)):
        phase = (y * 3 + (y // 21) * 11) % 4
        if phase not in cache:
            cache[phase] = bytes((x * 7 + (x // 24) * 5 + phase) % 4 for x in range(width))
        rows.append(cache[phase])
    return b"".join(rows)


def paired_rows(width, height):
    """The pattern with both pixels of every pair alike, so that with -colors every cell fits."""
    rows = pattern_rows(width, height)
    return bytes(rows[i & ~1] for i in range(len(rows)))


def outlined_rows(paired):
    """Index 4 on the right pixel of every pair of index 0: with -overlay every cell becomes an overlay pair."""
    return bytes(4 if i & 1 and v == 0 else v for i, v in enumerate(paired))


def png_file(width, height, rows, channels=1, palette=(), interlace=False):
    """A PNG of rows stored bottom row first as a BMP stores them: palette indexes, or with 4 channels RGBA;
    interlaced, its seven passes one after the other."""
    stride = width * channels
    top_down = [rows[y * stride:(y + 1) * stride] for y in reversed(range(height))]
    raw = b"".join(b"\0" + row for row in top_down) if not interlace else b"".join(
        b"\0" + pass_row(row, x0, dx, channels) for x0, y0, dx, dy in ADAM7 for row in top_down[y0::dy])
    header = struct.pack(">IIBBBBB", width, height, 8, 3 if channels == 1 else 6, 0, 0, int(interlace))
    plte = chunk(b"PLTE", b"".join(v.to_bytes(3, "big") for v in palette)) if palette else b""
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + plte + chunk(b"IDAT", zlib.compress(raw, 1)) + \
        chunk(b"IEND", b"")


def pass_row(row, x0, dx, channels):
    """The pixels of a row that one interlace pass holds."""
    out = bytearray(len(row[x0 * channels::dx * channels]) * channels)
    for channel in range(channels):
        out[channel::channels] = row[x0 * channels + channel::dx * channels]
    return bytes(out)


def rgba_rows(pixel_data):
    """The rows with each index as its palette colour and alpha 255."""
    rows = bytearray(4 * len(pixel_data))
    for channel in range(3):
        table = bytes((BIG_PALETTE[index] >> 16 - 8 * channel & 255) if index < 4 else 0 for index in range(256))
        rows[channel::4] = pixel_data.translate(table)
    rows[3::4] = bytes([255]) * len(pixel_data)
    return bytes(rows)


def bad_picture():
    """BAD_PIXELS pixels of index 7 among multicolour pixels, stored bottom-up."""
    pixels = bytearray(pattern_rows(BAD_WIDTH, BAD_HEIGHT))
    pixels[:BAD_PIXELS] = bytes([7]) * BAD_PIXELS
    return bytes(pixels)


def write(path, data):
    with open(path, "wb") as stream:
        stream.write(data)


class Timing:
    """Medians of the wall-clock and processor seconds of several runs."""

    def __init__(self, wall, cpu, peak_kb):
        self.wall = wall
        self.cpu = cpu
        self.peak_kb = peak_kb


def timed_run(command, folder, stdout_path):
    """(wall seconds, user + system seconds, peak resident kB) of one run.

    The rusage of wait4 covers the process and the children it waited for,
    so a shell's floor counts its cat and head too.
    """
    with open(stdout_path, "wb") as stdout:
        started = time.perf_counter()
        process = subprocess.Popen(command, cwd=folder, stdin=subprocess.DEVNULL, stdout=stdout)
        _, status, usage = os.wait4(process.pid, 0)
        elapsed = time.perf_counter() - started
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("bench: %s ended with status %d" % (" ".join(command), status))
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def median_run(command, folder, runs, stdout_name="console.txt"):
    walls, cpus, peak = [], [], 0
    for _ in range(runs):
        wall, cpu, kb = timed_run(command, folder, os.path.join(folder, stdout_name))
        walls.append(wall)
        cpus.append(cpu)
        peak = max(peak, kb)
    return Timing(statistics.median(walls), statistics.median(cpus), peak)


def peak_memory_kb(command, folder, fallback_kb):
    """Peak resident memory of one run in kB, measured by /usr/bin/time.

    The rusage of a child forked from this script counts the script's own
    memory at the fork, so wait4's figure (fallback_kb) is used only when
    /usr/bin/time is missing.
    """
    if not os.access("/usr/bin/time", os.X_OK):
        return fallback_kb, "wait4"
    report = os.path.join(folder, "time.txt")
    with open(os.path.join(folder, "console.txt"), "wb") as stdout:
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + command, cwd=folder,
                       stdin=subprocess.DEVNULL, stdout=stdout, check=True)
    with open(report) as stream:
        return int(stream.read().split()[-1]), "/usr/bin/time"


def floor_command(input_name, output_sizes, console_name=None):
    """One shell run: cat of the input, head -c for each output size.

    With console_name, that file is also copied one line per write (grep
    --line-buffered), the least a console flushed line by line costs.
    """
    steps = ["cat %s >/dev/null" % input_name]
    for number, size in enumerate(output_sizes):
        steps.append("head -c %d /dev/zero >floor%d.out" % (size, number))
    if console_name:
        steps.append("grep --line-buffered '' %s >floor-lines.out" % console_name)
    return ["sh", "-c", "; ".join(steps)]


def strace_counts(command, folder):
    """{system call: count} of read and write calls of one run, or None without strace."""
    if shutil.which("strace") is None:
        return None
    report = os.path.join(folder, "strace.txt")
    with open(os.path.join(folder, "strace-console.txt"), "wb") as stdout:
        subprocess.run(["strace", "-f", "-c", "-o", report] + command, cwd=folder,
                       stdin=subprocess.DEVNULL, stdout=stdout, check=True)
    counts = {}
    with open(report) as stream:
        for line in stream:
            words = line.split()
            if len(words) >= 5 and words[-1] in ("read", "write", "pread64", "writev", "openat", "mmap"):
                counts[words[-1]] = int(words[3])
    return counts


def sizes(folder, *names):
    return [os.path.getsize(os.path.join(folder, name)) for name in names]


def console_lines(folder, name="console.txt"):
    with open(os.path.join(folder, name), "rb") as stream:
        data = stream.read()
    return data.count(b"\r\n"), len(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program", nargs="?", default=os.path.join(ROOT, "build", "linux-x64", "converter", "pixmold"))
    parser.add_argument("--runs", type=int, default=5, help="runs per figure (default 5)")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder and print its name")
    parser.add_argument("--node", help="pixmold.js of the web preset: the big conversion under Node too")
    options = parser.parse_args()
    program = os.path.abspath(options.program)
    if not os.access(program, os.X_OK):
        sys.exit("bench: no program at %s (build it first, or give its path)" % program)

    folder = tempfile.mkdtemp(prefix="pixmold-bench-")
    try:
        rows = run_all(program, folder, options.runs)
        if options.node:
            rows += run_node(program, os.path.abspath(options.node), folder, options.runs)
    finally:
        if options.keep:
            print("inputs and outputs kept in " + folder)
        else:
            shutil.rmtree(folder, ignore_errors=True)
    print_table(rows)
    return 0 if all(row[5] != "MISSED" for row in rows) else 1


def run_all(program, folder, runs):
    print("program: %s" % program)
    print("generating inputs in %s ..." % folder)
    big_rows = pattern_rows(BIG_WIDTH, BIG_HEIGHT)
    write(os.path.join(folder, "big.bmp"),
          bitmap_bytes(width=BIG_WIDTH, height=BIG_HEIGHT, pixel_data=big_rows, rgb=BIG_PALETTE))
    write(os.path.join(folder, "big24.bmp"),
          bitmap_bytes(width=BIG_WIDTH, height=BIG_HEIGHT, pixel_data=true_color_rows(big_rows), bits=24))
    write(os.path.join(folder, "small.bmp"),
          bitmap_bytes(width=SMALL_WIDTH, height=SMALL_HEIGHT, pixel_data=pattern_rows(SMALL_WIDTH, SMALL_HEIGHT)))
    write(os.path.join(folder, "bad.bmp"),
          bitmap_bytes(width=BAD_WIDTH, height=BAD_HEIGHT, pixel_data=bad_picture()))
    big_pixels = BIG_WIDTH * BIG_HEIGHT
    rows = []

    def conversion(label, extra, target, line_console, sheet="big.bmp"):
        command = [program, "-s", sheet, "-d", "big.asm", "-e", "big.spr", "-hex"] + extra
        timing = median_run(command, folder, runs)
        outputs = sizes(folder, "big.asm", "big.spr")
        console = None
        if line_console:
            # The console file is kept for the floor, which copies it line by line.
            console = "verbose-console.txt"
            shutil.copyfile(os.path.join(folder, "console.txt"), os.path.join(folder, console))
        floor = median_run(floor_command(sheet, outputs, console), folder, runs, "floor-console.txt")
        add_ratio_rows(rows, label, timing, floor, target)
        return command, timing, outputs

    command, timing, outputs = conversion("4800x4200 -d -e -hex", [], TARGET_BIG, False)
    peak_kb, meter = peak_memory_kb(command, folder, timing.peak_kb)
    conversion("4800x4200 -d -e -hex -acme", ["-acme"], TARGET_BIG, False)
    conversion("4800x4200 -d -e -hex -v", ["-v"], TARGET_BIG, True)

    add_memory_row(rows, "peak memory, 4800x4200", peak_kb, big_pixels, meter)
    for label, sheet, target in (("-colors, 8 bits", "big.bmp", TARGET_COLORS),
                                 ("-colors, 24 bits", "big24.bmp", TARGET_COLORS_24)):
        colors_command, colors, _ = conversion("4800x4200 " + label, ["-colors"], TARGET_BIG * target, False, sheet)
        ratio = colors.wall / timing.wall
        rows.append(("  against the run without", "%.3f s" % colors.wall, "%.3f s" % timing.wall, ratio,
                     "<= %.1fx" % target, verdict(ratio <= target)))
        add_memory_row(rows, "peak memory, " + label, peak_memory_kb(colors_command, folder, colors.peak_kb)[0],
                       big_pixels, meter)

    run_new_forms(program, folder, runs, rows, big_rows, timing)
    counts = strace_counts(command, folder)
    if counts is not None:
        input_bytes = os.path.getsize(os.path.join(folder, "big.bmp"))
        lines, _ = console_lines(folder, "strace-console.txt")
        output_bytes = sum(outputs)
        reads, writes = counts.get("read", 0), counts.get("write", 0)
        # Per 4096 bytes of each file, plus one write per console line.
        expected_reads = sum(-(-size // BUFFER_SIZE) for size in [input_bytes])
        expected_writes = sum(-(-size // BUFFER_SIZE) for size in outputs) + lines
        print("%-28s read %d (input %d bytes, %d blocks), write %d (outputs %d bytes, %d blocks + %d lines)"
              % ("system calls", reads, input_bytes, expected_reads, writes, output_bytes,
                 expected_writes - lines, lines))
        rows.append(("read calls per 4096 B in", str(reads), str(expected_reads), reads / expected_reads,
                     "~1 per block", verdict(reads <= expected_reads * 1.01)))
        rows.append(("write calls per 4096 B out", str(writes), str(expected_writes), writes / expected_writes,
                     "~1 per block", verdict(writes <= expected_writes * 1.01)))

    bad_command = [program, "-s", "bad.bmp", "-d", "bad.asm"]
    seconds = median_run(bad_command, folder, runs).wall
    lines, console_bytes = console_lines(folder)
    print("%-28s %8.3f s   %d console lines, %d bytes, %.2f us per line"
          % ("1,000,000 bad indexes", seconds, lines, console_bytes, seconds / lines * 1e6))
    rows.append(("bad colours, time per line", "%.2f us" % (seconds / lines * 1e6), "%d lines" % lines,
                 None, "", "info"))
    bad_counts = strace_counts(bad_command, folder)
    if bad_counts is not None:
        writes = bad_counts.get("write", 0)
        rows.append(("bad colours, writes per line", str(writes), "%d lines" % lines, writes / lines,
                     "<= %.0f" % TARGET_WRITES_PER_LINE, verdict(writes <= lines)))

    small_command = [program, "-s", "small.bmp", "-d", "small.asm", "-e", "small.spr", "-hex"]
    timing = median_run(small_command, folder, runs * 4)
    small_outputs = sizes(folder, "small.asm", "small.spr")
    floor = median_run(floor_command("small.bmp", small_outputs), folder, runs * 4, "floor-console.txt")
    add_ratio_rows(rows, "192x168 -d -e -hex", timing, floor, TARGET_SMALL)
    return rows


def run_node(program, script, folder, runs):
    """The big conversion under Node (pixmold.js and its .wasm) against the native program."""
    command = ["-s", "big.bmp", "-d", "big.asm", "-e", "big.spr", "-hex"]
    native = median_run([program] + command, folder, runs)
    node = median_run(["node", script] + command, folder, runs)
    wasm = open(script[:-3] + ".wasm", "rb").read()
    print("%-28s %d bytes, %d gzip-compressed" % ("pixmold.wasm", len(wasm), len(zlib.compress(wasm, 9))))
    ratio = node.wall / native.wall
    return [("4800x4200 under Node / native", "%.3f s" % node.wall, "%.3f s" % native.wall, ratio,
             "<= %.1fx" % TARGET_NODE, verdict(ratio <= TARGET_NODE))]


def run_new_forms(program, folder, runs, rows, big_rows, plain):
    """PNG sheets, -overlay and -preview against the runs of the same sheet without them."""
    write(os.path.join(folder, "big.png"), png_file(BIG_WIDTH, BIG_HEIGHT, big_rows, palette=BIG_PALETTE))
    write(os.path.join(folder, "big-rgba.png"), png_file(BIG_WIDTH, BIG_HEIGHT, rgba_rows(big_rows), 4))
    write(os.path.join(folder, "big-adam7.png"),
          png_file(BIG_WIDTH, BIG_HEIGHT, big_rows, palette=BIG_PALETTE, interlace=True))
    write(os.path.join(folder, "big-rgba-adam7.png"),
          png_file(BIG_WIDTH, BIG_HEIGHT, rgba_rows(big_rows), 4, interlace=True))
    paired = paired_rows(BIG_WIDTH, BIG_HEIGHT)
    palette = BIG_PALETTE + [PEPTO[14]]
    write(os.path.join(folder, "paired.bmp"), bitmap_bytes(BIG_WIDTH, BIG_HEIGHT, paired, rgb=palette))
    write(os.path.join(folder, "outlined.bmp"), bitmap_bytes(BIG_WIDTH, BIG_HEIGHT, outlined_rows(paired), rgb=palette))
    pixels = BIG_WIDTH * BIG_HEIGHT

    def against(label, sheet, extra, base, target):
        command = [program, "-s", sheet, "-d", "big.asm", "-e", "big.spr", "-hex"] + extra
        timing = median_run(command, folder, runs)
        ratio = timing.wall / base.wall
        rows.append((label, "%.3f s" % timing.wall, "%.3f s" % base.wall, ratio, "<= %.1fx" % target,
                     verdict(ratio <= target)))
        add_memory_row(rows, "  peak memory", peak_memory_kb(command, folder, timing.peak_kb)[0], pixels, "")
        return timing

    colors = median_run([program, "-s", "big.bmp", "-d", "big.asm", "-e", "big.spr", "-hex", "-colors"], folder, runs)
    against("8-bit palette PNG / BMP", "big.png", [], plain, TARGET_PNG)
    against("RGBA PNG / BMP, -colors", "big-rgba.png", ["-colors"], colors, TARGET_PNG_RGBA)
    against("interlaced palette PNG / BMP", "big-adam7.png", [], plain, TARGET_PNG)
    against("interlaced RGBA PNG, -colors", "big-rgba-adam7.png", ["-colors"], colors, TARGET_PNG_RGBA)
    fitting = median_run([program, "-s", "paired.bmp", "-d", "big.asm", "-e", "big.spr", "-hex", "-colors"], folder,
                         runs)
    against("-overlay / -colors, cells fit", "paired.bmp", ["-overlay"], fitting, TARGET_OVERLAY)
    against("-overlay, 40,000 pairs / -colors", "outlined.bmp", ["-overlay"], fitting, TARGET_OVERLAY_ALL)
    against("-preview / without", "big.bmp", ["-preview", "big-preview.png"], plain, TARGET_PREVIEW)
    against("-mixed / -colors", "big.bmp", ["-mixed"], colors, TARGET_MIXED)
    against("-object 2x2 / -colors", "big.bmp", ["-colors", "-object", "2x2"], colors, TARGET_MIXED)


def add_memory_row(rows, label, peak_kb, pixels, meter):
    bytes_per_pixel = peak_kb * 1024.0 / pixels
    print("%-28s %8d kB  %.2f bytes per pixel (%s)" % (label, peak_kb, bytes_per_pixel, meter))
    rows.append((label, "%d kB" % peak_kb, "%d px" % pixels, bytes_per_pixel, "<= %.0f B/px" % TARGET_BYTES_PER_PIXEL,
                 verdict(bytes_per_pixel <= TARGET_BYTES_PER_PIXEL)))


def add_ratio_rows(rows, label, timing, floor, target):
    """A row for the wall-clock ratio, which the target is set on, and one for processor time."""
    print("%-28s %8.4f s wall, %.4f s cpu   floor %.4f s wall, %.4f s cpu"
          % (label, timing.wall, timing.cpu, floor.wall, floor.cpu))
    ratio = timing.wall / floor.wall
    rows.append((label, "%.3f s" % timing.wall, "%.3f s" % floor.wall, ratio, "<= %.0fx" % target,
                 verdict(ratio <= target)))
    cpu_ratio = timing.cpu / floor.cpu if floor.cpu > 0 else float("inf")
    rows.append(("  (processor time)", "%.3f s" % timing.cpu, "%.3f s" % floor.cpu, cpu_ratio, "", "info"))


def verdict(met):
    return "met" if met else "MISSED"


def print_table(rows):
    print()
    print("| %-30s | %-12s | %-14s | %-7s | %-14s | %-6s |" % ("measure", "pixmold", "floor / base", "ratio",
                                                             "target", "result"))
    print("|%s|%s|%s|%s|%s|%s|" % ("-" * 32, "-" * 14, "-" * 16, "-" * 9, "-" * 16, "-" * 8))
    for label, value, base, ratio, target, result in rows:
        shown = "" if ratio is None else "%.2f" % ratio
        print("| %-30s | %-12s | %-14s | %-7s | %-14s | %-6s |" % (label, value, base, shown, target, result))


if __name__ == "__main__":
    sys.exit(main())
