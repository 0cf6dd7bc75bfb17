// What the terrain editor looks up in its layout file "terraineditor.dat": the canvas, its panels and
// their elements, and its image lists.
#pragma once

#include <cstdint>

#include "framework/ui/layout_need.h"

namespace need {

extern const SDialogNeeds kTerrainEditor;

// The panels, whose names their elements carry as canvas name.
extern const SLayoutNeed kElevationPanel;
extern const SLayoutNeed kFilteringPanel;
extern const SLayoutNeed kPicturesPanel;
extern const SLayoutNeed kGradientsPanel;

// The elevation panel: the operations' buttons, in the panel's order, then its own elements.
inline constexpr uint32_t kElevationButtonCount = 23;
extern const SLayoutNeed kElevationButtons[kElevationButtonCount];
enum EElevationButton : uint32_t {
  kElevUndo,
  kElevNew,
  kElevInvert,
  kElevErode,
  kElevEroded,
  kElevFractal,
  kElevRaiseLower,
  kElevSmoothing,
  kElevSharpening,
  kElevGaussianEdges,
  kElevSquareEdges,
  kElevRoundEdges,
  kElevBasicNoise,
  kElevSlopeNoise,
  kElevHeightNoise,
  kElevPicture,
  kElevSpikesBlobMaker,
  kElevMoundsReliefNoise,
  kElevDampenRaiseEdges,
  kElevEqualizeSubplateaus,
  kElevPosterizeCrossRidge,
  kElevSawtoothCrossRidge2,
  kElevSubcontoursBubbleRidge,
};
// Buttons whose names begin so carry two operations, which the switch chooses between.
inline constexpr const char* kSwitchedPrefix = "elev 2";
extern const SLayoutNeed kElevFilteringTab;
extern const SLayoutNeed kElevPicturesTab;
extern const SLayoutNeed kElevSwitch;
extern const SLayoutNeed kElevBackground;

// The filtering panel.
inline constexpr uint32_t kFilterPresetCount = 9;
extern const SLayoutNeed kFilterPresets[kFilterPresetCount];
extern const SLayoutNeed kFilterReset;
extern const SLayoutNeed kFilterSmooth;
extern const SLayoutNeed kFilterApply;
extern const SLayoutNeed kFilterOptions;
extern const SLayoutNeed kFilterSrcImage;
extern const SLayoutNeed kFilterDestImage;
extern const SLayoutNeed kFilterElevationTab;
extern const SLayoutNeed kFilterPicturesTab;

// The pictures panel.
extern const SLayoutNeed kImageSrc0;
extern const SLayoutNeed kImageSrc1;
extern const SLayoutNeed kImageDest;
extern const SLayoutNeed kPicturesLoadSrc0;
extern const SLayoutNeed kPicturesLoadSrc1;
extern const SLayoutNeed kPicturesCopySrc0;
extern const SLayoutNeed kPicturesCopySrc1;
extern const SLayoutNeed kPicturesPasteSrc0;
extern const SLayoutNeed kPicturesPasteSrc1;
extern const SLayoutNeed kPicturesBlend;
extern const SLayoutNeed kPicturesApply;
extern const SLayoutNeed kPicturesOptions;
extern const SLayoutNeed kPicturesElevationTab;
extern const SLayoutNeed kPicturesFilteringTab;

// The views, the gradient and the controls around them.
extern const SLayoutNeed kGradients;
extern const SLayoutNeed kPreview2d;
extern const SLayoutNeed kCropItem;
extern const SLayoutNeed kPreview3d;
extern const SLayoutNeed kBracketArea;
extern const SLayoutNeed kLevelControl;
extern const SLayoutNeed kBrushSize;
extern const SLayoutNeed kBrushHard;
extern const SLayoutNeed kBrushFlow;
extern const SLayoutNeed kBrushBehaviorPopup;
extern const SLayoutNeed kBrushBehaviorText;
extern const SLayoutNeed kResolutionPopup;
extern const SLayoutNeed kTerrainOptions;
extern const SLayoutNeed kColorMapIcon;
extern const SLayoutNeed kOnButton;
extern const SLayoutNeed kOffButton;
extern const SLayoutNeed kCropButton;
extern const SLayoutNeed kFitButton;

// The pop-up menus: the grid's resolution, the curve's profiles, the brush's behaviour, the editor's
// options and the pictures' mixing.
extern const SLayoutNeed kResolutionMenu;
extern const SLayoutNeed kProfilesMenu;
extern const SLayoutNeed kBrushMenu;
extern const SLayoutNeed kOptionsMenu;
extern const SLayoutNeed kMixingMenu;

// The image lists: the bracket pictures and the filtering panel's preset ramps.
extern const SLayoutNeed kBracketImages;
extern const SLayoutNeed kRampImages;

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable TerrainLayoutNeeds();
