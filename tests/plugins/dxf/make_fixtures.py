#!/usr/bin/python3
"""make_fixtures.py DIR: the DXF drawings of the Osprel tests, written with ezdxf (Debian python3-ezdxf)
as R12 files, the form the plug-in reads. Beside a drawing NAME.dxf whose geometry the tests check
against ezdxf's own, NAME.txt holds the expected values, one name and its numbers a line."""
import math
import os
import sys

import ezdxf
from ezdxf import math as dxfmath

# The plug-in turns degrees into radians with this factor; the expectations that follow its rules do
# the same, those that come from ezdxf use exact degrees.
RADIANS_PER_DEGREE = 0.01745


def new():
    doc = ezdxf.new('R12')
    return doc, doc.modelspace()


def save(folder, name, doc, expected=None):
    doc.saveas(os.path.join(folder, name + '.dxf'))
    if expected:
        with open(os.path.join(folder, name + '.txt'), 'w') as out:
            for key, values in expected:
                out.write(key + ' ' + ' '.join(repr(float(v)) for v in values) + '\n')


def circle(folder, name, thickness):
    doc, msp = new()
    msp.add_circle((0, 0), 1, dxfattribs={'color': 1, 'layer': 'A', 'thickness': thickness})
    save(folder, name, doc)


def line(folder, name, thickness):
    doc, msp = new()
    msp.add_line((0, 0, 0), (1, 0, 0), dxfattribs={'thickness': thickness})
    save(folder, name, doc)


def colours(folder):
    """Meshes in this order: colours 1, 2, 3, 7, 8 on layer C; by layer on A (colour 3); by block on B."""
    doc, msp = new()
    doc.layers.new('A', dxfattribs={'color': 3})
    doc.layers.new('B', dxfattribs={'color': 5})
    doc.layers.new('C')
    for colour in (1, 2, 3, 7, 8):
        msp.add_circle((0, 0), 1, dxfattribs={'color': colour, 'layer': 'C'})
    msp.add_circle((0, 0), 1, dxfattribs={'color': 256, 'layer': 'A'})
    msp.add_circle((0, 0), 1, dxfattribs={'color': 0, 'layer': 'B'})
    save(folder, 'colours', doc)


def sharing(folder):
    """Two circles of layer S and colour 1, then one of colour 2: two meshes."""
    doc, msp = new()
    for colour in (1, 1, 2):
        msp.add_circle((0, 0), 1, dxfattribs={'color': colour, 'layer': 'S'})
    save(folder, 'sharing', doc)


def solids(folder):
    """A SOLID given three corners, one whose fourth corner repeats the third, one of four corners."""
    doc, msp = new()
    msp.add_solid([(0, 0), (1, 0), (0, 1)], dxfattribs={'layer': 'S3'})
    msp.add_solid([(0, 0), (1, 0), (0, 1), (0, 1)], dxfattribs={'layer': 'S4'})
    msp.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)], dxfattribs={'layer': 'Q'})
    save(folder, 'solids', doc)


def inherited_widths(folder):
    """An open polyline whose vertices give no widths: they take the polyline's 1 and 1."""
    doc, msp = new()
    msp.add_polyline2d([(0, 0), (10, 0)], format='xy',
                       dxfattribs={'default_start_width': 1, 'default_end_width': 1})
    save(folder, 'inherited_widths', doc)


def insert_grid(folder):
    doc, msp = new()
    block = doc.blocks.new('B')
    block.add_line((0, 0, 0), (1, 0, 0), dxfattribs={'thickness': 1})
    msp.add_blockref('B', (10, 20, 0), dxfattribs={
        'column_count': 2, 'row_count': 3, 'column_spacing': 5, 'row_spacing': 7})
    save(folder, 'insert_grid', doc)


def insert_rotated(folder):
    doc, msp = new()
    block = doc.blocks.new('R')
    block.add_3dface([(0, 0, 0), (1, 0, 0), (0, 1, 0)])
    msp.add_blockref('R', (0, 0, 0), dxfattribs={'rotation': 90})
    save(folder, 'insert_rotated', doc)


NESTED = {'inner_at': (2, 1, 0), 'inner_scale': 2, 'inner_rotation': 30,
          'outer_at': (5, 5, 0), 'outer_scale': 1.5, 'outer_rotation': 45}


