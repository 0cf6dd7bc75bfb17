#!/usr/bin/env python3
"""Draws the display palette's pictures, the preferences dialog's and the document window's six
background pictures into resources/layouts/pictures/.

The display palette's buttons are highlights over two pictures of icons ("tools background" with the
four toggles, "display tools" with the other controls); "display background" is the bare strip the
tools fade into. The background pictures are tiles that the document view repeats behind the
wireframe. Run it again after changing a picture's geometry; the layout sources name the files it
writes.
"""
import math
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from draw_edit_palette_pictures import BACK, FACE, HOVER, INK, PRESSED, write_png  # noqa: E402
from draw_palette_pictures import (HEADER_ROWS, any_of, box, canvas, disc, frame, read_png, ring,  # noqa: E402
                                   triangle)

LIGHT = (0xF2, 0xD2, 0x4A)
SHADOW = (0x7C, 0x84, 0x8C)


def segment(x0, y0, x1, y1, width):
    """Points within width / 2 of the segment from (x0, y0) to (x1, y1)."""
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / float(dx * dx + dy * dy)))
        return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= width / 2.0
    return inside


def not_in(test, cut):
    return lambda x, y: test(x, y) and not cut(x, y)


MAGNIFIER = any_of(ring(8, 8, 5.5, 1.5), segment(12, 12, 16, 16, 2.5))
ICONS = {
    "marker pen": any_of(segment(5, 13, 14, 4, 3.2), triangle((2.5, 15.5), (3.5, 12), (6, 14.5))),
    "ui min max": any_of(box(2, 2, 7, 4), box(2, 2, 4, 7), box(11, 2, 16, 4), box(14, 2, 16, 7),
                         box(2, 14, 7, 16), box(2, 11, 4, 16), box(11, 14, 16, 16), box(14, 11, 16, 16)),
    "background selector": any_of(frame(2, 3, 16, 15), triangle((7, 7), (3, 14), (11, 14)),
                                  triangle((11, 9), (8, 14), (15, 14)), disc(12.5, 6, 1.6)),
    "wireframe resolution": any_of(ring(9, 9, 7, 1), box(3, 6, 15, 7), box(2, 9, 16, 10), box(3, 12, 15, 13),
                                   lambda x, y: abs(((x - 9) / 3.0) ** 2 + ((y - 9) / 7.0) ** 2 - 1) < 0.2),
    "depth cue control": any_of(box(2, 3, 16, 5), box(4, 8, 14, 10), box(6, 13, 12, 15)),
    "pan": any_of(triangle((9, 1), (6, 5), (12, 5)), triangle((9, 17), (6, 13), (12, 13)),
                  triangle((1, 9), (5, 6), (5, 12)), triangle((17, 9), (13, 6), (13, 12)), box(8, 4, 10, 14),
                  box(4, 8, 14, 10)),
    "zoom in": any_of(MAGNIFIER, box(5, 7, 11, 9), box(7, 5, 9, 11)),
    "zoom out": any_of(MAGNIFIER, box(5, 7, 11, 9)),
    "nano edit mode": any_of(frame(2, 4, 16, 15), box(2, 4, 16, 6), disc(9, 10.5, 2)),
    "plop render mode": any_of(not_in(frame(2, 2, 16, 16), lambda x, y: (int(x) + int(y)) % 4 < 2),
                               box(6, 6, 12, 12)),
    "wireframe shadows": any_of(frame(3, 4, 11, 12), frame(7, 1, 15, 9), segment(3.5, 4.5, 7.5, 1.5, 1),
                                segment(10.5, 4.5, 14.5, 1.5, 1), segment(10.5, 11.5, 14.5, 8.5, 1)),
    "hide underground shadows": any_of(box(1, 8, 17, 9), segment(4, 11, 14, 17, 1.6)),
}
# Drawn grey: the shadow of "wireframe shadows" and the hidden shadow of "hide underground shadows".
SHADOWS = {
    "wireframe shadows": lambda x, y: 14 <= y < 17 and 2 + (17 - y) <= x < 13 + (17 - y),
    "hide underground shadows": box(5, 11, 13, 15),
}
# The two pictures of icons and the controls in their cells, row by row.
TOOLS = ["marker pen", "ui min max", "background selector", "wireframe resolution", "depth cue control", "pan",
         "zoom in", "zoom out"]
TOGGLES = ["nano edit mode", "plop render mode", "wireframe shadows", "hide underground shadows"]
CELL_WIDTH = 54
TOOL_HEIGHT = 62
TOGGLE_HEIGHT = 60
ICON_SCALE = 2


