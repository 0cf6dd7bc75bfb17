// Polylines (2D and 3D paths, polygon meshes, polyface meshes) and the wide-segment rule.
#include <algorithm>
#include <cmath>

#include "plugins/dxf/dxf_geometry.h"
#include "plugins/dxf/dxf_state.h"
#include "plugins/dxf/dxf_tokens.h"
#include "plugins/dxf/plugin_memory.h"
#include "plugins/dxf/polygon_store.h"

namespace {

constexpr double kShortest = 1e-6;  // side vectors and mitre determinants below this are not used
constexpr double kNoChord = 1e-12;

SVec3 Along(const SVec3& point, const SVec3& side, double by) {
  return {point.x + side.x * by, point.y + side.y * by, point.z + side.z * by};
}

// B - A turned a quarter turn in x-y, normalised; false when too short.
bool SideVector(const SSegment& segment, SVec3& side) {
  const SVec3 d = {segment.b.x - segment.a.x, segment.b.y - segment.a.y, segment.b.z - segment.a.z};
  side = {d.y, -d.x, d.z};
  const double length = std::sqrt(side.x * side.x + side.y * side.y + side.z * side.z);
  if (length < kShortest) return false;
  side = {side.x / length, side.y / length, side.z / length};
  return true;
}

// The band's corners: start minus side, start plus side, end plus side, end minus side.
bool Band(const SSegment& segment, SVec3 (&corners)[4]) {
  SVec3 side;
  if (!SideVector(segment, side)) return false;
  corners[0] = Along(segment.a, side, -segment.startWidth / 2);
  corners[1] = Along(segment.a, side, segment.startWidth / 2);
  corners[2] = Along(segment.b, side, segment.endWidth / 2);
  corners[3] = Along(segment.b, side, -segment.endWidth / 2);
  return true;
}

// Moves corner in x-y to where the line p1-p2 meets the line q1-q2, unless they are about parallel.
void Meet(SVec3& corner, const SVec3& p1, const SVec3& p2, const SVec3& q1, const SVec3& q2) {
  const double d1x = p2.x - p1.x, d1y = p2.y - p1.y, d2x = q2.x - q1.x, d2y = q2.y - q1.y;
  const double determinant = d1x * d2y - d1y * d2x;
  if (std::fabs(determinant) < kShortest) return;
  const double t = ((q1.x - p1.x) * d2y - (q1.y - p1.y) * d2x) / determinant;
  corner.x = p1.x + t * d1x;
  corner.y = p1.y + t * d1y;
}

void Mitre(SVec3 (&corners)[4], const SSegment* neighbour, bool atStart) {
  SVec3 other[4];
  if (!neighbour || !Band(*neighbour, other)) return;
  const SVec3 minusFrom = corners[0], minusTo = corners[3], plusFrom = corners[1], plusTo = corners[2];
  Meet(corners[atStart ? 0 : 3], minusFrom, minusTo, other[0], other[3]);
  Meet(corners[atStart ? 1 : 2], plusFrom, plusTo, other[1], other[2]);
}

bool AddPoints(const SConversion& conversion, const SVec3* points, int32_t count, int32_t* vertices) {
  for (int32_t i = 0; i < count; ++i)
    if ((vertices[i] = AddPoint(conversion, points[i])) < 0) return false;
  return true;
}

void WideBand(const SConversion& conversion, const SSegment& segment, const SSegment* previous,
              const SSegment* next, double thickness) {
  SVec3 base[4];
  if (!Band(segment, base)) return;
  Mitre(base, previous, true);
  Mitre(base, next, false);
  const int32_t count = thickness != 0 ? 8 : 4;
  SVec3 corners[8];
  for (int32_t i = 0; i < count; ++i) corners[i] = i < 4 ? base[i] : Raised(base[i - 4], thickness);
  int32_t v[8];
  if (!AddPoints(conversion, corners, count, v)) return;
  Quad(conversion, {v[0], v[1], v[2], v[3]}, false);
  if (thickness == 0) return;
  Quad(conversion, {v[4], v[5], v[6], v[7]}, true);
  Quad(conversion, {v[0], v[3], v[7], v[4]}, false);
  Quad(conversion, {v[1], v[5], v[6], v[2]}, false);
  if (!previous) Quad(conversion, {v[0], v[4], v[5], v[1]}, false);
  if (!next) Quad(conversion, {v[3], v[2], v[6], v[7]}, false);
}

const SEntity* AsEntity(const SVertexRecord* vertex) { return reinterpret_cast<const SEntity*>(vertex); }

// The vertices of a path that count: not the spline control points.
bool Counts(const SEntity* vertex) { return !(reinterpret_cast<const SVertexRecord*>(vertex)->flags & kVertexControlPoint); }

const SVertexRecord* NextCounted(const SEntity* entity) {
  for (entity = entity->next; entity && !Counts(entity); entity = entity->next) {
  }
  return reinterpret_cast<const SVertexRecord*>(entity);
}

// Where the path points go: at most capacity of them; overflowing when there would be more.
struct SPath {
  SPathPoint* points;
  int32_t capacity;
  int32_t count;
  bool overflowing;

