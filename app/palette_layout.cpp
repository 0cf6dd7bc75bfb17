// The six palettes around the document view: the normal and the maximised layout, showing and hiding
// them together, and their positions in the preferences.
#include <algorithm>

#include "app/doc_window.h"
#include "app/palette_manager.h"
#include "app/quarn_app.h"
#include "document/prefs_file.h"
#include "framework/core/win_appl.h"
#include "framework/ui/canvas.h"
#include "framework/ui/layout_host_canvas.h"

namespace {

// The preferences fields: 32-bit words in the machine's order, the placed flags bytes.
constexpr uint32_t kRestoreOffset = 0;
constexpr uint32_t kPlacedOffset = 74;
constexpr uint32_t kLayoutOffset = 80;
constexpr uint32_t kPositionsOffset = 84;
constexpr int32_t kMinImageWidth = 480;
constexpr int32_t kMinImageHeight = 360;

// The bands: the control and display palettes take the layout rectangle's full height at its left
// and right edges; the rows take the full width between them at its top and bottom.
constexpr uint32_t kLeftBand = kPlaceTop | kPlaceLeft | kPlaceSizeV;
constexpr uint32_t kRightBand = kPlaceRight | kPlaceSizeV;
constexpr uint32_t kTopRow = kPlaceTop | kPlaceLeft | kPlaceSizeH;
constexpr uint32_t kBottomRow = kPlaceBottom | kPlaceSizeH;

CWinAppl* WinApp() { return dynamic_cast<CWinAppl*>(GetApplication()); }

int32_t Width(const CCanvas* canvas) { return canvas ? RectWidth(canvas->GetFrame()) : 0; }
int32_t Height(const CCanvas* canvas) { return canvas ? RectHeight(canvas->GetFrame()) : 0; }

// Each palette starts at the reference's top-left corner, so that an edge the code does not name is
// the reference's too.
void Align(CLayoutHostCanvas* palette, uint32_t code, const SRect& reference) {
  if (!palette) return;
  const SRect start{reference.top, reference.left, reference.top + Height(palette), reference.left + Width(palette)};
  palette->Place(start, code, &reference, {0.0f, 0.0f}, {1.0f, 1.0f});
  const SRect& frame = palette->GetFrame();
  palette->MoveResize({RectWidth(frame), RectHeight(frame)}, false);
  palette->Redraw(nullptr);
}

SRect Centred(SPointHV size, const SRect& area) {
  const int32_t top = area.top + (RectHeight(area) / 2 - size.v / 2);
  const int32_t left = area.left + (RectWidth(area) / 2 - size.h / 2);
  return {std::max(top, area.top), std::max(left, area.left), std::min(top + size.v, area.bottom),
          std::min(left + size.h, area.right)};
}

}  // namespace

SRect CPaletteManager::WorkRect() {
  CWinAppl* app = WinApp();
  if (!app) return {};
  SRect work = app->GetWorkRect();
  work.top = std::max(work.top, app->GetMenuBarHeight());
  return work;
}

// The document window is a child of the main window: its frame lies in the main window's client area.
void CPaletteManager::PlaceDocWindow(const SRect& screenRect) {
  CDocWindow* window = GetDocWindow();
  CWinAppl* app = WinApp();
  if (!window || !app) return;
  const platform::SPoint topLeft = platform::ScreenToClient(app->GetMainWindow(), {screenRect.left, screenRect.top});
  window->MoveResize({RectWidth(screenRect), RectHeight(screenRect)}, false);
  window->MoveTo({topLeft.x, topLeft.y});
}

void CPaletteManager::ResetPalettes(bool maximised, bool write) {
  CWinAppl* app = WinApp();
  if (!fCanvases || !app) return;
  if (write) {
    CPrefsFile prefs;
    if (prefs.IsRead() && prefs.GetWord(kLayoutOffset) != int32_t(maximised)) {
      prefs.SetWord(kLayoutOffset, int32_t(maximised));
      prefs.Write();
    }
  }
  const SRect work = WorkRect();
  CLayoutHostCanvas* control = GetPalette(kControlPalette);
  CLayoutHostCanvas* display = GetPalette(kDisplayPalette);
  CLayoutHostCanvas* create = GetPalette(kCreatePalette);
  CLayoutHostCanvas* selection = GetPalette(kSelectionPalette);
  CDocWindow* window = GetDocWindow();
  SRect layout = work;
  if (auto* quarn = dynamic_cast<CQuarnApp*>(app)) quarn->SetFrameMode(!maximised);
  if (!maximised) {
    SPointHV image = window ? window->GetWindowImageSize() : kStartImageSize;
    image = {std::max(image.h, kMinImageWidth), std::max(image.v, kMinImageHeight)};
    layout = Centred({image.h + Width(control) + Width(display), image.v + Height(create) + Height(selection)}, work);
  }
  const SRect rows{layout.top, layout.left + Width(control), layout.bottom, layout.right - Width(display)};
  Align(control, kLeftBand, layout);
  Align(create, kTopRow, rows);
  Align(GetPalette(kEditPalette), kTopRow, rows);
  Align(GetPalette(kSkyFogPalette), kTopRow, rows);
  Align(selection, kBottomRow, rows);
  Align(display, kRightBand, layout);
  for (uint32_t p = 0; p < kPaletteCount; ++p) {
    if (CLayoutHostCanvas* palette = GetPalette(EPalette(p))) palette->SetUserMoved(false);
  }
  const SRect inner{rows.top + Height(create), rows.left, rows.bottom - Height(selection), rows.right};
  fViewRect = inner;
  if (window) {
    const SRect canvas = maximised ? inner : work;
    PlaceDocWindow(canvas);
    if (maximised) window->SetFlags(CDocWindow::kViewIsCanvas);
    else window->ClearFlags(CDocWindow::kViewIsCanvas);
    window->SetViewRect(OffsetRect(inner, -canvas.left, -canvas.top));
    window->LayoutView();
  }
  for (CUIHostCanvas* canvas : {static_cast<CUIHostCanvas*>(display), static_cast<CUIHostCanvas*>(control),
                                static_cast<CUIHostCanvas*>(selection), static_cast<CUIHostCanvas*>(window)}) {
    if (canvas) canvas->UpdateNow();
  }
  fLayoutFlag = !maximised;
}

