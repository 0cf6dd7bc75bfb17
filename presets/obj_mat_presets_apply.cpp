// Applying presets: the working material from the selection or an editor, onto the selection as one
// undo step or back into the editor, and an object preset placed into the scene.
#include <cstring>

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/material_action.h"
#include "editing/selection.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "presets/layout_needs.h"
#include "presets/obj_mat_presets.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/group.h"
#include "scene/object.h"
#include "scene/surface/base_texture.h"
#include "scene/surface/material.h"

namespace {

constexpr uint32_t kPictureClass = FourCC("pctx");
constexpr uint32_t kProceduralClass = FourCC("qntx");
// "objinfochanged" for every object.
constexpr uint32_t kAllObjects = 0xFFFF;

C3dMaterial* MaterialOf(C3dObject* object) {
  C3dMaterial* material = object ? LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily) : nullptr;
  return material && material->IsReady() ? material : nullptr;
}

// Locks the target first, so that a failed lock leaves its texture slots as they are, then makes it a
// copy of the source that counts its own texture uses.
int32_t CopyInto(C3dMaterial* target, C3dMaterial& source) {
  CHolder held(target, true, false);
  if (!held.IsLocked()) return NonZeroError(target->GetError());
  return target->CopyWithTextureRefs(source);
}

}  // namespace

// ---- the working material

int32_t CObjMatPresets::AttachToSelection() {
  fHost = GetCurrentDocumentHost();
  GetPreview().RestartRender();
  C3dMaterial* source = fHost ? fHost->GetDefaultMaterial() : nullptr;
  fCurrentObject = nullptr;
  if (fHost && C3dObject::FindFirstSelectedRoot(fHost->GetSceneTable(), &fCurrentObject) == kNoErr) {
    if (C3dMaterial* selected = MaterialOf(fCurrentObject)) source = selected;
  }
  if (const int32_t err = TakeWorkingMaterial(source)) return err;
  CPreviewScene& preview = GetPreview();
  if (preview.GetShapeCode() == CPreviewScene::kSelection) preview.SampleFromSelection();
  preview.BuildObjectSample(CPreviewScene::kOwnSky);
  return ShowWorkingMaterial();
}

int32_t CObjMatPresets::TakeWorkingMaterial(C3dMaterial* source) {
  if (!source || !fWorking) return kNoErr;
  CHolder held(source, false, false);
  if (!held.IsLocked()) return NonZeroError(source->GetError());
  if (const int32_t err = CopyInto(fWorking, *source)) {
    fWorking->ReleaseTextureRefs(true);
    return err;
  }
  return kNoErr;
}

int32_t CObjMatPresets::ShowWorkingMaterial() {
  CPreviewScene& preview = GetPreview();
  if (C3dObject* sample = preview.GetSample(); sample && fWorking) sample->SetMaterial(fWorking->GetHandle());
  return preview.ResetView();
}

int32_t CObjMatPresets::AttachToEditor(C3dMaterial* material, uint8_t* changedFlag, const char* replyName) {
  fMaterials = true;
  if (fTitle) fTitle->SelectEntry(1, false, true, false);
  fEditorMaterial = material;
  fChangedFlag = changedFlag;
  fReplyName = replyName ? replyName : "";
  fHost = GetCurrentDocumentHost();
  if (const int32_t err = TakeWorkingMaterial(fHost ? fHost->GetDefaultMaterial() : nullptr)) return err;
  return ShowWorkingMaterial();
}

int32_t CObjMatPresets::LoadMaterialPreset(C3dMaterial* material, uint32_t index, uint32_t* id) {
  if (!fLibrary.IsOpen()) return kErrObjectNotFound;
  return ::LoadMaterialPreset(fLibrary.GetLibrary(), fTable, index, material, nullptr, id);
}

// ---- onto the selection

// Textures the working material took from a library join the document before objects name them; a
// picture joins the window's picture list too.
int32_t CObjMatPresets::AdoptWorkingTextures() {
  C3dBaseSys* scene = fHost ? fHost->GetSceneTable() : nullptr;
  if (!scene || !fWorking) return kErrInvalidParameter;
  bool pictures = false;
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    CBaseTexture* texture = fWorking->GetChannelTexture(k);
    if (!texture || (texture->GetClass() != kPictureClass && texture->GetClass() != kProceduralClass)) continue;
    if (texture->GetOwningTable() == scene) continue;
    if (texture->GetOwningTable()) return kErrUnexpectedStatus;
    texture->SetId(0);
    if (const int32_t err = scene->AddObject(texture)) return err;
    // The slot names the id the document gave it.
    if (const int32_t err = fWorking->SetChannelTexture(texture, k)) return err;
    pictures = pictures || texture->GetClass() == kPictureClass;
  }
  if (pictures) {
    if (C3dBaseSpoolTable* list = fHost->GetPictureList())
      scene->CollectByTypeAndKind(CBaseTexture::kFamily, kPictureClass, list, false);
  }
  return kNoErr;
}

int32_t CObjMatPresets::ApplyMaterialToObject(C3dObject* object, CMaterialAction* action) {
  if (!object || !object->IsReady()) return kNoErr;
  if (auto* group = dynamic_cast<C3dGroup*>(object)) {
    for (uint32_t i = group->GetMemberCount(); i-- > 0;) {
      if (const int32_t err = ApplyMaterialToObject(group->GetMember(i), action)) return err;
    }
    return kNoErr;
  }
  if (action) action->AddObject(object, true);
  C3dMaterial* material = MaterialOf(object);
  if (!material || material == fWorking) return kNoErr;
  if (const int32_t err = CopyInto(material, *fWorking)) {
    material->ReleaseTextureRefs(true);
    return err;
  }
  return kNoErr;
}

