#include "render/illum_model.h"

namespace {

// Placeholder until the program's illumination model lands: it adds no light, so a shaded hit keeps
// the colour it had.
class CUnlitModel : public C3dIllumModel {
 public:
  void Shade(CRay&, const SMaterialSample&, vector3<float>&, CRenderContext&) override {}
};

}  // namespace

C3dIllumModel& C3dIllumModel::Default() {
  static CUnlitModel model;
  return model;
}
