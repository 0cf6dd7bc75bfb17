// The 3D texture editor as a dialog: construction, the build from its layout, the binding of its
// controls, opening it on a texture, and its message handler.
#include "editors/material/dt_editor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "document/texture_selection.h"
#include "editing/document_host.h"
#include "editors/material/dt_sub_editor.h"
#include "editors/material/replace_texture.h"
#include "editors/material/save_new_texture.h"
#include "editors/material/texture_menu_rows.h"
#include "editors/material/texture_saving.h"
#include "framework/core/appl.h"
#include "framework/core/char_set.h"
#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/color_picker.h"
#include "scene/base_sys.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"
#include "scene/texture/noise.h"

namespace {

using namespace need;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

CAppl* App() { return GetApplication(); }

bool IsValueField(const SLayoutNeed& need) { return need.kind == SLayoutNeed::kTextElement; }

// The press callback of a panel's child; none for the children that take no presses.
ElPressCallback PanelCallback(int panel, uint32_t child) {
  switch (child) {
    case kDTOperation:
      return panel == CDTEditor::kPanelC ? &CDTEditor::SelectFormatOrCount : &CDTEditor::ForwardAndRefresh;
    case kDTNoiseSliderDec:
    case kDTPhaseSliderDec:
    case kDTCValDec: return &CDTEditor::StepDown;
    case kDTNoiseSliderInc:
    case kDTPhaseSliderInc:
    case kDTCValInc: return &CDTEditor::StepUp;
    case kDTNoiseSliderBar:
    case kDTPhaseSliderBar: return &CDTEditor::DragSliderBar;
    case kDTNoiseSliderVal:
    case kDTPhaseSliderVal:
    case kDTAVal:
    case kDTBVal:
    case kDTCVal: return &CDTEditor::DragValueField;
    case kDTNoiseTypeMenu:
    case kDTFilterType:
    case kDTOutputType:
    case kDTColorMap:
    case kDTPhaseType: return &CDTEditor::ForwardAndRefresh;
    case kDTFilterImage: return &CDTEditor::DragFilterImage;
    case kDTResetFilter:
    case kDTReset: return &CDTEditor::ResetComponent;
    case kDTRGBFormat:
    case kDTHLSFormat: return &CDTEditor::SelectFormatOrCount;
    case kDTColor1:
    case kDTColor2:
    case kDTColor3: return &ColorSwatchEyedropperEx;
    case kDTCopy: return &CDTEditor::CopyComponent;
    case kDTPasteTo: return &CDTEditor::PasteComponent;
    case kDTShuffle: return &CDTEditor::ShuffleComponent;
    default: return nullptr;
  }
}

ElPressCallback GlobalCallback(uint32_t global) {
  switch (global) {
    case kDTCompCount2:
    case kDTCompCount3:
    case kDTGRGBFormat:
    case kDTGHLSFormat: return &CDTEditor::SelectFormatOrCount;
    case kDTGFreqSliderDec:
    case kDTGPhaseSliderDec:
    case kDTGCValDec: return &CDTEditor::StepDown;
    case kDTGFreqSliderInc:
    case kDTGPhaseSliderInc:
    case kDTGCValInc: return &CDTEditor::StepUp;
    case kDTGFreqSliderBar:
    case kDTGPhaseSliderBar: return &CDTEditor::DragSliderBar;
    case kDTGFreqSliderVal:
    case kDTGPhaseSliderVal:
    case kDTGAVal:
    case kDTGBVal:
    case kDTGCVal: return &CDTEditor::DragValueField;
    case kDTGFilterImage: return &CDTEditor::DragFilterImage;
    case kDTGFilterType:
    case kDTPreviewType:
    case kDTGOutputType:
    case kDTGColorMap:
    case kDTGPhaseType: return &CDTEditor::ForwardAndRefresh;
    case kDTGResetFilter: return &CDTEditor::ResetComponent;
    case kDTGColor1:
    case kDTGColor2:
    case kDTGColor3: return &ColorSwatchEyedropperEx;
    case kDTAddTexture: return &CDTEditor::ForwardPress;
    default: return nullptr;
  }
}

void BindPress(CElement* element, ElPressCallback press) {
  if (!element) return;
  element->SetPressCallback(press);
  element->SetHoverCallback(nullptr);
  element->SetCharCallback(nullptr);
}

// The stored name of a texture into a name buffer: at most its room less the terminator.
void CopyStoredName(C3dTexture* texture, char* out, size_t room) {
  CHolder held(texture, false, false);
  if (!held.IsLocked()) return;
  const std::string name = StoredNameOf(texture);
  const size_t length = std::min(name.size(), room - 1);
  std::memcpy(out, name.data(), length);
  out[length] = 0;
}

}  // namespace

