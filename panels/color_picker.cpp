#include "panels/color_picker.h"

#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"

CColorPicker::CColorPicker(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kColorPicker) {}

int32_t CColorPicker::OpenFor(uint32_t colour, CElement* requester, SPointHV at) {
  fLast = {colour, requester, at};
  ++fRequests;
  return kNoErr;
}
