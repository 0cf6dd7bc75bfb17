// The Edit menu's commands on the document window: delete, copy, cut, paste, the selection commands
// and undo, and the window's own clipboards for an object's placement and for a material.
#include <memory>
#include <new>

#include "app/doc_window.h"
#include "editing/delete_action.h"
#include "editing/document.h"
#include "editing/material_action.h"
#include "editing/matrix_action.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "framework/core/appl.h"
#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/ui/im_element.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/object.h"
#include "scene/surface/material.h"

namespace {

// "objinfochanged": the scene changed; an undo or redo; a material changed.
constexpr uint32_t kSceneChanged = 2;
constexpr uint32_t kUndoChanged = 3;
constexpr uint32_t kMaterialChanged = 4;

// The placement clipboard, one for every window and the whole run: the box centre, the size, and the
// second and third transform vectors (shear and rotation) of the object copied last.
struct SPlacement {
  vector3<double> centre;
  vector3<double> size{2.0, 2.0, 2.0};
  vector3<double> shear;
  vector3<double> rotation;
};
SPlacement gPlacement;

vector3<double> BoxCentre(C3dObject* object) {
  const C3dBox box = object->WorldBox();
  return (box.fMin + box.fMax) * 0.5;
}

bool IsGroup(const C3dObject* object) {
  return object->GetFamily() == C3dGroup::kFamily && object->GetClass() == C3dGroup::kClassTag;
}

C3dMaterial* UsableMaterial(C3dMaterial* material) { return material && material->IsReady() ? material : nullptr; }

C3dMaterial* MaterialOf(const C3dObject* object) {
  return UsableMaterial(LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily));
}

// Invalidate, the scene parts found again, the control palette told: the lookup's code.
int32_t RefreshScene(CDocWindow& window, uint32_t change) {
  window.Invalidate(false);
  const int32_t err = window.FindSceneParts(true);
  window.NotifyObjInfoChanged(change);
  return err;
}

}  // namespace

int32_t CDocWindow::EditCommand(uint32_t code) {
  CSelection& selection = fDocument->GetSelection();
  CUndoHistory& history = fDocument->GetUndoHistory();
  switch (code) {
    case FourCC("cler"): {
      // Pushing an empty action would replace the user's last real undo step.
      if (selection.GetCount() == 0) return kHandled;
      auto* action = new (std::nothrow) CDeleteAction(fScene.get());
      if (!action || !action->IsValid()) {
        delete action;
        return kErrOutOfMemory;
      }
      selection.ExtractSelected(action);
      if (action->GetObjects().GetCount() == 0) {
        delete action;
      } else if (const int32_t err = history.Push(action)) {
        return err;
      }
      const int32_t err = FindSceneParts(true);
      NotifyObjInfoChanged(kSceneChanged);
      Invalidate(false);
      return err ? err : kHandled;
    }
    case FourCC("copy"): return fDocument->CopySelection(false);
    case FourCC("cut "): {
      if (selection.GetCount() == 0) return kNoErr;
      if (const int32_t err = fDocument->CopySelection(true)) return err;
      return RefreshScene(*this, kSceneChanged);
    }
    case FourCC("pste"): {
      if (const int32_t err = fDocument->Paste()) return err;
      return RefreshScene(*this, kSceneChanged);
    }
    case FourCC("cpma"): {
      if (selection.GetCount() == 0) return kNoErr;
      C3dObject* object = selection.GetObject(0);
      CHolder changed(object, true, false);
      gPlacement.centre = BoxCentre(object);
      gPlacement.size = object->GetScaledSize();
      gPlacement.shear = object->GetPlacement().fShear;
      gPlacement.rotation = object->GetTransformVector2();
      return kNoErr;
    }
    case FourCC("pama"): {
      // Without an action the paste still happens; it just cannot be undone.
      std::unique_ptr<CMatrixAction> action = CMatrixAction::OfSelection(selection);
      for (uint32_t i = 0; i < selection.GetCount(); ++i) {
        C3dObject* object = selection.GetObject(i);
        // A group is recorded for its members' sake, never changed itself; a locked object stays.
        if (IsGroup(object) || object->IsTransformLocked()) continue;
        object->GetPlacement().fShear = gPlacement.shear;
        object->SetTransformVector2(gPlacement.rotation);
        object->SetScaledSize(gPlacement.size);
        const vector3<double> position = object->GetTransformVector3();
        object->SetTransformVector3(position + (gPlacement.centre - BoxCentre(object)));
        object->NotifyParentBoundsChanged();
      }
      if (action && action->GetObjects().GetCount() > 0) {
        if (const int32_t err = history.Push(action.release())) return err;
      }
      return RefreshScene(*this, kSceneChanged);
    }
    case FourCC("cpmt"): return CopyMaterial();
    case FourCC("pamt"): {
      int32_t result = kNoErr;
      if (UsableMaterial(fCopiedMaterial) || UsableMaterial(fDefaultMaterial)) {
        std::unique_ptr<CMaterialAction> action(new (std::nothrow) CMaterialAction);
        if (!action || !action->IsValid()) return kErrOutOfMemory;
        for (uint32_t i = 0; i < selection.GetCount(); ++i) {
          const int32_t err = PasteMaterial(action.get(), selection.GetObject(i));
          if (err != kNoErr && err != kHandled && result == kNoErr) result = err;
        }
        if (action->GetObjects().GetCount() > 0) {
          if (const int32_t err = history.Push(action.release())) return err;
        }
      }
      NotifyObjInfoChanged(kMaterialChanged);
      return result ? result : kHandled;
    }
    case FourCC("desa"): return DeselectAll();
    case FourCC("invs"): return InvertSelection();
    case FourCC("sela"): {
      if (!(fMode & kRenderedShown)) return SelectAll();
      // Over the rendered image "select all" makes the patch the whole image.
      ForgetTint();
      const SPointHV size = GetRenderImageSize();
      SetRenderRegion({0, 0, size.v, size.h});
      // The patch also limits where a render draws: it spans the shown image again.
      if (fPatchRender) {
        const SRect shown = DocImageRect();
        fPatchRender->SetRect({0, 0, RectHeight(shown), RectWidth(shown)}, false);
      }
      LayoutView();
      fRender.fContext.ResetProgressive();
      return kNoErr;
    }
    case FourCC("undo"): {
      if (CUndoableAction* action = history.GetCurrentAction()) {
        if (const int32_t err = action->GetUndone() ? history.Redo() : history.Undo()) return err;
      }
      selection.RemoveNotOwnedBy(fScene.get());
      Invalidate(true);
      const int32_t err = FindSceneParts(true);
      NotifyObjInfoChanged(kUndoChanged);
      return err;
    }
    default: return kNoErr;
  }
}

