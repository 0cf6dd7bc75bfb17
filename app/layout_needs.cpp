#include "app/layout_needs.h"

#include <vector>

namespace need {

namespace {

constexpr SLayoutNeed File(const char* name) { return {SLayoutNeed::kFile, name, name}; }

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
const SLayoutNeed kControlPalette{SLayoutNeed::kCanvas, "controlpalette.dat", "control palette"};
const SDialogNeeds kReportRender = DialogNeeds("reportrender.dat", "report render time", true, false);
const SLayoutNeed kSplashscreen{SLayoutNeed::kCanvas, "splashscreen.dat", "splashscreen"};
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
    needs.insert(needs.end(), {&need::kDocWindow, &need::kDocImage, &need::kDocText, &need::kControlPalette,
                               &need::kReportRender.canvas, &need::kReportRender.ok, &need::kSplashscreen});
    return needs;
  }();
  return {kNeeds.data(), uint32_t(kNeeds.size())};
}
