#include "presets/sky_fog_palette.h"

#include "editing/document_host.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "presets/layout_needs.h"
#include "scene/sky.h"

namespace {

CSkyFogPalette* gCurrent = nullptr;

}  // namespace

CSkyFogPalette* GetCurrentSkyFogPalette() { return gCurrent; }

CSkyFogPalette::CSkyFogPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSkyFogPalette) {
  gCurrent = this;
}

CSkyFogPalette::~CSkyFogPalette() {
  if (gCurrent == this) gCurrent = nullptr;
}

void CSkyFogPalette::SetOwner(CDocWindow*) {}

int32_t CSkyFogPalette::Update() {
  ++fUpdateCount;
  CDocumentHost* host = GetCurrentDocumentHost();
  if (C3dSky* sky = host ? host->GetSky() : nullptr) {
    CHolder held(sky, false, false);
    if (held.IsLocked()) fUpdateSkyFlags = sky->GetSettings().flags;
  }
  return kNoErr;
}

int32_t CSkyFogPalette::CommitChange() { return kNoErr; }

int32_t CSkyFogPalette::ApplySky(bool, bool, bool) { return kNoErr; }

void CSkyFogPalette::UpdateAndRedraw(bool) { ++fUpdateAndRedrawCount; }