C3dMaterial* CDocWindow::GetMaterialClipboard(bool make, int32_t* error) {
  if (fCopiedMaterial || !make) return fCopiedMaterial;
  CAppl* app = GetApplication();
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(app ? app->GetObjectsEnv() : nullptr, key, spec);
  const int32_t result = C3dMaterial::New(&fCopiedMaterial, nullptr, key, spec);
  if (error) *error = result;
  return fCopiedMaterial;
}

// The old window's copied material, with its textures, which leave the old scene with it.
int32_t CDocWindow::CopyCopiedMaterial(CDocWindow* from) {
  C3dMaterial* source = from ? UsableMaterial(from->fCopiedMaterial) : nullptr;
  if (!source) return kNoErr;
  int32_t made = kNoErr;
  if (!GetMaterialClipboard(true, &made)) return NonZeroError(made);
  {
    CHolder sourceLock(source, false, false);
    CHolder clipboardLock(fCopiedMaterial, true, false);
    if (!sourceLock.IsLocked() || !clipboardLock.IsLocked()) return kErrOutOfMemory;
    if (const int32_t err = fCopiedMaterial->CopyWithTextureRefs(*source)) return err;
  }
  return fDocument->MoveKeptTextures(from->fScene.get(), fScene.get(), nullptr, fCopiedMaterial);
}

int32_t CDocWindow::ShowSelectionAsBox(bool box) {
  const CSelection& selection = fDocument->GetSelection();
  const auto show = [box](auto& self, C3dObject* object) -> void {
    CHolder lock(object, true, false);
    object->SetFlags(C3dObject::kHidden, box);
    // A group is drawn by its members.
    if (!IsGroup(object)) return;
    auto* group = static_cast<C3dGroup*>(object);
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) self(self, group->GetMember(i));
  };
  for (uint32_t i = 0; i < selection.GetCount(); ++i) show(show, selection.GetObject(i));
  if (selection.GetCount()) SetFlags(kUnsavedChanges);
  Invalidate(false);
  return kNoErr;
}

int32_t CDocWindow::CopyMaterial() {
  CSelection& selection = fDocument->GetSelection();
  C3dObject* object = selection.GetObject(0);
  // A group stands for its first member, at any depth.
  while (object && IsGroup(object)) {
    auto* group = static_cast<C3dGroup*>(object);
    object = group->GetMemberCount() ? group->GetMember(0) : nullptr;
  }
  C3dMaterial* source = object ? MaterialOf(object) : nullptr;
  if (!source) return kHandled;
  int32_t made = kNoErr;
  if (!GetMaterialClipboard(true, &made)) return made;
  CHolder sourceLock(source, false, false);
  CHolder clipboardLock(fCopiedMaterial, true, false);
  if (!sourceLock.IsLocked() || !clipboardLock.IsLocked()) return kErrOutOfMemory;
  if (const int32_t err = fCopiedMaterial->CopyWithTextureRefs(*source)) return err;
  return kHandled;
}

int32_t CDocWindow::PasteMaterial(CMaterialAction* action, C3dObject* object) {
  if (!object || !object->IsReady()) return kHandled;
  if (IsGroup(object)) {
    auto* group = static_cast<C3dGroup*>(object);
    int32_t result = kNoErr;
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) {
      const int32_t err = PasteMaterial(action, group->GetMember(i));
      if (err != kNoErr && err != kHandled && result == kNoErr) result = err;
    }
    return result;
  }
  C3dMaterial* clipboard = UsableMaterial(fCopiedMaterial) ? fCopiedMaterial : UsableMaterial(fDefaultMaterial);
  if (!clipboard) return kHandled;
  if (const int32_t err = action->AddObject(object, true)) return err;
  return CMaterialAction::CopyInto(object, clipboard);
}
