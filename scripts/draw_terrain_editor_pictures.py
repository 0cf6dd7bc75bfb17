#!/usr/bin/env python3
"""Draws the terrain editor's pictures into resources/layouts/pictures/ and its cursors into
resources/system/.

Shapes are drawn here pixel by pixel; the labels of the buttons are set in DejaVu Sans by
ImageMagick (convert), whose coverage this script reads back and lays over the button's face.
Run it again after changing a picture; terraineditor.layout and resources/system/manifest name the
files it writes.
"""
import math
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import png_picture  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
PICTURES = os.path.join(HERE, "..", "resources", "layouts", "pictures")
SYSTEM = os.path.join(HERE, "..", "resources", "system")

BACK = (0x38, 0x3E, 0x46)
PANEL = (0x30, 0x35, 0x3C)
FACE = (0x4A, 0x52, 0x5C)
FACE_EDGE = (0x5E, 0x68, 0x74)
PRESSED = (0x2F, 0x6F, 0xB0)
PRESSED_EDGE = (0x4A, 0x8C, 0xCC)
SWITCHED = (0x8C, 0x5A, 0x2A)
SWITCHED_EDGE = (0xB0, 0x78, 0x40)
INK = (0xE6, 0xEA, 0xEE)
DIM_INK = (0xB8, 0xC0, 0xC8)

BUTTON = (100, 20)

# The elevation buttons: file stem, label with the switch off, label with it on (None: the same).
ELEVATION_BUTTONS = [
    ("undo", "undo", None),
    ("new", "new", None),
    ("invert", "invert", None),
    ("erode", "erode", None),
    ("eroded", "eroded", None),
    ("fractal", "fractal", None),
    ("raise-lower", "raise / lower", None),
    ("smoothing", "smoothing", None),
    ("sharpening", "sharpening", None),
    ("gaussian-edges", "gaussian edges", None),
    ("square-edges", "square edges", None),
    ("round-edges", "round edges", None),
    ("basic-noise", "basic noise", None),
    ("slope-noise", "slope noise", None),
    ("height-noise", "height noise", None),
    ("picture", "picture...", None),
    ("spikes", "spikes", "blob maker"),
    ("mounds", "mounds", "relief noise"),
    ("dampen", "dampen", "raise edges"),
    ("equalize", "equalize", "subplateaus"),
    ("posterize", "posterize", "cross ridge"),
    ("sawtooth", "sawtooth", "cross ridge 2"),
    ("subcontours", "subcontours", "bubble ridge"),
]


def write_png(folder, name, width, height, pixels):
    png_picture.write_png(os.path.join(folder, name), width, height, pixels)


def canvas(width, height, colour, alpha=255):
    return [[colour + (alpha,) for _ in range(width)] for _ in range(height)]


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def text_coverage(text, width, height, points=10.0, bold=False, dx=0, dy=0):
    """The label's coverage, 0 to 255 a pixel, set by ImageMagick in DejaVu Sans, centred."""
    font = "DejaVu-Sans-Bold" if bold else "DejaVu-Sans"
    out = subprocess.run(
        ["convert", "-size", f"{width}x{height}", "xc:black", "-font", font, "-pointsize", str(points),
         "-fill", "white", "-gravity", "center", "-annotate", f"+{dx}+{dy}", text, "-depth", "8", "gray:-"],
        check=True, capture_output=True).stdout
    return [list(out[y * width:(y + 1) * width]) for y in range(height)]


def put_text(pixels, text, colour, box, points=10.0, bold=False):
    left, top, right, bottom = box
    cover = text_coverage(text, right - left, bottom - top, points, bold)
    for y, row in enumerate(cover):
        for x, c in enumerate(row):
            if c:
                p = pixels[top + y][left + x]
                pixels[top + y][left + x] = mix(p[:3], colour, c / 255.0) + (p[3],)


def bevel_box(pixels, box, face, edge):
    left, top, right, bottom = box
    for y in range(top, bottom):
        for x in range(left, right):
            border = x in (left, right - 1) or y in (top, bottom - 1)
            corner = (x in (left, right - 1)) and (y in (top, bottom - 1))
            if corner:
                continue
            shade = 1.0 - 0.12 * (y - top) / max(1, bottom - top - 1)
            colour = edge if border else tuple(int(c * shade) for c in face)
            pixels[y][x] = colour + (255,)


