#include "panels/magic_marker.h"

#include <algorithm>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/win_appl.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/global_memory.h"

namespace {

constexpr int64_t kPollMs = 2;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kSliderFill = 0x808080;
constexpr int32_t kSwatchCorner = 15;

}  // namespace

const uint32_t CMagicMarker::kSwatches[kSwatchCount] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                                         0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};

CMagicMarker::CMagicMarker(platform::CursorHandle cursor, platform::WindowHandle owner, int32_t cornerX,
                           int32_t cornerY)
    : fCursor(cursor), fOwner(owner), fCornerX(cornerX), fCornerY(cornerY) {
  Run();
}

CMagicMarker::~CMagicMarker() { fRan = 0; }

uint32_t CMagicMarker::GetPenColour() const { return uint32_t(fRed) << 16 | uint32_t(fGreen) << 8 | fBlue; }

void CMagicMarker::Run() {
  if (fCursor) {
    platform::SetCursor(fCursor);
    if (CAppl* app = GetApplication()) app->ShowCursor();
  }
  void* dialogTemplate = platform::GlobalAlloc(platform::kGmemZeroInit, kTemplateBytes);
  if (!dialogTemplate) return;
  std::memcpy(dialogTemplate, &kWindowStyle, sizeof kWindowStyle);
  fTemplateBytes += int32_t(kTemplateBytes);
  auto* app = dynamic_cast<CWinAppl*>(GetApplication());
  const intptr_t result = platform::DialogBoxIndirectParam(app ? app->GetInstance() : platform::ProgramModule(),
                                                           dialogTemplate, fOwner, &DialogProc,
                                                           reinterpret_cast<intptr_t>(this));
  platform::GlobalFree(dialogTemplate);
  fTemplateBytes -= int32_t(kTemplateBytes);
  if (result != -1) fRan = 1;
}

intptr_t CMagicMarker::DialogProc(platform::WindowHandle dialog, uint32_t message, uintptr_t, intptr_t lParam) {
  using namespace platform;
  if (message == kWmInitDialog) {
    auto* marker = reinterpret_cast<CMagicMarker*>(lParam);
    if (!marker) return 1;
    SetWindowUserData(dialog, lParam);
    marker->Start(dialog);
    return 0;
  }
  auto* marker = reinterpret_cast<CMagicMarker*>(GetWindowUserData(dialog));
  if (!marker) return 0;
  switch (message) {
    case kWmSetCursor:
      if (marker->fCursor) SetCursor(marker->fCursor);
      return 1;
    case kWmPaint:
    case kWmEraseBackground: return 1;
    case kWmClose:
    case kWmKeyDown:
    case kWmSysKeyDown:
    case kWmCommand: EndDialog(dialog, 0); return 1;
    case kWmLButtonDown:
      marker->Stroke(dialog, {LowWordSigned(lParam), HighWordSigned(lParam)});
      return 1;
    case kWmRButtonDown: marker->ChoosePen(dialog); return 1;
    default: return 0;
  }
}

// Whatever the window would cover is copied into it before it shows: it paints nothing itself.
void CMagicMarker::Start(platform::WindowHandle dialog) {
  using namespace platform;
  const int32_t width = GetSystemMetrics(kSmCxScreen), height = GetSystemMetrics(kSmCyScreen);
  MoveWindow(dialog, 0, 0, width, height, false);
  DeviceContext* screen = GetDC(nullptr);
  DeviceContext* dc = GetDC(dialog);
  BitBlt(dc, 0, 0, width, height, screen, 0, 0, kSrcCopy);
  ReleaseDC(dc);
  ReleaseDC(screen);
  ShowWindow(dialog, kSwShow);
  SetFocus(dialog);
}

bool CMagicMarker::IsInCloseBox(platform::SPoint point) const {
  return point.x >= fCornerX && point.x <= fCornerX + kCloseBoxSize && point.y >= fCornerY &&
         point.y <= fCornerY + kCloseBoxSize;
}

bool CMagicMarker::IsHeld(platform::WindowHandle dialog, bool primary) {
  using namespace platform;
  const bool swapped = GetSystemMetrics(kSmSwapButton) != 0;
  const bool left = primary != swapped;
  const uint32_t release = left ? kWmLButtonUp : kWmRButtonUp;
  SMessage waiting;
  return IsKeyDownAsync(left ? kVkLButton : kVkRButton) && !PeekMessage(&waiting, dialog, release, release, false);
}

