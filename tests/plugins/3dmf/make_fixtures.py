#!/usr/bin/python3
"""make_fixtures.py DIR [--seeds]: the 3D metafiles of the Vendrix tests, each scene in its three forms
(NAME.t3d, NAME.b3d, NAME.le.b3d), written by mk3dmf.py. A malformed scene is a good one with the one
field changed that shows its fault. --seeds leaves out the scenes that only end at a bound after long
work, for the fuzzing seeds."""
import math
import os
import sys

from mk3dmf import (O, Bool, BeginGroup, ClassField, Container, EndGroup, Enum, F32, Flags, I32, Nested, Obj,
                    Points, Raw, Reference, Scene, Str, U32, Verbatim, write)

ORIGIN = (0, 0, 0)
X, Y, Z = (1, 0, 0), (0, 1, 0), (0, 0, 1)


def box(label=None, **options):
    return O('Box', Points(X), Points(Y), Points(Z), Points(ORIGIN), label=label, **options)


def point(x, y, z):
    return O('Point', Points((x, y, z)))


def translate(x, y, z):
    return O('Translate', Points((x, y, z)))


def polygon(cls, points, label=None):
    return O(cls, U32(len(points)), Points(*points), label=label)


def mesh(vertices, faces):
    fields = [U32(len(vertices)), Points(*vertices), U32(len(faces)), U32(0)]
    for face in faces:
        fields += [U32(len(face)), U32(*face)]
    return O('Mesh', *fields)


def nurb_curve(order, points, knots):
    return O('NURBCurve', U32(order), U32(len(points)), Points(*points), F32(*knots))


def nurb_patch(u_order, v_order, rows, columns, points, u_knots, v_knots):
    return O('NURBPatch', U32(u_order), U32(v_order), U32(rows), U32(columns), Points(*points), F32(*u_knots),
             F32(*v_knots))


def spot_light(fall_off):
    return O('SpotLight', Points(ORIGIN), Points(Z), Bool(True), F32(1, 0, 0, 0.5, 0.75), fall_off)


def unicode_text(count, data, **options):
    return O('Unicode', U32(count), data, **options)


SQUARE = [(0, 0, 0), (4, 0, 0), (4, 4, 0), (0, 4, 0)]
NOTCH = [(0, 0, 0), (4, 0, 0), (4, 4, 0), (2, 1, 0), (0, 4, 0), (-1, 2, 0)]
HOLE = [(1, 1, 0), (3, 1, 0), (3, 3, 0), (1, 3, 0)]
PENTAGON = [(math.cos(a), math.sin(a), 0) for a in (2 * math.pi * k / 5 for k in range(5))]
BILINEAR = [(0, 0, 0, 1), (2, 0, 1, 1), (0, 2, 0, 1), (2, 2, 1, 1)]
W = math.sqrt(2) / 2
QUARTER_CIRCLE = [(1, 0, 0, 1), (W, W, 0, W), (0, 1, 0, 1)]


def three_forms_scene():
    """A labelled box and a reference to it, a container of a mesh and an attribute set, a group with
    a translation, a patch, a string, a pixmap and a user class."""
    return Scene([
        box('obj1'),
        Reference(1),
        Container(mesh(SQUARE, [[0, 1, 2, 3]]), Container(O('AttributeSet'), O('DiffuseColor', F32(1, 0.5, 0.25)))),
        BeginGroup(),
        translate(1, 2, 3),
        point(0, 0, 0),
        EndGroup(),
        nurb_patch(2, 2, 2, 2, BILINEAR, [0, 0, 1, 1], [0, 0, 1, 1]),
        O('CString', Str('a "quoted" line\n')),
        O('PixmapTexture', U32(2), U32(2), U32(6), U32(24), Enum(2, 'RGB24'), Enum(0, 'BigEndian'),
          Enum(0, 'BigEndian'), Raw(range(12))),
        O('Type', I32(-5), Str('Marble')),
    ], toc=[(1, 'obj1')])


def fan_out():
    """Three groups of 128 references each to the next; importing the first returns 2 million objects."""
    level3 = [BeginGroup('l3')] + [O('AmbientCoefficient', F32(0.5))] * 128 + [EndGroup()]
    level2 = [BeginGroup('l2')] + [Reference(3)] * 128 + [EndGroup()]
    level1 = [BeginGroup('l1')] + [Reference(2)] * 128 + [EndGroup()]
    return Scene(level3 + level2 + level1, toc=[(1, 'l1'), (2, 'l2'), (3, 'l3')])


def one(obj, **options):
    return Scene([obj], **options)


