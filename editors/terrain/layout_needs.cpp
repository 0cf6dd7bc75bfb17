#include "editors/terrain/layout_needs.h"

#include <iterator>
#include <vector>

namespace {

constexpr const char* kFile = "terraineditor.dat";
constexpr const char* kCanvas = "terrain editor";

constexpr SLayoutNeed Element(const char* name, SLayoutNeed::EElementKind kind = SLayoutNeed::kAnyElement) {
  return {SLayoutNeed::kElement, kFile, name, 0, kCanvas, kind};
}
constexpr SLayoutNeed Image(const char* name) { return Element(name, SLayoutNeed::kImageElement); }
constexpr SLayoutNeed Menu(uint32_t number) { return {SLayoutNeed::kMenu, kFile, nullptr, number}; }
constexpr SLayoutNeed Images(const char* name, uint32_t entries) {
  return {SLayoutNeed::kImageList, kFile, name, 0, nullptr, SLayoutNeed::kAnyElement, entries};
}

}  // namespace

namespace need {

const SDialogNeeds kTerrainEditor = DialogNeeds(kFile, kCanvas);

const SLayoutNeed kElevationPanel = Element("elevation panel");
const SLayoutNeed kFilteringPanel = Element("filtering panel");
const SLayoutNeed kPicturesPanel = Element("pictures panel");
const SLayoutNeed kGradientsPanel = Element("gradients panel");

const SLayoutNeed kElevationButtons[kElevationButtonCount] = {
    Image("elev undo"),
    Image("elev new"),
    Image("elev invert"),
    Image("elev erode"),
    Image("elev eroded"),
    Image("elev fractal"),
    Image("elev raise lower"),
    Image("elev smoothing"),
    Image("elev sharpening"),
    Image("elev gaussian edges"),
    Image("elev square edges"),
    Image("elev round edges"),
    Image("elev basic noise"),
    Image("elev slope noise"),
    Image("elev height noise"),
    Image("elev picture"),
    Image("elev 2 spikes/blob maker"),
    Image("elev 2 mounds/relief noise"),
    Image("elev 2 dampen/raise edges"),
    Image("elev 2 equalize/subplateaus"),
    Image("elev 2 posterize/cross ridge"),
    Image("elev 2 sawtooth/cross ridge2"),
    Image("elev 2 subcontours/bubble ridge"),
};
const SLayoutNeed kElevFilteringTab = Image("elev filtering tab");
const SLayoutNeed kElevPicturesTab = Image("elev pictures tab");
const SLayoutNeed kElevSwitch = Image("elev switch");
const SLayoutNeed kElevBackground = Image("elev background");

const SLayoutNeed kFilterPresets[kFilterPresetCount] = {
    Image("filter 0"), Image("filter 1"), Image("filter 2"), Image("filter 3"), Image("filter 4"),
    Image("filter 5"), Image("filter 6"), Image("filter 7"), Image("filter 8"),
};
const SLayoutNeed kFilterReset = Image("filter reset");
const SLayoutNeed kFilterSmooth = Image("filter smooth");
const SLayoutNeed kFilterApply = Image("filter apply");
const SLayoutNeed kFilterOptions = Image("filter options");
const SLayoutNeed kFilterSrcImage = Image("filter src image");
const SLayoutNeed kFilterDestImage = Image("filter dest image");
const SLayoutNeed kFilterElevationTab = Image("filter elevation tab");
const SLayoutNeed kFilterPicturesTab = Image("filter pictures tab");

const SLayoutNeed kImageSrc0 = Image("image src0");
const SLayoutNeed kImageSrc1 = Image("image src1");
const SLayoutNeed kImageDest = Image("image dest");
const SLayoutNeed kPicturesLoadSrc0 = Image("pictures load src0");
const SLayoutNeed kPicturesLoadSrc1 = Image("pictures load src1");
const SLayoutNeed kPicturesCopySrc0 = Image("pictures copy src0");
const SLayoutNeed kPicturesCopySrc1 = Image("pictures copy src1");
const SLayoutNeed kPicturesPasteSrc0 = Image("pictures paste src0");
const SLayoutNeed kPicturesPasteSrc1 = Image("pictures paste src1");
const SLayoutNeed kPicturesBlend = Image("pictures blend");
const SLayoutNeed kPicturesApply = Image("pictures apply");
const SLayoutNeed kPicturesOptions = Image("pictures options");
const SLayoutNeed kPicturesElevationTab = Image("pictures elevation tab");
const SLayoutNeed kPicturesFilteringTab = Image("pictures filtering tab");

const SLayoutNeed kGradients = Image("gradients");
const SLayoutNeed kPreview2d = Image("2d preview");
const SLayoutNeed kCropItem = Element("crop item");
const SLayoutNeed kPreview3d = Image("3d preview");
const SLayoutNeed kBracketArea = Image("bracket area");
const SLayoutNeed kLevelControl = Image("level control");
const SLayoutNeed kBrushSize = Image("brush size");
const SLayoutNeed kBrushHard = Image("brush hard");
const SLayoutNeed kBrushFlow = Image("brush flow");
const SLayoutNeed kBrushBehaviorPopup = Image("brush behavior popup");
const SLayoutNeed kBrushBehaviorText = Image("brush behavior text");
const SLayoutNeed kResolutionPopup = Image("resolution popup");
const SLayoutNeed kTerrainOptions = Image("terrain options");
const SLayoutNeed kColorMapIcon = Image("color map icon");
const SLayoutNeed kOnButton = Image("on");
const SLayoutNeed kOffButton = Image("off");
const SLayoutNeed kCropButton = Image("crop");
const SLayoutNeed kFitButton = Image("fit");

const SLayoutNeed kResolutionMenu = Menu(400);
const SLayoutNeed kProfilesMenu = Menu(401);
const SLayoutNeed kBrushMenu = Menu(402);
const SLayoutNeed kOptionsMenu = Menu(403);
const SLayoutNeed kMixingMenu = Menu(404);

const SLayoutNeed kBracketImages = Images("brackets", 4);
const SLayoutNeed kRampImages = Images("ramps", 9);

}  // namespace need

