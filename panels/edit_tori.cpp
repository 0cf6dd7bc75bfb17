#include "panels/edit_tori.h"

#include "panels/layout_needs.h"

CEditTori::CEditTori(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditTori) {}

int32_t CEditTori::SetTorus(C3dBaseSpoolTable* objects) {
  fObjects = objects;
  return 0;
}
