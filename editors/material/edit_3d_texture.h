// The quick 3D texture editor.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CReplaceTexture;
class CSaveNewTexture;

class CEdit3dTexture : public CLayoutHostCanvas {
 public:
  CEdit3dTexture(CUICmFunction* owner, CResourceEnv* environment);

  // Its save-new and replace dialogs.
  void SetDialogs(CSaveNewTexture* saveNew, CReplaceTexture* replace);

  // Reads the textures of the library for mode 0 (objects), 1 or 2 (cloud layers): 0.
  int32_t LoadTextureLibrary(CResourceEnv* library, int32_t mode);

  // What it edits and whom it answers: 0.
  int32_t SetTarget(const char* name, uint32_t first, uint32_t second);

  CSaveNewTexture* GetSaveNew() const { return fSaveNew; }
  CReplaceTexture* GetReplace() const { return fReplace; }

 private:
  CSaveNewTexture* fSaveNew = nullptr;
  CReplaceTexture* fReplace = nullptr;
};