  void Add(const SVec3& point, double startWidth, double endWidth) {
    if (count == capacity) {
      overflowing = true;
      return;
    }
    points[count++] = {point, startWidth, endWidth};
  }
};

// The 20 points from a along the arc of the bulge towards b, widths stepping from w0 to w1; false
// when the arc cannot be formed.
bool AddBulge(SPath& path, const SVec3& a, const SVec3& b, double bulge, double w0, double w1) {
  SBulgeArc arc;
  if (!BulgeArcOf(a, b, bulge, arc)) return false;
  for (int32_t k = 0; k < kArcSegments; ++k) {
    const double along = arc.start + arc.turn * arc.angle * k / kArcSegments;
    const SVec3 point = k == 0 ? a
                               : SVec3{arc.centre.x + arc.radius * std::cos(along),
                                       arc.centre.y + arc.radius * std::sin(along), a.z};
    path.Add(point, w0 + (w1 - w0) * k / kArcSegments, w0 + (w1 - w0) * (k + 1) / kArcSegments);
  }
  return true;
}

void CollectPath(const SPolylineRecord& polyline, bool is3d, SPath& path) {
  const bool closed = polyline.flags & kPolylineClosed;
  const SEntity* head = polyline.vertices.first;
  const SVertexRecord* first = !head || Counts(head) ? reinterpret_cast<const SVertexRecord*>(head) : NextCounted(head);
  const auto position = [&](const SVertexRecord& vertex) {
    return is3d ? vertex.location : Raised(vertex.location, polyline.elevationZ);
  };
  for (const SVertexRecord* vertex = first; vertex && !path.overflowing; vertex = NextCounted(AsEntity(vertex))) {
    const SVertexRecord* next = NextCounted(AsEntity(vertex));
    if (!next && closed) next = first;
    const double w0 = is3d ? 0 : vertex->startWidth, w1 = is3d ? 0 : vertex->endWidth;
    const SVec3 at = position(*vertex);
    if (vertex->bulge != 0 && next && next != vertex && AddBulge(path, at, position(*next), vertex->bulge, w0, w1))
      continue;
    path.Add(at, w0, w1);
  }
}

void SegmentsOfPath(const SConversion& conversion, const SPath& path, bool closed, double thickness) {
  const int32_t n = path.count;
  const int32_t segments = n < 2 ? 0 : closed ? n : n - 1;
  const auto segment = [&](int32_t i) {
    const SPathPoint& from = path.points[i];
    return SSegment{from.point, path.points[(i + 1) % n].point, from.startWidth, from.endWidth};
  };
  for (int32_t i = 0; i < segments && !Failed(); ++i) {
    const bool hasPrevious = i > 0 || closed, hasNext = i + 1 < segments || closed;
    const SSegment previous = segment((i + segments - 1) % segments), next = segment((i + 1) % segments);
    WideSegment(conversion, segment(i), hasPrevious ? &previous : nullptr, hasNext ? &next : nullptr, thickness);
  }
}

bool HasControlPoints(const SPolylineRecord& polyline) {
  for (const SEntity* vertex = polyline.vertices.first; vertex; vertex = vertex->next)
    if (!Counts(vertex)) return true;
  return false;
}

// What a path needs before its points are made: how many there can be, and whether it can give any
// polygon at all (a path without fill, width or thickness has no area).
struct SPathSize {
  int64_t mostPoints;
  bool drawn;
};

SPathSize SizeOfPath(const SPolylineRecord& polyline, bool is3d) {
  int64_t counted = 0, bulged = 0;
  bool wide = false;
  for (const SEntity* entity = polyline.vertices.first; entity; entity = entity->next) {
    const auto* vertex = reinterpret_cast<const SVertexRecord*>(entity);
    if (!Counts(entity)) continue;
    ++counted;
    bulged += vertex->bulge != 0;
    wide |= !is3d && (vertex->startWidth != 0 || vertex->endWidth != 0);
  }
  const int64_t most = counted + (kArcSegments - 1) * bulged;
  const bool fillable = (polyline.flags & kPolylineClosed) && most >= 3;
  return {std::min<int64_t>(most, kStoreCapacity + 1), fillable || wide || polyline.header.thickness != 0};
}

// A 2D or 3D polyline: a closed one of three points or more is a filled face, any other a run of
// segments.
void ConvertPath(const SConversion& conversion, const SPolylineRecord& polyline, bool is3d) {
  const bool fitted = polyline.flags & (kPolylineCurveFit | kPolylineSplineFit);
  const int32_t smooth = polyline.smoothType;
  if (HasControlPoints(polyline) && !fitted && (smooth == 5 || smooth == 6 || smooth == 8)) return;
  const SPathSize size = SizeOfPath(polyline, is3d);
  if (!size.drawn || size.mostPoints == 0) return;
  SPath path = {static_cast<SPathPoint*>(CountedAlloc(size_t(size.mostPoints) * sizeof(SPathPoint))),
                int32_t(size.mostPoints), 0, false};
  if (!path.points) {
    SetError(kDxfOutOfMemory);
    return;
  }
  CollectPath(polyline, is3d, path);
  const bool closed = polyline.flags & kPolylineClosed;
  const double thickness = polyline.header.thickness;
  if (path.overflowing) SetError(kDxfTooManyVertices);
  else if (closed && path.count >= 3) ExtrudedFace(conversion, path.points, path.count, thickness);
  else SegmentsOfPath(conversion, path, closed, thickness);
  CountedFree(path.points);
}

// The polyline's vertices flagged as mesh vertices, numbered from 1 by their place in the array.
struct SMeshVertices {
  const SVertexRecord** vertices;
  int64_t count;

