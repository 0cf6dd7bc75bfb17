// The terrain editor's two views of its grid: the 2D view, drawn from the 8-bit picture of the grid
// with the brush's footprint and the crop frame over it, and the 3D view, rendered through the 3D
// preview from the grid or from a reduced copy of it. The editor's heartbeat spins the 3D view,
// plays its opening animation and passes hover to the elements, whose hover callbacks set the
// cursors.
#include <algorithm>
#include <cmath>

#include "editors/terrain/editor_helpers.h"
#include "editors/terrain/terrain_3d_preview.h"
#include "editors/terrain/terrain_brush.h"
#include "editors/terrain/terrain_editor.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image8.h"
#include "framework/ui/canvas.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "platform/clock.h"
#include "platform/gdi.h"
#include "scene/height_field.h"

using namespace terrain;

namespace {

constexpr double kSpinStep = 0.15713992638565955;
constexpr int64_t kSpinTicks = 5;
// Pointer travel turns the view by this many radians a pixel (single precision), a third of it
// vertically, and the eye stays between these heights.
constexpr float kTurnPerPixel = 0.017495556f;
constexpr double kLowestTurn = 0.1;
constexpr double kHighestTurn = 1.4745999813079833;
constexpr uint32_t kIntroSteps = 30;
constexpr float kPi = 3.14159265358979f;
// The crop frame's handles reach this far into it.
constexpr int32_t kHandleMargin = 5;
constexpr int32_t kCropSpace = 256;
// The bracket strip beside the 2D view.
constexpr int32_t kStripWidth = CTerrainEditor::kStripWidth;
constexpr int32_t kStripHeight = CTerrainEditor::kGradientCells;

SRect gView2d;
SRect gView3d;
int64_t gLastSpinTick = 0;
bool gSpunOnce = false;
CElement* gHovered = nullptr;
SPointHV gLastHover{-1, -1};
bool gLastAlt = false;
int64_t gLastIdleTick = 0;

bool Inside(CElement* element, SPointHV point, int32_t width, int32_t height) {
  SRect local;
  element->GetLocalRect(&local);
  return point.h >= local.left && point.h < local.left + width && point.v >= local.top && point.v < local.top + height;
}

bool InsideElement(CElement* element, SPointHV point) {
  const SRect& r = element->GetRect();
  return Inside(element, point, RectWidth(r), RectHeight(r));
}

// The element's rectangle in its window's coordinates.
SRect WindowRect(CElement* element, CHoElement* root) {
  SRect local, inRoot, inWindow;
  element->GetLocalRect(&local);
  element->LocalToAncestorRect(&inRoot, local, root);
  root->LocalToParentRect(&inWindow, inRoot);
  return inWindow;
}

void Forget(CElement* element) {
  if (gHovered == element) gHovered = nullptr;
}

}  // namespace

void CTerrainEditor::ForgetHover() {
  gHovered = nullptr;
  gLastHover = {-1, -1};
  gLastAlt = false;
}

const SRect& CTerrainEditor::GetView2dRect() const { return gView2d; }

const SRect& CTerrainEditor::GetView3dRect() const { return gView3d; }

void CTerrainEditor::RecordViewRects() {
  CHoElement* root = GetRoot();
  if (!root) return;
  if (fPreview2d) gView2d = WindowRect(fPreview2d, root);
  if (fPreview3dElement) gView3d = WindowRect(fPreview3dElement, root);
}

int32_t CTerrainEditor::BracketLowHeight() const { return fBracketsOn ? int32_t(fBracketLow * 65535) : 0; }

int32_t CTerrainEditor::BracketHighHeight() const { return fBracketsOn ? int32_t(fBracketHigh * 65535) : 65535; }

SRect CTerrainEditor::ScaleCropRect(const SRect& rect, uint32_t n, bool mirror) {
  const int64_t side = n;
  const auto scaled = [side](int32_t v) { return int32_t(int64_t(v) * side / kCropSpace); };
  SRect out{scaled(rect.top), scaled(rect.left), scaled(rect.bottom), scaled(rect.right)};
  if (mirror) {
    out.left = int32_t(side) - scaled(rect.right);
    out.right = int32_t(side) - scaled(rect.left);
  }
  const int32_t width = out.right - out.left, height = out.bottom - out.top;
  if (width > height) --out.right;
  else if (height > width) --out.bottom;
  return out;
}

// ---- redraws

