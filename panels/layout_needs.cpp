#include "panels/layout_needs.h"

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <vector>

#include "editing/convert.h"

namespace {

constexpr SLayoutNeed CreateItem(const char* name) {
  return {SLayoutNeed::kElement, "createpalette.dat", name, 0, "create palette", SLayoutNeed::kImageElement};
}

constexpr SLayoutNeed EditButton(const char* name) {
  return {SLayoutNeed::kElement, "editpalette.dat", name, 0, "edit palette", SLayoutNeed::kImageElement};
}

constexpr SLayoutNeed EditImages(const char* name, uint32_t entries) {
  return {SLayoutNeed::kImageList, "editpalette.dat", name, 0, nullptr, SLayoutNeed::kAnyElement, entries};
}

constexpr SLayoutNeed SelectionButton(const char* name) {
  return {SLayoutNeed::kElement, "selectionpalette.dat", name, 0, "selection palette", SLayoutNeed::kImageElement};
}

constexpr SLayoutNeed DisplayElement(const char* name, SLayoutNeed::EElementKind kind = SLayoutNeed::kImageElement) {
  return {SLayoutNeed::kElement, "displaypalette.dat", name, 0, "display palette", kind};
}

constexpr SLayoutNeed PrefsElement(const char* name, SLayoutNeed::EElementKind kind) {
  return {SLayoutNeed::kElement, "prefs.dat", name, 0, "Preferences", kind};
}

constexpr SLayoutNeed Menu(const char* file, uint32_t number) {
  return {SLayoutNeed::kMenu, file, nullptr, number};
}

// A tip list of the palette's layout file, named as its control.
SLayoutNeed TipList(const SLayoutNeed& control, uint32_t entries = 2) {
  return {SLayoutNeed::kTextList, control.file, control.name, 0, nullptr, SLayoutNeed::kAnyElement, entries};
}

constexpr SLayoutNeed DialogElement(const SDialogNeeds& dialog, const char* name,
                                    SLayoutNeed::EElementKind kind = SLayoutNeed::kAnyElement) {
  return {SLayoutNeed::kElement, dialog.canvas.file, name, 0, dialog.canvas.name, kind};
}

constexpr SLayoutNeed ConvertItem(const char* name) {
  return {SLayoutNeed::kElement, "editpalette.dat", name, 0, "convert object", SLayoutNeed::kCompositeElement};
}

}  // namespace

