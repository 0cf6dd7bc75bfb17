#include "presets/edit_sky_fog.h"

#include <cmath>
#include <cstring>

#include "document/texture_selection.h"
#include "editing/document_host.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "presets/layout_needs.h"
#include "scene/sky.h"
#include "scene/surface/texture.h"

namespace {

SNumericFields gFields;

// OK scales the sun fields by this before normalising, so that 99, the most a field takes, is a unit.
constexpr double kSunFieldScale = 0.010101010101010102;
// The dialog opens the sun fields as this many times the direction's unit components.
constexpr double kSunShownScale = 100;

struct SFieldRange {
  double least;
  double most;
};
constexpr SFieldRange kRanges[CEditSkyFog::kFieldCount] = {
    {-99, 99}, {-99, 99}, {-99, 99}, {0, 100}, {0, 100}, {0, 100}, {0, 100}, {0, 100}, {0, 100}, {0, 200}, {-500, 500},
};

// The copy's members behind the fields after the three of the sun.
constexpr int32_t CSkyParams::*kParamsFields[CEditSkyFog::kFieldCount - 3] = {
    &CSkyParams::shadowIntensity, &CSkyParams::fogIntensity, &CSkyParams::fogHeight,     &CSkyParams::hazeIntensity,
    &CSkyParams::cloudCover,      &CSkyParams::cloudHeight,  &CSkyParams::cloudScale,    &CSkyParams::cloudAmplitude,
};

// The quick 3D texture dialog's canvas, whose reply brings the dialog back.
constexpr const char* kTextureDialogCanvas = "edit 3dtexture";

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// The texture data of one texture into another, prepared there: 0 or the lock's code.
int32_t CopyTextureRecord(C3dTexture& from, C3dTexture& to) {
  CHolder read(&from, false, false);
  if (!read.IsLocked()) return NonZeroError(from.GetError());
  CHolder write(&to, true, false);
  if (!write.IsLocked()) return NonZeroError(to.GetError());
  to.GetTextureData() = from.GetTextureData();
  to.PrepareEvaluation(true);
  return kNoErr;
}

// A value truncated, 0 for what no field could hold (a zero direction's infinite scale).
int32_t TruncatedField(double value) { return std::isfinite(value) && std::fabs(value) < 1e9 ? int32_t(value) : 0; }

}  // namespace

CEditSkyFog::CEditSkyFog(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditSkyFog) {}

CEditSkyFog::~CEditSkyFog() { ReleaseFields(); }

SNumericFields& CEditSkyFog::Fields() { return gFields; }

void CEditSkyFog::ReleaseFields() {
  DeleteNumericFields(fFields, fFieldElements, kFieldCount);
  gFields.current = nullptr;
}

int32_t CEditSkyFog::BuildControls(CResourceEnv* environment) {
  ReleaseFields();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindElement(need::kEditStratus.name, &UIHostTrackButton, nullptr, nullptr);
  BindElement(need::kEditCumulus.name, &UIHostTrackButton, nullptr, nullptr);
  BindNumericFields<gFields>(*this, fFields, need::kEditSkyFogFields, kFieldCount, fFieldElements);
  return kNoErr;
}

int32_t* CEditSkyFog::FieldValue(uint32_t index) {
  if (index < 3) return &fSun[index];
  return index < kFieldCount ? &(fParams.*kParamsFields[index - 3]) : nullptr;
}

// The sun fields show the unit direction times 100 on the side of the horizon the sun or moon is on.
void CEditSkyFog::OpenWith(const CSkyParams& params) {
  fParams.Assign(params);
  const vector3<double>& d = fParams.sunDirection;
  const double scale = kSunShownScale * FastInvSqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  for (int axis = 0; axis < 3; ++axis) fSun[axis] = TruncatedField(d[axis] * scale);
  if (fParams.isSun ? fSun[kSunY] < 0 : fSun[kSunY] >= 0) fSun[kSunY] = -fSun[kSunY];
  FillFields();
  gFields.current = fFieldElements[kSunX];
  FocusField(GetField(kSunX));
}

