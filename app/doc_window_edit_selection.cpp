// The commands on the selection as a whole: 'edit' opens the editor that fits the first selected
// object, 'dupl' and 'repl' copy the selection, and the replicate dialog's replication makes
// generations of copies. The copies of one command are one create action, so that one Undo takes
// them all away.
#include <memory>
#include <new>

#include "app/doc_window.h"
#include "editing/create_action.h"
#include "editing/document.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "editors/terrain/terrain_editor.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/dyn_table.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/ui_message.h"
#include "panels/edit_poly.h"
#include "panels/edit_tori.h"
#include "scene/base_sys.h"
#include "scene/height_field.h"
#include "scene/light.h"
#include "scene/object.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"

namespace {

// The light editor opens on this message from the document window.
constexpr const char* kEditLight = "edit light";
constexpr const char* kDocWindowCanvas = "doc window";
// Warnings of the window's list: nothing is selected; the first selected object has no editor.
constexpr uint32_t kNothingSelectedWarning = 0;
constexpr uint32_t kNoEditorWarning = 1;
// "objinfochanged": the scene changed.
constexpr uint32_t kSceneChanged = 2;
constexpr int32_t kCopiesStep = 32;

}  // namespace

int32_t CDocWindow::EditSelection() {
  C3dObject* object = nullptr;
  if (const int32_t err = C3dObject::FindFirstSelectedRoot(fScene.get(), &object)) {
    ShowWarning(kNothingSelectedWarning);
    return err;
  }
  if (object->GetFamily() == C3dLight::kFamily) {
    CHoElement* root = GetRoot();
    if (!root) return kHandled;
    CUIMessage message;
    message.Init(0, kEditLight, nullptr, kDocWindowCanvas, CUIMessage::kBroadcast);
    root->SendMessageUp(&message, root);
    return kHandled;
  }
  if (object->GetFamily() != C3dBaseSys::kObjectFamily) return kNoErr;
  switch (object->GetClass()) {
    case C3dHeightField::kClassTag: {
      if (!fTerrainEditor) return kNoErr;
      if (const int32_t err = fTerrainEditor->BuildOnce()) return err;
      if (fTerrainEditor->AttachHeightField(static_cast<C3dHeightField*>(object), this) == kNoErr) fTerrainEditor->Show(0);
      return kHandled;
    }
    case C3dTriangleMesh::kClassTag: {
      if (!fMeshPanel) return kNoErr;
      if (const int32_t err = fMeshPanel->BuildOnce()) return err;
      if (fMeshPanel->SetMesh(fScene.get()) == kNoErr) fMeshPanel->Refresh(false);
      return kHandled;
    }
    case C3dTorus::kClassTag: {
      if (!fTorusEditor) return kNoErr;
      if (const int32_t err = fTorusEditor->BuildOnce()) return err;
      if (fTorusEditor->SetTorus(fScene.get()) == kNoErr) fTorusEditor->Refresh(false);
      return kHandled;
    }
    default:
      ShowWarning(kNoEditorWarning);
      return kNoErr;
  }
}

int32_t CDocWindow::DuplicateSelection() {
  if (const int32_t err = fDocument->CollectObjects(false)) return err;
  return RecordCopies();
}

int32_t CDocWindow::ReplicateSelection() {
  CBusyCursor busy;
  if (const int32_t err = fDocument->CollectObjects(true)) return err;
  return RecordCopies();
}

int32_t CDocWindow::ReplicateWithParameters(uint32_t count, const SReplicateSettings& settings, uint32_t mode) {
  CBusyCursor busy;
  if (const int32_t err = fDocument->ReplicateObjects(count, settings, mode)) return err;
  return RecordCopies();
}

int32_t CDocWindow::RecordCopies() {
  CSelection& selection = fDocument->GetSelection();
  // Without memory for the action the copies stay, not undoable; nothing copied records nothing.
  std::unique_ptr<CCreateAction> action(selection.GetCount() ? new (std::nothrow) CCreateAction(fScene.get())
                                                               : nullptr);
  int32_t result = kNoErr;
  if (action) {
    // A copied group's members are copies too: listed before their group, they leave and come back
    // with it.
    CDynTable<C3dObject*> made(SRange{0, kCopiesStep});
    for (uint32_t i = 0; i < selection.GetCount() && !result; ++i) {
      if (C3dObject::AppendExpandingGroups(made, selection.GetObject(i), true)) result = kErrOutOfMemory;
    }
    for (uint32_t i = 0; i < made.GetCount() && !result; ++i) {
      if (!action->AddObject(made[i])) result = kErrOutOfMemory;
    }
    if (result) action.reset();
    else result = fDocument->GetUndoHistory().Push(action.release());
  }
  // The copies are in the scene and selected even when they could not be recorded.
  Invalidate(false);
  const int32_t found = FindSceneParts(true);
  if (!result) result = found;
  if (found) return result;
  NotifyObjInfoChanged(kSceneChanged);
  return result;
}
