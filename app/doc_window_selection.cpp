// The selection commands of the Edit menu and the selection palette: everything, nothing, the
// inverse, imported meshes, a family, a kind, a class of lights, and solo mode. Each sets the selected
// bits over the window's object list and rebuilds the selection from them; none is recorded.
#include "app/doc_window.h"
#include "editing/document.h"
#include "editing/selection.h"
#include "framework/core/appl.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/base_spool_table.h"
#include "scene/height_field.h"
#include "scene/light.h"
#include "scene/object.h"
#include "scene/triangle_mesh.h"

namespace {

// First flag word: left out of the selection commands (the camera one looks through, solo mode), and
// hidden by solo mode. Second flag word: hidden, and the mesh made as a stone.
constexpr uint32_t kLeftOut = C3dObject::kNotDrawn;
constexpr uint32_t kSoloHidden = 0x10;
constexpr uint32_t kHiddenState = C3dObject::kExcluded;
constexpr uint32_t kStoneState = C3dTriangleMesh::kStoneStateFlag;
constexpr uint32_t kSymmetricLattice = FourCC("symh");
// "objinfochanged": the selection changed; solo mode changed what the scene shows.
constexpr uint32_t kSelectionChanged = 2;
constexpr uint32_t kSoloChanged = 4;

// Every object of the list in order; the caller holds the list locked.
template <typename Visit>
void ForEachListed(C3dBaseSpoolTable* list, Visit&& visit) {
  for (uint32_t row = 0; row < list->GetCount(); ++row) {
    C3dBase* thing = list->At(row);
    if (C3dObject* object = thing ? thing->AsObject() : nullptr) visit(object);
  }
}

bool IsLeftOut(const C3dObject* object) { return object->GetFlags() & kLeftOut; }
bool IsTopLevel(const C3dObject* object) { return !object->GetParent(); }

// Toggle mode: without Shift a match is selected and every other object visited deselected; with
// Shift a match changes its bit and the others keep theirs.
void Choose(C3dObject* object, bool match, bool shift) {
  if (!shift) object->SetFlags(C3dObject::kSelected, match);
  else if (match) object->SetFlags(C3dObject::kSelected, !object->IsSelected());
}

bool IsShiftHeld() {
  CAppl* app = GetApplication();
  return app && app->IsShiftDown();
}

}  // namespace

// Solo mode changes what the scene shows, so the control palette hears of it every time.
template <typename Walk>
int32_t CDocWindow::ChangeSolo(Walk&& walk) {
  {
    CHolder holder(fObjects.get(), false, false);
    if (!fObjects || !holder.IsLocked()) return kNoErr;
    ForEachListed(fObjects.get(), walk);
  }
  Invalidate(false);
  NotifyObjInfoChanged(kSoloChanged);
  return kNoErr;
}

// The list is emptied without notification and rebuilt from the bits; the groups are first told
// that their listed members left, since the rebuild tells them of every selected member again.
template <typename Walk>
int32_t CDocWindow::RebuildSelection(Walk&& walk) {
  CSelection& selection = fDocument->GetSelection();
  C3dBaseSpoolTable* list = fObjects.get();
  {
    CHolder holder(list, false, false);
    if (!list || !holder.IsLocked()) return kNoErr;
    for (uint32_t i = 0; i < selection.GetCount(); ++i) selection.GetObject(i)->NotifyParentDeselected();
    selection.DeselectAll(0);
    ForEachListed(list, walk);
    selection.AddSelectedOf(list);
  }
  Invalidate(false);
  NotifyDragStep(kSelectionChanged);
  return kNoErr;
}

int32_t CDocWindow::SelectAll() {
  CSelection& selection = fDocument->GetSelection();
  {
    CHolder holder(fObjects.get(), false, false);
    if (!fObjects || !holder.IsLocked()) return kNoErr;
    selection.DeselectAll(1);
    ForEachListed(fObjects.get(), [&](C3dObject* object) {
      if (IsTopLevel(object) && !IsLeftOut(object)) selection.Add(object, 0, 1);
    });
  }
  Invalidate(false);
  NotifyDragStep(kSelectionChanged);
  return kNoErr;
}

int32_t CDocWindow::DeselectAll() {
  fDocument->GetSelection().DeselectAll(1);
  Invalidate(false);
  NotifyDragStep(kSelectionChanged);
  return kNoErr;
}

int32_t CDocWindow::InvertSelection() {
  return RebuildSelection([](C3dObject* object) {
    if (IsTopLevel(object) && !IsLeftOut(object)) object->SetFlags(C3dObject::kSelected, !object->IsSelected());
  });
}

int32_t CDocWindow::SelectImportedMeshes() {
  const bool shift = IsShiftHeld();
  return RebuildSelection([shift](C3dObject* object) {
    const bool imported = object->GetFamily() == C3dTriangleMesh::kFamily &&
                          object->GetClass() == C3dTriangleMesh::kClassTag && !(object->GetStateFlags() & kStoneState);
    Choose(object, imported, shift);
  });
}

int32_t CDocWindow::SelectFamily(uint32_t family) {
  const bool shift = IsShiftHeld();
  return RebuildSelection([family, shift](C3dObject* object) {
    if (IsTopLevel(object) && !IsLeftOut(object)) Choose(object, object->GetCreationWord(0) == family, shift);
  });
}

int32_t CDocWindow::SelectKind(uint32_t kind) {
  const bool shift = IsShiftHeld();
  return RebuildSelection([kind, shift](C3dObject* object) {
    if (IsLeftOut(object)) return;
    const bool shape = object->GetFamily() == C3dHeightField::kFamily;
    const uint32_t classTag = object->GetClass();
    bool match = false;
    if (kind == kSymmetricLattice || kind == C3dHeightField::kClassTag) {
      const bool symmetric = kind == kSymmetricLattice;
      match = shape && classTag == C3dHeightField::kClassTag &&
              static_cast<C3dHeightField*>(object)->IsSymmetric() == symmetric;
    } else if (kind == C3dTriangleMesh::kClassTag) {
      match = shape && classTag == C3dTriangleMesh::kClassTag && (object->GetStateFlags() & kStoneState);
    } else {
      match = shape && classTag == kind;
    }
    Choose(object, match, shift);
  });
}

int32_t CDocWindow::SelectLightClass(uint32_t classTag) {
  const bool shift = IsShiftHeld();
  return RebuildSelection([classTag, shift](C3dObject* object) {
    if (IsLeftOut(object)) return;
    if (object->GetFamily() == C3dLight::kFamily && object->GetClass() == classTag) {
      object->SetFlags(C3dObject::kSelected);
    } else if (!shift) {
      object->ClearFlags(C3dObject::kSelected);
    }
  });
}

int32_t CDocWindow::SoloSelection() {
  return ChangeSolo([](C3dObject* object) {
    if (IsLeftOut(object) || object->IsSelectedInHierarchy()) return;
    object->SetStateFlags(kHiddenState);
    object->SetFlags(kSoloHidden | kLeftOut);
  });
}

int32_t CDocWindow::EndSolo() {
  return ChangeSolo([](C3dObject* object) {
    if (!(object->GetFlags() & kSoloHidden)) return;
    object->ClearStateFlags(kHiddenState);
    object->ClearFlags(kSoloHidden | kLeftOut);
  });
}
