#include "render/illum_model.h"

#include "render/phong_ext.h"

C3dIllumModel& C3dIllumModel::Default() {
  static C3dPhongExt model;
  return model;
}
