// The quick 3D texture dialog: a small pop-up in which the user picks a procedural texture from a menu
// of the texture library's and the current document's textures and roughly adjusts a copy of it
// (turbulence, complexity, randomize, and the colours of up to three components and of the global
// combiner on twelve swatches) while a banded preview fills in idle time. It always edits its own copy;
// "ok" tells whoever opened it the selection handle (document/texture_selection.h) of the texture
// chosen, after saving an edited copy into the document under a name the save-new dialog asks for
// (and the replace dialog confirms when the name is taken). "cancel" tells it that nothing was chosen.
//
// edit_3d_texture.cpp builds the dialog, handles its messages, edits the texture and draws the
// preview; edit_3d_texture_library.cpp fills the menu and chooses, saves and replaces textures.
#pragma once

#include <cstdint>
#include <memory>

#include "editors/material/layout_needs.h"
#include "framework/ui/layout_host_canvas.h"
#include "scene/texture/texture_data.h"

class C3dMaterial;
class C3dTexture;
class CImage;
class CImElement;
class CMenu;
class CReplaceTexture;
class CSaveNewTexture;
class CTxElement;
class CUIMessage;

// The edits of "turbulence +" and "turbulence -" (up false): 20 more or less on the phase amount of
// each component within the count, never below 0; the global phase the same, gaining noise type 6
// (code blend number × 256 + 0x1A, angle 0, frequencies 60) when it has none and going up, losing its
// noise type when its amount reaches 0.
void StepTurbulence(STextureData& data, bool up);
// The edits of "complexity +" and "complexity -": one octave more (to 8, frequencies doubled) or
// fewer (to 0, frequencies halved) on each used component's noise and phase records and on the global
// phase; a record without noise type stays as it is.
void StepComplexity(STextureData& data, bool up);

class CEdit3dTexture : public CLayoutHostCanvas {
 public:
  // The preview element's words: its step (4 coarse, 1 fine, 0 complete) and its next row.
  static constexpr uint32_t kStepWord = 0;
  static constexpr uint32_t kRowWord = 1;
  static constexpr uint32_t kCoarseStep = 4;
  static constexpr uint32_t kFineStep = 1;
  // The current name: at most 66 characters.
  static constexpr uint32_t kNameBytes = 67;
  // The hidden texture menu.
  static constexpr uint32_t kMenuId = 500;
  // The name text starts this far into its element.
  static constexpr float kNameLeft = 15.0f;
  // The swatch groups, as need::kQuickSwatches orders them.
  enum ESwatchGroup : uint32_t { kGroupA, kGroupB, kGroupC, kGroupGlobal };

  CEdit3dTexture(CUICmFunction* owner, CResourceEnv* environment);
  // The edited texture, the preview image and the menu go; the heartbeat row too.
  ~CEdit3dTexture() override;

  // Its save-new and replace dialogs: 0.
  int32_t SetDialogs(CSaveNewTexture* saveNew, CReplaceTexture* replace);
  // Whom it answers (none: nobody), and the material and slot whose texture it edits: 0.
  int32_t SetTarget(const char* replyName, C3dMaterial* material, int32_t slot);

  // ---- building and messages (edit_3d_texture.cpp)
  // The canvas, its controls, the preview image, the texture menu and the preview's heartbeat row: 0,
  // the layout's code, 9 when the image or the menu cannot be made, or 13 when the heartbeat refuses.
  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;

  // ---- the edits (edit_3d_texture.cpp); each restarts the preview and sets the modified flag
  // 9 when the texture cannot be locked.
  int32_t Randomize();
  // 1 when the texture cannot be locked.
  int32_t Turbulence(bool up);
  int32_t Complexity(bool up);
  // The swatches show the texture's colours, the groups it does not use hidden: 0, or 1 when the
  // texture cannot be locked.
  int32_t ShowTextureColours();
  // The twelve swatches' colours into the texture: 0, or 1 when it cannot be locked.
  int32_t ApplySwatchColours();

  // ---- the preview (edit_3d_texture.cpp)
  void RestartPreview();
  // One band: 26 when the preview is complete, else 0 (also when nothing could be drawn).
  int32_t RenderPreviewBand();
  static int32_t PreviewHeartbeat(void* dialog, void* record, void* data);

