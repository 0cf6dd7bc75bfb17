// The 2D picture textures dialog: the picture textures of the current document (each a picture whose
// top bytes are its alpha a) in 32 slots, and for the current slot its picture, its alpha (shown as
// the grey 255 - a) and their composite over a checkerboard. Pictures and alphas come from image
// files and the clipboard, are filled white or black, inverted, copied to the clipboard; a texture is
// deleted from the document; the document's textures are saved into a picture list file and merged
// from one (picture_list.cpp). "ok" gives the current texture to the canvas that opened the dialog
// (the material composer, the light editor or the document window) or, opened without one, to the
// materials of the selection as one undo step.
//
// pict_textures.cpp builds the dialog, fills its slots and handles its messages;
// pict_textures_pictures.cpp works the pictures, files and clipboard; pict_textures_apply.cpp gives
// the texture to its target and deletes textures.
#pragma once

#include <cstdint>
#include <memory>

#include "editors/material/layout_needs.h"
#include "framework/ui/layout_host_canvas.h"
#include "panels/gel_pictures.h"

class C3dMaterial;
class C3dObject;
class CDeletePreset;
class CDocumentHost;
class CElement;
class CImage;
class CImElement;
class CIxText;
class CMaterialAction;
class CPictTexture;
class CResourceEnv;
struct SWinEvent;

class CPictTextures : public CLayoutHostCanvas, public CGelPictures {
 public:
  static constexpr uint32_t kSlotCount = need::kPictSlotCount;
  // A slot's user words: the handle of the texture it shows (0 for none), whether it is the current
  // one, its index.
  static constexpr uint32_t kTextureWord = 0;
  static constexpr uint32_t kSelectedWord = 1;
  static constexpr uint32_t kIndexWord = 2;
  static constexpr uint32_t kEmptyGrey = 0xC0C0C0;
  static constexpr uint32_t kCurrentFrame = 0xFF0000;
  static constexpr uint32_t kCheckerSide = 20;
  // The callers' names, under which the dialog replies.
  static constexpr const char* kLightEditor = "edit light";
  static constexpr const char* kComposer = "materials composer";
  static constexpr const char* kDocWindow = "doc window";

  // confirm: the dialog that confirms destructive actions, or none (they then run at once).
  CPictTextures(CUICmFunction* owner, CResourceEnv* environment, CDeletePreset* confirm);
  ~CPictTextures() override;

  // The canvas, its buttons, the three previews filled grey, the text list and the 32 slots: 0, the
  // canvas's code, 9 when a preview cannot be filled or the scratch images were not made, 13 without
  // the text list, 14 for a missing grid, slot or preview.
  int32_t BuildControls(CResourceEnv* environment) override;

  // The caller's name (kLightEditor, kComposer, kDocWindow; none for the selection), the material
  // that takes the texture, the caller's changed flag (cleared on "cancel") and the material's
  // channel: 0.
  int32_t SetContext(const char* callerName, C3dMaterial* target, uint8_t* resultFlag, uint32_t channel);
  // The slots from the current document's picture textures (the first 32), the slot of selected made
  // current when it is given (else the flags stay; none flagged makes slot 0 current), and the
  // previews: 0, or 9 when the list cannot be locked.
  int32_t RefreshSlots(CPictTexture* selected);

  // ---- CGelPictures: the light editor's gel, which "ok" gives the current texture
  int32_t BuildGelPictures() override { return BuildOnce(); }
  void SetGelContext(const char* replyName, C3dMaterial* gel, uint8_t* changedFlag) override {
    SetContext(replyName, gel, changedFlag, 0);
  }
  int32_t ShowGelPictures(CPictTexture* current) override { return RefreshSlots(current); }
  void OpenGelPictures() override { Refresh(false); }

  // Nothing while hidden; see the table in pict_textures.cpp. 26 when handled, 0 when another may take
  // the message, else an error code.
  int32_t HandleEvent(CUIMessage* message) override;

  // ---- the current texture's pictures (pict_textures_pictures.cpp)
  // The previews show the image and, unless it is the current texture's own picture, the texture
  // takes it: 0, or 9 when an image cannot be allocated or locked.
  int32_t ShowPicture(CImage* image);
  // "pict load" and "alpha load": 0 when cancelled, the dialog's or the reader's code.
  int32_t LoadPicture(bool alpha);
  // "pict copy" and "alpha copy": 26, with a beep on an empty slot or when the clipboard refuses.
  int32_t CopyToClipboard(bool alpha);
  // Confirmed "pict paste" and "alpha paste": 26 (a beep without a picture on the clipboard).
  int32_t Paste(bool alpha);
  // Confirmed fills: the picture's colours or its alpha (a = 255 for black, 0 for white): 26.
  int32_t FillPicture(bool white);
  int32_t FillAlpha(bool white);
  int32_t InvertAlpha();
  // A new texture of the image named so (in the dialog's character set) in the document, the
  // document's picture list rebuilt: the texture, or none.
  CPictTexture* CreatePictTexture(CImage* image, const char* name);

