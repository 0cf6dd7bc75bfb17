#include "panels/text_edit_popup.h"

#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"

namespace {

CTextEditPopup* gCurrent = nullptr;

}  // namespace

CTextEditPopup::CTextEditPopup(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kTextEditPopup) {
  gCurrent = this;
}

CTextEditPopup::~CTextEditPopup() {
  if (gCurrent == this) gCurrent = nullptr;
}

CTextEditPopup* CTextEditPopup::GetCurrent() { return gCurrent; }

int32_t CTextEditPopup::NumericCallback(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  if (handled) *handled = element;
  if (gCurrent) {
    gCurrent->fCalls.push_back("NumericCallback");
    gCurrent->fTarget = element;
  }
  return kNoErr;
}

void CTextEditPopup::Close(bool apply) {
  fCalls.push_back(apply ? "Close apply" : "Close");
  CLayoutHostCanvas::Close();
}
