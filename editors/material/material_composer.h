// The material composer: the dialog in which the user edits a working copy of one material (its six
// value channels, four colour channels, specular colour, refraction index, shading mode and four texture
// components a to d) with live swatches and a ray-traced preview of a sample object, and applies it
// to the selection of the document window it is bound to as one undoable step.
//
// Every control keeps its value in its element's user words; StoreControls writes them all into the
// working material and RefreshControls reads them back. Every change records a CMaterialAction of the
// preview's sample object, which wears the working material, in the composer's own undo ring of one
// slot, so that Ctrl+Z toggles the last change. The swatches and then the preview render in the
// idle task, slice by slice, giving way to pending input.
//
// material_composer.cpp builds the dialog and takes its keys, presses and idle time;
// composer_value_controls.cpp the sliders, numbers and shading mode; composer_swatches.cpp the
// components' swatches and types; composer_commands.cpp the message handler; composer_tracking.cpp
// the drags, painting, store and refresh; composer_texture_menus.cpp the texture and picture menus;
// composer_apply.cpp the binding to a document window, the material clipboard and "ok".
#pragma once

#include <cstdint>
#include <memory>

#include "editing/undo_history.h"
#include "framework/core/four_cc.h"
#include "framework/core/rect.h"
#include "framework/ui/layout_host_canvas.h"

class C3dMaterial;
class C3dObject;
class CBaseTexture;
class CDocumentHost;
class CDTEditor;
class CEdit3dTexture;
class CElement;
class CImage;
class CImElement;
class CMaterialAction;
class CMenu;
class CObjMatPresets;
class CPictTextures;
class CPreviewScene;
class CTxElement;
class CUIMessage;
struct SWinEvent;

class CMaterialComposer : public CLayoutHostCanvas {
 public:
  static constexpr int kComponentCount = 4;
  static constexpr int kValueChannelCount = 6;
  static constexpr int kChannelCount = 10;
  static constexpr int kGridColumns = 5;
  static constexpr int kTextRingCount = kValueChannelCount + kComponentCount;
  static constexpr int32_t kMappingModes = 11;
  // The levels of the frequency sliders (0 to 99) and of the value sliders and numbers (0 to 255).
  static constexpr int32_t kFrequencyLevels = 99;
  static constexpr int32_t kValueLevels = 255;

  // SetComponent's flags: the type was chosen from the type menu, a texture is assigned, the mapping
  // mode is set; and its kinds.
  enum : uint32_t { kTypeChosen = 0x1, kAssignTexture = 0x2, kSetMapping = 0x4 };
  enum : int32_t { kProcedural = 0, kPicture = 1, kNoTexture = 2 };
  // SetComponent's choice of a new procedural texture; any other choice of kind 0 is a texture
  // selection handle (document/texture_selection.h).
  static constexpr int32_t kNewTexture = -1;

  // A colour element's swatch state: its block step (4 coarse, 1 fine, 0 finished) and the next row
  // to render.
  static constexpr uint32_t kStepWord = 0;
  static constexpr uint32_t kRowWord = 1;
  static constexpr uint32_t kCoarseStep = 4;
  static constexpr uint32_t kFineStep = 1;

  // The type tag of the handles by which element words name images.
  static constexpr uint32_t kImageHandleTag = FourCC("imag");

  // The menus it makes: the textures menu and the pictures menu.
  static constexpr uint32_t kTextureMenuId = 104;
  static constexpr uint32_t kPictureMenuId = 103;

  CMaterialComposer(CUICmFunction* owner, CResourceEnv* environment, CResourceEnv* textures,
                    CPictTextures* pictTextures, CEdit3dTexture* quickEditor, CObjMatPresets* presets,
                    CDTEditor* textureEditor);
  // The swatch images leave their elements before they go; the working material gives back its
  // texture uses.
  ~CMaterialComposer() override;

  // The one composer, none before it is made.
  static CMaterialComposer* GetCurrent();

  // ---- the dialog (material_composer.cpp)
  // The layout's elements bound and the working material, swatch images, menus and preview made;
  // the first failing step's code, and then nothing of this build is kept.
  int32_t BuildControls(CResourceEnv* environment) override;
  // A press while the window shows: an open numeric pop-up is closed with its value first.
  int32_t OnPointerPress(SWinEvent& event) override;
  // Tab moves to the next number field; Ctrl+C, Ctrl+V and Ctrl+Z copy, paste and toggle the last
  // change.
  int32_t OnCharacter(SWinEvent& event) override;
  // The heartbeat callback: the swatches slice by slice, then one slice of the preview render.
  static int32_t IdleTask(void* composer, void* record, void* data);
  int32_t IdleStep(bool nested);

