// The document window's lazy redraw: Invalidate sets dirty bits, Redraw works through them in the
// fixed order view, class reset, scene layer, screen copy; and the overlay buttons beside the
// selection, laid out and drawn into the window image with the scene layer.
#include <algorithm>

#include "app/doc_window.h"
#include "editing/document.h"
#include "editing/selection.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/geometry.h"
#include "framework/ui/im_element.h"
#include "panels/nano_editor.h"
#include "scene/base_sys.h"
#include "scene/object.h"
#include "scene/object_family.h"

namespace {

// The drawing passes of the overlay buttons: the host canvas's layers.
constexpr uint32_t kButtonPasses = 3;
// Neighbouring overlay buttons overlap by this much.
constexpr int32_t kButtonOverlap = 2;
constexpr uint32_t kMixedFamilyColour = 0x808080;

// The buttons in stacking order, each with the mask bit that shows it; the ungroup button only when
// the group button is not shown.
struct SStackedButton {
  uint32_t bit;
  uint32_t button;
};
constexpr SStackedButton kStackOrder[] = {
    {CSelection::kAttributesButton, CDocWindow::kAttributesChiclet},
    {CSelection::kFamilyButton, CDocWindow::kFamilyChiclet},
    {CSelection::kMaterialButton, CDocWindow::kMaterialChiclet},
    {CSelection::kEditButton, CDocWindow::kEditChiclet},
    {CSelection::kGroupButton, CDocWindow::kGroupChiclet},
    {CSelection::kUngroupButton, CDocWindow::kUngroupChiclet},
    {CSelection::kLandDownButton, CDocWindow::kLandDownChiclet},
    {CSelection::kLandUpButton, CDocWindow::kLandUpChiclet},
};

}  // namespace

void CDocWindow::Invalidate(bool viewChanged) {
  if (fMode & kRenderedShown) {
    fMode = (fMode & ~kRenderedShown) | kWireframeShown;
    LayoutOverlayButtons();
    PlaceImageElement(false);
    CLayoutHostCanvas::Invalidate(nullptr);
    fInfoShown = 0;
  }
  fDirty |= kDirtyRedraw | (viewChanged ? kDirtyView : 0u) | kDirtyLayer | kDirtyScreen;
  fRedrawFailed = false;
}

int32_t CDocWindow::Redraw(bool force) {
  CImElement* live = LivePreviewTarget(force);
  CImage* target = live ? live->GetImage() : fWindowImage;
  if (!target) return kErrOutOfMemory;
  CImNavigator resident(target, nullptr, false, false);
  if (!resident.IsUsable()) return kErrOutOfMemory;
  BindView(target);
  if (fDirty & kDirtyView) {
    if (const int32_t err = RedrawView()) return err;
    fDirty &= ~kDirtyView;
  }
  if (fDirty & kDirtyClasses) {
    if (const int32_t err = ResetClasses()) return err;
    fDirty &= ~kDirtyClasses;
  }
  if (fDirty & kDirtyLayer) {
    if (const int32_t err = DrawSceneLayer(target)) return err;
    fDirty &= ~kDirtyLayer;
  }
  if (live) {
    // The nano editor paints its own picture.
    if (fDirty & kDirtyScreen) {
      live->Redraw(false);
      fNanoEditor->UpdateNow();
    }
    fDirty &= ~kDirtyScreen;
  } else if ((fDirty & kDirtyScreen) && IsShown()) {
    CopyToScreen(target, DocImageRect());
    ForgetHoverFrames();
    fDirty &= ~kDirtyScreen;
  }
  fDirty = 0;
  return kNoErr;
}

void CDocWindow::BindView(CImage* target) {
  fView.SetImage(target);
  fView.SetCamera(fCurrentCamera);
}

int32_t CDocWindow::RedrawView() { return fView.UpdateFromCamera(); }

// At the view's details, which the display palette's resolution menus choose.
int32_t CDocWindow::ResetClasses() { return fView.ResetClassMeshes(); }

