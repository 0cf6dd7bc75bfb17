// The radial light: shines equally in every direction from its centre, drawn as a sphere of radius 1.
// Every point receives its full intensity; a textured material paints the surroundings like a lamp
// shade. One byte of its own follows the light record, kept but never read, swapped or copied.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/light.h"

class C3dSphereLight : public C3dLightClass<C3dSphereLight, C3dShapedLight> {
 public:
  static constexpr uint32_t kClassTag = FourCC("sphr");
  static constexpr const char* kTypeName = "C3dSphereLight";
  static constexpr uint32_t kFacets = 256;
  static constexpr uint32_t kRecordSize = 785;

  explicit C3dSphereLight(const SObjectKey& key);

  // The one wireframe, whatever the detail.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t detail);

  bool Intersect(CRay& ray) override;
  bool IntersectSpans(CRay& ray, bool farSide, CSpanList& spans) override;
  C3dBox LocalBox() override;
  C3dBox WorldBox() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;

 protected:
  bool Reach(const vector3<double>& local, double& falloff) const override;
  SLightSlide SlideAt(const vector3<double>& local) const override;
};
