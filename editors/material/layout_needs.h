// What the material and texture editors look up in their layout files.
#pragma once

#include "framework/ui/layout_need.h"

namespace need {

extern const SDialogNeeds kDTEditor;
extern const SDialogNeeds kDTSubEditor;
extern const SDialogNeeds kEdit3dTexture;
extern const SDialogNeeds kMaterialComposer;
extern const SDialogNeeds kPictTextures;
extern const SDialogNeeds kReplaceTexture;
extern const SDialogNeeds kSaveNewTexture;
// The save-new dialog's name field.
extern const SLayoutNeed kSaveNewTextureName;
// The quick 3D texture dialog's controls, and its twelve colour swatches: components a, b and c, then
// the global combiner, three colours each.
enum EQuickControl : uint32_t {
  kQuickPreview, kQuickTextureName, kQuickTurbulenceUp, kQuickTurbulenceDown, kQuickComplexityUp,
  kQuickComplexityDown, kQuickRandomize, kQuickControlCount
};
extern const SLayoutNeed kQuickControls[kQuickControlCount];
inline constexpr uint32_t kQuickSwatchGroups = 4;
inline constexpr uint32_t kQuickSwatchesPerGroup = 3;
extern const SLayoutNeed kQuickSwatches[kQuickSwatchGroups][kQuickSwatchesPerGroup];

// The material composer ("materials composer" of materialcomposer.dat). Element arrays are in the
// composer's orders: the components a to d, the value channels diffusion, ambience, specularity,
// transparency, reflection and bump, and for the flat markers those six, then the colour channels
// diffuse, ambient, specular and transparent.
inline constexpr uint32_t kComposerComponents = 4;
inline constexpr uint32_t kComposerValueChannels = 6;
inline constexpr uint32_t kComposerChannels = 10;
extern const SLayoutNeed kComposerFrequencyValues;
extern const SLayoutNeed kComposerFrequencySliders[kComposerComponents];
extern const SLayoutNeed kComposerFrequencyTexts[kComposerComponents];
extern const SLayoutNeed kComposerChannelValues;
extern const SLayoutNeed kComposerValueSliders[kComposerValueChannels];
extern const SLayoutNeed kComposerValueTexts[kComposerValueChannels];
extern const SLayoutNeed kComposerSpecAndRefraction;
extern const SLayoutNeed kComposerSpecColor;
extern const SLayoutNeed kComposerSpecRed;
extern const SLayoutNeed kComposerSpecGreen;
extern const SLayoutNeed kComposerSpecBlue;
extern const SLayoutNeed kComposerRefractionIndex;
extern const SLayoutNeed kComposerMaterialGrid;
extern const SLayoutNeed kComposerFlatMarkers[kComposerChannels];
extern const SLayoutNeed kComposerMaterialComponents;
extern const SLayoutNeed kComposerComponentTypes[kComposerComponents];
extern const SLayoutNeed kComposerComponentNames[kComposerComponents];
extern const SLayoutNeed kComposerComponentMappings[kComposerComponents];
extern const SLayoutNeed kComposerComponentColors[kComposerComponents];
extern const SLayoutNeed kComposerComponentAlphas[kComposerComponents];
extern const SLayoutNeed kComposerComponentBumps[kComposerComponents];
extern const SLayoutNeed kComposerFrequencyBall;
extern const SLayoutNeed kComposerMetallicityText;
extern const SLayoutNeed kComposerMetallicityButton;
extern const SLayoutNeed kComposerMaterialPreview;
extern const SLayoutNeed kComposerPreviewOptions;
extern const SLayoutNeed kComposerMaterialPresets;
extern const SLayoutNeed kComposerShadingMode;
extern const SLayoutNeed kComposerCopy;
extern const SLayoutNeed kComposerPaste;
extern const SLayoutNeed kComposerReset;
extern const SLayoutNeed kComposerRandomize;
extern const SLayoutNeed kFrequencySliderAlpha;
extern const SLayoutNeed kChannelSliderAlpha;
// Entry 0 the pattern of new procedural texture names, entry 1 of new picture texture names.
extern const SLayoutNeed kNewTextureNames;
extern const SLayoutNeed kComponentTypeMenu;
extern const SLayoutNeed kMappingMenu;
extern const SLayoutNeed kShadingModeMenu;
extern const SLayoutNeed kPreviewOptionsMenu;

// The 3D texture editor ("DTEditor" of DTEditors.dat): its three panels; each panel's children in the
// order the editor finds them, and the menu markers of panels B and C; the combiner's and the
// dialog's elements in the order it finds them; and its pop-up menus, by choice kind (the preview
// kinds, output kinds, operations, filter kinds and colour maps: menus 0, 2, 3, 4 and 5).
inline constexpr uint32_t kDTPanelCount = 3;
extern const SLayoutNeed kDTPanels[kDTPanelCount];
enum EDTPanelChild : uint32_t {
  kDTImage, kDTOperation, kDTNoiseSliderDec, kDTNoiseSliderInc, kDTNoiseSlider, kDTNoiseSliderBar,
  kDTNoiseSliderVal, kDTNoiseTypeMenu, kDTFilterImage, kDTFilterText, kDTFilterType, kDTAVal, kDTBVal, kDTCVal,
  kDTCValDec, kDTCValInc, kDTResetFilter, kDTOutputType, kDTColorMap, kDTRGBFormat, kDTHLSFormat, kDTColor1,
  kDTColor2, kDTColor3, kDTPhaseAmpText, kDTPhaseSliderDec, kDTPhaseSliderInc, kDTPhaseSlider, kDTPhaseSliderBar,
  kDTPhaseSliderVal, kDTPhaseType, kDTCopy, kDTPasteTo, kDTShuffle, kDTReset, kDTPanelChildCount
};
extern const SLayoutNeed kDTPanelChildren[kDTPanelChildCount];
enum EDTMenuMarker : uint32_t { kDTOutputMenuButton, kDTColorMapMenuButton, kDTFilterMenuButton, kDTMenuMarkerCount };
extern const SLayoutNeed kDTMenuMarkers[kDTMenuMarkerCount];
enum EDTGlobal : uint32_t {
  kDTCompCount2, kDTCompCount3, kDTFinalImage, kDTGFreqText, kDTGFreqSliderDec, kDTGFreqSliderInc, kDTGFreqSlider,
  kDTGFreqSliderBar, kDTGFreqSliderVal, kDTGFilterImage, kDTGFilterText, kDTGFilterType, kDTGAVal, kDTGBVal,
  kDTGCVal, kDTGCValDec, kDTGCValInc, kDTGResetFilter, kDTPreviewType, kDTGOutputType, kDTGColorMap,
  kDTGRGBFormat, kDTGHLSFormat, kDTGColor1, kDTGColor2, kDTGColor3, kDTGPhaseAmpText, kDTGPhaseSliderDec,
  kDTGPhaseSliderInc, kDTGPhaseSlider, kDTGPhaseSliderBar, kDTGPhaseSliderVal, kDTGPhaseType, kDTAddTexture,
  kDTCancel, kDTOk, kDTLeMenu, kDTBOperationMenuButton, kDTGlobalCount
};
extern const SLayoutNeed kDTGlobals[kDTGlobalCount];
inline constexpr uint32_t kDTMenuCount = 5;
extern const SLayoutNeed kDTMenus[kDTMenuCount];

// The component sub-editor ("DTSubEditor" of DTEditors.dat): its controls in the order it finds them,
// the six readouts (text elements) in the order of their steppers, and its pop-up menus of noise types
// (menu 6) and modes (menu 1).
enum EDTSubControl : uint32_t {
  kDTSubOk, kDTSubCancel, kDTSubDimensionOne, kDTSubDimensionTwo, kDTSubDimensionThree, kDTSubNoiseType,
  kDTSubMode, kDTSubImage, kDTSubRotate, kDTSubTranslate, kDTSubEMenu,
  kDTSubAngleXYVal, kDTSubAngleYZVal, kDTSubFreqXVal, kDTSubFreqYVal, kDTSubFreqZVal, kDTSubOctaveVal,
  kDTSubAngleXYDec, kDTSubAngleYZDec, kDTSubFreqXDec, kDTSubFreqYDec, kDTSubFreqZDec, kDTSubOctaveDec,
  kDTSubAngleXYInc, kDTSubAngleYZInc, kDTSubFreqXInc, kDTSubFreqYInc, kDTSubFreqZInc, kDTSubOctaveInc,
  kDTSubControlCount
};
inline constexpr uint32_t kDTSubReadoutCount = 6;
extern const SLayoutNeed kDTSubControls[kDTSubControlCount];
extern const SLayoutNeed kDTSubNoiseMenu;
extern const SLayoutNeed kDTSubModeMenu;

// The picture textures dialog ("picttextures" of picttextures.dat): the grid of 32 slots, the three
// previews, the buttons, and the text list of the picture list's file dialogs (0 the filter, 1 the
// file name offered, 3 the open dialog's title).
inline constexpr uint32_t kPictSlotCount = 32;
extern const SLayoutNeed kPictGrid;
extern const SLayoutNeed kPictSlots[kPictSlotCount];
enum EPictPreview : uint32_t { kPictPreview, kAlphaPreview, kTotalPreview, kPictPreviewCount };
extern const SLayoutNeed kPictPreviews[kPictPreviewCount];
enum EPictButton : uint32_t {
  kPictDelete, kPictOpenList, kPictSaveList, kPictLoad, kPictCopy, kPictPaste, kPictWhite, kPictBlack,
  kAlphaLoad, kAlphaCopy, kAlphaPaste, kAlphaInvert, kAlphaWhite, kAlphaBlack, kPictButtonCount
};
extern const SLayoutNeed kPictButtons[kPictButtonCount];
extern const SLayoutNeed kPictListTexts;

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable MaterialLayoutNeeds();
