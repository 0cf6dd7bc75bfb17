// The dialog that asks for the name under which an edited texture is saved into the document.
//
// Placeholder: built from its layout, it shows the name it proposes; it has no name field yet, so the
// name it answers is the one proposed. Its buttons "save ok" and "save cancel" carry the canvas name
// of the variant it was last shown in; in the 3D texture editor's variant the editor acts on them.
#pragma once

#include <cstdint>
#include <string>

#include "framework/ui/layout_host_canvas.h"

class CSaveNewTexture : public CLayoutHostCanvas {
 public:
  // The canvas names its buttons carry: for the quick texture dialog (variant 0) and the full 3D
  // texture editor (1).
  static constexpr const char* kQuickCanvasName = "save new texture";
  static constexpr const char* kEditorCanvasName = "save new texture DTE";

  CSaveNewTexture(CUICmFunction* owner, CResourceEnv* environment);

  int32_t BuildControls(CResourceEnv* environment) override;
  // The variant whose canvas name the buttons carry from now on: 0.
  int32_t Show(int32_t variant);
  // The name proposed (Windows-1252), shown; none changes nothing: 0.
  int32_t SetName(const char* name);
  // The name chosen.
  const std::string& GetName() const { return fName; }
  int32_t GetVariant() const { return fVariant; }

 private:
  int32_t fVariant = 0;
  std::string fName;
};
