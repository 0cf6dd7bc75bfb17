#include "plugins/3dmf/vendrix_geometry.h"

#include <cmath>
#include <initializer_list>
#include <iterator>

#include "plugins/3dmf/vendrix_nurb.h"
#include "plugins/dxf/triangulator.h"

namespace {

// Round shapes step by 9 degrees, the ellipsoid's rings and azimuths by a fortieth of 3.14159.
constexpr int32_t kRoundSteps = 40;
constexpr double kRadiansPerDegree = 0.0174532925199399995;
constexpr double kStepDegrees = 9;
constexpr int32_t kEllipsoidRings = 39;
constexpr double kEllipsoidStep = 0.07853975;

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

uint64_t gConverted = 0;

SPoint operator+(const SPoint& a, const SPoint& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
SPoint operator-(const SPoint& a, const SPoint& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
SPoint operator*(double s, const SPoint& a) { return {s * a.x, s * a.y, s * a.z}; }

// The n-th point of a field of points.
SPoint PointIn(const SMetafileField& field, size_t n = 0) {
  return {field.floats[3 * n], field.floats[3 * n + 1], field.floats[3 * n + 2]};
}

SPoint PointAt(const MetafileObject& object, size_t field, size_t n = 0) { return PointIn(object.fields[field], n); }

uint32_t CountAt(const MetafileObject& object, size_t field) { return uint32_t(object.fields[field].integers[0]); }

// Lines have no area: a segment is a triangle whose last two corners coincide.
int32_t EmitSegment(SConversion& conversion, const SPoint& a, const SPoint& b) {
  return EmitTriangle(conversion, a, b, b);
}

template <typename Corner>
int32_t FillPolygon(SConversion& conversion, size_t count, Corner corner) {
  if (count < 3 || count > size_t(INT32_MAX)) return kConverted;
  TriangulationWork work;
  int32_t answer = InitTriangulation(work, int32_t(count));
  if (answer == kTriangulated) {
    for (size_t i = 0; i < count; ++i) {
      const SPoint point = corner(i);
      work.x[i] = point.x;
      work.y[i] = point.y;
      work.z[i] = point.z;
    }
    answer = Triangulate(work);
  }
  int32_t result = answer == kTriangulationOutOfMemory ? kConversionFailed : kConverted;
  for (int32_t t = 0; answer == kTriangulated && t < work.triangleCount && result == kConverted; ++t) {
    const int32_t* corners = work.triangles + 3 * t;
    const auto point = [&](int32_t i) { return SPoint{work.x[i], work.y[i], work.z[i]}; };
    result = EmitTriangle(conversion, point(corners[0]), point(corners[1]), point(corners[2]));
  }
  FreeTriangulation(work);
  return result;
}

int32_t FillPoints(SConversion& conversion, const SMetafileField& points) {
  return FillPolygon(conversion, points.floats.size() / 3, [&](size_t i) { return PointIn(points, i); });
}

int32_t ConvertPoint(SConversion& c, const MetafileObject& o) {
  const SPoint p = PointAt(o, 0);
  return EmitTriangle(c, p, p, p);
}

int32_t ConvertLine(SConversion& c, const MetafileObject& o) { return EmitSegment(c, PointAt(o, 0), PointAt(o, 1)); }

int32_t ConvertPolyLine(SConversion& c, const MetafileObject& o) {
  const uint32_t vertices = CountAt(o, 0);
  int32_t result = kConverted;
  for (uint32_t i = 0; i + 1 < vertices && result == kConverted; ++i)
    result = EmitSegment(c, PointAt(o, 1, i), PointAt(o, 1, i + 1));
  return result;
}

int32_t ConvertTriangle(SConversion& c, const MetafileObject& o) {
  return EmitTriangle(c, PointAt(o, 0), PointAt(o, 1), PointAt(o, 2));
}

int32_t ConvertPolygon(SConversion& c, const MetafileObject& o) { return FillPoints(c, o.fields[1]); }

// Each contour on its own: holes are filled too.
int32_t ConvertGeneralPolygon(SConversion& c, const MetafileObject& o) {
  int32_t result = kConverted;
  for (size_t field = 2; field < o.fields.size() && result == kConverted; field += 2)
    result = FillPoints(c, o.fields[field]);
  return result;
}

// Fields: vertex count, vertices, face count, contour count, then per face and contour its index
// count and its indices, which the reader checked against the vertex count.
int32_t ConvertMesh(SConversion& c, const MetafileObject& o) {
  const SMetafileField& vertices = o.fields[1];
  int32_t result = kConverted;
  for (size_t field = 5; field < o.fields.size() && result == kConverted; field += 2) {
    const std::vector<int64_t>& indices = o.fields[field].integers;
    result = FillPolygon(c, indices.size(), [&](size_t i) { return PointIn(vertices, size_t(indices[i])); });
  }
  return result;
}

int32_t ConvertTriGrid(SConversion& c, const MetafileObject& o) {
  const uint32_t rows = CountAt(o, 0), columns = CountAt(o, 1);
  const auto vertex = [&](uint32_t row, uint32_t column) { return PointAt(o, 2, size_t(row) * columns + column); };
  int32_t result = kConverted;
  for (uint32_t r = 0; r + 1 < rows && result == kConverted; ++r) {
    for (uint32_t col = 0; col + 1 < columns && result == kConverted; ++col) {
      const SPoint a = vertex(r, col), b = vertex(r, col + 1), d = vertex(r + 1, col), e = vertex(r + 1, col + 1);
      result = EmitTriangle(c, b, d, a);
      if (result == kConverted) result = EmitTriangle(c, b, e, d);
    }
  }
  return result;
}

int32_t ConvertBox(SConversion& c, const MetafileObject& o) {
  const SPoint a = PointAt(o, 0), b = PointAt(o, 1), cc = PointAt(o, 2), origin = PointAt(o, 3);
  const SPoint p[8] = {origin,         origin + a,     origin + a + b,      origin + b,
                       origin + b + cc, origin + a + b + cc, origin + a + cc, origin + cc};
  constexpr int32_t kFaces[12][3] = {{0, 1, 2}, {2, 3, 0}, {3, 2, 5}, {5, 4, 3}, {4, 5, 6}, {6, 7, 4},
                                     {7, 6, 1}, {1, 0, 7}, {2, 1, 6}, {6, 5, 2}, {3, 4, 7}, {7, 0, 3}};
  int32_t result = kConverted;
  for (size_t f = 0; f < std::size(kFaces) && result == kConverted; ++f)
    result = EmitTriangle(c, p[kFaces[f][0]], p[kFaces[f][1]], p[kFaces[f][2]]);
  return result;
}

// The point at step k of the rim spanned by the two axes around the centre.
SPoint Rim(const SPoint& centre, const SPoint& major, const SPoint& minor, int32_t k) {
  const double angle = (k % kRoundSteps) * kStepDegrees * kRadiansPerDegree;
  return centre + std::sin(angle) * major + std::cos(angle) * minor;
}

int32_t ConvertEllipse(SConversion& c, const MetafileObject& o) {
  const SPoint major = PointAt(o, 0), minor = PointAt(o, 1), origin = PointAt(o, 2);
  int32_t result = kConverted;
  for (int32_t k = 0; k < kRoundSteps && result == kConverted; ++k)
    result = EmitSegment(c, Rim(origin, major, minor, k), Rim(origin, major, minor, k + 1));
  return result;
}

// Triangles from each step of the rim to the tip and the next step.
int32_t EmitFan(SConversion& c, const SPoint& centre, const SPoint& major, const SPoint& minor, const SPoint& tip) {
  int32_t result = kConverted;
  for (int32_t k = 0; k < kRoundSteps && result == kConverted; ++k)
    result = EmitTriangle(c, Rim(centre, major, minor, k), tip, Rim(centre, major, minor, k + 1));
  return result;
}

int32_t ConvertDisk(SConversion& c, const MetafileObject& o) {
  const SPoint origin = PointAt(o, 2);
  return EmitFan(c, origin, PointAt(o, 0), PointAt(o, 1), origin);
}

int32_t ConvertCone(SConversion& c, const MetafileObject& o) {
  const SPoint origin = PointAt(o, 3);
  return EmitFan(c, origin, PointAt(o, 1), PointAt(o, 2), origin + PointAt(o, 0));
}

int32_t ConvertCylinder(SConversion& c, const MetafileObject& o) {
  const SPoint axis = PointAt(o, 0), major = PointAt(o, 1), minor = PointAt(o, 2), origin = PointAt(o, 3);
  int32_t result = kConverted;
  for (int32_t k = 0; k < kRoundSteps && result == kConverted; ++k) {
    const SPoint bottom = Rim(origin, major, minor, k), nextBottom = Rim(origin, major, minor, k + 1);
    result = EmitTriangle(c, bottom, bottom + axis, nextBottom + axis);
    if (result == kConverted) result = EmitTriangle(c, nextBottom + axis, nextBottom, bottom);
  }
  return result;
}

// 39 rings of 40 points between the poles origin ± axis; 40 bands of triangles.
int32_t ConvertEllipsoid(SConversion& c, const MetafileObject& o) {
  const SPoint axis = PointAt(o, 0), major = PointAt(o, 1), minor = PointAt(o, 2), origin = PointAt(o, 3);
  const auto ring = [&](int32_t i, int32_t j) {
    const double polar = i * kEllipsoidStep, azimuth = 2 * (j % kRoundSteps) * kEllipsoidStep;
    return origin + std::cos(polar) * axis +
           std::sin(polar) * (std::cos(azimuth) * major + std::sin(azimuth) * minor);
  };
  const SPoint north = origin + axis, south = origin - axis;
  int32_t result = kConverted;
  for (int32_t j = 0; j < kRoundSteps && result == kConverted; ++j) result = EmitTriangle(c, north, ring(1, j + 1), ring(1, j));
  for (int32_t i = 1; i < kEllipsoidRings && result == kConverted; ++i) {
    for (int32_t j = 0; j < kRoundSteps && result == kConverted; ++j) {
      result = EmitTriangle(c, ring(i, j), ring(i, j + 1), ring(i + 1, j + 1));
      if (result == kConverted) result = EmitTriangle(c, ring(i + 1, j + 1), ring(i + 1, j), ring(i, j));
    }
  }
  for (int32_t j = 0; j < kRoundSteps && result == kConverted; ++j)
    result = EmitTriangle(c, ring(kEllipsoidRings, j), ring(kEllipsoidRings, j + 1), south);
  return result;
}

// current ← current × m.
void Compose(SConversion& c, const float (&m)[16]) {
  float* current = c.levels[c.current].matrix;
  float product[16];
  for (int32_t row = 0; row < 4; ++row)
    for (int32_t column = 0; column < 4; ++column) {
      float sum = 0;
      for (int32_t k = 0; k < 4; ++k) sum += current[row * 4 + k] * m[k * 4 + column];
      product[row * 4 + column] = sum;
    }
  std::copy(product, product + 16, current);
}

int32_t ConvertTranslate(SConversion& c, const MetafileObject& o) {
  const std::vector<float>& d = o.fields[0].floats;
  const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, d[0], d[1], d[2], 1};
  Compose(c, m);
  return kConverted;
}

int32_t ConvertScale(SConversion& c, const MetafileObject& o) {
  const std::vector<float>& s = o.fields[0].floats;
  const float m[16] = {s[0], 0, 0, 0, 0, s[1], 0, 0, 0, 0, s[2], 0, 0, 0, 0, 1};
  Compose(c, m);
  return kConverted;
}

// Replaces what the level held.
int32_t ConvertMatrix(SConversion& c, const MetafileObject& o) {
  const std::vector<float>& m = o.fields[0].floats;
  std::copy(m.begin(), m.end(), c.levels[c.current].matrix);
  return kConverted;
}

struct SConverter {
  uint32_t code;
  int32_t (*convert)(SConversion&, const MetafileObject&);
};

constexpr SConverter kConverters[] = {
    {MetafileCode("pnt "), ConvertPoint},       {MetafileCode("line"), ConvertLine},
    {MetafileCode("plyl"), ConvertPolyLine},    {MetafileCode("trng"), ConvertTriangle},
    {MetafileCode("plyg"), ConvertPolygon},     {MetafileCode("gpgn"), ConvertGeneralPolygon},
    {MetafileCode("mesh"), ConvertMesh},        {MetafileCode("trig"), ConvertTriGrid},
    {MetafileCode("box "), ConvertBox},         {MetafileCode("elps"), ConvertEllipse},
    {MetafileCode("cyln"), ConvertCylinder},    {MetafileCode("disk"), ConvertDisk},
    {MetafileCode("cone"), ConvertCone},        {MetafileCode("elpd"), ConvertEllipsoid},
    {MetafileCode("nrbc"), ConvertNurbCurve},   {MetafileCode("nrbp"), ConvertNurbPatch},
    {MetafileCode("trns"), ConvertTranslate},   {MetafileCode("scal"), ConvertScale},
    {MetafileCode("mtrx"), ConvertMatrix},
};

}  // namespace

void ResetGroups(SConversion& conversion) {
  conversion.current = 0;
  conversion.levels[0].parent = -1;
  std::copy(kIdentity, kIdentity + 16, conversion.levels[0].matrix);
}

bool BeginGroup(SConversion& conversion) {
  if (conversion.current + 1 >= kGroupLevels) return false;
  SGroupLevel& level = conversion.levels[conversion.current + 1];
  level.parent = conversion.current;
  std::copy(kIdentity, kIdentity + 16, level.matrix);
  ++conversion.current;
  return true;
}

void EndGroup(SConversion& conversion) {
  if (conversion.current > 0) conversion.current = conversion.levels[conversion.current].parent;
}

void TransformPoint(const SConversion& conversion, const SPoint& point, float out[3]) {
  float x = float(point.x), y = float(point.y), z = float(point.z);
  for (int32_t level = conversion.current; level >= 0; level = conversion.levels[level].parent) {
    const float* m = conversion.levels[level].matrix;
    const float tx = x * m[0] + y * m[4] + z * m[8] + m[12];
    const float ty = x * m[1] + y * m[5] + z * m[9] + m[13];
    const float tz = x * m[2] + y * m[6] + z * m[10] + m[14];
    x = tx;
    y = ty;
    z = tz;
  }
  out[0] = x;
  out[1] = y;
  out[2] = -z;
}

int32_t EmitTriangle(SConversion& conversion, const SPoint& a, const SPoint& b, const SPoint& c) {
  if (conversion.recording)
    conversion.recording->push_back({float(a.x), float(a.y), float(a.z), float(b.x), float(b.y), float(b.z),
                                     float(c.x), float(c.y), float(c.z)});
  float corners[3][3];
  TransformPoint(conversion, a, corners[0]);
  TransformPoint(conversion, b, corners[1]);
  TransformPoint(conversion, c, corners[2]);
  for (const auto& corner : corners)
    for (float value : corner)
      if (!std::isfinite(value)) return kConverted;
  const int32_t answer = conversion.addTriangle(conversion.document, conversion.mesh, corners[0], corners[1], corners[2]);
  return answer == 0 ? kConverted : kConversionFailed;
}

// The transforms start from single precision, so the recorded corners give what the first conversion
// gave, bit for bit.
int32_t EmitRecorded(SConversion& conversion, const STriangleCorners& c) {
  return EmitTriangle(conversion, {c[0], c[1], c[2]}, {c[3], c[4], c[5]}, {c[6], c[7], c[8]});
}

int32_t ConvertObject(SConversion& conversion, const MetafileObject& object) {
  for (const SConverter& converter : kConverters) {
    if (converter.code != object.classCode) continue;
    if (IsCostlyToConvert(object.classCode)) ++gConverted;
    return converter.convert(conversion, object);
  }
  return kConverted;
}

bool IsCostlyToConvert(uint32_t classCode) {
  for (uint32_t costly : {MetafileCode("plyg"), MetafileCode("gpgn"), MetafileCode("mesh"), MetafileCode("nrbc"),
                          MetafileCode("nrbp")})
    if (classCode == costly) return true;
  return false;
}

uint64_t ConvertedObjectCount() { return gConverted; }