int32_t CTerrainEditor::Redraw(bool redraw3d, bool redraw2d, const SPointHV* pointer2d, C3dHeightField* grid) {
  if (redraw2d) DrawView2d(pointer2d);
  if (!redraw3d) return kNoErr;
  if (!fOptionSpin) return Render3d(grid, nullptr, nullptr, nullptr, true, false, false) ? kNoErr : kErrGeneric;
  const int64_t now = platform::NowTicks();
  if (gSpunOnce && now - gLastSpinTick < kSpinTicks) return kNoErr;
  gSpunOnce = true;
  gLastSpinTick = now;
  if (fPreview3d) fPreview3d->SetTiltAngle(fPreview3d->GetTiltAngle() + kSpinStep);
  return Render3d(grid, nullptr, nullptr, nullptr, false, false, false) ? kNoErr : kErrGeneric;
}

// Through a bitmap of the view's size: the grid's picture with the crop frame, then the brush's
// footprint, dotted in XOR so that it never hides what lies under it.
void CTerrainEditor::DrawView2d(const SPointHV* pointer) {
  platform::DeviceContext* window = GetDeviceContext();
  CImage* picture = PictureOf(fPreview2d);
  const int32_t width = RectWidth(gView2d), height = RectHeight(gView2d);
  if (!window || !picture || width <= 0 || height <= 0 || !ComposeView2d(picture)) return;
  platform::DeviceContext* memory = platform::CreateCompatibleDC(window);
  platform::GdiObject bitmap = platform::CreateCompatibleBitmap(window, width, height);
  platform::GdiObject pen = platform::CreatePen(platform::kPsDot, 1, 0);
  if (memory && bitmap && pen) {
    platform::GdiObject oldBitmap = platform::SelectObject(memory, bitmap);
    picture->Draw(memory, picture->GetBounds(), SRect{0, 0, height, width});
    platform::GdiObject oldPen = platform::SelectObject(memory, pen);
    platform::GdiObject oldBrush = platform::SelectObject(memory, platform::GetStockObject(platform::kNullBrush));
    platform::SetROP2(memory, platform::kR2XorPen);
    if (pointer) {
      const int32_t r = fBrushCells;
      platform::Ellipse(memory, pointer->h - r, pointer->v - r, pointer->h + r + 1, pointer->v + r + 1);
    }
    platform::BitBlt(window, gView2d.left, gView2d.top, width, height, memory, 0, 0, platform::kSrcCopy);
    platform::SelectObject(memory, oldBrush);
    platform::SelectObject(memory, oldPen);
    platform::SelectObject(memory, oldBitmap);
  }
  if (pen) platform::DeleteObject(pen);
  if (bitmap) platform::DeleteObject(bitmap);
  if (memory) platform::DeleteDC(memory);
  platform::GdiFlush();
}

bool CTerrainEditor::Render3d(C3dHeightField* grid, CImage* target, const SPointHV* point, const SPointHV* lastPoint,
                              bool fullQuality, bool keepTurn, bool keepTilt, CImage* image, const SRect* clip) {
  CImage* picture = image ? image : fRender3d.get();
  if (!picture || !fPreview3d) return false;
  if (fBackground3d) picture->CopyFrom(fBackground3d.get());
  C3dHeightField* shown = grid ? grid : fCurrent;
  if (!shown) return true;
  ApplyViewDrag(point, lastPoint, keepTurn, keepTilt);
  const bool drawn = RenderRelief(shown, picture, fullQuality, clip);
  if (target) target->CopyFrom(picture);
  else if (platform::DeviceContext* window = GetDeviceContext()) picture->Draw(window, picture->GetBounds(), gView3d);
  return drawn;
}

bool CTerrainEditor::RenderRelief(C3dHeightField* grid, CImage* picture, bool fullQuality, const SRect* clip) {
  C3dHeightField* rendered = nullptr;
  if (!grid || !fPreview3d || !PrepareRenderGrid(grid, fullQuality, &rendered)) return false;
  CHolder heights(rendered, false, false);
  const SRect whole = picture->GetBounds();
  CImNavigator pixels(picture, &whole, true, false);
  if (!heights.IsLocked() || !pixels.IsUsable()) return false;
  const int32_t rowLength = int32_t(picture->GetStride() / sizeof(CImVector));
  return fPreview3d->Render(reinterpret_cast<uint32_t*>(pixels.Cells(0)), rowLength, clip ? *clip : whole,
                            rendered->GetGrid(), rendered->GetSide(), BracketLowHeight(), BracketHighHeight(),
                            fullQuality ? TerrainPreview::kReliefWithShadows : TerrainPreview::kRelief);
}

