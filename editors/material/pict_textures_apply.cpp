// The picture textures dialog's "ok", which gives the current texture to the material of whoever
// opened the dialog or to the selection's materials, and its "delete pict", which takes a texture out
// of every material and of the document.
#include <cstring>
#include <memory>
#include <vector>

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/material_action.h"
#include "editing/undo_history.h"
#include "editors/material/material_composer.h"
#include "editors/material/pict_textures.h"
#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/ui_message.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/group.h"
#include "scene/light.h"
#include "scene/object.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"

namespace {

constexpr uint32_t kObjectsChanged = 4;
// The picture's component and its set-up: mapped by mode 2 at the scale that repeats it once.
constexpr int kPictureComponent = 0;
constexpr int32_t kPictureMapping = 2;
constexpr double kPictureScale = 0.01;
// Sources read the picture's component by its number.
constexpr int32_t kPictureSource = kPictureComponent + 1;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

C3dMaterial* MaterialOf(Handle32 handle) {
  C3dMaterial* material = LookupHandleAs<C3dMaterial>(handle, C3dMaterial::kFamily);
  return material && material->IsReady() ? material : nullptr;
}

// The material's picture component takes the texture, its use counted; the other components keep
// theirs. With seeThrough (the set-up of surfaces) the picture gives the diffuse colour and the
// transparency, and the material lets light through where the picture says.
int32_t GivePicture(C3dMaterial* material, CPictTexture* texture, int channel, bool setUp, bool seeThrough) {
  if (!material) return kNoErr;
  CHolder held(material, true, false);
  if (!held.IsLocked()) return NonZeroError(material->GetError());
  if (const int32_t err = material->SetChannelTexture(texture, channel)) return err;
  if (const int32_t err = material->AddTextureRefs()) return err;
  if (!setUp) return kNoErr;
  SMaterialRecord& record = material->GetRecord();
  record.component[kPictureComponent].mappingMode = kPictureMapping;
  record.component[kPictureComponent].scale = kPictureScale;
  if (seeThrough) {
    record.sample.flags |= SMaterialSample::kSeeThrough;
    record.sources[C3dMaterial::kDiffuseColourSource] = kPictureSource;
    record.sources[C3dMaterial::kTransparencySource] = kPictureSource;
  }
  return kNoErr;
}

// Empties every channel of the material that holds the texture, giving back the uses it counted.
int32_t TakeOut(C3dMaterial* material, CBaseTexture* texture) {
  if (!material) return kNoErr;
  CHolder held(material, true, false);
  if (!held.IsLocked()) return NonZeroError(material->GetError());
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    if (material->GetChannelTexture(k) != texture) continue;
    if (const int32_t err = material->SetChannelTexture(nullptr, k)) return err;
  }
  return kNoErr;
}

// An object's materials, and a group's members' from the last to the first, at any depth.
int32_t TakeOutOfObject(C3dObject* object, CBaseTexture* texture) {
  if (auto* group = dynamic_cast<C3dGroup*>(object)) {
    for (uint32_t i = group->GetMemberCount(); i-- > 0;) {
      if (const int32_t err = TakeOutOfObject(group->GetMember(i), texture)) return err;
    }
  }
  if (const int32_t err = TakeOut(MaterialOf(object->GetMaterial()), texture)) return err;
  if (auto* light = dynamic_cast<C3dLight*>(object)) return TakeOut(MaterialOf(light->GetLightWord()), texture);
  return kNoErr;
}

}  // namespace

// ---- "ok"

int32_t CPictTextures::Apply() {
  CPictTexture* texture = GetCurrentTexture();
  CDocumentHost* host = GetCurrentDocumentHost();
  if (!texture || !host) {
    if (fTarget && fResultFlag) *fResultFlag = 0;
    ClearContext();
    return kNoErr;
  }
  int32_t result = kNoErr;
  const uint32_t width = fWork->GetWidth(), height = fWork->GetHeight();
  if (Same(fCallerName, kLightEditor)) {
    result = GivePicture(fTarget, texture, kPictureComponent, true, false);
  } else if (Same(fCallerName, kComposer)) {
    result = GivePicture(fTarget, texture, int(fChannel), false, false);
  } else if (Same(fCallerName, kDocWindow)) {
    result = GivePicture(fTarget ? fTarget : host->GetDefaultMaterial(), texture, kPictureComponent, true, true);
  } else {
    result = ApplyToSelection(host, texture);
  }
  host->FindSceneParts(false);
  // The caller learns that its material changed.
  if (!result && fTarget && fResultFlag) *fResultFlag = 1;
  if (fCallerName) {
    if (const int32_t replied = Reply(width, height); !result) result = replied;
  }
  ClearContext();
  return result;
}

