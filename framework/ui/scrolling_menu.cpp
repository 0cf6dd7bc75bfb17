#include "framework/ui/scrolling_menu.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/system_info.h"
#include "framework/core/win_appl.h"
#include "framework/ui/canvas.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/global_memory.h"

// A row: one zero-filled global block, its text another.
struct CScrollingMenu::SRow {
  uint32_t identifier;
  char* text;
  uint8_t checked;
  uint8_t disabled;
  uint8_t separator;
  uint8_t highlighted;
  CScrollingMenu* subMenu;
  SRow* next;
};

namespace {

using platform::SWinRect;

constexpr uint32_t kTimerId = 1;
constexpr uint32_t kTimerPeriodMs = 1;
constexpr size_t kTemplateBytes = 58;
constexpr uint32_t kNewLookStyle = 0x80000080;  // pop-up with a modal dialog frame
constexpr uint32_t kOldLookStyle = 0x80800000;  // pop-up with a thin border
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRowFormat = platform::kDtSingleLine | platform::kDtVCenter | platform::kDtLeft;
constexpr int32_t kShiftStep = 10;
constexpr int32_t kControlStep = 5;

// Shared by every scrolling menu.
platform::WindowHandle gOwner = nullptr;
uint32_t gOpenCount = 0;
bool gDrag = false;
platform::WindowHandle gOpenWindows[CScrollingMenu::kOpenWindowSlots] = {};

int32_t Slot(platform::WindowHandle window) {
  for (uint32_t i = 0; i < CScrollingMenu::kOpenWindowSlots; ++i) {
    if (gOpenWindows[i] == window) return int32_t(i);
  }
  return -1;
}

uint32_t TextColourOf(bool grey, bool highlighted, uint32_t text, uint32_t greyText, uint32_t highlightText) {
  if (grey) return greyText;
  return highlighted ? highlightText : text;
}

// A solid pen and brush of one colour, selected for the life of the guard.
class CShapeColour {
 public:
  CShapeColour(platform::DeviceContext* dc, uint32_t color)
      : fDC(dc), fPen(platform::CreatePen(platform::kPsSolid, 1, color)), fBrush(platform::CreateSolidBrush(color)) {
    fOldPen = platform::SelectObject(fDC, fPen);
    fOldBrush = platform::SelectObject(fDC, fBrush);
  }
  ~CShapeColour() {
    if (fOldPen) platform::SelectObject(fDC, fOldPen);
    if (fOldBrush) platform::SelectObject(fDC, fOldBrush);
    platform::DeleteObject(fPen);
    platform::DeleteObject(fBrush);
  }
  CShapeColour(const CShapeColour&) = delete;
  CShapeColour& operator=(const CShapeColour&) = delete;

 private:
  platform::DeviceContext* fDC;
  platform::GdiObject fPen;
  platform::GdiObject fBrush;
  platform::GdiObject fOldPen = nullptr;
  platform::GdiObject fOldBrush = nullptr;
};

void FillBand(platform::DeviceContext* dc, const SWinRect& rect, uint32_t color) {
  platform::GdiObject brush = platform::CreateSolidBrush(color);
  platform::FillRect(dc, rect, brush);
  platform::DeleteObject(brush);
}

platform::ModuleHandle Instance() {
  auto* app = dynamic_cast<CWinAppl*>(GetApplication());
  return app ? app->GetInstance() : platform::ProgramModule();
}

platform::SPoint PointerIn(platform::WindowHandle window) {
  return platform::ScreenToClient(window, platform::GetCursorPos());
}

}  // namespace

// ---- life

