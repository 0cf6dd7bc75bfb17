// The menu commands that depend on the selection, brought up to date on every heartbeat.
#include <span>

#include "app/doc_window.h"
#include "app/menu_bar.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/base_spool_table.h"
#include "scene/camera.h"
#include "scene/group.h"
#include "scene/height_field.h"
#include "scene/light.h"
#include "scene/object.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"

namespace {

constexpr uint32_t kSelectionCodes[] = {
    FourCC("cut "), FourCC("copy"), FourCC("cler"), FourCC("cpmt"), FourCC("pamt"), FourCC("cpma"),
    FourCC("pama"), FourCC("dupl"), FourCC("repl"), FourCC("mrep"), FourCC("desa"), FourCC("invs"),
    FourCC("edit"), FourCC("attr"), FourCC("obox"), FourCC("olat"), FourCC("grup"), FourCC("ugrp"),
};
constexpr uint32_t kEditCodes[] = {FourCC("edit")};
constexpr uint32_t kRevertCodes[] = {FourCC("rvrt")};
constexpr uint32_t kSeveralCodes[] = {FourCC("grup")};
constexpr uint32_t kUngroupCodes[] = {FourCC("ugrp")};

std::span<const uint32_t> GroupCodes(uint32_t group) {
  switch (group) {
    case CDocWindow::kSelectionMenuGroup: return kSelectionCodes;
    case CDocWindow::kEditMenuGroup: return kEditCodes;
    case CDocWindow::kRevertMenuGroup: return kRevertCodes;
    case CDocWindow::kSeveralMenuGroup: return kSeveralCodes;
    case CDocWindow::kUngroupMenuGroup: return kUngroupCodes;
    default: return {};
  }
}

// The selected objects of the list in its order, until visit answers false.
template <typename Visit>
void ForEachSelected(C3dBaseSpoolTable* list, Visit visit) {
  if (!list) return;
  CHolder holder(list, false, false);
  for (uint32_t row = 0; holder.IsLocked() && row < list->GetCount(); ++row) {
    C3dBase* thing = list->At(row);
    C3dObject* object = thing ? thing->AsObject() : nullptr;
    if (object && object->IsSelected() && !visit(*object)) return;
  }
}

// What the menu groups ask of the selection, from one walk over the object list.
struct SSelectionSummary {
  C3dObject* first = nullptr;
  uint32_t count = 0;
  bool sameClass = true;  // as the first
  bool allLights = true;
};

SSelectionSummary Summarise(C3dBaseSpoolTable* list) {
  SSelectionSummary summary;
  ForEachSelected(list, [&](C3dObject& object) {
    if (!summary.first) summary.first = &object;
    ++summary.count;
    summary.sameClass = summary.sameClass && object.GetClass() == summary.first->GetClass();
    summary.allLights = summary.allLights && object.GetFamily() == C3dLight::kFamily;
    return true;
  });
  return summary;
}

// 'edit' works on terrains, meshes and tori of one class at a time, or on any number of lights.
bool IsEditable(const SSelectionSummary& summary) {
  const C3dObject& first = *summary.first;
  if (first.GetFamily() == C3dLight::kFamily) return summary.allLights;
  if (first.GetFamily() != C3dGroup::kFamily) return false;
  const uint32_t kind = first.GetClass();
  const bool editable =
      kind == C3dHeightField::kClassTag || kind == C3dTriangleMesh::kClassTag || kind == C3dTorus::kClassTag;
  return editable && summary.sameClass;
}

}  // namespace

int32_t CDocWindow::UpdateMenuStates() {
  const SSelectionSummary summary = Summarise(GetObjectList());
  EnableMenuGroup(kRevertMenuGroup, (fFlags & kUnsavedChanges) && (fFlags & kHasFile));
  EnableMenuGroup(kSelectionMenuGroup, summary.count > 0);
  EnableMenuGroup(kSeveralMenuGroup, summary.count > 1);
  EnableMenuGroup(kUngroupMenuGroup, summary.count == 1 && summary.first->IsReady() &&
                                         summary.first->GetClass() == C3dGroup::kClassTag);
  if (summary.count == 0) return kNoErr;
  EnableMenuGroup(kEditMenuGroup, IsEditable(summary));
  return kNoErr;
}

void CDocWindow::EnableMenuGroup(uint32_t group, bool enable) {
  if (!fMenuBar) return;
  for (const uint32_t code : GroupCodes(group)) fMenuBar->EnableItem(code, enable);
}

bool CDocWindow::HasSelectedCamera(bool firstOnly) {
  bool found = false;
  ForEachSelected(GetObjectList(), [&](C3dObject& object) {
    found = object.IsReady() && object.GetFamily() == C3dCamera::kFamily;
    return !found && !firstOnly;
  });
  return found;
}