  const SVertexRecord* At(int64_t number) const {
    return number >= 1 && number <= count ? vertices[number - 1] : nullptr;
  }
};

bool CollectMeshVertices(const SPolylineRecord& polyline, SMeshVertices& mesh) {
  mesh = {static_cast<const SVertexRecord**>(
              CountedAlloc(size_t(std::max(polyline.vertices.count, 1)) * sizeof(SVertexRecord*))),
          0};
  if (!mesh.vertices) {
    SetError(kDxfOutOfMemory);
    return false;
  }
  for (const SEntity* entity = polyline.vertices.first; entity; entity = entity->next) {
    const auto* vertex = reinterpret_cast<const SVertexRecord*>(entity);
    if (vertex->flags & kVertexMesh) mesh.vertices[mesh.count++] = vertex;
  }
  return true;
}

// The corners that exist, in order; polygons of fewer than three give nothing and are left out.
void MeshPolygon(const SConversion& conversion, const SMeshVertices& mesh, const int64_t* numbers, int32_t count) {
  const int32_t first = gImport.store.vertexCount;
  int32_t corners = 0;
  for (int32_t i = 0; i < count; ++i) {
    const SVertexRecord* vertex = mesh.At(numbers[i]);
    if (!vertex) continue;
    if (AddPoint(conversion, vertex->location) < 0) return;
    ++corners;
  }
  if (corners >= 3) PolygonOfRange(conversion, first, corners, false);
  else gImport.store.vertexCount = first;
}

// Rows and columns whose corners all lie past the vertices present are not visited, so a mesh that
// claims more than it holds costs no more than what it holds.
void PolygonMeshFaces(const SConversion& conversion, const SPolylineRecord& polyline, const SMeshVertices& mesh) {
  const int64_t m = polyline.meshM, n = polyline.meshN;
  if (m < 1 || n < 1) return;
  const bool closedM = polyline.flags & kPolylineClosed, closedN = polyline.flags & kPolylineMeshClosedN;
  const int64_t lastRow = closedM ? m : m - 1, lastColumn = closedN ? n - 1 : n - 2;
  for (int64_t i = 1; i <= lastRow && (i - 1) * n + 1 <= mesh.count && !Failed(); ++i) {
    const int64_t c = closedM && i == m ? 0 : i;
    for (int64_t j = 0; j <= lastColumn && !Failed(); ++j) {
      const int64_t d = closedN && j + 1 == n ? 0 : j + 1;
      const int64_t numbers[4] = {(i - 1) * n + j + 1, c * n + j + 1, c * n + d + 1, (i - 1) * n + d + 1};
      if (std::min(numbers[0], numbers[1]) > mesh.count) break;
      MeshPolygon(conversion, mesh, numbers, 4);
    }
  }
}

// Each face vertex names up to four mesh vertices; a negative number only hides an edge.
void PolyfaceFaces(const SConversion& conversion, const SPolylineRecord& polyline, const SMeshVertices& mesh) {
  for (const SEntity* entity = polyline.vertices.first; entity && !Failed(); entity = entity->next) {
    const auto* face = reinterpret_cast<const SVertexRecord*>(entity);
    if (!(face->flags & kVertexFace) || (face->flags & kVertexMesh)) continue;
    int64_t numbers[4];
    int32_t count = 0;
    for (int32_t corner : face->indices) {
      if (corner == 0) break;
      numbers[count++] = corner < 0 ? -int64_t(corner) : corner;
    }
    MeshPolygon(conversion, mesh, numbers, count);
  }
}

void ConvertMesh(const SConversion& conversion, const SPolylineRecord& polyline, bool polyface) {
  if (!polyface && polyline.smoothType != 0) return;
  SMeshVertices mesh;
  if (!CollectMeshVertices(polyline, mesh)) return;
  if (polyface) PolyfaceFaces(conversion, polyline, mesh);
  else PolygonMeshFaces(conversion, polyline, mesh);
  CountedFree(mesh.vertices);
}

}  // namespace

