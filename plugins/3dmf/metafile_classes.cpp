#include "plugins/3dmf/metafile_classes.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>
#include <unordered_map>

#include "plugins/3dmf/metafile.h"

// Reads the fields of one object into its record, through the operations of the file's format, and
// remembers the first failure: after it, every read does nothing and answers 0.
class CFieldReader {
 public:
  CFieldReader(MetafileContext& context, MetafileObject& object)
      : fContext(context), fObject(object), fOperations(*context.file->operations) {}

  MetafileContext& Context() { return fContext; }
  bool Fine() const { return fError == kMetafileFine; }
  int32_t Result() const { return fError != kMetafileFine ? fError : fWarning; }
  void Fail(int32_t code) {
    if (fError == kMetafileFine) fError = code;
  }
  void Warn(int32_t code) { fWarning = code; }
  void Require(bool condition, int32_t code) {
    if (!condition) Fail(code);
  }
  SMetafileField& Last() { return fObject.fields.back(); }

  // Whether count elements, each taking at least smallest bytes in binary and 2 characters in text,
  // can still stand in the object: a count is checked so before anything is allocated for it.
  bool Room(uint64_t count, uint64_t smallest) {
    const uint64_t each = fContext.file->format == kMetafileText ? 2 : smallest;
    Require(count <= Remaining(fContext) / each, kMetafileUnableToParse);
    return Fine();
  }

  uint32_t Uns16() {
    uint16_t value = 0;
    Read(fOperations.readUns16, &value);
    return uint32_t(Integer(EMetafileField::kUns16, value));
  }
  uint32_t Uns32() {
    uint32_t value = 0;
    Read(fOperations.readUns32, &value);
    return uint32_t(Integer(EMetafileField::kUns32, value));
  }
  int32_t Int32() {
    int32_t value = 0;
    Read(fOperations.readInt32, &value);
    return int32_t(Integer(EMetafileField::kInt32, value));
  }
  uint32_t Boolean() { return Enum(kBooleans, EMetafileField::kBoolean); }
  uint32_t Enum(const SEnumEntry* table, EMetafileField type = EMetafileField::kEnum) {
    uint32_t value = 0;
    if (Fine()) Fail(fOperations.readEnum(fContext, table, &value));
    return uint32_t(Integer(type, value));
  }
  uint32_t Flags(const SEnumEntry* table) {
    uint32_t value = 0;
    if (Fine()) Fail(fOperations.readFlags(fContext, table, &value));
    return uint32_t(Integer(EMetafileField::kFlags, value));
  }

  // groups × perGroup Float32 as one field.
  void Floats(uint64_t groups, uint32_t perGroup) {
    if (!Fine() || !Room(groups, uint64_t(perGroup) * 4)) return;
    SMetafileField& field = Add(EMetafileField::kFloat32);
    field.floats.resize(groups * perGroup);
    for (float& value : field.floats) {
      if (!Fine()) break;
      Read(fOperations.readFloat32, &value);
    }
  }

  // count Uns32 as one field, each below `below`.
  void Uns32s(uint64_t count, uint64_t below = uint64_t(UINT32_MAX) + 1) {
    if (!Fine() || !Room(count, 4)) return;
    SMetafileField& field = Add(EMetafileField::kUns32);
    field.integers.resize(count);
    for (int64_t& value : field.integers) {
      uint32_t read = 0;
      if (Fine()) Read(fOperations.readUns32, &read);
      Require(read < below, kMetafileUnableToParse);
      value = read;
    }
  }

  // Indices into a list of `objects` things, stored in the fewest bytes that hold them all.
  void PackedIndices(uint64_t count, uint64_t objects) {
    const uint32_t width = objects < 256 ? 1 : objects < 65536 ? 2 : 4;
    if (!Fine() || !Room(count, width)) return;
    SMetafileField& field = Add(EMetafileField::kPackedIndex);
    field.integers.resize(count);
    for (int64_t& value : field.integers) {
      if (!Fine()) break;
      if (width == 1) value = ReadAs<uint8_t>(fOperations.readUns8);
      else if (width == 2) value = ReadAs<uint16_t>(fOperations.readUns16);
      else value = ReadAs<uint32_t>(fOperations.readUns32);
    }
  }

  void String() {
    if (!Fine()) return;
    Fail(fOperations.readString(fContext, &Add(EMetafileField::kString).text));
  }