bool CPaletteManager::IsAnyPaletteVisible() {
  for (uint32_t p = 0; p < kPaletteCount; ++p) {
    CLayoutHostCanvas* palette = GetPalette(EPalette(p));
    if (palette && palette->IsShown()) return true;
  }
  return false;
}

bool CPaletteManager::ShowPalettes(bool show, bool refit, bool fromCtrlTab) {
  const bool wereVisible = !fPalettesHidden;
  CDocWindow* window = GetDocWindow();
  if (show) {
    if (window) window->Show();
    for (EPalette p : {kControlPalette, kCreatePalette, kSelectionPalette, kDisplayPalette}) {
      if (CLayoutHostCanvas* palette = GetPalette(p)) {
        palette->Show();
        palette->UpdateNow();
      }
    }
    for (EPalette p : {kSkyFogPalette, kEditPalette}) {
      if (CLayoutHostCanvas* palette = GetPalette(p)) palette->Show();
    }
  } else {
    for (uint32_t p = 0; p < kPaletteCount; ++p) {
      if (CLayoutHostCanvas* palette = GetPalette(EPalette(p))) palette->Hide();
    }
  }
  if (window && refit && (show || fromCtrlTab)) {
    if (fromCtrlTab) {
      // Without palettes the view takes the document image's own size; with them, the last layout's.
      const SRect bounds = window->GetBounds();
      const SRect kept = window->CanvasToScreenRect(bounds);
      window->SetViewRect(wereVisible ? Centred(window->GetWindowImageSize(), bounds)
                                      : OffsetRect(fViewRect, -kept.left, -kept.top));
    }
    window->LayoutView();
  }
  fPalettesHidden = !show;
  return fPalettesHidden;
}

void CPaletteManager::MovePalette(CLayoutHostCanvas* palette, int32_t x, int32_t y) {
  if (!palette) return;
  palette->MoveTo({x, y});
  palette->SetUserMoved(true);
}

void CPaletteManager::HidePalettesAndWindow() {
  for (uint32_t p = 0; p < kPaletteCount; ++p) {
    if (CLayoutHostCanvas* palette = GetPalette(EPalette(p))) palette->Hide();
  }
  if (CDocWindow* window = GetDocWindow()) window->Hide();
}

// A palette the user dragged counts as placed as much as one restored to its stored place.
bool CPaletteManager::StorePalettePrefs(int32_t mode) {
  CPrefsFile prefs;
  if (!prefs.IsRead()) return false;
  uint8_t* block = prefs.GetBlock();
  if (mode == 1 && prefs.GetWord(kRestoreOffset) == 1) {
    if (prefs.GetWord(kLayoutOffset) != 0) {
      ResetPalettes(true, false);
      return false;
    }
    for (uint32_t p = 0; p < kPaletteCount; ++p) {
      if (!block[kPlacedOffset + p]) continue;
      const uint32_t at = kPositionsOffset + 8 * p;
      MovePalette(GetPalette(EPalette(p)), prefs.GetWord(at), prefs.GetWord(at + 4));
    }
    return false;
  }
  for (uint32_t p = 0; p < kPaletteCount; ++p) {
    CLayoutHostCanvas* palette = GetPalette(EPalette(p));
    if (!palette) continue;
    const uint32_t at = kPositionsOffset + 8 * p;
    prefs.SetWord(at, palette->GetFrame().left);
    prefs.SetWord(at + 4, palette->GetFrame().top);
    block[kPlacedOffset + p] = palette->IsUserMoved() ? 1 : 0;
  }
  return prefs.Write();
}
