// The filtering panel: the elevation transfer curve drawn in "filter src image", shaped by the pointer,
// by the nine preset ramps, by reset and smoothing, previewed in "filter dest image" and applied to
// the current grid, or laid across it as a profile from the options menu.
//
// "filter dest image" shows the 2D picture through a colour table built from the curve, so that it
// follows the curve at once; the exact preview (Control, or the quick preview option, while the curve
// changes, and a press on the picture) maps a 128 × 128 copy of the grid through the curve within the
// brackets instead.
#include <algorithm>
#include <iterator>
#include <memory>

#include "editors/terrain/editor_helpers.h"
#include "editors/terrain/height_grid_filters.h"
#include "editors/terrain/layout_needs.h"
#include "editors/terrain/terrain_editor.h"
#include "editors/terrain/terrain_lut.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image8.h"
#include "framework/image/ix_image.h"
#include "framework/ui/menu.h"
#include "framework/ui/ui_message.h"
#include "scene/height_field.h"

using namespace terrain;

namespace {

constexpr uint32_t kCurveSteps = CTerrainLUT::kEntries - 1;
// A drawn entry is the row's level among 128, in steps of 512.
constexpr uint32_t kLevelShift = 9;
// A preset ramp is smoothed twice when it loads.
constexpr uint32_t kPresetSmoothing = 2;
// The profile modes of the options menu's rows 1 to 4.
constexpr int32_t kProfileModes[] = {kGridRowProfileBlend, kGridColumnProfileBlend, kGridRowProfileRaise,
                                     kGridColumnProfileRaise};

}  // namespace

int32_t CTerrainEditor::HandleFilteringPanel(CUIMessage* message) {
  const char* element = message->elementName;
  for (uint32_t i = 0; i < need::kFilterPresetCount; ++i) {
    if (!SameText(element, need::kFilterPresets[i].name)) continue;
    // A ramp that cannot be read leaves the curve as it was, smoothed all the same.
    fLut->LoadPreset(fRampImages->ImageAt(i));
    for (uint32_t pass = 0; pass < kPresetSmoothing; ++pass) fLut->Smooth();
    return ShowCurve();
  }
  if (SameText(element, need::kFilterReset.name)) {
    fLut->Reset();
    return ShowCurve();
  }
  if (SameText(element, need::kFilterSmooth.name)) {
    fLut->Smooth();
    const int32_t shown = ShowCurve();
    if (shown == kHandled && (IsKeyHeld(platform::kVkControl) || fOptionQuickPreview)) PreviewFilter();
    return shown;
  }
  if (SameText(element, need::kFilterApply.name)) return ApplyCurve();
  if (SameText(element, need::kFilterOptions.name)) return FilterOptions(message->firstPoint);
  // The curve's and the preview's presses did their work.
  return kHandled;
}

int32_t CTerrainEditor::ShowCurve() {
  CImage* curve = PictureOf(fFilterSrcImage);
  CImVector colours[kGradientEntries];
  GreyImageColours(colours);
  if (!curve || !fLut->Draw(curve, colours, fGradientMode)) return kErrGeneric;
  fFilterSrcImage->Redraw();
  return DrawFilterPreview() ? kErrGeneric : kHandled;
}

bool CTerrainEditor::DrawCurveSegment(SPointHV a, SPointHV b, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || a.h == b.h) return false;
  const int32_t from = std::clamp(std::min(a.h, b.h), 0, width), to = std::clamp(std::max(a.h, b.h), 0, width);
  const int64_t bottom = height - 1;
  bool changed = false;
  for (int32_t x = from; x < to; ++x) {
    const int64_t y = std::clamp<int64_t>(a.v + int64_t(b.v - a.v) * (x - a.h) / (b.h - a.h), 0, bottom);
    // A picture wider or taller than the curve's 128 places is scaled to them.
    const uint32_t entry = std::min(uint32_t(int64_t(x) * CTerrainLUT::kEntries / width), kCurveSteps);
    const uint32_t level = bottom ? uint32_t((bottom - y) * kCurveSteps / bottom) : kCurveSteps;
    const uint16_t value = uint16_t(level << kLevelShift);
    changed = changed || fLut->GetEntry(entry) != value;
    fLut->SetEntry(entry, value);
  }
  return changed;
}

int32_t CTerrainEditor::PreviewFilter() {
  if (!fTarget || !fCurrent || !fFilterImage) return kErrGeneric;
  if (fTarget->GetSide() != kPreviewSide) {
    if (const int32_t err = fTarget->SetResolution(kPreviewSide)) return err;
  }
  if (!fTarget->CopyFrom(*fCurrent, nullptr)) return kErrOutOfMemory;
  {
    CHolder target(fTarget, true, false);
    if (!target.IsLocked()) return kErrOutOfMemory;
    fLut->Apply(fTarget->GetGrid(), kPreviewSide, BracketLowHeight(), BracketHighHeight());
  }
  if (!fTarget->MakeGrayImage(fFilterImage.get())) return kErrOutOfMemory;
  // The heights are mapped already: the picture shows them in the gradient's own colours.
  CImVector colours[kGradientEntries];
  GreyImageColours(colours);
  for (uint32_t i = 0; i < kGradientEntries; ++i) fFilterImage->SetColor(uint8_t(i), colours[i].value, false);
  fFilterImage->SyncPalette();
  fFilterDestImage->Redraw();
  return kNoErr;
}

