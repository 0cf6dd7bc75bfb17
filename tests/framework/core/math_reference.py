#!/usr/bin/env python3
"""Prints reference values for the fast math and colour conversion tests.

One case per line: a kind, then the arguments, then the expected results, every number as repr().
Kinds: log2 x | exp2 x | sqrt x √x 1/√x | rgb_hls r g b h l s | hls_rgb h l s r g b |
rgb_hsv r g b h s v | hsv_rgb h s v r g b (HSV hues in degrees).
"""
import colorsys
import math


def line(kind, *values):
    print(kind, *(repr(float(v)) for v in values))


def main():
    # Not too close below 1, where log2 is tiny and any absolute error is a large relative one.
    log2_args = [m * 10.0 ** e for e in range(-300, 301, 25) for m in (1.0, 3.7)]
    log2_args += [0.5, 0.75, 0.999, 1.0, 1.001, 1.5, 2.0, 3.0, 8.0, 1000.5, 1.7976931348623157e308]
    for x in log2_args:
        line("log2", x, math.log2(x))

    exp2_args = [-1020.0, -1000.0, -500.25, -100.1, -10.0, -3.3, -1.0, -0.5, -1e-9, 0.0,
                 1e-9, 0.5, 1.0, 3.0, 10.7, 100.0, 512.3, 1000.0, 1023.9]
    for x in exp2_args:
        line("exp2", x, 2.0 ** x)

    sqrt_args = [1e-149, 1e-100, 1e-10, 0.25, 0.5, 1.0, 2.0, 3.0, 10.0, 12345.678, 1e50, 1e150,
                 1e300, 1.7976931348623157e308]
    for x in sqrt_args:
        line("sqrt", x, math.sqrt(x), 1.0 / math.sqrt(x))

    grid = [i / 5 for i in range(6)]
    for a in grid:
        for b in grid:
            for c in grid:
                line("rgb_hls", a, b, c, *colorsys.rgb_to_hls(a, b, c))
                line("hls_rgb", a, b, c, *colorsys.hls_to_rgb(a, b, c))
                h, s, v = colorsys.rgb_to_hsv(a, b, c)
                line("rgb_hsv", a, b, c, h * 360, s, v)
                line("hsv_rgb", a * 360, b, c, *colorsys.hsv_to_rgb(a, b, c))


if __name__ == "__main__":
    main()
