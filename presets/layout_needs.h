// What the preset libraries and the sky & fog editors look up in their layout files.
#pragma once

#include "framework/ui/layout_need.h"

namespace need {

extern const SDialogNeeds kEditSkyFog;
extern const SDialogNeeds kObjMatPresets;
extern const SLayoutNeed kSkyFogPalette;
extern const SDialogNeeds kSkyFogPresets;

// The numeric sky & fog dialog ("editskyfog.dat"): its eleven fields in the order of
// CEditSkyFog::EField, and the two buttons that hand a cloud layer's texture to the quick 3D texture
// dialog.
inline constexpr uint32_t kSkyFogFieldCount = 11;
extern const SLayoutNeed kEditSkyFogFields[kSkyFogFieldCount];
extern const SLayoutNeed kEditStratus;
extern const SLayoutNeed kEditCumulus;

// The object and material preset palette ("objmatpresets.dat"): its title (state 0 objects, 1
// materials), the thumbnail grid over the picture "preset grid" with its first cell, the scroll
// item (states 0 to 2), the preview and its options button, the preset's name and description, the
// buttons, the tabs "category text0" to "category text13" (kPresetTabFormat), the lists 0 (the
// libraries' folder), 1 (object categories), 2 (material categories) and "names" (proposed names:
// materials, objects, skies, anything else), and the preview's options menus 200 (materials) and
// 201 (objects).
extern const SLayoutNeed kPresetTitle;
extern const SLayoutNeed kPresetGrid;
extern const SLayoutNeed kPresetGridPicture;
extern const SLayoutNeed kPresetFirstCell;
extern const SLayoutNeed kPresetScrollItem;
extern const SLayoutNeed kPresetPreview;
extern const SLayoutNeed kPresetPreviewOptions;
extern const SLayoutNeed kPresetName;
extern const SLayoutNeed kPresetDescription;
extern const SLayoutNeed kPresetImport;
extern const SLayoutNeed kPresetExport;
extern const SLayoutNeed kPresetAdd;
extern const SLayoutNeed kPresetDelete;
extern const SLayoutNeed kPresetTabs[14];
inline constexpr const char* kPresetTabFormat = "category text%u";
// The window name of a tab's message.
inline constexpr const char* kPresetTabWindow = "category";
extern const SLayoutNeed kPresetLibraryFolder;
extern const SLayoutNeed kObjectCategories;
extern const SLayoutNeed kMaterialCategories;
extern const SLayoutNeed kPresetNames;
extern const SLayoutNeed kMaterialFileFilter;
extern const SLayoutNeed kObjectFileFilter;
extern const SLayoutNeed kMaterialPreviewMenu;
extern const SLayoutNeed kObjectPreviewMenu;

// The sky preset palette ("skyfogpresets.dat"): the elements of the material and object palette
// but its title, tabs and preview options, under the same names; list 0 (the libraries' folder and
// the sky library's name), "names" as there, and "sky file filter".
extern const SLayoutNeed kSkyPresetElements[9];
extern const SLayoutNeed kSkyPresetGridPicture;
extern const SLayoutNeed kSkyPresetFirstCell;
extern const SLayoutNeed kSkyPresetLibrary;
extern const SLayoutNeed kSkyPresetNames;
extern const SLayoutNeed kSkyFileFilter;
extern const SLayoutNeed kSkyFogPlopUp;

// The billboard of the preset panels, in the same file.
extern const SDialogNeeds kBillboard;
extern const SLayoutNeed kBillboardImage;

// The elements of the create and edit palettes whose messages open the panel, and the canvases of
// the dialogs that answer it (the dialogs live in a later library, which declares them too).
extern const SLayoutNeed kCreatePlopUp;
extern const SLayoutNeed kEditPlopUp;
extern const SLayoutNeed kAddPresetCanvas;
extern const SLayoutNeed kDeletePresetCanvas;

// The sky & fog palette ("skyfogpalette.dat", canvas kSkyFogPalette): its controls with their image
// lists (the strips of 11 pictures, the fog control's 72, the sky modes' 4, two for sun / moon and
// the pulsing buttons, three for each sky dot), the seven colour swatches in the palette's order
// ("sky mode picker" first), the two drawn controls, the sky dots 0 to 5 (kSkyDotFormat), the tabs and
// plop-ups, a help list named after each control (entries 0 and 1; "sky mode picker" 0 to 5), and
// the pop-up menus 200 (sky modes) and 201 (options).
extern const SLayoutNeed kSkyFogTabs[3];
extern const SLayoutNeed kSkyFogPlopUps[3];
extern const SLayoutNeed kSkyModeStrip;
extern const SLayoutNeed kSkyModeMenuButton;
extern const SLayoutNeed kShadowStrip;
extern const SLayoutNeed kFogStrip;
extern const SLayoutNeed kHazeStrip;
extern const SLayoutNeed kCloudHeightStrip;
extern const SLayoutNeed kCloudCoverStrip;
extern const SLayoutNeed kSkyFogSwatches[7];
extern const SLayoutNeed kCloudProfile;
extern const SLayoutNeed kSunControl;
extern const SLayoutNeed kSunMoon;
extern const SLayoutNeed kSkyRandomize;
extern const SLayoutNeed kSkyFogMenuButton;
extern const SLayoutNeed kSkyDots[6];
inline constexpr const char* kSkyDotFormat = "sky %d dot";
extern const SLayoutNeed kSkyModeMenu;
extern const SLayoutNeed kSkyFogOptionsMenu;

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable PresetsLayoutNeeds();
