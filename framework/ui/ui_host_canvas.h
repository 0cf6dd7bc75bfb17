// The UI host canvas: the base of every palette and dialog built from a layout file. It belongs to an
// owner broadcaster (CUICmFunction), whose modal level it follows: a canvas whose stamp differs from
// the level is stale and refuses presses (with a beep) and characters. It builds its controls once,
// on demand, binds callbacks to elements by name, offers the standard button and key callbacks, drags
// its window with the space bar, and shows itself, when asked, with a drop shadow composed from the
// five shadow pictures over a copy of the screen behind it.
#pragma once

#include <cstdint>

#include "framework/ui/element_callbacks.h"
#include "framework/ui/ho_canvas.h"
#include "platform/device_context.h"
#include "platform/gdi.h"

class CImage;
class CImElement;
class CResourceEnv;
class CUICmFunction;
class CUIMessage;

class CUIHostCanvas : public CHoCanvas {
 public:
  static constexpr uint32_t kDialogStyle = 0x80000000;  // a pop-up window
  static constexpr int32_t kPriority = 0x3FFFFFFF;

  // owner: the broadcaster whose table the canvas joins and whose modal level it follows;
  // environment: its layout file.
  CUIHostCanvas(CUICmFunction* owner, CResourceEnv* environment, uint32_t style);
  // Leaves the owner's table before the window and the root go.
  ~CUIHostCanvas() override;

  // Builds the controls the first time (and again after a failed build); the build's code.
  virtual int32_t BuildOnce();
  // Every dialog's own: Create with its layout name, then its callbacks bound by name.
  virtual int32_t BuildControls(CResourceEnv* environment) = 0;
  // A UI message for this canvas: down the tree (the root's HandleMessage, with the message's first
  // point) while the window shows and the root takes messages, else 0.
  virtual int32_t HandleEvent(CUIMessage* message);
  virtual bool IsActiveWindow();
  // Paints what waits to be painted, when the window shows.
  virtual void UpdateNow();
  // Dragging is allowed and the space bar is down.
  virtual bool IsDragModifierDown();
  // Moves the window with the pointer until the button is up; the frame follows; 26.
  virtual int32_t DragWindow(SWinEvent& event);

  // Brings the canvas to the front as the top modal level: the owner's level raised and taken as the
  // stamp, shown, activated, filled with its colour when erase is set, painted, the arrow cursor.
  void Refresh(bool erase);
  // The owner's level raised and taken as the stamp, as opening does, for a canvas that shows itself
  // its own way.
  void TakeModalLevel();

  // The element of that name among the root's children (or the parent's) gets the press, hover and
  // character callbacks (none clears one); a name no child has binds nothing, and *out is none.
  void BindElement(const char* name, ElPressCallback press, ElHoverCallback hover, ElCharCallback character);
  void BindElementRef(const char* name, CElement** out, ElPressCallback press, ElHoverCallback hover,
                      ElCharCallback character);
  static void BindElementAlt(CElement* parent, const char* name, ElPressCallback press, ElHoverCallback hover,
                             ElCharCallback character);
  static void BindElementData(CElement* parent, const char* name, CElement** out, ElPressCallback press,
                              ElHoverCallback hover, ElCharCallback character);

  // The window's pixels from the client point on, the image's size, into the image.
  void GrabWindowIntoImage(CImage* image, SPointHV point);
  // Keeps a copy of the screen under the window, the canvas's size and extra larger, unless one is
  // kept already.
  void SaveScreenBehind(SPointHV extra);

  CUICmFunction* GetOwner() const { return fOwner; }
  CResourceEnv* GetResourceEnvironment() const { return fEnvironment; }
  uint32_t GetStamp() const { return fStamp; }
  bool IsStale() const;
  bool IsBuilt() const { return fBuilt != 0; }
  bool IsInOwnerTable() const { return fInOwnerTable != 0; }
  bool IsUserMoved() const { return fUserMoved != 0; }
  // Set when the user or the program put the window somewhere of its own, cleared by a layout.
  void SetUserMoved(bool moved) { fUserMoved = moved ? 1 : 0; }
  bool IsEnlarged() const { return fEnlarged != 0; }
  bool HasSavedScreen() const { return fSavedScreen != nullptr; }
  CImElement* GetRightShadow() const { return fRightShadow; }
  CImElement* GetBottomShadow() const { return fBottomShadow; }
  void SetDragAllowed(bool allowed) { fDragAllowed = allowed ? 1 : 0; }
  void SetShadows(bool shadows) { fShadows = shadows ? 1 : 0; }

