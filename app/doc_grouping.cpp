// Selecting a newly made object, and grouping and ungrouping the selection.
#include "app/doc_window.h"
#include "editing/delete_action.h"
#include "editing/document.h"
#include "editing/group_action.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/object_family.h"

namespace {

// A new group's box lies this far outside its members'.
constexpr double kGroupMargin = 0.001;
constexpr int32_t kDefaultFamily = 0;
// "objinfochanged": the scene changed.
constexpr uint32_t kSceneChanged = 2;

}  // namespace

int32_t CDocWindow::SelectNewObject(C3dObject* object) {
  if (!object) return kErrInvalidParameter;
  {
    CHolder lock(object, true, false);
    if (!lock.IsLocked()) return NonZeroError(object->GetError());
    C3dTransform& placement = object->GetPlacement();
    placement.fPrevScale = placement.fScale;
    placement.fPrevRotation = placement.fRotation;
    placement.fPrevPosition = placement.fPosition;
  }
  CSelection& selection = fDocument->GetSelection();
  selection.DeselectAll(1);
  CAppl* app = GetApplication();
  selection.Add(object, app && app->IsShiftDown() ? 0 : 1, 0);
  Invalidate(true);
  const int32_t err = FindSceneParts(false);
  NotifyObjInfoChanged(kSceneChanged);
  return err;
}

int32_t CDocWindow::GroupSelection() {
  CSelection& selection = fDocument->GetSelection();
  if (selection.GetCount() < 2) return kNoErr;
  CAppl* app = GetApplication();
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dGroup>(app ? app->GetObjectsEnv() : nullptr, key, spec);
  C3dGroup* group = nullptr;
  if (const int32_t err = C3dGroup::New(&group, fScene.get(), key, spec)) return err;
  {
    CHolder lock(group, true, false);
    if (!lock.IsLocked()) return kErrOutOfMemory;
    SetObjectFamily(*group, kDefaultFamily);
    group->SetGroupNumber(C3dGroup::NextGroupNumber(fScene.get()));
    // Selecting the group below changes the selection: its members are taken from a copy.
    CDynTable<C3dObject*> members(SRange{0, CSelection::kGrowthStep});
    for (uint32_t i = 0; i < selection.GetCount(); ++i) {
      if (!members.Append(selection.GetObject(i))) return kErrOutOfMemory;
    }
    for (uint32_t i = 0; i < members.GetCount(); ++i) {
      if (const int32_t err = group->AddChild(members[i])) return err;
    }
    const vector3<double> margin{kGroupMargin, kGroupMargin, kGroupMargin};
    C3dBox box = group->GetBox();
    box.fMin = box.fMin - margin;
    box.fMax = box.fMax + margin;
    group->SetBox(box);
  }
  if (const int32_t err = SelectNewObject(group)) return err;
  auto* action = new CGroupAction(group);
  if (!action || !action->IsValid()) {
    delete action;
    return kErrOutOfMemory;
  }
  return fDocument->GetUndoHistory().Push(action);
}

int32_t CDocWindow::UngroupSelection() {
  CSelection& selection = fDocument->GetSelection();
  if (selection.GetCount() != 1) return kNoErr;
  auto* action = new CDeleteAction(fScene.get());
  if (!action || !action->IsValid()) {
    delete action;
    return kErrOutOfMemory;
  }
  C3dObject* selected = selection.GetObject(0);
  if (selected->GetFamily() == C3dGroup::kFamily && selected->GetClass() == C3dGroup::kClassTag) {
    auto* group = static_cast<C3dGroup*>(selected);
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) selection.Add(group->GetMember(i), 0, 0);
    selection.Remove(action, group);
  }
  // Even with nothing ungrouped the action replaces the last undo step.
  if (const int32_t err = fDocument->GetUndoHistory().Push(action)) return err;
  if (C3dGroup::RelinkGroups(fScene.get())) return kErrOutOfMemory;
  Invalidate(true);
  const int32_t err = FindSceneParts(false);
  NotifyObjInfoChanged(kSceneChanged);
  return err;
}
