// The small controls around the terrain editor's views: the resolution, options, brush and mixing
// pop-ups, the turning show, the three brush sliders and the level the brush paints to.
#include <algorithm>
#include <memory>

#include "editors/terrain/editor_helpers.h"
#include "editors/terrain/layout_needs.h"
#include "editors/terrain/terrain_3d_preview.h"
#include "editors/terrain/terrain_brush.h"
#include "editors/terrain/terrain_editor.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/menu.h"
#include "platform/gdi.h"
#include "scene/height_field.h"

using namespace terrain;

namespace {

// The turning show: the window darkened, the relief raised, half a turn of a circle in ten steps.
constexpr uint32_t kShowBackground = 0x323232;
constexpr double kShowHeightFactor = 1.5;
constexpr double kShowTurn = 0.31428;
// The preview renderer's tables are this wide.
constexpr uint32_t kWidestShow = 1024;
// A slider steps when the pointer has gone this far past where it last stepped.
constexpr int32_t kSliderStep = 5;
// The size slider's state s is a radius of 5 s + 5 cells; the 2D view shows it round its middle.
constexpr int32_t kRadiusStep = 5;
constexpr SPointHV kViewMiddle{128, 128};
// The hardness slider's state s is a hardness of 10 − s, the flow's a flow of (s + 1) / 10.
constexpr double kHardest = 10.0;
constexpr double kFlowStep = 0.1;
constexpr uint32_t kLevelMark = 3;
constexpr uint32_t kLevelColour = 0xFF0000;

bool IsWorkingSide(uintptr_t n) {
  return n >= CTerrainEditor::kSmallestGrid && n <= CTerrainEditor::kLargestGrid && (n & (n - 1)) == 0;
}

}  // namespace

// ---- the pop-ups

int32_t CTerrainEditor::PrepareMenu(const SLayoutNeed& need, std::unique_ptr<CMenu>* out) {
  CMenu* loaded = nullptr;
  if (const int32_t err = CMenu::Load(GetResourceEnvironment(), need.number, &loaded, nullptr)) return err;
  out->reset(loaded);
  const auto tick = [loaded](uint32_t row, bool on) {
    if (row) loaded->CheckItem(row, on, nullptr, true);
  };
  if (&need == &need::kResolutionMenu) {
    tick(loaded->FindItemIndex(fCurrent ? fCurrent->GetSide() : 0), true);
  } else if (&need == &need::kBrushMenu) {
    tick(fBrush ? uint32_t(fBrush->GetBehaviour()) + 1 : 0, true);
  } else if (&need == &need::kOptionsMenu) {
    tick(kSpinRow, fOptionSpin);
    tick(kQuickPreviewRow, fOptionQuickPreview);
  } else if (&need == &need::kMixingMenu) {
    tick(uint32_t(fPictureBlendMode), true);
  }
  return kNoErr;
}

int32_t CTerrainEditor::PopUpMenu(const SLayoutNeed& need, SPointHV screenPoint, uint32_t* row, uint32_t* command) {
  *row = *command = 0;
  std::unique_ptr<CMenu> menu;
  if (const int32_t err = PrepareMenu(need, &menu)) return err;
  uintptr_t chosen = 0;
  if (!menu->SelectItemAt(screenPoint, GetWindow(), &chosen, row)) *row = 0;
  else *command = uint32_t(chosen);
  return kNoErr;
}

int32_t CTerrainEditor::ResolutionPopup(SPointHV screenPoint) {
  uint32_t row = 0, side = 0;
  if (const int32_t err = PopUpMenu(need::kResolutionMenu, screenPoint, &row, &side)) return err;
  int32_t result = kNoErr;
  if (row && fCurrent && IsWorkingSide(side) && side != fCurrent->GetSide()) {
    CBusyCursor busy;
    if (!fCurrent->ChangeResolution(uint32_t(side))) {
      result = kErrOutOfMemory;
    } else if (const int32_t err = RemakeGreyImage()) {
      result = err;
    } else {
      if (fPreview3d) fPreview3d->SetColour(0, CImVector{0});
      result = Redraw(true, true, nullptr, nullptr);
    }
  }
  UpdateBrushCells();
  return result;
}

