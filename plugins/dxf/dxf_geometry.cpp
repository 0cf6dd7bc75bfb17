#include "plugins/dxf/dxf_geometry.h"

#include <algorithm>
#include <cmath>

#include "plugins/dxf/dxf_entity_reader.h"
#include "plugins/dxf/dxf_state.h"
#include "plugins/dxf/dxf_text.h"
#include "plugins/dxf/dxf_tokens.h"
#include "plugins/dxf/polygon_store.h"

namespace {

constexpr double kArbitraryAxisBound = 1.0 / 64.0;
constexpr int32_t kProgressStep = 10;
constexpr int64_t kExpansionReportStep = 512;  // units of work
// Bounds of block expansion, so that a few lines of a drawing cannot make the import run without
// end: inserts nested so deep, so many block instances, so much work converting what they hold. The
// work of an entity is 1 and 1 more for each of its vertices.
constexpr int32_t kMostInsertLevels = 16;
constexpr int64_t kMostBlockInstances = 1 << 20;
constexpr int64_t kMostExpansionWork = 1 << 20;

SVec3 Cross(const SVec3& a, const SVec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

bool Normalise(SVec3& v) {
  const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0)) return false;
  v = {v.x / length, v.y / length, v.z / length};
  return true;
}

// The insert's transform of a block point, without the insert's extrusion.
SVec3 BlockTransform(const SVec3& point, const SInsertRecord& insert) {
  const SBlock& block = *insert.block->block;
  const double x = (point.x + insert.offsetX - block.base.x) * insert.scale.x;
  const double y = (point.y + insert.offsetY - block.base.y) * insert.scale.y;
  const double angle = insert.rotation * kRadiansPerDegree;
  const double c = std::cos(angle), s = std::sin(angle);
  const double lift = insert.header.elevation + insert.point.z;
  const double drop = block.base.z + block.elevation;
  double z = (point.z - drop) * insert.scale.z + lift;
  if (lift == 0) z += drop;
  return {x * c - y * s + insert.point.x, y * c + x * s + insert.point.y, z};
}

void ConvertPoint(const SConversion& conversion, const SPointRecord& point) {
  // With a thickness a point is a line, which has no area.
  if (point.header.thickness != 0) return;
  const int32_t vertex = AddPoint(conversion, Raised(point.location, point.header.elevation));
  if (vertex < 0) return;
  for (int i = 0; i < 3; ++i) AddIndex(vertex);
  EndPolygon(conversion.colour, conversion.layer);
}

void ConvertLine(const SConversion& conversion, const SLineRecord& line) {
  const double thickness = line.header.thickness;
  if (thickness == 0) return;
  const double elevation = line.header.kind == kTokenLine ? line.header.elevation : 0;
  const SVec3 a = Raised(line.start, elevation), b = Raised(line.end, elevation);
  const SVec3& n = line.header.extrusion;
  const SVec3 lift = {n.x * thickness, n.y * thickness, n.z * thickness};
  const SVec3 corners[4] = {a, b, {b.x + lift.x, b.y + lift.y, b.z + lift.z}, {a.x + lift.x, a.y + lift.y, a.z + lift.z}};
  int32_t vertices[4];
  for (int i = 0; i < 4; ++i)
    if ((vertices[i] = AddPoint(conversion, corners[i])) < 0) return;
  Quad(conversion, vertices, false);
}

SVec3 OnCircle(const SVec3& centre, double radius, double degrees, double z) {
  const double angle = degrees * kRadiansPerDegree;
  return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle), z};
}

// Only its wall: an arc without thickness has no area.
void ConvertArc(const SConversion& conversion, const SArcRecord& arc) {
  const double thickness = arc.header.thickness;
  if (thickness == 0) return;
  double sweep = arc.endAngle - arc.startAngle;
  if (sweep < 0) sweep = std::fmod(sweep, 360.0);  // raised by whole turns while below the start
  if (sweep < 0) sweep += 360.0;
  const double z = arc.centre.z + arc.header.elevation;
  SVec3 from = OnCircle(arc.centre, arc.radius, arc.startAngle, z);
  for (int32_t k = 1; k <= kArcSegments && !Failed(); ++k) {
    const SVec3 to = OnCircle(arc.centre, arc.radius, arc.startAngle + sweep * k / kArcSegments, z);
    WideSegment(conversion, {from, to, 0, 0}, nullptr, nullptr, thickness);
    from = to;
  }
}