// The objects changed before a failure are one undo step all the same, so that the partial change can
// be taken back; the window's current material then stays as it was.
int32_t CPictTextures::ApplyToSelection(CDocumentHost* host, CPictTexture* texture) {
  auto action = std::make_unique<CMaterialAction>();
  if (!action->IsValid()) action.reset();
  C3dBaseSys* scene = host->GetSceneTable();
  int32_t result = kNoErr;
  C3dObject* object = nullptr;
  for (uint32_t at = 0; !result && C3dObject::FindNextSelected(scene, &object, &at) == kNoErr;) {
    if (!object->GetParent()) result = ApplyToObject(object, texture, action.get());
  }
  C3dDocument* document = host->GetHostDocument();
  if (action && action->GetObjects().GetCount() > 0 && document) {
    if (const int32_t err = document->GetUndoHistory().Push(action.release())) return result ? result : err;
  }
  if (result) return result;
  result = GivePicture(host->GetDefaultMaterial(), texture, kPictureComponent, true, true);
  host->NotifyObjInfoChanged(kObjectsChanged);
  return result;
}

int32_t CPictTextures::ApplyToObject(C3dObject* object, CPictTexture* texture, CMaterialAction* action) {
  if (!object || !object->IsReady()) return kNoErr;
  if (auto* group = dynamic_cast<C3dGroup*>(object)) {
    for (uint32_t i = group->GetMemberCount(); i-- > 0;) {
      if (const int32_t err = ApplyToObject(group->GetMember(i), texture, action)) return err;
    }
    return kNoErr;
  }
  if (action) {
    if (const int32_t err = action->AddObject(object, true)) return err;
  }
  return GivePicture(MaterialOf(object->GetMaterial()), texture, kPictureComponent, true, true);
}

// The caller learns the picture's size: {kind 0, its name, "picttextures", first point (w, h)}.
int32_t CPictTextures::Reply(uint32_t width, uint32_t height) {
  CHoElement* root = GetRoot();
  if (!root) return kNoErr;
  CUIMessage message;
  message.Init(0, fCallerName, nullptr, need::kPictTextures.canvas.name, CUIMessage::kBroadcast);
  message.firstPoint = {int32_t(width), int32_t(height)};
  const int32_t answer = root->SendMessageUp(&message, root);
  return answer == kHandled ? kNoErr : answer;
}

// ---- "delete pict"

int32_t CPictTextures::DeleteCurrent() {
  CPictTexture* texture = GetCurrentTexture();
  CDocumentHost* host = GetCurrentDocumentHost();
  C3dBaseSys* scene = host ? host->GetSceneTable() : nullptr;
  if (!texture || !scene) return kErrObjectNotFound;
  // The undo steps hold copies of materials, which may hold the texture.
  if (C3dDocument* document = host->GetHostDocument()) document->GetUndoHistory().Clear();
  CMaterialComposer* composer = CMaterialComposer::GetCurrent();
  if (composer) composer->GetUndo().Clear();
  std::vector<C3dMaterial*> materials = {host->GetDefaultMaterial(), host->GetMaterialClipboard(false),
                                         composer ? composer->GetMaterial() : nullptr};
  std::vector<C3dObject*> objects;
  {
    CHolder rows(scene, false, false);
    if (!rows.IsLocked()) return NonZeroError(scene->GetError());
    for (uint32_t row = 0; row < scene->GetCount(); ++row) {
      C3dBase* thing = (*scene)[row].object;
      if (!thing) continue;
      if (thing->GetFamily() == C3dMaterial::kFamily) materials.push_back(static_cast<C3dMaterial*>(thing));
      else if (C3dObject* object = thing->AsObject(); object && !object->GetParent()) objects.push_back(object);
    }
  }
  for (C3dObject* object : objects) {
    if (const int32_t err = TakeOutOfObject(object, texture)) return err;
  }
  for (C3dMaterial* material : materials) {
    if (const int32_t err = TakeOut(material, texture)) return err;
  }
  host->NotifyObjInfoChanged(kObjectsChanged);
  fCurrent->SetUserWord(kTextureWord, kNoHandle);
  fCurrent->Redraw();
  const int32_t removed = scene->RemoveObject(texture, true, false);
  const int32_t found = host->FindSceneParts(false);
  ClearPreviews();
  return removed ? removed : found;
}
