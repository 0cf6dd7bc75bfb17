#include "presets/sky_fog_palette.h"

#include <new>
#include <optional>

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/sky_action.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "presets/layout_needs.h"
#include "presets/sky_edit_state.h"
#include "scene/base_spool_table.h"
#include "scene/sky.h"
#include "scene/sun_light.h"

namespace {

CSkyFogPalette* gCurrent = nullptr;

// "objinfochanged": the scene changed.
constexpr uint32_t kSceneChanged = 4;
// The state flags a reset sun light gets.
constexpr uint32_t kResetSunStateFlags = 0x100 | C3dLight::kNoFalloff;

// The first 'sunl' of a locked light table, or none.
C3dSunLight* FindSun(C3dBaseSpoolTable* lights) {
  for (uint32_t i = 0; i < lights->GetCount(); ++i) {
    C3dBase* light = lights->At(i);
    if (light && light->GetClass() == C3dSunLight::kClassTag) return static_cast<C3dSunLight*>(light);
  }
  return nullptr;
}

SSunFields SunFieldsOf(const C3dSunLight& sun) {
  return {sun.GetColour(), sun.GetSunColour(), sun.GetSecondSunColour(), sun.GetDirection()};
}

void StoreSunFields(const SSunFields& fields, C3dSunLight* sun) {
  sun->SetColour(fields.colour);
  sun->SetSunColour(fields.sunColour);
  sun->SetSecondSunColour(fields.secondColour);
  sun->SetDirection(fields.direction);
}

// The scene's sky, light table and sun light locked together, or none of them.
class CSceneSkyLock {
 public:
  explicit CSceneSkyLock(CDocumentHost* host) {
    C3dSky* sky = host ? host->GetSky() : nullptr;
    C3dBaseSpoolTable* lights = host ? host->GetHostLightList() : nullptr;
    if (!sky || !lights) return;
    fSky.emplace(sky, true, false);
    if (!fSky->IsLocked()) return;
    fLights.emplace(lights, true, false);
    if (!fLights->IsLocked()) return;
    C3dSunLight* sun = FindSun(lights);
    if (!sun) return;
    fSun.emplace(sun, true, false);
    if (fSun->IsLocked()) {
      fSkyObject = sky;
      fSunObject = sun;
    }
  }
  // Released in reverse order of locking.
  ~CSceneSkyLock() {
    fSun.reset();
    fLights.reset();
    fSky.reset();
  }

  bool IsLocked() const { return fSunObject != nullptr; }
  C3dSky* Sky() const { return fSkyObject; }
  C3dSunLight* Sun() const { return fSunObject; }

 private:
  std::optional<CHolder> fSky;
  std::optional<CHolder> fLights;
  std::optional<CHolder> fSun;
  C3dSky* fSkyObject = nullptr;
  C3dSunLight* fSunObject = nullptr;
};

}  // namespace

CSkyFogPalette* GetCurrentSkyFogPalette() { return gCurrent; }

CSkyFogPalette::CSkyFogPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSkyFogPalette) {
  gCurrent = this;
}

CSkyFogPalette::~CSkyFogPalette() {
  delete fPending;
  if (gCurrent == this) gCurrent = nullptr;
}

void CSkyFogPalette::SetOwner(CDocumentHost* host) { fHost = host; }

int32_t CSkyFogPalette::Update() {
  ++fUpdateCount;
  if (C3dSky* sky = fHost ? fHost->GetSky() : nullptr) {
    CHolder held(sky, false, false);
    if (held.IsLocked()) fUpdateSkyFlags = sky->GetSettings().flags;
  }
  return ApplySky(true, true, true);
}

int32_t CSkyFogPalette::CommitChange() { return ApplySky(false, true, false); }

int32_t CSkyFogPalette::ApplySky(bool fromScene, bool redraw, bool commit) {
  CSceneSkyLock scene(fHost);
  if (!scene.IsLocked()) return kNoErr;
  C3dSky* sky = scene.Sky();
  C3dSunLight* sun = scene.Sun();
  if (fromScene) {
    CSkyParams params = GetSkyEditState();
    ReadSkyParams(sky->GetSettings(), SunFieldsOf(*sun), &params, &fSunLinkedToCamera);
    StoreSkyEditState(params);
    fHost->PrepareHostSky();
    if (redraw) {
      ShowEditState();
      if (fAutoRender) fHost->ClearAndRender();
    }
  } else {
    SettlePending(commit);
    const CSkyParams params = GetSkyEditState();
    WriteSkyParams(params, fSunLinkedToCamera, &sky->GetSettings());
    SSunFields fields = SunFieldsOf(*sun);
    WriteSunParams(params, &fields);
    StoreSunFields(fields, sun);
    fHost->PrepareHostSky();
    fHost->NotifyObjInfoChanged(kSceneChanged);
    if (commit) fHost->MarkUnsavedChanges();
    if (fAutoRender) fHost->ClearAndRender();
  }
  if (!fPending) fPending = new (std::nothrow) CSkyAction(this);
  return kNoErr;
}

// The pending action holds the state before the change now made: pushed, it is the change's undo step
// (a failed push deletes it); otherwise it goes.
void CSkyFogPalette::SettlePending(bool push) {
  C3dDocument* document = push && fPending && fPending->IsValid() ? fHost->GetHostDocument() : nullptr;
  if (document) document->GetUndoHistory().Push(fPending);
  else delete fPending;
  fPending = nullptr;
}

void CSkyFogPalette::UpdateAndRedraw(bool commit) {
  ++fUpdateAndRedrawCount;
  ApplySky(false, true, commit);
  ShowEditState();
}

void CSkyFogPalette::ShowEditState() {}

void CSkyFogPalette::Randomize() {
  StoreSkyEditState(RandomSkyParams(GetSkyEditState(), GetRandomState()));
  ShowEditState();
}

int32_t CSkyFogPalette::ResetSky() {
  {
    CSceneSkyLock scene(fHost);
    if (!scene.IsLocked()) return kNoErr;
    SettlePending(true);
    CSkyParams params = GetSkyEditState();
    params.stratusOn = params.cumulusOn = 0;
    StoreSkyEditState(params);
    scene.Sky()->InitDefaults();
    C3dSunLight* sun = scene.Sun();
    sun->InitDefaults();
    sun->ClearStateFlags(0xFFFFFFFF);
    sun->SetStateFlags(kResetSunStateFlags);
  }
  ApplySky(true, true, true);
  fHost->NotifyObjInfoChanged(kSceneChanged);
  fHost->MarkUnsavedChanges();
  return kNoErr;
}
