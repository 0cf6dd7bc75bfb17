// The program's illumination model: Phong's diffuse and specular terms per light with shadow rays,
// an ambient term and sky light, and the weights of reflected, transmitted and shadow rays with
// their edge and metal terms (the default weight is the interface's). Stateless; Shared() is its one
// instance, which every render context installs as C3dIllumModel::Default().
#pragma once

#include "scene/surface/illum_model.h"

class C3dPhongExt : public C3dIllumModel {
 public:
  static C3dPhongExt& Shared();

  void Shade(CRay& ray, const SMaterialSample& sample, vector3<float>& colour, CRenderContext& context) override;
  void GetTransmission(const CRay& ray, const SMaterialSample& sample, vector3<float>& colour,
                       double& amount) override;
  void GetReflection(const CRay& ray, const SMaterialSample& sample, vector3<float>& colour, double& amount) override;
  void GetFilter(const CRay& ray, const SMaterialSample& sample, vector3<float>& colour, double& amount) override;
};