CScrollingMenu::CScrollingMenu() {
  if (!platform::IsWindow(gOwner)) std::fill(std::begin(gOpenWindows), std::end(gOpenWindows), nullptr);
  fTextColor = platform::GetSysColor(platform::kColorWindowText);
  fGreyTextColor = platform::GetSysColor(platform::kColorGrayText);
  fHighlightTextColor = platform::GetSysColor(platform::kColorHighlightText);
  fBackgroundColor = platform::GetSysColor(platform::kColorMenu);
  fHighlightColor = platform::GetSysColor(platform::kColorHighlight);
  fNewLook = CSystemInfo::Get().HasNewShell();
  fDC = platform::CreateCompatibleDC(nullptr);
  if (!fDC) return;
  fFont = platform::GetStockObject(platform::kDefaultGuiFont);
  if (!fFont) fFont = platform::GetStockObject(platform::kAnsiVarFont);
  fReplacedFont = fFont ? platform::SelectObject(fDC, fFont) : nullptr;
  if (!fReplacedFont) return;
  platform::SetTextAlign(fDC, platform::kTaTopLeft);
  // A program without text drawing (the command-line tools) still stores and reads menus; their rows
  // would take the system's menu height.
  platform::STextMetrics metrics;
  if (platform::GetTextMetrics(fDC, &metrics)) fFontHeight = metrics.height;
  fPrepared = 1;
}

CScrollingMenu::~CScrollingMenu() {
  if (fDC) {
    if (fReplacedFont) platform::SelectObject(fDC, fReplacedFont);
    platform::DeleteDC(fDC);
    fDC = nullptr;
  }
  fFont = nullptr;  // a stock font, never deleted
  if (gOpenCount == 0 && gOwner) {
    platform::DestroyWindow(gOwner);
    gOwner = nullptr;
    gDrag = false;
  }
  ClearItems();
  fPrepared = 0;
}

void* CScrollingMenu::AllocateBlock(size_t size) {
  void* block = platform::GlobalAlloc(platform::kGmemZeroInit, size);
  if (block) fMemoryHeld += uint32_t(platform::GlobalSize(block));
  return block;
}

void CScrollingMenu::FreeBlock(void* block) {
  if (!block) return;
  fMemoryHeld -= uint32_t(platform::GlobalSize(block));
  platform::GlobalFree(block);
}

void CScrollingMenu::FreeRow(SRow* row) {
  FreeBlock(row->text);
  FreeBlock(row);
}

// ---- rows

bool CScrollingMenu::AddItem(uint32_t identifier, const char* text, bool checked, bool disabled,
                             CScrollingMenu* subMenu) {
  if (!fPrepared || identifier < 1) return false;
  auto* row = static_cast<SRow*>(AllocateBlock(sizeof(SRow)));
  if (!row) return false;
  if (text) {
    const size_t length = std::strlen(text);
    row->text = static_cast<char*>(AllocateBlock(length + 1));
    if (!row->text) {
      FreeBlock(row);
      return false;
    }
    std::memcpy(row->text, text, length + 1);
  }
  row->identifier = identifier;
  row->checked = checked ? 1 : 0;
  row->disabled = disabled ? 1 : 0;
  row->separator = text ? 0 : 1;
  row->subMenu = subMenu;
  SRow** end = &fRows;
  while (*end) end = &(*end)->next;
  *end = row;
  ++fCount;
  return true;
}

bool CScrollingMenu::SetSubMenu(uint32_t identifier, CScrollingMenu* subMenu) {
  if (subMenu && (!subMenu->IsPrepared() || subMenu == this)) return false;
  SRow* target = nullptr;
  for (SRow* row = fRows; row; row = row->next) {
    if (subMenu && row->subMenu == subMenu) return false;
    if (!target && row->identifier == identifier) target = row;
  }
  if (!target) return false;
  target->subMenu = subMenu;
  return true;
}

bool CScrollingMenu::CheckState(uint32_t mode, uint32_t identifier, bool* flag) {
  if (!flag) return false;
  for (SRow* row = fRows; row; row = row->next) {
    if (row->identifier != identifier) continue;
    if (mode == kReadCheck) *flag = row->checked != 0;
    else if (mode == kWriteCheck) row->checked = *flag ? 1 : 0;
    return true;
  }
  return false;
}

