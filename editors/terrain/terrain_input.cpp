// What the terrain editor does with the keyboard and with presses in its two views: Tab and Shift+Tab
// change panels and switch, the Control letters run shortcuts on the current grid, a press in the 2D
// view paints with the brush (or drags the crop frame), and a press in the 3D view turns, tilts and
// scales the relief.
//
// Keys arrive as the platform gives them: a letter typed with Control comes first as its key (the
// letter's virtual key) and, when nobody takes that, again as its control character (1 to 26), so a
// shortcut that acted answers 26 to keep the second from running it again.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "editors/terrain/editor_helpers.h"
#include "editors/terrain/height_grid_filters.h"
#include "editors/terrain/terrain_3d_preview.h"
#include "editors/terrain/terrain_brush.h"
#include "editors/terrain/terrain_editor.h"
#include "editors/terrain/terrain_generators.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/clipboard.h"
#include "framework/image/image8.h"
#include "scene/height_field.h"

using namespace terrain;

namespace {

constexpr uint32_t kTab = 9;
constexpr uint32_t kLastControlCharacter = 26;
// RunShortcut's answer for a key that is no shortcut of the editor.
constexpr int32_t kNoShortcut = -1;
// Control+X moves every height by a step that grows with the brush's level.
constexpr int32_t kLeastStep = 256;
// The 3D view's drags with a modifier: steps on every pass while the button is held.
constexpr double kTiltStep = 2 * 0.15713992638565955;
constexpr double kHeightStep = 0.5;
constexpr double kSizeStep = 0.02;
constexpr double kSmallestScale = 0.1;
// The brush's erosion acts at points farther apart than this (squared, in view points).
constexpr int64_t kErosionSpacing = 16;
constexpr uint32_t kErosionDrops = 100;
constexpr int32_t kErosionDepth = 24;
// A Shift stroke follows a side when the first movement keeps within this of it.
constexpr int32_t kAxisTolerance = 3;

enum EStrokeAxis : int32_t { kFree, kAlongRow, kAlongColumn, kRisingDiagonal, kFallingDiagonal };

// The letter of a key or character: its virtual key, its control character, or the letter typed.
uint32_t LetterOf(const SWinEvent& event, bool control) {
  if (event.virtualKey >= 'A' && event.virtualKey <= 'Z') return event.virtualKey;
  const uint32_t c = event.key;
  if (control && c >= 1 && c <= kLastControlCharacter) return 'A' + c - 1;
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if (c >= 'A' && c <= 'Z') return c;
  return 0;
}

}  // namespace

// ---- keys

int32_t CTerrainEditor::OnCharacter(SWinEvent& event) {
  CAppl* app = App();
  if (!app || IsStale() || !IsShown()) return kNoErr;
  const bool shift = app->IsShiftDown(), control = app->IsControlDown(), alt = app->IsAltDown();
  if (event.key == kTab) {
    if (shift) {
      UpdateSwitchButtons();
      fElevationPanel->Redraw();
    } else {
      StepPanel();
    }
    SetAppCursor(0, false);
    return kHandled;
  }
  const uint32_t letter = LetterOf(event, control);
  bool changed = false, snapshotTaken = false;
  const int32_t result = letter ? RunShortcut(letter, shift, control, alt, &changed, &snapshotTaken) : kNoShortcut;
  if (result == kNoShortcut) return CLayoutHostCanvas::OnCharacter(event);
  if (result != kHandled) return result;
  if (changed) {
    SPointHV pointer = PointerIn(fPreview2d);
    const SRect& view = fPreview2d->GetRect();
    const bool inView = pointer.h >= 0 && pointer.v >= 0 && pointer.h < RectWidth(view) && pointer.v < RectHeight(view);
    if (const int32_t err = RefreshAfterChange(inView ? &pointer : nullptr)) return err;
  }
  // The brush paints back to the grid the shortcut started from.
  if (snapshotTaken && fBrush) {
    fBrush->BeginStroke(fSnapshot);
    fBrush->SetSource(fTarget);
  }
  return kHandled;
}

void CTerrainEditor::StepPanel() {
  switch ((fActivePanel + 1) % 3) {
    case kFilteringPanel: ShowFilteringPanel(); break;
    case kPicturesPanel: ShowPicturesPanel(); break;
    default: ShowElevationPanel(); break;
  }
}

