// A canvas: one top-level platform window of the class "CCanvas" with its frame (screen coordinates),
// its bounds (0, 0, height, width), its background colour and the window's own device context. Every
// palette, dialog, the document window, the splash screen and the console is one.
//
// Canvases have no window procedure of their own: the application's procedure turns each message of
// a canvas window into a framework event on the application's receivers, where every canvas has one
// row (its priority decides who is offered an event first). HandleMessage sorts an event to one of
// the event operations below, which a plain canvas mostly declines (0) so that derived canvases
// override only what they need. Characters, application (de)activation and commands reach every
// canvas; the rest only the canvas whose window the message was for.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/window_handler.h"
#include "framework/image/image.h"
#include "framework/ui/geometry.h"
#include "platform/device_context.h"
#include "platform/system.h"
#include "platform/window.h"

class CResourceEnv;
class CSpoolMem;

// Placement flags of Place and of the "canv" record, applied in this order against a reference
// rectangle R (the screen when none is given).
enum : uint32_t {
  kPlaceSizeH = 0x0001,      // width = size fraction h × R's width
  kPlaceSizeV = 0x0002,
  kPlacePositionH = 0x0004,  // left = R.left + position fraction h × R's width
  kPlacePositionV = 0x0008,
  kPlaceAnchorH = 0x0010,    // with 0x0004: less position fraction h × width
  kPlaceAnchorV = 0x0020,    // with 0x0008
  kPlaceTop = kAlignTop,     // to R's edges, then centred (geometry.h)
  kPlaceLeft = kAlignLeft,
  kPlaceBottom = kAlignBottom,
  kPlaceRight = kAlignRight,
  kPlaceCentreH = kAlignCentreH,
  kPlaceCentreV = kAlignCentreV,
  kPlaceUpperThird = 0x1000,  // centred on the upper third of R's height
  kPlaceKeepPointH = 0x2000,  // the point at position fraction h of the canvas stays where it was
  kPlaceKeepPointV = 0x4000,
};

class CCanvas : public CBaseObject {
 public:
  static constexpr const char* kClassName = "CCanvas";
  static constexpr uint32_t kClassStyle = platform::kCsByteAlignWindow | platform::kCsOwnDc;
  static constexpr int32_t kWindowExtraBytes = 4;
  static constexpr uint32_t kWindowExStyle = platform::kWsExToolWindow;
  // Show at the top of the window order without moving, sizing or redrawing.
  static constexpr uint32_t kShowFlags =
      platform::kSwpNoSize | platform::kSwpNoMove | platform::kSwpNoRedraw | platform::kSwpShowWindow;

  // The stored "canv" record: big-endian, at least kRecordBytes long.
  static constexpr const char* kRecordType = "canv";
  static constexpr uint32_t kRecordBytes = 68;
  enum ERecordOffset : uint32_t {
    kRecordFrame = 24,      // top, left, bottom, right
    kRecordFlags = 40,
    kRecordPosition = 44,   // two floats
    kRecordSize = 52,       // two floats
    kRecordColor = 60,
    kRecordOptions = 64,
  };
  enum : uint32_t { kApplyColor = 1, kShowAfterPlacing = 2 };

  // Remembers the instance and the parent of all later canvas windows and registers the class
  // "CCanvas"; whether the platform took it.
  static bool RegisterClass(platform::ModuleHandle instance, platform::WindowHandle parent);
  static void UnregisterClass();
  static platform::WindowHandle GetParentWindow();

  // frame in screen coordinates; a null color takes the application's desktop colour; priority is
  // the receiver's (lower values are offered events first). A canvas is usable when IsRegistered():
  // a window that cannot be made, or a receiver that cannot be added, leaves none (and no window).
  CCanvas(const SRect& frame, bool visible, uint32_t style, const CImVector* color, int32_t priority);
  // Removes the receiver, then hides and destroys the window.
  ~CCanvas() override;

  // Positions, colours and shows the canvas from its "canv" record (by name when one is given, else
  // by id): the environment's, the record's or the lock's code when that fails, and then nothing of
  // the canvas has changed.
  int32_t LoadFromResource(CResourceEnv* environment, uint32_t id, const char* name);
  // The receiver: (canvas, the event record with the code and the SWinEvent) → non-zero when claimed.
  static int32_t HandleMessage(void* canvas, void* record, void* data);
  // The "canv" record handler: after reading and around writing it turns the words at 24 to 67
  // around and refuses (2) a short record or another tag or version.
  static uint32_t HandleRecord(CSpoolMem* object, uint32_t message, void* argument);