bool CScrollingMenu::SetDisabled(uint32_t identifier, bool disabled) {
  bool found = false;
  for (SRow* row = fRows; row; row = row->next) {
    if (row->identifier != identifier) continue;
    row->disabled = disabled ? 1 : 0;
    found = true;
  }
  return found;
}

void CScrollingMenu::ClearItems() {
  while (fRows) {
    SRow* next = fRows->next;
    FreeRow(fRows);
    fRows = next;
  }
  fCount = 0;
  fHighlighted = nullptr;
}

CScrollingMenu::SRow* CScrollingMenu::RowAtIndex(uint32_t index) const {
  SRow* row = fRows;
  for (uint32_t i = 0; row && i < index; ++i) row = row->next;
  return row;
}

// ---- the open-window table

bool CScrollingMenu::RegisterMenuWindow(platform::WindowHandle window, uint32_t mode) {
  if (mode == 0) {
    const int32_t free = Slot(nullptr);
    if (free < 0) return false;
    gOpenWindows[free] = window;
    return true;
  }
  const int32_t slot = Slot(window);
  if (slot < 0) return false;
  gOpenWindows[slot] = nullptr;
  return true;
}

void CScrollingMenu::CloseAll() {
  for (uint32_t i = kOpenWindowSlots; i-- > 0;) {
    if (gOpenWindows[i]) platform::SendMessage(gOpenWindows[i], platform::kWmClose, 0, 0);
  }
}

bool CScrollingMenu::HasChild() const {
  const int32_t slot = Slot(fWindow);
  return slot >= 0 && uint32_t(slot) + 1 < kOpenWindowSlots && gOpenWindows[slot + 1] != nullptr;
}

// ---- tracking

platform::SPoint CScrollingMenu::Frame() const {
  if (fNewLook) return {platform::GetSystemMetrics(platform::kSmCxDlgFrame), platform::GetSystemMetrics(platform::kSmCyDlgFrame)};
  return {platform::GetSystemMetrics(platform::kSmCxBorder), platform::GetSystemMetrics(platform::kSmCyBorder)};
}

int32_t CScrollingMenu::ContentWidth() const {
  int32_t widest = 0;
  for (SRow* row = fRows; row; row = row->next) {
    if (!row->text) continue;
    SWinRect measured{0, 0, 0, 0};
    platform::DrawText(fDC, row->text, -1, &measured, kRowFormat | platform::kDtCalcRect);
    widest = std::max(widest, measured.Width());
  }
  return widest + 2 * fRowHeight;
}

