// How a material's hit is lit and how strongly its secondary rays count. Every material refers to the
// program's one shared model, Default(), which the renderer supplies: the scene only names the interface.
#pragma once

#include "framework/core/vector3.h"
#include "scene/surface/material_sample.h"

struct CRay;
class CRenderContext;

class C3dIllumModel {
 public:
  // The model every material uses. The renderer installs it before it traces anything; until then a
  // model that lights nothing stands in, and materials ask here each time, so none keeps the stand-in.
  static C3dIllumModel& Default();
  static void InstallDefault(C3dIllumModel* model);

  virtual ~C3dIllumModel() = default;
  // The directly lit colour of the ray's hit, shadow rays included.
  virtual void Shade(CRay& ray, const SMaterialSample& sample, vector3<float>& colour, CRenderContext& context) = 0;
  // The base weights let everything through: colour (1, 1, 1), amount 1.
  // What a shadow ray through the hit keeps: the amount is its factor, the colour its filter.
  virtual void GetTransmission(const CRay&, const SMaterialSample&, vector3<float>& colour, double& amount) {
    Unweighted(colour, amount);
  }
  // The weight of the reflected child ray.
  virtual void GetReflection(const CRay&, const SMaterialSample&, vector3<float>& colour, double& amount) {
    Unweighted(colour, amount);
  }
  // The weight of the transmitted child ray.
  virtual void GetFilter(const CRay&, const SMaterialSample&, vector3<float>& colour, double& amount) {
    Unweighted(colour, amount);
  }
  virtual void GetDefaultWeight(const CRay&, const SMaterialSample&, vector3<float>& colour, double& amount) {
    Unweighted(colour, amount);
  }

 private:
  static void Unweighted(vector3<float>& colour, double& amount) {
    colour = {1, 1, 1};
    amount = 1.0;
  }
};
