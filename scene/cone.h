// The cone: apex (0, 1, 0) and a closed base of radius 1 in y = −1 of object space.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/class_mesh.h"
#include "scene/primitive.h"

class C3dCone : public C3dPrimitive<C3dCone>, public C3dClassMeshes<C3dCone, 3> {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("cone");
  static constexpr const char* kTypeName = "C3dCone";
  // One byte of its own, unused, behind the placed object's record.
  static constexpr uint32_t kRecordSize = 749;
  static constexpr uint32_t kFacets = 32;
  static constexpr C3dBox kLocalBox{{-1, -1, -1}, {1, 1, 1}};

  using C3dPrimitive::C3dPrimitive;

  // The base rim as n points (at least three), then the apex; each rim point joined to the next
  // and to the apex.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t n);

  bool IntersectObjectSpace(CRay& ray) { return IntersectCone(*this, ray, kConeBottom); }
  bool IntersectSpans(CRay& ray, bool, CSpanList& spans) override { return ConeSpans(*this, ray, spans, kConeBottom); }
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  C3dBox LocalBox() override { return kLocalBox; }
  C3dBox WorldBox() override { return ConeWorldBox(GetObjectToWorld()); }
};
