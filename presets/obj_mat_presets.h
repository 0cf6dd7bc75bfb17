// The object and material preset library.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; it keeps the editor
// it is attached to, notes its calls in order, and its operations answer 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "presets/preset_library.h"

class C3dMaterial;

class CObjMatPresets : public CPresetLibrary {
 public:
  CObjMatPresets(CUICmFunction* owner, CResourceEnv* environment, CControlPalette* controlPalette,
                 CPresetNameDialog* addPreset, CPresetDeleteDialog* deletePreset);

  // The editor's material that a chosen preset goes into, the editor's flag that the panel sets when
  // it changed it, and the canvas the panel replies to: 0.
  int32_t AttachToEditor(C3dMaterial* material, uint8_t* changedFlag, const char* replyName);
  // Shows the panel in a mode (0 the materials): 0.
  int32_t Show(int32_t mode);
  using CPresetLibrary::Show;

  C3dMaterial* GetEditorMaterial() const { return fMaterial; }
  uint8_t* GetChangedFlag() const { return fChangedFlag; }
  const char* GetReplyName() const { return fReplyName; }
  // The operations called, by name, in order.
  const std::vector<std::string>& GetCalls() const { return fCalls; }

 private:
  C3dMaterial* fMaterial = nullptr;
  uint8_t* fChangedFlag = nullptr;
  const char* fReplyName = nullptr;
  std::vector<std::string> fCalls;
};
