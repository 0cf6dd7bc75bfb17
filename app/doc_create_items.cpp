// The create palette's items: each name runs its create operation, and the new object, selected
// alone, becomes one undoable creation. "2d pict" asks the picture textures dialog for a picture
// first; its reply makes an upright face of the picture's proportions.
#include <cstring>
#include <new>

#include "app/doc_window.h"
#include "editing/create_action.h"
#include "editing/document.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "editors/material/pict_textures.h"
#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"

namespace {

using CreateOperation = int32_t (*)(CDocWindow&);

struct SCreateItem {
  const char* name;
  CreateOperation create;
};

// Compared in this order: "stretched cone" comes before "squashed cone".
constexpr SCreateItem kCreateItems[] = {
    {"water plane", [](CDocWindow& w) { return w.CreateWaterPlane(); }},
    {"cloud plane", [](CDocWindow& w) { return w.CreateCloudPlane(); }},
    {"ground plane", [](CDocWindow& w) { return w.CreateGroundPlane(); }},
    {"terrain", [](CDocWindow& w) { return w.CreateTerrain(); }},
    {"stone", [](CDocWindow& w) { return w.CreateStone(); }},
    {"sym lattice", [](CDocWindow& w) { return w.CreateSymLattice(); }},
    {"sphere", [](CDocWindow& w) { return w.CreateSphere(); }},
    {"ellipsoid", [](CDocWindow& w) { return w.CreateEllipsoid(); }},
    {"squashed sphere", [](CDocWindow& w) { return w.CreateSquashedSphere(); }},
    {"torus", [](CDocWindow& w) { return w.CreateTorus(); }},
    {"tuboid", [](CDocWindow& w) { return w.CreateTuboid(); }},
    {"cylinder", [](CDocWindow& w) { return w.CreateCylinder(); }},
    {"squashed cylinder", [](CDocWindow& w) { return w.CreateSquashedCylinder(); }},
    {"stretched cylinder", [](CDocWindow& w) { return w.CreateStretchedCylinder(); }},
    {"cube", [](CDocWindow& w) { return w.CreateCube(); }},
    {"brickoid", [](CDocWindow& w) { return w.CreateBrickoid(); }},
    {"stretched cube", [](CDocWindow& w) { return w.CreateStretchedCube(); }},
    {"pyramid", [](CDocWindow& w) { return w.CreatePyramid(); }},
    {"squashed pyramid", [](CDocWindow& w) { return w.CreateSquashedPyramid(); }},
    {"stretched pyramid", [](CDocWindow& w) { return w.CreateStretchedPyramid(); }},
    {"cone", [](CDocWindow& w) { return w.CreateCone(); }},
    {"stretched cone", [](CDocWindow& w) { return w.CreateStretchedCone(); }},
    {"squashed cone", [](CDocWindow& w) { return w.CreateSquashedCone(); }},
    {"2d Hdisk", [](CDocWindow& w) { return w.CreateHorizontalDisk(); }},
    {"2d Vdisk", [](CDocWindow& w) { return w.CreateVerticalDisk(); }},
    {"2d pict", nullptr},
    {"2d Hface", [](CDocWindow& w) { return w.CreateHorizontalFace(); }},
    {"2d Vface", [](CDocWindow& w) { return w.CreateVerticalFace(1.0); }},
    {"radial light", [](CDocWindow& w) { return w.CreateRadialLight(); }},
    {"spotlight", [](CDocWindow& w) { return w.CreateSpotLight(); }},
    {"square spotlight", [](CDocWindow& w) { return w.CreateSquareSpotLight(); }},
    {"parallel light",
     [](CDocWindow& w) {
       CAppl* app = GetApplication();
       return app && app->IsControlDown() ? w.CreateCylinderLight() : w.CreateParallelLight();
     }},
};
static_assert(sizeof kCreateItems / sizeof kCreateItems[0] == 32);

// The name the window gives the picture textures dialog to reply under.
constexpr const char* kPictureReplyName = "doc window";
constexpr const char* kPictureDialogCanvas = "picttextures";
constexpr uint32_t kPictureWidthWord = 4;
constexpr uint32_t kPictureHeightWord = 5;

bool Is(const char* text, const char* name) { return text && std::strcmp(text, name) == 0; }

}  // namespace

int32_t CDocWindow::HandleCreateItem(CUIMessage* message) {
  if (!message) return kNoErr;
  CreateOperation create = nullptr;
  bool known = false;
  for (const SCreateItem& item : kCreateItems) {
    if (!Is(message->elementName, item.name)) continue;
    known = true;
    create = item.create;
    break;
  }
  int32_t created = kNoErr;
  if (known && !create) {
    // "2d pict": the face comes with the dialog's reply; nothing is recorded now.
    if (!fPictTextures) return kNoErr;
    if (fPictTextures->BuildOnce() != kNoErr) return kErrGeneric;
    fPictTextures->SetContext(kPictureReplyName, fDefaultMaterial, nullptr, 0);
    fPictTextures->RefreshSlots(nullptr);
    fPictTextures->Refresh(false);
    return kHandled;
  }
  if (known) {
    created = create(*this);
  } else if (Is(message->canvasName, kPictureDialogCanvas) && Is(message->elementName, kPictureReplyName)) {
    const int32_t width = message->GetPayloadWord(kPictureWidthWord);
    const int32_t height = message->GetPayloadWord(kPictureHeightWord);
    // A picture without a side has no proportions.
    if (width <= 0 || height <= 0) return kErrInvalidParameter;
    created = CreateVerticalFace(double(width) / double(height));
  } else {
    return kNoErr;
  }
  if (created) return created;

  // One undo step lists every object the operation left selected.
  auto* action = new (std::nothrow) CCreateAction(fScene.get());
  if (!action) return kErrOutOfMemory;
  CSelection& selection = fDocument->GetSelection();
  for (uint32_t i = 0; i < selection.GetCount(); ++i) {
    if (!action->AddObject(selection.GetObject(i))) {
      delete action;
      return kErrOutOfMemory;
    }
  }
  if (const int32_t err = fDocument->GetUndoHistory().Push(action)) return err;
  return kHandled;
}
