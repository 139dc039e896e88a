#!/usr/bin/env python3
"""The margin of the C64 palette recognition's cost limit, measured on C64 palettes it does not list as they are.

Run by hand, never from ctest:

    python3 bench/palette_margin.py [build/linux-x64]

A palette of 16 distinct colours is matched as a whole when the known palette
that fits it best costs at most the limit. Every palette measured here is a C64
palette: the 15 known ones and PC64's, each as published and changed as screens
and paint programs change them (gamma 0.8 and 1.25, brighter and darker, more
and less saturated, hue turned by 10 degrees, 4 bits a channel), and the
colodore formula at 88 settings. A known palette is measured with itself left
out of the references, as an unknown one would be; so is every form of it and
colodore's formula. The margin is the limit less the worst cost: it must stay
positive, and large enough for palettes not measured.
"""

import math
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PC64 = "212121 ffffff b52121 73ffff b521b5 21b521 2121b5 ffff21 b57321 944221 ff7373 737373 949494 73ff73 7373ff b5b5b5"
# colodore: luma levels of 32 and colour angles in 22.5-degree sectors, in C64 colour order; greys have no chroma.
LEVELS = [0, 32, 10, 20, 12, 16, 8, 24, 12, 8, 16, 10, 15, 24, 15, 20]
SECTORS = [None, None, 4, 12, 2, 10, 15, 7, 5, 6, 4, None, None, 10, 15, None]
COLODORE = 1  # its number among the known palettes


def channels(rgb):
    return [rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255]


def rgb_of(red, green, blue):
    return sum(max(0, min(255, round(c))) << s for c, s in ((red, 16), (green, 8), (blue, 0)))


def yuv(rgb):
    r, g, b = channels(rgb)
    y = 0.299 * r + 0.587 * g + 0.114 * b
    return y, 0.492 * (b - y), 0.877 * (r - y)


def from_yuv(y, u, v):
    return rgb_of(y + v / 0.877, y - 0.395 * u - 0.581 * v, y + u / 0.492)


FORMS = {
    "as published": lambda c: c,
    "gamma 0.8": lambda c: rgb_of(*(255 * (v / 255) ** 0.8 for v in channels(c))),
    "gamma 1.25": lambda c: rgb_of(*(255 * (v / 255) ** 1.25 for v in channels(c))),
    "brighter": lambda c: rgb_of(*(v + 16 for v in channels(c))),
    "darker": lambda c: rgb_of(*(v - 16 for v in channels(c))),
    "more saturated": lambda c: from_yuv(yuv(c)[0], 1.3 * yuv(c)[1], 1.3 * yuv(c)[2]),
    "less saturated": lambda c: from_yuv(yuv(c)[0], 0.7 * yuv(c)[1], 0.7 * yuv(c)[2]),
    "hue +10 degrees": lambda c: from_yuv(yuv(c)[0], *rotated(yuv(c)[1:], 10)),
    "4 bits a channel": lambda c: rgb_of(*(v >> 4 << 4 | v >> 4 for v in channels(c))),
}


def rotated(uv, degrees):
    a = math.radians(degrees)
    return uv[0] * math.cos(a) - uv[1] * math.sin(a), uv[0] * math.sin(a) + uv[1] * math.cos(a)


def gamma(value):
    """PAL's gamma of 2.8 shown on a screen of 2.2."""
    return 255 * (max(0, min(255, value)) / 255) ** (2.8 / 2.2)


def colodore(brightness, contrast, saturation):
    """colodore's palette at its settings (50, 100 and 50 give its own)."""
    palette = []
    for level, sector in zip(LEVELS, SECTORS):
        y = (9.6 * level * contrast / 100 + brightness - 50)
        angle = math.radians(11.25 + 22.5 * (sector or 0))
        chroma = 0 if sector is None else 0.96 * saturation * contrast / 100
        u, v = math.cos(angle) * chroma, math.sin(angle) * chroma
        palette.append(rgb_of(gamma(y + 1.140 * v), gamma(y - 0.396 * u - 0.581 * v), gamma(y + 2.029 * u)))
    return palette


def palettes(known):
    """(name, reference to leave out, 16 colours) of every palette measured."""
    published = [("known palette %d" % n, n, p) for n, p in enumerate(known)] + [
        ("PC64", len(known), [int(v, 16) for v in PC64.split()])]
    for name, left_out, palette in published:
        for form, change in FORMS.items():
            yield "%s, %s" % (name, form), left_out, [change(c) for c in palette]
    for number in range(88):
        settings = (35 + 5 * (number % 8), 90 + 5 * (number % 5), 20 + 8 * (number // 8))
        yield "colodore, brightness %d, contrast %d, saturation %d" % settings, COLODORE, colodore(*settings)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "linux-x64"))
    subprocess.run(["cmake", "--build", build, "--target", "pixmold_palette_cost"], check=True,
                   stdout=subprocess.DEVNULL)
    tool = os.path.join(build, "bench", "pixmold_palette_cost")
    known = [[int(v, 16) for v in line.split()] for line in subprocess.run(
        [tool], check=True, capture_output=True, text=True).stdout.splitlines()]
    measured = [p for p in palettes(known) if len(set(p[2])) == 16]
    lines = "".join("%d %s\n" % (left_out, " ".join("%06x" % c for c in colors)) for _, left_out, colors in measured)
    answer = subprocess.run([tool, "--cost"], input=lines, check=True, capture_output=True, text=True).stdout.split()
    limit, costs = float(answer[1]), [float(cost) for cost in answer[2:]]
    ranked = sorted(zip(costs, (name for name, _, _ in measured)), reverse=True)
    for cost, name in ranked[:5]:
        print("%7.1f  %s" % (cost, name))
    print("%d C64 palettes; the worst costs %.1f, the limit is %.0f: a margin of %.1f"
          % (len(costs), ranked[0][0], limit, limit - ranked[0][0]))
    return 0 if ranked[0][0] <= limit else 1


if __name__ == "__main__":
    sys.exit(main())
