// The 3D texture editor.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations keep
// what they are given, note their calls in order and answer 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/layout_host_canvas.h"

class C3dMaterial;
class C3dTexture;
class CDTSubEditor;
class CReplaceTexture;
class CSaveNewTexture;

class CDTEditor : public CLayoutHostCanvas {
 public:
  CDTEditor(CUICmFunction* owner, CResourceEnv* environment);

  // Its save-new and replace dialogs and its sub-editor: 0.
  int32_t SetContext(CSaveNewTexture* saveNew, CReplaceTexture* replace, CDTSubEditor* subEditor);

  // The canvas it replies to, and the material and channel whose texture it edits: 0.
  int32_t SetTarget(const char* ownerName, C3dMaterial* material, int32_t channel);
  // The library it edits the textures of, for mode 0 (objects), 1 or 2 (cloud layers): 0.
  int32_t SetTextureSource(CResourceEnv* library, int32_t mode);
  // The texture to edit, or none: 0.
  int32_t OpenTexture(C3dTexture* texture);

  // Shows the current texture's components: 0.
  int32_t RefreshComponentControls(int32_t redraw);

  // Binds the controls to the current texture: 0.
  int32_t BindControls();

  // The operations called, by name, in order.
  const std::vector<std::string>& GetCalls() const { return fCalls; }
  const char* GetOwnerName() const { return fOwnerName; }
  C3dMaterial* GetTargetMaterial() const { return fMaterial; }
  int32_t GetTargetChannel() const { return fChannel; }
  CResourceEnv* GetLibrary() const { return fLibrary; }
  int32_t GetMode() const { return fMode; }
  C3dTexture* GetTexture() const { return fTexture; }

 private:
  std::vector<std::string> fCalls;
  const char* fOwnerName = nullptr;
  C3dMaterial* fMaterial = nullptr;
  int32_t fChannel = 0;
  CResourceEnv* fLibrary = nullptr;
  int32_t fMode = 0;
  C3dTexture* fTexture = nullptr;
};
