// The picture textures dialog as a dialog: construction, the build from its layout, its slots and
// their drawing, the caller's context, and the message handler.
#include "editors/material/pict_textures.h"

#include <algorithm>
#include <cstring>

#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/core/ordax.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "panels/delete_preset.h"
#include "scene/base_spool_table.h"
#include "scene/surface/pict_texture.h"

namespace {

using namespace need;

constexpr const char* kConfirmCanvas = "delete preset";
constexpr uint32_t kWorkSide = 10;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

const char* ButtonName(uint32_t button) { return kPictButtons[button].name; }

bool Is(const char* element, uint32_t button) { return Same(element, ButtonName(button)); }

void RedrawElement(CElement* element) {
  if (element) element->Redraw();
}

// The 20 x 20 tile: grey, with white squares at the top right and the bottom left.
bool PaintCheckerboard(CImage* tile) {
  CImNavigator pixels(tile, nullptr, true, false);
  if (!pixels.IsUsable()) return false;
  const uint32_t half = CPictTextures::kCheckerSide / 2;
  for (uint32_t y = 0; y < CPictTextures::kCheckerSide; ++y) {
    for (uint32_t x = 0; x < CPictTextures::kCheckerSide; ++x)
      pixels.Cells(y)[x].value = (x >= half) != (y >= half) ? kWhite : CPictTextures::kEmptyGrey;
  }
  return true;
}

// Draws the slot's own picture: grey when empty, else the texture's picture scaled into a black
// ground inset by one pixel; then its frame, red for the current slot.
void PaintSlot(CImage* picture, CPictTexture* texture, bool current) {
  if (!texture) {
    picture->Fill(CPictTextures::kEmptyGrey);
  } else {
    picture->Fill(kBlack);
    const SRect whole = picture->GetBounds();
    const SRect inset{whole.top + 1, whole.left + 1, whole.bottom - 1, whole.right - 1};
    if (!IsEmptyRect(inset)) {
      CSgStSaver clip(picture);
      picture->SetClip(inset);
      C3dCImage& source = texture->GetPicture();
      if (source.GetWidth() && source.GetHeight()) picture->ScaleFrom(&source, 0);
    }
  }
  CImNavigator pixels(picture, nullptr, true, false);
  if (!pixels.IsUsable()) return;
  const uint32_t frame = current ? CPictTextures::kCurrentFrame : kBlack;
  const uint32_t w = pixels.GetColumns(), h = pixels.GetRows();
  for (uint32_t y = 0; y < h; ++y) {
    CImVector* row = pixels.Cells(y);
    for (uint32_t x = 0; x < w; ++x) {
      if (x == 0 || y == 0 || x + 1 == w || y + 1 == h) row[x].value = frame;
    }
  }
}

}  // namespace

CPictTextures::CPictTextures(CUICmFunction* owner, CResourceEnv* environment, CDeletePreset* confirm)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kPictTextures), fConfirm(confirm) {
  int32_t error = 0;
  fWork.reset(NewDataImage(kWorkSide, kWorkSide, &error));
  fChecker.reset(NewDataImage(kCheckerSide, kCheckerSide, &error));
  if (fChecker && !PaintCheckerboard(fChecker.get())) fChecker.reset();
}

CPictTextures::~CPictTextures() = default;

// ---- the build

int32_t CPictTextures::BuildControls(CResourceEnv* environment) {
  std::fill(std::begin(fSlots), std::end(fSlots), nullptr);
  std::fill(std::begin(fPreviews), std::end(fPreviews), nullptr);
  fCurrent = nullptr;
  if (!fWork || !fChecker) return kErrOutOfMemory;
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  for (uint32_t b = 0; b < kPictButtonCount; ++b) BindElement(ButtonName(b), &UIHostPressButton, nullptr, nullptr);
  if (const int32_t err = MakePreviews()) return err;
  fTexts = std::make_unique<CIxText>(environment, kPictListTexts.name, CIxText::kNone);
  if (fTexts->GetResult()) return kErrFailedCreation;
  return FindSlots();
}

int32_t CPictTextures::MakePreviews() {
  for (uint32_t p = 0; p < kPictPreviewCount; ++p) {
    CElement* found = nullptr;
    if (const int32_t err = CElSystem::FindByName(GetRoot(), kPictPreviews[p].name, &found)) return err;
    fPreviews[p] = dynamic_cast<CImElement*>(found);
    if (!fPreviews[p]) return kErrUnexpectedType;
  }
  return ClearPreviews();
}

