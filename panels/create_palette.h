// The create palette: the items that make new scene objects. Every top-level element is an item, an
// image element named as the object it makes: its entry 0 is its normal look, entry 1 its glow and
// entry 2 (when the list has three) its pressed look. Pressed, an item broadcasts its name when the
// mouse button is let go, and the document window turns it into the new object. The item under the
// pointer glows, pulsing once the pointer has rested on it for a second, and its tip goes to the other
// palettes. The tabs "edit text" and "sky&fog text" bring their palettes forward; "create text" on the
// other palettes brings this one; the plop-up buttons open the preset panels.
#pragma once

#include <cstdint>

#include "framework/ui/glow_step.h"
#include "framework/ui/layout_host_canvas.h"

class CDocumentHost;
struct SWinEvent;

class CCreatePalette : public CLayoutHostCanvas {
 public:
  CCreatePalette(CUICmFunction* owner, CResourceEnv* environment);
  ~CCreatePalette() override;

  // The document window whose view a "create text" message refreshes.
  void SetOwner(CDocumentHost* window) { fWindow = window; }

  // The layout, every item's press and hover (the tabs and plop-ups with their own), the unlit tabs,
  // then the pointer watch: the layout's code, or 13 when the watch cannot be registered.
  int32_t BuildControls(CResourceEnv* environment) override;
  // A "create text" message brings the palette forward and refreshes the document view (26); the
  // rest goes to the layout host canvas while the palette shows, else 0.
  int32_t HandleEvent(CUIMessage* message) override;

  // The one create palette, none before it is made.
  static CCreatePalette* GetCurrent();
  // The hot item and its glow.
  CGlowTracker& GetTracker() { return fTracker; }

  // ---- the callbacks. Press callbacks answer 0 or the message's failure; hover callbacks 26 while
  // the pointer is over the element (the tab hover 0).
  // The item shows its pressed entry until the mouse button is let go, wherever that is, then its
  // normal one, and broadcasts its name.
  static int32_t PressItem(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t TrackItem(CElement* element, SPointHV point);
  static int32_t PressPlopUp(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t TrackPlopUp(CElement* element, SPointHV point);
  static int32_t PressTab(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t TrackTab(CElement* element, SPointHV point);
  // The heartbeat's pointer watch: the hover of the item under the pointer and its tip when the hot
  // item changed, the Space cursor; leaving the palette drops the hot item. 0.
  static int32_t WatchPointer(void* palette, void* record, void* data);

 private:
  void WatchPointer(const void* record);

  CDocumentHost* fWindow = nullptr;
  CGlowTracker fTracker;
  int64_t fLastWatch = 0;
};
