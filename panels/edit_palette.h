// The edit palette: picture buttons that act on the selection while the mouse button is held.
// "resize", "rotate" and "reposition" drag it along the zone of the button that was pressed (the zone
// map is the alpha byte of the button's entry 0), "randomize control" scatters it, "randomize" chooses
// what is scattered, and "convert object" opens the list of conversion targets. The ten "align"
// buttons line the selection up on its first object, and six option buttons pop up their menus. One
// hot button at a time shows the hover highlight, pulsing once the pointer has rested on it for a
// second, and its tip goes to the other palettes.
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
  // The option buttons, in the order of need::kEditOptions.
  enum EOption : uint32_t {
    kMaterialsOptions,
    kResizeOptions,
    kRotateOptions,
    kRepositionOptions,
    kAlignOptions,
    kRandomizeOptions,
  };

  CEditPalette(CUICmFunction* owner, CResourceEnv* environment);
  ~CEditPalette() override;

  // The current document window: the document the buttons act on.
  void SetOwner(CDocumentHost* window);
  CDocumentHost* GetOwnerWindow() const { return fWindow; }
  C3dDocument* GetDocument() const;

  // The layout, then the buttons' press and hover callbacks ("create text" and "sky&fog text" are
  // made invisible until hovered, the "align" buttons get their cursors), then the pointer watch:
  // the layout's code, or 13 when the watch cannot be registered.
  int32_t BuildControls(CResourceEnv* environment) override;
  // "edit text" brings the palette forward (26). While it shows: a message from the "convert object"
  // list converts the selection (a failure is reported), an "align" button aligns it (26 or the
  // alignment's code), and an option button of this palette pops up its menu (26). 0 while hidden;
  // the rest goes to the layout host canvas.
  int32_t HandleEvent(CUIMessage* message) override;

  // The alignment mode of an "align" button, or -1 for another name.
  static int32_t AlignmentCode(const char* name);
  // Posts the button's tip: entries first and second of its text list.
  int32_t ShowButtonTip(const char* name, uint32_t first, uint32_t second);
  // The option menus, at a point of the palette's canvas: the menu's loading code, else 0. A choice
  // goes out as a broadcast message: "materials options" 'e2dp' and 'e3dt' open the picture and
  // texture editors, other commands go to the document window under the button's name; the edit
  // space rows of the resize, rotate and reposition menus as "edit space", '3dtr' as "3d
  // transformation" in the menu's mode; a randomize mode becomes the "randomize" button's. The row
  // already checked sends nothing.
  int32_t PopUpOptionsMenu(SPointHV point, const char* name);
  int32_t PopUpTransformOptions(SPointHV point, const char* name);
  int32_t PopUpRandomizeOptions(SPointHV point);
  // The heartbeat's pointer watch: the hover of the button under the pointer, its tip when the hot
  // button or its state changed, the Space cursor; leaving the palette drops the hot button. 0.
  static int32_t WatchPointer(void* palette, void* record, void* data);

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
  // The plain buttons: entry 1 while the pointer is held over the button, entry 0 away from it; the
  // button's message when released over it (0, or the message's failure).
  static int32_t TrackButtonPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
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
  int32_t BindAlignButtons();
  void WatchPointer(const void* record);
  // Sends a choice of an option menu, broadcast: element and canvas names, the command in word 0.
  int32_t SendChoice(const char* element, const char* canvas, uint32_t command);

  CDocumentHost* fWindow = nullptr;
  CImElement* fRandomize = nullptr;
  CLayoutHostCanvas* fConvertList = nullptr;
  CGlowTracker fTracker{&ButtonState};
  // The edit space row last chosen in a transform options menu; none at first.
  uint32_t fLastSpaceCommand = 0;
  int64_t fLastWatch = 0;
};