  void RawData(uint64_t count) {
    if (!Fine() || !Room(count, 1)) return;
    Fail(fOperations.readRawData(fContext, count, &Add(EMetafileField::kRawData).bytes));
  }

  void Position() {
    if (!Fine()) return;
    SMetafilePosition position;
    Fail(fOperations.readPosition(fContext, &position));
    SMetafileField& field = Add(EMetafileField::kPosition);
    field.position = position.offset;
    field.text = std::move(position.label);
  }

  void Class() {
    if (!Fine()) return;
    SObjectStart start;
    Fail(fOperations.readClass(fContext, &start));
    Integer(EMetafileField::kClass, start.code);
  }

  // A whole object inside this one's data; its warnings stay with it.
  void Object() {
    if (!Fine()) return;
    std::unique_ptr<MetafileObject> nested;
    const int32_t code = ReadObjectInBuffer(fContext, &nested, false);
    if (!MetafileWarning(code)) Fail(code);
    Add(EMetafileField::kObject).object = std::move(nested);
  }

  // Whether the object's data holds another object after what was read.
  bool MoreObjects() {
    if (fContext.file->format == kMetafileText) {
      const SObjectBuffer& buffer = fContext.buffer;
      return buffer.position < buffer.bytes.size() && buffer.bytes[buffer.position] != ')';
    }
    return Remaining(fContext) >= 8;
  }

  void Unknown(const SObjectStart& start);

  static const SEnumEntry kBooleans[];

 private:
  template <typename Operation, typename T>
  void Read(Operation operation, T* value) {
    if (Fine()) Fail(operation(fContext, value));
  }

  template <typename T, typename Operation>
  int64_t ReadAs(Operation operation) {
    T value = 0;
    Read(operation, &value);
    return value;
  }

  SMetafileField& Add(EMetafileField type) {
    SMetafileField& field = fObject.fields.emplace_back();
    field.type = type;
    return field;
  }

  int64_t Integer(EMetafileField type, int64_t value) {
    if (!Fine()) return 0;
    Add(type).integers.push_back(value);
    return value;
  }

  MetafileContext& fContext;
  MetafileObject& fObject;
  const SOperationTable& fOperations;
  int32_t fError = kMetafileFine;
  int32_t fWarning = kMetafileFine;
};

const SEnumEntry CFieldReader::kBooleans[] = {{0, "False"}, {1, "True"}, {0, nullptr}};

