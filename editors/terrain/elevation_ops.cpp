// The elevation panel's buttons. A press keeps the current grid as the snapshot (also the undo copy),
// computes the operation's full result as the target, and lets the pointer decide how much of it
// reaches the current grid: a click applies it whole, a horizontal drag blends the snapshot toward
// it (or away from it) by the travel, a shape drag reshapes from the drag offset, an erosion drag
// erodes with every movement. With Space held the press prepares the brush instead.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "editors/terrain/editor_helpers.h"
#include "editors/terrain/height_grid_filters.h"
#include "editors/terrain/layout_needs.h"
#include "editors/terrain/terrain_3d_preview.h"
#include "editors/terrain/terrain_brush.h"
#include "editors/terrain/terrain_editor.h"
#include "editors/terrain/terrain_generators.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "scene/height_field.h"

using namespace terrain;

namespace {

// A press becomes a drag once the pointer is this far sideways from where it was pressed.
constexpr int32_t kDragThreshold = 2;
constexpr uint32_t kTargetDrops = 1500;
constexpr uint32_t kDragDrops = 500;
constexpr int32_t kErosionDepth = 24;
// The dampen brush paints a quarter of the way away from its target.
constexpr int32_t kDampenWeight = -64;
constexpr int32_t kPosterizeCount = 1100;
constexpr int32_t kMosaicCount = 10;
constexpr uint32_t kPictureSide = CTerrainEditor::kPreviewSide;
// The states of an elevation button's pictures: normal and pressed, switch off and on.
constexpr uint32_t kSwitchedEntry = 2;

enum EOperation : int32_t {
  kOpUndo,
  kOpNew,
  kOpInvert,
  kOpErode,
  kOpEroded,
  kOpFractal,
  kOpRaiseLower,
  kOpSmoothing,
  kOpSharpening,
  kOpGaussianEdges,
  kOpSquareEdges,
  kOpRoundEdges,
  kOpBasicNoise,
  kOpSlopeNoise,
  kOpHeightNoise,
  kOpPicture,
  kOpSpikes,
  kOpBlobMaker,
  kOpMounds,
  kOpReliefNoise,
  kOpDampen,
  kOpRaiseEdges,
  kOpEqualize,
  kOpSubplateaus,
  kOpPosterize,
  kOpCrossRidge,
  kOpSawtooth,
  kOpCrossRidge2,
  kOpSubcontours,
  kOpBubbleRidge,
  kOpNone,
};

// The operations of the "elev 2" buttons with the switch off and on; the others have one.
struct SSwitched {
  need::EElevationButton button;
  EOperation off;
  EOperation on;
};
constexpr SSwitched kSwitched[] = {
    {need::kElevSpikesBlobMaker, kOpSpikes, kOpBlobMaker},
    {need::kElevMoundsReliefNoise, kOpMounds, kOpReliefNoise},
    {need::kElevDampenRaiseEdges, kOpDampen, kOpRaiseEdges},
    {need::kElevEqualizeSubplateaus, kOpEqualize, kOpSubplateaus},
    {need::kElevPosterizeCrossRidge, kOpPosterize, kOpCrossRidge},
    {need::kElevSawtoothCrossRidge2, kOpSawtooth, kOpCrossRidge2},
    {need::kElevSubcontoursBubbleRidge, kOpSubcontours, kOpBubbleRidge},
};
static_assert(int32_t(need::kElevPicture) == kOpPicture && int32_t(need::kElevHeightNoise) == kOpHeightNoise,
              "the single buttons are numbered as their operations");

EOperation OperationOf(const char* name, bool switchOn) {
  for (uint32_t i = 0; name && i < need::kElevationButtonCount; ++i) {
    if (std::strcmp(name, need::kElevationButtons[i].name) != 0) continue;
    for (const SSwitched& s : kSwitched) {
      if (s.button == i) return switchOn ? s.on : s.off;
    }
    return EOperation(i);
  }
  return kOpNone;
}

// The destination becomes a copy of the source: 1 when either is missing, 9 when a lock fails.
int32_t CopyHeightFieldLocked(C3dHeightField* source, C3dHeightField* destination) {
  if (!source || !destination) return kErrGeneric;
  CHolder from(source, false, false);
  CHolder to(destination, true, false);
  if (!from.IsLocked() || !to.IsLocked()) return kErrOutOfMemory;
  return destination->CopyGrid(*source, false);
}

// An elevation button's picture for the switch's position, pressed or not.
uint32_t ButtonEntry(CElement* element, bool switchOn, bool pressed) {
  auto* image = dynamic_cast<CImElement*>(element);
  CIxImage* list = image ? image->GetImageList() : nullptr;
  const uint32_t count = list ? list->Count() : 0;
  if (count == 0) return 0;
  return ((switchOn ? kSwitchedEntry : 0) + (pressed ? 1 : 0)) % count;
}

void ShowButton(CElement* element, bool switchOn, bool pressed) {
  if (auto* image = dynamic_cast<CImElement*>(element))
    image->SelectEntry(ButtonEntry(element, switchOn, pressed), false, false, true);
}

}  // namespace

