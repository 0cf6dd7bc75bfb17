// The parallel light: a beam of square cross-section, one unit wide, running down -y from the box's top
// face without end; the fall-off runs across x and across z.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/light.h"

class C3dCubeLight : public C3dLightClass<C3dCubeLight, C3dSquareBeamLight> {
 public:
  static constexpr uint32_t kClassTag = FourCC("cube");
  static constexpr const char* kTypeName = "C3dCubeLight";
  static constexpr uint32_t kFacets = 6;

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
