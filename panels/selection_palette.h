// The selection palette: selects the document window's objects by kind (seventeen kind buttons), by
// family (a menu of the families the scene holds), one after another (previous, next, first, last
// object, by kind or by position as its step option says), and by its options menu (all, inverted,
// the imported meshes, the step option itself); it switches solo mode and the window's image mode.
// Its buttons are highlights over the pictures "selection objects background" and "sel tools":
// unseen at rest, half lit under the pointer, lit while pressed. Two seconds after the pointer left,
// the tools go and the palette fades into "selection palette background"; they come back where the
// pointer returns. The step option is kept in byte 72 of the preferences.
#pragma once

#include <cstdint>

#include "framework/ui/floating_palette.h"
#include "framework/ui/layout_host_canvas.h"

class CDisplayPalette;
class CDocumentHost;
class CImElement;
class CMenu;
struct SWinEvent;

class CSelectionPalette : public CLayoutHostCanvas {
 public:
  // The preferences: word 0 says whether the interface comes back as it was (1), byte 72 holds the
  // step option.
  static constexpr uint32_t kRestoreStateOffset = 0;
  static constexpr uint32_t kStepOptionOffset = 72;
  // The fade: its level runs from 0 (tools shown) to 256 (faded), starting this long after the
  // pointer left, a step at most this often.
  static constexpr int32_t kFadeLevels = kPaletteFadeLevels;
  static constexpr int64_t kFadeDelayTicks = kPaletteFadeDelayTicks;
  static constexpr int64_t kFadeStepTicks = kPaletteFadeStepTicks;
  // "image mode": the rendered image shown, the rendered image behind the wireframe, the wireframe.
  enum EImageMode : uint32_t { kImageShown, kImageBackdrop, kWireframeOnly };

  CSelectionPalette(CUICmFunction* owner, CResourceEnv* environment);
  // The step option into the preferences (when they could be read), then the families menu goes.
  ~CSelectionPalette() override;

  // The one selection palette, none before it is made.
  static CSelectionPalette* GetCurrent();

  // The document window the buttons select in.
  void SetOwner(CDocumentHost* window) { fWindow = window; }
  CDocumentHost* GetOwnerWindow() const { return fWindow; }
  // The display palette whose "display top" and "display bottom" follow the fade and the pointer.
  void SetDisplayPalette(CDisplayPalette* palette);
  CDisplayPalette* GetDisplayPalette() const { return fDisplayPalette; }

  // The layout, the buttons' callbacks, "image mode" in state 2, the families menu, the step option
  // from the preferences (or into them), then the pointer watch: 0, the layout's or a lookup's code,
  // 9 when the families menu cannot be made, its loading code, or 13 when the watch cannot be
  // registered.
  int32_t BuildControls(CResourceEnv* environment) override;
  // "selection palette" brings the palette forward; a kind button's name selects that kind; the
  // step, options, families and solo buttons act (26). The rest goes to the layout host canvas.
  int32_t HandleEvent(CUIMessage* message) override;

  // "image mode" shows the state of the window's mode word: 0 while the rendered image shows, else
  // 1 while it lies behind the wireframe, else 2. 0.
  int32_t UpdateSelectionPaletteMode();

  // The kind buttons select their kind in the document window: always 0.
  int32_t SelectByKind(const char* name);
  // The kind button of the tags lights up for 10 ticks while it shows: 0, or 1 for tags no kind
  // button has.
  int32_t FlashKindButton(uint32_t classTag, uint32_t familyTag);
  // The options menu at a point of the canvas: the command's answer, 0, or the loading code.
  int32_t PopUpOptionsMenu(SPointHV point);
  // The families menu filled with the families of the window's objects, in the order first met,
  // each under its name with its number as command: 0, or 9 when a table cannot be locked or grow.
  int32_t FillFamiliesMenu();
  // The palette at fade level `level` (0 to 256): "selection palette background" drawn over it at
  // level / 256. 0, or 1 without the background.
  int32_t FadeBackground(int32_t level);

  bool GetStepOption() const { return fStepOption != 0; }
  void SetStepOption(bool on) { fStepOption = on ? 1 : 0; }
  bool IsSolo() const { return fSolo != 0; }
  int32_t GetFadeLevel() const { return fFade; }
  CMenu* GetFamiliesMenu() const { return fFamilies; }
  CElement* GetHotElement() const { return fHot; }
  CImElement* GetImageMode() const { return fImageMode; }

  // ---- the callbacks. Press callbacks answer the message's answer (0 for 26); hover callbacks 26
  // inside the element, else 0.
  // Lit while the mouse button is held, then its own opacity back, and its message wherever the
  // button is let go.
  static int32_t TrackButtonPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // Half lit over its own opacity while hot.
  static int32_t TrackButtonHover(CElement* element, SPointHV point);
  static int32_t TrackPlainHover(CElement* element, SPointHV point);
  // A message at the pressed point, from where the menu pops up.
  static int32_t PressOptionsButton(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressFamiliesButton(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // 2 → 1 → 0 → 2: the rendered image behind the wireframe, the rendered image, the wireframe alone.
  static int32_t CycleImageMode(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // The heartbeat's pointer watch: the hover and tips, the fade while the pointer is away, the tools
  // back where it returns. 0.
  static int32_t WatchPointer(void* palette, void* record, void* data);

 private:
  int32_t BindControls();
  int32_t MakeFamiliesMenu();
  void ExchangeStepOption(bool reading);
  int32_t SelectFamilyFromMenu(SPointHV point);
  int32_t Step(const char* name);
  int32_t ToggleSolo();
  int32_t StepImageMode(CImElement* button);
  void WatchPointer(const void* record);
  void WatchAway(int64_t now);
  void WatchInside(int64_t now, SPointHV local);
  void ShowToolsUnder(SPointHV local);
  static int32_t Hover(CElement* element, SPointHV point, bool lit);
  void SetHot(CElement* element, bool lit);
  void SetDisplayWord(uint32_t word, uint32_t value);

  CDocumentHost* fWindow = nullptr;
  CDisplayPalette* fDisplayPalette = nullptr;
  CImElement* fBackground = nullptr;
  CElement* fObjectsBackground = nullptr;
  CElement* fTools = nullptr;
  CElement* fLeft = nullptr;
  CElement* fRight = nullptr;
  CImElement* fSoloButton = nullptr;
  CImElement* fImageMode = nullptr;
  CElement* fDisplayTop = nullptr;
  CElement* fDisplayBottom = nullptr;
  CMenu* fFamilies = nullptr;
  uint8_t fStepOption = 0;
  uint8_t fSolo = 0;
  CElement* fHot = nullptr;
  int32_t fFade = kFadeLevels;
  int64_t fInsideTick = 0;
  int64_t fFadeTick = 0;
  int64_t fLastWatch = 0;
};
