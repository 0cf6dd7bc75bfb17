// The 3D texture editor: the dialog in which the user edits a private duplicate, the working
// texture, of one procedural texture (three components and the global combiner that joins them) with
// sliders, steppers, value fields, a filter pad, switches, pop-up menus and colour swatches, while
// four previews render band by band in idle time. "ok" asks for a name and adds the texture to the
// current document, or replaces every document texture of that name, and tells the canvas that
// opened the editor which texture to use.
//
// The three panels "compA", "compB" and "compC" hold the same elements; the editor names each element
// after its panel (its canvas name) when it binds them, so one callback serves the three. Controls
// keep their values in their elements' user words; the callbacks write the working texture
// themselves and post their element's message, and the handler then refreshes what changed.
//
// dt_editor.cpp builds and binds the dialog, opens it on a texture and handles its messages;
// dt_editor_refresh.cpp sets the controls from the texture; dt_editor_preview.cpp renders the
// previews; dt_editor_controls.cpp the sliders, steppers, switches, filter pad and value fields;
// dt_editor_components.cpp the component clipboard and resets, the filter curve, the pop-up menus,
// the swatches, the store and the panels; dt_editor_save.cpp saving and replacing by name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "editors/material/layout_needs.h"
#include "framework/ui/layout_host_canvas.h"
#include "scene/texture/texture_data.h"

class C3dMaterial;
class C3dTexture;
class CDocumentHost;
class CDTSubEditor;
class CElement;
class CImElement;
class CMenu;
class CReplaceTexture;
class CSaveNewTexture;
class CTxElement;
class CUIMessage;
struct SWinEvent;

class CDTEditor : public CLayoutHostCanvas {
 public:
  // The panels' indices; kGlobal stands for the combiner's elements, whose group is the editor
  // itself.
  enum EGroup : int { kPanelA, kPanelB, kPanelC, kGlobal, kNoGroup = -1 };
  static constexpr int kPanelCount = 3;
  // The previews: 0 to 2 the components' "image", 3 the whole texture's "finalImage".
  static constexpr int kFinalPreview = 3;
  static constexpr int kPreviewCount = 4;
  // A preview's render state: its block (4 coarse, 1 fine, 0 complete) and the first line of its next
  // band.
  static constexpr uint32_t kBlockWord = 0;
  static constexpr uint32_t kLineWord = 1;
  static constexpr uint32_t kCoarseBlock = 4;
  static constexpr uint32_t kFineBlock = 1;
  // The a and b fields hold their filter parameter in units of 1/10000.
  static constexpr double kFilterUnit = 0.0001;
  // The hidden textures menu.
  static constexpr uint32_t kTextureMenuId = 500;
  static constexpr uint32_t kNameLength = 63;
  // Pop-up menu kinds, as ChooseFromPopupMenu takes them.
  enum EChoice : int { kPreviewChoice, kOutputChoice, kOperationChoice, kFilterChoice, kColourMapChoice, kChoiceCount };

  CDTEditor(CUICmFunction* owner, CResourceEnv* environment);
  // The working texture and the menus go; the heartbeat row too.
  ~CDTEditor() override;

  // Its save-new and replace dialogs and its sub-editor: 0.
  int32_t SetContext(CSaveNewTexture* saveNew, CReplaceTexture* replace, CDTSubEditor* subEditor);

  // ---- building and opening (dt_editor.cpp)
  // The texture menu and menus 0, 2 to 5, then the canvas "DTEditor" and every element of its
  // layout: 0, 9 when the texture menu cannot be made, or the first failing step's code (14 for an
  // element of the wrong class), and then nothing of the build is kept.
  int32_t BuildControls(CResourceEnv* environment) override;
  // Every callback bound anew and the preview heartbeat registered once: 0, or 13 when the
  // heartbeat refuses the row.
  int32_t BindControls();
  // The canvas it replies to, and the material and channel whose texture it edits.
  int32_t SetTarget(const char* ownerName, C3dMaterial* material, int32_t channel);
  // The library's textures and then the current document's fill the texture menu; then
  // SelectTexture(selection). 0 or the failing step's code.
  int32_t SetTextureSource(CResourceEnv* library, int32_t selection);
  // 0 with a working texture: the current material's first procedural one (or the working texture as
  // it is); without one, a random row of the menu. Any other selection is a texture selection handle
  // (document/texture_selection.h). A texture that is gone keeps the working texture: 0, 9 when the
  // material cannot be locked, or the look-up's code.
  int32_t SelectTexture(uint32_t selection);
  // The working texture becomes a duplicate of the texture and its row the current reference: 0.
  int32_t OpenTexture(C3dTexture* texture);
  // A duplicate of the texture, unless it is the working texture itself, becomes the working texture;
  // the four previews restart in every case. 0, or the duplicate's code (the working texture stays).
  int32_t SetWorkingTexture(C3dTexture* texture);

