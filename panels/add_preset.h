// The add preset dialog.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0 (true for the texts).
#pragma once

#include "framework/ui/layout_host_canvas.h"
#include "presets/preset_dialogs.h"

class CAddPreset : public CLayoutHostCanvas, public CPresetNameDialog {
 public:
  CAddPreset(CUICmFunction* owner, CResourceEnv* environment);

  bool SetName(const char* name) override;
  bool SetFields(const char* name, const char* description) override;
  bool GetDescription(CPresetDescription* description) override;
  void SetPreviewScene(CPreviewScene* scene, bool live) override;
  int32_t OpenDialog() override;
};
