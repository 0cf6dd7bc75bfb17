// The quick 3D texture editor.
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
class CReplaceTexture;
class CSaveNewTexture;

class CEdit3dTexture : public CLayoutHostCanvas {
 public:
  CEdit3dTexture(CUICmFunction* owner, CResourceEnv* environment);

  // Its save-new and replace dialogs.
  void SetDialogs(CSaveNewTexture* saveNew, CReplaceTexture* replace);

  // Reads the textures of the library for mode 0 (objects), 1 or 2 (cloud layers): 0.
  int32_t LoadTextureLibrary(CResourceEnv* library, int32_t mode);

  // Whom it answers, and the material and channel whose texture it edits (none for the sky's
  // layers): 0.
  int32_t SetTarget(const char* name, C3dMaterial* material, int32_t channel);
  // The texture to edit, or none: 0.
  int32_t SetTexture(C3dTexture* texture);

  CSaveNewTexture* GetSaveNew() const { return fSaveNew; }
  CReplaceTexture* GetReplace() const { return fReplace; }

  // The operations called, by name, in order.
  const std::vector<std::string>& GetCalls() const { return fCalls; }
  const char* GetReplyName() const { return fReplyName; }
  C3dMaterial* GetTargetMaterial() const { return fMaterial; }
  int32_t GetTargetChannel() const { return fChannel; }
  CResourceEnv* GetLibrary() const { return fLibrary; }
  int32_t GetMode() const { return fMode; }
  C3dTexture* GetTexture() const { return fTexture; }

 private:
  CSaveNewTexture* fSaveNew = nullptr;
  CReplaceTexture* fReplace = nullptr;
  std::vector<std::string> fCalls;
  const char* fReplyName = nullptr;
  C3dMaterial* fMaterial = nullptr;
  int32_t fChannel = 0;
  CResourceEnv* fLibrary = nullptr;
  int32_t fMode = 0;
  C3dTexture* fTexture = nullptr;
};
