// The control palette: the floating palette from which the user steers the document window's camera
// and views, keeps up to eight remembered views, starts renders and sets render options. It also
// carries the nano preview (a small live render of the scene) and a two-line readout for hover help
// and progress. The palette does no camera mathematics: its controls turn presses and drags into UI
// messages for the document window. Exactly one exists; its constructor makes it the program's
// current control palette.
//
// Element states are entries of the elements' image lists: 0 normal, 1 dimmed or stored, 2 pressed
// or current (a view dot: 0 empty, 1 holds a view, 2 holds the current view).
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "framework/ui/element_callbacks.h"
#include "framework/ui/geometry.h"
#include "framework/ui/glow_step.h"
#include "framework/ui/layout_host_canvas.h"

class C3dCamera;
class CDocWindow;
class CElement;
class CImElement;
class CImage;
class CMenu;
class CPrefsFile;
class CPreviewRenderer;
class CRenderContext;
class CTxElement;
class CUIMessage;
class CView;
struct SWinEvent;

class CControlPalette : public CLayoutHostCanvas {
 public:
  // Preview modes and preview views.
  static constexpr uint32_t kModeFull = FourCC("full");
  static constexpr uint32_t kModeWire = FourCC("wire");
  static constexpr uint32_t kModeSkyOnly = FourCC("skyo");
  static constexpr uint32_t kViewCurrent = FourCC("curv");
  static constexpr uint32_t kViewCamera = FourCC("camv");
  // The defaults of the stored settings.
  static constexpr uint32_t kDefaultTrackball = FourCC("trak");
  static constexpr uint32_t kDefaultRenderOptions[3] = {FourCC("pers"), FourCC("anl0"), FourCC("spop")};

  static constexpr uint32_t kViewCount = 7;  // 0 camera, 1 top, 2 right, 3 front, 4 left, 5 back, 6 bottom
  static constexpr uint32_t kResetAllViews = 7;
  static constexpr uint32_t kFlyThroughState = 7;
  static constexpr uint32_t kViewDotCount = 8;
  static constexpr uint32_t kButtonStates = 8;
  // Change bits of a preview update: every one.
  static constexpr uint32_t kAllChanges = 0xFFFF;

  // The settings' place in the preferences record: word 0 says whether the program starts in its
  // previous state; the codes are in machine order, as the whole record is.
  enum EPrefsOffset : uint32_t {
    kPrefsPreviousState = 0,
    kPrefsAutoPreview = 16,
    kPrefsRenderReport = 17,
    kPrefsTexturesButton = 18,
    kPrefsPreviewModeButton = 19,
    kPrefsPreviewMode = 20,
    kPrefsPreviewView = 24,
    kPrefsTrackball = 28,
    kPrefsRenderOptions = 32,  // three words
  };

  // The six camera controls, which dim together while a view other than the camera view shows.
  enum ECameraControl : uint32_t {
    kTrackball,
    kCameraYZ,
    kCameraXY,
    kCameraXZ,
    kBanking,
    kFieldOfView,
    kCameraControlCount,
  };
  enum ERenderButton : uint32_t { kRenderAll, kClearAndRender, kResumeRender, kRenderButtonCount };

  // Cursor resources of the controls.
  enum ECursor : uint32_t {
    kCursorHorizontal = 112,  // view control, banking and field of view; a drag limited to horizontal
    kCursorVertical = 110,    // a drag limited to vertical
    kCursorTrackball = 124,
    kCursorZone1 = 114,
    kCursorZone2 = 123,
    kCursorZone4 = 111,
    kCursorSpaceHeld = 108,
  };

  // Element attachments the palette uses.
  enum EAttachment : uint32_t {
    kZoneWord = 0,    // the last pointer zone of a translation control
    kCursorWord = 1,  // the hover cursor
    kKeepWord = 2,    // set: a view dot that refuses Alt-clearing
    kDotNumberWord = 3,
    // The nano preview's image and renderer, as handles of the process-wide table.
    kPreviewImageWord = 2,
    kPreviewRendererWord = 3,
  };
  static constexpr uint32_t kPreviewImageTag = FourCC("npim");
  static constexpr uint32_t kPreviewRendererTag = FourCC("nprn");

  CControlPalette(CUICmFunction* owner, CResourceEnv* environment);
  // Writes the settings, leaves the progress notifications and the heartbeat, frees the preview.
  ~CControlPalette() override;

