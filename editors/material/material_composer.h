// The material composer.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDTEditor;
class CDocWindow;
class CEdit3dTexture;
class CObjMatPresets;
class CPictTextures;

class CMaterialComposer : public CLayoutHostCanvas {
 public:
  CMaterialComposer(CUICmFunction* owner, CResourceEnv* environment, CResourceEnv* textures,
                    CPictTextures* pictTextures, CEdit3dTexture* quickEditor, CObjMatPresets* presets,
                    CDTEditor* textureEditor);

  // Binds the composer to the window's selection: 0.
  int32_t AttachDocument(CDocWindow* window);

  CResourceEnv* GetTextures() const { return fTextures; }
  CPictTextures* GetPictTextures() const { return fPictTextures; }
  CEdit3dTexture* GetQuickEditor() const { return fQuickEditor; }
  CObjMatPresets* GetPresets() const { return fPresets; }
  CDTEditor* GetTextureEditor() const { return fTextureEditor; }

 private:
  CResourceEnv* fTextures = nullptr;
  CPictTextures* fPictTextures = nullptr;
  CEdit3dTexture* fQuickEditor = nullptr;
  CObjMatPresets* fPresets = nullptr;
  CDTEditor* fTextureEditor = nullptr;
};