// The grid itself at full quality, else at most 128 × 128 through the preview grid; the crop frame's
// part of it when the frame shows.
bool CTerrainEditor::PrepareRenderGrid(C3dHeightField* grid, bool fullQuality, C3dHeightField** rendered) {
  const uint32_t n = grid->GetSide();
  const bool ownSide = fullQuality && !fOptionQuickPreview && !(App() && App()->IsControlDown());
  const uint32_t side = ownSide ? n : std::min(n, kPreviewSide);
  const bool cropped = fCropItem && fCropItem->IsShown();
  *rendered = grid;
  if (!cropped && side == n) return true;
  if (!fPreviewGrid || (fPreviewGrid->GetSide() != side && fPreviewGrid->SetResolution(side) != kNoErr)) return false;
  SRect region{0, 0, int32_t(n), int32_t(n)};
  if (cropped) {
    // The 2D view shows grid row n − 1 at its top.
    const SRect frame = ScaleCropRect(fCropItem->GetRect(), n, false);
    region = {int32_t(n) - frame.bottom, frame.left, int32_t(n) - frame.top, frame.right};
  }
  if (!fPreviewGrid->CopyFrom(*grid, &region)) return false;
  *rendered = fPreviewGrid;
  return true;
}

void CTerrainEditor::ApplyViewDrag(const SPointHV* point, const SPointHV* lastPoint, bool keepTurn, bool keepTilt) {
  if (!point || !lastPoint || !fPreview3d) return;
  const float across = float(point->h - lastPoint->h) * kTurnPerPixel;
  const float up = float(point->v - lastPoint->v) * kTurnPerPixel / 3;
  if (!keepTurn) fPreview3d->SetTiltAngle(fPreview3d->GetTiltAngle() + across);
  if (keepTilt) return;
  const double turn = fPreview3d->GetTurnAngle() + up;
  if ((up < 0 && turn >= kLowestTurn) || (up > 0 && turn < kHighestTurn)) fPreview3d->SetTurnAngle(turn);
}

bool CTerrainEditor::PlayIntro() {
  if (!fPreview3d) return false;
  CAppl* app = App();
  const double height = fPreview3d->GetHeightScale();
  fPreview3d->SetHeightScale(0);
  const float step = kPi / kIntroSteps;
  for (uint32_t i = 0; i < kIntroSteps; ++i) {
    fPreview3d->SetHeightScale(fPreview3d->GetHeightScale() + height / kIntroSteps);
    fPreview3d->SetTiltAngle(kPi + float(i) * step);
    Render3d(nullptr, nullptr, nullptr, nullptr, false, false, false);
    if (app && app->IsMouseDown()) break;
  }
  fPreview3d->SetHeightScale(height);
  const bool drawn = Render3d(nullptr, nullptr, nullptr, nullptr, true, false, false);
  fPreviewLive = true;
  return drawn;
}

// ---- the heartbeat

int32_t CTerrainEditor::Heartbeat(void* editor, void* record, void*) {
  if (!editor || !record) return kNoErr;
  return static_cast<CTerrainEditor*>(editor)->IdleStep(static_cast<const SHeartbeatRecord*>(record)->reserved1);
}

int32_t CTerrainEditor::IdleStep(uint32_t nested) {
  CAppl* app = App();
  CHoElement* root = GetRoot();
  if (!app || nested != 0 || IsStale() || !app->IsActive() || !IsShown() || !root ||
      !root->AcceptsEvents(kEventMaskHover))
    return kNoErr;
  if (fOptionSpin) Redraw(true, false, nullptr, nullptr);
  const int64_t now = platform::NowTicks();
  if (now - gLastIdleTick < int64_t(GetHoverInterval())) return kNoErr;
  gLastIdleTick = now;
  int32_t result = kNoErr;
  if (!fPreviewLive && fCurrent && !PlayIntro()) result = kErrGeneric;
  const platform::SPoint cursor = app->GetCursorPos();
  if (platform::WindowFromPoint(cursor) != GetWindow()) {
    if (CElement* hovered = gHovered) {
      gHovered = nullptr;
      gLastHover = {-1, -1};
      if (hovered == fPreview2d) DrawView2d(nullptr);
      hovered->Redraw();
      SetAppCursor(0, false);
    }
    return result;
  }
  if (!app->IsMouseDown()) {
    SPointHV point;
    root->ParentToLocalPoint(&point, ScreenToCanvas({cursor.x, cursor.y}));
    const int32_t hover = root->HandleHover(point);
    if (!result && hover != kHandled) result = hover;
  }
  return result;
}

// ---- hover

int32_t CTerrainEditor::HoverDragButton(CElement* element, SPointHV point) {
  if (!InsideElement(element, point)) {
    if (gHovered == element) {
      SetAppCursor(0, false);
      Forget(element);
    }
    return kNoErr;
  }
  if (gHovered != element) {
    SetAppCursor(element->GetUserWord(kCursorWord), false);
    gHovered = element;
  }
  return kHandled;
}