  bool IsRegistered() const { return fRegistered != 0; }

  // ---- event operations: 0 declines.
  virtual int32_t OnPointerPress(SWinEvent& event);
  virtual int32_t OnCharacter(SWinEvent& event);
  // Redraw of the whole canvas into the paint context; 1 even when painting could not begin.
  virtual int32_t OnPaint(SWinEvent& event);
  virtual int32_t OnAppDeactivate(SWinEvent& event);
  virtual int32_t OnAppActivate(SWinEvent& event);
  virtual int32_t OnCommand(SWinEvent& event);
  virtual int32_t OnNcPaint(SWinEvent& event);
  virtual int32_t OnNcActivate(SWinEvent& event);
  virtual int32_t OnCreate(SWinEvent& event);
  virtual int32_t OnDestroy(SWinEvent& event);
  // The frame follows the window's rectangle; the bounds stay.
  virtual int32_t OnMove(SWinEvent& event);
  virtual int32_t OnSize(SWinEvent& event);
  virtual int32_t OnActivate(SWinEvent& event);
  virtual int32_t OnClose(SWinEvent& event);
  virtual int32_t OnQuit(SWinEvent& event);
  // Fills the client area on the context the message carries.
  virtual int32_t OnEraseBackground(SWinEvent& event);
  virtual int32_t OnGetMinMaxInfo(SWinEvent& event);
  virtual int32_t OnSysCommand(SWinEvent& event);
  virtual int32_t OnMenuSelect(SWinEvent& event);
  virtual int32_t OnReserved(SWinEvent& event);
  virtual int32_t OnOtherMessage(SWinEvent& event);

  virtual platform::WindowHandle GetWindow() const { return fWindow; }
  virtual platform::DeviceContext* GetDeviceContext() const { return fDeviceContext; }
  virtual bool IsShown() const;
  virtual const SRect& GetFrame() const { return fFrame; }
  virtual const SRect& GetBounds() const { return fBounds; }
  virtual const CImVector& GetColor() const { return fColor; }
  virtual bool SetColor(const CImVector& color);
  // Draws the area (null: the whole canvas) at once; the base fills it with the background colour.
  virtual bool Redraw(const SRect* rect);
  // Each takes the area cut to the bounds (null: the bounds); an empty area does nothing.
  virtual bool FillRect(const SRect* rect);
  virtual bool Invalidate(const SRect* rect);
  virtual bool Validate(const SRect* rect);
  virtual bool Activate();
  virtual bool MoveTo(SPointHV topLeft);
  virtual bool Resize(SPointHV size, bool repaint);  // size: (width, height)
  virtual bool Show();
  virtual bool Hide();
  // Places and sizes the canvas by the placement flags against the reference (null: the screen).
  virtual bool Place(const SRect& rect, uint32_t flags, const SRect* reference, SProportionsHV position,
                     SProportionsHV size);
  virtual SRect ScreenToCanvasRect(const SRect& rect) const;
  virtual SPointHV ScreenToCanvas(SPointHV point) const;
  virtual SRect CanvasToScreenRect(const SRect& rect) const;
  virtual SPointHV CanvasToScreen(SPointHV point) const;

 protected:
  // Sorts one event to its operation.
  int32_t Dispatch(uint32_t code, SWinEvent& event);
  // Fills a client rectangle with the background colour on a context, keeping its own colour.
  void FillWithColor(platform::DeviceContext* dc, const SRect& area) const;
  // The area cut to the bounds: false when nothing is left.
  bool ClipToBounds(const SRect* rect, SRect* area) const;

  SRect fFrame;
  SRect fBounds;
  CImVector fColor;
  platform::WindowHandle fWindow = nullptr;
  platform::DeviceContext* fDeviceContext = nullptr;
  uint8_t fRegistered = 0;
};

// The parts of a not covered by b, at most four (bands above and below, then pieces left and right),
// into out; how many.
uint32_t RectDifference(const SRect& a, const SRect& b, SRect out[4]);

// The interface's cursors. Id 1 is the wait cursor, 2 the text cursor, any other the program's
// cursor of that number; id 0 or an empty name sets the arrow and forgets what was set. While the
// busy cursor shows, the arrow comes first. A request equal to the last one of its kind sets
// nothing. With show, a hidden cursor is shown again. 0.
int32_t SetAppCursor(uint32_t id, bool show);
int32_t SetAppCursorByName(const char* name, bool show);
// Moves the pointer to the screen point.
void SetCursorPosition(int32_t x, int32_t y);