// ---- the buttons

int32_t CTerrainEditor::PressElevation(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  *handled = element;
  CTerrainEditor* editor = GetCurrentEditor();
  if (!editor) return kNoErr;
  const bool switchOn = editor->IsSwitchOn();
  const bool space = IsKeyHeld(platform::kVkSpace);
  if (editor->fLatchedButton && editor->fLatchedButton != element) ShowButton(editor->fLatchedButton, switchOn, false);
  editor->fLatchedButton = nullptr;
  ShowButton(element, switchOn, true);
  editor->UpdateNow();
  editor->fPictureCancelled = false;
  int32_t result = UIHostPostElementMessage(element, handled, point, event);
  // With Space the button stays pressed: the brush carries its operation until another press.
  if (space) editor->fLatchedButton = element;
  else ShowButton(element, switchOn, false);
  // A picture dialog the user cancelled is no failure to tell about.
  if (result == kErrGeneric && editor->fPictureCancelled) result = kNoErr;
  return result == kHandled ? kNoErr : result;
}

int32_t CTerrainEditor::PressElevationButton(CElement* button) {
  CAppl* app = App();
  if (!app || !fCurrent) return kNoErr;
  const SPointHV press = PointerOnScreen();
  fDrag.brushMode = app->IsKeyDown(platform::kVkSpace);
  if (fDrag.brushMode && fBrush) fBrush->SetBehaviour(CTerrainBrush::kToSource);
  if (const int32_t err = DoElevationOp(button)) {
    fDrag.brushMode = false;
    return err;
  }
  if ((fDrag.showTarget || fDrag.blendDrag) && !fDrag.brushMode) {
    if (const int32_t err = RemakeGreyImage(fTarget)) return err;
    Redraw(true, true, nullptr, fTarget);
  }
  if (fDrag.brushMode) {
    const int32_t err = fDrag.brushAllowed ? PrepareBrush() : kNoErr;
    HoldUntilDrag(press);
    fDrag.brushMode = false;
    const int32_t shown = ShowCurrentGrid();
    return err ? err : shown;
  }
  if (!fDrag.erodeDrag) HoldUntilDrag(press);
  const bool moved = std::abs(PointerOnScreen().h - press.h) > kDragThreshold;
  if (fDrag.dragAllowed && (moved || fDrag.erodeDrag)) return DragOperation(press);
  const int32_t err = fDrag.applyOnClick ? CopyHeightFieldLocked(fTarget, fCurrent) : kNoErr;
  const int32_t shown = ShowCurrentGrid();
  return err ? err : shown;
}

void CTerrainEditor::HoldUntilDrag(SPointHV press) {
  CAppl* app = App();
  while (app && app->IsStillDown() && std::abs(PointerOnScreen().h - press.h) <= kDragThreshold) platform::SleepMs(kPollMs);
}

