#include "editors/material/layout_needs.h"

#include <vector>

namespace need {

namespace {

constexpr const char* kComposerFile = "materialcomposer.dat";
constexpr const char* kComposerCanvas = "materials composer";

constexpr SLayoutNeed ComposerElement(const char* name, SLayoutNeed::EElementKind kind = SLayoutNeed::kAnyElement) {
  return {SLayoutNeed::kElement, kComposerFile, name, 0, kComposerCanvas, kind};
}
constexpr SLayoutNeed ComposerImage(const char* name) { return ComposerElement(name, SLayoutNeed::kImageElement); }
constexpr SLayoutNeed ComposerText(const char* name) { return ComposerElement(name, SLayoutNeed::kTextElement); }
constexpr SLayoutNeed ComposerMenu(uint32_t number) { return {SLayoutNeed::kMenu, kComposerFile, nullptr, number}; }

constexpr const char* kDTFile = "DTEditors.dat";
constexpr const char* kDTCanvas = "DTEditor";
constexpr const char* kEdit3dTextureFile = "edit3dtexture.dat";

constexpr SLayoutNeed DTElement(const char* name, SLayoutNeed::EElementKind kind = SLayoutNeed::kImageElement) {
  return {SLayoutNeed::kElement, kDTFile, name, 0, kDTCanvas, kind};
}
constexpr SLayoutNeed DTText(const char* name) { return DTElement(name, SLayoutNeed::kTextElement); }

// A dialog whose buttons carry names of its own.
constexpr SDialogNeeds ButtonsNamed(const char* file, const char* canvas, const char* ok, const char* cancel) {
  return {{SLayoutNeed::kCanvas, file, canvas},
          {SLayoutNeed::kElement, file, ok, 0, canvas},
          {SLayoutNeed::kElement, file, cancel, 0, canvas}};
}

}  // namespace

const SDialogNeeds kDTEditor = DialogNeeds(kDTFile, kDTCanvas);
const SDialogNeeds kDTSubEditor = DialogNeeds(kDTFile, "DTSubEditor", false, false);
const SDialogNeeds kEdit3dTexture = DialogNeeds("edit3dtexture.dat", "edit 3dtexture");
const SDialogNeeds kMaterialComposer = DialogNeeds("materialcomposer.dat", "materials composer");
const SDialogNeeds kPictTextures = DialogNeeds("picttextures.dat", "picttextures");
const SDialogNeeds kReplaceTexture = ButtonsNamed(kEdit3dTextureFile, "replace texture", "replace ok", "replace cancel");
const SDialogNeeds kSaveNewTexture = ButtonsNamed(kEdit3dTextureFile, "save new texture", "save ok", "save cancel");
const SLayoutNeed kSaveNewTextureName{SLayoutNeed::kElement, kEdit3dTextureFile, "save text edit", 0, "save new texture"};

namespace {

constexpr SLayoutNeed QuickElement(const char* name, SLayoutNeed::EElementKind kind = SLayoutNeed::kImageElement) {
  return {SLayoutNeed::kElement, kEdit3dTextureFile, name, 0, "edit 3dtexture", kind};
}

}  // namespace

const SLayoutNeed kQuickControls[kQuickControlCount] = {
    QuickElement("texture preview"), QuickElement("texture name", SLayoutNeed::kTextElement),
    QuickElement("turbulence +"),    QuickElement("turbulence -"),
    QuickElement("complexity +"),    QuickElement("complexity -"),
    QuickElement("randomize")};
const SLayoutNeed kQuickSwatches[kQuickSwatchGroups][kQuickSwatchesPerGroup] = {
    {QuickElement("component a0"), QuickElement("component a1"), QuickElement("component a2")},
    {QuickElement("component b0"), QuickElement("component b1"), QuickElement("component b2")},
    {QuickElement("component c0"), QuickElement("component c1"), QuickElement("component c2")},
    {QuickElement("global component 0"), QuickElement("global component 1"), QuickElement("global component 2")}};


const SLayoutNeed kComposerFrequencyValues = ComposerElement("frequency values");
const SLayoutNeed kComposerFrequencySliders[kComposerComponents] = {
    ComposerImage("frequency a slider"), ComposerImage("frequency b slider"), ComposerImage("frequency c slider"),
    ComposerImage("frequency d slider")};
const SLayoutNeed kComposerFrequencyTexts[kComposerComponents] = {
    ComposerText("frequency a text"), ComposerText("frequency b text"), ComposerText("frequency c text"),
    ComposerText("frequency d text")};
const SLayoutNeed kComposerChannelValues = ComposerElement("channel values");
const SLayoutNeed kComposerValueSliders[kComposerValueChannels] = {
    ComposerImage("diffusion value slider"),    ComposerImage("ambience value slider"),
    ComposerImage("specularity value slider"),  ComposerImage("transparency value slider"),
    ComposerImage("reflection value slider"),   ComposerImage("bump value slider")};
const SLayoutNeed kComposerValueTexts[kComposerValueChannels] = {
    ComposerText("diffusion value text"),    ComposerText("ambience value text"), ComposerText("specularity value text"),
    ComposerText("transparency value text"), ComposerText("reflection value text"), ComposerText("bump value text")};
const SLayoutNeed kComposerSpecAndRefraction = ComposerElement("spec and refraction");
const SLayoutNeed kComposerSpecColor = ComposerImage("spec coefficient color");
const SLayoutNeed kComposerSpecRed = ComposerText("spec coefficient red");
const SLayoutNeed kComposerSpecGreen = ComposerText("spec coefficient green");
const SLayoutNeed kComposerSpecBlue = ComposerText("spec coefficient blue");
const SLayoutNeed kComposerRefractionIndex = ComposerText("refraction index");
const SLayoutNeed kComposerMaterialGrid = ComposerElement("material grid");
const SLayoutNeed kComposerFlatMarkers[kComposerChannels] = {
    ComposerElement("diffusion flat marker"),      ComposerElement("ambience flat marker"),
    ComposerElement("specularity flat marker"),    ComposerElement("transparency flat marker"),
    ComposerElement("reflection flat marker"),     ComposerElement("bump flat marker"),
    ComposerImage("diffuse color flat marker"),    ComposerImage("ambient color flat marker"),
    ComposerImage("specular color flat marker"),   ComposerImage("transparent color flat marker")};
const SLayoutNeed kComposerMaterialComponents = ComposerElement("material components");
const SLayoutNeed kComposerComponentTypes[kComposerComponents] = {
    ComposerText("component a type"), ComposerText("component b type"), ComposerText("component c type"),
    ComposerText("component d type")};
const SLayoutNeed kComposerComponentNames[kComposerComponents] = {
    ComposerText("component a name"), ComposerText("component b name"), ComposerText("component c name"),
    ComposerText("component d name")};
const SLayoutNeed kComposerComponentMappings[kComposerComponents] = {
    ComposerImage("component a mapping mode"), ComposerImage("component b mapping mode"),
    ComposerImage("component c mapping mode"), ComposerImage("component d mapping mode")};
const SLayoutNeed kComposerComponentColors[kComposerComponents] = {
    ComposerImage("component a color"), ComposerImage("component b color"), ComposerImage("component c color"),
    ComposerImage("component d color")};
const SLayoutNeed kComposerComponentAlphas[kComposerComponents] = {
    ComposerImage("component a alpha"), ComposerImage("component b alpha"), ComposerImage("component c alpha"),
    ComposerImage("component d alpha")};
const SLayoutNeed kComposerComponentBumps[kComposerComponents] = {
    ComposerImage("component a bump"), ComposerImage("component b bump"), ComposerImage("component c bump"),
    ComposerImage("component d bump")};
const SLayoutNeed kComposerFrequencyBall = ComposerImage("frequency ball");
const SLayoutNeed kComposerMetallicityText = ComposerText("metallicity text");
const SLayoutNeed kComposerMetallicityButton = ComposerElement("metallicity button");
const SLayoutNeed kComposerMaterialPreview = ComposerImage("material preview");
const SLayoutNeed kComposerPreviewOptions = ComposerElement("preview options");
const SLayoutNeed kComposerMaterialPresets = ComposerElement("material presets");
const SLayoutNeed kComposerShadingMode = ComposerText("shading mode");
const SLayoutNeed kComposerCopy = ComposerImage("copy");
const SLayoutNeed kComposerPaste = ComposerImage("paste");
const SLayoutNeed kComposerReset = ComposerElement("reset");
const SLayoutNeed kComposerRandomize = ComposerElement("randomize");
const SLayoutNeed kFrequencySliderAlpha{SLayoutNeed::kPicture, kComposerFile, "frequency slider alpha"};
const SLayoutNeed kChannelSliderAlpha{SLayoutNeed::kPicture, kComposerFile, "channel slider alpha"};
const SLayoutNeed kNewTextureNames{SLayoutNeed::kTextList, kComposerFile, "new texture names", 0, nullptr,
                                   SLayoutNeed::kAnyElement, 2};
const SLayoutNeed kComponentTypeMenu = ComposerMenu(100);
const SLayoutNeed kMappingMenu = ComposerMenu(101);
const SLayoutNeed kShadingModeMenu = ComposerMenu(102);
const SLayoutNeed kPreviewOptionsMenu = ComposerMenu(200);

const SLayoutNeed kDTPanels[kDTPanelCount] = {DTElement("compA", SLayoutNeed::kAnyElement),
                                              DTElement("compB", SLayoutNeed::kAnyElement),
                                              DTElement("compC", SLayoutNeed::kAnyElement)};
const SLayoutNeed kDTPanelChildren[kDTPanelChildCount] = {
    DTElement("image"),          DTElement("operationORcompCount1"), DTElement("noiseSliderDec"),
    DTElement("noiseSliderInc"), DTElement("noiseSlider"),           DTElement("noiseSliderBar"),
    DTText("noiseSliderVal"),    DTElement("noiseTypeMenu"),         DTElement("filterImage"),
    DTElement("filterText"),     DTElement("filterType"),            DTText("aVal"),
    DTText("bVal"),              DTText("cVal"),                     DTElement("cValDec"),
    DTElement("cValInc"),        DTElement("resetFilter"),           DTElement("outputType"),
    DTElement("colorMap"),       DTElement("RGBFormat"),             DTElement("HLSFormat"),
    DTElement("color1"),         DTElement("color2"),                DTElement("color3"),
    DTElement("phaseAmpText"),   DTElement("phaseSliderDec"),        DTElement("phaseSliderInc"),
    DTElement("phaseSlider"),    DTElement("phaseSliderBar"),        DTText("phaseSliderVal"),
    DTElement("phaseType"),      DTElement("copy"),                  DTElement("pasteTo"),
    DTElement("shuffle"),        DTElement("reset")};
const SLayoutNeed kDTMenuMarkers[kDTMenuMarkerCount] = {DTElement("outputMenuButton"), DTElement("colorMapMenuButton"),
                                                        DTElement("filterMenuButton")};
const SLayoutNeed kDTGlobals[kDTGlobalCount] = {
    DTElement("compCount2"),          DTElement("compCount3"),         DTElement("finalImage"),
    DTElement("compGFreqText"),       DTElement("compGFreqSliderDec"), DTElement("compGFreqSliderInc"),
    DTElement("compGFreqSlider"),     DTElement("compGFreqSliderBar"), DTText("compGFreqSliderVal"),
    DTElement("compGFilterImage"),    DTElement("compGFilterText"),    DTElement("compGFilterType"),
    DTText("compGAVal"),              DTText("compGBVal"),             DTText("compGCVal"),
    DTElement("compGCValDec"),        DTElement("compGCValInc"),       DTElement("compGResetFilter"),
    DTElement("previewType"),         DTElement("compGOutputType"),    DTElement("compGColorMap"),
    DTElement("compGRGBFormat"),      DTElement("compGHLSFormat"),     DTElement("compGColor1"),
    DTElement("compGColor2"),         DTElement("compGColor3"),        DTElement("compGPhaseAmpText"),
    DTElement("compGPhaseSliderDec"), DTElement("compGPhaseSliderInc"), DTElement("compGPhaseSlider"),
    DTElement("compGPhaseSliderBar"), DTText("compGPhaseSliderVal"),  DTElement("compGPhaseType"),
    DTElement("addTexture"),          DTElement("cancel"),             DTElement("ok"),
    DTElement("leMenu"),              DTElement("bOperationMenuButton")};
const SLayoutNeed kDTMenus[kDTMenuCount] = {{SLayoutNeed::kMenu, kDTFile, nullptr, 0},
                                            {SLayoutNeed::kMenu, kDTFile, nullptr, 2},
                                            {SLayoutNeed::kMenu, kDTFile, nullptr, 3},
                                            {SLayoutNeed::kMenu, kDTFile, nullptr, 4},
                                            {SLayoutNeed::kMenu, kDTFile, nullptr, 5}};


namespace {

constexpr const char* kDTSubCanvas = "DTSubEditor";
constexpr SLayoutNeed DTSubElement(const char* name, SLayoutNeed::EElementKind kind = SLayoutNeed::kImageElement) {
  return {SLayoutNeed::kElement, kDTFile, name, 0, kDTSubCanvas, kind};
}

constexpr const char* kPictFile = "picttextures.dat";
constexpr const char* kPictCanvas = "picttextures";
constexpr SLayoutNeed PictElement(const char* name, SLayoutNeed::EElementKind kind = SLayoutNeed::kAnyElement) {
  return {SLayoutNeed::kElement, kPictFile, name, 0, kPictCanvas, kind};
}
constexpr SLayoutNeed PictImage(const char* name) { return PictElement(name, SLayoutNeed::kImageElement); }

}  // namespace

const SLayoutNeed kDTSubControls[kDTSubControlCount] = {
    DTSubElement("dtsOk"),          DTSubElement("dtsCancel"),      DTSubElement("dimensionOne"),
    DTSubElement("dimensionTwo"),   DTSubElement("dimensionThree"), DTSubElement("noiseType"),
    DTSubElement("mode"),           DTSubElement("dtsimage"),       DTSubElement("rotate"),
    DTSubElement("translate"),      DTSubElement("dtsemenu"),
    DTSubElement("angleXYVal", SLayoutNeed::kTextElement), DTSubElement("angleYZVal", SLayoutNeed::kTextElement),
    DTSubElement("freqXVal", SLayoutNeed::kTextElement),   DTSubElement("freqYVal", SLayoutNeed::kTextElement),
    DTSubElement("freqZVal", SLayoutNeed::kTextElement),   DTSubElement("octaveVal", SLayoutNeed::kTextElement),
    DTSubElement("angleXYDec"),     DTSubElement("angleYZDec"),     DTSubElement("freqXDec"),
    DTSubElement("freqYDec"),       DTSubElement("freqZDec"),       DTSubElement("octaveDec"),
    DTSubElement("angleXYInc"),     DTSubElement("angleYZInc"),     DTSubElement("freqXInc"),
    DTSubElement("freqYInc"),       DTSubElement("freqZInc"),       DTSubElement("octaveInc")};
const SLayoutNeed kDTSubNoiseMenu{SLayoutNeed::kMenu, kDTFile, nullptr, 6};
const SLayoutNeed kDTSubModeMenu{SLayoutNeed::kMenu, kDTFile, nullptr, 1};

const SLayoutNeed kPictGrid = PictElement("pict grid");
const SLayoutNeed kPictSlots[kPictSlotCount] = {
    PictImage("grid 0"),  PictImage("grid 1"),  PictImage("grid 2"),  PictImage("grid 3"),
    PictImage("grid 4"),  PictImage("grid 5"),  PictImage("grid 6"),  PictImage("grid 7"),
    PictImage("grid 8"),  PictImage("grid 9"),  PictImage("grid 10"), PictImage("grid 11"),
    PictImage("grid 12"), PictImage("grid 13"), PictImage("grid 14"), PictImage("grid 15"),
    PictImage("grid 16"), PictImage("grid 17"), PictImage("grid 18"), PictImage("grid 19"),
    PictImage("grid 20"), PictImage("grid 21"), PictImage("grid 22"), PictImage("grid 23"),
    PictImage("grid 24"), PictImage("grid 25"), PictImage("grid 26"), PictImage("grid 27"),
    PictImage("grid 28"), PictImage("grid 29"), PictImage("grid 30"), PictImage("grid 31")};
const SLayoutNeed kPictPreviews[kPictPreviewCount] = {PictImage("pict preview"), PictImage("alpha preview"),
                                                      PictImage("total preview")};
const SLayoutNeed kPictButtons[kPictButtonCount] = {
    PictElement("delete pict"), PictElement("open list"),   PictElement("save list"),   PictElement("pict load"),
    PictElement("pict copy"),   PictElement("pict paste"),  PictElement("pict white"),  PictElement("pict black"),
    PictElement("alpha load"),  PictElement("alpha copy"),  PictElement("alpha paste"), PictElement("alpha invert"),
    PictElement("alpha white"), PictElement("alpha black")};
const SLayoutNeed kPictListTexts{SLayoutNeed::kTextList, kPictFile, "picture list texts", 0, nullptr,
                                 SLayoutNeed::kAnyElement, 4};

}  // namespace need

