#!/usr/bin/python3
"""circles.py OUT.dxf COUNT: COUNT circles with thickness (upright cylinders once imported) on a square
grid, of radius 0.4 a unit apart and 0.25 to 1.75 high, their colours cycling through 1 to 7, so that
the import makes seven meshes of every drawing of seven circles or more. Written with ezdxf (Debian
python3-ezdxf) as an R12 drawing, the form the DXF plug-in reads."""
import math
import sys

import ezdxf


def main(path, count):
    doc = ezdxf.new('R12')
    msp = doc.modelspace()
    side = max(1, math.ceil(math.sqrt(count)))
    for i in range(count):
        row, column = divmod(i, side)
        msp.add_circle((column, row), 0.4, dxfattribs={
            'layer': 'C', 'color': 1 + i % 7, 'thickness': 0.25 + (i * 37 % 7) * 0.25})
    doc.saveas(path)


if __name__ == '__main__':
    main(sys.argv[1], int(sys.argv[2]))
