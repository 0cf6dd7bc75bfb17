#!/usr/bin/env python3
"""Draws the pictures of the editing dialogs into resources/layouts/pictures/ and the eyedropper
cursor into resources/system/.

The check boxes of the attributes dialog (off, on, mixed), the light editor's slider frames, the
colour picker's bar labels (one picture per colour model) and its hue and lightness chart, and
cursor 119, the eyedropper with its tip at the bottom left. Labels are set in DejaVu Sans by
ImageMagick (convert), whose coverage this script reads back. Run it again after changing a picture;
the layouts and resources/system/manifest name the files it writes.
"""
import colorsys
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import png_picture  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
PICTURES = os.path.join(HERE, "..", "resources", "layouts", "pictures")
SYSTEM = os.path.join(HERE, "..", "resources", "system")

BACK = (0x38, 0x3E, 0x46)
WELL = (0x20, 0x26, 0x2E)
EDGE = (0x5E, 0x68, 0x74)
LIT = (0x4A, 0x8C, 0xCC)
INK = (0xE6, 0xEA, 0xEE)
DIM_INK = (0xB8, 0xC0, 0xC8)

CHECK = 14
SLIDER = (160, 14)
SLIDER_FRAMES = 11
BAR_LABEL = (44, 76)  # three labels beside the three bars, 28 pixels apart
CHART = (256, 96)


def write(folder, name, pixels):
    png_picture.write_png(os.path.join(folder, name), len(pixels[0]), len(pixels), pixels)


def canvas(width, height, colour, alpha=255):
    return [[colour + (alpha,) for _ in range(width)] for _ in range(height)]


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def text_coverage(text, width, height, points):
    out = subprocess.run(
        ["convert", "-size", f"{width}x{height}", "xc:black", "-font", "DejaVu-Sans", "-pointsize", str(points),
         "-fill", "white", "-gravity", "west", "-annotate", "+0+0", text, "-depth", "8", "gray:-"],
        check=True, capture_output=True).stdout
    return [list(out[y * width:(y + 1) * width]) for y in range(height)]


def frame(pixels, box, face, edge):
    left, top, right, bottom = box
    for y in range(top, bottom):
        for x in range(left, right):
            border = x in (left, right - 1) or y in (top, bottom - 1)
            pixels[y][x] = (edge if border else face) + (255,)


def draw_checks():
    for state in (0, 1, 2):
        pixels = canvas(CHECK, CHECK, BACK)
        frame(pixels, (0, 0, CHECK, CHECK), WELL, EDGE)
        if state == 1:
            # A tick from the lower left up to the upper right.
            points = [(3, 7), (4, 8), (5, 9), (6, 10), (7, 9), (8, 8), (9, 6), (10, 4), (11, 3)]
            for x, y in points:
                for dy in (0, 1):
                    pixels[y + dy - 1][x] = LIT + (255,)
        elif state == 2:
            for y in (6, 7):
                for x in range(3, CHECK - 3):
                    pixels[y][x] = DIM_INK + (255,)
        write(PICTURES, f"dialog-check-{state}.png", pixels)


def draw_slider_frames():
    width, height = SLIDER
    for i in range(SLIDER_FRAMES):
        pixels = canvas(width, height, BACK)
        frame(pixels, (0, 0, width, height), WELL, EDGE)
        filled = round((width - 4) * i / (SLIDER_FRAMES - 1))
        for y in range(2, height - 2):
            for x in range(2, 2 + filled):
                pixels[y][x] = mix(LIT, INK, 0.25 * (y - 2) / (height - 5)) + (255,)
        write(PICTURES, f"light-slider-{i}.png", pixels)


def draw_bar_labels():
    width, height = BAR_LABEL
    labels = {"rgb": ("Red", "Green", "Blue"), "hsv": ("Hue", "Value", "Sat."), "hls": ("Hue", "Light", "Sat."),
              "cmy": ("Cyan", "Magenta", "Yellow")}
    for model, names in labels.items():
        pixels = canvas(width, height, BACK)
        for row, name in enumerate(names):
            cover = text_coverage(name, width, 20, 10)
            for y, line in enumerate(cover):
                for x, c in enumerate(line):
                    if c:
                        p = pixels[row * 28 + y][x]
                        pixels[row * 28 + y][x] = mix(p[:3], DIM_INK, c / 255.0) + (255,)
        write(PICTURES, f"picker-labels-{model}.png", pixels)


def draw_chart():
    """Hue across, lightness from white at the top to black at the bottom."""
    width, height = CHART
    pixels = []
    for y in range(height):
        lightness = 1.0 - y / (height - 1)
        row = []
        for x in range(width):
            r, g, b = colorsys.hls_to_rgb(x / width, lightness, 1.0)
            row.append((int(r * 255), int(g * 255), int(b * 255), 255))
        pixels.append(row)
    write(PICTURES, "color-picker-chart.png", pixels)


def draw_eyedropper():
    """32 x 32, the tip at (1, 30); the hot spot goes into resources/system/manifest."""
    size = 32
    pixels = canvas(size, size, (0, 0, 0), 0)
    outline = (0x10, 0x10, 0x10, 255)
    glass = (0xF0, 0xF0, 0xF0, 255)
    bulb = (0x50, 0x58, 0x60, 255)
    # The tube runs diagonally from the tip up to the bulb.
    for t in range(0, 22):
        cx, cy = 1 + t, 30 - t
        for d in (-2, -1, 0, 1, 2):
            x, y = cx + d, cy + d
            if 0 <= x < size and 0 <= y < size:
                pixels[y][x] = outline if abs(d) == 2 or t == 0 else glass
    for y in range(2, 12):
        for x in range(20, 30):
            if (x - 25) ** 2 + (y - 7) ** 2 <= 20:
                pixels[y][x] = bulb
    pixels[30][1] = outline
    write(SYSTEM, "cursor-119.png", pixels)


def main():
    draw_checks()
    draw_slider_frames()
    draw_bar_labels()
    draw_chart()
    draw_eyedropper()
    return 0


if __name__ == "__main__":
    sys.exit(main())