int32_t CPictTextures::FindSlots() {
  CElement* grid = nullptr;
  if (const int32_t err = CElSystem::FindByName(GetRoot(), kPictGrid.name, &grid)) return err;
  for (uint32_t i = 0; i < kSlotCount; ++i) {
    CElement* slot = nullptr;
    if (const int32_t err = CElSystem::FindByName(grid, kPictSlots[i].name, &slot)) return err;
    if (!dynamic_cast<CImElement*>(slot)) return kErrUnexpectedType;
    slot->SetPressCallback(&OnSlotPress);
    slot->SetDrawCallback(&DrawSlot);
    slot->SetUserWord(kTextureWord, kNoHandle);
    slot->SetUserWord(kSelectedWord, i == 0);
    slot->SetUserWord(kIndexWord, i);
    fSlots[i] = slot;
  }
  fCurrent = fSlots[0];
  return kNoErr;
}

CImage* CPictTextures::GetPreviewImage(uint32_t preview) const {
  CImElement* element = GetPreview(preview);
  return element ? element->GetImage() : nullptr;
}

CPictTextures* CPictTextures::DialogOf(CElement* element) {
  CElement* top = element;
  while (top && top->GetParent()) top = top->GetParent();
  auto* root = dynamic_cast<CHoElement*>(top);
  return root ? dynamic_cast<CPictTextures*>(root->GetHostCanvas()) : nullptr;
}

// ---- the context

int32_t CPictTextures::SetContext(const char* callerName, C3dMaterial* target, uint8_t* resultFlag, uint32_t channel) {
  fCallerName = callerName;
  fTarget = target;
  fResultFlag = resultFlag;
  fChannel = channel;
  return kNoErr;
}

void CPictTextures::ClearContext() { SetContext(nullptr, nullptr, nullptr, 0); }

// ---- the slots

CPictTexture* CPictTextures::SlotTexture(const CElement* slot) {
  if (!slot) return nullptr;
  return static_cast<CPictTexture*>(
      LookupHandleAs<CBaseTexture>(Handle32(slot->GetUserWord(kTextureWord)), CPictTexture::kClassTag));
}

int32_t CPictTextures::RefreshSlots(CPictTexture* selected) {
  if (!fSlots[0]) return kNoErr;
  for (CElement* slot : fSlots) {
    if (slot->GetUserWord(kTextureWord) == kNoHandle) continue;
    slot->SetUserWord(kTextureWord, kNoHandle);
    RedrawElement(slot);
  }
  CDocumentHost* host = GetCurrentDocumentHost();
  if (C3dBaseSpoolTable* list = host ? host->GetPictureList() : nullptr) {
    CHolder held(list, false, false);
    if (!held.IsLocked()) return kErrOutOfMemory;
    for (uint32_t i = 0; i < std::min(list->GetCount(), kSlotCount); ++i) {
      auto* texture = dynamic_cast<CPictTexture*>(list->At(i));
      fSlots[i]->SetUserWord(kTextureWord, texture ? texture->GetHandle() : kNoHandle);
      if (selected) fSlots[i]->SetUserWord(kSelectedWord, texture == selected);
      RedrawElement(fSlots[i]);
    }
  }
  fCurrent = nullptr;
  for (CElement* slot : fSlots) {
    if (slot->GetUserWord(kSelectedWord)) fCurrent = slot;
  }
  if (!fCurrent) {
    fCurrent = fSlots[0];
    fCurrent->SetUserWord(kSelectedWord, 1);
    RedrawElement(fCurrent);
  }
  return ShowCurrent();
}

int32_t CPictTextures::ShowCurrent() {
  CPictTexture* texture = GetCurrentTexture();
  if (!texture) return ClearPreviews();
  return ShowPicture(&texture->GetPicture());
}

int32_t CPictTextures::ClearPreviews() {
  int32_t result = kNoErr;
  for (CImElement* preview : fPreviews) {
    CImage* image = preview ? preview->GetImage() : nullptr;
    if (!image || !image->Fill(kEmptyGrey)) result = kErrOutOfMemory;
    RedrawElement(preview);
  }
  return result;
}

int32_t CPictTextures::OnSlotPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  *handled = element;
  CPictTextures* self = DialogOf(element);
  if (self && self->fCurrent != element) {
    if (self->fCurrent) {
      self->fCurrent->SetUserWord(kSelectedWord, 0);
      RedrawElement(self->fCurrent);
    }
    element->SetUserWord(kSelectedWord, 1);
    RedrawElement(element);
    self->fCurrent = element;
  }
  CUIMessage message;
  message.InitFromElement(0, element, CUIMessage::kBroadcast);
  return element->SendMessageUp(&message, element);
}

