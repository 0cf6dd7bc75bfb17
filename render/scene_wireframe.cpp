#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "render/view.h"
#include "render/view_selection.h"
#include "scene/base.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/object.h"

namespace {

constexpr uint32_t kSelectedFront = 0x00FF0000;
constexpr uint32_t kSelectedShadow = 0x00B09090;
constexpr uint32_t kSelectionBoxFront = 0x00B09090;
constexpr uint32_t kHiddenHandle = 0x00000000;
constexpr uint32_t kShownHandle = 0x00906060;
// Wireframe colour indices above this take the view's own colours.
constexpr uint32_t kLastOwnColourIndex = 25;
// An object's shadow: its colour this far towards the background.
constexpr double kShadowFade = 0.8;
// Second flag word bits shown dashed, and their dash masks.
constexpr uint32_t kDashedShort = 16;
constexpr uint32_t kDashedLong = 32;
constexpr uint32_t kShortDashMask = 2;
constexpr uint32_t kLongDashMask = 4;
// The fast draw gives up detail as it takes longer; an interruptible draw looks for a click this often.
constexpr int64_t kCoarseTicks = 60;
constexpr int64_t kBoxesOnlyTicks = 120;
constexpr uint32_t kCoarseDetail = 2;
// An object no larger than this on screen is drawn from its reduced mesh: the full one would put a
// thousand lines into a few pixels, which makes a document of many small things slow to show.
constexpr double kSmallObjectPixels = 6;
constexpr int64_t kPollTicks = 20;
// Handles hidden by the camera's side of the box: one mask per face, x-min to z-max; all in box mode 1.
constexpr uint32_t kFaceHandles[6] = {0x1541, 0x2A82, 0x03C4, 0x3C08, 0x0CD0, 0x3320};
constexpr uint32_t kAllHandles = 0x7FFF;
constexpr int32_t kLabelOffset = 5;
constexpr int32_t kLabelMargin = 5;
constexpr int32_t kLabelRight = 20;
constexpr int32_t kLabelBottom = 75;

uint32_t FadeTowards(uint32_t colour, uint32_t background) {
  uint32_t out = 0;
  for (const int shift : {16, 8, 0}) {
    const double c = (colour >> shift & 0xFF) / 255.0, b = (background >> shift & 0xFF) / 255.0;
    out |= uint32_t((c + (b - c) * kShadowFade) * 255) << shift;
  }
  return out;
}

C3dObject* ObjectAt(C3dBaseSys& table, uint32_t row) {
  C3dBase* thing = table[row].object;
  return thing ? thing->AsObject() : nullptr;
}

// The handle points of a box, in the order the selection keeps them.
void HandlePoints(const C3dBox& box, vector3<double> (&points)[CViewSelection::kHandleCount]) {
  const vector3<double> lo = box.fMin, hi = box.fMax, mid = (lo + hi) * 0.5;
  points[0] = {lo.x, mid.y, mid.z};
  points[1] = {hi.x, mid.y, mid.z};
  points[2] = {mid.x, lo.y, mid.z};
  points[3] = {mid.x, hi.y, mid.z};
  points[4] = {mid.x, mid.y, lo.z};
  points[5] = {mid.x, mid.y, hi.z};
  for (int k = 0; k < 8; ++k) points[6 + k] = {k & 1 ? hi.x : lo.x, k & 4 ? hi.y : lo.y, k & 2 ? hi.z : lo.z};
  points[14] = mid;
}

}  // namespace

// One scene draw: the steps share the view, the locked table, the clock and the selection box.
class CSceneWireframe {
 public:
  CSceneWireframe(CView& view, C3dBaseSys& table, bool fast)
      : fView(view),
        fTable(table),
        fMatrix(view.GetWorldToCamera()),
        fFast(fast),
        fEntryFront(view.fStyle.front),
        fEntryShadow(view.fStyle.shadow) {
    fTimer.Start();
  }

  void Draw() {
    if (fView.fStyle.ground) fView.DrawHorizon();
    MeasureDepths();
    BeginSelection();
    if (fView.fStyle.shadows) DrawPass(true);
    DrawPass(false);
    fView.fShadowPass = false;
    FinishSelection();
    fView.fStyle.shadow = fEntryShadow;
    fView.fStyle.dashMask = 0;
    if (fView.fSelectionPresent && !fFast && fView.fSelection) DrawSelection();
    fView.fInterruptible = false;
    fView.fStyle.front = fEntryFront;
  }