  // ---- giving and deleting (pict_textures_apply.cpp)
  // "ok": the current texture to the caller's material, or to the selection's materials and the
  // window's current one: 0 or the first failure.
  int32_t Apply();
  // The confirmed "delete pict": every material's channels that hold the current texture emptied,
  // the undo histories cleared, the texture removed: 0 or the failing step's code.
  int32_t DeleteCurrent();

  // ---- the picture list (picture_list.cpp)
  // "save list": 0 also when cancelled, else the file's or the textures' code; an earlier file stays
  // as it was on failure.
  int32_t SaveList();
  // "open list": the list's textures into the document; 0 when cancelled; on failure the textures it
  // added are taken out again and the code answered.
  int32_t OpenList();
  // Every picture texture of the document into the opened list file: 0 or the first failure.
  int32_t WriteListEntries(CResourceEnv* environment);

  // ---- callbacks
  static int32_t OnSlotPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t DrawSlot(CElement* element, uint32_t pass, CImage* port);

  // ---- what the tests and the callers read
  const char* GetCallerName() const { return fCallerName; }
  C3dMaterial* GetTarget() const { return fTarget; }
  uint8_t* GetResultFlag() const { return fResultFlag; }
  uint32_t GetChannel() const { return fChannel; }
  CDeletePreset* GetConfirmDialog() const { return fConfirm; }
  CElement* GetSlot(uint32_t index) const { return index < kSlotCount ? fSlots[index] : nullptr; }
  CElement* GetCurrentSlot() const { return fCurrent; }
  static CPictTexture* SlotTexture(const CElement* slot);
  CPictTexture* GetCurrentTexture() const { return SlotTexture(fCurrent); }
  CImage* GetWorkImage() const { return fWork.get(); }
  CImage* GetCheckerboard() const { return fChecker.get(); }
  CImElement* GetPreview(uint32_t preview) const { return preview < need::kPictPreviewCount ? fPreviews[preview] : nullptr; }
  CImage* GetPreviewImage(uint32_t preview) const;
  // The dialog whose tree holds the element.
  static CPictTextures* DialogOf(CElement* element);

 private:
  int32_t FindSlots();
  int32_t MakePreviews();
  void ClearContext();
  // The previews of the current slot: its texture's picture, or grey.
  int32_t ShowCurrent();
  int32_t ClearPreviews();
  // The composite of the picture preview over the checkerboard, by the alpha preview.
  void RebuildComposite();
  // The alpha, taken from the image turned grey (a = 255 - grey), into the work image and the current
  // texture's picture; the alpha preview shows the grey picture.
  int32_t SetAlphaFrom(CImage* image);
  // The picture's colours from the image, its alpha resampled to the image's size.
  int32_t SetColoursFrom(CImage* image);
  // A new texture for the current empty slot from the image: 26, or 9 when it cannot be made.
  int32_t FillSlotWith(CImage* image, const char* name);
  // Opens the confirmation of the action, or runs it at once without a dialog; an empty slot beeps
  // (26), except for "pict paste", which proceeds.
  int32_t Confirm(const char* action);
  int32_t TakeConfirmed(const char* action);
  int32_t TakeCommand(CUIMessage* message);
  int32_t Finish(bool applied);
  // The texture's picture changed: redrawn in its slot, and the document marked changed.
  void NoteChanged();
  // The work image's bytes, or for the alpha grey 255 - a with a kept, as a 32-bit bitmap.
  bool PutOnClipboard(bool alpha);
  // Applying's parts.
  int32_t ApplyToSelection(CDocumentHost* host, CPictTexture* texture);
  int32_t ApplyToObject(C3dObject* object, CPictTexture* texture, CMaterialAction* action);
  int32_t Reply(uint32_t width, uint32_t height);

  CDeletePreset* fConfirm = nullptr;
  std::unique_ptr<CImage> fWork;
  std::unique_ptr<CImage> fChecker;
  CImElement* fPreviews[need::kPictPreviewCount] = {};
  std::unique_ptr<CIxText> fTexts;
  CElement* fSlots[kSlotCount] = {};
  CElement* fCurrent = nullptr;
  const char* fCallerName = nullptr;
  C3dMaterial* fTarget = nullptr;
  uint8_t* fResultFlag = nullptr;
  uint32_t fChannel = 0;
};
