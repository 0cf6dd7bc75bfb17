#!/usr/bin/python3
"""mk3dmf.py: writes a scene of 3D metafile objects in the three forms the plug-in reads: text
(NAME.t3d), binary in the published big-endian order (NAME.b3d, beginning "3DMF") and binary with
every multi-byte value reversed (NAME.le.b3d, beginning "FMD3"). Python's standard library only.

A scene is a list of objects, O(class name, fields..., label=None). Each field is typed, in the order
of the class's stored fields, so that a malformed file is the same scene with one field changed:
U16, U32, I32, F32 (one or more floats, a point or vector as three), Bool, Enum and Flags (a value
with the text that names it), Str, Raw, Pos (a label reference), Packed, ClassField, Obj (a nested
object) and Verbatim (text and bytes as they stand). Container(...) holds objects; a table of contents
pairs reference numbers with labels. write(folder, name, scene) writes the three files.

make_fixtures.py holds the scenes of the plug-in's tests."""
import os
import struct


def _code(name):
    return int.from_bytes(name.encode('latin-1'), 'big')


CLASSES = {
    '3DMetafile': '3DMF', 'Container': 'cntr', 'BeginGroup': 'bgng', 'EndGroup': 'endg', 'Reference': 'rfrn',
    'TableOfContents': 'toc ', 'Type': 'type', 'AttributeSet': 'attr', 'DiffuseColor': 'kdif',
    'SpecularColor': 'kspc', 'AmbientCoefficient': 'camb', 'DisplayGroup': 'dspg', 'DisplayGroupState': 'dgst',
    'Group': 'grop', 'Box': 'box ', 'Cone': 'cone', 'Cylinder': 'cyln', 'Disk': 'disk', 'Ellipse': 'elps',
    'Ellipsoid': 'elpd', 'GeneralPolygon': 'gpgn', 'Line': 'line', 'Marker': 'mrkr', 'Mesh': 'mesh',
    'NURBCurve': 'nrbc', 'NURBPatch': 'nrbp', 'Point': 'pnt ', 'Polygon': 'plyg', 'PolyLine': 'plyl',
    'Torus': 'tors', 'Triangle': 'trng', 'TriGrid': 'trig', 'SpotLight': 'spot', 'Matrix': 'mtrx',
    'Rotate': 'rott', 'Scale': 'scal', 'Translate': 'trns', 'UnixPath': 'unix', 'CString': 'strc',
    'Unicode': 'uncd', 'PixmapTexture': 'txpm', 'Caps': 'caps', 'FaceAttributeSetList': 'fasl',
}


def float32(value):
    return struct.unpack('<f', struct.pack('<f', value))[0]


def _float_text(value):
    """The shortest decimal that reads back as the same 32-bit float."""
    value = float32(value)
    if value == int(value) and abs(value) < 1e9:
        return str(int(value))
    for digits in range(1, 10):
        text = '%.*g' % (digits, value)
        if float32(float(text)) == value:
            return text
    return repr(value)


class Field:
    def text(self, writer):
        raise NotImplementedError

    def binary(self, writer):
        raise NotImplementedError


class _Number(Field):
    def __init__(self, form, *values):
        self.form, self.values = form, values

    def text(self, writer):
        if self.form == 'f':
            return [_float_text(v) for v in self.values]
        return [str(v) for v in self.values]

    def binary(self, writer):
        for value in self.values:
            writer.pack(self.form, value)


def U16(*values): return _Number('H', *values)
def U32(*values): return _Number('I', *values)
def I32(*values): return _Number('i', *values)
def F32(*values): return _Number('f', *values)


def Points(*points):
    """Points or vectors of three coordinates, or homogeneous ones of four, as one field."""
    return F32(*[c for point in points for c in point])


class Enum(Field):
    """An enumeration, or a set of flags: its value in binary, its text (a name, names joined by "|" or
    a number) in text."""

    def __init__(self, value, text=None):
        self.value, self.name = value, str(value) if text is None else text

    def text(self, writer):
        return [self.name]

    def binary(self, writer):
        writer.pack('I', self.value)


Flags = Enum


def Bool(value):
    return Enum(int(value), 'True' if value else 'False')


class Str(Field):
    ESCAPES = {'\a': 'a', '\b': 'b', '\f': 'f', '\n': 'n', '\r': 'r', '\t': 't', '\v': 'v', '"': '"', '\\': '\\'}

    def __init__(self, value):
        self.value = value

    def text(self, writer):
        return ['"' + ''.join('\\' + self.ESCAPES[c] if c in self.ESCAPES else c for c in self.value) + '"']

    def binary(self, writer):
        writer.raw(self.value.encode('latin-1') + b'\0')
        writer.pad()


class Raw(Field):
    def __init__(self, data):
        self.data = bytes(data)

    def text(self, writer):
        return ['0x' + self.data[i:i + 16].hex().upper() for i in range(0, len(self.data), 16)]

    def binary(self, writer):
        writer.raw(self.data)
        writer.pad()


class Pos(Field):
    """Where the labelled object stands: its file offset in binary, a label reference in text. None is
    no object: offset 0, and an empty label."""

    def __init__(self, label=None):
        self.label = label

    def text(self, writer):
        return [(self.label or '') + '>']

    def binary(self, writer):
        writer.position(self.label)


class Packed(Field):
    def __init__(self, value, width):
        self.value, self.width = value, width

    def text(self, writer):
        return [str(self.value)]

    def binary(self, writer):
        writer.pack({1: 'B', 2: 'H', 4: 'I'}[self.width], self.value)


class ClassField(Field):
    def __init__(self, name):
        self.name = name

    def text(self, writer):
        return [self.name]

    def binary(self, writer):
        writer.pack('I', _code(CLASSES[self.name]))


