#include "editing/torus_action.h"

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/torus.h"

namespace {

UUndoTorusData RadiiOf(const C3dTorus* torus) { return {torus->GetMajorRadius(), torus->GetMinorRadius()}; }

}  // namespace

CTorusAction::CTorusAction()
    : fTori(SRange{0, kGrowthStep}), fBefore(SRange{0, kGrowthStep}), fAfter(SRange{0, kGrowthStep}) {
  if (!fTori.IsValid() || !fBefore.IsValid() || !fAfter.IsValid()) SetValid(false);
}

int32_t CTorusAction::AddObject(C3dTorus* torus, bool before) {
  if (!torus) return kErrInvalidParameter;
  if (!before) return fAfter.Append(RadiiOf(torus)) ? kNoErr : kErrOutOfMemory;
  if (!fTori.Append(torus)) return kErrOutOfMemory;
  if (fBefore.Append(RadiiOf(torus))) return kNoErr;
  fTori.RemoveAt(fTori.GetCount() - 1);
  return kErrOutOfMemory;
}

// Setting a radius rebuilds the torus's local box from both.
void CTorusAction::Apply(const CDynTable<UUndoTorusData>& states) {
  for (uint32_t i = 0; i < fTori.GetCount() && i < states.GetCount(); ++i) {
    C3dTorus* torus = fTori[i];
    if (!torus->IsReady()) continue;
    CHolder lock(torus, true, false);
    if (!lock.IsLocked()) continue;
    torus->SetMajorRadius(states[i].ring);
    torus->SetMinorRadius(states[i].tube);
  }
}

int32_t CTorusAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (!fAfterCaptured) {
    fAfter.Clear();
    for (uint32_t i = 0; i < fTori.GetCount(); ++i) {
      if (!fAfter.Append(RadiiOf(fTori[i]))) return kErrOutOfMemory;
    }
    fAfterCaptured = 1;
  }
  Apply(fBefore);
  SetUndone(true);
  return kNoErr;
}

int32_t CTorusAction::Redo() {
  if (!GetUndone()) return kNoErr;
  Apply(fAfter);
  SetUndone(false);
  return kNoErr;
}