void CMagicMarker::Stroke(platform::WindowHandle dialog, platform::SPoint press) {
  using namespace platform;
  if (IsInCloseBox(press)) {
    EndDialog(dialog, 0);
    return;
  }
  DeviceContext* dc = GetDC(dialog);
  MoveToEx(dc, press.x, press.y, nullptr);
  GdiObject pen = CreatePen(kPsSolid, GetPenWidth(), GetPenColour());
  GdiObject before = pen ? SelectObject(dc, pen) : nullptr;
  while (before && IsHeld(dialog, true)) {
    const SPoint at = ScreenToClient(dialog, GetCursorPos());
    LineTo(dc, at.x, at.y);
    SleepMs(kPollMs);
  }
  if (before) SelectObject(dc, before);
  DeleteObject(pen);
  ReleaseDC(dc);
}

void CMagicMarker::ChoosePen(platform::WindowHandle dialog) {
  using namespace platform;
  DeviceContext* dc = GetDC(dialog);
  const int32_t width = GetSystemMetrics(kSmCxScreen);
  // What the strip covers, put back afterwards.
  DeviceContext* memory = CreateCompatibleDC(dc);
  GdiObject saved = memory ? CreateCompatibleBitmap(dc, width, kStripHeight) : nullptr;
  GdiObject replaced = saved ? SelectObject(memory, saved) : nullptr;
  if (replaced) BitBlt(memory, 0, 0, width, kStripHeight, dc, 0, 0, kSrcCopy);
  DrawStrip(dc, width, fWidthFactor);
  while (IsHeld(dialog, false)) {
    TrackSlider(dc, ScreenToClient(dialog, GetCursorPos()));
    SleepMs(kPollMs);
  }
  const SPoint at = ScreenToClient(dialog, GetCursorPos());
  for (uint32_t i = 0; i < kSwatchCount; ++i) {
    const int32_t left = kSwatchPitch * int32_t(i);
    if (!SWinRect{left, 0, left + kSwatchWidth, kSwatchHeight}.Contains(at)) continue;
    fRed = uint8_t(kSwatches[i] >> 16);
    fGreen = uint8_t(kSwatches[i] >> 8);
    fBlue = uint8_t(kSwatches[i]);
  }
  if (replaced) {
    BitBlt(dc, 0, 0, width, kStripHeight, memory, 0, 0, kSrcCopy);
    SelectObject(memory, replaced);
  }
  if (saved) DeleteObject(saved);
  if (memory) DeleteDC(memory);
  ReleaseDC(dc);
}

void CMagicMarker::DrawStrip(platform::DeviceContext* dc, int32_t width, float factor) {
  using namespace platform;
  FillRect(dc, {0, 0, width, kStripHeight}, GetStockObject(kBlackBrush));
  GdiObject outline = CreatePen(kPsSolid, 1, kWhite);
  GdiObject penBefore = SelectObject(dc, outline);
  for (uint32_t i = 0; i < kSwatchCount; ++i) {
    GdiObject fill = CreateSolidBrush(kSwatches[i]);
    GdiObject brushBefore = SelectObject(dc, fill);
    const int32_t left = kSwatchPitch * int32_t(i);
    RoundRect(dc, left, 0, left + kSwatchWidth, kSwatchHeight, kSwatchCorner, kSwatchCorner);
    SelectObject(dc, brushBefore);
    DeleteObject(fill);
  }
  SelectObject(dc, penBefore);
  DeleteObject(outline);
  DrawSlider(dc, factor);
}

void CMagicMarker::TrackSlider(platform::DeviceContext* dc, platform::SPoint pointer) {
  if (!kSlider.Contains(pointer)) return;
  const int32_t range = kSlider.Width();
  fWidthFactor = float(std::clamp(pointer.x - kSlider.left, 1, range)) / float(range);
  DrawSlider(dc, fWidthFactor);
}

// A white frame (its right edge one pixel further), inside it grey for the width and black beyond.
void CMagicMarker::DrawSlider(platform::DeviceContext* dc, float factor) {
  using namespace platform;
  const SWinRect& r = kSlider;
  FrameRect(dc, {r.left, r.top, r.right + 1, r.bottom}, GetStockObject(kWhiteBrush));
  const SWinRect inside{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  const int32_t split = std::min(inside.left + int32_t(float(r.Width()) * factor), inside.right);
  GdiObject grey = CreateSolidBrush(kSliderFill);
  FillRect(dc, {inside.left, inside.top, split, inside.bottom}, grey);
  FillRect(dc, {split, inside.top, inside.right, inside.bottom}, GetStockObject(kBlackBrush));
  DeleteObject(grey);
}