namespace {

constexpr SEnumEntry kFileKinds[] = {{0, "Normal"}, {1, "Stream"}, {2, "Database"}, {0, nullptr}};
constexpr SEnumEntry kPackings[] = {{0, "Include"}, {1, "Exclude"}, {0, nullptr}};
constexpr SEnumEntry kCaps[] = {{0, "None"}, {1, "Bottom"}, {2, "Top"}, {0, nullptr}};
constexpr SEnumEntry kDisplayGroupStates[] = {{0, "None"},          {1, "Inline"},           {2, "DoNotDraw"},
                                              {4, "NoBoundingBox"}, {8, "NoBoundingSphere"}, {16, "DoNotPick"},
                                              {0, nullptr}};
constexpr SEnumEntry kBoundaries[] = {{0, "Wrap"}, {1, "Clamp"}, {0, nullptr}};
constexpr SEnumEntry kFallOffs[] = {{0, "None"}, {1, "Linear"}, {2, "Exponential"}, {3, "Cosine"}, {0, nullptr}};
constexpr SEnumEntry kBackfacings[] = {{0, "Both"}, {1, "Culled"}, {2, "Flipped"}, {0, nullptr}};
constexpr SEnumEntry kFills[] = {{0, "Filled"}, {1, "Edges"}, {2, "Points"}, {3, "Empty"}, {0, nullptr}};
constexpr SEnumEntry kInterpolations[] = {{0, "None"}, {1, "Vertex"}, {2, "Pixel"}, {0, nullptr}};
constexpr SEnumEntry kOrientations[] = {{0, "CounterClockwise"}, {1, "Clockwise"}, {0, nullptr}};
constexpr SEnumEntry kPickParts[] = {{0, "Object"}, {1, "Face"}, {2, "Edge"}, {4, "Vertex"}, {0, nullptr}};
constexpr SEnumEntry kSubdivisions[] = {{0, "Constant"}, {1, "WorldSpace"}, {2, "ScreenSpace"}, {0, nullptr}};
constexpr SEnumEntry kAxes[] = {{0, "X"}, {1, "Y"}, {2, "Z"}, {0, nullptr}};
constexpr SEnumEntry kPixelTypes[] = {{0, "RGB8"}, {1, "RGB16"}, {2, "RGB24"}, {3, "RGB32"}, {0, nullptr}};
constexpr SEnumEntry kByteOrders[] = {{0, "BigEndian"}, {1, "LittleEndian"}, {0, nullptr}};

void ReadHeader(CFieldReader& r) {
  const uint32_t major = r.Uns16(), minor = r.Uns16();
  r.Flags(kFileKinds);
  r.Position();
  if (!r.Fine()) return;
  if (major == 0) r.Fail(kMetafileUnsupportedFormat);
  else if (major != 1 || minor != 0) r.Warn(kMetafileNewerFormat);
}

// The group object, then perhaps its display state.
void ReadBeginGroup(CFieldReader& r) {
  r.Object();
  if (!r.Fine() || !r.MoreObjects()) return;
  r.Object();
  if (r.Fine()) r.Require(r.Last().object->classCode == MetafileCode("dgst"), kMetafileWrongObjectType);
}

void ReadTableOfContents(CFieldReader& r) {
  r.Position();
  const uint32_t seed = r.Uns32();
  r.Int32();
  const uint32_t entryType = r.Uns32();
  r.Uns32();
  const uint32_t entries = r.Uns32();
  if (!r.Fine() || !r.Room(entries, entryType ? 16 : 12)) return;
  for (uint32_t i = 0; i < entries && r.Fine(); ++i) {
    const uint32_t reference = r.Uns32();
    if (r.Fine()) r.Require(reference < seed, kMetafileIllegalReferenceId);
    r.Position();
    if (entryType != 0) r.Class();
  }
}

int32_t DefineUserClass(SMetafileFile& file, int32_t code, const std::string& name) {
  if (code >= 0 || code == INT32_MIN) return kMetafileIllegalUserType;
  for (const SUserClass& known : file.userClasses)
    if (known.code == code) return known.name == name ? kMetafileFine : kMetafileIllegalUserType;
  file.userClasses.push_back({code, name});
  if (code <= file.lowestUserCode) file.lowestUserCode = code - 1;
  return kMetafileFine;
}

void ReadType(CFieldReader& r) {
  const int32_t code = r.Int32();
  r.String();
  if (r.Fine()) r.Fail(DefineUserClass(*r.Context().file, code, r.Last().text));
}

void ReadAttributeSetList(CFieldReader& r) {
  const uint32_t objects = r.Uns32();
  r.Enum(kPackings);
  const uint32_t indices = r.Uns32();
  r.PackedIndices(indices, objects);
}

void ReadMeshCorners(CFieldReader& r) {
  const uint32_t corners = r.Uns32();
  r.Require(corners != 0, kMetafileNoCorners);
  if (!r.Fine() || !r.Room(corners, 12)) return;
  for (uint32_t i = 0; i < corners && r.Fine(); ++i) {
    r.Uns32();
    const uint32_t faces = r.Uns32();
    r.Require(faces != 0, kMetafileNoFaces);
    r.Uns32s(faces);
  }
}

void ReadMeshEdges(CFieldReader& r) {
  const uint32_t edges = r.Uns32();
  r.Require(edges != 0, kMetafileNoEdges);
  r.Uns32s(uint64_t(edges) * 2);
}

// Order, points of `dimensions` coordinates with their weight, knots.
void ReadCurve(CFieldReader& r, uint32_t dimensions) {
  const uint32_t order = r.Uns32();
  r.Require(order >= 2, kMetafileOrderTooSmall);
  const uint32_t points = r.Uns32();
  r.Require(points >= 2, kMetafileTooFewPoints);
  r.Floats(points, dimensions);
  r.Floats(uint64_t(order) + points, 1);
}

void ReadNurbCurve2D(CFieldReader& r) { ReadCurve(r, 3); }
void ReadNurbCurve(CFieldReader& r) { ReadCurve(r, 4); }

void ReadNurbPatch(CFieldReader& r) {
  const uint32_t uOrder = r.Uns32(), vOrder = r.Uns32();
  r.Require(uOrder >= 2 && vOrder >= 2, kMetafileOrderTooSmall);
  const uint32_t rows = r.Uns32(), columns = r.Uns32();
  r.Require(rows >= 2 && columns >= 2, kMetafileTooFewPoints);
  r.Floats(uint64_t(rows) * columns, 4);
  r.Floats(uint64_t(uOrder) + columns, 1);
  r.Floats(uint64_t(vOrder) + rows, 1);
}

void ReadImageMask(CFieldReader& r) {
  r.Uns32();
  const uint32_t height = r.Uns32(), rowBytes = r.Uns32();
  r.RawData(uint64_t(height) * rowBytes);
}

void ReadMarker(CFieldReader& r) {
  r.Floats(1, 3);
  r.Uns32();
  const uint32_t width = r.Uns32(), height = r.Uns32();
  r.Int32();
  r.Int32();
  const uint64_t bytes = uint64_t(width) * height;
  if (r.Fine()) r.Require(bytes != 0, kMetafileEmptyImage);
  r.RawData(bytes);
}

// A vertex count of at least 3 and that many points.
uint32_t ReadVertices(CFieldReader& r) {
  const uint32_t vertices = r.Uns32();
  if (r.Fine()) r.Require(vertices > 2, kMetafileTooFewVertices);
  r.Floats(vertices, 3);
  return vertices;
}

// Faces and contours index the vertex list; an index past it would send the converter past it too.
void ReadMesh(CFieldReader& r) {
  const uint32_t vertices = ReadVertices(r);
  const uint32_t faces = r.Uns32(), contours = r.Uns32();
  const uint64_t polygons = uint64_t(faces) + contours;
  if (!r.Fine() || !r.Room(polygons, 4)) return;
  for (uint64_t i = 0; i < polygons && r.Fine(); ++i) {
    const uint32_t indices = r.Uns32();
    if (r.Fine()) r.Require(indices > 2, kMetafileTooFewVertices);
    r.Uns32s(indices, vertices);
  }
}

void ReadGeneralPolygon(CFieldReader& r) {
  const uint32_t contours = r.Uns32();
  if (r.Fine()) r.Require(contours != 0, kMetafileNoContours);
  if (!r.Fine() || !r.Room(contours, 4)) return;
  for (uint32_t i = 0; i < contours && r.Fine(); ++i) ReadVertices(r);
}

void ReadPolygon(CFieldReader& r) { ReadVertices(r); }

void ReadTriGrid(CFieldReader& r) {
  const uint32_t rows = r.Uns32(), columns = r.Uns32();
  if (r.Fine()) r.Require(rows >= 2 && columns >= 2, kMetafileTooFewVertices);
  r.Floats(uint64_t(rows) * columns, 3);
}

void ReadUnicode(CFieldReader& r) { r.RawData(r.Uns32()); }

void ReadPixmapTexture(CFieldReader& r) {
  r.Uns32();
  const uint32_t height = r.Uns32(), rowBytes = r.Uns32();
  r.Uns32();
  const uint64_t bytes = uint64_t(height) * rowBytes;
  if (r.Fine()) r.Require(bytes != 0, kMetafileEmptyImage);
  r.Enum(kPixelTypes);
  r.Enum(kByteOrders);
  r.Enum(kByteOrders);
  r.RawData(bytes);
}

void ReadUnknownBinary(CFieldReader& r) {
  r.Int32();
  const uint32_t size = r.Uns32();
  r.Enum(kByteOrders);
  r.RawData(size);
}

constexpr SClassEntry kUnknownRow = {kMetafileUnknownClass, nullptr, nullptr, "", nullptr};

// In the order lookups take; 'FMD3', the header's code read in the other byte order, stands last.
constexpr SClassEntry kClasses[] = {
    {MetafileCode("3DMF"), "3DMetafile", ReadHeader, "", nullptr},
    {MetafileCode("cntr"), "Container", nullptr, "", nullptr},
    {MetafileCode("bgng"), "BeginGroup", ReadBeginGroup, "", nullptr},
    {MetafileCode("endg"), "EndGroup", nullptr, "", nullptr},
    {MetafileCode("rfrn"), "Reference", nullptr, "u", nullptr},
    {MetafileCode("toc "), "TableOfContents", ReadTableOfContents, "", nullptr},
    {MetafileCode("type"), "Type", ReadType, "", nullptr},
    {MetafileCode("fasl"), "FaceAttributeSetList", ReadAttributeSetList, "", nullptr},
    {MetafileCode("gasl"), "GeometryAttributeSetList", ReadAttributeSetList, "", nullptr},
    {MetafileCode("vasl"), "VertexAttributeSetList", ReadAttributeSetList, "", nullptr},
    {MetafileCode("cmpl"), "CameraPlacement", nullptr, "333", nullptr},
    {MetafileCode("cmrg"), "CameraRange", nullptr, "ff", nullptr},
    {MetafileCode("cmvp"), "CameraViewPort", nullptr, "2ff", nullptr},
    {MetafileCode("bcas"), "BottomCapAttributeSet", nullptr, "", nullptr},
    {MetafileCode("caps"), "Caps", nullptr, "g", kCaps},
    {MetafileCode("fcas"), "FaceCapAttributeSet", nullptr, "", nullptr},
    {MetafileCode("tcas"), "TopCapAttributeSet", nullptr, "", nullptr},
    {MetafileCode("dgst"), "DisplayGroupState", nullptr, "g", kDisplayGroupStates},
    {MetafileCode("lght"), "LightData", nullptr, "bf3", nullptr},
    {MetafileCode("crnr"), "MeshCorners", ReadMeshCorners, "", nullptr},
    {MetafileCode("edge"), "MeshEdges", ReadMeshEdges, "", nullptr},
    {MetafileCode("nb2c"), "NURBCurve2D", ReadNurbCurve2D, "", nullptr},
    {MetafileCode("shdr"), "ShaderData", nullptr, "ee", kBoundaries},
    {MetafileCode("sdxf"), "ShaderTransform", nullptr, "m", nullptr},
    {MetafileCode("sduv"), "ShaderUVTransform", nullptr, "9", nullptr},
    {MetafileCode("trmc"), "TrimCurves", nullptr, "", nullptr},
    {MetafileCode("imcc"), "ImageClearColor", nullptr, "3", nullptr},
    {MetafileCode("imdm"), "ImageDimensions", nullptr, "uu", nullptr},
    {MetafileCode("immk"), "ImageMask", ReadImageMask, "", nullptr},
    {MetafileCode("camb"), "AmbientCoefficient", nullptr, "f", nullptr},
    {MetafileCode("kdif"), "DiffuseColor", nullptr, "3", nullptr},
    {MetafileCode("hlst"), "HighlightState", nullptr, "b", nullptr},
    {MetafileCode("nrml"), "Normal", nullptr, "3", nullptr},
    {MetafileCode("shuv"), "ShadingUV", nullptr, "2", nullptr},
    {MetafileCode("kspc"), "SpecularColor", nullptr, "3", nullptr},
    {MetafileCode("cspc"), "SpecularControl", nullptr, "f", nullptr},
    {MetafileCode("srtn"), "SurfaceTangent", nullptr, "33", nullptr},
    {MetafileCode("sruv"), "SurfaceUV", nullptr, "2", nullptr},
    {MetafileCode("kxpr"), "TransparencyColor", nullptr, "3", nullptr},
    {MetafileCode("ctwn"), "InteractiveRenderer", nullptr, "", nullptr},
    {MetafileCode("gnrr"), "GenericRenderer", nullptr, "", nullptr},
    {MetafileCode("wrfr"), "WireFrame", nullptr, "", nullptr},
    {MetafileCode("zbuf"), "ZBuffer", nullptr, "", nullptr},
    {MetafileCode("attr"), "AttributeSet", nullptr, "", nullptr},
    {MetafileCode("orth"), "OrthographicCamera", nullptr, "ffff", nullptr},
    {MetafileCode("vana"), "ViewAngleAspectCamera", nullptr, "ff", nullptr},
    {MetafileCode("vwpl"), "ViewPlaneCamera", nullptr, "fffff", nullptr},
    {MetafileCode("box "), "Box", nullptr, "3333", nullptr},
    {MetafileCode("cone"), "Cone", nullptr, "3333", nullptr},
    {MetafileCode("cyln"), "Cylinder", nullptr, "3333", nullptr},
    {MetafileCode("disk"), "Disk", nullptr, "333", nullptr},
    {MetafileCode("elps"), "Ellipse", nullptr, "333", nullptr},
    {MetafileCode("elpd"), "Ellipsoid", nullptr, "3333", nullptr},
    {MetafileCode("gpgn"), "GeneralPolygon", ReadGeneralPolygon, "", nullptr},
    {MetafileCode("line"), "Line", nullptr, "33", nullptr},
    {MetafileCode("mrkr"), "Marker", ReadMarker, "", nullptr},
    {MetafileCode("mesh"), "Mesh", ReadMesh, "", nullptr},
    {MetafileCode("nrbc"), "NURBCurve", ReadNurbCurve, "", nullptr},
    {MetafileCode("nrbp"), "NURBPatch", ReadNurbPatch, "", nullptr},
    {MetafileCode("pnt "), "Point", nullptr, "3", nullptr},
    {MetafileCode("plyg"), "Polygon", ReadPolygon, "", nullptr},
    {MetafileCode("plyl"), "PolyLine", ReadPolygon, "", nullptr},
    {MetafileCode("tors"), "Torus", nullptr, "3333f", nullptr},
    {MetafileCode("trng"), "Triangle", nullptr, "333", nullptr},
    {MetafileCode("trig"), "TriGrid", ReadTriGrid, "", nullptr},
    {MetafileCode("grop"), "Group", nullptr, "", nullptr},
    {MetafileCode("dspg"), "DisplayGroup", nullptr, "", nullptr},
    {MetafileCode("iopx"), "IOProxyDisplayGroup", nullptr, "", nullptr},
    {MetafileCode("ordg"), "OrderedDisplayGroup", nullptr, "", nullptr},
    {MetafileCode("info"), "InfoGroup", nullptr, "", nullptr},
    {MetafileCode("lghg"), "LightGroup", nullptr, "", nullptr},
    {MetafileCode("ambn"), "AmbientLight", nullptr, "", nullptr},
    {MetafileCode("drct"), "DirectionalLight", nullptr, "3b", nullptr},
    {MetafileCode("pntl"), "PointLight", nullptr, "3fffb", nullptr},
    {MetafileCode("spot"), "SpotLight", nullptr, "33bfffffe", kFallOffs},
    {MetafileCode("lmil"), "LambertIllumination", nullptr, "", nullptr},
    {MetafileCode("phil"), "PhongIllumination", nullptr, "", nullptr},
    {MetafileCode("txsu"), "TextureShader", nullptr, "", nullptr},
    {MetafileCode("bckf"), "BackfacingStyle", nullptr, "e", kBackfacings},
    {MetafileCode("fist"), "FillStyle", nullptr, "e", kFills},
    {MetafileCode("high"), "HighlightStyle", nullptr, "", nullptr},
    {MetafileCode("intp"), "InterpolationStyle", nullptr, "e", kInterpolations},
    {MetafileCode("ornt"), "OrientationStyle", nullptr, "e", kOrientations},
    {MetafileCode("pkid"), "PickIDStyle", nullptr, "u", nullptr},
    {MetafileCode("pkpt"), "PickPartsStyle", nullptr, "g", kPickParts},
    {MetafileCode("rcsh"), "ReceiveShadowsStyle", nullptr, "b", nullptr},
    {MetafileCode("sbdv"), "SubdivisionStyle", nullptr, "euuf", kSubdivisions},
    {MetafileCode("mtrx"), "Matrix", nullptr, "m", nullptr},
    {MetafileCode("qtrn"), "Quaternion", nullptr, "4", nullptr},
    {MetafileCode("rott"), "Rotate", nullptr, "ef", kAxes},
    {MetafileCode("rtaa"), "RotateAboutAxis", nullptr, "33f", nullptr},
    {MetafileCode("rtap"), "RotateAboutPoint", nullptr, "ef3", kAxes},
    {MetafileCode("scal"), "Scale", nullptr, "3", nullptr},
    {MetafileCode("trns"), "Translate", nullptr, "3", nullptr},
    {MetafileCode("alis"), "MacintoshPath", nullptr, "s", nullptr},
    {MetafileCode("unix"), "UnixPath", nullptr, "s", nullptr},
    {MetafileCode("strc"), "CString", nullptr, "s", nullptr},
    {MetafileCode("uncd"), "Unicode", ReadUnicode, "", nullptr},
    {MetafileCode("txpm"), "PixmapTexture", ReadPixmapTexture, "", nullptr},
    {MetafileCode("vwhn"), "ViewHints", nullptr, "", nullptr},
    {MetafileCode("ukbn"), "UnknownBinary", ReadUnknownBinary, "", nullptr},
    {MetafileCode("FMD3"), "3DMetafile", ReadHeader, "", nullptr},
};

void ReadLayout(CFieldReader& r, const SClassEntry& entry) {
  for (const char* part = entry.layout; *part && r.Fine(); ++part) {
    switch (*part) {
      case 'h': r.Uns16(); break;
      case 'u': r.Uns32(); break;
      case 'i': r.Int32(); break;
      case 'f': r.Floats(1, 1); break;
      case '2': r.Floats(1, 2); break;
      case '3': r.Floats(1, 3); break;
      case '4': r.Floats(1, 4); break;
      case '9': r.Floats(1, 9); break;
      case 'm': r.Floats(1, 16); break;
      case 'b': r.Boolean(); break;
      case 'e': r.Enum(entry.table); break;
      case 'g': r.Flags(entry.table); break;
      case 's': r.String(); break;
    }
  }
}

// The table by lowered name and by code; of two rows with one name or code the first wins, as a
// search from the first row finds it.
struct SClassIndex {
  std::unordered_map<std::string, const SClassEntry*> byName;
  std::unordered_map<uint32_t, const SClassEntry*> byCode;