FIXTURES = {
    # Primitive data.
    'uns32-bytes-00000001': one(O('Reference', Verbatim('1', b'\0\0\0\1', b'\0\0\0\1'))),
    'raw-5-padded': one(unicode_text(5, Raw(b'abcde'))),
    'raw-5-unpadded': one(unicode_text(5, Raw(b'abcde'), size=9)),
    'raw-8': one(unicode_text(8, Raw(b'abcdefgh'))),
    'raw-8-and-4-more': one(O('Unicode', U32(8), Raw(b'abcdefgh'), Verbatim(None, bytes(4)))),
    'raw-hex-mixed-case': one(unicode_text(2, Verbatim('0x0A0b', b'\x0a\x0b\0\0', b'\x0a\x0b\0\0'))),
    'raw-hex-odd': one(unicode_text(2, Verbatim('0x0A0', b'\x0a\x0b\0\0', b'\x0a\x0b\0\0'))),
    'fall-off-by-name': one(spot_light(Enum(1, 'linear'))),
    'fall-off-by-number': one(spot_light(Enum(2, '2'))),
    'fall-off-unknown': one(spot_light(Enum(7, '7'))),
    'flags-by-names': one(O('DisplayGroupState', Flags(17, 'Inline|DoNotPick'))),
    'float-too-small': one(O('AmbientCoefficient', Verbatim('-1e-50', b'\x80\0\0\0'))),
    'float-too-large': one(O('AmbientCoefficient', Verbatim('1e50', b'\x7f\x80\0\0'))),
    'string-escapes': one(O('CString', Str('a\tb'))),
    'string-unclosed': one(O('CString', Verbatim('"ab', b'ab\0\0', b'ab\0\0'))),
    'string-unquoted': one(O('CString', Verbatim('ab', b'ab\0\0', b'ab\0\0'))),
    'comments-everywhere': Scene([box('obj1'), Reference(1)], toc=[(1, 'obj1')], comments=True),
    'no-comments': Scene([box('obj1'), Reference(1)], toc=[(1, 'obj1')]),
    # Codes.
    'comments-only': Scene([], header=False, preamble='# a comment\n\t# and another one\n'),
    'two-labels': one(box('a', name='b: Box')),
    'no-header': one(box(), header=False),
    'version-0': one(box(), version=(0, 9)),
    'version-1-6': one(box(), version=(1, 6)),
    'polygon-2-vertices': one(polygon('Polygon', [ORIGIN, X])),
    'trigrid-1-row': one(O('TriGrid', U32(1), U32(3), Points(ORIGIN, X, Y))),
    'nurb-curve-order-1': one(nurb_curve(1, [(0, 0, 0, 1), (1, 0, 0, 1)], [0, 1, 2])),
    'nurb-curve-1-point': one(nurb_curve(2, [(0, 0, 0, 1)], [0, 0, 1])),
    'type-positive': one(O('Type', I32(5), Str('Marble'))),
    'end-group-alone': one(EndGroup()),
    'group-left-open': Scene([BeginGroup(), box()]),
    'group-state-of-wrong-type': Scene([O('BeginGroup', Obj(O('DisplayGroup')), Obj(point(0, 0, 0))), EndGroup()]),
    'container-as-group': Scene([O('BeginGroup', Obj(Container(point(0, 0, 0)))), EndGroup()]),
    'reference-missing': Scene([box('obj1'), Reference(2)], toc=[(1, 'obj1')]),
    'box-lower-case': one(box(name='box')),
    # One scene in three forms.
    'scene': three_forms_scene(),
    # Geometry.
    'point': one(point(1, 2, 3)),
    'line': one(O('Line', Points(ORIGIN), Points(X))),
    'polyline-5': one(polygon('PolyLine', [ORIGIN, X, (1, 1, 0), Y, (0, 2, 0)])),
    'triangle': one(O('Triangle', Points(ORIGIN), Points(X), Points(Y))),
    'pentagon': one(polygon('Polygon', PENTAGON)),
    'general-polygon-hole': one(O('GeneralPolygon', U32(2), U32(4), Points(*SQUARE), U32(4), Points(*HOLE))),
    'mesh-quad': one(mesh(SQUARE, [[0, 1, 2, 3]])),
    'trigrid-3x4': one(O('TriGrid', U32(3), U32(4), Points(*[(c, r, 0) for r in range(3) for c in range(4)]))),
    'box': one(box()),
    'ellipse': one(O('Ellipse', Points(X), Points(Y), Points(ORIGIN))),
    'disk': one(O('Disk', Points(X), Points(Y), Points(ORIGIN))),
    'cone': one(O('Cone', Points(Z), Points(X), Points(Y), Points(ORIGIN))),
    'cylinder': one(O('Cylinder', Points(Z), Points(X), Points(Y), Points(ORIGIN))),
    'ellipsoid': one(O('Ellipsoid', Points(Z), Points(X), Points(Y), Points(ORIGIN))),
    'torus': one(O('Torus', Points(Z), Points(X), Points(Y), Points(ORIGIN), F32(0.5))),
    'marker': one(O('Marker', Points(ORIGIN), U32(0), U32(1), U32(4), I32(0), I32(0), Raw(b'\xf0\x90\x90\xf0'))),
    'diffuse-color': one(O('DiffuseColor', F32(1, 0, 0))),
    # NURB curves and patches.
    'nurb-curve-line': one(nurb_curve(2, [(0, 0, 0, 1), (3, 0, 0, 1)], [0, 0, 1, 1])),
    # U[k-1] = U[n] = 5: every sample is at t = 5, in the span [U[2], U[3]] = [2, 5], at the third point.
    # With knots that do not fall, an empty range has only empty spans, and no weight.
    'nurb-curve-empty-range': one(nurb_curve(2, [(0, 0, 0, 1), (3, 0, 0, 1), (3, 3, 0, 1)], [0, 5, 2, 5, 6])),
    'nurb-curve-quarter-circle': one(nurb_curve(3, QUARTER_CIRCLE, [0, 0, 0, 1, 1, 1])),
    'nurb-patch-bilinear': one(nurb_patch(2, 2, 2, 2, BILINEAR, [0, 0, 1, 1], [0, 0, 1, 1])),
    # Transforms and groups.
    'translate-outside-groups': Scene([translate(1, 0, 0), point(0, 0, 0), point(0, 1, 0)]),
    'translate-in-group': Scene([BeginGroup(), point(0, 0, 0), translate(1, 0, 0), point(0, 0, 0), EndGroup(),
                                 point(0, 0, 0)]),
    'matrix-after-translate': Scene([translate(5, 0, 0), O('Matrix', F32(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1)),
                                     point(1, 0, 0)]),
    'scale-then-translate': Scene([O('Scale', Points((2, 2, 2))), translate(1, 0, 0), point(1, 0, 0)]),
    'groups-99': Scene([BeginGroup()] * 99 + [point(0, 0, 0)] + [EndGroup()] * 99),
    'groups-100': Scene([BeginGroup()] * 100 + [point(0, 0, 0)] + [EndGroup()] * 100),
    # References.
    'reference-box': Scene([box('obj1'), Reference(1)], toc=[(1, 'obj1')]),
    'reference-group': Scene([BeginGroup('g1'), translate(1, 0, 0), point(0, 0, 0), EndGroup(), point(0, 0, 0),
                              Reference(1)], toc=[(1, 'g1')]),
    'external-reference': Scene([Container(Reference(1), O('UnixPath', Str('/tmp/elsewhere.b3d'))), point(0, 0, 0)]),
    # A notched polygon placed four times, by References through transforms and as four copies.
    'reference-notch-placed': Scene([polygon('Polygon', NOTCH, label='n1'),
                                     BeginGroup(), translate(10, 0, 0), Reference(1), EndGroup(),
                                     BeginGroup(), O('Scale', Points((2, 3, 1))), Reference(1), EndGroup(),
                                     Reference(1)], toc=[(1, 'n1')]),
    'copies-notch-placed': Scene([polygon('Polygon', NOTCH),
                                  BeginGroup(), translate(10, 0, 0), polygon('Polygon', NOTCH), EndGroup(),
                                  BeginGroup(), O('Scale', Points((2, 3, 1))), polygon('Polygon', NOTCH), EndGroup(),
                                  polygon('Polygon', NOTCH)]),
    # The driver.
    'header-only': Scene([]),
    # Faults, each ended by its bound.
    'reference-cycle': Scene([BeginGroup('g1'), Reference(1), EndGroup()], toc=[(1, 'g1')]),
    'reference-fan-out': fan_out(),
    'toc-chain-to-itself': Scene([box('obj1')], toc=[(1, 'obj1')], next_toc='self'),
    'mesh-index-past-vertices': one(mesh(SQUARE, [[0, 1, 2, 4]])),
    'mesh-2g-vertices': one(O('Mesh', U32(2 ** 31), Points(*SQUARE), U32(1), U32(0), U32(4), U32(0, 1, 2, 3))),
    'size-past-end': one(box(size=1000)),
    'nurb-zero-weights': Scene([nurb_curve(2, [(0, 0, 0, 0), (1, 0, 0, 0)], [0, 0, 1, 1]),
                                nurb_curve(2, [(0, 0, 0, 1), (1, 0, 0, 1)], [1, 1, 1, 1]),
                                nurb_patch(2, 2, 2, 2, [(x, y, z, 0) for x, y, z, _ in BILINEAR], [0, 0, 1, 1],
                                           [0, 0, 1, 1]),
                                point(0, 0, 0)]),
    'nurb-decreasing-knots': Scene([nurb_curve(3, QUARTER_CIRCLE, [9, 5, 3, 1, 0, -4]),
                                    nurb_patch(2, 2, 2, 2, BILINEAR, [1, 0.5, 0, -1], [3, 2, 1, 0]),
                                    point(0, 0, 0)]),
    'containers-10000': Scene([Nested(10000, point(0, 0, 0))]),
}

# Scenes that run long before their bound stops them: no fuzzing seeds.
SLOW = {'reference-fan-out'}


def main():
    folder = sys.argv[1]
    seeds = '--seeds' in sys.argv[2:]
    os.makedirs(folder, exist_ok=True)
    for name, scene in FIXTURES.items():
        if not (seeds and name in SLOW):
            write(folder, name, scene)


if __name__ == '__main__':
    main()
