#include "app/layout_needs.h"

#include <vector>

namespace need {

namespace {

constexpr SLayoutNeed File(const char* name) { return {SLayoutNeed::kFile, name, name}; }
constexpr SLayoutNeed ReportText(const char* name) {
  return {SLayoutNeed::kElement, "reportrender.dat", name, 0, "report render time", SLayoutNeed::kTextElement};
}
constexpr SLayoutNeed DocImageChild(const char* name) {
  return {SLayoutNeed::kElement, "docwindow.dat", name, 0, "doc window", SLayoutNeed::kImageElement};
}
constexpr SLayoutNeed ControlElement(const char* name,
                                     SLayoutNeed::EElementKind kind = SLayoutNeed::kImageElement) {
  return {SLayoutNeed::kElement, "controlpalette.dat", name, 0, "control palette", kind};
}
constexpr SLayoutNeed ControlHelp(const char* name) {
  return {SLayoutNeed::kTextList, "controlpalette.dat", name, 0, nullptr, SLayoutNeed::kAnyElement, 2};
}
constexpr SLayoutNeed ControlMenu(uint32_t number) { return {SLayoutNeed::kMenu, "menus.dat", nullptr, number}; }

}  // namespace

const SLayoutNeed kLayoutFiles[kLayoutFileCount] = {
    File("splashscreen.dat"),   File("docwindow.dat"),     File("controlpalette.dat"), File("createpalette.dat"),
    File("editpalette.dat"),    File("skyfogpalette.dat"), File("selectionpalette.dat"),
    File("displaypalette.dat"), File("menus.dat"),         File("materialcomposer.dat"), File("replicate.dat"),
    File("saverevert.dat"),     File("docsetup.dat"),      File("textures.dat"),       File("editskyfog.dat"),
    File("terraineditor.dat"),  File("objmatpresets.dat"), File("skyfogpresets.dat"),  File("editcamera.dat"),
    File("edit3dtrans.dat"),    File("editlight.dat"),     File("picttextures.dat"),   File("editobjattrs.dat"),
    File("addpreset.dat"),      File("deletepreset.dat"),  File("edit3dtexture.dat"),  File("colorpicker.dat"),
    File("editpoly.dat"),       File("edittori.dat"),      File("reportrender.dat"),   File("editfamily.dat"),
    File("exportrender.dat"),   File("DTEditors.dat"),     File("prefs.dat"),
};

const SLayoutNeed kDocWindow{SLayoutNeed::kCanvas, "docwindow.dat", "doc window"};
const SLayoutNeed kDocImage{SLayoutNeed::kElement, "docwindow.dat", "doc image", 0, "doc window",
                            SLayoutNeed::kImageElement};
const SLayoutNeed kDocText{SLayoutNeed::kTextList, "docwindow.dat", "doc text", 0, nullptr,
                           SLayoutNeed::kAnyElement, 1};
const SLayoutNeed kPresetFolder{SLayoutNeed::kTextList, "docwindow.dat", nullptr, 100, nullptr,
                                SLayoutNeed::kAnyElement, 1};
const SLayoutNeed kPresetLibraries{SLayoutNeed::kTextList, "docwindow.dat", nullptr, 101, nullptr,
                                   SLayoutNeed::kAnyElement, 5};
const SLayoutNeed kOverlayButtons[kOverlayButtonCount] = {
    DocImageChild("mat chiclet"),   DocImageChild("attr chiclet"),   DocImageChild("edit chiclet"),
    DocImageChild("group chiclet"), DocImageChild("ungroup chiclet"), DocImageChild("family chiclet"),
    DocImageChild("land up chiclet"), DocImageChild("land down chiclet"),
};
const SLayoutNeed kPatchRender = DocImageChild("patch render");
const SLayoutNeed kPatchRenderPictures{SLayoutNeed::kImageList, "docwindow.dat", "patch render", 0, nullptr,
                                       SLayoutNeed::kAnyElement, 3};
const SLayoutNeed kDefaultPicture{SLayoutNeed::kPicture, "docwindow.dat", "leo"};
const SLayoutNeed kRegionTint{SLayoutNeed::kPicture, "docwindow.dat", "region tint", 106};
const SLayoutNeed kBackdrops[kBackdropCount] = {
    {SLayoutNeed::kPicture, "docwindow.dat", "backdrop paper", 100},
    {SLayoutNeed::kPicture, "docwindow.dat", "backdrop spray", 101},
    {SLayoutNeed::kPicture, "docwindow.dat", "backdrop grid", 102},
    {SLayoutNeed::kPicture, "docwindow.dat", "backdrop pad", 103},
    {SLayoutNeed::kPicture, "docwindow.dat", "backdrop graph paper", 104},
    {SLayoutNeed::kPicture, "docwindow.dat", "backdrop green", 105},
};
const SLayoutNeed kDocContextMenu{SLayoutNeed::kMenu, "docwindow.dat", nullptr, 150};
const SLayoutNeed kWarnings{SLayoutNeed::kTextList, "system.dat", "warnings_", 0, nullptr, SLayoutNeed::kAnyElement, 1};
const SLayoutNeed kCloudTextureNames{SLayoutNeed::kTextList, "textures.dat", "cloud texture names", 0, nullptr,
                                     SLayoutNeed::kAnyElement, 2};
const SLayoutNeed kImageInfo{SLayoutNeed::kTextList, "docwindow.dat", "image info", 0, nullptr,
                             SLayoutNeed::kAnyElement, 6};
const SLayoutNeed kControlPalette{SLayoutNeed::kCanvas, "controlpalette.dat", "control palette"};
const SLayoutNeed kControlBackground = ControlElement("control palette background");
const SLayoutNeed kNanoPreview = ControlElement("nano preview");
const SLayoutNeed kViewControl = ControlElement("view control");
const SLayoutNeed kFlyThroughControl = ControlElement("fly through control", SLayoutNeed::kAnyElement);
const SLayoutNeed kCameraControls[kCameraControlCount] = {
    ControlElement("trackball control"), ControlElement("camera YZ control"), ControlElement("camera XY control"),
    ControlElement("camera XZ control"), ControlElement("banking button"),    ControlElement("field of view button"),
};
const SLayoutNeed kRenderButtons[kRenderButtonCount] = {
    ControlElement("render all button"),
    ControlElement("clear & render button"),
    ControlElement("resume render button"),
};
const SLayoutNeed kOptionMenuButtons[kOptionMenuCount] = {
    ControlElement("nano preview options menu"), ControlElement("view options menu"),
    ControlElement("camera options menu"),       ControlElement("trackball options menu"),
    ControlElement("render options menu"),
};
const SLayoutNeed kOptionMenus[kOptionMenuCount] = {ControlMenu(200), ControlMenu(201), ControlMenu(202),
                                                    ControlMenu(203), ControlMenu(204)};
const SLayoutNeed kTexturesButton = ControlElement("textures on/off button");
const SLayoutNeed kPreviewModeButton = ControlElement("preview mode button");
const SLayoutNeed kMultiplexContainer = ControlElement("multiplex text container", SLayoutNeed::kAnyElement);
const SLayoutNeed kTopMultiplexText = ControlElement("top multiplex text", SLayoutNeed::kTextElement);
const SLayoutNeed kBottomMultiplexText = ControlElement("bottom multiplex text", SLayoutNeed::kTextElement);
const SLayoutNeed kViewDots[kViewDotCount] = {
    ControlElement("view 0 dot"), ControlElement("view 1 dot"), ControlElement("view 2 dot"),
    ControlElement("view 3 dot"), ControlElement("view 4 dot"), ControlElement("view 5 dot"),
    ControlElement("view 6 dot"), ControlElement("view 7 dot"),
};
const SLayoutNeed kControlHelp[kControlHelpCount] = {
    ControlHelp("nano preview"), ControlHelp("view control"), ControlHelp("trackball control"),
    ControlHelp("camera XY control"), ControlHelp("camera XZ control"), ControlHelp("camera YZ control"),
    ControlHelp("banking button"), ControlHelp("field of view button"), ControlHelp("render all button"),
    ControlHelp("clear & render button"), ControlHelp("resume render button"),
    ControlHelp("nano preview options menu"), ControlHelp("view options menu"), ControlHelp("camera options menu"),
    ControlHelp("render options menu"), ControlHelp("trackball options menu"),
    ControlHelp("textures on/off button"), ControlHelp("preview mode button"), ControlHelp("view 0 dot"),
    ControlHelp("view 1 dot"), ControlHelp("view 2 dot"), ControlHelp("view 3 dot"), ControlHelp("view 4 dot"),
    ControlHelp("view 5 dot"), ControlHelp("view 6 dot"), ControlHelp("view 7 dot"),
};
const SDialogNeeds kReportRender = DialogNeeds("reportrender.dat", "report render time", true, false);
const SLayoutNeed kReportTexts[kReportTextCount] = {
    ReportText("report doc title"),     ReportText("report time text"),   ReportText("report pixels rendered"),
    ReportText("report pixels antialiased"), ReportText("primary rays total"), ReportText("primary rays per pixel"),
    ReportText("shadow rays total"),    ReportText("shadow rays per pixel"), ReportText("total rays total"),
    ReportText("total rays per pixel"), ReportText("ray hits total"),     ReportText("ray hits per pixel"),
    ReportText("ray misses total"),     ReportText("ray misses per pixel"), ReportText("intersects total"),
    ReportText("intersects per pixel"),
};
const SLayoutNeed kSplashscreen{SLayoutNeed::kCanvas, "splashscreen.dat", "splashscreen"};
const SLayoutNeed kSplashPicture{SLayoutNeed::kElement, "splashscreen.dat", "splash pict", 0, "splashscreen",
                                 SLayoutNeed::kImageElement};
const SLayoutNeed kAboutText{SLayoutNeed::kElement, "splashscreen.dat", "about text", 0, "splashscreen",
                             SLayoutNeed::kTextElement};
const SLayoutNeed kMenus[kMenuCount] = {
    {SLayoutNeed::kMenu, "menus.dat", nullptr, 2},
    {SLayoutNeed::kMenu, "menus.dat", nullptr, 3},
    {SLayoutNeed::kMenu, "menus.dat", nullptr, 4},
    {SLayoutNeed::kMenu, "menus.dat", nullptr, 5},
};

}  // namespace need