int32_t CTerrainEditor::HoverBracketArea(CElement* element, SPointHV point) {
  if (!Inside(element, point, kStripWidth, kStripHeight)) {
    if (gHovered == element) {
      SetAppCursor(0, false);
      Forget(element);
    }
    return kNoErr;
  }
  SetAppCursor(kBracketCursor, false);
  gHovered = element;
  return kHandled;
}

void CTerrainEditor::ShowBrushCursor(bool alt) {
  if (!fBrush) return;
  SetAppCursor(kBrushCursor + uint32_t(CTerrainBrush::ActingBehaviour(fBrush->GetBehaviour(), alt)), false);
}

void CTerrainEditor::HoverOutside2d() {
  gLastHover = {-1, -1};
  if (gHovered != fPreview2d) return;
  Forget(fPreview2d);
  DrawView2d(nullptr);
  SetAppCursor(0, false);
}

int32_t CTerrainEditor::HoverPreview2d(CElement* element, SPointHV point) {
  CTerrainEditor* editor = GetCurrentEditor();
  CAppl* app = App();
  if (!editor || !app || element != editor->fPreview2d) return kNoErr;
  if (!InsideElement(element, point)) {
    editor->HoverOutside2d();
    return kNoErr;
  }
  const bool alt = app->IsAltDown();
  if (point == gLastHover && alt == gLastAlt && gHovered == element) return kHandled;
  if (alt != gLastAlt && editor->fBrush) editor->fBrush->SetBehaviourCursor(alt);
  gLastHover = point;
  gLastAlt = alt;
  gHovered = element;
  CElement* frame = editor->fCropItem;
  const SRect& r = frame ? frame->GetRect() : SRect{};
  const bool inFrame = frame && frame->IsShown() && point.h >= r.left && point.h <= r.right && point.v >= r.top &&
                       point.v <= r.bottom;
  if (!inFrame) {
    editor->ShowBrushCursor(alt);
    editor->DrawView2d(&point);
    return kHandled;
  }
  // A side alone, a corner (a side each way), or the inside (no side, or two opposite ones).
  const bool left = point.h < r.left + kHandleMargin, right = point.h > r.right - kHandleMargin;
  const bool top = point.v < r.top + kHandleMargin, bottom = point.v > r.bottom - kHandleMargin;
  const int32_t across = left == right ? 0 : (left ? -1 : 1);
  const int32_t down = top == bottom ? 0 : (top ? -1 : 1);
  uint32_t handle = kHandleSide;
  uint32_t cursor = kSideCursor;
  if (!across && !down) {
    handle = kHandleInside;
    cursor = kMoveCursor;
  } else if (across && down) {
    cursor = kCornerCursor;
    if (across > 0) handle = down > 0 ? kHandleBottomRight : kHandleTopRight;
    else handle = down > 0 ? kHandleBottomLeft : kHandleTopLeft;
  }
  element->SetUserWord(kHandleWord, handle);
  SetAppCursor(cursor, false);
  return kHandled;
}

// ---- drawing the views' elements

bool CTerrainEditor::ComposeView2d(CImage* picture) {
  if (!fGreyImage || !fGreyImage->ToImage32(picture)) return false;
  if (fCropItem && fCropItem->IsShown()) DrawCropFrame(picture, fCropItem->GetRect());
  return true;
}

int32_t CTerrainEditor::DrawPreview2d(CElement* element, uint32_t pass, CImage*) {
  CTerrainEditor* editor = GetCurrentEditor();
  auto* view = dynamic_cast<CImElement*>(element);
  if (!editor || !view || pass != view->GetImageLayer() || !view->GetImage() || !editor->fGreyImage) return kNoErr;
  return editor->ComposeView2d(view->GetImage()) ? kNoErr : kErrOutOfMemory;
}

int32_t CTerrainEditor::DrawPreview3d(CElement* element, uint32_t pass, CImage* port) {
  CTerrainEditor* editor = GetCurrentEditor();
  auto* view = dynamic_cast<CImElement*>(element);
  if (!editor || !view || pass != view->GetImageLayer() || !view->GetImage() || !editor->fBackground3d) return kNoErr;
  // What lies behind the view is the relief's background.
  if (port && !editor->fBackground3d->CopyFrom(port)) return kErrOutOfMemory;
  if (!editor->fPreviewLive) return view->GetImage()->CopyFrom(editor->fBackground3d.get()) ? kNoErr : kErrOutOfMemory;
  editor->Render3d(nullptr, view->GetImage(), nullptr, nullptr, true, false, false);
  return kNoErr;
}