def nested(folder):
    """INNER holds a face, OUTER inserts INNER at scale 2 rotated 30 degrees, the drawing inserts OUTER."""
    doc, msp = new()
    inner = doc.blocks.new('INNER')
    inner.add_3dface([(0, 0, 0), (1, 0, 0), (0, 1, 0)])
    outer = doc.blocks.new('OUTER')
    scale = NESTED['inner_scale']
    outer.add_blockref('INNER', NESTED['inner_at'], dxfattribs={
        'xscale': scale, 'yscale': scale, 'zscale': scale, 'rotation': NESTED['inner_rotation']})
    scale = NESTED['outer_scale']
    msp.add_blockref('OUTER', NESTED['outer_at'], dxfattribs={
        'xscale': scale, 'yscale': scale, 'zscale': scale, 'rotation': NESTED['outer_rotation']})

    def faces(entities):
        for entity in entities:
            if entity.dxftype() == 'INSERT':
                yield from faces(entity.virtual_entities())
            elif entity.dxftype() == '3DFACE':
                yield entity

    face = next(faces(msp))
    corners = [face.dxf.vtx0, face.dxf.vtx1, face.dxf.vtx2]
    save(folder, 'nested', doc, [('face', [c for corner in corners for c in corner])])


EXTRUSIONS = [('E1', (0, 0, -1)), ('E2', (1, 0, 0)), ('E3', (0.6, 0, 0.8)), ('E4', (0.01, 0.005, 1))]
CENTRE, RADIUS = (1, 2, 3), 2


def extrusions(folder):
    """A circle per extrusion direction, each on its own layer; the rim points in world coordinates."""
    doc, msp = new()
    expected = []
    for layer, extrusion in EXTRUSIONS:
        msp.add_circle(CENTRE, RADIUS, dxfattribs={'layer': layer, 'extrusion': extrusion})
        ocs = dxfmath.OCS(extrusion)
        rim = []
        for k in range(20):
            angle = k * 18 * RADIANS_PER_DEGREE
            point = (CENTRE[0] + RADIUS * math.cos(angle), CENTRE[1] + RADIUS * math.sin(angle), CENTRE[2])
            rim.extend(ocs.to_wcs(point))
        expected.append(('rim_' + layer, rim))
    save(folder, 'extrusions', doc, expected)


def polymesh(folder):
    doc, msp = new()
    mesh = msp.add_polymesh((3, 4))
    for m in range(3):
        for n in range(4):
            mesh.set_mesh_vertex((m, n), (n, m, 0))
    save(folder, 'polymesh', doc)


def polyface(folder):
    """Faces with the corners 1, 2, 3, 0 and -1, 2, 3."""
    doc, msp = new()
    face = msp.add_polyface()
    face.append_face([(0, 0, 0), (1, 0, 0), (0, 1, 0)])
    face.append_face([(5, 0, 0), (6, 0, 0), (5, 1, 0)])
    second = [vertex for vertex in face.vertices if vertex.is_face_record][1]
    second.dxf.vtx0, second.dxf.vtx1, second.dxf.vtx2 = -1, 2, 3
    save(folder, 'polyface', doc)


def hidden_layers(folder):
    """Circles on a frozen layer and on a layer switched off, and one on a visible layer."""
    doc, msp = new()
    doc.layers.new('FROZEN').freeze()
    doc.layers.new('OFF').off()
    doc.layers.new('SHOWN')
    for layer in ('FROZEN', 'OFF', 'SHOWN'):
        msp.add_circle((0, 0), 1, dxfattribs={'layer': layer})
    save(folder, 'hidden_layers', doc)


def l_shape(folder):
    doc, msp = new()
    points = [(0, 0), (2, 0), (2, 1), (1, 1), (1, 2), (0, 2)]
    msp.add_polyline2d(points, close=True)
    save(folder, 'l_shape', doc, [('area', [dxfmath.area(points)])])


def bulge(folder):
    doc, msp = new()
    msp.add_polyline2d([(0, 0, 0, 0, 1), (2, 0, 0, 0, 0)], format='xyseb', close=True)
    centre, _, _, radius = dxfmath.bulge_to_arc((0, 0), (2, 0), 1)
    save(folder, 'bulge', doc, [('arc', [centre.x, centre.y, radius])])


def wide(folder):
    doc, msp = new()
    msp.add_polyline2d([(0, 0, 2, 2, 0), (10, 0, 2, 2, 0), (10, 10, 2, 2, 0)], format='xyseb')
    save(folder, 'wide', doc)


