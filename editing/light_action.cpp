#include "editing/light_action.h"

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/cone_light.h"
#include "scene/cube_light.h"
#include "scene/cylinder_light.h"
#include "scene/light.h"
#include "scene/pyramid_light.h"

namespace {

bool HasRoundBeam(const C3dLight* light) {
  return light->GetClass() == C3dConeLight::kClassTag || light->GetClass() == C3dCylinderLight::kClassTag;
}

bool HasSquareBeam(const C3dLight* light) {
  return light->GetClass() == C3dCubeLight::kClassTag || light->GetClass() == C3dPyramidLight::kClassTag;
}

}  // namespace

int32_t UUndoLightData::Capture(C3dLight* light, UUndoLightData* out) {
  CHolder lock(light, false, false);
  if (!lock.IsLocked()) return kErrOutOfMemory;
  UUndoLightData data;
  data.intensity = light->GetIntensity();
  data.colour = light->GetColour();
  if (HasRoundBeam(light)) data.spread = static_cast<C3dRoundBeamLight*>(light)->GetExponent();
  if (HasSquareBeam(light)) {
    const auto* square = static_cast<C3dSquareBeamLight*>(light);
    data.spreads[0] = square->GetExponentX();
    data.spreads[1] = square->GetExponentZ();
  }
  const uint32_t flags = light->GetStateFlags();
  data.visible = (flags & C3dLight::kVisible) ? 1 : 0;
  data.castsNoShadow = (flags & C3dLight::kCastsNoShadow) ? 1 : 0;
  data.unboundedBeam = (flags & C3dLight::kUnboundedBeam) ? 1 : 0;
  *out = data;
  return kNoErr;
}

int32_t UUndoLightData::Apply(C3dLight* light) const {
  CHolder lock(light, true, false);
  if (!lock.IsLocked()) return NonZeroError(light->GetError());
  light->SetStateFlags(C3dLight::kVisible, visible != 0);
  light->SetStateFlags(C3dLight::kCastsNoShadow, castsNoShadow != 0);
  light->SetStateFlags(C3dLight::kUnboundedBeam, unboundedBeam != 0);
  light->SetIntensity(intensity);
  light->SetColour(colour);
  if (HasRoundBeam(light)) static_cast<C3dRoundBeamLight*>(light)->SetExponent(spread);
  if (HasSquareBeam(light)) static_cast<C3dSquareBeamLight*>(light)->SetExponents(spreads[0], spreads[1]);
  return kNoErr;
}

CLightAction::CLightAction() : fBefore(SRange{0, kGrowthStep}), fAfter(SRange{0, kGrowthStep}) {
  if (!fMaterials.IsValid() || !fBefore.IsValid() || !fAfter.IsValid()) SetValid(false);
}

C3dLight* CLightAction::LightAt(uint32_t index) const {
  return static_cast<C3dLight*>(fMaterials.GetObjects()[index]);
}

int32_t CLightAction::AddObject(C3dLight* light, bool before) {
  if (!light) return kErrInvalidParameter;
  UUndoLightData data;
  if (const int32_t error = UUndoLightData::Capture(light, &data)) return error;
  if (const int32_t error = fMaterials.AddObject(light, before)) return error;
  return (before ? fBefore : fAfter).Append(data) ? kNoErr : kErrOutOfMemory;
}

int32_t CLightAction::Apply(const CDynTable<UUndoLightData>& states, bool after) {
  for (uint32_t i = 0; i < fMaterials.GetObjects().GetCount() && i < states.GetCount(); ++i) {
    C3dLight* light = LightAt(i);
    C3dMaterial* material = after ? fMaterials.GetAfter(i) : fMaterials.GetSaved(i);
    if (!light->IsReady()) continue;
    if (const int32_t error = states[i].Apply(light)) return error;
    if (!material) continue;
    if (const int32_t error = CMaterialAction::CopyInto(light, material)) return error;
  }
  return kNoErr;
}

int32_t CLightAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (!fAfterCaptured) {
    for (uint32_t i = 0; i < fMaterials.GetObjects().GetCount(); ++i) {
      // A light that is not usable keeps a blank record, which Apply passes over.
      UUndoLightData data;
      int32_t error = LightAt(i)->IsReady() ? UUndoLightData::Capture(LightAt(i), &data) : kNoErr;
      if (!error && !fAfter.Append(data)) error = kErrOutOfMemory;
      if (error) {
        fAfter.Clear();
        return error;
      }
    }
    if (const int32_t error = fMaterials.CaptureAfter()) {
      fAfter.Clear();
      return error;
    }
    fAfterCaptured = 1;
  }
  if (const int32_t error = Apply(fBefore, false)) return error;
  SetUndone(true);
  return kNoErr;
}

int32_t CLightAction::Redo() {
  if (!GetUndone()) return kNoErr;
  if (const int32_t error = Apply(fAfter, true)) return error;
  SetUndone(false);
  return kNoErr;
}
