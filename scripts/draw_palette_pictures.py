#!/usr/bin/env python3
"""Draws the create palette's glow pictures and the selection palette's pictures into
resources/layouts/pictures/.

A create item's glow picture is its normal picture lightened towards the hover blue, which the palette
blends in by the glow's level; the selection palette's buttons are highlights over its two pictures
of icons ("selection objects background" with the seventeen kinds, "sel tools" with the steps, the
options and solo mode), and "selection palette background" is the bare palette the tools fade into.
Run it again after changing a picture's geometry; the layout sources name the files it writes.
"""
import math
import os
import struct
import sys
import zlib

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from draw_edit_palette_pictures import BACK, FACE, HOVER, INK, OUT, PRESSED, write_png  # noqa: E402

CREATE_ITEMS = [
    "water-plane", "cloud-plane", "ground-plane", "terrain", "stone", "sym-lattice", "sphere", "ellipsoid",
    "squashed-sphere", "torus", "tuboid", "cylinder", "squashed-cylinder", "stretched-cylinder", "cube",
    "brickoid", "stretched-cube", "pyramid", "squashed-pyramid", "stretched-pyramid", "cone", "stretched-cone",
    "squashed-cone", "2d-hdisk", "2d-vdisk", "2d-pict", "2d-hface", "2d-vface", "radial-light", "spotlight",
    "square-spotlight", "parallel-light",
]
GLOW = (0x8F, 0xB8, 0xE0)
GLOW_SHARE = 0.45
LIGHT = (0xF2, 0xD2, 0x4A)
HEADER_ROWS = 18


def read_png(name):
    """An 8-bit RGB or RGBA PNG without interlacing: width, height and rows of (r, g, b, a)."""
    data = open(os.path.join(OUT, name), "rb").read()
    width, height, depth, kind, _, _, interlace = struct.unpack(">IIBBBBB", data[16:29])
    if depth != 8 or kind not in (2, 6) or interlace:
        raise ValueError("%s: only 8-bit RGB or RGBA without interlacing" % name)
    idat, at = b"", 8
    while at < len(data):
        length, tag = struct.unpack(">I4s", data[at:at + 8])
        if tag == b"IDAT":
            idat += data[at + 8:at + 8 + length]
        at += 12 + length
    raw = zlib.decompress(idat)
    channels = 4 if kind == 6 else 3
    stride = width * channels
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind_of_filter, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind_of_filter == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind_of_filter == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind_of_filter == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind_of_filter == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        rows.append([tuple(line[x * channels:x * channels + channels]) + ((255,) if channels == 3 else ())
                     for x in range(width)])
        previous = line
    return width, height, rows


def mix(a, b, share):
    return tuple(int(round(x + (y - x) * share)) for x, y in zip(a, b))


def create_glows():
    for item in CREATE_ITEMS:
        width, height, rows = read_png("create-%s.png" % item)
        glow = [[mix(p[:3], GLOW, GLOW_SHARE) + (p[3],) for p in row] for row in rows]
        write_png("create-%s-glow.png" % item, width, height, glow)


# ---- the selection palette's icons: each a test of (x, y) in a 18 x 18 cell

def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, w):
    return lambda x, y: (r - w) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def frame(x0, y0, x1, y1):
    return lambda x, y: box(x0, y0, x1, y1)(x, y) and not box(x0 + 1, y0 + 1, x1 - 1, y1 - 1)(x, y)


def triangle(apex, left, right):
    def inside(x, y):
        (ax, ay), (bx, by), (cx, cy) = apex, left, right

        def side(px, py, qx, qy):
            return (qx - px) * (y - py) - (qy - py) * (x - px)
        d1, d2, d3 = side(ax, ay, bx, by), side(bx, by, cx, cy), side(cx, cy, ax, ay)
        return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))
    return inside


def any_of(*tests):
    return lambda x, y: any(t(x, y) for t in tests)


def rays(cx, cy, inner, outer):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        a = math.atan2(y - cy, x - cx) % (math.pi / 4)
        return inner <= d <= outer and min(a, math.pi / 4 - a) * d < 0.8
    return inside


KIND_ICONS = [
    ("plane", box(2, 10, 16, 12)),
    ("terrain", lambda x, y: 2 <= x < 16 and y >= 13 - 4 * abs(math.sin(x * 0.7)) and y < 15),
    ("stone", lambda x, y: ((x - 9) / 6.5) ** 2 + ((y - 10) / 4.5) ** 2 + 0.15 * math.sin(x * 1.7 + y) <= 1),
    ("lattice", any_of(*[box(2 + 4 * i, 3, 3 + 4 * i, 15) for i in range(4)], *[box(2, 3 + 4 * i, 15, 4 + 4 * i)
                                                                             for i in range(4)])),
    ("sphere", disc(9, 9, 6)),
    ("torus", ring(9, 9, 6.5, 3)),
    ("cylinder", any_of(box(4, 4, 14, 14), disc(9, 4, 2))),
    ("cube", box(4, 4, 14, 14)),
    ("pyramid", triangle((9, 3), (3, 15), (15, 15))),
    ("cone", any_of(triangle((9, 3), (4, 14), (14, 14)), lambda x, y: ((x - 9) / 5) ** 2 + ((y - 14) / 1.5) ** 2 <= 1)),
    ("disk", lambda x, y: ((x - 9) / 7) ** 2 + ((y - 10) / 3) ** 2 <= 1),
    ("square", frame(3, 3, 15, 15)),
    ("radial light", any_of(disc(9, 9, 3), rays(9, 9, 5, 8))),
    ("spotlight", any_of(disc(9, 4, 2), triangle((9, 5), (4, 15), (14, 15)))),
    ("square spotlight", any_of(box(7, 2, 11, 6), lambda x, y: 6 <= y < 16 and abs(x - 9) <= (y - 2) * 0.5)),
    ("parallel light", any_of(*[box(3, 3 + 4 * i, 15, 4 + 4 * i) for i in range(4)])),
    ("groups", any_of(frame(2, 2, 11, 11), frame(7, 7, 16, 16))),
]
KIND_LIGHTS = range(12, 16)
CELL = 18
KIND_COLUMNS = 9