int32_t CTerrainEditor::DragOperation(SPointHV press) {
  CAppl* app = App();
  CHolder snapshot(fSnapshot, false, false);
  CHolder target(fTarget, false, false);
  CHolder current(fCurrent, true, false);
  if (!snapshot.IsLocked() || !target.IsLocked() || !current.IsLocked()) return kErrOutOfMemory;
  const uint32_t n = fCurrent->GetSide();
  app->HideCursor();
  int32_t weight = 0;
  SPointHV last = press;
  // The first step runs at once, so that a click erodes once; the others follow the pointer.
  for (bool first = true;; first = false) {
    const SPointHV now = PointerOnScreen();
    bool changed = false;
    if (fDrag.erodeDrag) {
      if (first || !(now == last)) {
        ErodeHeightGrid(fCurrent->GetGrid(), n, nullptr, kDragDrops, kErosionDepth, BracketLowHeight(),
                        BracketHighHeight());
        changed = true;
      }
    } else if (now.h != last.h) {
      weight += now.h - last.h;
      UpdateDragOp(weight, press, now);
      changed = true;
    }
    last = now;
    if (changed && RemakeGreyImage() == kNoErr) {
      DrawView2d(nullptr);
      Render3d(nullptr, nullptr, nullptr, nullptr, false, false, false);
    }
    if (!app->IsStillDown()) break;
    platform::SleepMs(kPollMs);
  }
  app->ShowCursor();
  return Redraw(true, true, nullptr, nullptr);
}

int32_t CTerrainEditor::PrepareBrush() {
  if (!fBrush) return kNoErr;
  if (const int32_t err = fBrush->BeginStroke(fSnapshot)) return err;
  if (fDrag.brushDampen) {
    CHolder snapshot(fSnapshot, false, false);
    CHolder target(fTarget, true, false);
    if (!snapshot.IsLocked() || !target.IsLocked()) return kErrOutOfMemory;
    BlendHeightGridInRange(fSnapshot->GetGrid(), fTarget->GetGrid(), fTarget->GetGrid(), fTarget->GetSide(),
                           kDampenWeight, BracketLowHeight(), BracketHighHeight());
  }
  return fBrush->SetSource(fTarget);
}

// ---- the operations

int32_t CTerrainEditor::DoElevationOp(CElement* button) {
  const EOperation op = OperationOf(button ? button->GetName() : nullptr, IsSwitchOn());
  if (op == kOpNone) return kNoErr;
  CBusyCursor busy;
  const bool brushMode = fDrag.brushMode;
  fDrag = SDragState{};
  fDrag.brushMode = brushMode;
  fDrag.dragAllowed = fDrag.brushAllowed = fDrag.applyOnClick = true;
  if (op == kOpUndo) {
    fDrag.dragAllowed = fDrag.brushAllowed = fDrag.applyOnClick = false;
    return fUndoAvailable ? Undo() : kNoErr;
  }
  if (const int32_t err = TakeSnapshot()) return err;
  return FillTarget(op, IsKeyHeld(platform::kVkControl), IsKeyHeld(platform::kVkMenu));
}