def button(label, face, edge, size=BUTTON, marker=None, points=9.5):
    width, height = size
    pixels = canvas(width, height, BACK)
    bevel_box(pixels, (0, 0, width, height), face, edge)
    if marker:
        for y in range(4, height - 4):
            for x in range(4, 7):
                pixels[y][x] = marker + (255,)
    put_text(pixels, label, INK, (0, 0, width, height), points)
    return pixels


def draw_elevation_buttons():
    for stem, off, on in ELEVATION_BUTTONS:
        switched = on is not None
        states = [
            button(off, FACE, FACE_EDGE, marker=(0x4A, 0x8C, 0xCC) if switched else None),
            button(off, PRESSED, PRESSED_EDGE, marker=(0xE6, 0xEA, 0xEE) if switched else None),
            button(on or off, FACE, FACE_EDGE, marker=SWITCHED_EDGE if switched else None),
            button(on or off, PRESSED, PRESSED_EDGE, marker=(0xE6, 0xEA, 0xEE) if switched else None),
        ]
        for i, pixels in enumerate(states):
            write_png(PICTURES, f"terrain-elev-{stem}-{i}.png", BUTTON[0], BUTTON[1], pixels)


def draw_switch():
    width, height = BUTTON
    for state in (0, 1):
        pixels = canvas(width, height, BACK)
        bevel_box(pixels, (0, 0, width, height), FACE, FACE_EDGE)
        half = width // 2
        lit = (1, 1, half, height - 1) if state == 0 else (half, 1, width - 1, height - 1)
        colour = (0x2F, 0x5F, 0x90) if state == 0 else SWITCHED
        for y in range(lit[1] + 1, lit[3] - 1):
            for x in range(lit[0] + 1, lit[2] - 1):
                pixels[y][x] = colour + (255,)
        put_text(pixels, "set 1", INK if state == 0 else DIM_INK, (0, 0, half, height), 9.0)
        put_text(pixels, "set 2", INK if state == 1 else DIM_INK, (half, 0, width, height), 9.0)
        write_png(PICTURES, f"terrain-elev-switch-{state}.png", width, height, pixels)


def draw_background():
    """The elevation panel behind its buttons: the column of two-operation buttons is banded in the
    colour of the set the switch chooses."""
    width, height = 212, 300
    for state in (0, 1):
        pixels = canvas(width, height, PANEL)
        band = (0x2F, 0x45, 0x5C) if state == 0 else (0x55, 0x3E, 0x2A)
        for y in range(116, 272):
            for x in range(104, 210):
                pixels[y][x] = band + (255,)
        put_text(pixels, "elevation", INK, (0, 4, 70, 22), 9.5, bold=True)
        write_png(PICTURES, f"terrain-elev-background-{state}.png", width, height, pixels)


def draw_header():
    width, height = 800, 26
    top, bottom = (0x5E, 0x6A, 0x78), (0x3C, 0x44, 0x4E)
    pixels = [[mix(top, bottom, y / (height - 1)) + (255,) for _ in range(width)] for y in range(height)]
    write_png(PICTURES, "terrain-header.png", width, height, pixels)


# ---- the gradient, the brackets and the ramps

def ramp(stops, t):
    """stops: (position, (r, g, b)) in rising order."""
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0)
    return stops[-1][1]