// A fan of 20 triangles around the centre; with a thickness a top fan and 20 walls.
void ConvertCircle(const SConversion& conversion, const SCircleRecord& circle) {
  const double thickness = circle.header.thickness;
  const bool raised = thickness > 0;
  const double z = circle.centre.z + circle.header.elevation;
  const int32_t levels = thickness != 0 ? 2 : 1;
  int32_t rim[2] = {}, centre[2] = {};
  for (int32_t level = 0; level < levels; ++level) {
    const double levelZ = z + level * thickness;
    rim[level] = gImport.store.vertexCount;
    for (int32_t k = 0; k < kArcSegments; ++k)
      if (AddPoint(conversion, OnCircle(circle.centre, circle.radius, k * 18.0, levelZ)) < 0) return;
    if ((centre[level] = AddPoint(conversion, {circle.centre.x, circle.centre.y, levelZ})) < 0) return;
  }
  for (int32_t level = 0; level < levels; ++level) {
    const bool reversed = level == 0 ? !raised : raised;
    for (int32_t k = 0; k < kArcSegments; ++k) {
      const int32_t start = gImport.store.indexCount;
      AddIndex(rim[level] + k);
      AddIndex(centre[level]);
      AddIndex(rim[level] + (k + 1) % kArcSegments);
      EndPolygon(conversion.colour, conversion.layer);
      if (reversed) ReversePolygon(start);
    }
  }
  if (levels < 2) return;
  for (int32_t k = 0; k < kArcSegments; ++k) {
    const int32_t next = (k + 1) % kArcSegments;
    Quad(conversion, {rim[0] + k, rim[0] + next, rim[1] + next, rim[1] + k}, raised);
  }
}

// SOLID and TRACE take their corners in the order 1, 2, 4, 3.
void ConvertSolid(const SConversion& conversion, const SFaceRecord& face) {
  const double elevation = face.header.elevation;
  SPathPoint points[4] = {};
  const int order[4] = {0, 1, 3, 2};
  const int32_t count = face.cornerCount == 4 ? 4 : 3;
  for (int32_t i = 0; i < count; ++i)
    points[i].point = Raised(face.corners[count == 4 ? order[i] : i], elevation);
  ExtrudedFace(conversion, points, count, face.header.thickness);
}

void Convert3dFace(const SConversion& conversion, const SFaceRecord& face) {
  const int32_t count = face.cornerCount == 4 ? 4 : 3;
  const int32_t first = gImport.store.vertexCount;
  for (int32_t i = 0; i < count; ++i)
    if (AddPoint(conversion, face.corners[i]) < 0) return;
  PolygonOfRange(conversion, first, count, false);
}

template <typename Record>
const Record& As(const SEntity& entity) {
  return reinterpret_cast<const Record&>(entity);
}

int64_t Work(const SEntity& entity) {
  return 1 + (entity.kind == kTokenPolyline ? As<SPolylineRecord>(entity).vertices.count : 0);
}

bool Skipped(const SEntity& entity) {
  const SLayer* layer = entity.layer ? entity.layer->layer : nullptr;
  return (layer && !layer->visible) || entity.paperSpace != 0;
}

// A nested insert, flattened into one insert in the coordinates of the one that holds it.
SInsertRecord Flatten(const SInsertRecord& nested, const SInsertRecord& outer) {
  SInsertRecord flat = nested;
  flat.header.extrusion = outer.header.extrusion;
  flat.point = BlockTransform(ToWorld(nested.point, nested.header.extrusion), outer);
  flat.scale = {nested.scale.x * outer.scale.x, nested.scale.y * outer.scale.y, nested.scale.z * outer.scale.z};
  flat.rotation = nested.rotation + outer.rotation;
  return flat;
}

void ConvertInsert(const SInsertRecord& insert, const SInsertRecord* context) {
  if (!insert.block || !insert.block->block) return;
  if (gImport.insertDepth >= kMostInsertLevels) {
    SetError(kDxfInvalidNesting);
    return;
  }
  SBlock& block = *insert.block->block;
  const int64_t columns = std::max(insert.columns, 0), rows = std::max(insert.rows, 0);
  if (!block.work)
    for (const SEntity* entity = block.entities.first; entity; entity = entity->next) block.work += Work(*entity);
  const int64_t copies = columns * rows;
  // An array with no rows or no columns places nothing, however large its other count.
  if (copies == 0) return;
  gImport.instances += copies;
  if (gImport.instances <= kMostBlockInstances) gImport.workToExpand += copies * block.work;
  if (gImport.instances > kMostBlockInstances || gImport.workToExpand > kMostExpansionWork) {
    SetError(kDxfTooManyInstances);
    return;
  }
  const SList<SEntity>& entities = block.entities;
  SInsertRecord placed = context ? Flatten(insert, *context) : insert;
  ++gImport.insertDepth;
  for (int64_t column = 0; column < columns && !Failed(); ++column) {
    for (int64_t row = 0; row < rows && !Failed(); ++row) {
      placed.offsetX = double(column) * insert.columnSpacing;
      placed.offsetY = double(row) * insert.rowSpacing;
      ConvertEntities(entities, &placed);
    }
  }
  --gImport.insertDepth;
}