  SClassIndex() {
    for (const SClassEntry& entry : kClasses) {
      byName.emplace(LowerCase(entry.name), &entry);
      byCode.emplace(entry.code, &entry);
    }
  }
};

const SClassIndex& Index() {
  static const SClassIndex index;
  return index;
}

const char* UserClassName(const SMetafileFile& file, int32_t code) {
  for (const SUserClass& known : file.userClasses)
    if (known.code == code) return known.name.c_str();
  return nullptr;
}

}  // namespace

void CFieldReader::Unknown(const SObjectStart& start) {
  Integer(EMetafileField::kInt32, start.code);
  const char* name = UserClassName(*fContext.file, start.code);
  Add(EMetafileField::kString).text = name ? name : start.name;
  Integer(EMetafileField::kUns32, fContext.file->format);
  Fail(ReadUnknownData(fContext, &Add(EMetafileField::kRawData).bytes));
}

int32_t FindClassByName(const char* name, SObjectStart* start) {
  start->entry = nullptr;
  if (name[0] == '-') {
    int32_t code = 0;
    const size_t length = std::strlen(name);
    const auto [end, error] = std::from_chars(name, name + length, code);
    if (error != std::errc() || end != name + length || code >= 0) return kMetafileIllegalObjectName;
    start->entry = &kUnknownRow;
    start->code = code;
    return kMetafileFine;
  }
  const auto& byName = Index().byName;
  const auto found = byName.find(LowerCase(name));
  if (found != byName.end()) {
    start->entry = found->second;
    start->code = int32_t(found->second->code);
    return kMetafileFine;
  }
  start->entry = &kUnknownRow;
  start->code = int32_t(kMetafileUnknownClass);
  start->name.assign(name, std::min(std::strlen(name), kMostNameCharacters));
  return kMetafileIllegalObjectName;
}

