#include "scene/surface/illum_model.h"

namespace {

// Stands in until the renderer installs the program's model: no light, and the base weights.
class CUnlitModel : public C3dIllumModel {
 public:
  void Shade(CRay&, const SMaterialSample&, vector3<float>& colour, CRenderContext&) override { colour = {0, 0, 0}; }
};

C3dIllumModel* gInstalled = nullptr;

}  // namespace

C3dIllumModel& C3dIllumModel::Default() {
  static CUnlitModel unlit;
  return gInstalled ? *gInstalled : unlit;
}

void C3dIllumModel::InstallDefault(C3dIllumModel* model) { gInstalled = model; }