CDTEditor::CDTEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDTEditor.canvas) {
  InitNoiseTables();
}

CDTEditor::~CDTEditor() {
  FreeBuilt();
  delete fWorking;
  fWorking = nullptr;
}

int32_t CDTEditor::SetContext(CSaveNewTexture* saveNew, CReplaceTexture* replace, CDTSubEditor* subEditor) {
  fSaveNew = saveNew;
  fReplace = replace;
  fSubEditor = subEditor;
  return kNoErr;
}

// ---- the build

int32_t CDTEditor::BuildControls(CResourceEnv* environment) {
  FreeBuilt();
  int32_t err = MakeMenus();
  if (!err) err = CLayoutHostCanvas::BuildControls(environment);
  if (!err) err = FindElements();
  if (err) FreeBuilt();
  return err;
}

// The hidden texture menu, then the pop-up menus of the choices.
int32_t CDTEditor::MakeMenus() {
  SDynTableLayout layout;
  CMenu::MakeLayout(layout, nullptr, 0, 4);
  fTextureMenu.reset(new CMenu(layout));
  if (!fTextureMenu) return kErrOutOfMemory;
  if (!fTextureMenu->IsUsable()) return NonZeroError(fTextureMenu->GetError());
  fTextureMenu->SetMenuId(kTextureMenuId);
  fTextureMenu->SetMenuFlags(CMenu::kMenuPopUp);
  if (const int32_t err = fTextureMenu->BuildPopupMenu()) return err;
  for (int kind = 0; kind < kChoiceCount; ++kind) {
    CMenu* loaded = nullptr;
    if (const int32_t err = CMenu::Load(GetResourceEnvironment(), kDTMenus[kind].number, &loaded, nullptr)) return err;
    fMenus[kind].reset(loaded);
    if (!loaded->IsUsable()) return NonZeroError(loaded->GetError());
  }
  return kNoErr;
}