SLayoutNeedTable MaterialLayoutNeeds() {
  static const SLayoutNeed* const kNeeds[] = {
      &need::kDTEditor.canvas,         &need::kDTEditor.ok,         &need::kDTEditor.cancel,
      &need::kDTSubEditor.canvas,
      &need::kEdit3dTexture.canvas,    &need::kEdit3dTexture.ok,    &need::kEdit3dTexture.cancel,
      &need::kMaterialComposer.canvas, &need::kMaterialComposer.ok, &need::kMaterialComposer.cancel,
      &need::kPictTextures.canvas,     &need::kPictTextures.ok,     &need::kPictTextures.cancel,
      &need::kReplaceTexture.canvas,   &need::kReplaceTexture.ok,   &need::kReplaceTexture.cancel,
      &need::kSaveNewTexture.canvas,   &need::kSaveNewTexture.ok,   &need::kSaveNewTexture.cancel,
  };
  static const std::vector<const SLayoutNeed*> kAll = [] {
    std::vector<const SLayoutNeed*> needs(std::begin(kNeeds), std::end(kNeeds));
    for (const SLayoutNeed* single :
         {&need::kComposerFrequencyValues, &need::kComposerChannelValues, &need::kComposerSpecAndRefraction,
          &need::kComposerSpecColor, &need::kComposerSpecRed, &need::kComposerSpecGreen, &need::kComposerSpecBlue,
          &need::kComposerRefractionIndex, &need::kComposerMaterialGrid, &need::kComposerMaterialComponents,
          &need::kComposerFrequencyBall, &need::kComposerMetallicityText, &need::kComposerMetallicityButton,
          &need::kComposerMaterialPreview, &need::kComposerPreviewOptions, &need::kComposerMaterialPresets,
          &need::kComposerShadingMode, &need::kComposerCopy, &need::kComposerPaste, &need::kComposerReset,
          &need::kComposerRandomize, &need::kFrequencySliderAlpha, &need::kChannelSliderAlpha,
          &need::kNewTextureNames, &need::kComponentTypeMenu, &need::kMappingMenu, &need::kShadingModeMenu,
          &need::kPreviewOptionsMenu, &need::kSaveNewTextureName, &need::kDTSubNoiseMenu, &need::kDTSubModeMenu,
          &need::kPictGrid, &need::kPictListTexts})
      needs.push_back(single);
    const auto add = [&needs](const SLayoutNeed* list, uint32_t count) {
      for (uint32_t i = 0; i < count; ++i) needs.push_back(&list[i]);
    };
    add(need::kComposerFrequencySliders, need::kComposerComponents);
    add(need::kComposerFrequencyTexts, need::kComposerComponents);
    add(need::kComposerValueSliders, need::kComposerValueChannels);
    add(need::kComposerValueTexts, need::kComposerValueChannels);
    add(need::kComposerFlatMarkers, need::kComposerChannels);
    add(need::kDTPanels, need::kDTPanelCount);
    add(need::kDTPanelChildren, need::kDTPanelChildCount);
    add(need::kDTMenuMarkers, need::kDTMenuMarkerCount);
    add(need::kDTGlobals, need::kDTGlobalCount);
    add(need::kDTMenus, need::kDTMenuCount);
    add(need::kDTSubControls, need::kDTSubControlCount);
    add(need::kPictSlots, need::kPictSlotCount);
    add(need::kPictPreviews, need::kPictPreviewCount);
    add(need::kPictButtons, need::kPictButtonCount);
    add(need::kQuickControls, need::kQuickControlCount);
    for (const auto& group : need::kQuickSwatches) add(group, need::kQuickSwatchesPerGroup);
    for (const SLayoutNeed* list : {need::kComposerComponentTypes, need::kComposerComponentNames,
                                    need::kComposerComponentMappings, need::kComposerComponentColors,
                                    need::kComposerComponentAlphas, need::kComposerComponentBumps})
      add(list, need::kComposerComponents);
    return needs;
  }();
  return {kAll.data(), uint32_t(kAll.size())};
}