class Obj(Field):
    def __init__(self, obj):
        self.obj = obj

    def text(self, writer):
        return writer.object_tokens(self.obj)

    def binary(self, writer):
        writer.object(self.obj)


class Verbatim(Field):
    """Text tokens and bytes as they stand; little is big reversed as a whole unless given."""

    def __init__(self, text=None, big=b'', little=None):
        self.tokens = [] if text is None else [text]
        self.big = big
        self.little = big[::-1] if little is None else little

    def text(self, writer):
        return self.tokens

    def binary(self, writer):
        writer.raw(self.big if writer.order == '>' else self.little)


class O:
    """An object: its class name, its fields and an optional label. name changes the class name that
    the text form writes; size the size that the binary forms give its data."""

    def __init__(self, cls, *fields, label=None, name=None, size=None):
        self.cls, self.fields, self.label = cls, list(fields), label
        self.name, self.size = name or cls, size


def Container(*children, label=None):
    return O('Container', *[Obj(child) for child in children], label=label)


def BeginGroup(label=None):
    return O('BeginGroup', Obj(O('DisplayGroup')), label=label)


def EndGroup():
    return O('EndGroup')


def Reference(number):
    return O('Reference', U32(number))


class Nested:
    """The object inside `depth` containers, one inside the other, written without recursion."""

    def __init__(self, depth, obj):
        self.depth, self.obj = depth, obj


class Scene:
    """version: the header's (major, minor); toc: (reference number, label) pairs of one table of
    contents, None for none; next_toc: the binary table's next-table position (0 ends the chain; 'self'
    points at the table itself); header: False leaves the header out; comments: a comment after every
    token of the text form; preamble: text before everything else in the text form."""

    def __init__(self, objects, version=(1, 0), toc=None, next_toc=0, header=True, comments=False, preamble=''):
        self.objects, self.version, self.toc = objects, version, toc
        self.next_toc, self.header, self.comments = next_toc, header, comments
        self.preamble = preamble

    def _toc_fields(self, binary):
        entries = []
        for number, label in self.toc:
            entries += [U32(number), Pos(label)]
        seed = max([number for number, _ in self.toc], default=0) + 1
        return [Pos(None), U32(seed), I32(-1), U32(0), U32(12), U32(len(self.toc))] + entries

    def header_object(self):
        major, minor = self.version
        return O('3DMetafile', U16(major), U16(minor), Flags(0, 'Normal'), Pos('toc' if self.toc is not None else None))

    def text(self):
        writer = _TextWriter()
        lines = []
        if self.header:
            lines.append(writer.object_tokens(self.header_object()))
        for obj in self.objects:
            lines.append(writer.object_tokens(obj))
        if self.toc is not None:
            lines.append(writer.object_tokens(O('TableOfContents', *self._toc_fields(False), label='toc')))
        if self.comments:
            return self.preamble + ''.join(''.join(token + ' # note\n' for token in line) for line in lines)
        return self.preamble + ''.join(' '.join(line) + '\n' for line in lines)

    def binary(self, order):
        writer = _BinaryWriter(order)
        if self.header:
            writer.object(self.header_object())
        for obj in self.objects:
            writer.object(obj)
        if self.toc is not None:
            table = O('TableOfContents', *self._toc_fields(True), label='toc')
            if self.next_toc == 'self':
                table.fields[0] = Pos('toc')
            writer.object(table)
        return writer.finish()


class _TextWriter:
    def object_tokens(self, obj):
        if isinstance(obj, Nested):
            return ['Container', '('] * obj.depth + self.object_tokens(obj.obj) + [')'] * obj.depth
        tokens = [obj.label + ':'] if obj.label else []
        tokens += [obj.name, '(']
        for field in obj.fields:
            tokens += field.text(self)
        return tokens + [')']


class _BinaryWriter:
    def __init__(self, order):
        self.order = order
        self.out = bytearray()
        self.labels = {}
        self.patches = []

    def pack(self, form, value):
        self.out += struct.pack(self.order + form, value)

    def raw(self, data):
        self.out += data

    def pad(self):
        self.out += b'\0' * (-len(self.out) % 4)

    def position(self, label):
        self.patches.append((len(self.out), label))
        self.out += bytes(8)

    def object(self, obj):
        if isinstance(obj, Nested):
            return self.nested(obj)
        start = len(self.out)
        if obj.label:
            self.labels[obj.label] = start
        self.pack('I', _code(CLASSES[obj.cls]))
        self.pack('I', 0)
        for field in obj.fields:
            field.binary(self)
        size = len(self.out) - start - 8
        size += -size % 4
        self.out += bytes(start + 8 + size - len(self.out))
        self.out[start + 4:start + 8] = struct.pack(self.order + 'I', size if obj.size is None else obj.size)

    def nested(self, nest):
        starts = []
        for _ in range(nest.depth):
            starts.append(len(self.out))
            self.pack('I', _code('cntr'))
            self.pack('I', 0)
        self.object(nest.obj)
        for start in starts:
            self.out[start + 4:start + 8] = struct.pack(self.order + 'I', len(self.out) - start - 8)

    def finish(self):
        for at, label in self.patches:
            self.out[at:at + 8] = struct.pack(self.order + 'Q', self.labels[label] if label else 0)
        return bytes(self.out)


def write(folder, name, scene):
    base = os.path.join(folder, name)
    with open(base + '.t3d', 'w', encoding='latin-1', newline='\n') as out:
        out.write(scene.text())
    with open(base + '.b3d', 'wb') as out:
        out.write(scene.binary('>'))
    with open(base + '.le.b3d', 'wb') as out:
        out.write(scene.binary('<'))

