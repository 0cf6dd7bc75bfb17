#!/usr/bin/env python3
"""Draws the 3D texture editor's and its component sub-editor's pictures into resources/layouts/pictures/.

Labels are rendered in DejaVu Sans by ImageMagick's convert (Debian imagemagick and fonts-dejavu-core)
as grey masks and inked here. A button that stands in each of the three component panels has one
picture per panel tint (entries 0, 1, 2 of its image list, the picture sets the editor switches
between); a switch has an off and an on picture; a menu button shows one cell of its strip, the cells
18 pixels apart in the order of its menu's rows. Run it again after changing a picture's geometry or
a menu's rows; DTEditors.layout names the files it writes.
"""
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import draw_material_composer_pictures as composer  # noqa: E402

CELL = 18
# The panels' tints (A, B, C), then the global combiner's.
TINTS = [(0x3C, 0x64, 0x8C), (0x3C, 0x7A, 0x58), (0x8A, 0x66, 0x34), (0x4A, 0x52, 0x5C)]
LIT = (0x2F, 0x6F, 0xB0)
INK = composer.INK
EDGE = composer.EDGE
FACE = composer.FACE
GROOVE = (0x20, 0x26, 0x2E)


def text_mask(text, w, h, size=10):
    """The text's coverage, 0 to 255 a pixel, centred in w x h."""
    raw = subprocess.run(
        ["convert", "-size", f"{w}x{h}", "xc:black", "-font", "DejaVu-Sans", "-pointsize", str(size), "-fill", "white",
         "-gravity", "center", "-annotate", "+0+0", text, "-depth", "8", "gray:-"],
        check=True, capture_output=True).stdout
    return lambda x, y: raw[y * w + x]