void ConvertEntity(const SEntity& entity, const SInsertRecord* context) {
  const SConversion conversion = {&entity, context, ResolveColour(entity), entity.layer, true};
  SConversion world = conversion;
  world.objectCoordinates = false;
  switch (entity.kind) {
    case kTokenPoint: ConvertPoint(world, As<SPointRecord>(entity)); break;
    case kTokenLine:
    case kToken3dLine: ConvertLine(world, As<SLineRecord>(entity)); break;
    case kTokenArc: ConvertArc(conversion, As<SArcRecord>(entity)); break;
    case kTokenCircle: ConvertCircle(conversion, As<SCircleRecord>(entity)); break;
    case kTokenSolid:
    case kTokenTrace: ConvertSolid(conversion, As<SFaceRecord>(entity)); break;
    case kToken3dFace: Convert3dFace(world, As<SFaceRecord>(entity)); break;
    case kTokenPolyline: ConvertPolyline(conversion, As<SPolylineRecord>(entity)); break;
    case kTokenInsert: ConvertInsert(As<SInsertRecord>(entity), context); break;
    case kTokenText: ConvertText(conversion, As<STextRecord>(entity)); break;
    case kTokenShape: ConvertShape(conversion, As<SShapeRecord>(entity)); break;
    default: return;  // dimensions, attributes and viewports are not drawn
  }
  if (!Failed()) EmitPolygons();
}

}  // namespace

SVec3 ToWorld(const SVec3& point, const SVec3& extrusion) {
  if (extrusion.x == 0 && extrusion.y == 0 && extrusion.z == 1) return point;
  SVec3 n = extrusion;
  if (!Normalise(n)) return point;
  SVec3 xAxis = std::fabs(n.x) < kArbitraryAxisBound && std::fabs(n.y) < kArbitraryAxisBound
                    ? Cross({0, 1, 0}, n)
                    : Cross({0, 0, 1}, n);
  Normalise(xAxis);
  const SVec3 yAxis = Cross(n, xAxis);
  return {point.x * xAxis.x + point.y * yAxis.x + point.z * n.x,
          point.x * xAxis.y + point.y * yAxis.y + point.z * n.y,
          point.x * xAxis.z + point.y * yAxis.z + point.z * n.z};
}

SVec3 ApplyInsert(const SVec3& point, const SInsertRecord* context) {
  if (!context) return point;
  return ToWorld(BlockTransform(point, *context), context->header.extrusion);
}

int32_t AddPoint(const SConversion& conversion, const SVec3& point) {
  const SVec3 world = conversion.objectCoordinates ? ToWorld(point, conversion.entity->extrusion) : point;
  const SVec3 placed = ApplyInsert(world, conversion.context);
  return AddVertex(placed.x, placed.y, placed.z);
}

void PolygonOfRange(const SConversion& conversion, int32_t first, int32_t count, bool reversed) {
  const int32_t start = gImport.store.indexCount;
  for (int32_t i = 0; i < count; ++i) AddIndex(first + i);
  EndPolygon(conversion.colour, conversion.layer);
  if (reversed && !Failed()) ReversePolygon(start);
}

void Quad(const SConversion& conversion, const int32_t (&vertices)[4], bool reversed) {
  const int32_t start = gImport.store.indexCount;
  for (int32_t vertex : vertices) AddIndex(vertex);
  EndPolygon(conversion.colour, conversion.layer);
  if (reversed && !Failed()) ReversePolygon(start);
}

void ExtrudedFace(const SConversion& conversion, const SPathPoint* points, int32_t count, double thickness) {
  const bool raised = thickness > 0;
  const int32_t base = gImport.store.vertexCount;
  for (int32_t i = 0; i < count; ++i)
    if (AddPoint(conversion, points[i].point) < 0) return;
  PolygonOfRange(conversion, base, count, !raised);
  if (thickness == 0) return;
  const int32_t top = gImport.store.vertexCount;
  for (int32_t i = 0; i < count; ++i)
    if (AddPoint(conversion, Raised(points[i].point, thickness)) < 0) return;
  PolygonOfRange(conversion, top, count, raised);
  for (int32_t i = 0; i < count && !Failed(); ++i) {
    const int32_t next = (i + 1) % count;
    Quad(conversion, {base + i, base + next, top + next, top + i}, raised);
  }
}

bool ReportEntries() {
  const int32_t done = std::min(gImport.entry, gImport.lastEntry);
  if (ReportProgress(gImport.texts.processing, done, gImport.lastEntry) == 0) return true;
  SetError(kDxfCancelled);
  return false;
}

// Inside inserted blocks the progress stays at the insert's entry, reported again now and then, so
// that a long expansion can be cancelled.
void ConvertEntities(const SList<SEntity>& list, const SInsertRecord* context) {
  for (const SEntity* entity = list.first; entity && !Failed(); entity = entity->next) {
    if (context) {
      const int64_t before = gImport.workExpanded / kExpansionReportStep;
      gImport.workExpanded += Work(*entity);
      if (gImport.workExpanded / kExpansionReportStep != before && !ReportEntries()) return;
    }
    if (!Skipped(*entity)) ConvertEntity(*entity, context);
  }
}

void ConvertDrawing() {
  const SList<SEntity>& list = gImport.drawing.entities;
  gImport.lastEntry = list.count - 1;
  for (const SEntity* entity = list.first; entity && !Failed(); entity = entity->next) {
    const int32_t k = ++gImport.entry;
    if ((k % kProgressStep == 0 || k == gImport.lastEntry) && !ReportEntries()) return;
    if (!Skipped(*entity)) ConvertEntity(*entity, nullptr);
  }
}
