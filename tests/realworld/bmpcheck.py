"""A small BMP reader for checking fixtures, independent of pixmold.

It decodes the layouts the fixtures use (8 bits per pixel, uncompressed,
any info header size, bottom-up or top-down rows, biClrUsed 0 meaning a full
palette) and refuses everything else, so that a writer that changed its
output is noticed before the program is blamed.  Standard library only.
"""

import struct

# Colour indexes in the manifest's row texts: "0"-"3" as themselves, "#" for 255.
INDEX_CHARACTERS = {"0": 0, "1": 1, "2": 2, "3": 3, "#": 255}


def rows_from_text(lines):
    return [[INDEX_CHARACTERS[c] for c in line] for line in lines]


def rows_to_text(grid):
    names = {v: k for k, v in INDEX_CHARACTERS.items()}
    return ["".join(names[v] for v in row) for row in grid]


# The indexes a sheet may use; their palette colours are recorded too.
USED_INDEXES = (0, 1, 2, 3, 255)


class BadBitmap(Exception):
    pass


def parse(data):
    """The header fields, the palette and the pixel rows (top row first)."""
    if len(data) < 54 or data[:2] != b"BM":
        raise BadBitmap("no BM signature or shorter than 54 bytes")
    bfSize, _, bfOffBits = struct.unpack_from("<IIi", data, 2)
    (biSize, biWidth, biHeight, biPlanes, biBitCount, biCompression, biSizeImage,
     _, _, biClrUsed, _) = struct.unpack_from("<iiiHHIIiiIi", data, 14)
    info = dict(bfSize=bfSize, bfOffBits=bfOffBits, biSize=biSize, biWidth=biWidth,
                biHeight=biHeight, biPlanes=biPlanes, biBitCount=biBitCount,
                biCompression=biCompression, biSizeImage=biSizeImage, biClrUsed=biClrUsed)
    if biSize not in (40, 52, 56, 108, 124):
        raise BadBitmap("info header size %d" % biSize)
    if biBitCount != 8 or biCompression != 0 or biPlanes != 1:
        raise BadBitmap("not an uncompressed 8-bit picture: planes %d, bits %d, compression %d"
                        % (biPlanes, biBitCount, biCompression))
    if biWidth <= 0 or biHeight == 0:
        raise BadBitmap("size %d x %d" % (biWidth, biHeight))
    entries = biClrUsed if biClrUsed else 256
    palette_start = 14 + biSize
    if entries > 256 or palette_start + 4 * entries > bfOffBits:
        raise BadBitmap("palette of %d entries at %d does not end before the pixels at %d"
                        % (entries, palette_start, bfOffBits))
    palette = [tuple(data[palette_start + 4 * i:palette_start + 4 * i + 3][::-1])
               for i in range(entries)]
    height = abs(biHeight)
    stride = (biWidth + 3) // 4 * 4
    if bfOffBits + stride * height > len(data):
        raise BadBitmap("pixel rows run past the end of the file")
    stored = [list(data[bfOffBits + stride * r:bfOffBits + stride * r + biWidth])
              for r in range(height)]
    rows = stored if biHeight < 0 else stored[::-1]
    return dict(info, palette=palette, top_down=biHeight < 0, rows=rows,
                file_size=len(data))


def layout(parsed):
    """The facts of a parsed file that the manifest records."""
    return dict(biSize=parsed["biSize"], biClrUsed=parsed["biClrUsed"],
                biSizeImage=parsed["biSizeImage"], bfOffBits=parsed["bfOffBits"],
                palette_entries=len(parsed["palette"]), top_down=parsed["top_down"],
                file_size=parsed["file_size"],
                colors=["#%02x%02x%02x" % parsed["palette"][i] if i < len(parsed["palette"]) else None
                        for i in USED_INDEXES])


def check(data, grid, expected_layout=None):
    """Problems found when data should hold grid (top row first); [] if none."""
    try:
        parsed = parse(data)
    except BadBitmap as problem:
        return [str(problem)]
    problems = []
    if parsed["biWidth"] != len(grid[0]) or abs(parsed["biHeight"]) != len(grid):
        problems.append("size %d x %d, drawn %d x %d" % (parsed["biWidth"], abs(parsed["biHeight"]),
                                                         len(grid[0]), len(grid)))
    elif parsed["rows"] != grid:
        for y, (got, drawn) in enumerate(zip(parsed["rows"], grid)):
            if got != drawn:
                x = next(i for i, (a, b) in enumerate(zip(got, drawn)) if a != b)
                problems.append("pixel (%d,%d) holds index %d, drawn %d" % (x, y, got[x], drawn[x]))
                break
    if expected_layout is not None and layout(parsed) != expected_layout:
        problems.append("layout %r, expected %r" % (layout(parsed), expected_layout))
    return problems