def mix(under, over, coverage):
    return tuple((u * (255 - coverage) + o * coverage) // 255 for u, o in zip(under, over))


def plate(name, w, h, face, text, ink=INK, arrow=False):
    """A rounded button of the face colour with its text, and a menu's arrow at the right when asked."""
    mask = text_mask(text, w - (10 if arrow else 0), h)

    def pixel(x, y):
        if not composer.in_rounded(x, y, w, h, 3):
            return composer.CLEAR
        if not composer.in_rounded(x - 1, y - 1, w - 2, h - 2, 2) or x == 0 or y == 0:
            return composer.opaque(EDGE)
        if arrow and x >= w - 10:
            u, v = x + 0.5 - (w - 6), y + 0.5 - (h / 2 - 2)
            return composer.opaque(INK if 0 <= v <= 4 and abs(u) <= 4 - v else face)
        return composer.opaque(mix(face, ink, mask(x, y)))

    composer.write_png(name, w, h, pixel)


def label(name, w, h, text, ink):
    """Text on a clear ground."""
    mask = text_mask(text, w, h)
    composer.write_png(name, w, h, lambda x, y: ink + (mask(x, y),))


def strip(name, w, texts):
    """A menu button's cells, one a row of the menu, top to bottom."""
    masks = [text_mask(text, w - 10, CELL) for text in texts]

    def pixel(x, y):
        cell, v = divmod(y, CELL)
        if x in (0, w - 1) or v in (0, CELL - 1):
            return composer.opaque(EDGE)
        if x >= w - 10:
            u, t = x + 0.5 - (w - 6), v + 0.5 - (CELL / 2 - 2)
            return composer.opaque(INK if 0 <= t <= 4 and abs(u) <= 4 - t else FACE)
        return composer.opaque(mix(FACE, INK, masks[cell](x, v)))

    composer.write_png(name, w, CELL * len(texts), pixel)


PREVIEW_KINDS = ["Flat", "Cube", "Dome"]
OUTPUTS = ["None", "Value", "Colour", "Val+Col", "Bump", "Val+Bump", "Col+Bump", "All"]
OPERATIONS = ["First only", "Recolour", "Average", "Multiply", "Maximum", "Minimum", "Add", "Subtract",
              "Mix by first", "Mix by second", "Mix by slope", "Mix by altitude", "Mix by facing",
              "Mix on steeps", "Mix in patches", "First over", "Second over", "Overlay", "Difference"]
FILTERS = ["None", "Steps", "Saw", "Sine", "Absolute", "Power", "Bell", "Linear", "Altitude band", "By slope",
           "By altitude", "By facing", "Smooth", "Snow line"]
COLOUR_MAPS = ["None", "Red", "Green", "Blue", "Gradient", "Grey", "3 colours", "Jittered", "Water", "Waves",
               "Noisy", "Sine", "Stripes", "Terrain", "Snow", "By slope", "By facing"]


# The sub-editor's menus: noise types 0 to 26 and modes (blend kinds) 0 to 12, in the order of their
# rows.
NOISE_TYPES = ["None", "Sine product", "Checker", "Triangle checker", "Cells", "Linear noise", "Value noise",
               "Disturbed waves", "Whirls", "Fractal noise", "Warped noise", "Double spots", "Sine cells",
               "Hexagon cells", "Axis maximum", "Banded blotches", "Hexagon maximum", "Ripples", "Marble",
               "Triangle waves", "Sharp blotches", "Strata", "Varying scale", "Bubbles", "Split cells", "Radial",
               "Value noise 2"]
MODES = ["Fractal", "Fractal 1.8", "Fractal 1.5", "Weighted maximum", "Multifractal", "Drifting sum",
         "Drifting minimum", "Drifting product", "Edges", "Folded", "Folded twice", "Swirl", "Drifting maximum"]


def sub_editor():
    strip("dts-noise-types.png", 150, NOISE_TYPES)
    strip("dts-modes.png", 150, MODES)
    for name in ("1D", "2D", "3D"):
        plate(f"dts-{name.lower()}-0.png", 70, CELL, FACE, name, ink=composer.EDGE)
        plate(f"dts-{name.lower()}-1.png", 70, CELL, LIT, name)
    plate("dts-rotate.png", 68, CELL, FACE, "Rotate")
    plate("dts-scale.png", 68, CELL, FACE, "Scale")


def strips():
    strip("dt-preview-kinds.png", 100, PREVIEW_KINDS)
    strip("dt-outputs.png", 61, OUTPUTS)
    strip("dt-filters.png", 94, FILTERS)
    strip("dt-colour-maps.png", 61, COLOUR_MAPS)
    # The operation button of panels A and B; in panel C the same element is the one-component switch.
    strip("dt-operations.png", 126, OPERATIONS)


def panel_buttons():
    for tint, face in enumerate(TINTS):
        plate(f"dt-noise-{tint}.png", 126, CELL, face, "Noise…")
        plate(f"dt-phase-type-{tint}.png", 126, CELL, face, "Phase…")
        for name, text in (("copy", "Copy"), ("paste", "Paste"), ("shuffle", "Shuffle"), ("reset", "Reset")):
            plate(f"dt-{name}-{tint}.png", 53, CELL, face, text)
        plate(f"dt-reset-filter-{tint}.png", 84, 16, face, "Reset filter")
        if tint < 3:
            label(f"dt-filter-label-{tint}.png", 44, 16, "Filter", mix(face, INK, 140))


def switches():
    for name, w, text in (("rgb", 40, "RGB"), ("hls", 40, "HLS"), ("count-1", 126, "1 component"),
                          ("count-2", 63, "2 comp."), ("count-3", 63, "3 comp.")):
        plate(f"dt-{name}-0.png", w, CELL, FACE, text, ink=composer.EDGE)
        plate(f"dt-{name}-1.png", w, CELL, LIT, text)


def sliders():
    w, h = 105, 16
    composer.write_png("dt-slider-bar.png", w, h, lambda x, y: composer.opaque(
        EDGE if y in (6, 9) and 0 < x < w - 1 else GROOVE if 6 < y < 9 else FACE) if 5 <= y <= 10 else composer.CLEAR)
    composer.write_png("dt-slider-thumb.png", 5, h,
                       lambda x, y: composer.opaque(EDGE if x in (0, 4) or y in (0, h - 1) else INK))
    for name, sign in (("dec", -1), ("inc", 1)):
        def pixel(x, y, sign=sign):
            u, v = (x + 0.5 - 8) * sign, y + 0.5 - 8
            if u <= 3.5 and u >= -2.5 and abs(v) <= (3.5 - u) * 0.8:
                return composer.opaque(INK)
            return composer.opaque(FACE) if composer.in_rounded(x, y, 16, 16, 3) else composer.CLEAR

        composer.write_png(f"dt-step-{name}.png", 16, 16, pixel)


def labels():
    for name, text in (("phase", "Phase"), ("freq", "Freq"), ("filter", "Filter")):
        label(f"dt-{name}-label.png", 44, 16, text, (0xB8, 0xC0, 0xC8))


def dialog_buttons():
    for name, text in (("ok", "OK"), ("cancel", "Cancel")):
        plate(f"dt-{name}-0.png", 72, 22, FACE, text)
        plate(f"dt-{name}-1.png", 72, 22, composer.PRESSED, text)
    plate("dt-save-as.png", 72, 22, FACE, "Save As…")


def main():
    strips()
    panel_buttons()
    switches()
    sliders()
    labels()
    dialog_buttons()
    sub_editor()
    return 0


if __name__ == "__main__":
    sys.exit(main())
