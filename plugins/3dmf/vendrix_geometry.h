// The importer's conversion of metafile objects into the triangles of its one host mesh: the group
// stack with the transforms of each level, and one converter per class of geometry. Every corner goes
// through the transforms of the current level and its parents, and reaches the host with z negated.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "document/plugin_protocol.h"
#include "plugins/3dmf/metafile_object.h"

// The base level and 99 nested groups.
constexpr int32_t kGroupLevels = 100;

enum : int32_t {
  kConverted = 0,
  kConversionFailed = 2,  // the host refused a triangle, or memory ran out
};

struct SPoint {
  double x, y, z;
};

// A 4×4 matrix of row vectors, row by row: a point is the row (x, y, z, 1), the translation the
// fourth row.
struct SGroupLevel {
  int32_t parent;  // -1 for the base level
  float matrix[16];
};

// The corners of one triangle as a converter gave them, before any transform, in the single
// precision that the transforms start from.
using STriangleCorners = std::array<float, 9>;

struct SConversion {
  QNHostAddTriangleFn addTriangle = nullptr;
  uint32_t document = 0;
  uint32_t mesh = 0;
  SGroupLevel levels[kGroupLevels];
  int32_t current = 0;
  // When set, every triangle a converter gives is also appended here as it came.
  std::vector<STriangleCorners>* recording = nullptr;
};

// The base level alone, with the identity.
void ResetGroups(SConversion& conversion);
// False when 99 groups are open already.
bool BeginGroup(SConversion& conversion);
void EndGroup(SConversion& conversion);

// The point as the host receives it.
void TransformPoint(const SConversion& conversion, const SPoint& point, float out[3]);
// Transformed corners to the host, in this order. A triangle with a corner that is not finite is left
// out, so that nothing the host stores holds one.
int32_t EmitTriangle(SConversion& conversion, const SPoint& a, const SPoint& b, const SPoint& c);
// A recorded triangle again, through the transforms now current: what EmitTriangle gave then, placed
// where it stands now.
int32_t EmitRecorded(SConversion& conversion, const STriangleCorners& corners);

// Triangles of the object, or its transform on the current level; objects of other classes give
// nothing. kConverted or kConversionFailed.
int32_t ConvertObject(SConversion& conversion, const MetafileObject& object);
// Whether converting an object of the class costs more than sending what it gave again: polygons go
// through the triangulator, NURBs through their sampler.
bool IsCostlyToConvert(uint32_t classCode);
// How many costly objects ConvertObject has converted in this process, for tests.
uint64_t ConvertedObjectCount();