CScrollingMenu* CScrollingMenu::Track(platform::WindowHandle owner, int32_t x, int32_t y, uint32_t* identifier,
                                      int32_t maxWidth, int32_t spacing, uint32_t placement, uint32_t flashCount) {
  if (identifier) *identifier = 0;
  if (!fPrepared || !platform::IsWindow(owner) || !identifier || maxWidth < 0 || spacing < 0 || !fRows || fOpen)
    return nullptr;
  fPlacement = placement;
  fSpacing = spacing;
  fFlashCount = flashCount;
  fRowHeight = std::max(fFontHeight, platform::GetSystemMetrics(platform::kSmCyMenu)) + spacing;
  fResultMenu = this;
  fChosen = 0;
  fHovering = false;
  fHoverRow = 0;
  fScrollOffset = 0;
  fHighlighted = nullptr;
  for (SRow* row = fRows; row; row = row->next) row->highlighted = 0;
  fAnchor = platform::ClientToScreen(owner, {x, y});
  if (!platform::IsWindow(gOwner)) {
    gOwner = platform::CreateWindow(0, platform::kButtonClass, "", platform::kWsDisabled, 0, 0, 0, 0, nullptr,
                                    nullptr, Instance(), nullptr);
    if (!gOwner) return nullptr;
  }
  fContentWidth = std::min(ContentWidth(), maxWidth);
  const int32_t screenHeight = platform::GetSystemMetrics(platform::kSmCyScreen);
  const int32_t visibleHeight =
      int32_t(std::min<int64_t>(int64_t(fCount) * fRowHeight, screenHeight - screenHeight % fRowHeight));
  fVisibleRows = uint32_t(visibleHeight / fRowHeight);
  fBackBuffer = platform::CreateCompatibleBitmap(fDC, std::max(fContentWidth, 1), std::max(visibleHeight, 1));
  fReplacedBitmap = fBackBuffer ? platform::SelectObject(fDC, fBackBuffer) : nullptr;
  void* dialogTemplate = fReplacedBitmap ? AllocateBlock(kTemplateBytes) : nullptr;
  intptr_t result = -1;
  if (dialogTemplate) {
    const uint32_t style = fNewLook ? kNewLookStyle : kOldLookStyle;
    std::memcpy(dialogTemplate, &style, sizeof style);
    ++gOpenCount;
    fOpen = 1;
    result = platform::DialogBoxIndirectParam(Instance(), dialogTemplate, gOwner, &ScrollingMenuProc,
                                              reinterpret_cast<intptr_t>(this));
    fOpen = 0;
    --gOpenCount;
    FreeBlock(dialogTemplate);
  }
  if (fReplacedBitmap) platform::SelectObject(fDC, fReplacedBitmap);
  if (fBackBuffer) platform::DeleteObject(fBackBuffer);
  fBackBuffer = fReplacedBitmap = nullptr;
  fWindow = nullptr;
  if (result == -1 || fChosen == 0) return nullptr;
  *identifier = fChosen;
  return fResultMenu;
}

intptr_t CScrollingMenu::ScrollingMenuProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                           intptr_t lParam) {
  using namespace platform;
  if (message == kWmInitDialog) {
    reinterpret_cast<CScrollingMenu*>(lParam)->Start(window);
    return 1;
  }
  auto* menu = reinterpret_cast<CScrollingMenu*>(GetWindowUserData(window));
  if (!menu) return 0;
  switch (message) {
    case kWmTimer: {
      const SPoint p = PointerIn(window);
      menu->TrackPointer(p.x, p.y);
      if (IsKeyDownAsync(kVkReturn)) menu->Choose(p.x, p.y);
      else if (IsKeyDownAsync(kVkEscape)) CloseAll();
      return 1;
    }
    case kWmMouseMove:
      if ((wParam & 0xFFFF) == 1) gDrag = true;
      menu->TrackPointer(LowWordSigned(lParam), HighWordSigned(lParam));
      return 1;
    case kWmLButtonDown: gDrag = true; return 1;
    case kWmLButtonUp: menu->Choose(LowWordSigned(lParam), HighWordSigned(lParam)); return 1;
    case kWmPaint: menu->Paint(); return 1;
    case kWmActivate: menu->OnActivate(wParam, lParam); return 1;
    case kWmSysKeyDown: CloseAll(); return 1;
    case kWmClose: menu->Close(); return 1;
    default: return 0;
  }
}

void CScrollingMenu::Start(platform::WindowHandle window) {
  fWindow = window;
  platform::SetWindowUserData(window, reinterpret_cast<intptr_t>(this));
  if (!RegisterMenuWindow(window, 0)) {
    platform::EndDialog(window, 0);
    return;
  }
  fTimerRunning = 0;
  fClosing = 0;
  PlaceWindow();
  fTimerRunning = platform::SetTimer(window, kTimerId, kTimerPeriodMs) ? 1 : 0;
}

void CScrollingMenu::Close() {
  if (fClosing) return;
  if (fTimerRunning) platform::KillTimer(fWindow, kTimerId);
  fTimerRunning = 0;
  fClosing = 1;
  RegisterMenuWindow(fWindow, 1);
  platform::EndDialog(fWindow, 0);
}