 private:
  // Each bounded object's view depth, and with depth cue the range of them all. Unbounded objects
  // have infinite bounds, which would leave the range without meaning.
  void MeasureDepths() {
    double nearest = std::numeric_limits<double>::infinity(), farthest = -nearest;
    for (uint32_t row = 0; row < fTable.GetCount(); ++row) {
      C3dObject* object = ObjectAt(fTable, row);
      if (!object || object->IsUnbounded()) continue;
      const C3dBox box = object->WorldBox();
      double depth = 0;
      for (int i = 0; i < 8; ++i) {
        const vector3<double> corner{i & 1 ? box.fMax.x : box.fMin.x, i & 2 ? box.fMax.y : box.fMin.y,
                                     i & 4 ? box.fMax.z : box.fMin.z};
        depth = fMatrix.TransformPoint(corner).z;
        if (!std::isfinite(depth)) continue;
        nearest = std::min(nearest, depth);
        farthest = std::max(farthest, depth);
      }
      object->SetViewDepth(depth);
    }
    if (!fView.fStyle.depthCue) return;
    if (nearest > farthest) nearest = farthest = 0;
    fView.fDepthNear = nearest;
    fView.fDepthFar = farthest;
    fView.fDepthScale = fView.fStyle.depthCueStrength / std::max(farthest - nearest, 1.0);
  }

  // A single selected object in box mode 1 has its box in its own coordinates.
  void BeginSelection() {
    fSelectionBox = C3dBox::Empty();
    fSelectionCount = 0;
    CViewSelection* selection = fView.fSelection;
    fOwnBoxObject = nullptr;
    if (selection && selection->GetBoxMode() == 1 && selection->GetCount() == 1) fOwnBoxObject = selection->GetObject(0);
    fSelectionMatrix = fOwnBoxObject ? fOwnBoxObject->GetObjectToWorld() : C34Matrix();
  }

  void DrawPass(bool shadowPass) {
    fView.fShadowPass = shadowPass;
    for (uint32_t row = 0; row < fTable.GetCount(); ++row) {
      C3dObject* object = ObjectAt(fTable, row);
      if (object && !(object->GetFlags() & C3dObject::kNotDrawn)) DrawObject(*object, !shadowPass);
    }
  }

  void DrawObject(C3dObject& object, bool objectPass) {
    SViewStyle& style = fView.fStyle;
    const bool selected = object.IsSelectedInHierarchy() && object.GetFamily() != C3dCamera::kFamily;
    uint32_t detail = style.detail;
    if (selected) {
      detail = style.selectedDetail;
      style.front = kSelectedFront;
      style.shadow = kSelectedShadow;
      if (objectPass) AddToSelection(object);
    } else if (object.GetCreationWord(0) > kLastOwnColourIndex) {
      style.front = fEntryFront;
      style.shadow = fEntryShadow;
    } else {
      style.front = object.GetCreationWord(1);
      style.shadow = FadeTowards(style.front, style.background);
    }
    detail = FastDetail(detail);
    const uint32_t dashed = object.GetStateFlags();
    style.dashMask = dashed & kDashedShort ? kShortDashMask : dashed & kDashedLong ? kLongDashMask : 0;
    const bool reduced =
        fFast || (!object.IsUnbounded() && fView.IsSmallOnScreen(object.WorldBox(), fMatrix, kSmallObjectPixels));
    if (detail == 0 || !object.DrawWireframe(&fView, fMatrix, detail, reduced))
      fView.DrawBox(object.LocalBox(), object.GetObjectToWorld(), fMatrix);
  }

  void AddToSelection(C3dObject& object) {
    ++fSelectionCount;
    if (!fOwnBoxObject) fSelectionBox.Union(object.WorldBox());
    else if (&object == fOwnBoxObject) fSelectionBox.Union(object.LocalBox());
  }

