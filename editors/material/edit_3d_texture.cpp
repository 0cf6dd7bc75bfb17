// The quick 3D texture dialog: its build, its message handler, the edits of its texture and the
// banded preview.
#include "editors/material/edit_3d_texture.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "editors/material/centred_text.h"
#include "editors/material/replace_texture.h"
#include "editors/material/save_new_texture.h"
#include "framework/core/appl.h"
#include "framework/core/char_set.h"
#include "framework/core/cm_function.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/color_picker.h"
#include "scene/surface/texture.h"
#include "scene/texture/noise.h"

namespace {

using namespace need;

constexpr int32_t kLockFailed = 1;
constexpr int32_t kTurbulenceStep = 20;
constexpr int32_t kMaxOctaves = 8;
// A global phase that gains noise going up: dimension 2 and noise type 6, angle 0, frequencies 60.
constexpr int32_t kPhaseNoise = 0x1A;
constexpr int32_t kPhaseFrequency = 60;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr const char* kBlankName = " ";
constexpr uint32_t kMenuFlags = CMenu::kMenuPopUp;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

const char* OwnCanvas() { return kEdit3dTexture.canvas.name; }

int32_t NoiseType(int32_t code) { return (code >> 2) & 63; }

// A code's octave count steps, its frequencies doubling or halving; a code without noise stays.
void StepOctaves(int32_t& code, int32_t* frequency, bool up) {
  if (NoiseType(code) == 0) return;
  const int32_t number = code >> 8;
  int32_t octaves = number % 10;
  const int32_t mode = number / 10;
  if (up && octaves < kMaxOctaves) {
    ++octaves;
    // Doubled wide, so that a large stored frequency saturates rather than overflows.
    for (int i = 0; i < 3; ++i)
      frequency[i] = int32_t(std::clamp<int64_t>(int64_t(frequency[i]) * 2, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
  } else if (!up && octaves > 0) {
    --octaves;
    for (int i = 0; i < 3; ++i) frequency[i] /= 2;
  } else {
    return;
  }
  code = (mode * 10 + octaves) * 256 + NoiseType(code) * 4 + (code & 3);
}

void StepAmount(SPhaseSpec& phase, bool up) {
  phase.amount = up ? phase.amount + kTurbulenceStep : std::max(0, phase.amount - kTurbulenceStep);
}

bool IsColoured(const STextureComponent& component) {
  return (component.kinds & kKindColour) && component.colour.mapKind != 0;
}

// The colours a swatch group stands for.
uint32_t* GroupColours(STextureData& data, uint32_t group) {
  return group == CEdit3dTexture::kGroupGlobal ? data.colour.colour : data.component[group].colour.colour;
}

}  // namespace

void StepTurbulence(STextureData& data, bool up) {
  for (int32_t c = 0; c < 3; ++c) {
    if (c == 0 || (c == 1 && data.count > 1) || (c == 2 && data.count == 3)) StepAmount(data.component[c].phase, up);
  }
  SPhaseSpec& global = data.globalPhase;
  if (up && NoiseType(global.code) == 0) {
    global.code = (global.code >> 8) * 256 + kPhaseNoise;
    global.angleXY = 0;
    std::fill(std::begin(global.frequency), std::end(global.frequency), kPhaseFrequency);
  }
  StepAmount(global, up);
  if (!up && global.amount == 0) global.code &= ~0xFC;
}

void StepComplexity(STextureData& data, bool up) {
  for (int32_t c = 0; c < 3; ++c) {
    if (!(c == 0 || (c == 1 && data.count > 1) || (c == 2 && data.count == 3))) continue;
    STextureComponent& component = data.component[c];
    StepOctaves(component.noiseCode, component.frequency, up);
    StepOctaves(component.phase.code, component.phase.frequency, up);
  }
  StepOctaves(data.globalPhase.code, data.globalPhase.frequency, up);
}

// The buttons are bound by the dialog itself (tracked, with Return and Escape), not by the base,
// which would close the dialog on them before the texture is saved.
CEdit3dTexture::CEdit3dTexture(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, kEdit3dTexture.canvas) {
  SetShadows(true);
  InitNoiseTables();
}

CEdit3dTexture::~CEdit3dTexture() {
  ReleaseBuilt();
  delete fTexture;
  fTexture = nullptr;
}

int32_t CEdit3dTexture::SetDialogs(CSaveNewTexture* saveNew, CReplaceTexture* replace) {
  fSaveNew = saveNew;
  fReplace = replace;
  return kNoErr;
}

int32_t CEdit3dTexture::SetTarget(const char* replyName, C3dMaterial* material, int32_t slot) {
  fReplyName = replyName;
  fMaterial = material;
  fSlot = slot;
  return kNoErr;
}

CImElement* CEdit3dTexture::GetSwatch(uint32_t group, uint32_t index) const {
  return group < kQuickSwatchGroups && index < kQuickSwatchesPerGroup ? fSwatches[group][index] : nullptr;
}

// ---- the build

void CEdit3dTexture::ReleaseBuilt() {
  if (CAppl* app = GetApplication()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
  if (fPreview) fPreview->SetImage(nullptr, false, false, true, false);
  fPreview = nullptr;
  fPreviewImage.reset();
  fMenu.reset();
  fNameElement = nullptr;
  for (auto& group : fSwatches) std::fill(std::begin(group), std::end(group), nullptr);
}

int32_t CEdit3dTexture::BuildControls(CResourceEnv* environment) {
  ReleaseBuilt();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindElement(kEdit3dTexture.ok.name, &UIHostTrackButton, nullptr, &UIHostOnReturnKey);
  BindElement(kEdit3dTexture.cancel.name, &UIHostTrackButton, nullptr, &UIHostOnEscapeKey);
  CElement* found = nullptr;
  BindElementRef(kQuickControls[kQuickPreview].name, &found, &UIHostPostElementMessage, nullptr, nullptr);
  fPreview = dynamic_cast<CImElement*>(found);
  if (!fPreview) return found ? kErrUnexpectedType : kErrObjectNotFound;
  if (const int32_t err = MakePreviewImage()) return err;
  for (uint32_t c = kQuickTextureName; c < kQuickControlCount; ++c) {
    BindElementRef(kQuickControls[c].name, &found, &UIHostPostElementMessage, nullptr, nullptr);
    if (c == kQuickTextureName) fNameElement = dynamic_cast<CTxElement*>(found);
  }
  if (fNameElement) ShowTextFromLeft(fNameElement, fNameElement->GetText() ? fNameElement->GetText() : "", kNameLeft, false);
  if (const int32_t err = MakeMenu()) return err;
  BindSwatches();
  InitNoiseTables();
  CAppl* app = GetApplication();
  if (!app) return kErrFailedCreation;
  while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  return app->SubscribeHeartbeat(this, &PreviewHeartbeat) ? kNoErr : kErrFailedCreation;
}

int32_t CEdit3dTexture::MakePreviewImage() {
  const SRect& rect = fPreview->GetRect();
  int32_t err = kNoErr;
  fPreviewImage.reset(NewDataImage(uint32_t(RectWidth(rect)), uint32_t(RectHeight(rect)), &err));
  if (!fPreviewImage) return kErrOutOfMemory;
  if (!fPreviewImage->IsReady()) return NonZeroError(fPreviewImage->GetError());
  fPreviewImage->Fill(0xFF000000);
  fPreview->SetImage(fPreviewImage.get(), false, false, true, false);
  fPreview->Show(false);
  return kNoErr;
}

int32_t CEdit3dTexture::MakeMenu() {
  SDynTableLayout layout;
  CMenu::MakeLayout(layout, nullptr, 0, 4);
  fMenu.reset(new CMenu(layout));
  if (!fMenu) return kErrOutOfMemory;
  if (!fMenu->IsUsable()) return NonZeroError(fMenu->GetError());
  fMenu->SetMenuId(kMenuId);
  fMenu->SetMenuFlags(kMenuFlags);
  return fMenu->BuildPopupMenu();
}

void CEdit3dTexture::BindSwatches() {
  for (uint32_t g = 0; g < kQuickSwatchGroups; ++g) {
    for (uint32_t i = 0; i < kQuickSwatchesPerGroup; ++i) {
      CElement* found = nullptr;
      BindElementRef(kQuickSwatches[g][i].name, &found, &ColorSwatchEyedropper, nullptr, nullptr);
      fSwatches[g][i] = dynamic_cast<CImElement*>(found);
      ShowSwatch(fSwatches[g][i], kWhite);
    }
  }
}

void CEdit3dTexture::ShowSwatch(CImElement* swatch, uint32_t colour) {
  if (!swatch) return;
  swatch->SetUserWord(0, colour);
  if (CImage* picture = swatch->GetImage()) FillSwatchImage(picture, colour, 0);
  swatch->Redraw(false);
}

// ---- messages

int32_t CEdit3dTexture::HandleEvent(CUIMessage* message) {
  if (!message) return 0;
  int32_t answer = 0;
  if (Same(message->canvasName, CSaveNewTexture::kQuickCanvasName)) {
    if (!fSaveNew || !fSaveNew->IsShown()) return 0;
    return message->kind == 0 && TakeSaveDialog(*message, &answer) ? answer : 0;
  }
  if (Same(message->canvasName, CReplaceTexture::kQuickCanvasName)) {
    if (!fReplace || !fReplace->IsShown()) return 0;
    return message->kind == 0 && TakeReplaceDialog(*message, &answer) ? answer : 0;
  }
  if (!IsShown()) return 0;
  if (message->kind == 0 && TakeOwnCommand(*message, &answer)) return answer;
  if ((message->kind == 2 || message->kind == 3) && Same(message->canvasName, OwnCanvas()) &&
      TakeSwatchColour(*message, &answer))
    return answer;
  return CLayoutHostCanvas::HandleEvent(message);
}

bool CEdit3dTexture::TakeOwnCommand(const CUIMessage& message, int32_t* answer) {
  const char* element = message.elementName;
  *answer = kHandled;
  if (!Same(message.canvasName, OwnCanvas())) {
    // Another dialog asks for this one again; it is shown already, so the modal level stays.
    if (!Same(element, OwnCanvas())) return false;
    BringForward();
    return true;
  }
  const auto is = [element](uint32_t control) { return Same(element, kQuickControls[control].name); };
  if (is(kQuickRandomize) || is(kQuickTurbulenceUp) || is(kQuickTurbulenceDown) || is(kQuickComplexityUp) ||
      is(kQuickComplexityDown)) {
    // The edits' own failures leave the texture as it was; the press is taken either way.
    if (is(kQuickRandomize)) Randomize();
    else if (is(kQuickTurbulenceUp) || is(kQuickTurbulenceDown)) Turbulence(is(kQuickTurbulenceUp));
    else Complexity(is(kQuickComplexityUp));
    RestartPreview();
    return true;
  }
  if (is(kQuickTextureName)) {
    ChooseFromMenu(message.firstPoint);
    return true;
  }
  if (Same(element, kEdit3dTexture.cancel.name)) {
    Close();
    Reply(false);
    return true;
  }
  if (Same(element, kEdit3dTexture.ok.name)) {
    if (fModified) {
      *answer = ShowSaveDialog();
      return true;
    }
    Close();
    Reply(true);
    return true;
  }
  return false;
}

bool CEdit3dTexture::TakeSwatchColour(const CUIMessage& message, int32_t* answer) {
  CImElement* swatch = nullptr;
  for (auto& group : fSwatches) {
    for (CImElement* candidate : group) {
      if (candidate && Same(candidate->GetName(), message.elementName)) swatch = candidate;
    }
  }
  if (!swatch) return false;
  ShowSwatch(swatch, uint32_t(message.GetPayloadWord(0)));
  *answer = message.kind == 3 ? ApplySwatchColours() : kHandled;
  return true;
}

bool CEdit3dTexture::TakeSaveDialog(const CUIMessage& message, int32_t* answer) {
  const bool ok = Same(message.elementName, kSaveNewTexture.ok.name);
  if (!ok && !Same(message.elementName, kSaveNewTexture.cancel.name)) return false;
  fSaveNew->Close();
  *answer = kHandled;
  if (!ok) {
    if (const int32_t err = BuildOnce()) *answer = err;
    else Refresh(false);
    return true;
  }
  const std::string name = fSaveNew->GetStoredName();
  bool found = false;
  int32_t err = NameExists(name.c_str(), &found);
  if (!err && found && fReplace) {
    err = fReplace->BuildOnce();
    if (!err) err = fReplace->Show(0);
    if (!err) fReplace->Refresh(false);
  } else if (!err && !found) {
    err = SaveAsNew(name.c_str());
    if (!err) Reply(true);
  }
  if (err) *answer = err;
  return true;
}

bool CEdit3dTexture::TakeReplaceDialog(const CUIMessage& message, int32_t* answer) {
  const bool ok = Same(message.elementName, kReplaceTexture.ok.name);
  if (!ok && !Same(message.elementName, kReplaceTexture.cancel.name)) return false;
  fReplace->Close();
  *answer = kHandled;
  int32_t err = kNoErr;
  if (!ok) {
    if (fSaveNew) err = fSaveNew->BuildOnce();
    if (fSaveNew && !err) fSaveNew->Refresh(false);
  } else {
    err = Replace(fSaveNew ? fSaveNew->GetStoredName().c_str() : nullptr);
    if (!err) Reply(true);
  }
  if (err) *answer = err;
  return true;
}

int32_t CEdit3dTexture::ChooseFromMenu(SPointHV screenPoint) {
  if (!fMenu) return kNoErr;
  if (fResultHandle) {
    if (const uint32_t row = fMenu->FindItemIndex(fResultHandle)) fMenu->CheckItem(row, true, nullptr, true);
  }
  uintptr_t command = 0;
  uint32_t row = 0;
  if (!fMenu->SelectItemAt(screenPoint, GetWindow(), &command, &row) || row == 0) return kNoErr;
  fModified = 0;
  return SelectTexture(fMenu->GetItemCommand(row - 1));
}

// The dialog gives way to the save-new dialog, which proposes the texture's name.
int32_t CEdit3dTexture::ShowSaveDialog() {
  Close();
  if (!fSaveNew) return kHandled;
  if (const int32_t err = fSaveNew->BuildOnce()) return err;
  if (const int32_t err = fSaveNew->Show(0)) return err;
  fSaveNew->SetName(MacRomanToAnsi(std::string(fCurrentName)).c_str());
  fSaveNew->Refresh(false);
  return kHandled;
}

void CEdit3dTexture::Reply(bool chosen) {
  if (chosen) fMaterial = nullptr;
  if (!fReplyName) return;
  CUIMessage message;
  message.Init(0, fReplyName, "", OwnCanvas(), CUIMessage::kBroadcast);
  message.SetPayloadWord(0, chosen ? int32_t(fResultHandle) : 0);
  message.SetPayloadWord(1, chosen ? fSlot : 0);
  fReplyName = nullptr;
  if (CHoElement* root = GetRoot()) root->SendMessageUp(&message, root);
}

// ---- the edits

int32_t CEdit3dTexture::Randomize() {
  ShowTextFromLeft(fNameElement, kBlankName, kNameLeft, true);
  if (!fTexture) return kErrOutOfMemory;
  {
    CHolder held(fTexture, true, false);
    if (!held.IsLocked()) return kErrOutOfMemory;
    fTexture->Randomize();
    fTexture->PrepareEvaluation(true);
  }
  RestartPreview();
  fModified = 1;
  return ShowTextureColours();
}

int32_t CEdit3dTexture::Turbulence(bool up) {
  if (!fTexture) return kLockFailed;
  CHolder held(fTexture, true, false);
  if (!held.IsLocked()) return kLockFailed;
  StepTurbulence(fTexture->GetTextureData(), up);
  fTexture->PrepareEvaluation(true);
  fModified = 1;
  return kNoErr;
}

int32_t CEdit3dTexture::Complexity(bool up) {
  if (!fTexture) return kLockFailed;
  CHolder held(fTexture, true, false);
  if (!held.IsLocked()) return kLockFailed;
  StepComplexity(fTexture->GetTextureData(), up);
  fTexture->PrepareEvaluation(true);
  fModified = 1;
  return kNoErr;
}

int32_t CEdit3dTexture::ShowTextureColours() {
  if (!fTexture) return kLockFailed;
  CHolder held(fTexture, false, false);
  if (!held.IsLocked()) return kLockFailed;
  STextureData& data = fTexture->GetTextureData();
  bool shown[kQuickSwatchGroups] = {true, true, true, data.colour.mapKind != 0};
  if (!(data.count == 3 && IsColoured(data.component[2]))) {
    shown[kGroupC] = false;
    shown[kGroupB] = data.count != 1 && IsColoured(data.component[1]);
    shown[kGroupA] = IsColoured(data.component[0]);
  }
  for (uint32_t g = 0; g < kQuickSwatchGroups; ++g) {
    const uint32_t* colours = GroupColours(data, g);
    for (uint32_t i = 0; i < kQuickSwatchesPerGroup; ++i) {
      CImElement* swatch = fSwatches[g][i];
      if (!swatch) continue;
      // A swatch hidden gives its place back to the dialog's backdrop at once.
      if (shown[g]) swatch->Show(false);
      else swatch->Hide(true);
      ShowSwatch(swatch, colours[i]);
    }
  }
  return kNoErr;
}

int32_t CEdit3dTexture::ApplySwatchColours() {
  if (!fTexture) return kLockFailed;
  {
    CHolder held(fTexture, true, false);
    if (!held.IsLocked()) return kLockFailed;
    STextureData& data = fTexture->GetTextureData();
    for (uint32_t g = 0; g < kQuickSwatchGroups; ++g) {
      uint32_t* colours = GroupColours(data, g);
      for (uint32_t i = 0; i < kQuickSwatchesPerGroup; ++i) {
        if (fSwatches[g][i]) colours[i] = fSwatches[g][i]->GetUserWord(0);
      }
    }
    fTexture->PrepareEvaluation(true);
  }
  fModified = 1;
  RestartPreview();
  return kNoErr;
}

// ---- the preview

void CEdit3dTexture::RestartPreview() {
  if (!fPreview) return;
  fPreview->SetUserWord(kStepWord, kCoarseStep);
  fPreview->SetUserWord(kRowWord, 0);
}

int32_t CEdit3dTexture::PreviewHeartbeat(void* dialog, void* record, void*) {
  auto* self = static_cast<CEdit3dTexture*>(dialog);
  const auto* beat = static_cast<const SHeartbeatRecord*>(record);
  CAppl* app = GetApplication();
  CHoElement* root = self ? self->GetRoot() : nullptr;
  if (!self || !beat || !app || self->IsStale() || !app->IsActive() || beat->reserved1 != 0 || !root ||
      !root->AcceptsEvents(kEventMaskHover) || !root->IsShown() || !self->IsShown() || !self->fPreview)
    return kNoErr;
  for (;;) {
    const uint32_t before[2] = {self->fPreview->GetUserWord(kStepWord), self->fPreview->GetUserWord(kRowWord)};
    if (self->RenderPreviewBand() != kNoErr) break;
    // A band that could not draw waits for a later beat rather than holding this one.
    if (self->fPreview->GetUserWord(kStepWord) == before[0] && self->fPreview->GetUserWord(kRowWord) == before[1]) break;
    if (app->IsUserInterrupt()) break;
  }
  return kNoErr;
}

int32_t CEdit3dTexture::RenderPreviewBand() {
  if (!fPreview) return kHandled;
  uint32_t step = fPreview->GetUserWord(kStepWord);
  if (step == 0) return kHandled;
  CImage* picture = fPreviewImage.get();
  if (!picture || !picture->IsReady() || !fPreview->IsShown()) return kNoErr;
  const uint32_t height = picture->GetHeight();
  const uint32_t row = fPreview->GetUserWord(kRowWord);
  if (row >= height) {
    RestartPreview();
    return kNoErr;
  }
  if (!fTexture) SelectTexture(0);
  const uint32_t end = std::min(row + step, height);
  if (fTexture && fTexture->IsReady()) {
    CHolder held(fTexture, true, false);
    if (held.IsLocked()) {
      // The preview shows the texture's colour, which the sampling turns on; the evaluation is
      // prepared for it once, so every band evaluates alike.
      STextureData& data = fTexture->GetTextureData();
      if (!(data.outputFlags & kKindColour)) {
        data.outputFlags |= kKindColour;
        fTexture->PrepareEvaluation(true);
      }
      // A coarse band is one sampled row drawn as 4 x 4 blocks; a fine band one row.
      fTexture->SampleForTextureEditor(*picture, row, step);
    }
  }
  fPreview->InvalidateLocalInRect(SRect{int32_t(row), 0, int32_t(end), int32_t(picture->GetWidth())});
  UpdateNow();
  if (end >= height) {
    fPreview->SetUserWord(kRowWord, 0);
    fPreview->SetUserWord(kStepWord, step == kCoarseStep ? kFineStep : 0);
  } else {
    fPreview->SetUserWord(kRowWord, end);
  }
  return kNoErr;
}
