// The circular parallel light: a beam of radius 1 running down -y from the cylinder's top without end;
// the fall-off runs from the axis to the beam's edge.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/light.h"

class C3dCylinderLight : public C3dRoundBeamLight {
 public:
  static constexpr uint32_t kClassTag = FourCC("cyln");
  static constexpr const char* kTypeName = "C3dCylLight";
  static constexpr uint32_t kFacets = 32;
  using C3dRoundBeamLight::C3dRoundBeamLight;

  // The light form (no material) and the form that gives the light a copy of a material.
  static int32_t New(C3dCylinderLight** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec);
  static int32_t NewWithMaterial(C3dCylinderLight** out, C3dBaseSys* table, const SObjectKey& key,
                                 const SSpoolTableSpec& spec, Handle32 templateMaterial);

  static int32_t InitClassMesh();
  static int32_t FreeClassMesh();
  static int32_t BuildClassMesh(uint32_t detail0, uint32_t detail1, uint32_t detail2);
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t detail);
  static C3dClassMesh* GetClassMesh();

  const char* TypeName() const override { return kTypeName; }
  C3dObject* Duplicate(C3dBaseSys* table) override;
  bool Intersect(CRay& ray) override;
  bool IntersectSpans(CRay& ray, bool farSide) override;
  uint32_t FacetCount() override { return kFacets; }
  C3dBox LocalBox() override;
  C3dBox WorldBox() override;

 protected:
  bool Reach(const vector3<double>& local, double& falloff) const override;
  SLightSlide SlideAt(const vector3<double>& local) const override;
  C3dClassMesh* ClassMesh() const override { return GetClassMesh(); }

 private:
  // The shape's bottom for the ray, moved down and opened when the ray follows an unbounded beam.
  SShapeBottom Bottom(const CRay& ray) const;
};