void CScrollingMenu::OnActivate(uintptr_t wParam, intptr_t lParam) {
  if ((wParam & 0xFFFF) != platform::kWaInactive) {
    // Brought forward: the pop-ups opened after this one close, the last first.
    const int32_t slot = Slot(fWindow);
    for (uint32_t i = kOpenWindowSlots; slot >= 0 && i-- > uint32_t(slot) + 1;) {
      if (gOpenWindows[i]) platform::SendMessage(gOpenWindows[i], platform::kWmClose, 0, 0);
    }
    return;
  }
  if (fClosing) return;
  auto* other = reinterpret_cast<platform::WindowHandle>(lParam);
  if (other && platform::GetParent(other) == gOwner) {
    if (!HasChild()) Close();
  } else {
    CloseAll();
  }
}

void CScrollingMenu::PlaceWindow() {
  const platform::SPoint frame = Frame();
  const int32_t width = fContentWidth + 2 * frame.x;
  const int32_t height = int32_t(fVisibleRows) * fRowHeight + 2 * frame.y;
  const int32_t screenWidth = platform::GetSystemMetrics(platform::kSmCxScreen);
  const int32_t screenHeight = platform::GetSystemMetrics(platform::kSmCyScreen);
  int32_t x = fAnchor.x;
  if (fPlacement == kOpenLeft) x = fAnchor.x - width;
  else if (fPlacement == kOpenCentred) x = fAnchor.x - width / 2;
  int32_t y = fAnchor.y;
  if (y + height > screenHeight) y = std::max(0, y - (y + height - screenHeight));
  if (x < 0) {
    x = 0;
    fPlacement = kOpenRight;
  }
  if (x + width > screenWidth) {
    fPlacement = kOpenLeft;
    x -= x + width - screenWidth;
  }
  if (fScrollOffset != 0 || fVisibleRows < fCount) y = screenHeight / 2 - height / 2;
  platform::SetWindowPos(fWindow, x, y, width, height, platform::kSwpShowWindow);
  platform::SetFocus(fWindow);
}

void CScrollingMenu::Paint() {
  platform::SPaint paint;
  if (!platform::BeginPaint(fWindow, &paint)) return;
  SRow* row = RowAtIndex(fScrollOffset);
  for (uint32_t position = 1; position <= fVisibleRows && row; ++position, row = row->next) DrawRow(position, row, nullptr);
  platform::BitBlt(paint.dc, 0, 0, fContentWidth, int32_t(fVisibleRows) * fRowHeight, fDC, 0, 0, platform::kSrcCopy);
  platform::EndPaint(fWindow, paint);
  SWinRect still;
  if (platform::GetUpdateRect(fWindow, &still)) platform::UpdateWindow(fWindow);
}

uint32_t CScrollingMenu::RowAt(int32_t x, int32_t y, bool clampX, bool clampY) const {
  const int32_t visibleHeight = int32_t(fVisibleRows) * fRowHeight;
  if (!clampX && (x < 0 || x >= fContentWidth)) return 0;
  if (y < 0) return clampY ? 1 : 0;
  if (y >= visibleHeight) return clampY ? fVisibleRows : 0;
  return std::clamp<uint32_t>(uint32_t(y / fRowHeight) + 1, 1, fVisibleRows);
}