  // ---- the library (edit_3d_texture_library.cpp)
  // The menu holds the library's textures, then the document's; the modified flag clears; then
  // SelectTexture(handle). 0 or the failing step's code.
  int32_t LoadTextureLibrary(CResourceEnv* library, int32_t handle);
  // The current document's textures but the sky's cloud layers, each in place of a row of its text or
  // after the rows: 0, or 9 when they cannot be listed or the menu cannot grow.
  int32_t AddDocumentTextures(CMenu* menu);
  // 0 and an edited texture: the current material's first procedural texture (none: result handle 0);
  // 0 and none: a random row but the last of two or more (6 for an empty menu). Any other handle a
  // selection handle: a copy of its texture becomes the edited texture and the handle the result; a
  // handle whose texture is gone keeps the edited texture. 0, 6, 9, or the look-up's code.
  int32_t SelectTexture(uint32_t handle);
  // A copy of the texture, unless it is the edited one, becomes the edited texture; the name, the
  // preview and the swatches show it: 0.
  int32_t SetTexture(C3dTexture* texture);
  // The composer's opening: the texture's copy edited and the row of its name the result handle: 0.
  int32_t Open(C3dTexture* texture);
  // Sets *found when a row stands for a texture of exactly that stored name: 0 or the menu's code.
  int32_t NameExists(const char* name, bool* found);
  // The edited texture saved into the document under the stored name; its handle the result: 0, 1
  // without a texture or a name, 9, or the table's code.
  int32_t SaveAsNew(const char* name);
  // Every document texture of the stored name overwritten by the edited texture (the first one the
  // result), or a new one when none has it: as SaveAsNew.
  int32_t Replace(const char* name);

  // ---- what the tests and the caller read
  C3dTexture* GetTexture() const { return fTexture; }
  CMenu* GetMenu() const { return fMenu.get(); }
  CResourceEnv* GetLibrary() const { return fLibrary; }
  CImElement* GetPreview() const { return fPreview; }
  CImage* GetPreviewImage() const { return fPreviewImage.get(); }
  CTxElement* GetNameElement() const { return fNameElement; }
  CImElement* GetSwatch(uint32_t group, uint32_t index) const;
  CSaveNewTexture* GetSaveNew() const { return fSaveNew; }
  CReplaceTexture* GetReplace() const { return fReplace; }
  const char* GetReplyName() const { return fReplyName; }
  C3dMaterial* GetTargetMaterial() const { return fMaterial; }
  int32_t GetTargetSlot() const { return fSlot; }
  uint32_t GetResultHandle() const { return fResultHandle; }
  const char* GetCurrentName() const { return fCurrentName; }
  bool IsModified() const { return fModified != 0; }

 private:
  void ReleaseBuilt();
  int32_t MakePreviewImage();
  int32_t MakeMenu();
  void BindSwatches();
  // The message handler's parts; each answers true with *answer when it took the message.
  bool TakeSaveDialog(const CUIMessage& message, int32_t* answer);
  bool TakeReplaceDialog(const CUIMessage& message, int32_t* answer);
  bool TakeOwnCommand(const CUIMessage& message, int32_t* answer);
  bool TakeSwatchColour(const CUIMessage& message, int32_t* answer);
  // The menu pops up at the screen point (where the press on the name was, as its message gives it)
  // on the result's row; a row chosen is edited.
  int32_t ChooseFromMenu(SPointHV screenPoint);
  int32_t ShowSaveDialog();
  // Closes what shows (the dialog or a confirmation) and tells the caller the result: handle and slot.
  void Reply(bool chosen);
  void ShowSwatch(CImElement* swatch, uint32_t colour);
  // The stored name into the current name and, as the interface shows it, into the name element.
  void ShowName();

  CMenu* MenuForLibrary();
  int32_t SelectFromMaterial();
  // The texture of a handle, copied into the edited texture: 0, 6 when it is gone, or the look-up's
  // code.
  int32_t CopyTextureOf(uint32_t handle);
  // A copy of the texture, unless it is the edited one, becomes the edited texture: 0 or the copy's
  // code (the edited texture then stays).
  int32_t EditCopyOf(C3dTexture* texture);

  std::unique_ptr<CMenu> fMenu;
  CResourceEnv* fLibrary = nullptr;
  CTxElement* fNameElement = nullptr;
  CImElement* fPreview = nullptr;
  std::unique_ptr<CImage> fPreviewImage;
  CImElement* fSwatches[need::kQuickSwatchGroups][need::kQuickSwatchesPerGroup] = {};
  CSaveNewTexture* fSaveNew = nullptr;
  CReplaceTexture* fReplace = nullptr;
  C3dTexture* fTexture = nullptr;
  uint8_t fModified = 0;
  char fCurrentName[kNameBytes] = {};
  const char* fReplyName = nullptr;
  C3dMaterial* fMaterial = nullptr;
  int32_t fSlot = 0;
  uint32_t fResultHandle = 0;
};
