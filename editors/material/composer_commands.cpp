// The composer's message handler: the replies of the editors it opens, the commands of its own
// elements, and the commands that work on the whole material (the grid, randomize, reset) and on its
// ring of number fields.
#include <cstring>
#include <memory>

#include "document/texture_selection.h"
#include "editing/document_host.h"
#include "editors/material/dt_editor.h"
#include "editors/material/edit_3d_texture.h"
#include "editors/material/layout_needs.h"
#include "editors/material/material_composer.h"
#include "editors/material/pict_textures.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "presets/layout_needs.h"
#include "presets/obj_mat_presets.h"
#include "render/preview_scene.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"

namespace {

constexpr const char* kRecordUndo = "record undo";
constexpr const char* kReplyCancel = "cancel";
// "objinfochanged" after "ok": the selection's objects changed.
constexpr uint32_t kObjectsChanged = 4;
constexpr uint32_t kMappingOption = 0x1;
constexpr double kMirroredChance = 0.2;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

bool IsComposer(const char* name) { return Same(name, need::kMaterialComposer.canvas.name); }

// Shown with every ancestor, and switched on.
bool IsActiveField(CElement* field) {
  if (!CMaterialComposer::IsSwitchedOn(field)) return false;
  for (CElement* element = field; element; element = element->GetParent()) {
    if (!element->IsShown()) return false;
  }
  return true;
}

}  // namespace

int32_t CMaterialComposer::HandleEvent(CUIMessage* message) {
  if (!message || !IsShown()) return 0;
  if (const int32_t handled = HandleValueMessage(message)) return handled;
  if (message->kind != 0) return CUIHostCanvas::HandleEvent(message);
  const char* canvas = message->canvasName;
  const char* element = message->elementName;
  const bool fromEditor = Same(canvas, need::kEdit3dTexture.canvas.name) || Same(canvas, need::kDTEditor.canvas.name);
  if (fromEditor && IsComposer(element)) return TakeEditorReply(*message);
  if (Same(canvas, need::kPictTextures.canvas.name)) {
    if (Same(element, kReplyCancel)) {
      RefreshControls(false);
      return 0;
    }
    if (IsComposer(element)) {
      RebuildPictureMenu();
      RefreshControls(true);
      return 0;
    }
  }
  if (Same(canvas, need::kObjMatPresets.canvas.name) && IsComposer(element)) {
    if (fPresetsChanged) {
      RefreshControls(true);
      RebuildPictureMenu();
      if (const int32_t err = RebuildTextureMenu()) return err;
    }
    fPresetsChanged = 0;
    return 0;
  }
  if (!IsComposer(canvas)) {
    for (int c = 0; c < kComponentCount; ++c) {
      for (CElement* swatch : {static_cast<CElement*>(fComponentColors[c]), static_cast<CElement*>(fComponentAlphas[c]),
                               static_cast<CElement*>(fComponentBumps[c])}) {
        if (!swatch || !Same(element, swatch->GetName())) continue;
        OpenTextureEditor(c);
        return kHandled;
      }
    }
    return CUIHostCanvas::HandleEvent(message);
  }
  return TakeComposerCommand(message);
}

// A texture editor's reply: the texture chosen for the component, by its selection handle.
int32_t CMaterialComposer::TakeEditorReply(const CUIMessage& message) {
  const uint32_t handle = uint32_t(message.GetPayloadWord(0));
  const int32_t component = message.GetPayloadWord(1);
  if (handle && component >= 0 && component < kComponentCount) {
    RecordUndoStep();
    SetComponent(kAssignTexture, component, kProcedural, int32_t(handle));
    RebuildTextureMenu();
  }
  RefreshControls(true);
  return 0;
}