  // ---- CCanvas
  // A stale canvas beeps and swallows the press (26); an inactive one is activated first; with drag
  // allowed and the space bar down the press drags the window, or with Alt as well broadcasts
  // "reset palettes" and goes on to the elements.
  int32_t OnPointerPress(SWinEvent& event) override;
  // 0 while the window is hidden or the canvas stale.
  int32_t OnCharacter(SWinEvent& event) override;
  // With shadows: enlarged by the shadows' thickness on the first show, the strips painted from the
  // screen behind them, the screen under the window kept; then shown. True.
  bool Show() override;
  // With shadows the kept screen is put back where the window was; the keyboard focus goes to the
  // main window. True.
  bool Hide() override;

 private:
  CImElement* MakeShadowElement(const SRect& rect, uint32_t orderKey);
  void MakeShadowElements();
  void PaintShadowStrips();

  uint8_t fInOwnerTable = 0;
  CUICmFunction* fOwner = nullptr;
  uint32_t fStamp = 0;
  CResourceEnv* fEnvironment = nullptr;
  uint8_t fBuilt = 0;
  uint8_t fDragAllowed = 0;
  uint8_t fShadows = 0;
  uint8_t fEnlarged = 0;
  platform::GdiObject fSavedScreen = nullptr;
  SPointHV fSavedSize;
  uint8_t fUserMoved = 0;
  CImElement* fRightShadow = nullptr;
  CImElement* fBottomShadow = nullptr;
};

// The handler every UI host canvas registers with its owner: (canvas, message) → its HandleEvent.
int32_t UIHostForwardToHandler(void* canvas, void* message, void* data);

// ---- standard callbacks. Each claims the event (*handled = the element) and sends the element's
// message, kind 0, broadcast, up its tree; the feedback of image elements comes first (other
// elements get none). The key callbacks read the low byte of the event's character and leave any
// other character unclaimed (0).
// Opacity 1.0 while the button is held, then the opacity it had.
int32_t UIHostPressButton(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// The image list's next entry while the pointer is inside, the current one outside; released
// outside, the press is claimed without a message (0).
int32_t UIHostTrackButton(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// Return (13); Escape (27) or 'n' with the command key. The Alpha ones flash the opacity, the others
// the image list's next entry, for 2 ticks.
int32_t UIHostOnReturnKeyAlpha(CElement* element, CElement** handled, SWinEvent* event);
int32_t UIHostOnEscapeKeyAlpha(CElement* element, CElement** handled, SWinEvent* event);
int32_t UIHostOnReturnKey(CElement* element, CElement** handled, SWinEvent* event);
int32_t UIHostOnEscapeKey(CElement* element, CElement** handled, SWinEvent* event);
// Either key, for the one button of a dialog that only tells something.
int32_t UIHostOnReturnOrEscapeKey(CElement* element, CElement** handled, SWinEvent* event);
// What those two do once their key is recognised: for a dialog's keys of its own.
int32_t UIHostFlashButton(CElement* element, CElement** handled);
// No feedback; kind 0 with flags 0 to the element's own canvas, the press point on the screen as
// first point and in the element as second.
int32_t UIHostPostElementMessage(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);

// ---- double clicks, within the platform's double-click time
// True for the second press on the same element in time (which then starts over), else false and
// the element remembered.
bool IsDoubleClick(CElement* element);
// Waits up to the double-click time for the release of the first press and a second press; whether
// that press lies inside the element.
bool WaitForSecondClick(CElement* element);

// ---- shadow pictures: "left shadow", "top shadow", "corner shadow", "right shadow" and "bottom
// shadow" of the application's resource file, each turned into black with alpha 255 - red.
// The first load's code (the pictures loaded before it stay until freed), or 9 when a picture cannot
// be walked.
int32_t LoadShadowImages();
int32_t FreeShadowImages();
// Loaded, the picture of a shadow: 0 left, 1 top, 2 corner, 3 right, 4 bottom; else none.
CImage* GetShadowImage(uint32_t index);

// The screen's pixels from the point on, the image's size, into the image.
void GrabScreenIntoImage(CImage* image, SPointHV point);
