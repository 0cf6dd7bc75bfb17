// What the palettes and dialogs look up in their layout files.
#pragma once

#include "editing/convert.h"
#include "framework/ui/layout_need.h"

namespace need {

extern const SDialogNeeds kAddPreset;
// The add preset dialog's preview and its two text fields.
extern const SLayoutNeed kPresetPreview;
extern const SLayoutNeed kPresetName;
extern const SLayoutNeed kPresetDescription;
extern const SDialogNeeds kColorPicker;
// The colour picker's bar labels (one entry per colour model), colour box, model buttons (RGB, HSV,
// HLS, CMY), bars and their fields, and the eyedropper's pop-up picture.
extern const SLayoutNeed kPickerBarInfo;
extern const SLayoutNeed kPickerBarLabels;
extern const SLayoutNeed kPickerColorBox;
inline constexpr uint32_t kColourModelCount = 4;
extern const SLayoutNeed kPickerModelButtons[kColourModelCount];
inline constexpr uint32_t kPickerBarCount = 3;
extern const SLayoutNeed kPickerBarTexts[kPickerBarCount];
extern const SLayoutNeed kPickerBarImages[kPickerBarCount];
extern const SLayoutNeed kPickerImage;
// The eyedropper cursor of system.dat.
extern const SLayoutNeed kEyedropperCursor;
extern const SLayoutNeed kCreatePalette;
// The create palette's item buttons, image elements named as the items; its tab labels ("create
// text", "edit text", "sky&fog text") and plop-up buttons.
inline constexpr uint32_t kCreateItemCount = 32;
extern const SLayoutNeed kCreateItems[kCreateItemCount];
enum ETab : uint32_t { kCreateTab, kEditTab, kSkyFogTab, kTabCount };
extern const SLayoutNeed kCreateTabs[kTabCount];
extern const SLayoutNeed kCreatePlopUps[kTabCount];
extern const SDialogNeeds kDeletePreset;  // "cancel" and, in place of "ok", "delete"
extern const SLayoutNeed kDeletePresetButton;
extern const SLayoutNeed kDisplayPalette;
// The elements of the display palette that follow the selection palette's fade.
extern const SLayoutNeed kDisplayTop;
extern const SLayoutNeed kDisplayBottom;
// Its other parts: the picture the strip fades into, the background of the four toggles and the
// lower part of the tools.
extern const SLayoutNeed kDisplayBackground;
extern const SLayoutNeed kToolsBackground;
extern const SLayoutNeed kDisplayToolsBottom;
// Its controls, each with a tip list of its name.
enum EDisplayControl : uint32_t {
  kMarkerPen,
  kUiMinMax,
  kBackgroundSelector,
  kNanoEditMode,
  kPlopRenderMode,
  kDepthCueControl,
  kWireframeShadows,
  kHideUndergroundShadows,
  kWireframeResolution,
  kZoomIn,
  kZoomOut,
  kPan,
  kDisplayControlCount
};
extern const SLayoutNeed kDisplayControls[kDisplayControlCount];
// The background menu, and the resolution menus: the main one and its three sub-menus (the grid
// while the view moves, the objects, the selected objects).
extern const SLayoutNeed kBackgroundMenu;
inline constexpr uint32_t kResolutionMenuCount = 4;
extern const SLayoutNeed kResolutionMenus[kResolutionMenuCount];
extern const SDialogNeeds kDocSetup;
// The set-up dialog's four fields (width, height, aspect x and y), its 22 size presets, its seven
// resolution buttons with their titles, its constrain box and title, and the new document's title list.
inline constexpr uint32_t kDocSetupFieldCount = 4;
extern const SLayoutNeed kDocSetupFields[kDocSetupFieldCount];
inline constexpr uint32_t kDocSizeCount = 22;
extern const SLayoutNeed kDocSizes[kDocSizeCount];
inline constexpr uint32_t kRenderResCount = 7;
extern const SLayoutNeed kRenderResButtons[kRenderResCount];
extern const SLayoutNeed kRenderResTitles[kRenderResCount];
extern const SLayoutNeed kConstrainProp;
extern const SLayoutNeed kDocSetupTitle;
extern const SLayoutNeed kNewDocTitles;
extern const SDialogNeeds kEdit3dTrans;
// Its nine fields: offset, rotate and scale, x, y and z each.
inline constexpr uint32_t kTransformFieldCount = 9;
extern const SLayoutNeed kEdit3dTransFields[kTransformFieldCount];
extern const SDialogNeeds kEditCamera;
// Its ten fields: offset and rotate x, y, z, "field of view", "pan v", "pan h" and "scale".
inline constexpr uint32_t kCameraFieldCount = 10;
extern const SLayoutNeed kEditCameraFields[kCameraFieldCount];
extern const SDialogNeeds kEditFamily;
// The families' default names: entry 0 the default family's, entry 1 the others' with their number.
extern const SLayoutNeed kFamilyNames;
// The selection palette's families menu, of system.dat.
extern const SLayoutNeed kFamiliesMenu;
// The families dialog's colour box, name field and 25 chiclets.
extern const SLayoutNeed kFamilyColorBox;
extern const SLayoutNeed kFamilyNameField;
inline constexpr uint32_t kFamilyChicletCount = 25;
extern const SLayoutNeed kFamilyChiclets[kFamilyChicletCount];
// The polygon panel's buttons, slider, status line and its seven texts.
extern const SLayoutNeed kPolySmooth;
extern const SLayoutNeed kPolyUnsmooth;
extern const SLayoutNeed kPolySlider;
extern const SLayoutNeed kPolyStatus;
extern const SLayoutNeed kPolyStatusTexts;
// The torus editor's preview background and drag element.
extern const SLayoutNeed kToriBackground;
extern const SLayoutNeed kToriTorus;
// The replicate dialog's check box and its ten fields: "quanity", offset, scale and rotate x, y, z.
extern const SLayoutNeed kReplicateCheck;
inline constexpr uint32_t kReplicateFieldCount = 10;
extern const SLayoutNeed kReplicateFields[kReplicateFieldCount];
extern const SDialogNeeds kEditLight;
// The light editor's preview, sliders with their frames, swatch, percent readout, gel and options
// buttons, and options menus (1201 with Alt held).
extern const SLayoutNeed kLightPreview;
extern const SLayoutNeed kLightIntensity;
extern const SLayoutNeed kLightSoftness;
extern const SLayoutNeed kLightSliderFrames[2];
extern const SLayoutNeed kLightColor;
extern const SLayoutNeed kLightStatusText;
extern const SLayoutNeed kLightTextureGels;
extern const SLayoutNeed kLightPictTextures;
extern const SLayoutNeed kLightOptions;
extern const SLayoutNeed kLightOptionsMenu;
extern const SLayoutNeed kLightOptionsGelMenu;
extern const SDialogNeeds kEditObjAttrs;
// Its nine fields (offset, rotate and size, x, y and z each) and its five checks: the three roles,
// then locked and show as box.
extern const SLayoutNeed kEditObjAttrsFields[kTransformFieldCount];
inline constexpr uint32_t kObjAttrsCheckCount = 5;
extern const SLayoutNeed kEditObjAttrsChecks[kObjAttrsCheckCount];
extern const SLayoutNeed kEditPalette;
// The edit palette's picture buttons, and their image lists with the entries the buttons show.
extern const SLayoutNeed kEditResize;
extern const SLayoutNeed kEditRotate;
extern const SLayoutNeed kEditReposition;
extern const SLayoutNeed kEditRandomize;
extern const SLayoutNeed kEditRandomizeControl;
extern const SLayoutNeed kEditConvertObject;
extern const SLayoutNeed kEditResizeImages;
extern const SLayoutNeed kEditRotateImages;
extern const SLayoutNeed kEditRepositionImages;
extern const SLayoutNeed kEditRandomizeImages;
extern const SLayoutNeed kEditRandomizeControlImages;
extern const SLayoutNeed kEditConvertObjectImages;
// "materials options" … "randomize options", "create plopup", "edit plopup", "sky&fog plopup", "create
// text" and "sky&fog text"; "align" and its ten buttons.
inline constexpr uint32_t kEditOptionCount = 6;
extern const SLayoutNeed kEditOptions[kEditOptionCount];
inline constexpr uint32_t kEditTabCount = 3;
extern const SLayoutNeed kEditTabButtons[kEditTabCount];
extern const SLayoutNeed kEditCreateText;
extern const SLayoutNeed kEditEditText;
extern const SLayoutNeed kEditSkyFogText;
// The option menus: materials, resize, rotate, reposition (in the 3D transformation's modes 0 to 2),
// align and randomize.
extern const SLayoutNeed kEditMaterialsMenu;
inline constexpr uint32_t kEditTransformMenuCount = 3;
extern const SLayoutNeed kEditTransformMenus[kEditTransformMenuCount];
extern const SLayoutNeed kEditAlignMenu;
extern const SLayoutNeed kEditRandomizeMenu;
extern const SLayoutNeed kEditAlign;
inline constexpr uint32_t kEditAlignCount = 10;
extern const SLayoutNeed kEditAlignButtons[kEditAlignCount];
// The list window of "convert object", with an element of each conversion target's name.
extern const SLayoutNeed kConvertList;
inline constexpr uint32_t kConvertItemCount = kConversionTargetCount;
extern const SLayoutNeed kConvertItems[kConvertItemCount];
extern const SDialogNeeds kEditPoly;
extern const SDialogNeeds kEditTori;
extern const SDialogNeeds kExportRender;
// Its five fields (pixel size, resolution, printed size), its auto rotate box, the title and the two
// info texts with their lists (a label; then the label and the units "GB", "MB", "KB", "bytes").
inline constexpr uint32_t kExportFieldCount = 5;
extern const SLayoutNeed kExportFields[kExportFieldCount];
extern const SLayoutNeed kExportAutoRotate;
extern const SLayoutNeed kExportTitle;
extern const SLayoutNeed kExportInfo1;
extern const SLayoutNeed kExportInfo2;
extern const SLayoutNeed kExportInfo1Texts;
extern const SLayoutNeed kExportInfo2Texts;
// The input/output progress dialog of system.dat, its elements and the picture of its bar.
extern const SLayoutNeed kIOProgress;
enum EIOProgressElement : uint32_t {
  kIODescription,
  kIOStatusString,
  kIOStatusBar,
  kIOCancel,
  kIOProgressElementCount
};
extern const SLayoutNeed kIOProgressElements[kIOProgressElementCount];
extern const SLayoutNeed kIOProgressSlider;
extern const SLayoutNeed kNanoEditor;
extern const SLayoutNeed kNanoEditorImage;  // the picture the document window draws into
// The preferences dialog, its choices and arrows (image elements) and its three readouts.
extern const SDialogNeeds kPrefs;
enum EPrefsControl : uint32_t {
  kPrevState,
  kDefState,
  kImageWithScene,
  kObjsInView,
  kObjsInWorldCenter,
  kPercentArrows,
  kPrefsControlCount
};
extern const SLayoutNeed kPrefsControls[kPrefsControlCount];
enum EPrefsReadout : uint32_t { kTotalRam, kPercentUsed, kCurrentRam, kPrefsReadoutCount };
extern const SLayoutNeed kPrefsReadouts[kPrefsReadoutCount];
extern const SDialogNeeds kReplicate;
extern const SLayoutNeed kRevertChanges;
extern const SLayoutNeed kRevertButton;
extern const SLayoutNeed kRevertCancelButton;
extern const SLayoutNeed kSaveChanges;
extern const SLayoutNeed kSaveButton;
extern const SLayoutNeed kDontSaveButton;
extern const SLayoutNeed kSaveCancelButton;
extern const SLayoutNeed kSelectionPalette;
// The selection palette's kind buttons, in the order of its kind table; its step buttons; its other
// elements and its options menu.
inline constexpr uint32_t kSelectionKindCount = 17;
extern const SLayoutNeed kSelectionKinds[kSelectionKindCount];
enum EStep : uint32_t { kPreviousStep, kNextStep, kFirstStep, kLastStep, kStepCount };
extern const SLayoutNeed kSelectionSteps[kStepCount];
extern const SLayoutNeed kSelectionOptionsButton;
extern const SLayoutNeed kSelectionFamiliesButton;
extern const SLayoutNeed kSelectionBackground;
extern const SLayoutNeed kSelectionObjectsBackground;
extern const SLayoutNeed kSelectionTools;
extern const SLayoutNeed kSelectionLeft;
extern const SLayoutNeed kSelectionRight;
extern const SLayoutNeed kSoloMode;
extern const SLayoutNeed kImageMode;
extern const SLayoutNeed kImageModeImages;
extern const SLayoutNeed kSelectionOptionsMenu;
extern const SDialogNeeds kTextEditPopup;  // no buttons: Return, Tab and Escape close it
extern const SLayoutNeed kTextEditField;

}  // namespace need

// Every declaration above, for the test that finds them in data/; besides, the tip lists that the
// palettes read by the name of the control under the pointer: one for every item, tab and plop-up
// of the create palette, every button of the edit palette (entry 0 the title, then a text for each
// state the button shows while hot), every button of the selection palette and every control of the
// display palette.
SLayoutNeedTable PanelsLayoutNeeds();