void CScrollingMenu::TrackHover(int32_t x, int32_t y) {
  const int64_t now = platform::NowMs();
  const bool swapped = platform::GetSystemMetrics(platform::kSmSwapButton) != 0;
  const bool button = platform::IsKeyDownAsync(swapped ? platform::kVkRButton : platform::kVkLButton);
  const platform::SPoint screen = platform::ClientToScreen(fWindow, {x, y});
  if (!gDrag && button) {
    const double dx = screen.x - fAnchor.x, dy = screen.y - fAnchor.y;
    if (int32_t(std::sqrt(dx * dx + dy * dy)) > kDragDistance) gDrag = true;
  }
  const uint32_t row = RowAt(x, y, false, false);
  SRow* record = row ? RowAtIndex(fScrollOffset + row - 1) : nullptr;
  int64_t elapsed = 0;
  const platform::WindowHandle under = platform::WindowFromPoint(screen);
  if (under != fWindow) {
    fHovering = false;
    fHoverRow = 0;
    if (platform::GetParent(under) != gOwner && !button && gDrag) {
      CloseAll();
      gDrag = false;
      if (row != fHoverRow) {
        fRowEntered = now;
        fHoverRow = row;
      }
      return;
    }
  } else if (!fHovering) {
    fHovering = true;
    fHoverStart = now;
  } else {
    elapsed = now - fHoverStart;
  }
  if (record && (elapsed <= kPauseMs || platform::GetActiveWindow() == fWindow)) {
    // A row with a sub-menu opens it after a pause, as a release would.
    if (record->subMenu && row != fHoverRow) {
      fRowEntered = now;
      fHoverRow = row;
    } else if (record->subMenu && now - fRowEntered > kPauseMs) {
      platform::PostMessage(fWindow, platform::kWmLButtonUp, 0, platform::MakeLParam(x, y));
      fHovering = false;
      fHoverRow = 0;
    }
  } else if (record && (!record->subMenu || !record->subMenu->IsOpen())) {
    // Resting on an inactive pop-up brings it forward, which closes the pop-ups opened after it.
    if (row != fHoverRow) {
      fRowEntered = now;
      fHoverRow = row;
    } else if (now - fRowEntered > kPauseMs) {
      platform::SetForegroundWindow(fWindow);
      platform::SetForegroundWindow(fWindow);
      fHovering = false;
      fHoverRow = 0;
    }
  }
  if (row != fHoverRow) {
    fRowEntered = now;
    fHoverRow = row;
  }
}

void CScrollingMenu::TrackPointer(int32_t x, int32_t y) {
  TrackHover(x, y);
  if (HasChild()) return;
  int32_t step = 1;
  if (platform::IsKeyDownAsync(platform::kVkShift)) step = kShiftStep;
  else if (platform::IsKeyDownAsync(platform::kVkControl)) step = kControlStep;
  const uint32_t row = RowAt(x, y, false, true);
  const bool up = row != 0 && IsUpArrow(row);
  const bool down = row != 0 && IsDownArrow(row);
  const bool inside = y >= 0 && y <= int32_t(fVisibleRows) * fRowHeight;
  if (fHighlighted && (up || down || row != fHighlightedPosition || !inside)) {
    fHighlighted->highlighted = 0;
    DrawRow(fHighlightedPosition, fHighlighted, fWindow);
    fHighlighted = nullptr;
  }
  if (row == 0) {
    fHighlighted = nullptr;
    return;
  }
  SRow* record = RowAtIndex(fScrollOffset + row - 1);
  if (up) {
    Scroll(-step);
  } else if (down) {
    Scroll(step);
  } else if (inside && record && !record->highlighted) {
    record->highlighted = 1;
    fHighlighted = record;
    fHighlightedPosition = row;
    DrawRow(row, record, fWindow);
  }
}

void CScrollingMenu::Choose(int32_t x, int32_t y) {
  if (HasChild()) return;
  const uint32_t position = RowAt(x, y, false, false);
  if (position == 0 || IsUpArrow(position) || IsDownArrow(position)) return;
  SRow* row = RowAtIndex(fScrollOffset + position - 1);
  if (!row || row->disabled) return;
  if (row->subMenu) {
    OpenSubMenu(position, row);
    return;
  }
  if (row->separator) return;
  if (fFlashCount > 0) {
    for (uint32_t i = 0; i < fFlashCount; ++i) {
      row->highlighted = 0;
      DrawRow(position, row, fWindow);
      platform::GdiFlush();
      platform::SleepMs(kFlashWaitMs);
      row->highlighted = 1;
      DrawRow(position, row, fWindow);
      platform::GdiFlush();
      platform::SleepMs(kFlashWaitMs);
    }
    row->highlighted = 0;
  }
  fChosen = row->identifier;
  gDrag = false;
  CloseAll();
}

