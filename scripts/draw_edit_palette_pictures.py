#!/usr/bin/env python3
"""Draws the edit palette's button pictures into resources/layouts/pictures/.

The zone buttons ("resize", "rotate", "reposition") carry their zone map in the alpha byte of their
normal picture: a pixel's alpha names the zone under it (1 to 254), 255 no zone; the button is drawn
opaque, so the map never shows. Their state pictures light one zone (hovered) or fill it (pressed).
Run it again after changing a picture's geometry; the layout source names the files it writes.
"""
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import png_picture  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "layouts", "pictures")

BACK = (0x2E, 0x33, 0x38)
FACE = (0x3A, 0x40, 0x46)
INK = (0xC8, 0xCD, 0xD2)
HOVER = (0x5A, 0x7A, 0x9C)
PRESSED = (0x2F, 0x6F, 0xB0)
NO_ZONE = 255


def write_png(name, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples."""
    png_picture.write_png(os.path.join(OUT, name), width, height, pixels)


def inside(box, x, y):
    left, top, right, bottom = box
    return left <= x < right and top <= y < bottom


def arrow(box, direction, x, y):
    """A solid triangle pointing left, right, up, down or along a diagonal in the box."""
    left, top, right, bottom = box
    w, h = right - left, bottom - top
    u, v = (x - left) / w, (y - top) / h
    if direction == "left":
        return abs(v - 0.5) < u * 0.45 and u > 0.15 and u < 0.9
    if direction == "right":
        return abs(v - 0.5) < (1 - u) * 0.45 and u > 0.1 and u < 0.85
    if direction == "up":
        return abs(u - 0.5) < v * 0.45 and v > 0.15 and v < 0.9
    if direction == "down":
        return abs(u - 0.5) < (1 - v) * 0.45 and v > 0.1 and v < 0.85
    if direction == "upright":
        return u > 0.2 and v < 0.8 and (u - v) > 0.15 and u + (1 - v) > 1.0
    if direction == "downleft":
        return v > 0.2 and u < 0.8 and (v - u) > 0.15 and v + (1 - u) > 1.0
    if direction == "square":
        return 0.25 <= u < 0.75 and 0.25 <= v < 0.75
    if direction == "both":
        return abs(v - 0.5) < 0.12 and 0.15 < u < 0.85 or (abs(v - 0.5) < 0.3 and (u < 0.3 or u > 0.7)
                                                            and abs(v - 0.5) < min(u, 1 - u) * 1.2)
    return False


def zone_button(prefix, size, zones, states):
    """zones: {zone: (box, glyph)}; states: [(entry, lit zones, colour)], entry 0 the normal picture."""
    width, height = size
    for entry, lit, colour in [(0, (), None)] + states:
        rows = []
        for y in range(height):
            row = []
            for x in range(width):
                zone = NO_ZONE
                rgb = BACK
                if 1 <= x < width - 1 and 1 <= y < height - 1:
                    rgb = FACE
                for number, (box, glyph) in zones.items():
                    if inside(box, x, y):
                        zone = number
                        if number in lit:
                            rgb = colour
                        if arrow(box, glyph, x, y):
                            rgb = INK
                row.append(rgb + ((zone if entry == 0 else 255),))
            rows.append(row)
        write_png("%s-%d.png" % (prefix, entry), width, height, rows)


def plain_button(prefix, size, glyphs, entries):
    """entries: list of (entry, colour of the face, glyph list); zone 1 over the whole face."""
    width, height = size
    for entry, face, marks in entries:
        rows = []
        for y in range(height):
            row = []
            for x in range(width):
                rgb, alpha = BACK, NO_ZONE
                if 1 <= x < width - 1 and 1 <= y < height - 1:
                    rgb, alpha = face, 1
                for mark in marks:
                    if glyphs[mark](x, y):
                        rgb = INK
                row.append(rgb + ((alpha if entry == 0 else 255),))
            rows.append(row)
        write_png("%s-%d.png" % (prefix, entry), width, height, rows)


def main():
    os.makedirs(OUT, exist_ok=True)
    third = ((2, 22), (22, 42), (42, 62))
    left, mid, right = third
    # resize: 1 the centre, 2 and 3 across x, 4 and 5 across z, 6 and 7 across y.
    resize = {
        1: ((mid[0], mid[0], mid[1], mid[1]), "square"),
        2: ((left[0], mid[0], left[1], mid[1]), "left"),
        3: ((right[0], mid[0], right[1], mid[1]), "right"),
        4: ((left[0], right[0], left[1], right[1]), "downleft"),
        5: ((right[0], left[0], right[1], left[1]), "upright"),
        6: ((mid[0], right[0], mid[1], right[1]), "down"),
        7: ((mid[0], left[0], mid[1], left[1]), "up"),
    }
    pairs = {1: (2, 3), 2: (4, 5), 3: (6, 7)}
    states = [(z, (z,), HOVER) for z in range(1, 8)] + [(z + 7, (z,), PRESSED) for z in range(1, 8)]
    states += [(p + 14, pairs[p], HOVER) for p in (1, 2, 3)] + [(p + 17, pairs[p], PRESSED) for p in (1, 2, 3)]
    zone_button("edit-resize", (64, 64), resize, states)
    # rotate: 1 about y, 2 about x, 3 about z, in bands.
    rotate = {1: ((2, 2, 62, 21), "both"), 2: ((2, 22, 62, 42), "both"), 3: ((2, 43, 62, 62), "both")}
    states = [(z, (z,), HOVER) for z in (1, 2, 3)] + [(z + 3, (z,), PRESSED) for z in (1, 2, 3)]
    zone_button("edit-rotate", (64, 64), rotate, states)
    # reposition: 1 and 2 along x, 3 and 4 along y, 5 and 6 along z.
    reposition = {
        1: ((left[0], mid[0], left[1], mid[1]), "left"),
        2: ((right[0], mid[0], right[1], mid[1]), "right"),
        3: ((mid[0], left[0], mid[1], left[1]), "up"),
        4: ((mid[0], right[0], mid[1], right[1]), "down"),
        5: ((right[0], left[0], right[1], left[1]), "upright"),
        6: ((left[0], right[0], left[1], right[1]), "downleft"),
    }
    states = [(z, (z,), HOVER) for z in range(1, 7)] + [(z + 6, (z,), PRESSED) for z in range(1, 7)]
    zone_button("edit-reposition", (64, 64), reposition, states)

    def bar(x0, x1, y0, y1):
        return lambda x, y: x0 <= x < x1 and y0 <= y < y1

    # randomize: one picture per mode; the bars say what is scattered (position in xz or xyz,
    # rotation, size).
    glyphs = {
        "xz": bar(6, 34, 8, 12), "y": bar(18, 22, 4, 16),
        "rotation": bar(6, 34, 19, 23), "scale": bar(6, 34, 30, 34),
    }
    entries = []
    for mode in range(8):
        marks = ["xz"] + (["y"] if mode >= 4 else []) + (["rotation"] if mode & 1 else [])
        marks += ["scale"] if mode & 2 else []
        entries.append((mode, FACE, marks))
    plain_button("edit-randomize", (40, 40), glyphs, entries)
    dots = {"dots": lambda x, y: any(abs(x - cx) < 3 and abs(y - cy) < 3
                                     for cx, cy in ((10, 10), (20, 20), (30, 30), (30, 10), (10, 30)))}
    plain_button("edit-randomize-control", (40, 40), dots, [(0, FACE, ["dots"]), (1, HOVER, ["dots"])])
    arrows = {"arrows": lambda x, y: abs(y - 12) < 2 and 14 <= x < 46 or abs(y - 12) < (48 - x) * 0.5 and 42 <= x < 48}
    plain_button("edit-convert-object", (60, 24), arrows,
                 [(0, FACE, ["arrows"]), (1, HOVER, ["arrows"]), (2, PRESSED, ["arrows"])])
    triangle = {"down": lambda x, y: 3 <= y < 8 and abs(x - 6) < (8 - y)}
    plain_button("edit-options", (12, 10), triangle, [(0, FACE, ["down"]), (1, HOVER, ["down"])])
    # The alignment buttons: a line where the objects meet, and the objects beside it.
    align = {
        "all": lambda x, y: abs(x - 9) < 2 or abs(y - 9) < 2,
        "x": lambda x, y: abs(x - 9) < 1 and 3 <= y < 15,
        "y": lambda x, y: abs(y - 9) < 1 and 3 <= x < 15,
        "z": lambda x, y: abs((x - 9) + (y - 9)) < 1.5 and 3 <= x < 15,
    }
    for axis in ("all", "x", "y", "z"):
        plain_button("edit-align-" + axis, (18, 18), align, [(0, FACE, [axis]), (1, HOVER, [axis])])
    tab = {"tab": lambda x, y: 4 <= x < 10 and 4 <= y < 10}
    plain_button("edit-tab", (14, 14), tab, [(0, FACE, ["tab"])])
    return 0


if __name__ == "__main__":
    sys.exit(main())