int32_t FindClassByCode(int32_t code, SObjectStart* start) {
  start->entry = &kUnknownRow;
  start->code = code;
  if (code < 0) return kMetafileFine;
  const auto& byCode = Index().byCode;
  const auto found = byCode.find(uint32_t(code));
  if (found == byCode.end()) return kMetafileIllegalObjectName;
  start->entry = found->second;
  return kMetafileFine;
}

const char* MetafileClassName(uint32_t code) {
  const auto& byCode = Index().byCode;
  const auto found = byCode.find(code);
  return found != byCode.end() ? found->second->name : nullptr;
}

bool IsUnknownClass(const SClassEntry* entry) { return entry == &kUnknownRow; }

int32_t LookUpClassName(const SMetafileFile& file, const char* name, SObjectStart* start) {
  const int32_t found = FindClassByName(name, start);
  if (!start->entry) return found;
  if (found == kMetafileIllegalObjectName) {
    for (const SUserClass& known : file.userClasses) {
      if (CompareNoCase(name, known.name.c_str()) != 0) continue;
      start->code = known.code;
      break;
    }
  }
  return kMetafileFine;
}

int32_t LookUpClassCode(int32_t code, SObjectStart* start) {
  FindClassByCode(code, start);
  return kMetafileFine;
}

int32_t ReadClassFields(MetafileContext& context, const SObjectStart& start, MetafileObject& object) {
  CFieldReader reader(context, object);
  if (IsUnknownClass(start.entry)) {
    reader.Unknown(start);
  } else {
    ReadLayout(reader, *start.entry);
    if (start.entry->read && reader.Fine()) start.entry->read(reader);
  }
  return reader.Result();
}