# Fifteen presets from the lowest elevation (0) to the highest (1); the last is the default.
PRESETS = [
    [(0, (0, 0, 0)), (1, (255, 255, 255))],
    [(0, (255, 255, 255)), (1, (0, 0, 0))],
    [(0, (0, 0, 0)), (0.35, (160, 20, 0)), (0.7, (250, 170, 20)), (1, (255, 255, 230))],
    [(0, (0, 10, 60)), (0.5, (20, 110, 180)), (1, (200, 240, 255))],
    [(0, (90, 50, 20)), (0.5, (200, 150, 80)), (1, (250, 230, 180))],
    [(0, (10, 40, 10)), (0.5, (60, 130, 40)), (1, (200, 230, 120))],
    [(0, (30, 30, 30)), (0.5, (110, 40, 30)), (0.8, (240, 90, 20)), (1, (255, 230, 120))],
    [(0, (60, 90, 120)), (0.6, (180, 200, 215)), (1, (255, 255, 255))],
    [(0, (70, 60, 50)), (0.6, (150, 140, 125)), (1, (235, 230, 220))],
    [(0, (40, 0, 60)), (0.3, (0, 90, 160)), (0.55, (0, 170, 90)), (0.8, (240, 220, 0)), (1, (230, 40, 20))],
    [(0, (120, 60, 10)), (0.4, (210, 140, 60)), (0.7, (150, 120, 90)), (1, (250, 245, 240))],
    [(0, (20, 60, 40)), (0.5, (150, 170, 90)), (1, (240, 220, 160))],
    [(0, (40, 20, 60)), (0.5, (200, 90, 140)), (1, (255, 220, 200))],
    [(0, (0, 30, 20)), (0.3, (0, 110, 90)), (0.6, (90, 200, 160)), (1, (230, 255, 240))],
    [(0, (20, 40, 90)), (0.12, (40, 90, 150)), (0.18, (200, 190, 140)), (0.3, (70, 130, 50)),
     (0.55, (40, 90, 30)), (0.72, (120, 95, 65)), (0.86, (150, 145, 140)), (0.94, (235, 235, 240)),
     (1, (255, 255, 255))],
]


def draw_gradients():
    """270 × 258: preset m in columns 18 m to 18 m + 11, row 0 the colour above the brackets, rows
    1 to 256 the entries from the highest elevation down, row 257 the colour below the brackets."""
    width, height = 270, 258
    pixels = canvas(width, height, PANEL)
    for m, stops in enumerate(PRESETS):
        column = [ramp(stops, (256 - row) / 255.0) for row in range(1, 257)]
        colours = [mix(column[0], (255, 255, 255), 0.5)] + column + [mix(column[-1], (0, 0, 0), 0.5)]
        for x in range(18 * m, 18 * m + 12):
            for y in range(height):
                pixels[y][x] = colours[y] + (255,)
    write_png(PICTURES, "terrain-gradients.png", width, height, pixels)


def draw_brackets():
    """0: the area behind the strip; 1 and 2: the upper and lower bracket; 3: the turning mark."""
    width, height = 24, 258
    pixels = canvas(width, height, PANEL)
    for y in range(height):
        pixels[y][12] = FACE_EDGE + (255,)
    write_png(PICTURES, "terrain-brackets-0.png", width, height, pixels)
    for index, pointing_down in ((1, True), (2, False)):
        w, h = 12, 7
        marker = canvas(w, h, (0, 0, 0), 0)
        for y in range(h):
            for x in range(w):
                # A triangle pointing left at the strip, its flat side toward the inside of the range.
                reach = (y if pointing_down else h - 1 - y) + 1
                if x < reach * 2 and x < w:
                    marker[y][x] = INK + (255,)
        write_png(PICTURES, f"terrain-brackets-{index}.png", w, h, marker)
    w, h = 12, 12
    mark = canvas(w, h, (0, 0, 0), 0)
    for y in range(h):
        for x in range(w):
            d = math.hypot(x - 5.5, y - 5.5)
            if 3.5 <= d <= 5.2 and not (x > 6 and y < 5):
                mark[y][x] = INK + (255,)
    write_png(PICTURES, "terrain-brackets-3.png", w, h, mark)


# The nine transfer curves of the filtering panel, input 0 to 1 giving output 0 to 1.
CURVES = [
    lambda x: x,
    lambda x: 1 - x,
    lambda x: x * x,
    lambda x: math.sqrt(x),
    lambda x: 0.5 - 0.5 * math.cos(math.pi * x),
    lambda x: math.floor(x * 4 - 1e-9) / 3 if x > 0 else 0,
    lambda x: min(1.0, x * 1.6),
    lambda x: abs(2 * x - 1),
    lambda x: 1 - abs(2 * x - 1),
]


def draw_ramps():
    """Row 0, pixel i: the curve at input (127 − i) / 127, as grey in red, green and blue."""
    width, height = 128, 4
    for index, curve in enumerate(CURVES):
        row = []
        for i in range(width):
            v = int(round(255 * max(0.0, min(1.0, curve((127 - i) / 127.0)))))
            row.append((v, v, v, 255))
        write_png(PICTURES, f"terrain-ramp-{index}.png", width, height, [row] * height)
        # The button that loads the curve shows its profile.
        w, h = 32, 24
        icon = canvas(w, h, BACK)
        bevel_box(icon, (0, 0, w, h), FACE, FACE_EDGE)
        for x in range(2, w - 2):
            level = curve((x - 2) / (w - 5))
            top = int(round((h - 3) - level * (h - 6)))
            for y in range(top, h - 2):
                icon[y][x] = (0x8C, 0xB4, 0xDC, 255)
        write_png(PICTURES, f"terrain-filter-{index}.png", w, h, icon)