// The background (the rendered image when it is the backdrop), the scene in wireframe, and, when not
// dragging, the overlay buttons.
int32_t CDocWindow::DrawSceneLayer(CImage* target) {
  CHolder scene(fScene.get(), false, false);
  if (!fScene || !scene.IsLocked()) return kErrOutOfMemory;
  // The live preview has a background of its own, and no overlay buttons.
  const bool windowImage = target == fWindowImage;
  if ((fMode & kRenderedBackdrop) && fRenderedImage && windowImage) target->CopyFrom(fRenderedImage);
  else fView.ClearBackground();
  CAppl* app = GetApplication();
  const bool dragging = fDragging != 0;
  if (!dragging && app) app->SetBusyCursor();
  const int32_t err = DrawSceneWireframe(fView, dragging);
  if (!dragging && app) app->SetArrowCursor();
  scene.Release();
  if (err) return err;
  if (!dragging && windowImage) {
    LayoutOverlayButtons();
    DrawOverlayButtons();
  }
  return kNoErr;
}

void CDocWindow::CopyToScreen(CImage* target, const SRect& rect) {
  target->Draw(GetDeviceContext(), target->GetBounds(), rect);
}

SPointHV CDocWindow::ProjectPoint(const vector3<double>& point) const {
  int32_t x = 0, y = 0;
  fView.ProjectToPixel(point, fView.GetWorldToCamera(), x, y);
  return {x, y};
}

// ---- the overlay buttons

uint32_t CDocWindow::SelectedFamily() {
  CSelection& selection = fDocument->GetSelection();
  uint32_t family = kMixedFamilies;
  for (uint32_t i = 0; i < selection.GetCount(); ++i) {
    const C3dObject* object = selection.GetObject(i);
    if (!object) continue;
    const uint32_t own = object->GetCreationWord(0);
    if (family == kMixedFamilies) family = own;
    else if (own != family) return kMixedFamilies;
  }
  return family;
}

void CDocWindow::LayoutOverlayButtons() {
  for (CImElement* button : fOverlayButtons) {
    if (button && button->IsShown()) button->Hide(false);
  }
  CSelection& selection = fDocument->GetSelection();
  if ((fMode & kRenderedShown) || selection.GetCount() == 0) return;
  uint32_t mask = 0;
  const int32_t count = int32_t(selection.GetButtonMask(&mask));
  CImElement* stepButton = fOverlayButtons[kAttributesChiclet];
  const int32_t step = stepButton ? RectHeight(stepButton->GetRect()) : 0;
  int32_t x = fView.GetLabelX(), y = fView.GetLabelY();
  const int32_t imageHeight = GetWindowImageSize().v;
  if (y + count * step > imageHeight) y = imageHeight - count * step;
  for (const SStackedButton& stacked : kStackOrder) {
    if (!(mask & stacked.bit)) continue;
    if (stacked.button == kUngroupChiclet && (mask & CSelection::kGroupButton)) continue;
    CImElement* button = fOverlayButtons[stacked.button];
    if (!button) continue;
    if (stacked.button == kFamilyChiclet) {
      const uint32_t family = SelectedFamily();
      button->SetUserWord(0, family);
      const uint32_t colour = family < kFamilyCount ? FamilyColour(int32_t(family)) : kMixedFamilyColour;
      button->SetFillColor(CImVector{0xFF000000 | colour}, false);
    }
    button->MoveTo({x, y}, false);
    button->Show(false);
    y += RectHeight(button->GetRect()) - kButtonOverlap;
  }
}

void CDocWindow::DrawOverlayButtons() {
  if (!fWindowImage || std::none_of(std::begin(fOverlayButtons), std::end(fOverlayButtons),
                                    [](const CImElement* b) { return b && b->IsShown(); }))
    return;
  CSgStSaver saved(fWindowImage);
  for (CImElement* button : fOverlayButtons) {
    if (!button || !button->IsShown()) continue;
    SPointHV origin;
    button->ParentToLocalPoint(&origin, {0, 0});
    SRect local;
    button->GetLocalRect(&local);
    fWindowImage->SetOrigin(origin.h, origin.v);
    fWindowImage->SetClip(OffsetRect(local, -origin.h, -origin.v));
    for (uint32_t pass = 0; pass < kButtonPasses; ++pass) button->Draw(pass, fWindowImage, false);
  }
}