int32_t CTerrainEditor::RunShortcut(uint32_t letter, bool shift, bool control, bool alt, bool* changed,
                                    bool* snapshotTaken) {
  // Every letter but N needs Control; N alone moves the undo point to the present grid.
  if (!control && letter != 'N') return kNoShortcut;
  const auto snapshot = [&]() {
    *snapshotTaken = true;
    return TakeSnapshot();
  };
  const auto done = [changed](int32_t err) {
    *changed = err == kNoErr;
    return err ? err : kHandled;
  };
  switch (letter) {
    case 'A':
      SetBrackets(0.0, 1.0);
      fBracketArea->Redraw();
      RefreshGradient(true);
      return kHandled;
    case 'C': return HandledOr(CopyGridToClipboard());
    case 'E':
      if (const int32_t err = snapshot()) return err;
      if (shift) return done(BuildErodedHeightGrid(fCurrent, BracketLowHeight(), BracketHighHeight()));
      return done(ApplyFilterOp(kFilterEqualize, fCurrent));
    case 'F':
      for (uint32_t i = 0; i < kGradientEntries / 2; ++i) {
        const CImVector low = GetGradientCell(i + 1);
        SetGradientCell(i + 1, GetGradientCell(kGradientEntries - i));
        SetGradientCell(kGradientEntries - i, low);
      }
      RefreshGradient(true);
      return kHandled;
    case 'I':
      if (const int32_t err = snapshot()) return err;
      return done(ApplyFilterOp(kFilterInvert, fCurrent));
    case 'L':
      if (fBrush) {
        fBrush->SetLevelFraction(shift ? 1.0 : 0.0);
        fBrush->SetBrushLevel(int32_t((1.0 - fBrush->GetLevelFraction()) * 65535));
        fBrush->SetBehaviourCursor(false);
      }
      return kHandled;
    case 'N':
      if (const int32_t err = snapshot()) return err;
      if (control && alt) return done(CopyObjectGridInto(fCurrent));
      if (control) return done(ApplyFilterOp(kFilterNew, fCurrent));
      return done(kNoErr);
    case 'O':
      if (const int32_t err = snapshot()) return err;
      if (!LoadPictureIntoGrid(fCurrent, true)) return fPictureCancelled ? kHandled : kErrGeneric;
      return done(kNoErr);
    case 'V': return PasteGridFromClipboard(changed, snapshotTaken);
    case 'W': return HandledOr(TurningShow());
    case 'X': return done(LowerOrRaise(shift, snapshotTaken));
    case 'Z': return done(Undo());
    default: return kNoShortcut;
  }
}

int32_t CTerrainEditor::CopyGridToClipboard() {
  if (!fCurrent) return kErrOutOfMemory;
  CBusyCursor busy;
  const uint32_t n = fCurrent->GetSide();
  int32_t error = kNoErr;
  std::unique_ptr<CImage8> grey(NewDataImage8(n, n, &error));
  if (!grey) return kErrFailedCreation;
  std::unique_ptr<CImage> picture(NewDataImage(n, n, &error));
  if (!picture || !fCurrent->MakeGrayImage(grey.get())) return kErrOutOfMemory;
  if (!grey->ToImage32(picture.get())) return kErrGeneric;
  CClipboard clipboard(GetWindow());
  return clipboard.PutDIB(picture.get()) ? kNoErr : kErrGeneric;
}

int32_t CTerrainEditor::PasteGridFromClipboard(bool* changed, bool* snapshotTaken) {
  CClipboard clipboard(GetWindow());
  if (!fCurrent || !clipboard.HasDIB()) return kNoErr;
  CBusyCursor busy;
  std::unique_ptr<CImage> pasted(clipboard.GetDIB());
  if (!pasted) return kErrGeneric;
  const uint32_t n = fCurrent->GetSide();
  int32_t error = kNoErr;
  std::unique_ptr<CImage> square(NewDataImage(n, n, &error));
  if (!square) return kErrOutOfMemory;
  if (!square->ScaleFrom(pasted.get(), 1) || !square->ToGrey()) return kErrGeneric;
  *snapshotTaken = true;
  if (const int32_t err = TakeSnapshot()) return err;
  if (const int32_t err = fCurrent->SetFromImage(square.get())) return err;
  *changed = true;
  return kHandled;
}

int32_t CTerrainEditor::LowerOrRaise(bool raise, bool* snapshotTaken) {
  *snapshotTaken = true;
  if (const int32_t err = TakeSnapshot()) return err;
  const double level = fBrush ? fBrush->GetLevelFraction() : 0.0;
  const int64_t step = int64_t(level * 65535 * 0.5) + kLeastStep;
  CHolder current(fCurrent, true, false);
  if (!current.IsLocked()) return kErrOutOfMemory;
  CHFUnit* grid = fCurrent->GetGrid();
  const size_t cells = size_t(fCurrent->GetSide()) * fCurrent->GetSide();
  for (size_t i = 0; i < cells; ++i) grid[i] = ClampHeight(int64_t(grid[i]) + (raise ? step : -step));
  return kNoErr;
}

// ---- the 2D view

int32_t CTerrainEditor::Press2dView(SPointHV viewPoint) {
  if (fCropItem && fCropItem->IsShown()) {
    CropFrameDrag(viewPoint);
    return kNoErr;
  }
  return PaintWithBrush(viewPoint);
}

