#include "presets/layout_needs.h"

#include <cstring>
#include <vector>

namespace {

constexpr const char* kPresetsFile = "objmatpresets.dat";
constexpr const char* kPresetsCanvas = "objmatpresets";

constexpr SLayoutNeed PresetElement(const char* name, SLayoutNeed::EElementKind kind = SLayoutNeed::kImageElement) {
  return {SLayoutNeed::kElement, kPresetsFile, name, 0, kPresetsCanvas, kind};
}

constexpr SLayoutNeed PresetList(const char* name, uint32_t number, uint32_t entries) {
  return {SLayoutNeed::kTextList, kPresetsFile, name, number, nullptr, SLayoutNeed::kAnyElement, entries};
}

constexpr const char* kSkyFile = "skyfogpresets.dat";

constexpr SLayoutNeed EditSkyFogElement(const char* name) {
  return {SLayoutNeed::kElement, "editskyfog.dat", name, 0, "edit skyfog"};
}

constexpr SLayoutNeed SkyElement(const char* name, SLayoutNeed::EElementKind kind = SLayoutNeed::kImageElement) {
  return {SLayoutNeed::kElement, kSkyFile, name, 0, "skyfogpresets", kind};
}

constexpr const char* kPaletteFile = "skyfogpalette.dat";

constexpr SLayoutNeed PaletteElement(const char* name, SLayoutNeed::EElementKind kind = SLayoutNeed::kImageElement) {
  return {SLayoutNeed::kElement, kPaletteFile, name, 0, "sky&fog palette", kind};
}

// Every control's help list, and the image lists of the strips and buttons.
constexpr SLayoutNeed PaletteHelp(const char* name, uint32_t entries = 2) {
  return {SLayoutNeed::kTextList, kPaletteFile, name, 0, nullptr, SLayoutNeed::kAnyElement, entries};
}
constexpr SLayoutNeed PaletteImages(const char* name, uint32_t entries) {
  return {SLayoutNeed::kImageList, kPaletteFile, name, 0, nullptr, SLayoutNeed::kAnyElement, entries};
}

}  // namespace