# ---- the brush controls

def draw_brush():
    w, h = 60, 14
    for k in range(10):
        pixels = canvas(w, h, BACK)
        bevel_box(pixels, (0, 0, w, h), PANEL, FACE_EDGE)
        filled = 2 + int(round(k * (w - 4) / 9))
        for y in range(3, h - 3):
            for x in range(2, filled):
                pixels[y][x] = (0x4A, 0x8C, 0xCC, 255)
        write_png(PICTURES, f"terrain-gauge-{k}.png", w, h, pixels)
    # The level the brush paints to, from the highest at the top to the lowest at the bottom.
    w, h = 14, 100
    level = canvas(w, h, BACK)
    bevel_box(level, (0, 0, w, h), PANEL, FACE_EDGE)
    for y in range(2, h - 2):
        g = int(255 * (h - 3 - y) / (h - 5))
        for x in range(2, w - 2):
            level[y][x] = (g, g, g, 255)
    write_png(PICTURES, "terrain-level.png", w, h, level)
    for behaviour in range(6):
        write_png(PICTURES, f"terrain-behaviour-{behaviour}.png", 20, 20, behaviour_icon(behaviour, 20))


def behaviour_icon(behaviour, size, background=BACK, alpha=255):
    """0 to level, 1 paint the result, 2 paint back, 3 erode, 4 lower to level, 5 raise to level."""
    pixels = canvas(size, size, background, alpha)
    s = size / 20.0

    def dot(x, y, colour=INK):
        xi, yi = int(round(x * s)), int(round(y * s))
        if 0 <= xi < size and 0 <= yi < size:
            pixels[yi][xi] = colour + (255,)

    def line(x0, y0, x1, y1, colour=INK):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            dot(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, colour)

    if behaviour in (0, 4, 5):
        line(3, 10, 17, 10)
        if behaviour == 0:
            for x in (6, 14):
                line(x, 4, x, 8)
                line(x, 16, x, 12)
        else:
            y0, y1 = (3, 8) if behaviour == 4 else (17, 12)
            line(10, y0, 10, y1)
            line(8, y1 + (-2 if behaviour == 4 else 2), 10, y1)
            line(12, y1 + (-2 if behaviour == 4 else 2), 10, y1)
    elif behaviour in (1, 2):
        line(4, 16, 14, 6, (0x8C, 0xB4, 0xDC))
        line(5, 16, 15, 6, (0x8C, 0xB4, 0xDC))
        if behaviour == 1:
            line(13, 14, 17, 14)
            line(15, 12, 15, 16)
        else:
            line(3, 5, 8, 5)
            line(3, 5, 5, 3)
            line(3, 5, 5, 7)
    else:
        for cx, cy in ((7, 6), (13, 10), (8, 14)):
            for a in range(0, 360, 30):
                dot(cx + 2 * math.cos(math.radians(a)), cy + 2 * math.sin(math.radians(a)), (0x8C, 0xB4, 0xDC))
    return pixels


def draw_filter_buttons():
    """The filtering panel's buttons that show a pressed picture: normal, then pressed."""
    size = (68, 20)
    for stem, label in (("smooth", "smooth"), ("options", "options...")):
        for state, (face, edge) in enumerate(((FACE, FACE_EDGE), (PRESSED, PRESSED_EDGE))):
            write_png(PICTURES, f"terrain-filter-{stem}-{state}.png", size[0], size[1],
                      button(label, face, edge, size, points=9.0))


def draw_controls():
    w, h = 32, 28
    icon = canvas(w, h, BACK)
    bevel_box(icon, (0, 0, w, h), FACE, FACE_EDGE)
    put_text(icon, "map", INK, (0, 0, 15, 12), 7.0)
    stops = PRESETS[14]
    for y in range(13, 25):
        colour = ramp(stops, 1 - (y - 13) / 11.0)
        for x in range(15, 27):
            icon[y][x] = colour + (255,)
    write_png(PICTURES, "terrain-color-map.png", w, h, icon)
    for name, label in (("on", "frame on"), ("off", "frame off")):
        for state in (0, 1):
            face, edge = (PRESSED, PRESSED_EDGE) if state else (FACE, FACE_EDGE)
            write_png(PICTURES, f"terrain-{name}-{state}.png", 64, 18, button(label, face, edge, (64, 18), points=9.0))