bool BulgeArcOf(const SVec3& a, const SVec3& b, double bulge, SBulgeArc& arc) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double chord = std::sqrt(dx * dx + dy * dy);
  arc.angle = 4 * std::atan(std::fabs(bulge));
  const double divisor = std::cos(kPi / 2 - arc.angle / 2);
  if (chord < kNoChord || std::fabs(divisor) < kNoChord) return false;
  arc.radius = chord / 2 / divisor;
  arc.turn = bulge > 0 ? 1 : -1;
  const double toCentre = arc.turn * arc.radius * std::cos(arc.angle / 2);
  arc.centre = {(a.x + b.x) / 2 - dy / chord * toCentre, (a.y + b.y) / 2 + dx / chord * toCentre, a.z};
  arc.start = std::atan2(a.y - arc.centre.y, a.x - arc.centre.x);
  return true;
}

void WideSegment(const SConversion& conversion, const SSegment& segment, const SSegment* previous,
                 const SSegment* next, double thickness) {
  if (segment.startWidth != 0 || segment.endWidth != 0) {
    WideBand(conversion, segment, previous, next, thickness);
    return;
  }
  // A segment without width or thickness has no area and is not stored.
  if (thickness == 0) return;
  const SVec3 corners[4] = {segment.a, segment.b, Raised(segment.b, thickness), Raised(segment.a, thickness)};
  int32_t v[4];
  if (AddPoints(conversion, corners, 4, v)) Quad(conversion, {v[0], v[1], v[2], v[3]}, false);
}

void ConvertPolyline(const SConversion& conversion, const SPolylineRecord& polyline) {
  SConversion world = conversion;
  world.objectCoordinates = false;
  if (polyline.flags & kPolyline3d) ConvertPath(world, polyline, true);
  else if (polyline.flags & kPolylineMesh) ConvertMesh(world, polyline, false);
  else if (polyline.flags & kPolylinePolyface) ConvertMesh(world, polyline, true);
  else ConvertPath(conversion, polyline, false);
}
