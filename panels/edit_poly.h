// The mesh smoothing panel.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0, except that it keeps the object list it was given.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class C3dBaseSpoolTable;

class CEditPoly : public CLayoutHostCanvas {
 public:
  CEditPoly(CUICmFunction* owner, CResourceEnv* environment);

  // The mesh being edited is the first selected one of the object list: 0.
  int32_t SetMesh(C3dBaseSpoolTable* objects);
  C3dBaseSpoolTable* GetObjectList() const { return fObjects; }

 private:
  C3dBaseSpoolTable* fObjects = nullptr;
};