SLayoutNeedTable TerrainLayoutNeeds() {
  static const std::vector<const SLayoutNeed*> kNeeds = [] {
    std::vector<const SLayoutNeed*> needs = {
        &need::kTerrainEditor.canvas,  &need::kTerrainEditor.ok,   &need::kTerrainEditor.cancel,
        &need::kElevationPanel,        &need::kFilteringPanel,     &need::kPicturesPanel,
        &need::kGradientsPanel,        &need::kElevFilteringTab,   &need::kElevPicturesTab,
        &need::kElevSwitch,            &need::kElevBackground,     &need::kFilterReset,
        &need::kFilterSmooth,          &need::kFilterApply,        &need::kFilterOptions,
        &need::kFilterSrcImage,        &need::kFilterDestImage,    &need::kFilterElevationTab,
        &need::kFilterPicturesTab,     &need::kImageSrc0,          &need::kImageSrc1,
        &need::kImageDest,             &need::kPicturesLoadSrc0,   &need::kPicturesLoadSrc1,
        &need::kPicturesCopySrc0,      &need::kPicturesCopySrc1,   &need::kPicturesPasteSrc0,
        &need::kPicturesPasteSrc1,     &need::kPicturesBlend,      &need::kPicturesApply,
        &need::kPicturesOptions,       &need::kPicturesElevationTab, &need::kPicturesFilteringTab,
        &need::kGradients,             &need::kPreview2d,          &need::kCropItem,
        &need::kPreview3d,             &need::kBracketArea,        &need::kLevelControl,
        &need::kBrushSize,             &need::kBrushHard,          &need::kBrushFlow,
        &need::kBrushBehaviorPopup,    &need::kBrushBehaviorText,  &need::kResolutionPopup,
        &need::kTerrainOptions,        &need::kColorMapIcon,       &need::kOnButton,
        &need::kOffButton,             &need::kCropButton,         &need::kFitButton,
        &need::kBracketImages,         &need::kRampImages,         &need::kResolutionMenu,
        &need::kProfilesMenu,          &need::kBrushMenu,          &need::kOptionsMenu,
        &need::kMixingMenu,
    };
    for (const SLayoutNeed& button : need::kElevationButtons) needs.push_back(&button);
    for (const SLayoutNeed& preset : need::kFilterPresets) needs.push_back(&preset);
    return needs;
  }();
  return {kNeeds.data(), uint32_t(kNeeds.size())};
}