int32_t CTerrainEditor::TerrainOptionsPopup(SPointHV screenPoint) {
  uint32_t row = 0, command = 0;
  if (const int32_t err = PopUpMenu(need::kOptionsMenu, screenPoint, &row, &command)) return err;
  switch (row) {
    case kSpinRow: fOptionSpin = !fOptionSpin; break;
    case kQuickPreviewRow: fOptionQuickPreview = !fOptionQuickPreview; break;
    case kTurningShowRow: return TurningShow();
    default: break;
  }
  return kNoErr;
}

int32_t CTerrainEditor::BrushBehaviourPopup(SPointHV screenPoint) {
  uint32_t row = 0, command = 0;
  if (const int32_t err = PopUpMenu(need::kBrushMenu, screenPoint, &row, &command)) return err;
  if (fBrush && row >= 1 && int32_t(row) <= CTerrainBrush::kRaiseToLevel + 1) fBrush->SetBehaviour(int32_t(row) - 1);
  return kNoErr;
}

void CTerrainEditor::UpdateBrushCells() {
  if (fBrush && fCurrent && fCurrent->GetSide()) fBrushCells = fBrush->GetBrushRadius() * 256 / int32_t(fCurrent->GetSide());
}

// ---- the turning show

int32_t CTerrainEditor::TurningShow() {
  CAppl* app = App();
  platform::SWinRect client;
  if (!app || !fPreview3d || !fRender3d || !fCurrent || !platform::GetClientRect(GetWindow(), &client)) return kNoErr;
  const int32_t width = client.right - client.left, height = client.bottom - client.top;
  const double proportion = double(fRender3d->GetWidth()) / std::max(fRender3d->GetHeight(), 1u);
  const int32_t shorter = std::min(width, height);
  const uint32_t across = std::min(uint32_t(shorter * proportion * 0.5), kWidestShow);
  const uint32_t down = uint32_t(shorter * 0.5);
  int32_t error = kNoErr;
  std::unique_ptr<CImage> picture(across && down ? NewDataImage(across, down, &error) : nullptr);
  if (!picture) return kErrOutOfMemory;
  const int32_t left = (width - int32_t(across)) / 2, top = (height - int32_t(down)) / 2;
  const SRect place{top, left, top + int32_t(down), left + int32_t(across)};
  const CImVector background = GetColor();
  SetColor(CImVector{kShowBackground});
  platform::FillClientRect(GetWindow(), client, kShowBackground);
  picture->Fill(kShowBackground);
  const double heightScale = fPreview3d->GetHeightScale();
  fPreview3d->SetHeightScale(heightScale * kShowHeightFactor);
  // One turn, or turning on while the spin is on, until a click.
  for (bool first = true; !app->IsMouseDown(); first = false) {
    if (first || fOptionSpin) {
      RenderRelief(fCurrent, picture.get(), false, nullptr);
      if (platform::DeviceContext* window = GetDeviceContext()) picture->Draw(window, picture->GetBounds(), place);
      platform::GdiFlush();
      fPreview3d->SetTiltAngle(fPreview3d->GetTiltAngle() + kShowTurn);
      picture->Fill(kShowBackground);
    }
    platform::SleepMs(kPollMs);
  }
  // The click ends the show and nothing else.
  WaitForRelease();
  app->FlushInput();
  fPreview3d->SetHeightScale(heightScale);
  SetColor(background);
  app->RedrawAllWindows();
  return kNoErr;
}

// ---- the brush sliders and the level

