#!/usr/bin/python3
"""crafted_imports.py FOLDER [SCALE]: writes inputs that once made the import plug-ins take far too long,
each with a peer of about its size that imports the ordinary way. SCALE (default 1) shrinks every
count, so that tests can use the same shapes small.

- nurb-curve.b3d: one NURB curve whose order is its number of points (10,000);
- comb.b3d: one polygon of 80,000 vertices shaped as a comb, its teeth reaching into the triangle of
  the leftmost corner;
- references.b3d: a labelled comb of 20,000 vertices and 20 References to it;
- block-comb.dxf: a closed polyline, the comb of 19,990 vertices, in a block inserted 50 times;
- shape-font.dxf with font.shp: a TEXT in a style whose shape font is 1 MB of "*N,9999,name" lines;
- peer-triangles.b3d, peer-polygons.dxf: triangles and small closed polylines of about 1 MB.

The 3DMF files come from tests/plugins/3dmf/mk3dmf.py."""
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'plugins', '3dmf'))
from mk3dmf import F32, O, Points, Reference, Scene, U32  # noqa: E402


def comb(vertices):
    """A comb of about that many vertices in the plane z = 0: a spine along the bottom from the left
    corner to the right one, and teeth hanging from a bar at the top down towards the spine, each
    reaching below the line from the left corner's neighbours."""
    teeth = max(1, (vertices - 4) // 4)
    width, height = 2 * teeth + 1, 10.0
    points = [(0.0, 0.0), (float(width), 0.0), (float(width), height)]
    for k in range(teeth - 1, -1, -1):
        right, left = 2 * k + 2, 2 * k + 1
        points += [(float(right), height), (float(right), 0.5), (float(left), 0.5), (float(left), height)]
    points.append((0.0, height))
    return [(x, y, 0.0) for x, y in points]


def metafile(objects, toc=None):
    return Scene(objects, toc=toc).binary('>')


def dxf_pairs(pairs):
    return ''.join('%s\n%s\n' % pair for pair in pairs)


def closed_polyline(points):
    pairs = [(0, 'POLYLINE'), (8, '0'), (66, 1), (70, 1)]
    for x, y, z in points:
        pairs += [(0, 'VERTEX'), (8, '0'), (10, repr(x)), (20, repr(y)), (30, repr(z))]
    return pairs + [(0, 'SEQEND')]


def dxf(blocks, entities, tables=()):
    pairs = []
    if tables:
        pairs += [(0, 'SECTION'), (2, 'TABLES')] + list(tables) + [(0, 'ENDSEC')]
    if blocks:
        pairs += [(0, 'SECTION'), (2, 'BLOCKS')] + blocks + [(0, 'ENDSEC')]
    pairs += [(0, 'SECTION'), (2, 'ENTITIES')] + entities + [(0, 'ENDSEC'), (0, 'EOF')]
    return dxf_pairs(pairs)


def write(folder, name, data):
    mode = 'wb' if isinstance(data, bytes) else 'w'
    with open(os.path.join(folder, name), mode) as out:
        out.write(data)


def main():
    folder = sys.argv[1]
    scale = float(sys.argv[2]) if len(sys.argv) > 2 else 1.0
    n = lambda count: max(4, int(count * scale))  # noqa: E731
    os.makedirs(folder, exist_ok=True)

    order = n(10000)
    points = [(float(i), float(i % 7), 0.0, 1.0) for i in range(order)]
    write(folder, 'nurb-curve.b3d', metafile([O('NURBCurve', U32(order), U32(order), Points(*points),
                                                F32(*[float(i) for i in range(2 * order)]))]))

    big = comb(n(80000))
    write(folder, 'comb.b3d', metafile([O('Polygon', U32(len(big)), Points(*big))]))

    labelled = comb(n(20000))
    polygon = O('Polygon', U32(len(labelled)), Points(*labelled), label='comb')
    write(folder, 'references.b3d', metafile([polygon] + [Reference(1)] * 20, toc=[(1, 'comb')]))

    block = [(0, 'BLOCK'), (8, '0'), (2, 'COMB'), (70, 0), (10, 0), (20, 0), (30, 0)]
    block += closed_polyline(comb(n(19990))) + [(0, 'ENDBLK')]
    inserts = []
    for i in range(50):
        inserts += [(0, 'INSERT'), (8, '0'), (2, 'COMB'), (10, repr(float(i * 100))), (20, 0), (30, 0)]
    write(folder, 'block-comb.dxf', dxf(block, inserts))

    lines, number, size = [], 1, 0
    while size < n(1000000):
        line = '*%d,9999,shape%d\n' % (number, number)
        lines.append(line)
        size += len(line)
        number += 1
    write(folder, 'font.shp', ''.join(lines))
    style = [(0, 'TABLE'), (2, 'STYLE'), (0, 'STYLE'), (2, 'SHAPES'), (70, 1), (3, 'font'), (0, 'ENDTAB')]
    text = [(0, 'TEXT'), (8, '0'), (7, 'SHAPES'), (10, 0), (20, 0), (30, 0), (40, 1), (39, 1), (1, 'abc')]
    write(folder, 'shape-font.dxf', dxf([], text, style))

    triangles = []
    for i in range(n(20000)):
        x = float(i % 200)
        y = float(i // 200)
        triangles.append(O('Triangle', Points((x, y, 0.0), (x + 1, y, 0.0), (x, y + 1, 0.0))))
    write(folder, 'peer-triangles.b3d', metafile(triangles))

    squares = []
    for i in range(n(4000)):
        x, y = float(i % 100), float(i // 100)
        squares += closed_polyline([(x, y, 0.0), (x + 0.9, y, 0.0), (x + 0.9, y + 0.9, 0.0), (x, y + 0.9, 0.0),
                                    (x + 0.5, y + 0.5, 0.0)])
    write(folder, 'peer-polygons.dxf', dxf([], squares))


if __name__ == '__main__':
    main()