  // ---- the value controls (composer_value_controls.cpp)
  int32_t BuildValueControls();
  static int32_t DrawFrequencySlider(CElement* element, uint32_t pass, CImage* port);
  static int32_t DrawValueSlider(CElement* element, uint32_t pass, CImage* port);
  // Shows an integer in a number text and keeps it in its user word 0.
  void SetValueText(CTxElement* element, int32_t value, bool redraw);
  void SetMetallicityText(CTxElement* element, int32_t value, bool redraw);
  // The value messages of the controls: 26 when handled, else 0.
  int32_t HandleValueMessage(CUIMessage* message);
  void DrawShadingMode();
  // Menu 102 loaded and ticked for the current shading flags: the mode's row, row 8 while bump fades,
  // row 9 while the material casts shadows.
  int32_t PrepareShadingMenu(CMenu** out);
  int32_t ShadingModePopup(SPointHV screenPoint);

  // ---- the components (composer_swatches.cpp)
  // One slice of swatch rendering: 0, or 26 when no swatch needs work.
  int32_t RenderSwatchStep();
  static int32_t RestartSwatch(CElement* element, uint32_t pass, CImage* port);
  // Grey 255 − alpha of the source into the target's overlapping area.
  static bool AlphaToGray(CImage* source, CImage* target);
  int32_t HandleComponentPress(CUIMessage* message);
  int32_t ComponentTypePopup(SPointHV screenPoint, CElement* element, int component);
  // Changes component c: the flags, kind and choice above (for a picture, its id); 0 or the code, the
  // slot as it was on failure.
  int32_t SetComponent(uint32_t flags, int component, int32_t kind, int32_t choice);

  // ---- the commands (composer_commands.cpp)
  int32_t HandleEvent(CUIMessage* message) override;
  // 0, or 1 when the material cannot be locked or the editor cannot be built.
  int32_t OpenTextureEditor(int component);
  void ApplyGrid();
  int32_t RandomizeMaterial();
  int32_t ResetMaterial();
  // The next (with Shift the previous) number field of the ring after the current one (none: the
  // first, or the last) gets a press when it is active: the press's answer, or 0.
  int32_t ActivateNextText(CElement* current);
  // A CMaterialAction of the sample object into the undo ring; silent when it cannot be made.
  void RecordUndoStep();

