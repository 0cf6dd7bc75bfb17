// The 3D texture editor.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDTSubEditor;
class CReplaceTexture;
class CSaveNewTexture;

class CDTEditor : public CLayoutHostCanvas {
 public:
  CDTEditor(CUICmFunction* owner, CResourceEnv* environment);

  // Its save-new and replace dialogs and its sub-editor: 0.
  int32_t SetContext(CSaveNewTexture* saveNew, CReplaceTexture* replace, CDTSubEditor* subEditor);

  // The library it edits the textures of, for mode 0 (objects), 1 or 2 (cloud layers): 0.
  int32_t SetTextureSource(CResourceEnv* library, int32_t mode);

  // Shows the current texture's components: 0.
  int32_t RefreshComponentControls(int32_t redraw);

  // Binds the controls to the current texture: 0.
  int32_t BindControls();
};
