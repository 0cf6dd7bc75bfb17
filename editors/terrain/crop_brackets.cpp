// The terrain editor's controls on its 2D view and on the gradient strip beside it: the crop frame with
// "crop" and "fit", the elevation brackets and the gradient's rotation dragged on "bracket area", and
// the colour map icon that loads a preset gradient or the terrain's own colours.
#include <algorithm>
#include <cstdint>

#include "editors/terrain/editor_helpers.h"
#include "editors/terrain/height_grid_filters.h"
#include "editors/terrain/terrain_editor.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "scene/height_field.h"

using namespace terrain;

namespace {

// A frame this small or smaller either way is not drawn.
constexpr int32_t kSmallestDrawnFrame = 10;
// A corner drag leaves both sides at least this long.
constexpr int32_t kShortestSide = 20;
constexpr uint32_t kInverted = 0xFFFFFF;
// The bracket strip's gradient rows start below the colour shown above the brackets.
constexpr int32_t kFirstGradientRow = 1;
constexpr double kGradientRows = CTerrainEditor::kGradientEntries;
// The brackets keep this far apart; a press this near a bracket (a tenth of their distance) drags it.
constexpr double kLeastGap = 0.069;
constexpr double kBandShare = 0.1;
enum EBracketImage : uint32_t { kStripBackground = 0, kUpperBracket = 1, kLowerBracket = 2 };
// The colour map icon's swatch; the last preset's first column in the presets' picture.
constexpr SRect kSwatch{13, 15, 25, 27};
constexpr int32_t kLastPresetColumn = CTerrainEditor::kPresetPitch * (CTerrainEditor::kGradientPresets - 1);
constexpr int32_t kPresetWidth = 12;
constexpr int32_t kFrameBar = 2;
constexpr uint32_t kFrameColour = 0xFFFFFFFF;

// The frame inside the view, cut at its edges where it does not fit, and square again: a cut side
// leaves the longer side shortened at its far end.
SRect KeepInside(SRect frame, int32_t width, int32_t height) {
  const auto fit = [](int32_t* low, int32_t* high, int32_t limit) {
    const int32_t size = *high - *low;
    if (size >= limit) {
      *low = 0;
      *high = limit;
    } else if (*low < 0) {
      *high -= *low;
      *low = 0;
    } else if (*high > limit) {
      *low -= *high - limit;
      *high = limit;
    }
  };
  fit(&frame.left, &frame.right, width);
  fit(&frame.top, &frame.bottom, height);
  const int32_t side = std::min(RectWidth(frame), RectHeight(frame));
  frame.right = frame.left + side;
  frame.bottom = frame.top + side;
  return frame;
}

}  // namespace

// ---- the crop frame

int32_t CTerrainEditor::CropOrFit(bool fit) {
  if (!fCropItem || !fCropItem->IsShown()) return kHandled;
  if (!fCurrent || !fSnapshot || TakeSnapshot() != kNoErr) return kErrGeneric;
  const uint32_t n = fCurrent->GetSide();
  if (n == 0) return kErrGeneric;
  const SRect& view = fPreview2d->GetRect();
  const SRect& frame = fCropItem->GetRect();
  const SRect inView{std::clamp(frame.top, 0, RectHeight(view)), std::clamp(frame.left, 0, RectWidth(view)),
                     std::clamp(frame.bottom, 0, RectHeight(view)), std::clamp(frame.right, 0, RectWidth(view))};
  const SRect cells = ScaleCropRect(inView, n, false);
  {
    CHolder snapshot(fSnapshot, false, false);
    CHolder current(fCurrent, true, false);
    if (!snapshot.IsLocked() || !current.IsLocked()) return kErrOutOfMemory;
    if (fit) FitHeightGrid(fSnapshot->GetGrid(), fCurrent->GetGrid(), n, cells);
    else if (!CropHeightGrid(fSnapshot->GetGrid(), fCurrent->GetGrid(), n, cells)) return kErrOutOfMemory;
  }
  return HandledOr(RefreshAfterChange(nullptr));
}

