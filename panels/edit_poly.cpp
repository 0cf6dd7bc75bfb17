#include "panels/edit_poly.h"

#include "panels/layout_needs.h"

CEditPoly::CEditPoly(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditPoly) {}

int32_t CEditPoly::SetMesh(C3dBaseSpoolTable* objects) {
  fObjects = objects;
  return 0;
}
