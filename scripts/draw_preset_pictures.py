#!/usr/bin/env python3
"""Draws the preset palette's pictures into resources/layouts/pictures/.

"preset grid" is the thumbnail grid's background (the cells are drawn over it at run time); the
scroll item's three states show which way the grid can scroll (0 at the first preset: only down,
1 in the middle: both, 2 at the end: only up); the title's two states mark the mode (0 objects: a
cube, 1 materials: a ball). Run it again after changing a size; objmatpresets.layout names the files.
"""
import math
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import png_picture  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "layouts", "pictures")

BACK = (0x20, 0x26, 0x2E, 255)
FACE = (0x56, 0x60, 0x6C, 255)
INK = (0xE6, 0xEA, 0xEE, 255)
DIM = (0x40, 0x48, 0x52, 255)

# The grid: 4 columns and 3 rows of 52-pixel cells, 2 pixels apart (objmatpresets.layout).
GRID_WIDTH, GRID_HEIGHT = 218, 164
SCROLL_WIDTH, SCROLL_HEIGHT = 16, 40


def write(name, width, height, colour_at):
    rows = [[colour_at(x, y) for x in range(width)] for y in range(height)]
    png_picture.write_png(os.path.join(OUT, name), width, height, rows)


def arrow(x, y, top, up):
    """Inside a triangle 10 wide and 6 high whose base or tip is at row top."""
    dy = y - top
    if not 0 <= dy < 6:
        return False
    half = dy if up else 5 - dy
    return abs(x - 7.5) <= half + 0.5


def scroll(state):
    def at(x, y):
        up = arrow(x, y, 8, True)
        down = arrow(x, y, 26, False)
        if up:
            return INK if state != 0 else DIM
        if down:
            return INK if state != 2 else DIM
        return FACE
    return at


def title(state):
    def at(x, y):
        if state == 0:
            inside = 2 <= x < 14 and 2 <= y < 14
            return INK if inside and (x in (2, 13) or y in (2, 13) or x == y) else BACK
        return INK if math.hypot(x - 7.5, y - 7.5) <= 6 else BACK
    return at


write("preset-grid.png", GRID_WIDTH, GRID_HEIGHT, lambda x, y: BACK)
for s in range(3):
    write("preset-scroll-%d.png" % s, SCROLL_WIDTH, SCROLL_HEIGHT, scroll(s))
for s in range(2):
    write("preset-title-%d.png" % s, 16, 16, title(s))
