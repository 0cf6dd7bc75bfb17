// The terrain editor.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0, except that it keeps the height field it was given and shows itself when asked.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class C3dHeightField;

class CTerrainEditor : public CLayoutHostCanvas {
 public:
  CTerrainEditor(CUICmFunction* owner, CResourceEnv* environment);

  // Binds the editor to the height field: 0.
  int32_t AttachHeightField(C3dHeightField* field);
  C3dHeightField* GetHeightField() const { return fHeightField; }
  // Shows the bound editor; mode 0 is the only one.
  using CLayoutHostCanvas::Show;
  void Show(int32_t mode);

 private:
  C3dHeightField* fHeightField = nullptr;
};
