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
extern const SLayoutNeed kControlPalette;
extern const SDialogNeeds kReportRender;
extern const SLayoutNeed kSplashscreen;
inline constexpr uint32_t kMenuCount = 4;
extern const SLayoutNeed kMenus[kMenuCount];  // File, Edit, Object and Render, in the menu bar's order

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable AppLayoutNeeds();