void CEditSkyFog::FillFields() {
  for (uint32_t i = 0; i < kFieldCount; ++i) WriteFieldValue(GetField(i), *FieldValue(i));
  fFields.RedrawInRect(nullptr);
}

void CEditSkyFog::HandOverCloudLayer(int32_t layer, CResourceEnv* textures) {
  fHandedOver = layer == kStratus || layer == kCumulus ? layer : 0;
  fTextures = textures;
}

void CEditSkyFog::TakeFieldValue(const char* name) {
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (!Same(name, need::kEditSkyFogFields[i].name)) continue;
    gFields.lastValue = ClampFieldValue(GetField(i), gFields.lastValue, kRanges[i].least, kRanges[i].most);
    *FieldValue(i) = int32_t(gFields.lastValue);
    return;
  }
}

// Three zero fields name no direction: the copy keeps the one it had.
void CEditSkyFog::StoreSunDirection() {
  const vector3<double> v{fSun[kSunX] * kSunFieldScale, fSun[kSunY] * kSunFieldScale, fSun[kSunZ] * kSunFieldScale};
  const double lengthSquared = v.x * v.x + v.y * v.y + v.z * v.z;
  if (lengthSquared > 0) fParams.sunDirection = v * FastInvSqrt(lengthSquared);
}

bool CEditSkyFog::Activate() {
  CLayoutHostCanvas::Activate();
  FocusCurrentField(gFields);
  return true;
}

int32_t CEditSkyFog::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  if (message->kind != 0) return CLayoutHostCanvas::HandleEvent(message);
  const char* element = message->elementName;
  const bool own = Same(message->canvasName, need::kEditSkyFog.canvas.name);
  // A field's message carries the dialog's own canvas name: the value is checked before anything else.
  if (own && Same(message->windowName, kFieldWindowName)) TakeFieldValue(element);
  else if (own && IsShown() && Same(element, need::kEditSkyFog.ok.name)) {
    StoreSunDirection();
    StoreEditState(fParams);
    Close();
    return kNoErr;
  } else if (!own && fHandedOver && Same(message->canvasName, kTextureDialogCanvas) && IsOpenRequest(*message)) {
    return ReturnFromTextureDialog(*message);
  }
  return CLayoutHostCanvas::HandleEvent(message);
}

// The fields are not filled again: they show what was typed before the hand-over.
int32_t CEditSkyFog::ReturnFromTextureDialog(const CUIMessage& message) {
  const uint32_t handle = uint32_t(message.GetPayloadWord(0));
  const int32_t err = handle ? TakeCloudTexture(handle) : kNoErr;
  fHandedOver = 0;
  if (const int32_t built = BuildOnce()) return built;
  if (IsShown()) BringForward();
  else Refresh(false);
  return err ? err : kHandled;
}

// The sky keeps its own texture object and name; the texture's record is what changes. The sky
// action holds the edit state only, so this is no undo step.
int32_t CEditSkyFog::TakeCloudTexture(uint32_t handle) {
  CDocumentHost* host = GetCurrentDocumentHost();
  C3dSky* sky = host ? host->GetSky() : nullptr;
  if (!sky) return kNoErr;
  C3dTexture* target = nullptr;
  {
    CHolder held(sky, false, false);
    if (!held.IsLocked()) return NonZeroError(sky->GetError());
    target = sky->GetCloudTexture(fHandedOver - 1);
  }
  if (!target) return kNoErr;
  CBaseTexture* chosen = nullptr;
  bool fromLibrary = false;
  if (const int32_t err = ResolveTextureSelection(handle, fTextures, host->GetSceneTable(), &chosen, &fromLibrary))
    return err;
  auto* source = dynamic_cast<C3dTexture*>(chosen);
  const bool another = source && source != target;
  const int32_t err = another ? CopyTextureRecord(*source, *target) : kNoErr;
  if (fromLibrary) CBaseTexture::ReleaseUse(chosen);
  if (err || !another) return err;
  host->MarkUnsavedChanges();
  return host->PrepareHostSky();
}