void CDTEditor::FreeBuilt() {
  if (CAppl* app = App()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
  fTextureMenu.reset();
  for (std::unique_ptr<CMenu>& menu : fMenus) menu.reset();
  ForgetElements();
}

void CDTEditor::ForgetElements() {
  for (CElement*& panel : fPanels) panel = nullptr;
  for (auto& children : fChildren) std::fill(std::begin(children), std::end(children), nullptr);
  for (auto& markers : fMarkers) std::fill(std::begin(markers), std::end(markers), nullptr);
  std::fill(std::begin(fGlobals), std::end(fGlobals), nullptr);
}

// Every element of the layout, of the class the code relies on: the first missing one fails the build.
int32_t CDTEditor::FindElements() {
  ForgetElements();
  CHoElement* root = GetRoot();
  if (!root) return kErrUnexpectedStatus;
  for (int p = 0; p < kPanelCount; ++p) {
    if (const int32_t err = CElSystem::FindByName(root, kDTPanels[p].name, &fPanels[p])) return err;
  }
  const auto find = [](CElement* parent, const SLayoutNeed& need, CImElement** out) {
    if (!IsValueField(need)) return FindImElement(parent, need.name, out);
    CTxElement* field = nullptr;
    const int32_t err = FindTxElement(parent, need.name, &field);
    *out = field;
    return err;
  };
  for (uint32_t g = 0; g < kDTGlobalCount; ++g) {
    if (const int32_t err = find(root, kDTGlobals[g], &fGlobals[g])) return err;
  }
  if (CTxElement* frequency = GetField(kGlobal, kDTNoiseSliderVal)) {
    frequency->SetUserWord(0, 0);
    SetElementText(frequency, "0");
    PlaceSliderThumb(frequency, kDTGlobals[kDTGFreqSliderVal].name);
  }
  for (int p = 0; p < kPanelCount; ++p) {
    for (uint32_t c = 0; c < kDTPanelChildCount; ++c) {
      if (const int32_t err = find(fPanels[p], kDTPanelChildren[c], &fChildren[p][c])) return err;
    }
    for (uint32_t m = 0; p > kPanelA && m < kDTMenuMarkerCount; ++m) {
      if (const int32_t err = find(fPanels[p], kDTMenuMarkers[m], &fMarkers[p][m])) return err;
    }
    if (p > kPanelA) fChildren[p][kDTFilterText]->SelectEntry(uint32_t(p), false, false, true);
  }
  return kNoErr;
}

// ---- binding

int32_t CDTEditor::BindControls() {
  if (!GetRoot() || !fGlobals[kDTOk]) return kErrUnexpectedStatus;
  BindPress(fGlobals[kDTOk], &UIHostTrackButton);
  fGlobals[kDTOk]->SetCharCallback(&UIHostOnReturnKey);
  BindPress(fGlobals[kDTCancel], &UIHostTrackButton);
  fGlobals[kDTCancel]->SetCharCallback(&UIHostOnEscapeKey);
  for (int p = 0; p < kPanelCount; ++p) BindComponentControls(p);
  BindGlobalControls();
  if (!SubscribePreviews()) return kErrFailedCreation;
  fControlsBound = true;
  if (CTxElement* frequency = GetField(kGlobal, kDTNoiseSliderVal)) {
    frequency->SetUserWord(0, 0);
    SetElementText(frequency, "0");
    PlaceSliderThumb(frequency, kDTGlobals[kDTGFreqSliderVal].name);
  }
  ShowFormatsFromTexture();
  return kNoErr;
}

void CDTEditor::BindComponentControls(int panel) {
  for (uint32_t c = 0; c < kDTPanelChildCount; ++c) {
    if (ElPressCallback press = PanelCallback(panel, c)) BindPress(fChildren[panel][c], press);
    SetUpPanelElement(panel, c);
  }
}

void CDTEditor::BindGlobalControls() {
  for (uint32_t g = 0; g < kDTGlobalCount; ++g) {
    if (ElPressCallback press = GlobalCallback(g)) BindPress(fGlobals[g], press);
    if (IsValueField(kDTGlobals[g])) ShowValueText(static_cast<CTxElement*>(fGlobals[g]));
  }
  if (fGlobals[kDTGRGBFormat]) fGlobals[kDTGRGBFormat]->SelectEntry(1, false, false, true);
}

bool CDTEditor::SubscribePreviews() {
  CAppl* app = App();
  if (!app) return false;
  while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  return app->SubscribeHeartbeat(this, &PreviewHeartbeat);
}

// ---- opening on a texture

int32_t CDTEditor::SetTarget(const char* ownerName, C3dMaterial* material, int32_t channel) {
  fOwnerName = ownerName;
  fTargetMaterial = material;
  fTargetChannel = channel;
  return kNoErr;
}

int32_t CDTEditor::SetTextureSource(CResourceEnv* library, int32_t selection) {
  fTextureSource = library;
  if (const int32_t err = FillTextureMenu(fTextureMenu.get(), library, GetCurrentDocumentHost())) return err;
  return SelectTexture(uint32_t(selection));
}

int32_t CDTEditor::SelectTexture(uint32_t selection) {
  if (selection == kNoTextureSelection && fWorking) return SelectFromMaterial();
  uint32_t handle = selection;
  if (handle == kNoTextureSelection) {
    const uint32_t count = fTextureMenu ? fTextureMenu->GetCount() : 0;
    if (count == 0) return kNoErr;
    const double r = NextRandomUnit(GetRandomState());
    handle = fTextureMenu->GetItemCommand(std::min(uint32_t(std::trunc(double(count) * r)), count - 1));
    fCurrentTextureRef = handle;
  }
  CDocumentHost* host = GetCurrentDocumentHost();
  CBaseTexture* found = nullptr;
  bool fromLibrary = false;
  const int32_t err = ResolveTextureSelection(handle, fTextureSource, host ? host->GetSceneTable() : nullptr, &found,
                                              &fromLibrary);
  // A texture that is gone keeps the working texture.
  if (err == kErrObjectNotFound) return SetWorkingTexture(fWorking);
  if (err) return err;
  const int32_t result = SetWorkingTexture(dynamic_cast<C3dTexture*>(found));
  if (fromLibrary) CBaseTexture::ReleaseUse(found);
  if (!result) fCurrentTextureRef = handle;
  return result;
}

// The first procedural texture of the current document's material for new objects; none there keeps
// the working texture.
int32_t CDTEditor::SelectFromMaterial() {
  int32_t err = kNoErr;
  C3dTexture* chosen = FirstMaterialTexture(GetCurrentDocumentHost(), &err);
  if (!chosen) return err;
  err = SetWorkingTexture(chosen);
  if (!err) fCurrentTextureRef = TextureSelectionOf(chosen);
  return err;
}

int32_t CDTEditor::OpenTexture(C3dTexture* texture) {
  if (texture && texture->IsReady()) {
    if (const int32_t err = SetWorkingTexture(texture)) return err;
    fCurrentTextureRef = MenuRowOf(texture);
  }
  return kNoErr;
}

int32_t CDTEditor::SetWorkingTexture(C3dTexture* texture) {
  int32_t result = kNoErr;
  if (texture && texture != fWorking && texture->IsReady()) {
    CBaseTexture* copy = nullptr;
    result = texture->Duplicate(&copy);
    if (!result) {
      delete fWorking;
      fWorking = static_cast<C3dTexture*>(copy);
      CopyTextureName();
    }
  }
  for (int index = 0; index < kPreviewCount; ++index) {
    if (CImElement* preview = GetPreview(index)) preview->Show(true);
    RestartPreview(index);
  }
  return result;
}

void CDTEditor::CopyTextureName() {
  std::memset(fTextureName, 0, sizeof fTextureName);
  if (fWorking) CopyStoredName(fWorking, fTextureName, sizeof fTextureName);
}

// ---- the texture menu's rows

uint32_t CDTEditor::MenuRowOf(C3dTexture* texture) {
  if (!fTextureMenu || !texture) return kNoTextureSelection;
  if (!texture->IsStored()) {
    const uint32_t handle = DocumentTextureSelection(texture->GetId());
    return fTextureMenu->FindItemIndex(handle) ? handle : kNoTextureSelection;
  }
  char name[C3dBase::kNameBytes] = {};
  CopyStoredName(texture, name, sizeof name);
  for (uint32_t row = 0; row < fTextureMenu->GetCount(); ++row) {
    const uint32_t command = fTextureMenu->GetItemCommand(row);
    if (!IsDocumentTextureSelection(command) && RowTextureName(command, fTextureSource) == name) return command;
  }
  return kNoTextureSelection;
}

// ---- elements

CImElement* CDTEditor::GetPreview(int index) const {
  if (index >= 0 && index < kPanelCount) return fChildren[index][kDTImage];
  return index == kFinalPreview ? fGlobals[kDTFinalImage] : nullptr;
}

CTxElement* CDTEditor::GetField(int group, uint32_t child) const {
  if (group >= 0 && group < kPanelCount) return dynamic_cast<CTxElement*>(fChildren[group][child]);
  if (group != kGlobal) return nullptr;
  switch (child) {
    case kDTNoiseSliderVal: return dynamic_cast<CTxElement*>(fGlobals[kDTGFreqSliderVal]);
    case kDTPhaseSliderVal: return dynamic_cast<CTxElement*>(fGlobals[kDTGPhaseSliderVal]);
    case kDTAVal: return dynamic_cast<CTxElement*>(fGlobals[kDTGAVal]);
    case kDTBVal: return dynamic_cast<CTxElement*>(fGlobals[kDTGBVal]);
    case kDTCVal: return dynamic_cast<CTxElement*>(fGlobals[kDTGCVal]);
    default: return nullptr;
  }
}

const char* CDTEditor::GroupName(int group) {
  if (group >= 0 && group < kPanelCount) return kDTPanels[group].name;
  return group == kGlobal ? kDTEditor.canvas.name : nullptr;
}

int CDTEditor::GroupOf(const CElement* element) {
  if (!element) return kNoGroup;
  for (int group = kPanelA; group <= kGlobal; ++group) {
    if (Same(element->GetCanvasName(), GroupName(group))) return group;
  }
  return kNoGroup;
}

CDTEditor* CDTEditor::EditorOf(CElement* element) {
  CElement* top = element;
  while (top && top->GetParent()) top = top->GetParent();
  auto* root = dynamic_cast<CHoElement*>(top);
  return root ? dynamic_cast<CDTEditor*>(root->GetHostCanvas()) : nullptr;
}

// ---- the handler

int32_t CDTEditor::HandleEvent(CUIMessage* message) {
  if (!message) return 0;
  if (fRefreshPending) {
    // Cleared first: the refresh's own messages must not refresh again.
    fRefreshPending = false;
    RefreshComponentControls(false);
  }
  if (fWorking) UpdatePreviewsAndPanels(*message);
  int32_t answer = 0;
  if (Same(message->canvasName, CSaveNewTexture::kEditorCanvasName)) {
    if (!fSaveNew || !fSaveNew->IsShown()) return 0;
    if (message->kind == 0 && TakeSaveDialog(*message, &answer)) return answer;
  }
  if (Same(message->canvasName, CReplaceTexture::kEditorCanvasName)) {
    if (!fReplace || !fReplace->IsShown()) return 0;
    if (message->kind == 0 && TakeReplaceDialog(*message, &answer)) return answer;
  }
  if (!IsShown()) return 0;
  if (message->kind == 0 && TakeOwnCommand(*message, &answer)) return answer;
  if (message->kind == 2 || message->kind == 3) {
    if (TakeColour(*message, &answer)) return answer;
  }
  return TakeElementCommand(message);
}

// The final preview restarts on every message; a component's when the message comes from its panel;
// the panels B and C show as the component count asks.
void CDTEditor::UpdatePreviewsAndPanels(const CUIMessage& message) {
  const int from = Same(message.canvasName, kDTEditor.canvas.name) ? kGlobal : kNoGroup;
  CImElement* final = GetPreview(kFinalPreview);
  if (final) final->Show(true);
  RestartPreview(kFinalPreview);
  for (int p = kPanelA; p < kPanelCount; ++p) {
    const bool shown = p < fComponentCount;
    if (p == kPanelB) shown ? ShowComponentB() : HideComponentB();
    if (p == kPanelC) shown ? ShowComponentC() : HideComponentC();
    if (CImElement* image = GetPreview(p)) shown ? image->Show(true) : image->Hide(true);
    if (shown && Same(message.canvasName, GroupName(p))) RestartPreview(p);
  }
  if (from == kGlobal && Same(message.elementName, kDTGlobals[kDTPreviewType].name)) {
    for (int p = kPanelA; p < kPanelCount; ++p) RestartPreview(p);
  }
}

bool CDTEditor::TakeSaveDialog(const CUIMessage& message, int32_t* answer) {
  const bool ok = Same(message.elementName, kSaveNewTexture.ok.name);
  if (!ok && !Same(message.elementName, kSaveNewTexture.cancel.name)) return false;
  fSaveNew->Close();
  *answer = kHandled;
  if (!ok) {
    Refresh(false);
    return true;
  }
  const std::string name = TypedName();
  bool found = false;
  if (const int32_t err = TextureMenuHasName(name.c_str(), &found)) {
    *answer = err;
    return true;
  }
  if (found) {
    if (fReplace) {
      fReplace->BuildOnce();
      if (const int32_t err = fReplace->Show(1)) {
        *answer = err;
        return true;
      }
      fReplace->Refresh(false);
    }
    return true;
  }
  if (const int32_t err = SaveAsNewTexture(name.c_str())) {
    *answer = err;
    return true;
  }
  TellOwner();
  return true;
}

bool CDTEditor::TakeReplaceDialog(const CUIMessage& message, int32_t* answer) {
  const bool ok = Same(message.elementName, kReplaceTexture.ok.name);
  if (!ok && !Same(message.elementName, kReplaceTexture.cancel.name)) return false;
  fReplace->Close();
  *answer = kHandled;
  if (!ok) {
    if (fSaveNew) {
      if (const int32_t err = fSaveNew->BuildOnce()) *answer = err;
      else fSaveNew->Refresh(false);
    }
    return true;
  }
  if (const int32_t err = ReplaceTextureByName(TypedName().c_str())) {
    *answer = err;
    return true;
  }
  TellOwner();
  return true;
}

bool CDTEditor::TakeOwnCommand(const CUIMessage& message, int32_t* answer) {
  const char* element = message.elementName;
  if (!Same(message.canvasName, kDTEditor.canvas.name)) {
    // Another dialog asks the editor to come back.
    if (!Same(element, kDTEditor.canvas.name)) return false;
    Refresh(false);
    *answer = kHandled;
    return true;
  }
  if (Same(element, kDTGlobals[kDTCancel].name)) {
    fControlsBound = false;
    Close();
    *answer = 0;
    return true;
  }
  if (Same(element, kDTGlobals[kDTOk].name)) {
    *answer = ShowSaveDialog();
    return true;
  }
  if (Same(element, kDTPanelChildren[kDTOperation].name)) {
    SetWorkingTexture(fWorking);
    *answer = 0;
    return true;
  }
  return false;
}

// A colour put on a swatch (2) or chosen (3), which takes the reset snapshot again.
bool CDTEditor::TakeColour(const CUIMessage& message, int32_t* answer) {
  // SetColorSwatch's index: 1 to 3 for the panels, 4 for the combiner.
  int index = 0;
  for (int g = kPanelA; g <= kGlobal; ++g) {
    if (Same(message.canvasName, GroupName(g))) index = g + 1;
  }
  const bool set = index && SetColorSwatch(message.elementName, uint32_t(message.GetPayloadWord(0)), index) == 0;
  if (set) StoreControlsInTexture();
  if (message.kind == 2) {
    if (!set) return false;
    *answer = 0;
    return true;
  }
  RefreshComponentControls(true);
  *answer = 0;
  return true;
}

int32_t CDTEditor::TakeElementCommand(CUIMessage* message) {
  const char* element = message->elementName;
  const char* group = message->canvasName;
  const auto is = [element](uint32_t child, uint32_t global) {
    return Same(element, kDTPanelChildren[child].name) || Same(element, kDTGlobals[global].name);
  };
  if (Same(element, kDTGlobals[kDTAddTexture].name)) return ShowSaveDialog();
  if (is(kDTNoiseTypeMenu, kDTGPhaseType) || Same(element, kDTPanelChildren[kDTPhaseType].name))
    return OpenSubEditor(*message);
  int kind = -1;
  if (Same(element, kDTGlobals[kDTPreviewType].name)) kind = kPreviewChoice;
  else if (Same(element, kDTPanelChildren[kDTOperation].name)) kind = kOperationChoice;
  else if (is(kDTFilterType, kDTGFilterType)) kind = kFilterChoice;
  else if (is(kDTOutputType, kDTGOutputType)) kind = kOutputChoice;
  else if (is(kDTColorMap, kDTGColorMap)) kind = kColourMapChoice;
  if (kind < 0) return CUIHostCanvas::HandleEvent(message);
  ChooseFromPopupMenu(message->firstPoint, kind, group);
  StoreControlsInTexture();
  if (kind == kFilterChoice) RefreshComponentControls(false);
  return 0;
}

int32_t CDTEditor::OpenSubEditor(const CUIMessage& message) {
  if (!fSubEditor) return kHandled;
  if (const int32_t err = fSubEditor->BuildOnce()) return err;
  fSubEditor->SetTarget(message.canvasName, message.elementName, fWorking, fTextureSource);
  fSubEditor->LoadTarget();
  fSubEditor->Refresh(false);
  return kHandled;
}

// "ok" and "addTexture": the editor closes and the save-new dialog proposes the texture's name.
int32_t CDTEditor::ShowSaveDialog() {
  Close();
  if (!fSaveNew) return kHandled;
  if (const int32_t err = fSaveNew->BuildOnce()) return err;
  if (const int32_t err = fSaveNew->Show(1)) return err;
  fSaveNew->SetName(MacRomanToAnsi(std::string(fTextureName)).c_str());
  fSaveNew->Refresh(false);
  return kHandled;
}

// Dialog texts are Windows-1252, stored names Mac OS Roman.
std::string CDTEditor::TypedName() const { return fSaveNew ? fSaveNew->GetStoredName() : std::string(); }

// The canvas that opened the editor learns which texture its component takes; it is told once.
void CDTEditor::TellOwner() {
  fTargetMaterial = nullptr;
  if (!fOwnerName) return;
  CUIMessage message;
  message.Init(0, fOwnerName, "", kDTEditor.canvas.name, CUIMessage::kBroadcast);
  message.SetPayloadWord(0, int32_t(fCurrentTextureRef));
  message.SetPayloadWord(1, fTargetChannel);
  fOwnerName = nullptr;
  if (CHoElement* root = GetRoot()) root->SendMessageUp(&message, root);
}