namespace need {

const SDialogNeeds kAddPreset = DialogNeeds("addpreset.dat", "add preset");
const SLayoutNeed kPresetPreview = DialogElement(kAddPreset, "preset preview", SLayoutNeed::kImageElement);
const SLayoutNeed kPresetName = DialogElement(kAddPreset, "preset name");
const SLayoutNeed kPresetDescription = DialogElement(kAddPreset, "preset description");
const SDialogNeeds kColorPicker = DialogNeeds("colorpicker.dat", "color picker");
const SLayoutNeed kPickerBarInfo = DialogElement(kColorPicker, "bar info", SLayoutNeed::kImageElement);
const SLayoutNeed kPickerBarLabels{SLayoutNeed::kImageList, "colorpicker.dat", "bar labels", 0, nullptr,
                                   SLayoutNeed::kAnyElement, kColourModelCount};
const SLayoutNeed kPickerColorBox = DialogElement(kColorPicker, "color box", SLayoutNeed::kImageElement);
const SLayoutNeed kPickerModelButtons[kColourModelCount] = {
    DialogElement(kColorPicker, "rgb button"), DialogElement(kColorPicker, "hsv button"),
    DialogElement(kColorPicker, "hls button"), DialogElement(kColorPicker, "cmy button")};
const SLayoutNeed kPickerBarTexts[kPickerBarCount] = {DialogElement(kColorPicker, "bar text 0"),
                                                      DialogElement(kColorPicker, "bar text 1"),
                                                      DialogElement(kColorPicker, "bar text 2")};
const SLayoutNeed kPickerBarImages[kPickerBarCount] = {
    DialogElement(kColorPicker, "bar image 0", SLayoutNeed::kImageElement),
    DialogElement(kColorPicker, "bar image 1", SLayoutNeed::kImageElement),
    DialogElement(kColorPicker, "bar image 2", SLayoutNeed::kImageElement)};
const SLayoutNeed kPickerImage{SLayoutNeed::kPicture, "colorpicker.dat", "color picker image"};
const SLayoutNeed kEyedropperCursor{SLayoutNeed::kPicture, "system.dat", "cursor 119"};
const SLayoutNeed kCreatePalette{SLayoutNeed::kCanvas, "createpalette.dat", "create palette"};
const SLayoutNeed kCreateItems[kCreateItemCount] = {
    CreateItem("water plane"),
    CreateItem("cloud plane"),
    CreateItem("ground plane"),
    CreateItem("terrain"),
    CreateItem("stone"),
    CreateItem("sym lattice"),
    CreateItem("sphere"),
    CreateItem("ellipsoid"),
    CreateItem("squashed sphere"),
    CreateItem("torus"),
    CreateItem("tuboid"),
    CreateItem("cylinder"),
    CreateItem("squashed cylinder"),
    CreateItem("stretched cylinder"),
    CreateItem("cube"),
    CreateItem("brickoid"),
    CreateItem("stretched cube"),
    CreateItem("pyramid"),
    CreateItem("squashed pyramid"),
    CreateItem("stretched pyramid"),
    CreateItem("cone"),
    CreateItem("stretched cone"),
    CreateItem("squashed cone"),
    CreateItem("2d Hdisk"),
    CreateItem("2d Vdisk"),
    CreateItem("2d pict"),
    CreateItem("2d Hface"),
    CreateItem("2d Vface"),
    CreateItem("radial light"),
    CreateItem("spotlight"),
    CreateItem("square spotlight"),
    CreateItem("parallel light"),
};
const SLayoutNeed kCreateTabs[kTabCount] = {
    CreateItem("create text"),
    CreateItem("edit text"),
    CreateItem("sky&fog text"),
};
const SLayoutNeed kCreatePlopUps[kTabCount] = {
    CreateItem("create plopup"),
    CreateItem("edit plopup"),
    CreateItem("sky&fog plopup"),
};
const SDialogNeeds kDeletePreset = DialogNeeds("deletepreset.dat", "delete preset", false);
const SLayoutNeed kDeletePresetButton = DialogElement(kDeletePreset, "delete", SLayoutNeed::kImageElement);
const SLayoutNeed kDisplayPalette{SLayoutNeed::kCanvas, "displaypalette.dat", "display palette"};
const SLayoutNeed kDisplayTop{SLayoutNeed::kElement, "displaypalette.dat", "display top", 0, "display palette"};
const SLayoutNeed kDisplayBottom{SLayoutNeed::kElement, "displaypalette.dat", "display bottom", 0, "display palette"};
const SLayoutNeed kDisplayBackground = DisplayElement("display background");
const SLayoutNeed kToolsBackground = DisplayElement("tools background", SLayoutNeed::kAnyElement);
const SLayoutNeed kDisplayToolsBottom = DisplayElement("display tools bottom", SLayoutNeed::kAnyElement);
const SLayoutNeed kDisplayControls[kDisplayControlCount] = {
    DisplayElement("marker pen"),
    DisplayElement("ui min max"),
    DisplayElement("background selector"),
    DisplayElement("nano edit mode"),
    DisplayElement("plop render mode"),
    DisplayElement("depth cue control"),
    DisplayElement("wireframe shadows"),
    DisplayElement("hide underground shadows"),
    DisplayElement("wireframe resolution"),
    DisplayElement("zoom in"),
    DisplayElement("zoom out"),
    DisplayElement("pan"),
};
const SLayoutNeed kBackgroundMenu = Menu("displaypalette.dat", 200);
const SLayoutNeed kResolutionMenus[kResolutionMenuCount] = {
    Menu("displaypalette.dat", 201),
    Menu("displaypalette.dat", 202),
    Menu("displaypalette.dat", 203),
    Menu("displaypalette.dat", 204),
};
const SDialogNeeds kDocSetup = DialogNeeds("docsetup.dat", "doc setup");
const SLayoutNeed kDocSetupFields[kDocSetupFieldCount] = {
    DialogElement(kDocSetup, "doc res x"), DialogElement(kDocSetup, "doc res y"),
    DialogElement(kDocSetup, "doc aspect x"), DialogElement(kDocSetup, "doc aspect y")};
const SLayoutNeed kDocSizes[kDocSizeCount] = {
    DialogElement(kDocSetup, "doc size0", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size1", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size2", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size3", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size4", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size5", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size6", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size7", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size8", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size9", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size10", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size11", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size12", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size13", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size14", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size15", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size16", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size17", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size18", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size19", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size20", SLayoutNeed::kImageElement),
    DialogElement(kDocSetup, "doc size21", SLayoutNeed::kImageElement),
};
const SLayoutNeed kRenderResButtons[kRenderResCount] = {
    DialogElement(kDocSetup, "render res 0", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 1", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 2", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 3", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 4", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 5", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 6", SLayoutNeed::kTextElement),
};
const SLayoutNeed kRenderResTitles[kRenderResCount] = {
    DialogElement(kDocSetup, "render res 0 title", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 1 title", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 2 title", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 3 title", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 4 title", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 5 title", SLayoutNeed::kTextElement),
    DialogElement(kDocSetup, "render res 6 title", SLayoutNeed::kTextElement),
};
const SLayoutNeed kConstrainProp = DialogElement(kDocSetup, "constrain prop", SLayoutNeed::kImageElement);
const SLayoutNeed kDocSetupTitle = DialogElement(kDocSetup, "doc title", SLayoutNeed::kTextElement);
const SLayoutNeed kNewDocTitles{SLayoutNeed::kTextList, "docsetup.dat", "new doc title", 0, nullptr,
                                SLayoutNeed::kAnyElement, 1};
const SDialogNeeds kEdit3dTrans = DialogNeeds("edit3dtrans.dat", "edit 3dtrans");
const SLayoutNeed kEdit3dTransFields[kTransformFieldCount] = {
    DialogElement(kEdit3dTrans, "offset x"), DialogElement(kEdit3dTrans, "offset y"),
    DialogElement(kEdit3dTrans, "offset z"), DialogElement(kEdit3dTrans, "rotate x"),
    DialogElement(kEdit3dTrans, "rotate y"), DialogElement(kEdit3dTrans, "rotate z"),
    DialogElement(kEdit3dTrans, "scale x"),  DialogElement(kEdit3dTrans, "scale y"),
    DialogElement(kEdit3dTrans, "scale z")};
const SDialogNeeds kEditCamera = DialogNeeds("editcamera.dat", "edit camera");
const SLayoutNeed kEditCameraFields[kCameraFieldCount] = {
    DialogElement(kEditCamera, "offset x"),      DialogElement(kEditCamera, "offset y"),
    DialogElement(kEditCamera, "offset z"),      DialogElement(kEditCamera, "rotate x"),
    DialogElement(kEditCamera, "rotate y"),      DialogElement(kEditCamera, "rotate z"),
    DialogElement(kEditCamera, "field of view"), DialogElement(kEditCamera, "pan v"),
    DialogElement(kEditCamera, "pan h"),         DialogElement(kEditCamera, "scale")};
const SDialogNeeds kEditFamily = DialogNeeds("editfamily.dat", "edit family");
const SLayoutNeed kFamilyNames{SLayoutNeed::kTextList, "editfamily.dat", "family names", 0, nullptr,
                               SLayoutNeed::kAnyElement, 2};
const SLayoutNeed kFamiliesMenu = Menu("system.dat", 40);
const SLayoutNeed kFamilyColorBox = DialogElement(kEditFamily, "color picker", SLayoutNeed::kImageElement);
const SLayoutNeed kFamilyNameField = DialogElement(kEditFamily, "status text");
#define QUARN2_CHICLET(i) DialogElement(kEditFamily, "family " #i, SLayoutNeed::kImageElement)
const SLayoutNeed kFamilyChiclets[kFamilyChicletCount] = {
    QUARN2_CHICLET(0),  QUARN2_CHICLET(1),  QUARN2_CHICLET(2),  QUARN2_CHICLET(3),  QUARN2_CHICLET(4),
    QUARN2_CHICLET(5),  QUARN2_CHICLET(6),  QUARN2_CHICLET(7),  QUARN2_CHICLET(8),  QUARN2_CHICLET(9),
    QUARN2_CHICLET(10), QUARN2_CHICLET(11), QUARN2_CHICLET(12), QUARN2_CHICLET(13), QUARN2_CHICLET(14),
    QUARN2_CHICLET(15), QUARN2_CHICLET(16), QUARN2_CHICLET(17), QUARN2_CHICLET(18), QUARN2_CHICLET(19),
    QUARN2_CHICLET(20), QUARN2_CHICLET(21), QUARN2_CHICLET(22), QUARN2_CHICLET(23), QUARN2_CHICLET(24)};
#undef QUARN2_CHICLET
const SDialogNeeds kEditLight = DialogNeeds("editlight.dat", "edit light");
const SLayoutNeed kLightPreview = DialogElement(kEditLight, "light preview", SLayoutNeed::kImageElement);
const SLayoutNeed kLightIntensity = DialogElement(kEditLight, "light intensity", SLayoutNeed::kImageElement);
const SLayoutNeed kLightSoftness = DialogElement(kEditLight, "light softness", SLayoutNeed::kImageElement);
const SLayoutNeed kLightSliderFrames[2] = {
    {SLayoutNeed::kImageList, "editlight.dat", "intensity slider", 0, nullptr, SLayoutNeed::kAnyElement, 11},
    {SLayoutNeed::kImageList, "editlight.dat", "softness slider", 0, nullptr, SLayoutNeed::kAnyElement, 11}};
const SLayoutNeed kLightColor = DialogElement(kEditLight, "light color", SLayoutNeed::kImageElement);
const SLayoutNeed kLightStatusText = DialogElement(kEditLight, "status text", SLayoutNeed::kTextElement);
const SLayoutNeed kLightTextureGels = DialogElement(kEditLight, "texture gels");
const SLayoutNeed kLightPictTextures = DialogElement(kEditLight, "picttextures");
const SLayoutNeed kLightOptions = DialogElement(kEditLight, "light options");
const SLayoutNeed kLightOptionsMenu = Menu("editlight.dat", 1200);
const SLayoutNeed kLightOptionsGelMenu = Menu("editlight.dat", 1201);
const SDialogNeeds kEditObjAttrs = DialogNeeds("editobjattrs.dat", "edit objattrs");
const SLayoutNeed kEditObjAttrsFields[kTransformFieldCount] = {
    DialogElement(kEditObjAttrs, "offset x"), DialogElement(kEditObjAttrs, "offset y"),
    DialogElement(kEditObjAttrs, "offset z"), DialogElement(kEditObjAttrs, "rotate x"),
    DialogElement(kEditObjAttrs, "rotate y"), DialogElement(kEditObjAttrs, "rotate z"),
    DialogElement(kEditObjAttrs, "size x"),   DialogElement(kEditObjAttrs, "size y"),
    DialogElement(kEditObjAttrs, "size z")};
const SLayoutNeed kEditObjAttrsChecks[kObjAttrsCheckCount] = {
    DialogElement(kEditObjAttrs, "positive check", SLayoutNeed::kImageElement),
    DialogElement(kEditObjAttrs, "negative check", SLayoutNeed::kImageElement),
    DialogElement(kEditObjAttrs, "intersect check", SLayoutNeed::kImageElement),
    DialogElement(kEditObjAttrs, "locked check", SLayoutNeed::kImageElement),
    DialogElement(kEditObjAttrs, "show as box check", SLayoutNeed::kImageElement)};
const SLayoutNeed kEditPalette{SLayoutNeed::kCanvas, "editpalette.dat", "edit palette"};
const SLayoutNeed kEditResize = EditButton("resize");
const SLayoutNeed kEditRotate = EditButton("rotate");
const SLayoutNeed kEditReposition = EditButton("reposition");
const SLayoutNeed kEditRandomize = EditButton("randomize");
const SLayoutNeed kEditRandomizeControl = EditButton("randomize control");
const SLayoutNeed kEditConvertObject = EditButton("convert object");
// Resize: the zones' hover states 1 to 7, pressed zone + 7, with Alt zone / 2 + 14 and + 17.
const SLayoutNeed kEditResizeImages = EditImages("resize", 21);
// Rotate: hover 1 to 3, pressed zone + 3; reposition: hover 1 to 6, pressed zone + 6.
const SLayoutNeed kEditRotateImages = EditImages("rotate", 7);
const SLayoutNeed kEditRepositionImages = EditImages("reposition", 13);
// One entry per randomize mode.
const SLayoutNeed kEditRandomizeImages = EditImages("randomize", 8);
const SLayoutNeed kEditRandomizeControlImages = EditImages("randomize control", 2);
// Normal, hovered, pressed.
const SLayoutNeed kEditConvertObjectImages = EditImages("convert object", 3);
const SLayoutNeed kEditOptions[kEditOptionCount] = {
    EditButton("materials options"),  EditButton("resize options"), EditButton("rotate options"),
    EditButton("reposition options"), EditButton("align options"),  EditButton("randomize options"),
};
const SLayoutNeed kEditTabButtons[kEditTabCount] = {
    EditButton("create plopup"),
    EditButton("edit plopup"),
    EditButton("sky&fog plopup"),
};
const SLayoutNeed kEditCreateText = EditButton("create text");
const SLayoutNeed kEditEditText = EditButton("edit text");
const SLayoutNeed kEditSkyFogText = EditButton("sky&fog text");
const SLayoutNeed kEditMaterialsMenu = Menu("editpalette.dat", 300);
const SLayoutNeed kEditTransformMenus[kEditTransformMenuCount] = {
    Menu("editpalette.dat", 301),
    Menu("editpalette.dat", 302),
    Menu("editpalette.dat", 303),
};
const SLayoutNeed kEditAlignMenu = Menu("editpalette.dat", 304);
const SLayoutNeed kEditRandomizeMenu = Menu("editpalette.dat", 305);
const SLayoutNeed kEditAlign{SLayoutNeed::kElement, "editpalette.dat", "align", 0, "edit palette"};
const SLayoutNeed kEditAlignButtons[kEditAlignCount] = {
    EditButton("align all"),      EditButton("align x center"), EditButton("align x left"),
    EditButton("align x right"),  EditButton("align y center"), EditButton("align y top"),
    EditButton("align y bottom"), EditButton("align z center"), EditButton("align z front"),
    EditButton("align z back"),
};
const SLayoutNeed kConvertList{SLayoutNeed::kCanvas, "editpalette.dat", "convert object"};
const SLayoutNeed kConvertItems[kConvertItemCount] = {
    ConvertItem(kConversionTargets[0]),  ConvertItem(kConversionTargets[1]),  ConvertItem(kConversionTargets[2]),
    ConvertItem(kConversionTargets[3]),  ConvertItem(kConversionTargets[4]),  ConvertItem(kConversionTargets[5]),
    ConvertItem(kConversionTargets[6]),  ConvertItem(kConversionTargets[7]),  ConvertItem(kConversionTargets[8]),
    ConvertItem(kConversionTargets[9]),  ConvertItem(kConversionTargets[10]), ConvertItem(kConversionTargets[11]),
    ConvertItem(kConversionTargets[12]), ConvertItem(kConversionTargets[13]), ConvertItem(kConversionTargets[14]),
    ConvertItem(kConversionTargets[15]),
};
const SDialogNeeds kEditPoly = DialogNeeds("editpoly.dat", "edit poly", true, false);
const SDialogNeeds kEditTori = DialogNeeds("edittori.dat", "edit tori");
const SLayoutNeed kPolySmooth = DialogElement(kEditPoly, "smooth");
const SLayoutNeed kPolyUnsmooth = DialogElement(kEditPoly, "unsmooth");
const SLayoutNeed kPolySlider = DialogElement(kEditPoly, "slider", SLayoutNeed::kImageElement);
const SLayoutNeed kPolyStatus = DialogElement(kEditPoly, "status text", SLayoutNeed::kTextElement);
const SLayoutNeed kPolyStatusTexts{SLayoutNeed::kTextList, "editpoly.dat", "status text", 0, nullptr,
                                   SLayoutNeed::kAnyElement, 7};
const SLayoutNeed kToriBackground = DialogElement(kEditTori, "torus background", SLayoutNeed::kImageElement);
const SLayoutNeed kToriTorus = DialogElement(kEditTori, "torus", SLayoutNeed::kImageElement);
const SDialogNeeds kExportRender = DialogNeeds("exportrender.dat", "export render");
const SLayoutNeed kExportFields[kExportFieldCount] = {
    DialogElement(kExportRender, "size x"), DialogElement(kExportRender, "size y"), DialogElement(kExportRender, "dpi"),
    DialogElement(kExportRender, "outsize x"), DialogElement(kExportRender, "outsize y")};
const SLayoutNeed kExportAutoRotate = DialogElement(kExportRender, "auto rotate check", SLayoutNeed::kImageElement);
const SLayoutNeed kExportTitle = DialogElement(kExportRender, "doc title", SLayoutNeed::kTextElement);
const SLayoutNeed kExportInfo1 = DialogElement(kExportRender, "info text 1", SLayoutNeed::kTextElement);
const SLayoutNeed kExportInfo2 = DialogElement(kExportRender, "info text 2", SLayoutNeed::kTextElement);
const SLayoutNeed kExportInfo1Texts{SLayoutNeed::kTextList, "exportrender.dat", "info text 1", 0, nullptr,
                                    SLayoutNeed::kAnyElement, 1};
const SLayoutNeed kExportInfo2Texts{SLayoutNeed::kTextList, "exportrender.dat", "info text 2", 0, nullptr,
                                    SLayoutNeed::kAnyElement, 5};
const SLayoutNeed kIOProgress{SLayoutNeed::kCanvas, "system.dat", "ioprogress"};
const SLayoutNeed kIOProgressElements[kIOProgressElementCount] = {
    {SLayoutNeed::kElement, "system.dat", "ioprogress description", 0, "ioprogress", SLayoutNeed::kTextElement},
    {SLayoutNeed::kElement, "system.dat", "ioprogress status string", 0, "ioprogress", SLayoutNeed::kTextElement},
    {SLayoutNeed::kElement, "system.dat", "ioprogress status bar", 0, "ioprogress", SLayoutNeed::kImageElement},
    {SLayoutNeed::kElement, "system.dat", "ioprogress cancel", 0, "ioprogress"},
};
const SLayoutNeed kIOProgressSlider{SLayoutNeed::kPicture, "system.dat", "IO Progress slider"};
const SLayoutNeed kNanoEditor{SLayoutNeed::kCanvas, "docwindow.dat", "nano editor"};
const SLayoutNeed kNanoEditorImage{SLayoutNeed::kElement, "docwindow.dat", "nano editor image", 0, "nano editor",
                                   SLayoutNeed::kImageElement};
const SDialogNeeds kPrefs = {{SLayoutNeed::kCanvas, "prefs.dat", "Preferences"},
                              PrefsElement("ok button", SLayoutNeed::kImageElement),
                              PrefsElement("cancel button", SLayoutNeed::kImageElement)};
const SLayoutNeed kPrefsControls[kPrefsControlCount] = {
    PrefsElement("prev state", SLayoutNeed::kImageElement),
    PrefsElement("def state", SLayoutNeed::kImageElement),
    PrefsElement("image with scene", SLayoutNeed::kImageElement),
    PrefsElement("objs in view", SLayoutNeed::kImageElement),
    PrefsElement("objs in world center", SLayoutNeed::kImageElement),
    PrefsElement("percent arrows", SLayoutNeed::kImageElement),
};
const SLayoutNeed kPrefsReadouts[kPrefsReadoutCount] = {
    PrefsElement("total ram", SLayoutNeed::kTextElement),
    PrefsElement("percent used", SLayoutNeed::kTextElement),
    PrefsElement("current ram", SLayoutNeed::kTextElement),
};
const SDialogNeeds kReplicate = DialogNeeds("replicate.dat", "replicate");
const SLayoutNeed kReplicateCheck = DialogElement(kReplicate, "scale translation check", SLayoutNeed::kImageElement);
const SLayoutNeed kReplicateFields[kReplicateFieldCount] = {
    DialogElement(kReplicate, "quanity"),  DialogElement(kReplicate, "offset x"), DialogElement(kReplicate, "offset y"),
    DialogElement(kReplicate, "offset z"), DialogElement(kReplicate, "scale x"),  DialogElement(kReplicate, "scale y"),
    DialogElement(kReplicate, "scale z"),  DialogElement(kReplicate, "rotate x"), DialogElement(kReplicate, "rotate y"),
    DialogElement(kReplicate, "rotate z")};
const SLayoutNeed kRevertChanges{SLayoutNeed::kCanvas, "saverevert.dat", "revert changes"};
const SLayoutNeed kRevertButton{SLayoutNeed::kElement, "saverevert.dat", "revert", 0, "revert changes",
                                SLayoutNeed::kImageElement};
const SLayoutNeed kRevertCancelButton{SLayoutNeed::kElement, "saverevert.dat", "revert cancel", 0, "revert changes",
                                      SLayoutNeed::kImageElement};
const SLayoutNeed kSaveChanges{SLayoutNeed::kCanvas, "saverevert.dat", "save changes"};
const SLayoutNeed kSaveButton{SLayoutNeed::kElement, "saverevert.dat", "save", 0, "save changes",
                              SLayoutNeed::kImageElement};
const SLayoutNeed kDontSaveButton{SLayoutNeed::kElement, "saverevert.dat", "dont save", 0, "save changes",
                                  SLayoutNeed::kImageElement};
const SLayoutNeed kSaveCancelButton{SLayoutNeed::kElement, "saverevert.dat", "save cancel", 0, "save changes",
                                    SLayoutNeed::kImageElement};
const SLayoutNeed kSelectionPalette{SLayoutNeed::kCanvas, "selectionpalette.dat", "selection palette"};
const SLayoutNeed kSelectionKinds[kSelectionKindCount] = {
    SelectionButton("sel planes"),         SelectionButton("sel terrains"),
    SelectionButton("sel stones"),         SelectionButton("sel sym lattices"),
    SelectionButton("sel spheres"),        SelectionButton("sel tori"),
    SelectionButton("sel cylinders"),      SelectionButton("sel cubes"),
    SelectionButton("sel pyramids"),       SelectionButton("sel cones"),
    SelectionButton("sel disks"),          SelectionButton("sel squares"),
    SelectionButton("sel radial lights"),  SelectionButton("sel spotlights"),
    SelectionButton("sel square spotlights"), SelectionButton("sel parallel lights"),
    SelectionButton("sel groups"),
};
const SLayoutNeed kSelectionSteps[kStepCount] = {
    SelectionButton("sel prev object"),
    SelectionButton("sel next object"),
    SelectionButton("sel first object"),
    SelectionButton("sel last object"),
};
const SLayoutNeed kSelectionOptionsButton = SelectionButton("sel pal options");
const SLayoutNeed kSelectionFamiliesButton = SelectionButton("sel families");
const SLayoutNeed kSelectionBackground = SelectionButton("selection palette background");
const SLayoutNeed kSelectionObjectsBackground = SelectionButton("selection objects background");
const SLayoutNeed kSelectionTools = SelectionButton("sel tools");
const SLayoutNeed kSelectionLeft = SelectionButton("sel left");
const SLayoutNeed kSelectionRight = SelectionButton("sel right");
const SLayoutNeed kSoloMode = SelectionButton("solo mode");
const SLayoutNeed kImageMode = SelectionButton("image mode");
// The rendered image shown, behind the wireframe, the wireframe alone.
const SLayoutNeed kImageModeImages{
    SLayoutNeed::kImageList, "selectionpalette.dat", "image mode", 0, nullptr, SLayoutNeed::kAnyElement, 3};
const SLayoutNeed kSelectionOptionsMenu = Menu("selectionpalette.dat", 200);
const SDialogNeeds kTextEditPopup = DialogNeeds("materialcomposer.dat", "text edit popup", false, false);
const SLayoutNeed kTextEditField = DialogElement(kTextEditPopup, "text edit field");

}  // namespace need

namespace {

// The tip lists, named as their controls.
std::vector<SLayoutNeed> TipLists() {
  std::vector<SLayoutNeed> tips;
  for (const SLayoutNeed& item : need::kCreateItems) tips.push_back(TipList(item));
  for (const SLayoutNeed* group : {need::kCreateTabs, need::kCreatePlopUps}) {
    for (uint32_t i = 0; i < need::kTabCount; ++i) tips.push_back(TipList(group[i]));
  }
  // A hot "resize" shows states up to 17, "rotate" 3, "reposition" 6, "randomize" 7.
  tips.push_back(TipList(need::kEditResize, 19));
  tips.push_back(TipList(need::kEditRotate, 4));
  tips.push_back(TipList(need::kEditReposition, 7));
  tips.push_back(TipList(need::kEditRandomize, 9));
  for (const SLayoutNeed* button : {&need::kEditRandomizeControl, &need::kEditConvertObject, &need::kEditCreateText,
                                    &need::kEditEditText, &need::kEditSkyFogText})
    tips.push_back(TipList(*button));
  for (const SLayoutNeed& button : need::kEditOptions) tips.push_back(TipList(button));
  for (const SLayoutNeed& button : need::kEditTabButtons) tips.push_back(TipList(button));
  for (const SLayoutNeed& button : need::kEditAlignButtons) tips.push_back(TipList(button));
  for (const SLayoutNeed& button : need::kSelectionKinds) tips.push_back(TipList(button));
  for (const SLayoutNeed& button : need::kSelectionSteps) tips.push_back(TipList(button));
  for (const SLayoutNeed* button : {&need::kSelectionOptionsButton, &need::kSelectionFamiliesButton, &need::kSoloMode,
                                    &need::kImageMode})
    tips.push_back(TipList(*button));
  for (const SLayoutNeed& control : need::kDisplayControls) tips.push_back(TipList(control));
  return tips;
}

}  // namespace

SLayoutNeedTable PanelsLayoutNeeds() {
  static const SLayoutNeed* const kNeeds[] = {
      &need::kAddPreset.canvas,     &need::kAddPreset.ok,         &need::kAddPreset.cancel,
      &need::kColorPicker.canvas,   &need::kColorPicker.ok,       &need::kColorPicker.cancel,
      &need::kCreatePalette,        &need::kDeletePreset.canvas,  &need::kDeletePresetButton,
      &need::kDeletePreset.cancel,  &need::kDisplayPalette,       &need::kDocSetup.canvas,
      &need::kDocSetup.ok,          &need::kDocSetup.cancel,      &need::kEdit3dTrans.canvas,
      &need::kEdit3dTrans.ok,       &need::kEdit3dTrans.cancel,   &need::kEditCamera.canvas,
      &need::kEditCamera.ok,        &need::kEditCamera.cancel,    &need::kEditFamily.canvas,
      &need::kEditFamily.ok,        &need::kEditFamily.cancel,    &need::kEditLight.canvas,
      &need::kEditLight.ok,         &need::kEditLight.cancel,     &need::kEditObjAttrs.canvas,
      &need::kEditObjAttrs.ok,      &need::kEditObjAttrs.cancel,  &need::kEditPalette,
      &need::kEditPoly.canvas,      &need::kEditPoly.ok,
      &need::kEditTori.canvas,      &need::kEditTori.ok,          &need::kEditTori.cancel,
      &need::kExportRender.canvas,  &need::kExportRender.ok,      &need::kExportRender.cancel,
      &need::kNanoEditor,           &need::kNanoEditorImage,      &need::kPrefs.canvas,         &need::kPrefs.ok,
      &need::kPrefs.cancel,         &need::kReplicate.canvas,     &need::kReplicate.ok,
      &need::kReplicate.cancel,     &need::kRevertChanges,        &need::kSaveChanges,
      &need::kSelectionPalette,     &need::kTextEditPopup.canvas, &need::kTextEditField,
      &need::kDisplayTop,
      &need::kDisplayBottom,        &need::kFamilyNames,          &need::kFamiliesMenu,
  };
  static const SLayoutNeed* const kEditPaletteNeeds[] = {
      &need::kEditResize,          &need::kEditRotate,           &need::kEditReposition,
      &need::kEditRandomize,       &need::kEditRandomizeControl, &need::kEditConvertObject,
      &need::kEditResizeImages,    &need::kEditRotateImages,     &need::kEditRepositionImages,
      &need::kEditRandomizeImages, &need::kEditRandomizeControlImages, &need::kEditConvertObjectImages,
      &need::kEditCreateText,      &need::kEditEditText,         &need::kEditSkyFogText,
      &need::kEditAlign,           &need::kConvertList,          &need::kEditMaterialsMenu,
      &need::kEditAlignMenu,       &need::kEditRandomizeMenu,
  };
  static const SLayoutNeed* const kDisplayNeeds[] = {
      &need::kDisplayBackground, &need::kToolsBackground, &need::kDisplayToolsBottom, &need::kBackgroundMenu,
  };
  static const SLayoutNeed* const kSelectionNeeds[] = {
      &need::kSelectionOptionsButton, &need::kSelectionFamiliesButton, &need::kSelectionBackground,
      &need::kSelectionObjectsBackground, &need::kSelectionTools, &need::kSelectionLeft,
      &need::kSelectionRight, &need::kSoloMode, &need::kImageMode,
      &need::kImageModeImages, &need::kSelectionOptionsMenu,
  };
  static const SLayoutNeed* const kDialogNeeds[] = {
      &need::kPickerBarInfo,     &need::kPickerBarLabels,    &need::kPickerColorBox,   &need::kPickerImage,
      &need::kEyedropperCursor,  &need::kLightPreview,       &need::kLightIntensity,   &need::kLightSoftness,
      &need::kLightColor,         &need::kLightStatusText,  &need::kLightTextureGels,
      &need::kLightPictTextures, &need::kLightOptions,       &need::kLightOptionsMenu, &need::kLightOptionsGelMenu,
  };
  static const SLayoutNeed* const kSelectionEditorNeeds[] = {
      &need::kFamilyColorBox, &need::kFamilyNameField, &need::kPolySmooth,      &need::kPolyUnsmooth,
      &need::kPolySlider,     &need::kPolyStatus,      &need::kPolyStatusTexts, &need::kToriBackground,
      &need::kToriTorus,      &need::kReplicateCheck,
  };
  static const SLayoutNeed* const kConfirmationNeeds[] = {
      &need::kSaveButton,   &need::kDontSaveButton,      &need::kSaveCancelButton, &need::kRevertButton,
      &need::kRevertCancelButton, &need::kPresetPreview, &need::kPresetName,      &need::kPresetDescription,
  };
  static const SLayoutNeed* const kDocumentDialogNeeds[] = {
      &need::kConstrainProp,     &need::kDocSetupTitle,     &need::kNewDocTitles, &need::kExportAutoRotate,
      &need::kExportTitle,       &need::kExportInfo1,       &need::kExportInfo2,  &need::kExportInfo1Texts,
      &need::kExportInfo2Texts,  &need::kIOProgress,        &need::kIOProgressSlider,
  };
  static const std::vector<SLayoutNeed> kTips = TipLists();
  static const std::vector<const SLayoutNeed*> kAll = [] {
    std::vector<const SLayoutNeed*> all;
    const auto add = [&all](const auto& needs) {
      for (const auto& need : needs) {
        if constexpr (std::is_pointer_v<std::decay_t<decltype(need)>>) all.push_back(need);
        else all.push_back(&need);
      }
    };
    add(kNeeds);
    add(need::kCreateItems);
    add(need::kCreateTabs);
    add(need::kCreatePlopUps);
    add(kEditPaletteNeeds);
    add(need::kEditOptions);
    add(need::kEditTabButtons);
    add(need::kEditAlignButtons);
    add(need::kEditTransformMenus);
    add(need::kConvertItems);
    add(kDisplayNeeds);
    add(need::kDisplayControls);
    add(need::kResolutionMenus);
    add(need::kPrefsControls);
    add(need::kPrefsReadouts);
    add(kSelectionNeeds);
    add(need::kSelectionKinds);
    add(need::kSelectionSteps);
    add(kTips);
    add(kDialogNeeds);
    add(need::kPickerModelButtons);
    add(need::kPickerBarTexts);
    add(need::kPickerBarImages);
    add(need::kEdit3dTransFields);
    add(need::kEditCameraFields);
    add(need::kEditObjAttrsFields);
    add(need::kEditObjAttrsChecks);
    add(need::kLightSliderFrames);
    add(kSelectionEditorNeeds);
    add(need::kFamilyChiclets);
    add(need::kReplicateFields);
    add(kConfirmationNeeds);
    add(kDocumentDialogNeeds);
    add(need::kDocSetupFields);
    add(need::kDocSizes);
    add(need::kRenderResButtons);
    add(need::kRenderResTitles);
    add(need::kExportFields);
    add(need::kIOProgressElements);
    return all;
  }();
  return {kAll.data(), uint32_t(kAll.size())};
}