def lines25(folder):
    doc, msp = new()
    for i in range(25):
        msp.add_line((i, 0, 0), (i, 1, 0), dxfattribs={'thickness': 1})
    save(folder, 'lines25', doc)


def mixed(folder):
    """A bit of everything that allocates: blocks, names, polylines, the triangulator, two meshes."""
    doc, msp = new()
    doc.layers.new('M', dxfattribs={'color': 2})
    block = doc.blocks.new('Q')
    block.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)], dxfattribs={'thickness': 1})
    msp.add_blockref('Q', (3, 3, 0), dxfattribs={'column_count': 2, 'column_spacing': 2, 'layer': 'M'})
    msp.add_polyline2d([(0, 0), (2, 0), (2, 1), (1, 1), (1, 2), (0, 2)], close=True, dxfattribs={'layer': 'M'})
    msp.add_circle((0, 0), 1, dxfattribs={'color': 1})
    face = msp.add_polyface()
    face.append_face([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)])
    save(folder, 'mixed', doc)


def text_drawing():
    """A drawing with the text styles of the shape-font tests: T1 with no fixed height and T2 with height
    20, both of the font "testfont", and the shape-file style SH of the font "shapes"."""
    doc, msp = new()
    doc.styles.new('T1', dxfattribs={'font': 'testfont', 'height': 0})
    doc.styles.new('T2', dxfattribs={'font': 'testfont', 'height': 20})
    doc.styles.new('SH', dxfattribs={'font': 'shapes', 'flags': 1})
    return doc, msp


def zero_text_height(path):
    """ezdxf writes no text of height 0, so the height line is changed afterwards."""
    with open(path) as drawing:
        text = drawing.read()
    at = text.index('\nTEXT\n')
    height = text.index(' 40\n', at)
    end = text.index('\n', height + 4)
    with open(path, 'w') as drawing:
        drawing.write(text[:height] + ' 40\n0.0' + text[end:])


# name: text, its attributes beyond style T1, height 10, thickness 1 and insertion (5, 5, 0).
TEXTS = {
    'text_a': ('A', {}),
    'text_aa': ('AA', {}),
    'text_hex': ('%%065', {}),
    'text_decimal': ('%%65', {}),
    'text_caret': ('^J', {}),
    'text_fixed_height': ('A', {'style': 'T2', 'height': 0}),
    'text_zero_height': ('A', {'height': 0}),
    'text_mirror_x': ('A', {'text_generation_flag': 2}),
    'text_mirror_y': ('A', {'text_generation_flag': 4}),
    'text_rotated': ('A', {'rotation': 90}),
    'text_oblique': ('A', {'width': 2, 'oblique': 30}),
    'text_thin': ('AA', {'thickness': 0}),
    'text_empty': ('', {}),
    'text_unknown_style': ('A', {'style': 'NOPE'}),
}


def texts(folder):
    for name, (content, attributes) in TEXTS.items():
        doc, msp = text_drawing()
        dxfattribs = {'style': 'T1', 'height': 10, 'thickness': 1, 'insert': (5, 5, 0)}
        dxfattribs.update(attributes)
        msp.add_text(content, dxfattribs=dxfattribs)
        save(folder, name, doc)
        if dxfattribs['height'] == 0:
            zero_text_height(os.path.join(folder, name + '.dxf'))


def shapes(folder):
    """SHAPE entities of size 3 and thickness 1 at (1, 2, 0): "BOX" of the shape-file font, "NONE" of no
    font, "ONLYTEXT" only of the text style's font."""
    for name in ('BOX', 'NONE', 'ONLYTEXT'):
        doc, msp = text_drawing()
        msp.add_shape(name, (1, 2, 0), 3, dxfattribs={'thickness': 1})
        save(folder, 'shape_' + name.lower(), doc)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    circle(folder, 'circle', 0)
    circle(folder, 'circle_thick', 2)
    line(folder, 'line', 0)
    line(folder, 'line_thick', 2)
    for make in (colours, sharing, solids, inherited_widths, insert_grid, insert_rotated, nested, extrusions,
                 polymesh, polyface, hidden_layers, l_shape, bulge, wide, lines25, mixed, texts, shapes):
        make(folder)


if __name__ == '__main__':
    main()
