#include "panels/nano_editor.h"

#include "framework/ui/element.h"
#include "framework/ui/im_element.h"
#include "panels/layout_needs.h"

CNanoEditor::CNanoEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kNanoEditor) {}

int32_t CNanoEditor::BuildControls(CResourceEnv* environment) {
  fImage = nullptr;
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  CElement* found = nullptr;
  BindElementRef(need::kNanoEditorImage.name, &found, nullptr, nullptr, nullptr);
  fImage = dynamic_cast<CImElement*>(found);
  if (fImage) fImage->Show(true);
  return 0;
}

void CNanoEditor::CentreOnScreen() { Place(GetFrame(), kPlaceCentreH | kPlaceCentreV, nullptr, {}, {}); }
