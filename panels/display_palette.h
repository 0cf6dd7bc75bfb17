// The display palette: how the document window draws its wireframe. It sets the view's background
// (plain grey, black, white, any colour through the colour picker, or one of six background pictures
// of the window's layout file), the three wireframe resolutions (menus), depth cueing (a vertical drag
// sets its amount, Ctrl+press switches it), wireframe shadows and the hiding of shadows under the
// ground, nano edit mode (the window's drags drawn into the nano editor) and plop render mode (the
// rendered region's control); it zooms and pans the view, runs the marker pen and lays the palettes
// out again ("ui min max"). Its buttons are highlights over the strip's pictures. The tools show where
// the pointer comes over the strip and, two seconds after it left, fade into "display background", in
// step with the selection palette. The settings live in bytes 44 to 71 of the preferences.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"
#include "panels/layout_needs.h"

class CColorPicker;
class CDocumentHost;
class CImElement;
class CPrefsFile;
class CSelectionPalette;
struct SWinEvent;

class CDisplayPalette : public CLayoutHostCanvas {
 public:
  // The preferences: word 0 says whether the interface comes back as it was (1); then the palette's
  // section, in the machine's byte order.
  static constexpr uint32_t kPrefsRestoreState = 0;
  static constexpr uint32_t kPrefsNanoEdit = 44;  // bytes
  static constexpr uint32_t kPrefsPlopRender = 45;
  static constexpr uint32_t kPrefsShadows = 46;
  static constexpr uint32_t kPrefsHideUnderground = 47;
  static constexpr uint32_t kPrefsBackgroundMode = 48;  // 32-bit words
  static constexpr uint32_t kPrefsBackgroundColour = 52;
  static constexpr uint32_t kPrefsDepthCue = 56;
  static constexpr uint32_t kPrefsFirstResolution = 60;
  static constexpr uint32_t kPrefsSecondResolution = 64;
  static constexpr uint32_t kPrefsGridResolution = 68;
  // Background modes: a plain colour, or the background picture of that number.
  static constexpr int32_t kPlainBackground = 0;
  static constexpr int32_t kFirstBackdrop = 100;
  static constexpr int32_t kLastBackdrop = 105;
  static constexpr uint32_t kGrey = 0xCACACA;
  // The depth cue value is the amount × 100, from 0 to 200.
  static constexpr int32_t kMaxDepthCue = 200;
  // The user word of a toggle's state and of the depth cue value.
  static constexpr uint32_t kStateWord = 2;
  // The three wireframe resolutions, by their menu's place in the resolution menu.
  enum EResolution : uint32_t { kGridResolution, kFirstResolution, kSecondResolution, kResolutionCount };
  // The cursors of the marker pen and of the depth cue drag.
  static constexpr uint32_t kMarkerCursor = 107;
  static constexpr uint32_t kDepthCueCursor = 110;

  CDisplayPalette(CUICmFunction* owner, CResourceEnv* environment, CDocumentHost* window = nullptr);
  // The settings into the preferences (when they could be read).
  ~CDisplayPalette() override;

  // The one display palette, none before it is made.
  static CDisplayPalette* GetCurrent();

  // The document window whose view the palette sets.
  void SetOwner(CDocumentHost* window) { fWindow = window; }
  CDocumentHost* GetOwnerWindow() const { return fWindow; }
  // The colour picker of "Other..." and the selection palette, whose "sel left" and "sel right"
  // follow this palette's fade.
  void SetCompanions(CColorPicker* picker, CSelectionPalette* selection);
  CColorPicker* GetColorPicker() const { return fColorPicker; }
  CSelectionPalette* GetSelectionPalette() const { return fSelectionPalette; }

  // The layout, the controls' callbacks, the four toggles hidden ("plop render mode" on), the pointer
  // watch, the preferences, and the controls taken from the window's view when there is a window: 0,
  // the layout's code, or 13 when the watch cannot be registered.
  int32_t BuildControls(CResourceEnv* environment) override;
  // "display palette" brings the palette forward; the controls' messages act (26); "is plopmode
  // off?" is answered (1 while plop render mode is off); the colour picker's kind-3 message from
  // "background selector" sets that colour. The rest goes to the layout host canvas.
  int32_t HandleEvent(CUIMessage* message) override;
  // While the palette is up to date: 'm' runs the marker pen (26); Ctrl+Alt+1 to 9 choose a
  // background (0).
  int32_t OnCharacter(SWinEvent& event) override;