namespace need {

const SDialogNeeds kEditSkyFog = DialogNeeds("editskyfog.dat", "edit skyfog");
const SDialogNeeds kObjMatPresets = DialogNeeds(kPresetsFile, kPresetsCanvas);
const SLayoutNeed kSkyFogPalette{SLayoutNeed::kCanvas, "skyfogpalette.dat", "sky&fog palette"};
const SDialogNeeds kSkyFogPresets = DialogNeeds("skyfogpresets.dat", "skyfogpresets");

const SLayoutNeed kEditSkyFogFields[kSkyFogFieldCount] = {
    EditSkyFogElement("sun x"),           EditSkyFogElement("sun y"),           EditSkyFogElement("sun z"),
    EditSkyFogElement("shadows"),         EditSkyFogElement("fog intensity"),   EditSkyFogElement("fog height"),
    EditSkyFogElement("fog haze"),        EditSkyFogElement("clouds intensity"), EditSkyFogElement("clouds height"),
    EditSkyFogElement("clouds scale"),    EditSkyFogElement("clouds amplitude"),
};
const SLayoutNeed kEditStratus = EditSkyFogElement("edit stratus");
const SLayoutNeed kEditCumulus = EditSkyFogElement("edit cumulus");

const SLayoutNeed kPresetTitle = PresetElement("preset title");
const SLayoutNeed kPresetGrid = PresetElement("preset grid");
const SLayoutNeed kPresetGridPicture{SLayoutNeed::kPicture, kPresetsFile, "preset grid"};
const SLayoutNeed kPresetFirstCell = PresetElement("grid0", SLayoutNeed::kAnyElement);
const SLayoutNeed kPresetScrollItem = PresetElement("scroll item");
const SLayoutNeed kPresetPreview = PresetElement("preview image");
const SLayoutNeed kPresetPreviewOptions = PresetElement("preview options");
const SLayoutNeed kPresetName = PresetElement("preset name", SLayoutNeed::kTextElement);
const SLayoutNeed kPresetDescription = PresetElement("preset description", SLayoutNeed::kTextElement);
const SLayoutNeed kPresetImport = PresetElement("import");
const SLayoutNeed kPresetExport = PresetElement("export");
const SLayoutNeed kPresetAdd = PresetElement("add");
const SLayoutNeed kPresetDelete = PresetElement("delete");
const SLayoutNeed kPresetTabs[14] = {
    PresetElement("category text0", SLayoutNeed::kTextElement),
    PresetElement("category text1", SLayoutNeed::kTextElement),
    PresetElement("category text2", SLayoutNeed::kTextElement),
    PresetElement("category text3", SLayoutNeed::kTextElement),
    PresetElement("category text4", SLayoutNeed::kTextElement),
    PresetElement("category text5", SLayoutNeed::kTextElement),
    PresetElement("category text6", SLayoutNeed::kTextElement),
    PresetElement("category text7", SLayoutNeed::kTextElement),
    PresetElement("category text8", SLayoutNeed::kTextElement),
    PresetElement("category text9", SLayoutNeed::kTextElement),
    PresetElement("category text10", SLayoutNeed::kTextElement),
    PresetElement("category text11", SLayoutNeed::kTextElement),
    PresetElement("category text12", SLayoutNeed::kTextElement),
    PresetElement("category text13", SLayoutNeed::kTextElement),
};
const SLayoutNeed kPresetLibraryFolder = PresetList(nullptr, 0, 1);
const SLayoutNeed kObjectCategories = PresetList(nullptr, 1, 1);
const SLayoutNeed kMaterialCategories = PresetList(nullptr, 2, 1);
const SLayoutNeed kPresetNames = PresetList("names", 0, 2);
const SLayoutNeed kMaterialFileFilter = PresetList("mat file filter", 0, 4);
const SLayoutNeed kObjectFileFilter = PresetList("obj file filter", 0, 4);
const SLayoutNeed kMaterialPreviewMenu{SLayoutNeed::kMenu, kPresetsFile, nullptr, 200};
const SLayoutNeed kObjectPreviewMenu{SLayoutNeed::kMenu, kPresetsFile, nullptr, 201};

const SLayoutNeed kSkyPresetElements[9] = {
    SkyElement("preset grid"),
    SkyElement("scroll item"),
    SkyElement("preview image"),
    SkyElement("preset name", SLayoutNeed::kTextElement),
    SkyElement("preset description", SLayoutNeed::kTextElement),
    SkyElement("import", SLayoutNeed::kAnyElement),
    SkyElement("export", SLayoutNeed::kAnyElement),
    SkyElement("add", SLayoutNeed::kAnyElement),
    SkyElement("delete", SLayoutNeed::kAnyElement),
};
const SLayoutNeed kSkyPresetGridPicture{SLayoutNeed::kPicture, kSkyFile, "preset grid"};
const SLayoutNeed kSkyPresetFirstCell = SkyElement("grid0", SLayoutNeed::kAnyElement);
const SLayoutNeed kSkyPresetLibrary{SLayoutNeed::kTextList, kSkyFile, nullptr, 0, nullptr, SLayoutNeed::kAnyElement, 2};
const SLayoutNeed kSkyPresetNames{SLayoutNeed::kTextList, kSkyFile, "names", 0, nullptr, SLayoutNeed::kAnyElement, 1};
const SLayoutNeed kSkyFileFilter{SLayoutNeed::kTextList, kSkyFile, "sky file filter", 0, nullptr, SLayoutNeed::kAnyElement, 4};
const SLayoutNeed kSkyFogPlopUp{SLayoutNeed::kElement, "createpalette.dat", "sky&fog plopup", 0, "create palette"};

const SDialogNeeds kBillboard = DialogNeeds(kPresetsFile, "billboard", true, false);
const SLayoutNeed kBillboardImage{SLayoutNeed::kElement, kPresetsFile, "billboard image", 0, "billboard",
                                  SLayoutNeed::kImageElement};

const SLayoutNeed kCreatePlopUp{SLayoutNeed::kElement, "createpalette.dat", "create plopup", 0, "create palette"};
const SLayoutNeed kEditPlopUp{SLayoutNeed::kElement, "editpalette.dat", "edit plopup", 0, "edit palette"};
const SLayoutNeed kAddPresetCanvas{SLayoutNeed::kCanvas, "addpreset.dat", "add preset"};
const SLayoutNeed kDeletePresetCanvas{SLayoutNeed::kCanvas, "deletepreset.dat", "delete preset"};


const SLayoutNeed kSkyFogTabs[3] = {PaletteElement("create text", SLayoutNeed::kTextElement),
                                    PaletteElement("edit text", SLayoutNeed::kTextElement),
                                    PaletteElement("sky&fog text", SLayoutNeed::kTextElement)};
const SLayoutNeed kSkyFogPlopUps[3] = {PaletteElement("create plopup"), PaletteElement("edit plopup"),
                                       PaletteElement("sky&fog plopup")};
const SLayoutNeed kSkyModeStrip = PaletteElement("sky mode");
const SLayoutNeed kSkyModeMenuButton = PaletteElement("sky mode menu");
const SLayoutNeed kShadowStrip = PaletteElement("shadow intensity");
const SLayoutNeed kFogStrip = PaletteElement("fog height & intensity");
const SLayoutNeed kHazeStrip = PaletteElement("haze intensity");
const SLayoutNeed kCloudHeightStrip = PaletteElement("cloud height");
const SLayoutNeed kCloudCoverStrip = PaletteElement("cloud cover");
const SLayoutNeed kSkyFogSwatches[7] = {
    PaletteElement("sky mode picker"),     PaletteElement("shadow intensity picker"),
    PaletteElement("fog height & intensity picker"), PaletteElement("haze intensity picker"),
    PaletteElement("cloud height picker"), PaletteElement("cloud cover picker"),
    PaletteElement("sun picker"),
};
const SLayoutNeed kCloudProfile = PaletteElement("cloud freq & amp");
const SLayoutNeed kSunControl = PaletteElement("sun light control");
const SLayoutNeed kSunMoon = PaletteElement("sun / moon");
const SLayoutNeed kSkyRandomize = PaletteElement("randomize button");
const SLayoutNeed kSkyFogMenuButton = PaletteElement("sky&fog menu");
const SLayoutNeed kSkyDots[6] = {PaletteElement("sky 0 dot"), PaletteElement("sky 1 dot"), PaletteElement("sky 2 dot"),
                                 PaletteElement("sky 3 dot"), PaletteElement("sky 4 dot"), PaletteElement("sky 5 dot")};
const SLayoutNeed kSkyModeMenu{SLayoutNeed::kMenu, kPaletteFile, nullptr, 200};
const SLayoutNeed kSkyFogOptionsMenu{SLayoutNeed::kMenu, kPaletteFile, nullptr, 201};

}  // namespace need