SLayoutNeedTable AppLayoutNeeds() {
  static const std::vector<const SLayoutNeed*> kNeeds = [] {
    std::vector<const SLayoutNeed*> needs;
    for (const SLayoutNeed& file : need::kLayoutFiles) needs.push_back(&file);
    for (const SLayoutNeed& menu : need::kMenus) needs.push_back(&menu);
    for (const SLayoutNeed& button : need::kOverlayButtons) needs.push_back(&button);
    for (const SLayoutNeed& text : need::kReportTexts) needs.push_back(&text);
    needs.insert(needs.end(), {&need::kPresetFolder, &need::kPresetLibraries, &need::kPatchRender,
                               &need::kPatchRenderPictures, &need::kDefaultPicture, &need::kRegionTint, &need::kDocContextMenu,
                               &need::kWarnings, &need::kCloudTextureNames});
    needs.insert(needs.end(), {&need::kDocWindow, &need::kDocImage, &need::kDocText, &need::kControlPalette,
                               &need::kReportRender.canvas, &need::kReportRender.ok, &need::kSplashscreen});
    needs.insert(needs.end(), {&need::kControlBackground, &need::kNanoPreview, &need::kViewControl,
                               &need::kFlyThroughControl, &need::kTexturesButton, &need::kPreviewModeButton,
                               &need::kMultiplexContainer, &need::kTopMultiplexText, &need::kBottomMultiplexText});
    auto add = [&](const auto& table) {
      for (const SLayoutNeed& need : table) needs.push_back(&need);
    };
    add(need::kCameraControls);
    add(need::kRenderButtons);
    add(need::kOptionMenuButtons);
    add(need::kOptionMenus);
    add(need::kViewDots);
    add(need::kControlHelp);
    add(need::kBackdrops);
    needs.push_back(&need::kImageInfo);
    needs.insert(needs.end(), {&need::kSplashPicture, &need::kAboutText});
    return needs;
  }();
  return {kNeeds.data(), uint32_t(kNeeds.size())};
}
