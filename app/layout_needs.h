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
// Pictures 100 to 105: the background pictures the display palette chooses for the view.
inline constexpr uint32_t kBackdropCount = 6;
extern const SLayoutNeed kBackdrops[kBackdropCount];
extern const SLayoutNeed kDocContextMenu;       // row 1 zoom to the selection, row 2 show "patch render"
extern const SLayoutNeed kWarnings;             // the application's warnings
extern const SLayoutNeed kCloudTextureNames;    // the texture library's textures for a new sky's clouds
extern const SLayoutNeed kImageInfo;  // the information line: 1 image size, 2 and 3 selected, 4 scene
extern const SLayoutNeed kControlPalette;
// ---- the control palette's elements and menus (control_palette*.cpp, nano_preview.cpp)
extern const SLayoutNeed kControlBackground;
extern const SLayoutNeed kNanoPreview;
extern const SLayoutNeed kViewControl;
extern const SLayoutNeed kFlyThroughControl;  // inside the view control
inline constexpr uint32_t kCameraControlCount = 6;
// Trackball, YZ, XY, XZ, banking, field of view: the palette's order of its camera controls.
extern const SLayoutNeed kCameraControls[kCameraControlCount];
inline constexpr uint32_t kRenderButtonCount = 3;
extern const SLayoutNeed kRenderButtons[kRenderButtonCount];  // render all, clear & render, resume render
inline constexpr uint32_t kOptionMenuCount = 5;
// Nano preview, view, camera, trackball and render options: the buttons and their menus 200 to 204.
extern const SLayoutNeed kOptionMenuButtons[kOptionMenuCount];
extern const SLayoutNeed kOptionMenus[kOptionMenuCount];
extern const SLayoutNeed kTexturesButton;
extern const SLayoutNeed kPreviewModeButton;
extern const SLayoutNeed kMultiplexContainer;
extern const SLayoutNeed kTopMultiplexText;     // inside the container
extern const SLayoutNeed kBottomMultiplexText;  // inside the container
inline constexpr uint32_t kViewDotCount = 8;
extern const SLayoutNeed kViewDots[kViewDotCount];  // "view 0 dot" to "view 7 dot"
// The hover help lists, named like their controls: entries 0 and 1.
inline constexpr uint32_t kControlHelpCount = 26;
extern const SLayoutNeed kControlHelp[kControlHelpCount];
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
