// What the application shell looks up in its layout files: the files themselves, in the order the
// palette manager opens them, the canvases and elements of the shell's own windows, and the menus.
#pragma once

#include <cstdint>

#include "framework/ui/layout_need.h"

// The layout files in their opening order: the splash screen's first, then the document window's
// and the palettes', the menus, and the dialogs'.
enum ELayoutFile : uint32_t {
  kSplashscreenFile,
  kDocWindowFile,
  kControlPaletteFile,
  kCreatePaletteFile,
  kEditPaletteFile,
  kSkyFogPaletteFile,
  kSelectionPaletteFile,
  kDisplayPaletteFile,
  kMenusFile,
  kMaterialComposerFile,
  kReplicateFile,
  kSaveRevertFile,
  kDocSetupFile,
  kTexturesFile,
  kEditSkyFogFile,
  kTerrainEditorFile,
  kObjMatPresetsFile,
  kSkyFogPresetsFile,
  kEditCameraFile,
  kEdit3dTransFile,
  kEditLightFile,
  kPictTexturesFile,
  kEditObjAttrsFile,
  kAddPresetFile,
  kDeletePresetFile,
  kEdit3dTextureFile,
  kColorPickerFile,
  kEditPolyFile,
  kEditToriFile,
  kReportRenderFile,
  kEditFamilyFile,
  kExportRenderFile,
  kDTEditorsFile,
  kPrefsFile,
  kLayoutFileCount,
};

namespace need {

extern const SLayoutNeed kLayoutFiles[kLayoutFileCount];

extern const SLayoutNeed kDocWindow;
extern const SLayoutNeed kDocImage;  // the element that shows the document's pictures
extern const SLayoutNeed kDocText;   // entry 0: a new document's title
extern const SLayoutNeed kPresetFolder;     // list 100, entry 0: the material preset libraries' folder
extern const SLayoutNeed kPresetLibraries;  // list 101: their file names by kind
inline constexpr uint32_t kOverlayButtonCount = 8;
extern const SLayoutNeed kOverlayButtons[kOverlayButtonCount];  // in the window's order
extern const SLayoutNeed kPatchRender;
extern const SLayoutNeed kPatchRenderPictures;  // its three pictures
extern const SLayoutNeed kDefaultPicture;       // the picture of a new document's picture texture
extern const SLayoutNeed kRegionTint;           // picture 106: the tile the rendered region is tinted with
extern const SLayoutNeed kDocContextMenu;       // row 1 zoom to the selection, row 2 show "patch render"
extern const SLayoutNeed kWarnings;             // the application's warnings
extern const SLayoutNeed kCloudTextureNames;    // the texture library's textures for a new sky's clouds
extern const SLayoutNeed kControlPalette;
extern const SDialogNeeds kReportRender;
inline constexpr uint32_t kReportTextCount = 16;
extern const SLayoutNeed kReportTexts[kReportTextCount];  // in the report's text order
extern const SLayoutNeed kSplashscreen;
extern const SLayoutNeed kSplashPicture;  // states 0 (start-up) and 1 (about box)
extern const SLayoutNeed kAboutText;      // with its list: entry 1 the program's name and version
inline constexpr uint32_t kMenuCount = 4;
extern const SLayoutNeed kMenus[kMenuCount];  // File, Edit, Object and Render, in the menu bar's order

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable AppLayoutNeeds();