TOOL_ICONS = [
    ("first", any_of(box(4, 4, 6, 14), triangle((6, 9), (13, 4), (13, 14)))),
    ("previous", triangle((4, 9), (13, 4), (13, 14))),
    ("next", triangle((14, 9), (5, 4), (5, 14))),
    ("last", any_of(box(12, 4, 14, 14), triangle((12, 9), (5, 4), (5, 14)))),
    ("options", triangle((9, 13), (4, 6), (14, 6))),
    ("solo", any_of(disc(9, 9, 3), ring(9, 9, 7, 1.5))),
]
TOOL_CELL = 26


def canvas(width, height, colour):
    return [[colour + (255,) for _ in range(width)] for _ in range(height)]


def paint(rows, left, top, test, size, colour):
    for y in range(size):
        for x in range(size):
            if test(x + 0.5, y + 0.5):
                rows[top + y][left + x] = colour + (255,)


def icon_cells(width, height, icons, cell, columns, colours):
    rows = canvas(width, height, BACK)
    for index, (_, test) in enumerate(icons):
        left, top = (index % columns) * cell, (index // columns) * cell
        for y in range(1, cell - 1):
            for x in range(1, cell - 1):
                rows[top + y][left + x] = FACE + (255,)
        paint(rows, left + (cell - 18) // 2, top + (cell - 18) // 2, test, 18, colours(index))
    return rows


def selection_pictures():
    rows = icon_cells(KIND_COLUMNS * CELL, 2 * CELL, KIND_ICONS, CELL, KIND_COLUMNS,
                      lambda i: LIGHT if i in KIND_LIGHTS else INK)
    write_png("sel-objects.png", KIND_COLUMNS * CELL, 2 * CELL, rows)
    rows = icon_cells(len(TOOL_ICONS) * TOOL_CELL, TOOL_CELL, TOOL_ICONS, TOOL_CELL, len(TOOL_ICONS), lambda i: INK)
    write_png("sel-tools.png", len(TOOL_ICONS) * TOOL_CELL, TOOL_CELL, rows)
    # The highlight over a kind or a tool: the hover blue with a light frame, shown at the button's
    # opacity over the icon.
    for name, size in (("sel-highlight", CELL), ("sel-tool-highlight", TOOL_CELL)):
        rows = [[(0xE6, 0xEA, 0xEE, 255) if x in (0, size - 1) or y in (0, size - 1) else HOVER + (160,)
                 for x in range(size)] for y in range(size)]
        write_png(name + ".png", size, size, rows)
    # Solo mode on: the solo icon lit.
    rows = canvas(TOOL_CELL, TOOL_CELL, PRESSED)
    paint(rows, 4, 4, TOOL_ICONS[-1][1], 18, (0xFF, 0xFF, 0xFF))
    write_png("sel-solo-on.png", TOOL_CELL, TOOL_CELL, rows)
    # The arrows at the ends of the tools.
    for name, test in (("sel-left", triangle((2, 18), (10, 10), (10, 26))), ("sel-right", triangle((10, 18), (2, 10), (2, 26)))):
        rows = canvas(12, 36, BACK)
        for y in range(36):
            for x in range(12):
                if test(x + 0.5, y + 0.5):
                    rows[y][x] = INK + (255,)
        write_png(name + ".png", 12, 36, rows)
    # Image mode: the rendered image, the rendered image behind the wireframe, the wireframe.
    sky, ground = (0x6C, 0x9C, 0xD0), (0x6E, 0x8A, 0x4C)
    wire = any_of(frame(8, 8, 28, 28), lambda x, y: abs((x - 8) - (y - 8)) < 0.8 and 8 <= x < 28)
    for state in range(3):
        rows = canvas(36, 36, BACK)
        for y in range(3, 33):
            for x in range(3, 33):
                picture = sky if y < 20 else ground
                rows[y][x] = (picture if state < 2 else FACE) + (255,)
                if state > 0 and wire(x, y):
                    rows[y][x] = INK + (255,)
        write_png("sel-image-mode-%d.png" % state, 36, 36, rows)
    # The bare palette the tools fade into: the header's band over the palette's colour.
    width, height, header = read_png("palette-header.png")
    rows = [list(header[y]) if y < min(height, HEADER_ROWS) else [BACK + (255,)] * width for y in range(60)]
    write_png("sel-background.png", width, 60, rows)


def main():
    create_glows()
    selection_pictures()
    return 0


if __name__ == "__main__":
    sys.exit(main())
