// The spotlight: a beam in the cone with its apex at (0, 1, 0) and radius 1 at y = -1, pointing down
// -y; the fall-off runs from the axis to the cone's surface, and a textured material is projected
// onto the base plane like a slide.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/light.h"

class C3dConeLight : public C3dLightClass<C3dConeLight, C3dRoundBeamLight> {
 public:
  static constexpr uint32_t kClassTag = FourCC("cone");
  static constexpr const char* kTypeName = "C3dConeLight";
  static constexpr uint32_t kFacets = 32;

  using C3dLightClass::C3dLightClass;

  // The one wireframe, whatever the detail.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t detail);

  bool Intersect(CRay& ray) override;
  bool IntersectSpans(CRay& ray, bool farSide, CSpanList& spans) override;
  C3dBox LocalBox() override;
  C3dBox WorldBox() override;

 protected:
  bool Reach(const vector3<double>& local, double& falloff) const override;
  SLightSlide SlideAt(const vector3<double>& local) const override;

 private:
  // The shape's bottom for the ray, moved down and opened when the ray follows an unbounded beam.
  SShapeBottom Bottom(const CRay& ray) const;
};