int32_t CObjMatPresets::ApplyMaterialToSelection() {
  C3dBaseSys* scene = fHost ? fHost->GetSceneTable() : nullptr;
  if (!scene || !fWorking) return kNoErr;
  C3dObject* first = nullptr;
  uint32_t at = 0;
  if (C3dObject::FindNextSelected(scene, &first, &at) != kNoErr) return kNoErr;
  CHolder held(fWorking, false, false);
  if (!held.IsLocked()) return NonZeroError(fWorking->GetError());
  if (const int32_t err = AdoptWorkingTextures()) return err;
  auto action = std::make_unique<CMaterialAction>();
  if (!action->IsValid()) action.reset();
  int32_t result = kNoErr;
  C3dObject* object = nullptr;
  for (at = 0; !result && C3dObject::FindNextSelected(scene, &object, &at) == kNoErr;)
    result = ApplyMaterialToObject(object, action.get());
  if (result) return result;
  C3dDocument* document = fHost->GetHostDocument();
  if (action && document) {
    if (const int32_t err = document->GetUndoHistory().Push(action.release())) return err;
  }
  if (C3dMaterial* current = fHost->GetDefaultMaterial(); current && current != fWorking) {
    if (const int32_t err = CopyInto(current, *fWorking)) current->ReleaseTextureRefs(true);
  }
  fHost->MarkUnsavedChanges();
  fHost->NotifyObjInfoChanged(kAllObjects);
  held.Release();
  fWorking->ReleaseTextureRefs(false);
  return kNoErr;
}

// ---- back to an editor

int32_t CObjMatPresets::CopyMaterialToEditor() {
  if (!fWorking || !fEditorMaterial) return kErrInvalidParameter;
  CHolder held(fWorking, false, false);
  if (!held.IsLocked()) return NonZeroError(fWorking->GetError());
  int32_t err = fHost ? AdoptWorkingTextures() : kNoErr;
  if (!err) {
    err = CopyInto(fEditorMaterial, *fWorking);
    if (err) fEditorMaterial->ReleaseTextureRefs(true);
  }
  held.Release();
  fWorking->ReleaseTextureRefs(false);
  return err;
}

bool CObjMatPresets::ReturnPresetToEditor(bool skip) {
  if (skip || !fEditorMaterial || fReplyName.empty()) return false;
  CUICmFunction* owner = GetOwner();
  // The editor records its own undo step before its material changes.
  CUIMessage undo;
  undo.Init(0, "record undo", nullptr, fReplyName.c_str(), CUIMessage::kBroadcast);
  if (owner) owner->Dispatch(&undo);
  CopyMaterialToEditor();
  if (fChangedFlag) *fChangedFlag = 1;
  const std::string reply = fReplyName;
  fReplyName.clear();
  CUIMessage answer;
  answer.Init(0, reply.c_str(), nullptr, need::kObjMatPresets.canvas.name, CUIMessage::kBroadcast);
  if (owner) owner->Dispatch(&answer);
  return true;
}

// ---- an object preset into the scene

int32_t CObjMatPresets::PlaceObjectPreset() {
  if (!fTable || !fCurrentPresetId || !fHost) return kNoErr;
  C3dBaseSys* scene = fHost->GetSceneTable();
  if (!scene) return kErrInvalidParameter;
  CAppl* app = GetApplication();
  C3dBaseSys temporary(app ? app->GetObjectsEnv() : nullptr);
  if (!temporary.IsValid()) return kErrOutOfMemory;
  C3dGroup* group = nullptr;
  if (const int32_t err = ReadStoredGroup(fLibrary.GetLibrary(), fCurrentPresetId, &temporary, &group)) return err;
  // Fresh ids in the document for everything the preset brings, references following.
  if (const int32_t err = temporary.MoveAllTo(scene, true)) return err;
  vector3<double> position;
  const bool placed = fHost->PlaceNewObject(&position) == 0;
  C3dDocument* document = fHost->GetHostDocument();
  if (document) document->GetSelection().DeselectAll(1);
  {
    CHolder held(group, true, false);
    if (!held.IsLocked()) return NonZeroError(group->GetError());
    if (placed) group->MoveCentreTo(position);
    while (group->GetMemberCount()) {
      C3dObject* member = group->GetMember(group->GetMemberCount() - 1);
      group->RemoveChild(member);
      CHolder memberHeld(member, true, false);
      member->SetFlags(C3dObject::kSelected, true);
      if (auto* inner = dynamic_cast<C3dGroup*>(member)) inner->ComputeBounds();
    }
  }
  // The link step gives a group a material of its own, which goes with it.
  C3dMaterial* own = MaterialOf(group);
  scene->RemoveObject(group, true, false);
  if (own && own->GetOwningTable() == scene) scene->RemoveObject(own, true, false);
  fHost->FindSceneParts(false);
  fHost->Invalidate(true);
  scene->PrepareObjects();
  if (document) {
    C3dBaseSpoolTable* list = fHost->GetObjectList();
    if (list) document->GetSelection().AddSelectedOf(list);
  }
  fHost->MarkUnsavedChanges();
  return kNoErr;
}