// Only a choice made in the sub-menu replaces this menu's: a sub-menu closed with nothing chosen
// leaves this pop-up tracking as before.
void CScrollingMenu::OpenSubMenu(uint32_t position, SRow* row) {
  CScrollingMenu* sub = row->subMenu;
  if (!sub->IsPrepared()) return;
  const int32_t x = fPlacement == kOpenLeft ? kDragDistance : fContentWidth - kDragDistance;
  const int32_t y = fRowHeight * int32_t(position - 1) - Frame().y;
  uint32_t chosen = 0;
  if (CScrollingMenu* result = sub->Track(fWindow, x, y, &chosen, fContentWidth, fSpacing, fPlacement, fFlashCount)) {
    fChosen = chosen;
    fResultMenu = result;
  }
}

void CScrollingMenu::Scroll(int32_t delta) {
  const int64_t last = int64_t(fCount) - fVisibleRows;
  const auto offset = uint32_t(std::clamp<int64_t>(int64_t(fScrollOffset) + delta, 0, std::max<int64_t>(last, 0)));
  if (offset == fScrollOffset) return;
  const int32_t d = int32_t(offset) - int32_t(fScrollOffset);
  const int32_t s = std::abs(d) * fRowHeight;
  const int32_t visibleHeight = int32_t(fVisibleRows) * fRowHeight;
  fScrollOffset = offset;
  int32_t bandStart = 0, bandEnd = s;
  if (d < 0) {
    if (visibleHeight > s) platform::BitBlt(fDC, 0, s, fContentWidth, visibleHeight - s, fDC, 0, 0, platform::kSrcCopy);
    DrawRow(fVisibleRows, RowAtIndex(fScrollOffset + fVisibleRows - 1), nullptr);
  } else {
    if (visibleHeight > s) platform::BitBlt(fDC, 0, 0, fContentWidth, visibleHeight - s, fDC, 0, s, platform::kSrcCopy);
    DrawRow(1, RowAtIndex(fScrollOffset), nullptr);
    bandStart = visibleHeight - fRowHeight - s;
    bandEnd = visibleHeight;
  }
  for (int32_t y = bandStart; y <= bandEnd; y += fRowHeight) {
    const uint32_t position = RowAt(0, y, true, true);
    DrawRow(position, RowAtIndex(fScrollOffset + position - 1), nullptr);
  }
  CopyToWindow({0, 0, fContentWidth, visibleHeight});
}

// ---- drawing

void CScrollingMenu::CopyToWindow(const SWinRect& area) {
  platform::DeviceContext* dc = platform::GetDC(fWindow);
  if (!dc) return;
  platform::BitBlt(dc, area.left, area.top, area.Width(), area.Height(), fDC, area.left, area.top, platform::kSrcCopy);
  platform::ReleaseDC(dc);
}

void CScrollingMenu::DrawRow(uint32_t position, SRow* row, platform::WindowHandle window) {
  if (!row || position == 0) return;
  const int32_t h = fRowHeight, top = int32_t(position - 1) * h;
  const SWinRect rect{0, top, fContentWidth, top + h};
  const SWinRect left{0, top, h, top + h};
  const SWinRect right{fContentWidth - h, top, fContentWidth, top + h};
  const bool highlighted = row->highlighted != 0;
  const uint32_t text = TextColourOf(row->separator || row->disabled, highlighted, fTextColor, fGreyTextColor,
                                     fHighlightTextColor);
  const uint32_t background = row->separator ? fBackgroundColor : highlighted ? fHighlightColor : fBackgroundColor;
  FillBand(fDC, rect, background);
  if (IsUpArrow(position) || IsDownArrow(position)) {
    const SWinRect middle{(fContentWidth - h) / 2, top, (fContentWidth - h) / 2 + h, top + h};
    DrawArrow(middle, IsUpArrow(position) ? -1 : 1, fTextColor);
  } else {
    if (row->subMenu) DrawArrow(right, 0, text);
    else if (row->separator) DrawSeparator(rect, text);
    else if (row->checked) DrawTick(left, text);
    if (row->text) {
      platform::SetBkMode(fDC, platform::kOpaque);
      const uint32_t oldText = platform::SetTextColor(fDC, text);
      const uint32_t oldBackground = platform::SetBkColor(fDC, background);
      SWinRect textRect{h, top, fContentWidth - h, top + h};
      platform::DrawText(fDC, row->text, -1, &textRect, kRowFormat);
      platform::SetTextColor(fDC, oldText);
      platform::SetBkColor(fDC, oldBackground);
    }
  }
  if (window) CopyToWindow(rect);
}

