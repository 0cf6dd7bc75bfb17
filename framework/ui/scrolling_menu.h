// The program's own pop-up menu: an owner-drawn window of rows (texts with ticks, separator lines and
// sub-menu arrows) that scrolls when it does not fit on the screen, highlights the row under the
// pointer, opens sub-menus after a pause and answers the identifier of the chosen row.
//
// Tracking is modal: a platform dialog from a template in memory, drawn through a back buffer, polls
// the pointer and the keys on a 1 ms timer. Every pop-up is owned by one hidden, disabled window that
// all scrolling menus share, and sits in a table of the open pop-ups in opening order; a pop-up "has a
// child" when the slot after its own is taken. Sub-menus are tracked inside their parent's loop, so the
// outermost Track reports the innermost choice.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/ui/geometry.h"
#include "platform/device_context.h"
#include "platform/gdi.h"
#include "platform/window.h"

class CCanvas;

class CScrollingMenu : public CBaseObject {
 public:
  enum EPlacement : uint32_t { kOpenLeft = 0, kOpenCentred = 1, kOpenRight = 2 };
  enum ECheckMode : uint32_t { kReadCheck = 0, kWriteCheck = 1 };
  static constexpr uint32_t kOpenWindowSlots = 100;
  static constexpr int64_t kPauseMs = 400;
  static constexpr int64_t kFlashWaitMs = 75;
  static constexpr int32_t kDragDistance = 5;

  // Prepared when its drawing context and font could be had; a menu that is not refuses rows and
  // tracking.
  CScrollingMenu();
  ~CScrollingMenu() override;
  CScrollingMenu(const CScrollingMenu&) = delete;
  CScrollingMenu& operator=(const CScrollingMenu&) = delete;

  bool IsPrepared() const { return fPrepared != 0; }
  // Appends a row; no text makes a separator. False when not prepared, for an identifier below 1, or
  // when memory fails (and then nothing of the row is kept).
  bool AddItem(uint32_t identifier, const char* text, bool checked, bool disabled, CScrollingMenu* subMenu);
  // Gives the first row with the identifier a sub-menu; false for an unprepared sub-menu, one that a
  // row of this menu has already, this menu itself, or no such row.
  bool SetSubMenu(uint32_t identifier, CScrollingMenu* subMenu);
  // kReadCheck copies the row's tick into *flag, kWriteCheck sets it from *flag; other modes do
  // nothing. False without a flag or a row with the identifier. Nothing is redrawn.
  bool CheckState(uint32_t mode, uint32_t identifier, bool* flag);
  // Greys or ungreys the rows with the identifier; false when there is none.
  bool SetDisabled(uint32_t identifier, bool disabled);
  void ClearItems();
  uint32_t GetCount() const { return fCount; }

  // Shows the pop-up at (x, y) in the owner's client coordinates and answers, once it has closed, the
  // menu in which a row was chosen, with the row's identifier in *identifier; none (and 0) when
  // nothing was chosen or the pop-up could not open. Refused for an unprepared or empty menu, no
  // owner or out value, a negative maximum width or spacing, and a menu whose pop-up is open.
  CScrollingMenu* Track(platform::WindowHandle owner, int32_t x, int32_t y, uint32_t* identifier, int32_t maxWidth,
                        int32_t spacing, uint32_t placement, uint32_t flashCount);

  // State of the last or current tracking, for those who watch it.
  platform::WindowHandle GetWindow() const { return fWindow; }
  int32_t GetRowHeight() const { return fRowHeight; }
  uint32_t GetVisibleRows() const { return fVisibleRows; }
  uint32_t GetScrollOffset() const { return fScrollOffset; }
  uint32_t GetPlacement() const { return fPlacement; }
  bool IsOpen() const { return fOpen != 0; }
  // Bytes of the platform's global blocks the menu holds (rows, texts, the template).
  uint32_t GetMemoryHeld() const { return fMemoryHeld; }

 private:
  struct SRow;

  static intptr_t ScrollingMenuProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);
  static bool RegisterMenuWindow(platform::WindowHandle window, uint32_t mode);
  static void CloseAll();

  void* AllocateBlock(size_t size);
  void FreeBlock(void* block);
  void FreeRow(SRow* row);
  SRow* RowAtIndex(uint32_t index) const;
  bool HasChild() const;
  bool IsUpArrow(uint32_t position) const { return position == 1 && fScrollOffset > 0; }
  bool IsDownArrow(uint32_t position) const {
    return position == fVisibleRows && fScrollOffset + fVisibleRows < fCount;
  }
  platform::SPoint Frame() const;
  int32_t ContentWidth() const;

  void Start(platform::WindowHandle window);
  void Close();
  void Paint();
  void OnActivate(uintptr_t wParam, intptr_t lParam);
  void PlaceWindow();
  uint32_t RowAt(int32_t x, int32_t y, bool clampX, bool clampY) const;
  void TrackHover(int32_t x, int32_t y);
  void TrackPointer(int32_t x, int32_t y);
  void Choose(int32_t x, int32_t y);
  void OpenSubMenu(uint32_t position, SRow* row);
  void Scroll(int32_t delta);
  void DrawRow(uint32_t position, SRow* row, platform::WindowHandle window);
  void CopyToWindow(const platform::SWinRect& area);
  void DrawSeparator(const platform::SWinRect& rect, uint32_t color);
  void DrawTick(const platform::SWinRect& square, uint32_t color);
  void DrawArrow(const platform::SWinRect& square, int32_t direction, uint32_t color);

  uint32_t fMemoryHeld = 0;
  uint8_t fPrepared = 0;
  uint8_t fTimerRunning = 0;
  uint8_t fClosing = 0;
  platform::DeviceContext* fDC = nullptr;
  platform::GdiObject fBackBuffer = nullptr;
  platform::GdiObject fReplacedBitmap = nullptr;
  platform::GdiObject fFont = nullptr;
  platform::GdiObject fReplacedFont = nullptr;
  uint32_t fTextColor = 0;
  uint32_t fGreyTextColor = 0;
  uint32_t fHighlightTextColor = 0;
  uint32_t fBackgroundColor = 0;
  uint32_t fHighlightColor = 0;
  SRow* fRows = nullptr;
  SRow* fHighlighted = nullptr;
  CScrollingMenu* fResultMenu = nullptr;
  int32_t fContentWidth = 0;
  int32_t fFontHeight = 0;
  int32_t fRowHeight = 0;
  uint32_t fHighlightedPosition = 0;
  uint32_t fCount = 0;
  uint32_t fVisibleRows = 0;
  uint32_t fChosen = 0;
  int32_t fSpacing = 0;
  uint32_t fScrollOffset = 0;
  uint32_t fFlashCount = 0;
  platform::SPoint fAnchor;
  uint32_t fPlacement = kOpenRight;
  uint32_t fOpen = 0;
  bool fHovering = false;
  int64_t fHoverStart = 0;
  uint32_t fHoverRow = 0;
  int64_t fRowEntered = 0;
  bool fNewLook = true;
  platform::WindowHandle fWindow = nullptr;
};

// A point on the screen in the window's client coordinates.
void ScreenToClientPoint(SPointHV point, platform::WindowHandle window, SPointHV* out);

// Centres the canvas on the pointer, kept on the screen; with show, shows and activates it and draws
// it at once.
void PlaceCanvasAtCursor(CCanvas* canvas, bool show);
