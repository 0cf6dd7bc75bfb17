#include "panels/layout_needs.h"

#include <cstddef>
#include <iterator>

namespace {

constexpr SLayoutNeed CreateItem(const char* name) {
  return {SLayoutNeed::kElement, "createpalette.dat", name, 0, "create palette", SLayoutNeed::kImageElement};
}

}  // namespace

namespace need {

const SDialogNeeds kAddPreset = DialogNeeds("addpreset.dat", "add preset");
const SDialogNeeds kColorPicker = DialogNeeds("colorpicker.dat", "color picker");
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
const SDialogNeeds kDeletePreset = DialogNeeds("deletepreset.dat", "delete preset");
const SLayoutNeed kDisplayPalette{SLayoutNeed::kCanvas, "displaypalette.dat", "display palette"};
const SDialogNeeds kDocSetup = DialogNeeds("docsetup.dat", "doc setup");
const SDialogNeeds kEdit3dTrans = DialogNeeds("edit3dtrans.dat", "edit 3dtrans");
const SDialogNeeds kEditCamera = DialogNeeds("editcamera.dat", "edit camera");
const SDialogNeeds kEditFamily = DialogNeeds("editfamily.dat", "edit family");
const SDialogNeeds kEditLight = DialogNeeds("editlight.dat", "edit light");
const SDialogNeeds kEditObjAttrs = DialogNeeds("editobjattrs.dat", "edit objattrs");
const SLayoutNeed kEditPalette{SLayoutNeed::kCanvas, "editpalette.dat", "edit palette"};
const SDialogNeeds kEditPoly = DialogNeeds("editpoly.dat", "edit poly");
const SDialogNeeds kEditTori = DialogNeeds("edittori.dat", "edit tori");
const SDialogNeeds kExportRender = DialogNeeds("exportrender.dat", "export render");
const SLayoutNeed kNanoEditor{SLayoutNeed::kCanvas, "docwindow.dat", "nano editor"};
const SLayoutNeed kNanoEditorImage{SLayoutNeed::kElement, "docwindow.dat", "nano editor image", 0, "nano editor",
                                   SLayoutNeed::kImageElement};
const SDialogNeeds kPrefs = DialogNeeds("prefs.dat", "Preferences");
const SDialogNeeds kReplicate = DialogNeeds("replicate.dat", "replicate");
const SLayoutNeed kRevertChanges{SLayoutNeed::kCanvas, "saverevert.dat", "revert changes"};
const SLayoutNeed kSaveChanges{SLayoutNeed::kCanvas, "saverevert.dat", "save changes"};
const SLayoutNeed kSelectionPalette{SLayoutNeed::kCanvas, "selectionpalette.dat", "selection palette"};
const SDialogNeeds kTextEditPopup = DialogNeeds("materialcomposer.dat", "text edit popup");
const SLayoutNeed kQuestionTexts{
    SLayoutNeed::kTextList, "system.dat", "question texts", 0, nullptr, SLayoutNeed::kAnyElement, 2};

}  // namespace need

SLayoutNeedTable PanelsLayoutNeeds() {
  static const SLayoutNeed* const kNeeds[] = {
      &need::kAddPreset.canvas,     &need::kAddPreset.ok,         &need::kAddPreset.cancel,
      &need::kColorPicker.canvas,   &need::kColorPicker.ok,       &need::kColorPicker.cancel,
      &need::kCreatePalette,        &need::kDeletePreset.canvas,  &need::kDeletePreset.ok,
      &need::kDeletePreset.cancel,  &need::kDisplayPalette,       &need::kDocSetup.canvas,
      &need::kDocSetup.ok,          &need::kDocSetup.cancel,      &need::kEdit3dTrans.canvas,
      &need::kEdit3dTrans.ok,       &need::kEdit3dTrans.cancel,   &need::kEditCamera.canvas,
      &need::kEditCamera.ok,        &need::kEditCamera.cancel,    &need::kEditFamily.canvas,
      &need::kEditFamily.ok,        &need::kEditFamily.cancel,    &need::kEditLight.canvas,
      &need::kEditLight.ok,         &need::kEditLight.cancel,     &need::kEditObjAttrs.canvas,
      &need::kEditObjAttrs.ok,      &need::kEditObjAttrs.cancel,  &need::kEditPalette,
      &need::kEditPoly.canvas,      &need::kEditPoly.ok,          &need::kEditPoly.cancel,
      &need::kEditTori.canvas,      &need::kEditTori.ok,          &need::kEditTori.cancel,
      &need::kExportRender.canvas,  &need::kExportRender.ok,      &need::kExportRender.cancel,
      &need::kNanoEditor,           &need::kNanoEditorImage,      &need::kPrefs.canvas,         &need::kPrefs.ok,
      &need::kPrefs.cancel,         &need::kReplicate.canvas,     &need::kReplicate.ok,
      &need::kReplicate.cancel,     &need::kRevertChanges,        &need::kSaveChanges,
      &need::kSelectionPalette,     &need::kTextEditPopup.canvas, &need::kTextEditPopup.ok,
      &need::kTextEditPopup.cancel, &need::kQuestionTexts,
  };
  static const SLayoutNeed* const* const kAll = [] {
    static const SLayoutNeed* all[std::size(kNeeds) + need::kCreateItemCount];
    size_t n = 0;
    for (const SLayoutNeed* entry : kNeeds) all[n++] = entry;
    for (const SLayoutNeed& item : need::kCreateItems) all[n++] = &item;
    return all;
  }();
  return {kAll, uint32_t(std::size(kNeeds) + need::kCreateItemCount)};
}