int32_t CTerrainEditor::PressBrushSlider(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  *handled = element;
  CTerrainEditor* editor = GetCurrentEditor();
  CAppl* app = App();
  CImElement* slider = AsImage(element);
  CIxImage* states = slider ? slider->GetImageList() : nullptr;
  if (!editor || !app || !states || !states->Count() || !editor->fBrush || !editor->fCurrent) return kNoErr;
  CTerrainBrush& brush = *editor->fBrush;
  const bool size = element == editor->fBrushSize;
  const int32_t last = int32_t(states->Count()) - 1;
  int32_t state = states->Selected() == CIxImage::kNone ? 0 : std::min(int32_t(states->Selected()), last);
  const int32_t n = int32_t(editor->fCurrent->GetSide());
  {
    CHiddenPointer hidden(OnScreen(element, point));
    int32_t reference = point.h;
    while (app->IsStillDown()) {
      const int32_t x = PointerIn(element).h;
      const int32_t was = state;
      if (x < reference - kSliderStep) {
        state = std::max(state - 1, 0);
        reference = x;
      } else if (x > reference + kSliderStep) {
        state = std::min(state + 1, last);
        reference = x;
      }
      if (state != was) {
        slider->SelectEntry(uint32_t(state), false, false, true);
        editor->UpdateNow();
        if (size) {
          editor->fBrushCells = (state * kRadiusStep + kRadiusStep) * 256 / std::max(n, 1);
          editor->DrawView2d(&kViewMiddle);
        } else {
          editor->Redraw(true, true, nullptr, nullptr);
        }
      }
      platform::SleepMs(kPollMs);
    }
  }
  if (size) {
    brush.SetBrushRadius(state * kRadiusStep + kRadiusStep);
    editor->UpdateBrushCells();
    editor->DrawView2d(nullptr);
  } else if (element == editor->fBrushHard) {
    brush.SetBrushHardness(kHardest - state);
  } else {
    brush.SetBrushFlow((state + 1) * kFlowStep);
  }
  brush.RebuildMask(true);
  const int32_t result = UIHostPostElementMessage(element, handled, point, event);
  return result == kHandled ? kNoErr : result;
}

int32_t CTerrainEditor::PressLevelControl(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  *handled = element;
  CTerrainEditor* editor = GetCurrentEditor();
  CAppl* app = App();
  if (!editor || !app || !editor->fBrush) return kNoErr;
  CTerrainBrush& brush = *editor->fBrush;
  const SRect& rect = element->GetRect();
  const int32_t width = RectWidth(rect), height = RectHeight(rect);
  if (width <= 0 || height <= 0) return kNoErr;
  {
    CHiddenPointer hidden(OnScreen(element, point));
    // The top row is the highest level, the bottom row the lowest; the pointer stays on the control.
    int32_t shown = -1;
    for (bool first = true; first || app->IsStillDown(); first = false) {
      const SPointHV at = PointerIn(element);
      const SPointHV kept{std::clamp(at.h, 0, width - 1), std::clamp(at.v, 0, height - 1)};
      if (!(kept == at)) {
        const SPointHV screen = OnScreen(element, kept);
        SetCursorPosition(screen.h, screen.v);
      }
      if (kept.v != shown) {
        shown = kept.v;
        brush.SetLevelFraction(height > 1 ? double(shown) / (height - 1) : 0.0);
        brush.SetBehaviourCursor(false);
        if (editor->fOptionSpin) editor->Redraw(true, true, nullptr, nullptr);
        editor->UpdateNow();
      }
      platform::SleepMs(kPollMs);
    }
  }
  brush.SetBrushLevel(int32_t((1.0 - brush.GetLevelFraction()) * 65535.0));
  const int32_t result = UIHostPostElementMessage(element, handled, point, event);
  return result == kHandled ? kNoErr : result;
}

int32_t CTerrainEditor::DrawLevelControl(CElement* element, uint32_t pass, CImage*) {
  CTerrainEditor* editor = GetCurrentEditor();
  CImElement* control = AsImage(element);
  CImage* picture = control ? control->GetImage() : nullptr;
  if (!editor || !picture || pass != control->GetImageLayer() || !editor->fLevelPicture || !editor->fBrush)
    return kNoErr;
  if (!picture->CopyFrom(editor->fLevelPicture.get())) return kErrOutOfMemory;
  CImNavigator pixels(picture, nullptr, true, false);
  if (!pixels.IsUsable()) return kErrOutOfMemory;
  const uint32_t width = pixels.GetColumns(), height = pixels.GetRows();
  if (width < kLevelMark || height < kLevelMark) return kNoErr;
  const uint32_t top = std::min(uint32_t(std::max(height * editor->fBrush->GetShownLevel(), 0.0)), height - kLevelMark);
  for (uint32_t y = top; y < top + kLevelMark; ++y) {
    for (uint32_t x = width / 2 - 1; x <= width / 2 + 1; ++x) {
      CImVector& cell = pixels.Cells(y)[x];
      cell.value = (cell.value & 0xFF000000u) | kLevelColour;
    }
  }
  return kNoErr;
}