  // ---- build and settings (control_palette.cpp)
  // The layout "control palette", the callbacks, the preview objects, the heartbeat entry, the report
  // option told to the document window, the stored settings: 0, 9, 13 or the failing step's code.
  int32_t BuildControls(CResourceEnv* environment) override;
  // The palette's UI messages: 26 when handled, 0 when not (always 0 while hidden, but for the
  // message that shows the palette), or an error code.
  int32_t HandleEvent(CUIMessage* message) override;
  // '1' to '4' pick views 0 to 3, '5' to '9' recall dots 1 to 5; nothing with Ctrl or Alt.
  int32_t OnCharacter(SWinEvent& event) override;
  // Follow the progress notifications while shown.
  bool Show() override;
  bool Hide() override;

  // load: takes the stored settings when the record's previous-state word is 1, else writes the
  // current ones. Nothing without a preferences file that was read; 1 when writing fails, else 0.
  int32_t ExchangePrefs(bool load);
  // The same on a given record (the destructor's and the tests' form).
  int32_t ExchangePrefs(bool load, CPrefsFile& prefs);
  // Hands the settings to the current document window: 0.
  int32_t ApplySettings();
  // Makes view index current (0 camera, 1 top, ... 6 bottom): 0.
  int32_t SelectView(uint32_t index);
  // The view control's current image becomes the current view, shown as its state; the camera
  // controls dim for any view but the camera view.
  void SyncViewControl();
  // The view control back on view 0; reselect: dot 0's view becomes current; force: the preview
  // restarts even without automatic previews. 0, or the preview message's code.
  int32_t ResetViewState(bool reselect, bool force);
  // Shows the state (below 8) on view dot `button` and makes it the dot's current picture; other
  // states and buttons are ignored.
  void SetButtonState(uint32_t button, uint32_t state);
  // The dot's current picture (0 without the dot).
  uint32_t GetButtonState(uint32_t button) const;
  // The preview renders again from the start (pending); cancelled, it waits for the next restart.
  int32_t RestartPreview();
  void CancelPreview();

  uint32_t GetPreviewMode() const { return fPreviewMode; }
  uint32_t GetPreviewView() const { return fPreviewView; }
  uint32_t GetTrackballOption() const { return fTrackballOption; }
  uint32_t GetRenderOption(uint32_t index) const { return index < 3 ? fRenderOptions[index] : 0; }
  bool IsAutoPreview() const { return fAutoPreview != 0; }
  bool IsRenderReport() const { return fRenderReport != 0; }
  uint32_t GetCurrentView() const { return fCurrentView; }
  bool IsPreviewPending() const { return fPending != 0; }

  CImElement* GetViewControl() const { return fViewControl; }
  CImElement* GetViewDot(uint32_t index) const { return index < kViewDotCount ? fViewDots[index] : nullptr; }
  CImElement* GetCameraControl(uint32_t index) const {
    return index < kCameraControlCount ? fCameraControls[index] : nullptr;
  }
  CImElement* GetRenderButton(uint32_t index) const {
    return index < kRenderButtonCount ? fRenderButtons[index] : nullptr;
  }
  CImElement* GetTexturesButton() const { return fTexturesButton; }
  CImElement* GetPreviewModeButton() const { return fPreviewModeButton; }
  CImElement* GetNanoPreviewElement() const { return fNanoPreview; }
  CTxElement* GetTopText() const { return fTopText; }
  CTxElement* GetBottomText() const { return fBottomText; }
  CImage* GetPreviewImage() const { return fPreviewImage; }
  C3dCamera* GetPreviewCamera() const { return fPreviewCamera; }

  // ---- controls and camera drags (control_palette_controls.cpp). Callbacks take the element and
  // the point in its own coordinates; presses hand back the element that took them.
  static int32_t OnHover(CElement* element, SPointHV point);
  static int32_t OnGlowHover(CElement* element, SPointHV point);
  static int32_t OnZoneHover(CElement* element, SPointHV point);
  static int32_t OnButtonPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnMenuButtonPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnCameraControlPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnViewControlPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnViewDotPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnTogglePress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnRenderButtonPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // dim: the enabled camera controls are disabled and show state 1; else the disabled ones are
  // enabled and show state 0.
  void DimCameraControls(bool dim);
  // The three render buttons back to state 0 after a press lit them.
  void ResetRenderButtons();
  // Only the camera controls are ever disabled.
  bool IsEnabled(const CElement* element) const;
  // The zone under a point of the element: its state-0 picture's alpha, 1 to 4; 0 for alpha 0 or
  // 255 and without a picture; kNoZone above 4.
  static constexpr uint32_t kNoZone = 0xFFFFFFFF;
  static uint32_t ZoneAt(CImElement* element, SPointHV point);
  CElement* GetHoveredElement() const { return fGlow.GetHotButton(); }
  CImElement* GetCurrentDot() const { return fCurrentDot; }
  bool AreRenderButtonsLit() const { return fRenderButtonsLit != 0; }
  const SGlowPulse& GetGlow() const { return fGlow.GetPulse(); }

