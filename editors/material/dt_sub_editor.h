// The component sub-editor of the 3D texture editor: the noise or phase settings of one component, or
// the global phase, of the texture being edited.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; it keeps its target
// and notes the calls made of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/layout_host_canvas.h"

class C3dTexture;
class CResourceEnv;

class CDTSubEditor : public CLayoutHostCanvas {
 public:
  CDTSubEditor(CUICmFunction* owner, CResourceEnv* environment);

  // The group ("compA" to "compC", or "DTEditor" for the global phase), the element that names the
  // settings ("noiseTypeMenu", "phaseType", "compGPhaseType") and the texture; the library is not
  // kept.
  void SetTarget(const char* group, const char* element, C3dTexture* texture, CResourceEnv* library);
  // Its controls from the target: 0.
  int32_t LoadTarget();

  const std::vector<std::string>& GetCalls() const { return fCalls; }
  const std::string& GetGroup() const { return fGroup; }
  const std::string& GetElement() const { return fElement; }
  C3dTexture* GetTexture() const { return fTexture; }

 private:
  std::vector<std::string> fCalls;
  std::string fGroup;
  std::string fElement;
  C3dTexture* fTexture = nullptr;
};