  // The background as the view's: a plain colour (mode 0), or grey with picture 100 to 105 of the
  // window's layout file behind the wireframe; then the window is drawn again. 0, 1 without a window,
  // or the picture's code (mode and colour kept all the same).
  int32_t SetBackground(int32_t mode, uint32_t colour);
  // The controls from the window's view and flags; with reset the view's style comes back to its
  // defaults first (its class meshes made again), nano edit mode off and plop render mode on. 0.
  int32_t SyncFromView(bool reset);
  // The controls' settings into the window's view and flags.
  void ApplyToView();
  // Loads the settings from the preferences when the interface comes back as it was (word 0 is 1),
  // else stores them there: 0, also when the preferences cannot be read; 1 when they cannot be
  // written.
  int32_t ExchangePrefs(bool load);
  // The palette manager's names: back to the view's defaults, and onto a new window.
  int32_t ResetSettings() { return SyncFromView(true); }
  int32_t ApplySettings();

  // The marker pen from the "marker pen" button's square, until the user ends it: 26.
  int32_t RunMarkerPen();
  // The background menu, and the resolution menu with its three sub-menus, at a screen point: 0,
  // also when a menu cannot be loaded (nothing changes then).
  int32_t PopUpBackgroundMenu(SPointHV screen);
  int32_t PopUpResolutionMenus(SPointHV screen);
  // A command of the background menu: 'bclr' opens the colour picker, the others set the background
  // (an unknown one plain grey). SetBackground's answer, 0 for 'bclr'.
  int32_t ChooseBackground(uint32_t command);
  // Item n (1-based) of a resolution's menu: the view's value, the class meshes made again, the
  // window drawn again.
  void ChooseResolution(EResolution which, int32_t item);

  int32_t GetBackgroundMode() const { return fBackgroundMode; }
  uint32_t GetBackgroundColour() const { return fBackgroundColour; }
  int32_t GetResolutionChoice(EResolution which) const { return fChoices[which]; }
  // The resolutions that menu items stand for: the grid's 8, 12, 16, 24, 32; the others' 16 to 128.
  static uint32_t GridValue(int32_t item);
  static uint32_t PowerValue(int32_t item);
  CImElement* GetControl(need::EDisplayControl control) const { return fControls[control]; }
  int32_t GetFadeLevel() const { return fFade; }
  CElement* GetHotElement() const { return fHot; }

  // ---- the callbacks (display_palette_watch.cpp). Press callbacks answer 0 or the message's
  // failure; hover callbacks 26 while the pointer is over the element, else 0.
  // Lit while held, then its message.
  static int32_t PressButton(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // Its state word switched at the release, lit while on, then its message.
  static int32_t PressToggle(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // Lit until the mouse button is up, then its message to this palette with its corner on the
  // screen: where the menu opens.
  static int32_t PressMenuButton(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // Lit while the window's camera pans with the pointer.
  static int32_t PressPan(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // Up and down sets the depth cue amount, one step for two pixels; with Ctrl it switches depth cueing.
  static int32_t PressDepthCue(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // Half lit while hot (lit for a toggle that is on).
  static int32_t HoverButton(CElement* element, SPointHV point);
  static int32_t HoverToggle(CElement* element, SPointHV point);
  // The heartbeat's pointer watch: over the palette the tools come back where the pointer is, the hot
  // control and its tip follow it; away, the tools go and the strip fades. 0.
  static int32_t WatchPointer(void* palette, void* record, void* data);

 private:
  void FindControls();
  void LoadPrefs(const CPrefsFile& prefs);
  void StorePrefs(CPrefsFile& prefs) const;
  int32_t ToggleNanoEdit();
  int32_t ShowWireframeShadows();
  void DragDepthCue(CImElement* element, SPointHV press);
  int32_t Hover(CElement* element, SPointHV point, bool toggle);
  void DropHot();
  void WatchPointer(const void* record);
  void WatchInside(int64_t now, SPointHV cursor);
  void WatchAway(int64_t now);
  bool ShowToolsUnder(SPointHV local);
  void HideTools();
  void SetSelectionWord(uint32_t word, uint32_t value);
  uint32_t StateOf(need::EDisplayControl control) const;
  void SetState(need::EDisplayControl control, bool on, bool lit);

  CDocumentHost* fWindow = nullptr;
  CColorPicker* fColorPicker = nullptr;
  CSelectionPalette* fSelectionPalette = nullptr;
  CImElement* fBackground = nullptr;
  CElement* fToolsBackground = nullptr;
  CElement* fToolsBottom = nullptr;
  CElement* fTop = nullptr;
  CElement* fBottom = nullptr;
  CImElement* fControls[need::kDisplayControlCount] = {};
  CElement* fSelectionLeft = nullptr;
  CElement* fSelectionRight = nullptr;
  // The menu items chosen: 8, 32 and 16 to begin with, the view's defaults.
  int32_t fChoices[kResolutionCount] = {1, 2, 1};
  int32_t fBackgroundMode = kFirstBackdrop;
  uint32_t fBackgroundColour = kGrey;
  // The pointer watch: the fade level (0 tools shown, 256 faded), the last tick the pointer was
  // over the palette, the last fade step, the control the pointer rests on.
  int32_t fFade;
  int64_t fHoverTick = 0;
  int64_t fFadeTick = 0;
  int64_t fLastWatch = 0;
  CElement* fHot = nullptr;
};
