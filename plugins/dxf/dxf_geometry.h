// Entity geometry: every entity becomes polygons in world coordinates in the polygon store, emitted to
// the host after each entity. Blocks are expanded where they are inserted.
#pragma once

#include <cstdint>

#include "plugins/dxf/dxf_records.h"

// Every degree-to-radian step of the plug-in.
inline constexpr double kRadiansPerDegree = 0.01745;
inline constexpr double kPi = 3.1415926;
inline constexpr int32_t kArcSegments = 20;

// Converts the top-level entities, reporting "Processing entries".
void ConvertDrawing();
// Converts each entity of the list under the insert (none at top level); stops at the first error.
void ConvertEntities(const SList<SEntity>& list, const SInsertRecord* context);

// From the object coordinates of an entity with this extrusion direction to world coordinates.
SVec3 ToWorld(const SVec3& point, const SVec3& extrusion);
// The insert's block transform, then its own extrusion; the point itself without an insert.
SVec3 ApplyInsert(const SVec3& point, const SInsertRecord* context);

inline SVec3 Raised(SVec3 point, double by) {
  point.z += by;
  return point;
}

// What the converters of one entity share: where its points go and which material its polygons take.
struct SConversion {
  const SEntity* entity;
  const SInsertRecord* context;
  int32_t colour;
  SName* layer;
  bool objectCoordinates;  // the entity's points take its extrusion
};

// The point through the entity's extrusion (when it has object coordinates) and the insert, stored:
// its vertex number, or -1 when the store is full.
int32_t AddPoint(const SConversion& conversion, const SVec3& point);
// A polygon of count consecutive vertices from first, in that order or reversed.
void PolygonOfRange(const SConversion& conversion, int32_t first, int32_t count, bool reversed);
void Quad(const SConversion& conversion, const int32_t (&vertices)[4], bool reversed);

// A point of a polyline path with the widths of the segment that starts there.
struct SPathPoint {
  SVec3 point;
  double startWidth;
  double endWidth;
};

// A filled face of the points and, with a thickness, its top copy and one wall per side, turned by
// the thickness's sign.
void ExtrudedFace(const SConversion& conversion, const SPathPoint* points, int32_t count, double thickness);

// One polyline segment, arc chord or stroke from a to b: with widths a band mitred against its
// neighbours (either may be null), raised into a slab by a thickness; without widths, only with a
// thickness, a wall.
struct SSegment {
  SVec3 a;
  SVec3 b;
  double startWidth;
  double endWidth;
};
void WideSegment(const SConversion& conversion, const SSegment& segment, const SSegment* previous,
                 const SSegment* next, double thickness);

// The circle of the arc from a to b in x-y whose bulge is the tangent of a quarter of its included
// angle, counter-clockwise when positive; false when the points coincide or no radius can be formed.
struct SBulgeArc {
  SVec3 centre;
  double radius;
  double angle;  // included, in radians
  double turn;   // 1 counter-clockwise, -1 clockwise
  double start;  // of a, in radians
};
bool BulgeArcOf(const SVec3& a, const SVec3& b, double bulge, SBulgeArc& arc);

void ConvertPolyline(const SConversion& conversion, const SPolylineRecord& polyline);