int32_t CPictTextures::DrawSlot(CElement* element, uint32_t pass, CImage*) {
  auto* slot = dynamic_cast<CImElement*>(element);
  CImage* picture = slot ? slot->GetImage() : nullptr;
  if (!picture || pass != slot->GetImageLayer()) return kNoErr;
  PaintSlot(picture, SlotTexture(element), element->GetUserWord(kSelectedWord) != 0);
  return kNoErr;
}

// ---- the handler

// While shown, in this order: the confirmed actions (canvas "delete preset"), the dialog's own
// buttons and slots (canvas "picttextures"), and another canvas asking for the dialog.
int32_t CPictTextures::HandleEvent(CUIMessage* message) {
  if (!message || !IsShown()) return 0;
  const char* canvas = message->canvasName;
  const char* element = message->elementName;
  if (Same(canvas, kConfirmCanvas)) {
    if (const int32_t answer = TakeConfirmed(element)) return answer;
  }
  if (message->kind == 0 && Same(canvas, kPictTextures.canvas.name)) return TakeCommand(message);
  if (message->kind == 0 && Same(element, kPictTextures.canvas.name)) {
    Refresh(false);
    return kHandled;
  }
  return CUIHostCanvas::HandleEvent(message);
}

int32_t CPictTextures::TakeConfirmed(const char* action) {
  if (Is(action, kPictDelete)) {
    if (!GetCurrentTexture()) {
      Beep();
      return kHandled;
    }
    const int32_t err = DeleteCurrent();
    return err ? err : kHandled;
  }
  if (Is(action, kPictPaste) || Is(action, kAlphaPaste)) return Paste(Is(action, kAlphaPaste));
  if (Is(action, kPictWhite) || Is(action, kPictBlack)) return FillPicture(Is(action, kPictWhite));
  if (Is(action, kAlphaWhite) || Is(action, kAlphaBlack)) return FillAlpha(Is(action, kAlphaWhite));
  return 0;
}

int32_t CPictTextures::TakeCommand(CUIMessage* message) {
  const char* element = message->elementName;
  if (Is(element, kPictOpenList)) return OpenList();
  if (Is(element, kPictSaveList)) return SaveList();
  if (Is(element, kPictLoad) || Is(element, kAlphaLoad)) return LoadPicture(Is(element, kAlphaLoad));
  if (Is(element, kPictCopy) || Is(element, kAlphaCopy)) return CopyToClipboard(Is(element, kAlphaCopy));
  for (uint32_t action : {kPictDelete, kPictPaste, kAlphaPaste, kPictWhite, kPictBlack, kAlphaWhite, kAlphaBlack}) {
    if (Is(element, action)) return Confirm(element);
  }
  if (Is(element, kAlphaInvert)) return InvertAlpha();
  for (CElement* slot : fSlots) {
    if (slot && Same(element, slot->GetName())) {
      ShowCurrent();
      return kHandled;
    }
  }
  if (Same(element, kPictTextures.cancel.name)) return Finish(false);
  if (Same(element, kPictTextures.ok.name)) return Finish(true);
  return CUIHostCanvas::HandleEvent(message);
}

// "cancel" answers 0, so that the caller hears it too.
int32_t CPictTextures::Finish(bool applied) {
  CLayoutHostCanvas::Close();
  if (!applied) {
    if (fTarget && fResultFlag) *fResultFlag = 0;
    ClearContext();
    return 0;
  }
  const int32_t err = Apply();
  return err ? err : kHandled;
}

int32_t CPictTextures::Confirm(const char* action) {
  const bool paste = Is(action, kPictPaste);
  if (!GetCurrentTexture() && !paste) {
    Beep();
    return kHandled;
  }
  if (!fConfirm || (paste && !GetCurrentTexture())) {
    // Nothing to confirm: the answer "delete" would send, queued.
    CUIMessage reply;
    reply.Init(0, action, nullptr, kConfirmCanvas, CUIMessage::kBroadcast);
    return GetOwner() && GetOwner()->Enqueue(reply) ? kHandled : kErrOutOfMemory;
  }
  fConfirm->SetConfirmationName(action);
  CUIMessage request;
  request.Init(0, kConfirmCanvas, nullptr, kPictTextures.canvas.name, CUIMessage::kBroadcast);
  if (CHoElement* root = GetRoot()) root->SendMessageUp(&request, root);
  RedrawElement(GetRoot());
  return kHandled;
}
