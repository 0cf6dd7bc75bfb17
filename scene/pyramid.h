// The pyramid: the square pyramid of object space with its base y = −0.5, |x|, |z| ≤ 0.5, and its
// apex at (0, 0.5, 0).
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/class_mesh.h"
#include "scene/primitive.h"

class C3dPyramid : public C3dPrimitive<C3dPyramid>, public C3dClassMeshes<C3dPyramid, 1> {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("pyra");
  static constexpr const char* kTypeName = "C3dPyramid";
  // One byte of its own, unused, behind the placed object's record.
  static constexpr uint32_t kRecordSize = 749;
  static constexpr uint32_t kFacets = 6;
  static constexpr C3dBox kLocalBox{{-0.5, -0.5, -0.5}, {0.5, 0.5, 0.5}};

  using C3dPrimitive::C3dPrimitive;

  // The base's four corners and the apex; the base's four edges and four to the apex.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t detail);

  bool IntersectObjectSpace(CRay& ray) { return IntersectPyramid(*this, ray, kPyramidBottom); }
  bool IntersectSpans(CRay& ray, bool, CSpanList& spans) override { return PyramidSpans(*this, ray, spans, kPyramidBottom); }
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  C3dBox LocalBox() override { return kLocalBox; }
  C3dBox WorldBox() override { return PyramidWorldBox(GetObjectToWorld()); }
};