  // ---- the handler (dt_editor.cpp)
  int32_t HandleEvent(CUIMessage* message) override;

  // ---- the refresh (dt_editor_refresh.cpp)
  // Every control from the working texture; with snapshot set, the reset snapshot taken too: 0.
  int32_t RefreshComponentControls(bool snapshot);
  // The element's canvas name becomes the panel's, and its picture set the panel's.
  void SetUpPanelElement(int panel, uint32_t child);
  // A value field's text from its value: "a = %g", "b = %g", "c = %ld" or "%ld"; the others also place
  // their slider's thumb (and post the field's message).
  void ShowValueText(CTxElement* field);
  // The text placed centred in the element.
  static void SetElementText(CTxElement* element, const char* text);

  // ---- the previews (dt_editor_preview.cpp)
  static int32_t PreviewHeartbeat(void* editor, void* record, void* data);
  // 26 when the preview is complete (or there is no such preview); 0 after a band, or when nothing
  // could be drawn.
  int32_t RenderPreviewStep(int index);
  void RestartPreview(int index);

  // ---- the controls (dt_editor_controls.cpp), press callbacks of the layout's elements
  static int32_t DragSliderBar(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t StepDown(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t StepUp(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t SelectFormatOrCount(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t ForwardAndRefresh(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t ForwardPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t DragFilterImage(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t DragValueField(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // Puts the thumb of the slider of the element's panel that the name gives (its bar or its field)
  // where the field's value says, and posts the element's message.
  void PlaceSliderThumb(CElement* element, const char* name);

  // ---- components, menus, swatches and panels (dt_editor_components.cpp)
  static int32_t CopyComponent(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PasteComponent(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t ShuffleComponent(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t ResetComponent(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // The filter's transfer curve, black on light grey, into the element's 75 x 75 picture.
  static void DrawFilterCurve(CImElement* element, const STextureFilter& filter);
  // Pops up the kind's menu at the screen point for the group ("compA" to "compC", "DTEditor"); the
  // chosen row r gives the element the value r - 1 and its strip's cell. 0.
  int32_t ChooseFromPopupMenu(SPointHV point, int kind, const char* group);
  // Swatch name of group index 1 to 3 ("color1" to "color3") or 4 ("compGColor1" to "compGColor3"):
  // 0 with the swatch set to the colour, 1 when the name is no swatch of that index.
  int32_t SetColorSwatch(const char* name, uint32_t colour, int index);
  // The menus' choices and the swatches' colours into the working texture.
  void StoreControlsInTexture();
  void ShowComponentB();
  void HideComponentB();
  void ShowComponentC();
  void HideComponentC();
  // The named element below the container, of the class asked: 0 with it, 14 with none when it is of
  // another class (a text element is no plain picture element), or the look-up's code.
  static int32_t FindImElement(CElement* container, const char* name, CImElement** out);
  static int32_t FindTxElement(CElement* container, const char* name, CTxElement** out);

  // ---- saving (dt_editor_save.cpp)
  // Sets *found when a row of the texture menu names a texture of exactly that stored name (Mac OS
  // Roman); never clears it. 0 or the menu's lock code.
  int32_t TextureMenuHasName(const char* name, bool* found);
  // The working texture, renamed, duplicated into the current document: 0, 1 without a usable
  // working texture or a name, 9 when a texture cannot be locked or duplicated, or the table's code.
  int32_t SaveAsNewTexture(const char* name);
  // Every document texture of that name takes the working texture's record: 0, 1 or 9 as above, or
  // SaveAsNewTexture's answer when none has the name.
  int32_t ReplaceTextureByName(const char* name);

  // ---- what the tests and the opener read
  C3dTexture* GetWorkingTexture() const { return fWorking; }
  const char* GetTextureName() const { return fTextureName; }
  uint32_t GetCurrentTextureRef() const { return fCurrentTextureRef; }
  const char* GetOwnerName() const { return fOwnerName; }
  C3dMaterial* GetTargetMaterial() const { return fTargetMaterial; }
  int32_t GetTargetChannel() const { return fTargetChannel; }
  CResourceEnv* GetTextureSource() const { return fTextureSource; }
  CMenu* GetTextureMenu() const { return fTextureMenu.get(); }
  CMenu* GetChoiceMenu(int kind) const { return fMenus[kind].get(); }
  CDTSubEditor* GetSubEditor() const { return fSubEditor; }
  CSaveNewTexture* GetSaveNewDialog() const { return fSaveNew; }
  CReplaceTexture* GetReplaceDialog() const { return fReplace; }
  uint8_t GetComponentCount() const { return fComponentCount; }
  bool IsRefreshPending() const { return fRefreshPending; }
  bool AreControlsBound() const { return fControlsBound; }
  CElement* GetPanel(int panel) const { return fPanels[panel]; }
  // A panel's child (need::EDTPanelChild) and a global element (need::EDTGlobal).
  CImElement* GetPanelElement(int panel, uint32_t child) const { return fChildren[panel][child]; }
  CImElement* GetMenuMarker(int panel, uint32_t marker) const { return fMarkers[panel][marker]; }
  CImElement* GetGlobalElement(uint32_t global) const { return fGlobals[global]; }
  CImElement* GetPreview(int index) const;
  // The text element of a panel's or the combiner's value field, by its panel child's index.
  CTxElement* GetField(int group, uint32_t child) const;

  // The group an element belongs to: its panel by its canvas name, or kGlobal.
  static int GroupOf(const CElement* element);
  // The editor whose tree holds the element.
  static CDTEditor* EditorOf(CElement* element);
  static const char* GroupName(int group);

  // The module-wide component clipboard and reset snapshots (zero and unfilled at the start).
  static void ForgetClipboardAndSnapshot();

 private:
  int32_t FindElements();
  void ForgetElements();
  void FreeBuilt();
  int32_t MakeMenus();
  void BindComponentControls(int panel);
  void BindGlobalControls();
  bool SubscribePreviews();
  void CopyTextureName();
  // The command of the texture menu's row that stands for the texture, or 0.
  uint32_t MenuRowOf(C3dTexture* texture);
  int32_t SelectFromMaterial();
  // The handler's parts.
  void UpdatePreviewsAndPanels(const CUIMessage& message);
  // Each answers true with *answer when it took the message.
  bool TakeSaveDialog(const CUIMessage& message, int32_t* answer);
  bool TakeReplaceDialog(const CUIMessage& message, int32_t* answer);
  bool TakeOwnCommand(const CUIMessage& message, int32_t* answer);
  bool TakeColour(const CUIMessage& message, int32_t* answer);
  int32_t TakeElementCommand(CUIMessage* message);
  int32_t OpenSubEditor(const CUIMessage& message);
  int32_t ShowSaveDialog();
  // The name typed in the save dialog, in the stored character set.
  std::string TypedName() const;
  void TellOwner();
  // The refresh's parts.
  void RefreshPanel(int panel, const STextureComponent& component);
  void RefreshGlobal(const STextureData& data);
  void ShowCount(int32_t count);
  void ShowChoice(CImElement* element, int32_t index);
  void ShowFilter(int group, CImElement* kind, const STextureFilter& filter);
  void ShowColours(int group, CImElement* map, const SColorOutput& colour);
  CImElement* ChoiceElement(int kind, int group) const;
  void ShowSwatch(CImElement* swatch, uint32_t colour);
  void ShowFormat(int group, int32_t format);
  void ShowFormatsFromTexture();
  void ShowNumber(CTxElement* field, int32_t value);
  // The thumb of a group's frequency or phase slider where its field's value says.
  void MoveThumb(int group, bool phase);
  void SetThumb(CImElement* bar, CImElement* thumb, int32_t offset);
  // A value field's text from its value, without its thumb.
  void WriteValueText(CTxElement* field);
  // The controls' parts.
  void MoveComponentFrequencies(int32_t difference);
  void DragComponentFrequencies(int32_t* running, int32_t step);
  void ShowComponentFrequencies(const int32_t* values);
  void Step(CElement* button, int32_t direction);
  void SwitchTo(CImElement* pressed);
  void MovePad(CTxElement* field, int32_t pixels, const char* format);
  void WriteFilterParameters();
  // The component records and the global filter as the reset buttons bring them back.
  static void TakeSnapshot(const STextureData& data);
  // The panels' parts.
  void ShowPanelElements(int panel, bool show);

  CSaveNewTexture* fSaveNew = nullptr;
  CReplaceTexture* fReplace = nullptr;
  CDTSubEditor* fSubEditor = nullptr;
  char fTextureName[kNameLength + 1] = {};
  bool fControlsBound = false;
  bool fRefreshPending = false;
  uint8_t fComponentCount = 1;
  CResourceEnv* fTextureSource = nullptr;
  std::unique_ptr<CMenu> fTextureMenu;
  std::unique_ptr<CMenu> fMenus[kChoiceCount];
  const char* fOwnerName = nullptr;
  C3dMaterial* fTargetMaterial = nullptr;
  int32_t fTargetChannel = 0;
  uint32_t fCurrentTextureRef = 0;
  C3dTexture* fWorking = nullptr;
  CElement* fPanels[kPanelCount] = {};
  CImElement* fChildren[kPanelCount][need::kDTPanelChildCount] = {};
  CImElement* fMarkers[kPanelCount][need::kDTMenuMarkerCount] = {};
  CImElement* fGlobals[need::kDTGlobalCount] = {};
};