int32_t CMaterialComposer::TakeComposerCommand(CUIMessage* message) {
  const char* element = message->elementName;
  if (Same(element, kRecordUndo)) {
    RecordUndoStep();
    return kHandled;
  }
  if (Same(element, need::kComposerMaterialGrid.name)) {
    ApplyGrid();
    return kHandled;
  }
  if (Same(element, need::kComposerPreviewOptions.name)) {
    CMenu* loaded = nullptr;
    if (const int32_t err = CMenu::Load(GetResourceEnvironment(), need::kPreviewOptionsMenu.number, &loaded, nullptr))
      return err;
    std::unique_ptr<CMenu> menu(loaded);
    fPreview->HandleOptionsMenu(menu.get(), message->secondPoint, GetWindow());
    HandToPreview();
    return kHandled;
  }
  if (Same(element, need::kComposerMaterialPreview.name)) {
    SWinEvent press;
    press.Init();
    fPreview->Paint(fMaterialPreview, GetDeviceContext(), &press);
    return kHandled;
  }
  if (Same(element, need::kComposerMaterialPresets.name)) {
    const int32_t err = OpenPresets();
    return err ? err : kHandled;
  }
  if (Same(element, need::kComposerCopy.name)) CopyMaterial();
  if (Same(element, need::kComposerPaste.name)) {
    RecordUndoStep();
    PasteMaterial();
  }
  const bool ok = Same(element, need::kMaterialComposer.ok.name);
  if (ok || Same(element, need::kMaterialComposer.cancel.name)) {
    CloseDialog(ok);
    return kHandled;
  }
  if (const int32_t answer = HandleComponentPress(message)) return answer;
  const bool randomize = Same(element, need::kComposerRandomize.name);
  if (randomize || Same(element, need::kComposerReset.name)) {
    RecordUndoStep();
    if ((randomize ? RandomizeMaterial() : ResetMaterial()) == kNoErr) RefreshControls(true);
    return kHandled;
  }
  return CUIHostCanvas::HandleEvent(message);
}

int32_t CMaterialComposer::OpenPresets() {
  if (!fPresets) return kErrObjectNotFound;
  if (const int32_t err = fPresets->BuildOnce()) return err;
  fPresets->AttachToEditor(fMaterial, &fPresetsChanged, need::kMaterialComposer.canvas.name);
  fPresets->Show(true);
  fPresets->Refresh(false);
  return kNoErr;
}

// "ok" and "cancel" end the composer's modal level; "ok" first writes the working material into the
// selection, which changes the document.
void CMaterialComposer::CloseDialog(bool apply) {
  CLayoutHostCanvas::Close();
  if (apply && fHost) {
    if (const int32_t err = ApplyToSelection()) {
      if (CAppl* app = GetApplication()) app->TellError(err);
    }
    fHost->FindSceneParts(false);
    fHost->NotifyObjInfoChanged(kObjectsChanged);
  }
  if (fMaterial) fMaterial->ReleaseTextureRefs(true);
  fUndo.Clear();
}

// ---- the editors of a component

int32_t CMaterialComposer::OpenTextureEditor(int c) {
  constexpr int32_t kFailed = 1;
  if (!fMaterial || c < 0 || c >= kComponentCount) return kFailed;
  CHolder held(fMaterial, false, false);
  if (!held.IsLocked()) return kFailed;
  CBaseTexture* texture = fMaterial->GetChannelTexture(c);
  const char* name = need::kMaterialComposer.canvas.name;
  CUIHostCanvas* dialog = nullptr;
  CAppl* app = GetApplication();
  if (fMaterial->GetRecord().component[c].textureTag == CPictTexture::kClassTag) {
    if (!fPictTextures || fPictTextures->BuildOnce()) return kFailed;
    fPictTextures->SetContext(name, fMaterial, nullptr, uint32_t(c));
    fPictTextures->RefreshSlots(dynamic_cast<CPictTexture*>(texture));
    dialog = fPictTextures;
  } else if (app && app->IsAltDown()) {
    if (!fTextureEditor || fTextureEditor->BuildOnce()) return kFailed;
    fTextureEditor->SetTarget(name, fMaterial, c);
    fTextureEditor->SetTextureSource(fTextures, 0);
    fTextureEditor->OpenTexture(dynamic_cast<C3dTexture*>(texture));
    fTextureEditor->RefreshComponentControls(true);
    fTextureEditor->BindControls();
    dialog = fTextureEditor;
  } else {
    if (!fQuickEditor || fQuickEditor->BuildOnce()) return kFailed;
    fQuickEditor->SetTarget(name, fMaterial, c);
    fQuickEditor->LoadTextureLibrary(fTextures, 0);
    fQuickEditor->Open(dynamic_cast<C3dTexture*>(texture));
    dialog = fQuickEditor;
  }
  held.Release();
  dialog->Refresh(false);
  return kNoErr;
}