bool CTerrainEditor::CopyGreyIntoFilterImage() {
  if (!fGreyImage || !fFilterImage || !fFilterImage->ScaleFrom(fGreyImage.get(), 1)) return false;
  return !DrawFilterPreview();
}

bool CTerrainEditor::DrawFilterPreview() {
  if (!fFilterImage || !fGreyImage || !fLut) return true;
  for (uint32_t i = 0; i < CTerrainLUT::kEntries; ++i) {
    const uint32_t colour = fGreyImage->GetColor(uint8_t(fLut->GetEntry(i) >> 8));
    fFilterImage->SetColor(uint8_t(2 * i), colour, false);
    fFilterImage->SetColor(uint8_t(2 * i + 1), colour, false);
  }
  if (!fFilterImage->SyncPalette()) return true;
  fFilterDestImage->Redraw();
  return false;
}

int32_t CTerrainEditor::ApplyCurve() {
  if (const int32_t err = TakeSnapshot()) return err;
  {
    CHolder current(fCurrent, true, false);
    if (!current.IsLocked()) return kErrOutOfMemory;
    fLut->Apply(fCurrent->GetGrid(), fCurrent->GetSide(), BracketLowHeight(), BracketHighHeight());
  }
  const int32_t result = RefreshAfterChange(nullptr);
  return result ? result : kHandled;
}

int32_t CTerrainEditor::FilterOptions(SPointHV screenPoint) {
  uint32_t row = 0, command = 0;
  {
    CPressedPicture pressed(fFilterOptions);
    UpdateNow();
    if (const int32_t err = PopUpMenu(need::kProfilesMenu, screenPoint, &row, &command)) return err;
  }
  if (!row) return kHandled;
  {
    CBusyCursor busy;
    CHolder current(fCurrent, true, false);
    CHolder snapshot(fSnapshot, true, false);
    if (!fCurrent || !fSnapshot || !current.IsLocked() || !snapshot.IsLocked()) return kErrOutOfMemory;
    if (const int32_t err = fSnapshot->CopyGrid(*fCurrent, false)) return err;
    fUndoAvailable = true;
    if (fCurrent->GetSide() == 0) return kErrObjectNotFound;
    const int32_t mode = row >= 1 && row <= std::size(kProfileModes) ? kProfileModes[row - 1] : kGridRowProfileBlend;
    ApplyGridFunction(fCurrent->GetGrid(), fCurrent->GetSide(), fLut->GetCurve(), mode, BracketLowHeight(),
                      BracketHighHeight());
  }
  const int32_t result = RefreshAfterChange(nullptr);
  return result ? result : kHandled;
}

// ---- presses

int32_t CTerrainEditor::PressFilterCurve(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  *handled = element;
  CTerrainEditor* editor = GetCurrentEditor();
  CAppl* app = App();
  if (!editor || !app || !editor->fLut) return kNoErr;
  const SRect& rect = element->GetRect();
  const int32_t width = RectWidth(rect), height = RectHeight(rect);
  SPointHV last = point;
  // The last read follows the release, so that the stroke ends where the button came up.
  for (bool down = true; down;) {
    down = app->IsStillDown();
    const SPointHV now = PointerIn(element);
    if (!(now == last) && editor->DrawCurveSegment(last, now, width, height)) {
      editor->ShowCurve();
      if (app->IsControlDown() || editor->fOptionQuickPreview) editor->PreviewFilter();
      editor->UpdateNow();
    }
    last = now;
    if (down) platform::SleepMs(kPollMs);
  }
  return UIHostPostElementMessage(element, handled, point, event);
}

int32_t CTerrainEditor::PressFilterSmooth(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  *handled = element;
  CPressedPicture pressed(element);
  if (CTerrainEditor* editor = GetCurrentEditor()) editor->UpdateNow();
  const int32_t result = UIHostPostElementMessage(element, handled, point, event);
  // The preview stays while the button is held.
  WaitForRelease();
  return result == kHandled ? kNoErr : result;
}

int32_t CTerrainEditor::PressFilterDest(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  *handled = element;
  CTerrainEditor* editor = GetCurrentEditor();
  if (!editor) return kNoErr;
  // A preview that cannot be made leaves the picture as it was.
  editor->PreviewFilter();
  WaitForRelease();
  // Back to the grid through the curve's colours.
  editor->CopyGreyIntoFilterImage();
  const int32_t result = UIHostPostElementMessage(element, handled, point, event);
  return result == kHandled ? kNoErr : result;
}

int32_t CTerrainEditor::DrawFilterDest(CElement* element, uint32_t pass, CImage*) {
  CTerrainEditor* editor = GetCurrentEditor();
  CImElement* view = AsImage(element);
  if (!editor || !view || pass != view->GetImageLayer() || !view->GetImage() || !editor->fFilterImage) return kNoErr;
  return editor->fFilterImage->ToImage32(view->GetImage()) ? kNoErr : kErrOutOfMemory;
}
