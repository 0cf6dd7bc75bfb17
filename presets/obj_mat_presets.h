// The object and material preset palette: a floating panel that shows the presets of one category's
// library (materials or objects, by its mode) as a grid of thumbnails with a live preview, stores the
// current material or object as a new preset, deletes the selected ones, and applies the chosen one
// to the selection, to the editor that opened it, or, for objects, places it in the scene.
//
// It opens beside its anchor from the palettes' "create plopup" (objects) and "edit plopup"
// (materials): held down, it follows the pointer and applies the preset under it on release; clicked,
// it stays open as a modal panel closed by "ok" or "cancel".
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "presets/preset_file.h"
#include "presets/preset_library.h"

class C3dMaterial;
class C3dObject;
class CCanvas;
class CDocumentHost;
class CIxText;
class CMaterialAction;
class CResTypeTable;
class CTxElement;

class CObjMatPresets : public CPresetLibrary {
 public:
  static constexpr uint32_t kTabCount = 14;
  static constexpr uint32_t kCurrentTabColour = 0x0A0A0A;
  static constexpr uint32_t kOtherTabColour = 0x969696;
  static constexpr const char* kDefaultMaterialName = "Untitled Preset";
  static constexpr const char* kDefaultObjectName = "Untitled Object";

  CObjMatPresets(CUICmFunction* owner, CResourceEnv* environment, CCanvas* anchor, CPresetNameDialog* addPreset,
                 CPresetDeleteDialog* deletePreset);
  ~CObjMatPresets() override;

  int32_t BuildControls(CResourceEnv* environment) override;
  // The messages of the panel, its dialogs and the plop-up elements: 0 when not the panel's, 26 when
  // handled, another value an error.
  int32_t HandleEvent(CUIMessage* message) override;

  // Places the panel beside its anchor and shows the mode's tabs; with reopen the mode's current
  // category opens and the panel shows.
  int32_t Show(bool reopen);
  using CPresetLibrary::Show;

  // ---- categories
  void UpdateCategoryTabs();
  int32_t SelectCategory(const char* tabName);
  CTxElement* GetTab(uint32_t index) const { return index < kTabCount ? fTabs[index] : nullptr; }
  uint32_t GetCurrentCategory(bool materials) const { return materials ? fMaterialCategory : fObjectCategory; }
  static int32_t OnCategoryClick(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);

  // ---- the library (opened on a working copy of the category's file)
  int32_t OpenLibrary(const char* category);
  int32_t CloseLibrary();

  // ---- storing and deleting
  // The working material (materials) or the current object (objects) as a new preset: 26 when done,
  // -43 without a library, or a code.
  int32_t StoreCurrent();
  int32_t ShowDescription(uint32_t id);
  // The object in a wrapper group under a fresh "objpreset" id, with its preview and description: the
  // tree store's code.
  int32_t StoreObjectPreset(C3dObject* object);
  int32_t DeleteObjectPreset(uint32_t id);

  // ---- applying
  int32_t AttachToSelection();
  // The editor's material that a chosen preset goes into, its flag set when it changed, and the
  // canvas the panel answers: the panel in materials mode with the editor's material.
  int32_t AttachToEditor(C3dMaterial* material, uint8_t* changedFlag, const char* replyName);
  int32_t ApplyMaterialToSelection();
  bool ReturnPresetToEditor(bool skip);
  int32_t PlaceObjectPreset();
  // The stored material preset at the table index into the material; *id gets its id.
  int32_t LoadMaterialPreset(C3dMaterial* material, uint32_t index, uint32_t* id);

  // ---- opening and closing
  int32_t OpenPlopUp(bool materials);
  int32_t TrackPlopUp() override;
  int32_t Close(bool apply) override;
  // Only lowers the level and hides.
  using CPresetLibrary::Close;

  bool IsMaterialsMode() const { return fMaterials; }
  C3dMaterial* GetWorkingMaterial() const { return fWorking; }
  C3dObject* GetCurrentObject() const { return fCurrentObject; }
  C3dMaterial* GetEditorMaterial() const { return fEditorMaterial; }
  uint8_t* GetChangedFlag() const { return fChangedFlag; }
  const char* GetReplyName() const { return fReplyName.empty() ? nullptr : fReplyName.c_str(); }

 private:
  CIxText* CategoryList() const;
  uint32_t& CurrentCategory() { return fMaterials ? fMaterialCategory : fObjectCategory; }
  void ColourTab(CTxElement* tab, uint32_t colour);
  int32_t StorePreviewAndDescription(uint32_t id, bool withDescription);
  // The working material a copy of the source (none: as it is) that counts its own texture uses.
  int32_t TakeWorkingMaterial(C3dMaterial* source);
  // The preview's sample in the working material, its render started again.
  int32_t ShowWorkingMaterial();
  int32_t AdoptWorkingTextures();
  int32_t ApplyMaterialToObject(C3dObject* object, CMaterialAction* action);
  int32_t CopyMaterialToEditor();
  int32_t OpenDeletePreset();
  bool IsOwnMessage(const CUIMessage& message) const;
  const char* ItemType() const override;
  const char* PreviewType() const override;
  const char* DescriptionType() const override;
  int32_t ShowClickedPreset(uint32_t index, bool replace) override;
  bool TrackOverOther(SPointHV at) override;
  void DeletePreset(uint32_t id) override;
  std::string ImportFilterText() override;
  int32_t ImportPresetFile(CResourceEnv* source) override;
  int32_t ImportOldDocument(const CFileSpec& file) override;
  // The proposed name of a new preset: the layout's "names" entry for the mode, else ours.
  std::string ProposedName() const override;
  // Ctrl+Shift: the clicked preset made again from the working material (materials) or given the
  // panel's preview (objects), at the same index.
  int32_t ReplacePreset(uint32_t index);

  CDocumentHost* fHost = nullptr;
  CImElement* fTitle = nullptr;
  CTxElement* fTabs[kTabCount] = {};
  char fTabTexts[kTabCount][kNameBytes] = {};
  std::string fFolder;
  std::unique_ptr<CIxText> fObjectCategories;
  std::unique_ptr<CIxText> fMaterialCategories;
  std::unique_ptr<CIxText> fNames;
  uint32_t fObjectCategory = 0;
  uint32_t fMaterialCategory = 0;
  C3dMaterial* fWorking = nullptr;
  C3dObject* fCurrentObject = nullptr;
  C3dMaterial* fEditorMaterial = nullptr;
  uint8_t* fChangedFlag = nullptr;
  std::string fReplyName;
  bool fMaterials = true;
};
