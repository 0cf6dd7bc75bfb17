// The circular parallel light: a beam of radius 1 running down -y from the cylinder's top without end;
// the fall-off runs from the axis to the beam's edge.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/light.h"

class C3dCylinderLight : public C3dLightClass<C3dCylinderLight, C3dRoundBeamLight> {
 public:
  static constexpr uint32_t kClassTag = FourCC("cyln");
  static constexpr const char* kTypeName = "C3dCylLight";
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
