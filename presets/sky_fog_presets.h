// The sky preset palette: a floating panel that shows the skies of its one library ("Skies.sky") as
// a grid of thumbnails with a live preview of the working sky, stores the working sky as a new
// preset, deletes the selected ones and puts the chosen one into the document's sky and sun light.
//
// It opens beside its anchor from the palettes' "sky&fog plopup" with the document's sky in its
// preview: held down, it follows the pointer and applies the sky under it on release; clicked, it
// stays open as a modal panel closed by "ok" or "cancel".
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "presets/preset_library.h"

class C3dSky;
class C3dSunLight;
class CCanvas;
class CDocumentHost;
class CIxText;
class CSkyFogPalette;

class CSkyFogPresets : public CPresetLibrary {
 public:
  static constexpr const char* kDefaultSkyName = "Untitled Preset";

  CSkyFogPresets(CUICmFunction* owner, CResourceEnv* environment, CCanvas* anchor, CPresetNameDialog* addPreset,
                 CPresetDeleteDialog* deletePreset);
  ~CSkyFogPresets() override;

  int32_t BuildControls(CResourceEnv* environment) override;
  // The messages of the panel, its dialogs and "sky&fog plopup": 0 when not the panel's, 26 when
  // handled, another value an error.
  int32_t HandleEvent(CUIMessage* message) override;

  // The document window whose sky it edits (its host), and the palette it updates: 0.
  int32_t SetDocWindow(CDocumentHost* window);
  int32_t SetSkyFogPalette(CSkyFogPalette* palette);

  // ---- the library
  int32_t OpenLibrary();
  int32_t CloseLibrary();

  // ---- the working sky
  C3dSky* GetWorkingSky() const { return fWorking; }
  // The preview's sun light, which lights and is stored with every sky of the panel.
  C3dSunLight* GetWorkingSun();
  // The document's sky and sun light into the working sky and the preview's sun: 0 or a copy's code.
  int32_t PrepareFromDocument();
  // The preset at the table index into the working sky and the preview's sun; *id gets its id.
  int32_t LoadSkyPreset(uint32_t index, uint32_t* id);
  // The working sky and sun into the document's, then "objinfochanged": 0 or the first copy's code.
  int32_t CopyToDocument();

  // ---- storing and deleting
  // The working sky as a new preset, the last entry and the only one selected: 0, -43 without a
  // library, or the store's code (nothing written then).
  int32_t StoreCurrent();

  // ---- opening and closing
  int32_t Show(bool reopen);
  using CPresetLibrary::Show;
  int32_t OpenPlopUp();
  int32_t TrackPlopUp() override;
  int32_t Close(bool apply) override;
  using CPresetLibrary::Close;

 protected:
  const char* ItemType() const override;
  const char* PreviewType() const override;
  const char* DescriptionType() const override;
  int32_t ShowClickedPreset(uint32_t index, bool replace) override;
  bool CommitClearsProposedName() const override { return false; }
  void OnUnreadableThumbnail(CElement* cell) override;
  void DeletePreset(uint32_t id) override;
  std::string ImportFilterText() override;
  int32_t ImportPresetFile(CResourceEnv* source) override;
  int32_t ImportOldDocument(const CFileSpec& file) override;

 private:
  int32_t MakeWorkingSky();
  void FreeWorkingSky();
  // The clicked preset's stored preview made again from the panel's preview, its texts kept.
  int32_t ReplacePreview(uint32_t id);
  int32_t StorePreviewAndDescription(uint32_t id);
  // The proposed name of a new sky: the layout's first "names" entry, else ours.
  std::string ProposedName() const override;
  int32_t OpenDeletePreset();
  int32_t RestartPreview();
  void UpdatePalette();
  bool IsOwnMessage(const CUIMessage& message) const;

  CDocumentHost* fHost = nullptr;
  CSkyFogPalette* fPalette = nullptr;
  C3dSky* fWorking = nullptr;
  std::string fLibraryPath;
  std::unique_ptr<CIxText> fNames;
};