// ---- the whole material

CElement* CMaterialComposer::GridCell(int index) const {
  CElement* cell = nullptr;
  CElSystem* cells = fMaterialGrid ? fMaterialGrid->GetChildren() : nullptr;
  if (!cells || CElSystem::GetElementAt(cells, uint32_t(index), &cell) != kNoErr) return nullptr;
  return cell;
}

// A channel row that takes a component without a texture gives that component a new one.
void CMaterialComposer::ApplyGrid() {
  for (int row = 0; row < kChannelCount; ++row) {
    const bool flat = IsSwitchedOn(GridCell(row * kGridColumns));
    if (row < 3) {
      SwitchOn(fValueSliders[row], flat, true);
      SwitchOn(fValueTexts[row], flat, true);
    }
    if (flat) continue;
    int column = 0;
    for (int col = 1; col < kGridColumns; ++col) {
      if (IsSwitchedOn(GridCell(row * kGridColumns + col))) column = col;
    }
    if (column > 0 && ComponentTypeState(column - 1) == uint32_t(kNoTexture))
      SetComponent(kTypeChosen, column - 1, kProcedural, 0);
  }
  StoreControls();
}

// New random parameters; a component that no source reads loses its texture, the others take a
// random frequency, mapping and mirroring.
int32_t CMaterialComposer::RandomizeMaterial() {
  if (!fMaterial) return kErrObjectNotFound;
  CHolder held(fMaterial, true, false);
  if (!held.IsLocked()) return NonZeroError(fMaterial->GetError());
  if (const int32_t err = fMaterial->Randomize()) return err;
  SRandomState& state = GetRandomState();
  for (int k = 0; k < kComponentCount; ++k) {
    if (!fMaterial->UsesComponent(k + 1)) {
      if (const int32_t err = fMaterial->SetChannelTexture(nullptr, k)) return err;
      continue;
    }
    SMaterialComponent& component = fMaterial->GetRecord().component[k];
    component.scale = NextRandomUnit(state);
    component.mappingMode = int32_t(NextRandom(state) % uint32_t(kMappingModes));
    if (NextRandomUnit(state) < kMirroredChance) component.flags |= kMappingOption;
    else component.flags &= ~kMappingOption;
    CBaseTexture* texture = fMaterial->GetChannelTexture(k);
    if (fTextureMenu && dynamic_cast<C3dTexture*>(texture)) {
      const uint32_t index = fTextureMenu->FindItemIndex(TextureSelectionOf(texture));
      if (index) {
        fTextureMenu->SetCurrentByCommand(TextureSelectionOf(texture));
        fTextureMenu->CheckItem(index, true, nullptr, true);
      }
    }
  }
  return kNoErr;
}

int32_t CMaterialComposer::ResetMaterial() {
  if (!fMaterial) return kErrObjectNotFound;
  {
    CHolder held(fMaterial, true, false);
    if (!held.IsLocked()) return NonZeroError(fMaterial->GetError());
  }
  return fMaterial->Reset();
}

// ---- the ring of number fields

int CMaterialComposer::RingIndex(const CElement* element) const {
  for (int i = 0; element && i < kTextRingCount; ++i) {
    if (fTextRing[i] == element) return i;
  }
  return -1;
}

int32_t CMaterialComposer::ActivateNextText(CElement* current) {
  CAppl* app = GetApplication();
  const bool back = app && app->IsShiftDown();
  const int at = RingIndex(current);
  int next = 0;
  if (back) next = at < 0 ? kTextRingCount - 1 : (at + kTextRingCount - 1) % kTextRingCount;
  else next = at < 0 ? 0 : (at + 1) % kTextRingCount;
  CTxElement* field = fTextRing[next];
  if (!field || !IsActiveField(field)) return 0;
  SWinEvent press;
  press.Init();
  press.time = uint32_t(platform::MsToTicks(platform::NowMs()));
  SPointHV local;
  field->RootToLocalPoint(&local, {press.x, press.y});
  CElement* handled = nullptr;
  return field->RunPressCallback(&handled, local, &press);
}