  // ---- nano preview and readout (nano_preview.cpp, control_palette_readout.cpp)
  // Set-up of the preview camera (build step 9) and of the sky-only scene (build step 7).
  int32_t InitPreviewCamera();
  int32_t BuildSkyOnlyScene();
  // The render context's scene: the sky-only scene in mode 'skyo', else the window's scene table
  // (none without a window). 0 or the sky-only scene's error.
  int32_t ChoosePreviewScene(CDocWindow* window);
  // The preview follows a change: kAllChanges for the preview element and view changes, the data
  // word of "objinfochanged". 26, or an error code.
  int32_t UpdatePreview(uint32_t changeBits);
  // In mode 'wire' the scene's wireframe into the preview image; show: drawn on the palette and the
  // preview complete.
  int32_t DrawNanoWireframe(bool show);
  // Draw and press callbacks of the "nano preview" element.
  static int32_t DrawNanoPreview(CElement* element, uint32_t pass, CImage* port);
  static int32_t OnNanoPreviewPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // The heartbeat table entry (owner: the palette) and the progress subscriber.
  static int32_t Heartbeat(void* palette, void* record, void* data);
  static int32_t OnProgress(void* palette, void* record, void* data);
  // A kind 4 message: the top text in the element name, the bottom one in the window name. 26.
  int32_t ShowReadout(CUIMessage* message);
  // The sky, its textures and the sky-only tables, made on first use, freed.
  void FreePreviewScene();
  // The preview camera takes the set-up of the window's camera that the view code selects ('camv'
  // the camera view, 'top ' ... 'rght' the standard views, 'curv' the current camera), the
  // preview renders with the window's render options. 0, 9 when a camera cannot be locked.
  int32_t SyncPreviewCamera(uint32_t viewCode);
  // The preview camera's projection into the renderer and the preview view; the scene is prepared
  // by each render (RenderPreview), which the wireframe does without.
  int32_t SetupPreviewView();
  // The window's sky copied into the preview's own sky and prepared: 0 or the failing step's code.
  int32_t PreparePreviewSky();
  // Interruptible slices while the preview is pending: 0 once it is complete, 26 while the window
  // renders, input waits or the application is in the background, 24 when a slice was interrupted,
  // or an error code.
  int32_t RenderNanoSlices();
  // The pending preview rendered to the end: 0 or an error code.
  int32_t RenderNanoNow();
  // The heartbeat's preview step: a pending preview renders 60 ticks after the last attempt; input
  // waiting puts it off. 0 or the render's answer.
  int32_t RenderPendingPreview();
  // 'nrnd': the preview restarts and renders again after it follows the window's camera. 0.
  int32_t RenewPreview();
  // The readout's two lines from two texts with size prefixes; no top text clears both. 26.
  int32_t ShowReadoutTexts(const char* top, const char* bottom);
  // The bottom line only, at its prefix's size.
  void SetReadoutPercent(const char* text);
  // Entries top and bottom of the help list named after the element, to the readout through the
  // owner; nothing for an element without a list. The delivery's answer, or 0.
  int32_t ShowElementHelp(const char* name, uint32_t top, uint32_t bottom);
  // A progress event (0 begin, 2 update, 3 new title, 7 end) of the current level.
  void ShowProgress(uint32_t event, float fraction, const char* title, const char* text);
  // The heartbeat step; nested: the heartbeat record's second word. 0, or the preview's error (its
  // silent answers, giving way or interrupted, answer 0 so that the broadcast goes on).
  int32_t HeartbeatStep(uint32_t nested);
  // The readout's lines as shown.
  const char* GetTopLine() const { return fTopLine; }
  const char* GetBottomLine() const { return fBottomLine; }
  // ---- end of nano preview and readout

