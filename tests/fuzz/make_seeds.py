#!/usr/bin/env python3
"""Writes AFL seed sheets and the BMP dictionary: make_seeds.py SEED_DIR DICT_FILE"""
import os, struct, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from sheets import CHANNELS, PEPTO, blank_png, bmp as sheet, png  # noqa: E402


def bmp(w=48, h=42, px=None, **more):
    """A sheet of colour indexes 0-3 in the tests' own BMP writer; more: its keywords."""
    px = bytes((x * 7 + y * 3 + x // 24 * 5) % 4 for y in range(h) for x in range(w)) if px is None else px
    return sheet(width=w, height=h, pixels=px, **more)


bad = bytes([4, 7, 128, 254, 255]) + bytes(24 * 21 - 5)
seeds = {
    "24x21": bmp(24, 21), "48x42": bmp(), "top-down": bmp(top_down=True), "info-108": bmp(info_size=108),
    "info-124": bmp(info_size=124), "clr-0": bmp(clr_used=0), "clr-256": bmp(clr_used=256),
    "clr-300": bmp(clr_used=300, palette=0),
    "clr-minus-1": bmp(clr_used=-1, palette=0), "size-0": bmp(size_image=0), "short": bmp(px=bytes([2]) * 100),
    "bad-colours": bmp(24, 21, px=bad), "index-255": bmp(24, 21, px=bytes([255, 3]) * 252),
    "one-colour": bmp(24, 21, px=bytes(504)), "4-bit": bmp(24, 21, bits=4), "24-bit": bmp(24, 21, bits=24),
    "rle8": bmp(24, 21, compression=1), "width-40": bmp(40, 21), "width-minus-24": bmp(24, 21, width_field=-24),
    "huge-claim": bmp(24000, 21000, px=bytes([3]) * 64), "not-bmp": b"PK\x03\x04",
    # 48 x 1376382 pixels of 1 bit in 34 bytes: the header ends after the bit count.
    "short-1-bit": b"BM" + struct.pack("<IIiiiihhi", 0xFFFF00AA, 0x1E000000, 70, 88, 48, 1376382, 1, 1, 0),
}
# -colors: a C64 palette in a shuffled order, and the same sheet in every depth.
order = [9, 4, 0, 15, 13, 2, 11, 7, 1, 14, 5, 3, 8, 12, 10, 6]
colors = [[(0, 11, [2, 6][x // 24], 1)[(x // 2 + y) % 4] for x in range(48)] for y in range(42)]
indexes = [[order.index(c) for c in row] for row in colors]
rgb = [[PEPTO[c] for c in row] for row in colors]
masks = struct.pack("<3I", 0xFF0000, 0xFF00, 0xFF)
seeds.update({
    "colors-1-bit": sheet([[order.index(c) % 2 for c in row] for row in colors], bits=1, rgb=[PEPTO[9], PEPTO[4]]),
    "colors-4-bit": sheet(indexes, bits=4, rgb=[PEPTO[c] for c in order]),
    "colors-8-bit": sheet(indexes, rgb=[PEPTO[c] for c in order] + [0] * 240),
    "colors-24-bit": sheet(rgb, bits=24, rgb=()), "colors-32-bit": sheet(rgb, bits=32, rgb=(), top_down=True),
    "colors-bitfields": sheet(rgb, bits=32, rgb=(), compression=3, masks=masks),
    "colors-bitfields-124": sheet(rgb, bits=32, rgb=(), compression=3, masks=masks, info_size=124),
})
# -overlay: light blue pixels on odd columns beside the background.
outlined = [[14 if x % 2 and c == 0 and y % 3 == 0 else c for x, c in enumerate(row)] for y, row in enumerate(colors)]
seeds["overlay"] = sheet([[order.index(c) for c in row] for row in outlined], rgb=[PEPTO[c] for c in order])
# PNG: every colour type and depth, interlaced and not, with tRNS where it applies.
for kind, depths in ((0, (1, 2, 4, 8, 16)), (2, (8, 16)), (3, (1, 2, 4, 8)), (4, (8, 16)), (6, (8, 16))):
    for depth in depths:
        top = (1 << depth) - 1  # palette indexes 0-3 (0-1 of 1 bit), else the range of the samples
        picture = [[tuple(v * top // 3 for _ in range(CHANNELS[kind])) if CHANNELS[kind] > 1 else
                    v % (top + 1) if kind == 3 else v * top // 3 for v in row]
                   for row in [[(x // 2 + y) % 4 for x in range(48)] for y in range(42)]]
        trns = {0: b"\0\0", 2: b"\0" * 6, 3: b"\0\x80"}.get(kind)
        for interlace in (False, True):
            seeds["png-%d-%d%s" % (kind, depth, "-adam7" * interlace)] = png(
                picture, kind, depth, [PEPTO[c] for c in order][:(1 << depth) * (kind == 3)], trns, interlace,
                (0, 1, 2, 3, 4))
# Pictures near the 32-bit limits, each file cut to its first 4 KB: a gigapixel whose 4 bytes a pixel pass 2^32
# (1-bit grey and 16-bit RGBA), 2^29 pixels and one band more (the most a 32-bit build holds), the widest sheet
# of 16-bit RGBA (8 bytes a pixel, one row of 818 MB) and the widest 32-bit BMP.
widest = 2147483647 // 21 // 24 * 24
seeds.update({"png-" + name: blank_png(*size, *form, palette=PEPTO[:4] * (form[0] == 3))[:4096]
              for name, size, form in (
    ("gigapixel-adam7", (1272, 844137), (0, 1)), ("gigapixel-rgba16", (1272, 844137), (6, 16)),
    ("2-29-pixels", (1272, 422079), (3, 2)), ("widest-rgba16", (widest, 21), (6, 16)))})
seeds["widest-32-bit"] = bmp(widest, 21, px=bytes(4096), bits=32, clr_used=0)
words = {"BM": b"BM"}
for name, value in [("w24", 24), ("w48", 48), ("w4800", 4800), ("wm24", -24), ("h21", 21), ("h42", 42),
                    ("hm21", -21), ("h4200", 4200), ("i108", 108), ("i124", 124), ("c256", 256), ("c257", 257),
                    ("off54", 54), ("off70", 70), ("off1078", 1078), ("zero", 0), ("m1", -1),
                    ("max", 2**31 - 1), ("min", -2**31), ("maxw", 2**31 - 25), ("minh", -2**31 + 10)]:
    words["i32_" + name] = struct.pack("<i", value)
for value in (1, 4, 8, 24, 32):
    words["bits%d" % value] = struct.pack("<h", value)
words.update(px0123=b"\0\1\2\3", px255=b"\xff", px4=b"\x04", px254=b"\xfe", comp3=b"\x03\0\0\0",
             mask_r=b"\0\0\xff\0", mask_g=b"\0\xff\0\0", mask_b=b"\xff\0\0\0", black=b"\0\0\0\0",
             pepto_grey=b"\x44\x44\x44\0", pepto_red=b"\x2b\x37\x68\0", white=b"\xff\xff\xff\0",
             png=b"\x89PNG\r\n\x1a\n", png_lf=b"\x89PNG\n\x1a\n")
chunks = "IHDR PLTE IDAT IEND tRNS gAMA cHRM sRGB iCCP tEXt zTXt iTXt bKGD pHYs sBIT hIST sPLT tIME oFFs eXIf"
words.update(("chunk_" + name, name.encode()) for name in chunks.split())

if len(sys.argv) != 3:
    sys.exit(__doc__)
os.makedirs(sys.argv[1], exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(sys.argv[1], name + ".bmp"), "wb") as out:
        out.write(data)
with open(sys.argv[2], "w") as out:
    out.writelines('%s="%s"\n' % (k, "".join("\\x%02x" % b for b in v)) for k, v in words.items())
print("make_seeds.py: %d seeds, %d dictionary words" % (len(seeds), len(words)))