void CScrollingMenu::DrawSeparator(const SWinRect& rect, uint32_t color) {
  const int32_t cy = (rect.top + rect.bottom) / 2;
  FillBand(fDC, {rect.left, cy - 1, rect.right, cy}, color);
  FillBand(fDC, {rect.left, cy, rect.right, cy + 1}, kWhite);
}

void CScrollingMenu::DrawTick(const SWinRect& square, uint32_t color) {
  const int32_t cx = (square.left + square.right) / 2, cy = (square.top + square.bottom) / 2;
  CShapeColour colour(fDC, color);
  const struct {
    int32_t x0, y0, x1, y1;
  } lines[] = {{cx - 2, cy + 1, cx + 4, cy - 5}, {cx - 1, cy + 2, cx + 4, cy - 3}, {cx - 1, cy + 1, cx + 4, cy - 4},
               {cx, cy, cx - 3, cy},             {cx - 2, cy - 1, cx - 3, cy - 1}, {cx - 3, cy, cx - 3, cy - 3}};
  for (const auto& l : lines) {
    platform::MoveToEx(fDC, l.x0, l.y0, nullptr);
    platform::LineTo(fDC, l.x1, l.y1);
  }
}

// direction -1 up, 1 down, 0 right.
void CScrollingMenu::DrawArrow(const SWinRect& square, int32_t direction, uint32_t color) {
  const int32_t cx = (square.left + square.right) / 2, cy = (square.top + square.bottom) / 2;
  CShapeColour colour(fDC, color);
  if (direction == 0) {
    const platform::SPoint right[] = {{cx + 2, cy}, {cx - 1, cy + 3}, {cx - 1, cy - 3}};
    platform::Polygon(fDC, right, 3);
    return;
  }
  const int32_t d = direction;
  const platform::SPoint points[] = {{cx, cy + 2 * d}, {cx - 3, cy - d}, {cx + 3, cy - d}};
  platform::Polygon(fDC, points, 3);
}

// ---- helpers

void ScreenToClientPoint(SPointHV point, platform::WindowHandle window, SPointHV* out) {
  const platform::SPoint p = platform::ScreenToClient(window, {point.h, point.v});
  *out = {p.x, p.y};
}

void PlaceCanvasAtCursor(CCanvas* canvas, bool show) {
  CAppl* app = GetApplication();
  if (!canvas || !app) return;
  const platform::SPoint pointer = app->GetCursorPos();
  platform::SWinRect window;
  platform::GetWindowRect(canvas->GetWindow(), &window);
  const int32_t width = window.Width(), height = window.Height();
  const SRect screen = app->GetScreenRect();
  int32_t x = std::max(pointer.x - width / 2, screen.left);
  if (x + width > screen.right) x = screen.right - width;
  int32_t y = std::max(pointer.y - height / 2, screen.top);
  if (y + height > screen.bottom) y = screen.bottom - height;
  canvas->MoveTo({x, y});
  if (!show) return;
  canvas->Show();
  canvas->Activate();
  canvas->FillRect(nullptr);
  canvas->Redraw(nullptr);
  platform::UpdateWindow(canvas->GetWindow());
}