 private:
  // The build's steps.
  void ForgetElements();
  void BindControls();
  int32_t BuildPreview();
  void FreePreviewObjects();
  // The settings' codes and flags to and from the record.
  void LoadSettings(const CPrefsFile& prefs);
  void StoreSettings(CPrefsFile& prefs) const;
  // A kind 0 message to the document window's render-options handler, flag 1.
  static void SendRenderOption(CDocWindow& window, uint32_t code, uint32_t data);
  // Sends a message up through the palette's root element: the receiver's answer.
  int32_t SendUp(CUIMessage& message);
  // A kind 0 message, canvas "doc window", flag 1, value word, up through the root.
  int32_t SendToDocWindow(const char* element, int32_t value);
  // A kind 2 "nano preview" message to "control palette" through the root.
  int32_t SendPreviewMessage();
  // The view control message and the view dot step of HandleEvent.
  int32_t SetViewFromMessage(int32_t view);
  int32_t ViewDotStep(const CUIMessage& message);
  // Shows the view on the view control (state and image) and dims or undims the camera controls.
  void ShowView(uint32_t view);
  // Option menu `which` (0 nano preview, 1 view, 2 camera, 3 trackball, 4 render options) popped up
  // at the screen point, the choice acted on: 26, or the menu's load error.
  int32_t RunOptionMenu(uint32_t which, SPointHV screenPoint);
  int32_t ChoosePreviewOption(CMenu& menu, uint32_t code, uint32_t index);
  int32_t ChooseViewOption(uint32_t code, uint32_t index);
  int32_t ChooseCameraOption(uint32_t code);
  int32_t ChooseTrackballOption(uint32_t code);
  int32_t ChooseRenderOption(CMenu& menu, uint32_t code, uint32_t index);
  // Shows state on an image element through its image list, without (or with) a redraw.
  static void ShowState(CImElement* element, uint32_t state, bool redraw = true);
  static uint32_t CurrentState(const CImElement* element);

  // The camera drag and the controls' shared steps (control_palette_controls.cpp).
  struct SDrag;
  int32_t TrackCameraDrag(CImElement* element, uint32_t zone);
  void DragStep(SDrag& drag, SPointHV delta);
  // The glow starts over at level, moving by step, as if the hover began now.
  void StartGlow(int32_t level, int32_t step);
  void SetHoverCursor(const CElement* element);
  // A press at the dot's point with the current tick, as a click would.
  int32_t PressViewDot(uint32_t dot);

  // Settings.
  uint32_t fPreviewMode = kModeFull;
  uint32_t fPreviewView = kViewCurrent;
  uint32_t fTrackballOption = kDefaultTrackball;
  uint32_t fRenderOptions[3] = {kDefaultRenderOptions[0], kDefaultRenderOptions[1], kDefaultRenderOptions[2]};
  uint8_t fAutoPreview = 1;
  uint8_t fRenderReport = 1;
  uint32_t fCurrentView = 0;
  // Ticks: the last heartbeat step that did work, and what governs the next preview slice.
  uint32_t fHeartbeatStamp = 0;
  uint32_t fRenderTime = 0;

  // Elements.
  CImElement* fViewControl = nullptr;
  CElement* fFlyThrough = nullptr;
  CImElement* fViewDots[kViewDotCount] = {};
  CTxElement* fTopText = nullptr;
  CTxElement* fBottomText = nullptr;
  CImElement* fNanoPreview = nullptr;
  CImElement* fCameraControls[kCameraControlCount] = {};
  CImElement* fRenderButtons[kRenderButtonCount] = {};
  CImElement* fTexturesButton = nullptr;
  CImElement* fPreviewModeButton = nullptr;
  // Bit i: camera control i is disabled.
  uint32_t fDisabledControls = 0;

  // The nano preview's objects and progressive state: pending while a render is wanted.
  CImage* fPreviewImage = nullptr;
  CRenderContext* fContext = nullptr;
  CPreviewRenderer* fRenderer = nullptr;
  uint8_t fPending = 0;
  CView* fPreviewView3d = nullptr;
  C3dCamera* fPreviewCamera = nullptr;

  // The callbacks' shared state: the hovered element and its glow, the dot holding the current view,
  // the render buttons lit by a press.
  CGlowTracker fGlow;
  CImElement* fCurrentDot = nullptr;
  uint8_t fRenderButtonsLit = 0;
  uint8_t fProgressSubscribed = 0;

  // ---- nano preview and readout (nano_preview.cpp, control_palette_readout.cpp)
  static constexpr uint32_t kReadoutBytes = 256;
  // The preview's own sky with its textures, the sky-only scene and the render target.
  struct SPreviewScene;
  SPreviewScene* PreviewScene();
  // The target's port and the element's place on the palette.
  SRect PreviewDestination();
  int32_t RenderPreview(bool slices);
  void RestartPreviewState(bool pending);
  // The readout's steps.
  void SetReadoutLine(CTxElement* element, const char* words, float size);
  void PlaceReadoutText(CTxElement* element, bool atFoot);
  void PlaceReadoutLines(bool twoLines);
  void RedrawReadout();
  int32_t SendReadout(const char* top, const char* bottom);
  void TrackHoverHelp();
  void ReportHoverResult(int32_t result);

  SPreviewScene* fPreviewScene = nullptr;
  char fTopLine[kReadoutBytes] = {};
  char fBottomLine[kReadoutBytes] = {};
  uint32_t fProgressStart = 0;
  // The hover failure told last; told again only after a hover that worked.
  int32_t fReportedHoverError = 0;
  // ---- end of nano preview and readout
};

CControlPalette* GetCurrentControlPalette();
