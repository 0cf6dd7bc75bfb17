#include "panels/edit_palette.h"

#include <cstring>

#include "editing/convert.h"
#include "editing/document_host.h"
#include "framework/core/result_codes.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"

namespace {

CEditPalette* gCurrent = nullptr;

CImElement* ImageElementOf(CElement* element) { return dynamic_cast<CImElement*>(element); }

}  // namespace

CEditPalette::CEditPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditPalette) {
  gCurrent = this;
}

CEditPalette::~CEditPalette() {
  fTracker.DropHot();
  delete fConvertList;
  if (gCurrent == this) gCurrent = nullptr;
}

CEditPalette* CEditPalette::GetCurrent() { return gCurrent; }

void CEditPalette::SetOwner(CDocumentHost* window) { fWindow = window; }

C3dDocument* CEditPalette::GetDocument() const { return fWindow ? fWindow->GetHostDocument() : nullptr; }

int32_t CEditPalette::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  CElement* found = nullptr;
  BindElement(need::kEditResize.name, &PressResize, &TrackResize, nullptr);
  BindElement(need::kEditRotate.name, &PressRotate, &TrackRotate, nullptr);
  BindElement(need::kEditReposition.name, &PressReposition, &TrackReposition, nullptr);
  BindElementRef(need::kEditRandomize.name, &found, &PressRandomizeMode, &TrackRandomizeMode, nullptr);
  fRandomize = ImageElementOf(found);
  BindElement(need::kEditRandomizeControl.name, &PressRandomize, &TrackButtonHover, nullptr);
  BindElement(need::kEditConvertObject.name, &PressConvertObject, &TrackButtonHover, nullptr);
  for (const SLayoutNeed& option : need::kEditOptions)
    BindElement(option.name, &InvokeButtonAction, &TrackButtonHover, nullptr);
  for (const SLayoutNeed& tab : need::kEditTabButtons) BindElement(tab.name, &PressButton, &TrackHotButton, nullptr);
  // The tab labels show only while hovered.
  for (const SLayoutNeed* label : {&need::kEditCreateText, &need::kEditSkyFogText}) {
    BindElementRef(label->name, &found, &PostButtonMessage, &SwitchHotButton, nullptr);
    if (CImElement* image = ImageElementOf(found)) image->SetOpacity(0.0f, false);
  }
  // The alignment itself is the palette's own; until it comes, the buttons only glow.
  CElement* align = nullptr;
  BindElementRef(need::kEditAlign.name, &align, nullptr, nullptr, nullptr);
  if (align) {
    for (const SLayoutNeed& button : need::kEditAlignButtons)
      BindElementAlt(align, button.name, nullptr, &TrackButtonHover, nullptr);
  }
  return kNoErr;
}

CLayoutHostCanvas* CEditPalette::GetConvertList() {
  // A pop-up of the palette's layout file that shows while the button is held.
  if (!fConvertList)
    fConvertList = new CLayoutHostCanvas(GetOwner(), GetResourceEnvironment(), kDialogStyle, need::kConvertList);
  if (fConvertList->BuildOnce()) return nullptr;
  return fConvertList;
}

int32_t CEditPalette::HandleEvent(CUIMessage* message) {
  if (message && message->kind == 0 && message->windowName &&
      std::strcmp(message->windowName, need::kConvertList.name) == 0) {
    C3dDocument* document = GetDocument();
    if (!document) return kHandled;
    const int32_t err = ConvertSelection(document, message->elementName);
    return err ? err : kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
