// The edit palette: picture buttons that act on the selection while the mouse button is held.
// "resize", "rotate" and "reposition" drag it along the zone of the button that was pressed (the zone
// map is the alpha byte of the button's entry 0), "randomize control" scatters it, "randomize" chooses
// what is scattered, and "convert object" opens the list of conversion targets. One hot button at a
// time shows the hover highlight, pulsing once the pointer has rested on it for a second.
//
// Stand-in for the rest of the palette: the alignment, the option pop-ups, the tab messages and the
// tips are not handled yet; their buttons are bound and pass their messages on as they would.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"
#include "framework/ui/glow_step.h"
#include "framework/ui/layout_host_canvas.h"

class C3dDocument;
class CDocumentHost;
class CElement;
class CImElement;
class CImage;
struct SWinEvent;

class CEditPalette : public CLayoutHostCanvas {
 public:
  // The cursors of the buttons.
  enum : uint32_t {
    kCursorVertical = 111,
    kCursorPressed = 112,
    kCursorHorizontal = 114,
    kCursorCentre = 116,
    kCursorDepth = 123,
  };
  static constexpr float kTabHighlightOpacity = 0.5f;

  CEditPalette(CUICmFunction* owner, CResourceEnv* environment);
  ~CEditPalette() override;

  // The current document window: the document the buttons act on.
  void SetOwner(CDocumentHost* window);
  CDocumentHost* GetOwnerWindow() const { return fWindow; }
  C3dDocument* GetDocument() const;

  // The layout, then the buttons' press and hover callbacks; "create text" and "sky&fog text" are
  // made invisible until hovered.
  int32_t BuildControls(CResourceEnv* environment) override;
  // A message from the "convert object" list converts the selection to the item's target: 26, or
  // the conversion's failure. The rest goes to the layout host canvas.
  int32_t HandleEvent(CUIMessage* message) override;

  // The one edit palette, none before it is made.
  static CEditPalette* GetCurrent();
  CImElement* GetRandomizeButton() const { return fRandomize; }
  // The list window of "convert object", built on first use.
  CLayoutHostCanvas* GetConvertList();
  // The hot button and its pulsing highlight, shared by every button of the palette.
  CGlowTracker& GetTracker() { return fTracker; }
  // The entry a button stands in (its user word 0), which a glow step never changes.
  static uint32_t ButtonState(const CElement* element);

  // ---- the buttons' callbacks (edit_palette_buttons.cpp). Press callbacks answer a result code;
  // hover callbacks answer 26 while the pointer is over the element, else 0.
  static int32_t PressResize(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressRotate(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressReposition(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressRandomizeMode(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressRandomize(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressConvertObject(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t InvokeButtonAction(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressButton(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PostButtonMessage(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t TrackResize(CElement* element, SPointHV point);
  static int32_t TrackRotate(CElement* element, SPointHV point);
  static int32_t TrackReposition(CElement* element, SPointHV point);
  static int32_t TrackRandomizeMode(CElement* element, SPointHV point);
  static int32_t TrackButtonHover(CElement* element, SPointHV point);
  static int32_t TrackHotButton(CElement* element, SPointHV point);
  static int32_t SwitchHotButton(CElement* element, SPointHV point);

  // The zone under the point in the element's entry 0 (the alpha byte): 1 to 254, or 0 for none.
  static uint32_t ZoneAt(CElement* element, SPointHV point);
  // The randomize modes' amplitudes: position, rotation (degrees) and size.
  static void RandomizeAmplitudes(uint32_t mode, vector3<double>* position, vector3<double>* rotation,
                                  double* scale);

 private:
  CDocumentHost* fWindow = nullptr;
  CImElement* fRandomize = nullptr;
  CLayoutHostCanvas* fConvertList = nullptr;
  CGlowTracker fTracker{&ButtonState};
};