# ---- cursors, 32 × 32 with their hot spots in resources/system/manifest

def cursor_canvas():
    return canvas(32, 32, (0, 0, 0), 0)


def stamp(pixels, points, outline=True):
    """points: (x, y) pixels drawn white, each with a black rim."""
    if outline:
        for x, y in points:
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    if 0 <= x + dx < 32 and 0 <= y + dy < 32 and pixels[y + dy][x + dx][3] == 0:
                        pixels[y + dy][x + dx] = (0, 0, 0, 255)
    for x, y in points:
        if 0 <= x < 32 and 0 <= y < 32:
            pixels[y][x] = (255, 255, 255, 255)


def segment(x0, y0, x1, y1):
    steps = max(abs(x1 - x0), abs(y1 - y0))
    return [(int(round(x0 + (x1 - x0) * i / steps)), int(round(y0 + (y1 - y0) * i / steps))) for i in range(steps + 1)]


def arrow_heads(x, y, dx, dy):
    """A head at (x, y) pointing along (dx, dy), one of the eight directions."""
    px, py = -dy, dx
    pts = []
    for i in range(1, 5):
        pts += [(x - dx * i + px * i, y - dy * i + py * i), (x - dx * i - px * i, y - dy * i - py * i)]
    return pts


def double_arrow(x0, y0, x1, y1):
    dx, dy = (x1 > x0) - (x1 < x0), (y1 > y0) - (y1 < y0)
    return segment(x0, y0, x1, y1) + arrow_heads(x1, y1, dx, dy) + arrow_heads(x0, y0, -dx, -dy)


def draw_cursors():
    cursors = {}
    # 130: the brackets: up and down.
    c = cursor_canvas()
    stamp(c, double_arrow(15, 4, 15, 26) + segment(10, 15, 20, 15))
    cursors[130] = c
    # 131: a side of the crop frame: left and right.
    c = cursor_canvas()
    stamp(c, double_arrow(4, 15, 26, 15) + segment(15, 9, 15, 21))
    cursors[131] = c
    # 132: a corner: along the diagonal.
    c = cursor_canvas()
    stamp(c, double_arrow(6, 6, 24, 24))
    cursors[132] = c
    # 133: moving the frame: four ways.
    c = cursor_canvas()
    stamp(c, double_arrow(4, 15, 26, 15) + double_arrow(15, 4, 15, 26))
    cursors[133] = c
    # 134 to 139: the brush behaviours, a ring with the behaviour's mark beside it.
    for behaviour in range(6):
        c = cursor_canvas()
        ring = [(int(round(15 + 6 * math.cos(a / 20 * math.pi))), int(round(15 + 6 * math.sin(a / 20 * math.pi))))
                for a in range(40)]
        stamp(c, ring + [(15, 15)])
        icon = behaviour_icon(behaviour, 12, (0, 0, 0), 0)
        for y in range(12):
            for x in range(12):
                if icon[y][x][3]:
                    c[19 + y][19 + x] = (255, 255, 255, 255)
        cursors[134 + behaviour] = c
    # 140: a blend drag, sideways; 141: a shape drag, a cross of arrows with a square.
    c = cursor_canvas()
    stamp(c, double_arrow(3, 15, 27, 15) + segment(12, 10, 18, 10) + segment(12, 20, 18, 20))
    cursors[140] = c
    c = cursor_canvas()
    square = segment(10, 10, 20, 10) + segment(20, 10, 20, 20) + segment(20, 20, 10, 20) + segment(10, 20, 10, 10)
    stamp(c, double_arrow(3, 15, 27, 15) + square)
    cursors[141] = c
    for number, pixels in cursors.items():
        write_png(SYSTEM, f"cursor-{number}.png", 32, 32, pixels)


def main():
    draw_header()
    draw_elevation_buttons()
    draw_switch()
    draw_background()
    draw_gradients()
    draw_brackets()
    draw_ramps()
    draw_filter_buttons()
    draw_brush()
    draw_controls()
    draw_cursors()
    return 0


if __name__ == "__main__":
    sys.exit(main())
