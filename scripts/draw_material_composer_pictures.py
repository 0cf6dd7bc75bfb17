#!/usr/bin/env python3
"""Draws the material composer's pictures into resources/layouts/pictures/.

The slider pictures are frames whose window is transparent: the composer draws a slider's bar under
its picture, filled through the alpha picture of the same size ("frequency slider alpha", "channel
slider alpha"). A colour marker's swatch is its opaque pixels, which the composer paints with the
marker's colour; its transparent edge shows the grid cell's fill. Run it again after changing a
picture's geometry; materialcomposer.layout names the files it writes.
"""
import math
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import png_picture  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "layouts", "pictures")

BACK = (0x38, 0x3E, 0x46)
FACE = (0x4A, 0x52, 0x5C)
EDGE = (0x8C, 0x96, 0xA0)
INK = (0xE6, 0xEA, 0xEE)
PRESSED = (0x2F, 0x6F, 0xB0)
CLEAR = (0, 0, 0, 0)

# A 3 x 5 font of the digits, rows from the top, bit 2 the left column.
DIGITS = {
    "0": [7, 5, 5, 5, 7], "1": [2, 6, 2, 2, 7], "2": [7, 1, 7, 4, 7], "3": [7, 1, 7, 1, 7],
    "4": [5, 5, 7, 1, 1], "5": [7, 4, 7, 1, 7], "6": [7, 4, 7, 5, 7], "7": [7, 1, 2, 2, 2],
    "8": [7, 5, 7, 5, 7], "9": [7, 5, 7, 1, 7],
}


def write_png(name, width, height, pixel):
    """pixel(x, y) gives (r, g, b, a)."""
    rows = [[pixel(x, y) for x in range(width)] for y in range(height)]
    png_picture.write_png(os.path.join(OUT, name), width, height, rows)


def opaque(rgb):
    return rgb + (255,)


def in_rounded(x, y, w, h, r):
    """Inside the rounded rectangle of size w x h with corner radius r."""
    cx = min(max(x + 0.5, r), w - r)
    cy = min(max(y + 0.5, r), h - r)
    return (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r


def slider(name, w, h, window):
    """A slider's alpha picture (its window opaque) and its picture (a frame whose window is clear)."""
    write_png(f"composer-{name}-alpha.png", w, h, lambda x, y: (255, 255, 255, 255) if window(x, y) else CLEAR)

    def frame(x, y):
        if window(x, y):
            return CLEAR
        if x in (0, w - 1) or y in (0, h - 1):
            return opaque(EDGE)
        return opaque(FACE)

    write_png(f"composer-{name}.png", w, h, frame)


def frequency_slider():
    w, h = 14, 64
    slider("frequency-slider", w, h, lambda x, y: 2 <= x < w - 2 and 2 <= y < h - 2)


def channel_slider():
    # A wedge, tall at the left where the slider stands for 255.
    w, h = 100, 14
    slider("channel-slider", w, h, lambda x, y: 2 <= x < w - 2 and 2 + (h - 4) * x / w <= y < h - 2)


def colour_marker():
    w, h = 18, 14
    write_png("composer-color-marker.png", w, h,
              lambda x, y: (255, 255, 255, 255) if 3 <= x < w - 3 and 3 <= y < h - 3 else CLEAR)


def frequency_ball(states=9):
    size = 26
    r = size / 2 - 1
    for state in range(states):
        # The ball turns: its stripe moves across with the state, the middle state centred.
        stripe = (state - states // 2) / (states // 2) * 0.8

        def pixel(x, y):
            dx, dy = (x + 0.5 - size / 2) / r, (y + 0.5 - size / 2) / r
            d = dx * dx + dy * dy
            if d > 1:
                return CLEAR
            dz = math.sqrt(1 - d)
            light = max(0.0, -0.4 * dx - 0.5 * dy + 0.77 * dz)
            shade = 0.35 + 0.65 * light
            base = (0x5A, 0x8F, 0xD0)
            if abs(dx - stripe * dz) < 0.12:
                base = INK
            return tuple(min(255, int(c * shade)) for c in base) + (255,)

        write_png(f"composer-ball-{state}.png", size, size, pixel)


def digits(text, x0, y0, scale):
    """The pixels of text drawn in the digit font from (x0, y0)."""
    lit = set()
    for i, ch in enumerate(text):
        rows = DIGITS[ch]
        for ry, bits in enumerate(rows):
            for rx in range(3):
                if bits & (4 >> rx):
                    for sx in range(scale):
                        for sy in range(scale):
                            lit.add((x0 + (i * 4 + rx) * scale + sx, y0 + ry * scale + sy))
    return lit


def mapping_modes():
    w, h = 22, 16
    for mode in range(11):
        text = str(mode)
        width = (len(text) * 4 - 1) * 2
        lit = digits(text, (w - width) // 2, (h - 10) // 2, 2)

        def pixel(x, y, lit=lit):
            if (x, y) in lit:
                return opaque(INK)
            if x in (0, w - 1) or y in (0, h - 1):
                return opaque(EDGE)
            return opaque(FACE)

        write_png(f"composer-mapping-{mode}.png", w, h, pixel)


def button():
    w, h = 72, 22
    for state, fill in ((0, FACE), (1, PRESSED)):
        def pixel(x, y, fill=fill):
            if not in_rounded(x, y, w, h, 5):
                return CLEAR
            if not in_rounded(x - 1, y - 1, w - 2, h - 2, 4) or x == 0 or y == 0:
                return opaque(EDGE)
            return opaque(fill)

        write_png(f"composer-button-{state}.png", w, h, pixel)


def menu_arrow():
    w, h = 16, 16

    def pixel(x, y):
        u, v = x + 0.5 - w / 2, y + 0.5 - 5
        if 0 <= v <= 6 and abs(u) <= 6 - v:
            return opaque(INK)
        return CLEAR

    write_png("composer-menu-arrow.png", w, h, pixel)


def main():
    frequency_slider()
    channel_slider()
    colour_marker()
    frequency_ball()
    mapping_modes()
    button()
    menu_arrow()
    return 0


if __name__ == "__main__":
    sys.exit(main())