bool CTerrainEditor::CropFrameDrag(SPointHV press) {
  CAppl* app = App();
  const uint32_t handle = fPreview2d->SetUserWord(kHandleWord, kHandleSide);
  if (!app || !fCropItem || handle == kHandleSide || handle > kHandleBottomLeft) return false;
  const SRect& view = fPreview2d->GetRect();
  const int32_t width = RectWidth(view), height = RectHeight(view);
  SRect frame = fCropItem->GetRect();
  const SPointHV offset{press.h - frame.left, press.v - frame.top};
  const bool right = handle == kHandleBottomRight || handle == kHandleTopRight;
  const bool bottom = handle == kHandleBottomRight || handle == kHandleBottomLeft;
  SPointHV last = press;
  while (app->IsStillDown()) {
    const SPointHV at = PointerIn(fPreview2d);
    SRect next = frame;
    if (handle == kHandleInside) {
      next = {at.v - offset.v, at.h - offset.h, at.v - offset.v + RectHeight(frame), at.h - offset.h + RectWidth(frame)};
    } else {
      (right ? next.right : next.left) = at.h;
      (bottom ? next.bottom : next.top) = at.v;
      // Square by the dragged corner, which the pointer then stands on.
      const int32_t side = std::min(RectWidth(next), RectHeight(next));
      if (right) next.right = next.left + side;
      else next.left = next.right - side;
      if (bottom) next.bottom = next.top + side;
      else next.top = next.bottom - side;
    }
    // A corner that would leave a side shorter than 20 points moves nothing.
    const bool sized = RectWidth(next) >= kShortestSide && RectHeight(next) >= kShortestSide;
    if (!(at == last) && sized) {
      last = at;
      if (handle != kHandleInside) {
        last = {right ? next.right : next.left, bottom ? next.bottom : next.top};
        if (!(last == at)) PutPointerAt(last);
      }
      frame = KeepInside(next, width, height);
      fCropItem->SetRect(frame, false);
      DrawView2d(nullptr);
      if (fOptionSpin) Redraw(true, false, nullptr, nullptr);
    }
    platform::SleepMs(kPollMs);
  }
  Redraw(true, true, nullptr, nullptr);
  return true;
}

int32_t CTerrainEditor::DrawCropFrame(CImage* picture, const SRect& frame) {
  if (RectWidth(frame) <= kSmallestDrawnFrame || RectHeight(frame) <= kSmallestDrawnFrame) return kErrGeneric;
  CImNavigator pixels(picture, nullptr, true, false);
  if (!pixels.IsUsable()) return kNoErr;
  const int32_t columns = int32_t(pixels.GetColumns()), rows = int32_t(pixels.GetRows());
  uint32_t step = 0;
  const auto visit = [&](int32_t x, int32_t y) {
    if (step++ % 2 == 0 && x >= 0 && y >= 0 && x < columns && y < rows) pixels.Cells(uint32_t(y))[x].value ^= kInverted;
  };
  // Once round from the top left corner, clockwise, every pixel of the sides visited once.
  for (int32_t x = frame.left; x < frame.right; ++x) visit(x, frame.top);
  for (int32_t y = frame.top; y < frame.bottom; ++y) visit(frame.right, y);
  for (int32_t x = frame.right; x > frame.left; --x) visit(x, frame.bottom);
  for (int32_t y = frame.bottom; y > frame.top; --y) visit(frame.left, y);
  return kNoErr;
}

// ---- the brackets and the gradient's rotation

int32_t CTerrainEditor::PressBracketArea(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  *handled = element;
  CTerrainEditor* editor = GetCurrentEditor();
  CAppl* app = App();
  if (!editor || !app) return kNoErr;
  int32_t result = kNoErr;
  // Beside the strip: the brackets open fully.
  if (point.h > kStripWidth) {
    editor->SetBrackets(0.0, 1.0);
    element->Redraw();
    if (!editor->RefreshGradient(false)) result = kErrGeneric;
  } else if (app->IsAltDown()) {
    result = editor->RotateGradientDrag(point);
  } else {
    result = editor->DragBrackets(point);
  }
  const int32_t sent = UIHostPostElementMessage(element, handled, point, event);
  if (result) return result;
  return sent == kHandled ? kNoErr : sent;
}

int32_t CTerrainEditor::RotateGradientDrag(SPointHV press) {
  CAppl* app = App();
  int32_t last = press.v;
  int32_t result = kNoErr;
  while (app->IsStillDown()) {
    const int32_t row = PointerIn(fBracketArea).v;
    if (row != last) {
      SetGradientRotation(GetGradientRotation() - (row - last));
      last = row;
      const bool redraw3d = app->IsControlDown() || fOptionQuickPreview || fOptionSpin;
      if (!RefreshGradient(redraw3d)) result = kErrGeneric;
      UpdateNow();
    }
    platform::SleepMs(kPollMs);
  }
  return result;
}

int32_t CTerrainEditor::DragBrackets(SPointHV press) {
  CAppl* app = App();
  const double at = 1.0 - (press.v - kFirstGradientRow) / kGradientRows;
  const double band = kBandShare * (fBracketHigh - fBracketLow);
  const bool lower = at <= fBracketLow + band;
  const bool upper = !lower && at >= fBracketHigh - band;
  int32_t last = press.v;
  int32_t result = kNoErr;
  while (app->IsStillDown()) {
    const int32_t row = PointerIn(fBracketArea).v;
    if (row != last) {
      // Moving up raises the bracket.
      double change = -(row - last) / kGradientRows;
      last = row;
      if (lower) {
        fBracketLow = std::max(0.0, std::min(fBracketLow + change, fBracketHigh - kLeastGap));
      } else if (upper) {
        fBracketHigh = std::min(1.0, std::max(fBracketHigh + change, fBracketLow + kLeastGap));
      } else {
        change = std::max(-fBracketLow, std::min(change, 1.0 - fBracketHigh));
        fBracketLow += change;
        fBracketHigh += change;
      }
      if (!RefreshGradient(app->IsControlDown())) result = kErrGeneric;
      UpdateNow();
    }
    platform::SleepMs(kPollMs);
  }
  fBracketArea->Redraw();
  if (fFilteringPanel->IsShown()) ShowCurve();
  return result;
}