  // The detail of the next object: the fast detail coarsening with time, or, in an interruptible draw,
  // a click switching the rest of the draw to fast mode.
  uint32_t FastDetail(uint32_t detail) {
    const int64_t ticks = fTimer.ElapsedTicks();
    if (!fFast && fView.fInterruptible && ticks - fLastPoll >= kPollTicks) {
      fLastPoll = ticks;
      CAppl* app = GetApplication();
      if (app && app->IsClickPending()) fFast = fInterrupted = true;
    }
    if (!fFast) return detail;
    detail = fInterrupted ? std::min(fView.fStyle.fastDetail, kCoarseDetail) : fView.fStyle.fastDetail;
    if (ticks > kCoarseTicks) detail = std::min(detail, kCoarseDetail);
    if (ticks > kBoxesOnlyTicks) detail = 0;
    return detail;
  }

  void FinishSelection() {
    fView.fSelectionPresent = fSelectionCount > 0;
    if (!fView.fSelectionPresent) return;
    const vector3<double> centre = (fSelectionBox.fMin + fSelectionBox.fMax) * 0.5;
    fView.fSelectionCentre = fSelectionMatrix.TransformPoint(centre);
    fView.ProjectToPixel(fView.fSelectionCentre, fMatrix, fView.fSelectionCentreX, fView.fSelectionCentreY);
  }

  void DrawSelection() {
    SViewStyle& style = fView.fStyle;
    if (style.shadows) {
      fView.fShadowPass = true;
      fView.DrawBox(fSelectionBox, fSelectionMatrix, fMatrix);
      fView.fShadowPass = false;
    }
    style.front = kSelectionBoxFront;
    fView.DrawBox(fSelectionBox, fSelectionMatrix, fMatrix);

    CViewSelection& selection = *fView.fSelection;
    vector3<double> points[CViewSelection::kHandleCount];
    HandlePoints(fSelectionBox, points);
    int32_t x[CViewSelection::kHandleCount], y[CViewSelection::kHandleCount];
    for (uint32_t i = 0; i < CViewSelection::kHandleCount; ++i) {
      const vector3<double> world = fSelectionMatrix.TransformPoint(points[i]);
      fView.ProjectToPixel(world, fMatrix, x[i], y[i]);
      selection.SetHandle(i, x[i], y[i], world);
    }
    const uint32_t hidden = HiddenHandleMask(fSelectionBox, fView.fPosition, selection.GetBoxMode());
    const int32_t half = selection.GetHandleSize() / 2;
    int32_t label = 0;
    for (uint32_t i = 0; i < CViewSelection::kHandleCount; ++i) {
      style.pen = hidden & (1u << i) ? kHiddenHandle : kShownHandle;
      for (int32_t row = y[i] - half; row <= y[i] + half; ++row)
        fView.DrawLine2d(float(x[i] - half), float(row), float(x[i] + half), float(row));
      if (x[i] >= x[label]) label = int32_t(i);
    }
    fView.fLabelX = std::min(std::max(x[label] + kLabelOffset, kLabelMargin), fView.fWidth - kLabelRight);
    fView.fLabelY = std::min(std::max(y[label], kLabelMargin), fView.fHeight - kLabelBottom);
  }

  CView& fView;
  C3dBaseSys& fTable;
  const C34Matrix fMatrix;
  CTimer fTimer;
  int64_t fLastPoll = 0;
  bool fFast;
  bool fInterrupted = false;
  const uint32_t fEntryFront;
  const uint32_t fEntryShadow;
  C3dBox fSelectionBox;
  C34Matrix fSelectionMatrix;
  C3dObject* fOwnBoxObject = nullptr;
  uint32_t fSelectionCount = 0;
};

uint32_t HiddenHandleMask(const C3dBox& box, const vector3<double>& eye, uint32_t boxMode) {
  if (boxMode == 1) return kAllHandles;
  uint32_t mask = 0;
  for (int axis = 0; axis < 3; ++axis) {
    if (eye[axis] < box.fMin[axis]) mask |= kFaceHandles[2 * axis];
    if (eye[axis] > box.fMax[axis]) mask |= kFaceHandles[2 * axis + 1];
  }
  return mask;
}

int32_t DrawSceneWireframe(CView& view, bool fast) {
  C3dBaseSys* table = view.GetObjectList();
  if (!table) return kNoErr;
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) return kNoErr;
  bool any = false;
  for (uint32_t row = 0; row < table->GetCount() && !any; ++row) any = ObjectAt(*table, row) != nullptr;
  if (!any) return kNoErr;
  CView::CImageHold hold(view);
  CSceneWireframe(view, *table, fast).Draw();
  return kNoErr;
}
