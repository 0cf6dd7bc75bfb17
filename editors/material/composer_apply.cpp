// The composer and its document window: binding to the window with a copy of the material to edit,
// the window's material clipboard, the preview's sample wearing the working material, and "ok", which
// writes the working material into every selected object and the window's current material as one
// undo step of the document.
#include <memory>

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/material_action.h"
#include "editing/undo_history.h"
#include "editors/material/material_composer.h"
#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "render/preview_scene.h"
#include "scene/base_sys.h"
#include "scene/group.h"
#include "scene/light.h"
#include "scene/object.h"
#include "scene/surface/material.h"

namespace {

C3dMaterial* MaterialOf(C3dObject* object) {
  C3dMaterial* material = object ? LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily) : nullptr;
  return material && material->IsReady() ? material : nullptr;
}

// A group stands for its first member, at any depth.
C3dObject* FirstMember(C3dObject* object) {
  while (auto* group = dynamic_cast<C3dGroup*>(object)) object = group->GetMemberCount() ? group->GetMember(0) : nullptr;
  return object;
}

// Locks the material first, so that a failed lock leaves its texture slots as they are, then makes it
// a copy of the source that counts its own texture uses.
int32_t CopyInto(C3dMaterial* target, C3dMaterial& source) {
  CHolder held(target, true, false);
  if (!held.IsLocked()) return NonZeroError(target->GetError());
  return target->CopyWithTextureRefs(source);
}

}  // namespace

int32_t CMaterialComposer::AttachDocument(CDocumentHost* window) {
  fHost = window;
  if (!window || !fMaterial) return kErrInvalidParameter;
  C3dMaterial* source = window->GetDefaultMaterial();
  C3dObject* root = nullptr;
  if (C3dObject::FindFirstSelectedRoot(window->GetSceneTable(), &root) == kNoErr) {
    if (C3dMaterial* selected = MaterialOf(FirstMember(root))) source = selected;
  }
  if (const int32_t err = RebuildPictureMenu()) return err;
  if (source) {
    CHolder sourceHeld(source, false, false);
    if (!sourceHeld.IsLocked()) return NonZeroError(source->GetError());
    if (const int32_t err = CopyInto(fMaterial, *source)) return err;
  }
  if (fPreview && fPreview->GetShapeCode() == CPreviewScene::kSelection) {
    fPreview->SampleFromSelection();
    fPreview->BuildObjectSample(CPreviewScene::kOwnSky);
  }
  HandToPreview();
  if (const int32_t err = RebuildTextureMenu()) return err;
  return RefreshControls(false);
}

// The sample wears the working material, so that its undo steps record the working material; the
// members of a copied group keep materials of their own, which take a copy.
int32_t CMaterialComposer::HandToPreview() {
  C3dObject* sample = fPreview ? fPreview->GetSample() : nullptr;
  if (!sample || !fMaterial) return kNoErr;
  sample->SetMaterial(fMaterial->GetHandle());
  if (auto* group = dynamic_cast<C3dGroup*>(sample)) {
    CDynTable<C3dObject*> members(SRange{0, 8});
    if (C3dObject::AppendExpandingGroups(members, group, true)) return kErrOutOfMemory;
    for (uint32_t i = 0; i < members.GetCount(); ++i) {
      C3dMaterial* own = members[i] == sample ? nullptr : MaterialOf(members[i]);
      if (own && own != fMaterial) CopyInto(own, *fMaterial);
    }
  }
  return fPreview->ResetView();
}

int32_t CMaterialComposer::CopyMaterial() {
  if (!fHost || !fMaterial) return kErrInvalidParameter;
  int32_t made = kNoErr;
  C3dMaterial* clipboard = fHost->GetMaterialClipboard(true, &made);
  if (!clipboard) return NonZeroError(made);
  CHolder held(fMaterial, false, false);
  if (!held.IsLocked()) return kErrOutOfMemory;
  return CopyInto(clipboard, *fMaterial) == kNoErr ? kNoErr : kErrOutOfMemory;
}

// The clipboard, or before any copy the window's current material.
int32_t CMaterialComposer::PasteMaterial() {
  if (!fHost || !fMaterial) return kNoErr;
  C3dMaterial* source = fHost->GetMaterialClipboard(false);
  if (!source) source = fHost->GetDefaultMaterial();
  if (!source || !source->IsReady()) return kNoErr;
  {
    CHolder held(source, false, false);
    if (!held.IsLocked()) return kErrOutOfMemory;
    if (CopyInto(fMaterial, *source)) return kErrOutOfMemory;
  }
  HandToPreview();
  RefreshControls(false);
  return kNoErr;
}

// A failure part-way keeps what was done: the objects changed so far are the undo step, and the
// current material stays as it was.
int32_t CMaterialComposer::ApplyToSelection() {
  if (!fHost || !fMaterial) return kErrInvalidParameter;
  CHolder held(fMaterial, false, false);
  if (!held.IsLocked()) return NonZeroError(fMaterial->GetError());
  if (const int32_t err = StoreControls()) return err;
  fPending = std::make_unique<CMaterialAction>();
  if (!fPending->IsValid()) fPending.reset();
  C3dBaseSys* scene = fHost->GetSceneTable();
  int32_t result = kNoErr;
  C3dObject* object = nullptr;
  for (uint32_t at = 0; !result && C3dObject::FindNextSelected(scene, &object, &at) == kNoErr;)
    result = ApplyToObject(object);
  C3dDocument* document = fHost->GetHostDocument();
  if (fPending && fPending->GetObjects().GetCount() > 0 && document) {
    if (const int32_t err = document->GetUndoHistory().Push(fPending.release())) return result ? result : err;
  }
  fPending.reset();
  if (result) return result;
  C3dMaterial* current = fHost->GetDefaultMaterial();
  if (!current || current == fMaterial) return kNoErr;
  return CopyInto(current, *fMaterial);
}

int32_t CMaterialComposer::ApplyToObject(C3dObject* object) {
  if (!object || !object->IsReady()) return kNoErr;
  if (auto* group = dynamic_cast<C3dGroup*>(object)) {
    for (uint32_t i = group->GetMemberCount(); i-- > 0;) {
      if (const int32_t err = ApplyToObject(group->GetMember(i))) return err;
    }
    return kNoErr;
  }
  if (fPending) fPending->AddObject(object, true);
  C3dMaterial* material = MaterialOf(object);
  if (material && material != fMaterial) {
    if (const int32_t err = CopyInto(material, *fMaterial)) return err;
  }
  if (auto* light = dynamic_cast<C3dLight*>(object)) {
    CHolder lit(light, true, false);
    if (!lit.IsLocked()) return NonZeroError(light->GetError());
    light->SetColour(fMaterial->GetRecord().sample.transparentColour);
  }
  return kNoErr;
}