def icon_cells(names, cell_height):
    width, height = 2 * CELL_WIDTH, (len(names) + 1) // 2 * cell_height
    rows = canvas(width, height, BACK)
    for index, name in enumerate(names):
        left, top = (index % 2) * CELL_WIDTH, (index // 2) * cell_height
        for y in range(2, cell_height - 2):
            for x in range(2, CELL_WIDTH - 2):
                rows[top + y][left + x] = FACE + (255,)
        size = 18 * ICON_SCALE
        ox, oy = left + (CELL_WIDTH - size) // 2, top + (cell_height - size) // 2
        for y in range(size):
            for x in range(size):
                u, v = (x + 0.5) / ICON_SCALE, (y + 0.5) / ICON_SCALE
                if name in SHADOWS and SHADOWS[name](u, v):
                    rows[oy + y][ox + x] = SHADOW + (255,)
                if ICONS[name](u, v):
                    rows[oy + y][ox + x] = (LIGHT if name == "marker pen" else INK) + (255,)
    return width, height, rows


def highlight(name, width, height):
    rows = [[(0xE6, 0xEA, 0xEE, 255) if x in (2, width - 3) or y in (2, height - 3) else HOVER + (150,)
             if 2 < x < width - 3 and 2 < y < height - 3 else (0, 0, 0, 0) for x in range(width)]
            for y in range(height)]
    write_png(name, width, height, rows)


def display_pictures():
    for name, cells, cell_height in (("display-tools.png", TOOLS, TOOL_HEIGHT),
                                     ("display-toggles.png", TOGGLES, TOGGLE_HEIGHT)):
        width, height, rows = icon_cells(cells, cell_height)
        write_png(name, width, height, rows)
    highlight("display-highlight.png", CELL_WIDTH, TOOL_HEIGHT)
    highlight("display-toggle-highlight.png", CELL_WIDTH, TOGGLE_HEIGHT)
    # The strips that light up beside the tools while the selection palette's tools show.
    write_png("display-accent.png", 2, 190, [[PRESSED + (255,)] * 2 for _ in range(190)])
    # The bare strip the tools fade into: the header's band over the palette's colour.
    width, height, header = read_png("palette-header.png")
    rows = [list(header[y][:120]) if y < min(height, HEADER_ROWS) else [BACK + (255,)] * 120 for y in range(400)]
    write_png("display-background.png", 120, 400, rows)


# ---- the preferences dialog

def prefs_pictures():
    size = 14
    ring_test = ring(7, 7, 6, 1.2)
    write_png("prefs-choice.png", size, size,
              [[INK + (255,) if ring_test(x + 0.5, y + 0.5) else (0, 0, 0, 0) for x in range(size)]
               for y in range(size)])
    # A chosen row: the dot in the ring and a band behind the label.
    width, height = 220, 18
    dot = disc(11, 9, 3.5)
    rows = [[(0xFF, 0xFF, 0xFF, 255) if dot(x + 0.5, y + 0.5) else HOVER + (110,) for x in range(width)]
            for y in range(height)]
    write_png("prefs-chosen.png", width, height, rows)
    up, down = triangle((8, 2), (3, 9), (13, 9)), triangle((8, 22), (3, 15), (13, 15))
    write_png("prefs-arrows.png", 16, 24, [[INK + (255,) if up(x + 0.5, y + 0.5) or down(x + 0.5, y + 0.5)
                                            else FACE + (255,) for x in range(16)] for y in range(24)])


# ---- the document window's background pictures, tiles of 64 x 64

def noise(seed):
    state = [seed]

    def next_value():
        state[0] = (state[0] * 1103515245 + 12345) & 0x7FFFFFFF
        return state[0] / float(0x7FFFFFFF)
    return next_value


def tile(name, colour_at):
    write_png(name, 64, 64, [[colour_at(x, y) + (255,) for x in range(64)] for y in range(64)])


def shade(colour, amount):
    return tuple(max(0, min(255, int(round(c + amount)))) for c in colour)


def backdrops():
    grain = noise(100)
    paper = [[grain() for _ in range(64)] for _ in range(64)]
    tile("backdrop-paper.png", lambda x, y: shade((0xF2, 0xEC, 0xDC), (paper[y][x] - 0.5) * 14))
    speck = noise(101)
    spray = [[speck() for _ in range(64)] for _ in range(64)]
    tile("backdrop-spray.png", lambda x, y: (0x8A, 0x90, 0x98) if spray[y][x] > 0.93 else (0xD2, 0xD6, 0xDA))
    tile("backdrop-grid.png", lambda x, y: (0xA8, 0xAC, 0xB0) if x % 16 == 0 or y % 16 == 0 else (0xD4, 0xD4, 0xD4))
    tile("backdrop-pad.png", lambda x, y: (0x9C, 0xB8, 0xE0) if y % 16 == 15 else (0xFA, 0xFA, 0xF6))
    tile("backdrop-paper-grid.png", lambda x, y: (0x88, 0xB4, 0x9C) if x % 32 == 0 or y % 32 == 0 else
         (0xBC, 0xDA, 0xC8) if x % 8 == 0 or y % 8 == 0 else (0xF0, 0xF6, 0xF0))
    leaf = noise(105)
    green = [[leaf() for _ in range(64)] for _ in range(64)]
    tile("backdrop-green.png", lambda x, y: shade((0x9C, 0xB8, 0x8C), (green[y][x] - 0.5) * 18 - y * 0.2))


def main():
    display_pictures()
    prefs_pictures()
    backdrops()
    return 0


if __name__ == "__main__":
    sys.exit(main())