int32_t CTerrainEditor::FillTarget(int32_t operation, bool control, bool alt) {
  const int32_t lo = BracketLowHeight(), hi = BracketHighHeight();
  const auto blend = [this](bool clamp, int32_t low, int32_t high) {
    fDrag.blendDrag = true;
    fDrag.weightClamp = clamp;
    fDrag.weightMin = low;
    fDrag.weightMax = high;
  };
  const auto shape = [this](int32_t mode, bool showTarget) {
    fDrag.shapeDrag = true;
    fDrag.shapeMode = mode;
    fDrag.showTarget = showTarget;
  };
  const auto copy = [this] { return CopyHeightFieldLocked(fCurrent, fTarget); };
  // The target as a copy, then changed in place by fn on its locked grid.
  const auto copyThen = [this, &copy](auto fn) -> int32_t {
    if (const int32_t err = copy()) return err;
    CHolder target(fTarget, true, false);
    if (!target.IsLocked()) return kErrOutOfMemory;
    fn(fTarget->GetGrid(), fTarget->GetSide());
    return kNoErr;
  };
  const auto generate = [this, &copy](auto fn) -> int32_t {
    if (const int32_t err = copy()) return err;
    return fn(fTarget);
  };
  switch (EOperation(operation)) {
    case kOpNew:
      blend(true, 0, 256);
      return control ? CopyObjectGridInto(fTarget) : ApplyFilterOp(kFilterNew, nullptr);
    case kOpInvert: blend(true, 0, 256); return ApplyFilterOp(kFilterInvert, nullptr);
    case kOpErode:
      fDrag.erodeDrag = true;
      return copyThen([&](CHFUnit* grid, uint32_t n) {
        ErodeHeightGrid(grid, n, nullptr, kTargetDrops, kErosionDepth, lo, hi);
      });
    case kOpFractal: blend(true, -256, 256); return generate([](C3dHeightField* f) { return FractalHeightGrid(f); });
    case kOpEroded:
      blend(true, -256, 256);
      return generate([&](C3dHeightField* f) { return BuildErodedHeightGrid(f, lo, hi); });
    case kOpRaiseLower: blend(false, 0, 0); return ApplyFilterOp(kFilterRaiseLower, nullptr);
    case kOpSharpening:
      blend(false, 0, 0);
      fDrag.weightMultiplier = -1;
      return ApplyFilterOp(kFilterSharpen, nullptr);
    case kOpSmoothing: blend(true, 0, 256); return ApplyFilterOp(kFilterSmooth, nullptr);
    case kOpGaussianEdges: blend(false, 0, 0); return ApplyFilterOp(kFilterGaussianEdges, nullptr);
    case kOpSquareEdges: shape(2, true); return ApplyShapeOp(2, 1);
    case kOpRoundEdges: shape(0, true); return ApplyShapeOp(0, 1);
    case kOpBasicNoise: shape(6, false); return ApplyShapeOp(6, 1);
    case kOpSlopeNoise:
      blend(false, 0, 0);
      return generate([&](C3dHeightField* f) { return SlopeNoiseHeightGrid(f, lo, hi); });
    case kOpHeightNoise: blend(false, 0, 0); return generate([](C3dHeightField* f) { return HeightNoiseHeightGrid(f); });
    case kOpSpikes: blend(true, -512, 512); return generate([](C3dHeightField* f) { return SpikesHeightGrid(f); });
    case kOpBlobMaker: shape(3, true); return ApplyShapeOp(3, 1);
    case kOpMounds:
      blend(true, -256, 256);
      return generate([&](C3dHeightField* f) { return MoundsHeightGrid(f, lo, hi); });
    case kOpReliefNoise: blend(false, 0, 0); return ApplyFilterOp(kFilterRelief, nullptr);
    case kOpDampen:
      blend(false, 0, 0);
      fDrag.weightMultiplier = -1;
      fDrag.brushDampen = true;
      return ApplyFilterOp(kFilterDampen, nullptr);
    case kOpRaiseEdges: shape(1, false); return ApplyShapeOp(1, 1);
    case kOpEqualize: blend(false, 0, 0); return ApplyFilterOp(kFilterEqualize, nullptr);
    case kOpSubplateaus:
      blend(false, 0, 0);
      return generate([&](C3dHeightField* f) { return SubplateausHeightGrid(f, lo, hi); });
    case kOpPosterize:
      shape(alt ? 5 : 7, false);
      return alt ? ApplyShapeOp(5, kMosaicCount) : ApplyShapeOp(7, kPosterizeCount);
    case kOpCrossRidge: shape(8, true); return ApplyShapeOp(8, 1);
    case kOpSawtooth:
      blend(true, -256, 256);
      return generate([](C3dHeightField* f) { return SawtoothHeightGrid(f); });
    case kOpCrossRidge2: shape(9, true); return ApplyShapeOp(9, 1);
    case kOpSubcontours:
      blend(true, -64, 256);
      return generate([&](C3dHeightField* f) { return SubcontoursHeightGrid(f, lo, hi); });
    case kOpBubbleRidge: shape(4, true); return ApplyShapeOp(4, 1);
    case kOpPicture: {
      // The picture applies at the press: no drag, the target blended whole by the click.
      fDrag.blendDrag = fDrag.erodeDrag = true;
      fDrag.dragAllowed = false;
      if (const int32_t err = fTarget->SetResolution(fCurrent->GetSide())) return err;
      return LoadPictureIntoGrid(fTarget, false) ? kNoErr : kErrGeneric;
    }
    case kOpUndo:
    case kOpNone: break;
  }
  return kNoErr;
}

int32_t CTerrainEditor::CopyObjectGridInto(C3dHeightField* grid) {
  // The terrain as it was when the editor opened, at the working side.
  const uint32_t n = fCurrent ? fCurrent->GetSide() : 0;
  if (const int32_t err = CopyHeightFieldLocked(fHeightField, grid)) return err;
  return grid->GetSide() == n || grid->ChangeResolution(n) ? kNoErr : kErrOutOfMemory;
}

