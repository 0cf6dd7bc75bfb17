#include "document/doc_render_state.h"

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/camera.h"

int32_t CRenderReportHook::Open() { return kNoErr; }

int32_t CRenderReportHook::Fill(const char*, const CRenderStats* stats) { return stats ? kNoErr : kErrGeneric; }

int32_t CDocRenderState::CacheCameraState() {
  if (!fCamera || fWidth <= 0 || fHeight <= 0) return kErrInvalidParameter;
  CHolder camera(fCamera, false, false);
  if (!camera.IsLocked()) return kErrOutOfMemory;
  fRenderCamera.SetFromCamera(*fCamera, fWidth, fHeight);
  return kNoErr;
}

CRenderReportHook& CDocRenderState::Report() {
  static CRenderReportHook placeholder;
  return fReport ? *fReport : placeholder;
}