int32_t CTerrainEditor::PaintWithBrush(SPointHV press) {
  CAppl* app = App();
  if (!app || !fCurrent || !fBrush) return kNoErr;
  if (const int32_t err = TakeSnapshot()) return err;
  fBrush->RebuildMask(false);
  const SRect& rect = fPreview2d->GetRect();
  const int64_t width = std::max(RectWidth(rect), 1), height = std::max(RectHeight(rect), 1);
  const int64_t n = fCurrent->GetSide();
  // The view's rows count down from the grid's last row.
  const auto column = [&](SPointHV p) { return int32_t(std::clamp<int64_t>(p.h * n / width, 0, n - 1)); };
  const auto row = [&](SPointHV p) { return int32_t(std::clamp<int64_t>(n - 1 - p.v * n / height, 0, n - 1)); };
  const bool erode = fBrush->GetBehaviour() == CTerrainBrush::kErode;
  SPointHV last = press;
  // So that the press itself erodes once.
  SPointHV lastEroded{INT32_MIN / 2, INT32_MIN / 2};
  int32_t axis = kFree;
  bool alt = false;
  for (bool first = true; first || app->IsStillDown(); first = false) {
    alt = app->IsAltDown();
    SPointHV at = PointerIn(fPreview2d);
    if (app->IsShiftDown()) at = ConstrainStroke(press, at, &axis);
    bool acted = false;
    {
      CHolder current(fCurrent, true, false);
      if (!current.IsLocked()) return kErrOutOfMemory;
      if (erode) {
        const int64_t dx = at.h - lastEroded.h, dy = at.v - lastEroded.v;
        if (dx * dx + dy * dy > kErosionSpacing) {
          // The erosion turns the view's rows into the grid's itself.
          const SPointHV cell{int32_t(at.h * n / width), int32_t(at.v * n / height)};
          if (fErosionObserver) fErosionObserver(cell);
          ErodeHeightGrid(fCurrent->GetGrid(), uint32_t(n), &cell, kErosionDrops, kErosionDepth, BracketLowHeight(),
                          BracketHighHeight());
          lastEroded = at;
          acted = true;
        }
      } else if (!(at == last)) {
        fBrush->PaintStroke(fCurrent->GetGrid(), uint32_t(n), alt, column(at), row(at), column(last), row(last));
        acted = true;
      }
    }
    last = at;
    if (acted && RemakeGreyImage() == kNoErr) DrawView2d(&at);
    if (app->IsControlDown() || fOptionQuickPreview) {
      if (fFilteringPanel->IsShown() && CopyGreyIntoFilterImage()) fFilterDestImage->Redraw();
      Redraw(true, false, nullptr, nullptr);
    }
    platform::SleepMs(kPollMs);
  }
  fUndoAvailable = true;
  const int32_t panel = RefreshShownPanel();
  const int32_t drawn = Redraw(true, true, &last, nullptr);
  ShowBrushCursor(alt);
  return panel ? panel : drawn;
}

SPointHV CTerrainEditor::ConstrainStroke(SPointHV press, SPointHV pointer, int32_t* axis) {
  const int32_t dx = pointer.h - press.h, dy = pointer.v - press.v;
  if (*axis == kFree) {
    if (dx == 0 && dy == 0) return pointer;
    if (std::abs(dy) < kAxisTolerance) *axis = kAlongRow;
    else if (std::abs(dx) < kAxisTolerance) *axis = kAlongColumn;
    else *axis = (dx < 0) != (dy < 0) ? kRisingDiagonal : kFallingDiagonal;
  }
  SPointHV kept = pointer;
  switch (*axis) {
    case kAlongRow: kept = {pointer.h, press.v}; break;
    case kAlongColumn: kept = {press.h, pointer.v}; break;
    case kRisingDiagonal: kept = {press.h + dx, press.v - dx}; break;
    case kFallingDiagonal: kept = {press.h + dx, press.v + dx}; break;
    default: break;
  }
  if (!(kept == pointer)) PutPointerAt(kept);
  return kept;
}

void CTerrainEditor::PutPointerAt(SPointHV viewPoint) {
  const SPointHV screen = OnScreen(fPreview2d, viewPoint);
  SetCursorPosition(screen.h, screen.v);
}

// ---- the 3D view

int32_t CTerrainEditor::Press3dView(SPointHV press) {
  CAppl* app = App();
  if (!app || !fPreview3d) return kNoErr;
  CTerrain3dPreview& preview = *fPreview3d;
  SPointHV last = press;
  for (bool first = true; first || app->IsStillDown(); first = false) {
    const SPointHV now = PointerOnScreen();
    const bool control = app->IsControlDown(), shift = app->IsShiftDown();
    const bool below = now.v > press.v;
    if (control && shift) {
      preview.SetHeightScale(std::max(preview.GetHeightScale() + (below ? -kHeightStep : kHeightStep), kSmallestScale));
    } else if (control) {
      preview.SetTiltAngle(preview.GetTiltAngle() + (now.h > press.h ? kTiltStep : -kTiltStep));
    } else if (shift) {
      preview.SetSizeScale(std::max(preview.GetSizeScale() + (below ? kSizeStep : -kSizeStep), kSmallestScale));
    }
    // With a modifier the change repeats while the pointer stands still; without one only movement turns.
    if (control || shift) Render3d(nullptr, nullptr, nullptr, nullptr, false, false, false);
    else if (!(now == last)) Render3d(nullptr, nullptr, &now, &last, false, false, false);
    last = now;
    platform::SleepMs(kPollMs);
  }
  return Render3d(nullptr, nullptr, nullptr, nullptr, true, false, false) ? kNoErr : kErrGeneric;
}