int32_t CTerrainEditor::TakeSnapshot() {
  if (!fSnapshot || !fCurrent) return kErrOutOfMemory;
  CHolder snapshot(fSnapshot, true, false);
  CHolder current(fCurrent, false, false);
  if (!snapshot.IsLocked() || !current.IsLocked()) return kErrOutOfMemory;
  fUndoAvailable = true;
  return fSnapshot->CopyGrid(*fCurrent, false);
}

int32_t CTerrainEditor::ApplyFilterOp(int32_t mode, C3dHeightField* destination) {
  C3dHeightField* out = destination ? destination : fTarget;
  CHolder snapshot(fSnapshot, false, false);
  if (!snapshot.IsLocked()) return kErrOutOfMemory;
  if (const int32_t err = CopyHeightFieldLocked(fSnapshot, out)) return err;
  CHolder locked(out, true, false);
  if (!locked.IsLocked()) return kErrOutOfMemory;
  FilterHeightGrid(fSnapshot->GetGrid(), out->GetGrid(), out->GetSide(), mode);
  return kNoErr;
}

int32_t CTerrainEditor::ApplyShapeOp(int32_t mode, int32_t count) {
  CHolder snapshot(fSnapshot, false, false);
  CHolder target(fTarget, true, false);
  if (!snapshot.IsLocked() || !target.IsLocked()) return kErrOutOfMemory;
  if (const int32_t err = fTarget->CopyGrid(*fSnapshot, false)) return err;
  ShapeHeightGrid(fSnapshot->GetGrid(), fTarget->GetGrid(), fTarget->GetSide(), mode, fDrag.brushMode ? count : 0, 0,
                  0, 0);
  return kNoErr;
}

int32_t CTerrainEditor::UpdateDragOp(int32_t weight, SPointHV press, SPointHV pointer) {
  int32_t w = weight;
  if (fDrag.weightClamp) w = std::clamp(w, fDrag.weightMin, fDrag.weightMax);
  if (fDrag.weightMultiplier) w *= fDrag.weightMultiplier;
  CHolder snapshot(fSnapshot, false, false);
  CHolder target(fTarget, false, false);
  CHolder current(fCurrent, true, false);
  if (!snapshot.IsLocked() || !target.IsLocked() || !current.IsLocked()) return kErrOutOfMemory;
  const uint32_t n = fCurrent->GetSide();
  if (fDrag.shapeDrag) {
    ShapeHeightGrid(fSnapshot->GetGrid(), fCurrent->GetGrid(), n, fDrag.shapeMode, pointer.h, pointer.v, press.h,
                    press.v);
  } else if (fDrag.blendDrag) {
    BlendHeightGridInRange(fSnapshot->GetGrid(), fTarget->GetGrid(), fCurrent->GetGrid(), n, w, BracketLowHeight(),
                           BracketHighHeight());
  }
  return kNoErr;
}

bool CTerrainEditor::LoadPictureIntoGrid(C3dHeightField* field, bool toPreview) {
  if (!field || field->GetSide() == 0) return false;
  std::unique_ptr<CImage> picture;
  if (!AskAndReadPicture(&picture, &fPictureCancelled)) return false;
  const uint32_t n = field->GetSide();
  int32_t error = kNoErr;
  std::unique_ptr<CImage> square(NewDataImage(n, n, &error));
  if (!square || !square->ScaleFrom(picture.get(), 1)) return false;
  if (toPreview && IsKeyHeld(platform::kVkMenu)) {
    std::unique_ptr<CImage> small(NewDataImage(kPictureSide, kPictureSide, &error));
    if (!small || !small->ScaleFrom(picture.get(), 1)) return false;
    CImNavigator pixels(small.get(), nullptr, false, false);
    if (!pixels.IsUsable()) return false;
    CTerrain3dPreview::SetPicture(reinterpret_cast<const uint32_t*>(pixels.Cells(0)), int32_t(kPictureSide));
  }
  return square->ToGrey() && field->SetFromImage(square.get()) == kNoErr;
}