  // ---- the drags, painting, store and refresh (composer_tracking.cpp)
  static int32_t SendPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t TrackGrid(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t TrackFrequencyBall(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t TrackFrequencySlider(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t TrackChannelValues(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t TrackValueSlider(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressFrequencyValues(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t TrackNumberText(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PaintColorMarker(CElement* element, uint32_t pass, CImage* port);
  static int32_t PaintSpecColor(CElement* element, uint32_t pass, CImage* port);
  static int32_t PaintPreview(CElement* element, uint32_t pass, CImage* port);
  // The value slider's value for x on a slider w wide (the bump slider goes on through a zero zone to
  // −255).
  static int32_t ValueSliderValue(int32_t x, int32_t width, bool bump);
  void SelectGridCells(int cell, bool mix, bool redraw);
  int32_t StoreControls();
  int32_t RefreshControls(bool full);

  // ---- the texture menus (composer_texture_menus.cpp)
  int32_t RebuildPictureMenu();
  int32_t RebuildTextureMenu();
  int32_t ListTextureNames(CMenu* menu);
  // Names a texture from the pattern of its kind (0 procedural, 1 picture), a letter and a number.
  int32_t MakeTextureName(CBaseTexture* texture, int32_t kind);
  int32_t ChooseComponentTexture(SPointHV screenPoint, CElement* element, int component);
  int32_t ShowMappingMenu(SPointHV screenPoint, CElement* element, int component);
  void RefreshComponents(bool full);

  // ---- the document (composer_apply.cpp)
  // Binds the composer to the window and edits a copy of its first selected object's material, or of
  // its current material: 0 or the failing step's code.
  int32_t AttachDocument(CDocumentHost* window);
  int32_t CopyMaterial();
  int32_t PasteMaterial();
  // "ok": the working material into every selected object and the window's current material, as one
  // undo step of the document.
  int32_t ApplyToSelection();
  int32_t ApplyToObject(C3dObject* object);
  // The preview's sample wears the working material; a copied group's members show a copy of it.
  int32_t HandToPreview();

  // ---- what the tests and the other editors read
  CResourceEnv* GetTextures() const { return fTextures; }
  CPictTextures* GetPictTextures() const { return fPictTextures; }
  CEdit3dTexture* GetQuickEditor() const { return fQuickEditor; }
  CObjMatPresets* GetPresets() const { return fPresets; }
  CDTEditor* GetTextureEditor() const { return fTextureEditor; }
  CDocumentHost* GetDocumentHost() const { return fHost; }
  C3dMaterial* GetMaterial() const { return fMaterial; }
  CPreviewScene* GetPreview() const { return fPreview.get(); }
  CUndoHistory& GetUndo() { return fUndo; }
  CMenu* GetTextureMenu() const { return fTextureMenu.get(); }
  CMenu* GetPictureMenu() const { return fPictureMenu.get(); }
  const SRect& GetPreviewRect() const { return fPreviewRect; }
  bool IsPreviewReady() const { return fPreviewReady; }
  bool HasPresetsChanged() const { return fPresetsChanged != 0; }
  CImElement* GetFrequencySlider(int k) const { return fFrequencySliders[k]; }
  CTxElement* GetFrequencyText(int k) const { return fFrequencyTexts[k]; }
  CImElement* GetValueSlider(int channel) const { return fValueSliders[channel]; }
  CTxElement* GetValueText(int channel) const { return fValueTexts[channel]; }
  CElement* GetFlatMarker(int channel) const { return fFlatMarkers[channel]; }
  CElement* GetMaterialGrid() const { return fMaterialGrid; }
  CTxElement* GetComponentType(int c) const { return fComponentTypes[c]; }
  CTxElement* GetComponentName(int c) const { return fComponentNames[c]; }
  CImElement* GetComponentMapping(int c) const { return fComponentMappings[c]; }
  CImElement* GetComponentColor(int c) const { return fComponentColors[c]; }
  CImElement* GetComponentAlpha(int c) const { return fComponentAlphas[c]; }
  CImElement* GetComponentBump(int c) const { return fComponentBumps[c]; }
  CImElement* GetSpecColor() const { return fSpecColor; }
  CTxElement* GetSpecText(int index) const { return fSpecTexts[index]; }
  CTxElement* GetRefractionIndex() const { return fRefractionIndex; }
  CTxElement* GetMetallicityText() const { return fMetallicityText; }
  CTxElement* GetShadingMode() const { return fShadingMode; }
  CImElement* GetFrequencyBall() const { return fFrequencyBall; }
  CImElement* GetMaterialPreview() const { return fMaterialPreview; }
  CImage* GetSwatchImage(int index) const { return fSwatchImages[index].get(); }
  // The component's type state: 0 procedural, 1 picture, 2 none.
  uint32_t ComponentTypeState(int c) const;

  // An element is switched on (the grid's chosen cells, the enabled sliders and fields) while its
  // alternate flag is set; a switched-off slider or field shows dimmed, a grid cell by its fill.
  static bool IsSwitchedOn(const CElement* element);
  static void SwitchOn(CElement* element, bool on, bool redraw);
  static void SwitchCell(CElement* cell, bool on, bool redraw);
  // Entry index of a text element's list as its text, centred.
  static void ShowListEntry(CTxElement* element, uint32_t index, bool redraw);

 protected:
  // The idle task's row in the application's heartbeat table, the composer's earlier rows removed
  // first: false when the row is refused.
  virtual bool SubscribeIdleTask();

 private:
  int32_t BindDialogElements();
  int32_t BindMaterialGrid();
  int32_t MakeSwatchImages();
  int32_t BindPreview();
  int32_t MakeMenus();
  void BindComponents();
  void BindButtons();
  int32_t MakeWorkingMaterial();
  // Everything the build made, let go of, so that a failed build leaves nothing and a later one
  // starts afresh (with a new preview scene, unless the composer goes).
  void FreeBuilt(bool newPreview);
  void ForgetElements();
  // The key commands of OnCharacter.
  int32_t CopyWithFeedback();
  int32_t PasteWithFeedback();
  int32_t ToggleLastChange(SWinEvent& event);
  // The element's picture pressed for the ticks while work runs.
  template <typename Work>
  int32_t WithButtonPressed(CImElement* button, uint32_t ticks, Work work);
  // The value messages' parts.
  int32_t TakeFrequencyBall(const CUIMessage& message);
  int32_t TakeTypedValue(const CUIMessage& message);
  int32_t TakeSpecMessage(const CUIMessage& message);
  int32_t TakeColorMarker(const CUIMessage& message);
  // The commands of HandleEvent.
  int32_t TakeEditorReply(const CUIMessage& message);
  int32_t TakeComposerCommand(CUIMessage* message);
  int32_t OpenPresets();
  void CloseDialog(bool apply);
  // The slot's texture and kind changes of SetComponent.
  int32_t AssignProcedural(int component, int32_t choice);
  int32_t AssignPicture(int component, bool first, uint32_t id);
  void ShowComponent(int component, bool withTexture, bool full);
  void ShowComponentName(int component, CBaseTexture* texture, bool redraw);
  void RestartComponentSwatches(int component);
  // Draws the rows [first, end) of each swatch of the component into the window.
  void DrawSwatchRows(int component, int32_t first, int32_t end);
  // The element's rectangle in the window's coordinates.
  SRect WindowRect(CElement* element) const;
  CTxElement* FindNumberText(const char* name) const;
  int FrequencySliderIndex(const char* name) const;
  int RingIndex(const CElement* element) const;
  // The material grid's cell of that index (row × 5 + column), none when it has no such child.
  CElement* GridCell(int index) const;
  // The material grid's channel rows: the source word each row writes.
  static int SourceOfRow(int row);

  bool fPreviewReady = false;
  CElement* fFrequencyValues = nullptr;
  CImElement* fFrequencySliders[kComponentCount] = {};
  CTxElement* fFrequencyTexts[kComponentCount] = {};
  std::unique_ptr<CImage> fFrequencySliderImage;
  std::unique_ptr<CImage> fFrequencySliderAlpha;
  CElement* fChannelValues = nullptr;
  CImElement* fValueSliders[kValueChannelCount] = {};
  CTxElement* fValueTexts[kValueChannelCount] = {};
  std::unique_ptr<CImage> fChannelSliderImage;
  std::unique_ptr<CImage> fChannelSliderAlpha;
  CTxElement* fMetallicityText = nullptr;
  CElement* fMaterialGrid = nullptr;
  CElement* fFlatMarkers[kChannelCount] = {};
  CElement* fMaterialComponents = nullptr;
  // Colour, alpha and bump, shared by the four components.
  std::unique_ptr<CImage> fSwatchImages[3];
  CTxElement* fComponentTypes[kComponentCount] = {};
  CTxElement* fComponentNames[kComponentCount] = {};
  CImElement* fComponentMappings[kComponentCount] = {};
  CImElement* fComponentColors[kComponentCount] = {};
  CImElement* fComponentAlphas[kComponentCount] = {};
  CImElement* fComponentBumps[kComponentCount] = {};
  CImElement* fSpecColor = nullptr;
  // Red, green and blue.
  CTxElement* fSpecTexts[3] = {};
  CTxElement* fRefractionIndex = nullptr;
  CTxElement* fShadingMode = nullptr;
  CImElement* fFrequencyBall = nullptr;
  CElement* fMaterialPresets = nullptr;
  CImElement* fMaterialPreview = nullptr;
  CDocumentHost* fHost = nullptr;
  CPictTextures* fPictTextures = nullptr;
  CEdit3dTexture* fQuickEditor = nullptr;
  CObjMatPresets* fPresets = nullptr;
  CDTEditor* fTextureEditor = nullptr;
  SRect fPreviewRect;
  std::unique_ptr<CPreviewScene> fPreview;
  C3dMaterial* fMaterial = nullptr;
  std::unique_ptr<CMenu> fTextureMenu;
  CResourceEnv* fTextures = nullptr;
  std::unique_ptr<CMenu> fPictureMenu;
  uint8_t fPresetsChanged = 0;
  // The preview's last failure, reported once rather than at every beat.
  int32_t fPreviewError = 0;
  CUndoHistory fUndo{1};
  // The document's undo step that "ok" fills, until the document's history takes it.
  std::unique_ptr<CMaterialAction> fPending;
  // The six value texts, then the four frequency texts: the ring that Tab walks.
  CTxElement* fTextRing[kTextRingCount] = {};
};