int32_t CTerrainEditor::DrawBracketArea(CElement* element, uint32_t pass, CImage*) {
  CTerrainEditor* editor = GetCurrentEditor();
  CImElement* area = AsImage(element);
  CImage* picture = area ? area->GetImage() : nullptr;
  if (!editor || !picture || pass != area->GetImageLayer() || !editor->fGradientStrip) return kNoErr;
  CIxImage& marks = *editor->fBracketImages;
  CImage* background = marks.ImageAt(kStripBackground);
  if (background && !picture->CopyFrom(background)) return kErrOutOfMemory;
  if (!picture->CopyFrom(editor->fGradientStrip.get())) return kErrOutOfMemory;
  // Beside the strip, the upper bracket ends on its row and the lower one begins on its own, each kept
  // whole within the area.
  const int32_t rows = int32_t(picture->GetHeight());
  const struct {
    EBracketImage entry;
    double fraction;
  } brackets[] = {{kUpperBracket, editor->fBracketHigh}, {kLowerBracket, editor->fBracketLow}};
  for (const auto& bracket : brackets) {
    CImage* mark = marks.ImageAt(bracket.entry);
    if (!mark) continue;
    const int32_t height = int32_t(mark->GetHeight());
    const int32_t row = kFirstGradientRow + int32_t(kGradientRows * (1.0 - bracket.fraction));
    const int32_t top = bracket.entry == kUpperBracket ? row - (height - 1) : row;
    mark->SetOrigin(kStripWidth, std::clamp(top, 0, std::max(rows - height, 0)));
    const bool drawn = picture->CompositeFrom(mark);
    mark->SetOrigin(0, 0);
    if (!drawn) return kErrOutOfMemory;
  }
  return kNoErr;
}

// ---- the colour map icon

int32_t CTerrainEditor::PressColourMapIcon(SPointHV local) {
  CAppl* app = App();
  if (!app) return kHandled;
  if (!IsPointInRect(local, kSwatch)) return ChooseGradientPreset(OnScreen(fColourMapIcon, local));
  const bool shift = app->IsShiftDown();
  WaitForRelease();
  fGradientMode = shift && fHeightField && fHeightField->HasColourTable() ? kObjectGradient : kDefaultGradient;
  if (const int32_t err = LoadGradient()) return err;
  return RefreshGradient(true) ? kHandled : kErrGeneric;
}

int32_t CTerrainEditor::ChooseGradientPreset(SPointHV press) {
  CAppl* app = App();
  fGradientMode = std::clamp(fGradientMode, 0, kGradientPresets - 1);
  int32_t shown = fGradientMode;
  int32_t position = kPresetPitch * shown;
  fGradientsPanel->Show(true);
  FrameGradientPreset(shown, true);
  UpdateNow();
  {
    // The pointer stays where it was pressed; its travel moves the choice.
    CHiddenPointer hidden(press);
    const SPointHV home = hidden.Home();
    while (app->IsStillDown()) {
      const SPointHV at = PointerOnScreen();
      if (at.h != home.h) {
        position = std::clamp(position + at.h - home.h, 0, kLastPresetColumn);
        SetCursorPosition(home.h, home.v);
        const int32_t chosen = position / kPresetPitch;
        if (chosen != shown) {
          FrameGradientPreset(shown, false);
          FrameGradientPreset(chosen, true);
          shown = chosen;
          UpdateNow();
        }
      }
      platform::SleepMs(kPollMs);
    }
  }
  FrameGradientPreset(shown, false);
  fGradientsPanel->Hide(true);
  fGradientMode = shown;
  if (const int32_t err = LoadGradient()) return err;
  return RefreshGradient(true) ? kHandled : kErrGeneric;
}

void CTerrainEditor::FrameGradientPreset(int32_t preset, bool on) {
  CImage* picture = PictureOf(fGradients);
  if (!picture || !fGradientsPicture) return;
  {
    CImNavigator pixels(picture, nullptr, true, false);
    CImNavigator original(fGradientsPicture.get(), nullptr, false, false);
    if (!pixels.IsUsable() || !original.IsUsable()) return;
    const int32_t columns = int32_t(std::min(pixels.GetColumns(), original.GetColumns()));
    const uint32_t rows = std::min(pixels.GetRows(), original.GetRows());
    // A bar in the gap on either side of the preset's columns.
    const int32_t left = kPresetPitch * preset - kFrameBar - 1, right = kPresetPitch * preset + kPresetWidth + 1;
    for (int32_t x : {left, left + 1, right, right + 1}) {
      if (x < 0 || x >= columns) continue;
      for (uint32_t y = 0; y < rows; ++y) pixels.Cells(y)[x].value = on ? kFrameColour : original.Cells(y)[x].value;
    }
  }
  fGradients->Redraw();
}