namespace {

// The palette's lists, checked beside its elements.
const SLayoutNeed kPaletteLists[] = {
    PaletteImages("sky mode", 4),          PaletteImages("shadow intensity", 11), PaletteImages("haze intensity", 11),
    PaletteImages("cloud height", 11),     PaletteImages("cloud cover", 11),
    PaletteImages("fog height & intensity", 72), PaletteImages("sun / moon", 2), PaletteImages("randomize button", 2),
    PaletteImages("sky&fog menu", 2),      PaletteImages("sky 0 dot", 3),        PaletteImages("sky 1 dot", 3),
    PaletteImages("sky 2 dot", 3),         PaletteImages("sky 3 dot", 3),        PaletteImages("sky 4 dot", 3),
    PaletteImages("sky 5 dot", 3),         PaletteHelp("sky mode picker", 6),
};

}  // namespace

SLayoutNeedTable PresetsLayoutNeeds() {
  static const std::vector<const SLayoutNeed*> kNeeds = [] {
    std::vector<const SLayoutNeed*> needs = {
        &need::kEditSkyFog.canvas,    &need::kEditSkyFog.ok,        &need::kEditSkyFog.cancel,
        &need::kObjMatPresets.canvas, &need::kObjMatPresets.ok,     &need::kObjMatPresets.cancel,
        &need::kSkyFogPalette,        &need::kSkyFogPresets.canvas, &need::kSkyFogPresets.ok,
        &need::kSkyFogPresets.cancel, &need::kPresetTitle,          &need::kPresetGrid,
        &need::kPresetGridPicture,    &need::kPresetFirstCell,      &need::kPresetScrollItem,
        &need::kPresetPreview,        &need::kPresetPreviewOptions, &need::kPresetName,
        &need::kPresetDescription,    &need::kPresetImport,         &need::kPresetExport,
        &need::kPresetAdd,            &need::kPresetDelete,         &need::kPresetLibraryFolder,
        &need::kObjectCategories,     &need::kMaterialCategories,   &need::kPresetNames,
        &need::kMaterialPreviewMenu,  &need::kObjectPreviewMenu,    &need::kBillboard.canvas,
        &need::kBillboard.ok,         &need::kBillboardImage,       &need::kCreatePlopUp,
        &need::kEditPlopUp,           &need::kAddPresetCanvas,      &need::kDeletePresetCanvas,
    };
    for (const SLayoutNeed& tab : need::kPresetTabs) needs.push_back(&tab);
    for (const SLayoutNeed& element : need::kSkyPresetElements) needs.push_back(&element);
    for (const SLayoutNeed& field : need::kEditSkyFogFields) needs.push_back(&field);
    needs.push_back(&need::kEditStratus);
    needs.push_back(&need::kEditCumulus);
    for (const SLayoutNeed* palette :
         {&need::kSkyModeStrip, &need::kSkyModeMenuButton, &need::kShadowStrip, &need::kFogStrip, &need::kHazeStrip,
          &need::kCloudHeightStrip, &need::kCloudCoverStrip, &need::kCloudProfile, &need::kSunControl,
          &need::kSunMoon, &need::kSkyRandomize, &need::kSkyFogMenuButton, &need::kSkyModeMenu,
          &need::kSkyFogOptionsMenu})
      needs.push_back(palette);
    for (const auto* group : {&need::kSkyFogTabs, &need::kSkyFogPlopUps}) {
      for (const SLayoutNeed& element : *group) needs.push_back(&element);
    }
    for (const SLayoutNeed& swatch : need::kSkyFogSwatches) needs.push_back(&swatch);
    for (const SLayoutNeed& dot : need::kSkyDots) needs.push_back(&dot);
    for (const SLayoutNeed& list : kPaletteLists) needs.push_back(&list);
    // A help list named after every control that the pointer can hover (this palette's own tab can't).
    static std::vector<SLayoutNeed> helps;
    for (const SLayoutNeed* element : needs) {
      if (element->what == SLayoutNeed::kElement && std::strcmp(element->file, kPaletteFile) == 0 &&
          element != &need::kSkyFogTabs[2] && element != &need::kSkyFogSwatches[0])
        helps.push_back(PaletteHelp(element->name));
    }
    for (const SLayoutNeed& help : helps) needs.push_back(&help);
    for (const SLayoutNeed* sky : {&need::kSkyPresetGridPicture, &need::kSkyPresetFirstCell, &need::kSkyPresetLibrary,
                                   &need::kSkyPresetNames, &need::kSkyFileFilter, &need::kSkyFogPlopUp,
                                   &need::kMaterialFileFilter, &need::kObjectFileFilter})
      needs.push_back(sky);
    return needs;
  }();
  return {kNeeds.data(), uint32_t(kNeeds.size())};
}
