// The sky & fog palette: picture controls that edit the program's sky and fog edit state, which the
// palette then writes into the current document's sky and sun light with one undo step per change,
// and fills from the scene when the document changes.
//
// Strips dragged sideways set shadows, haze, cloud height and cover, the fog control takes two
// directions, the sky mode strip steps through the modes (with its menu and colour swatch), six
// swatches pick colours with the eyedropper, the cloud cross-section is dragged for frequency and
// amplitude and the sun over a shaded ball; "sun / moon", "randomize", five sky dots that keep whole
// settings (dot 0 resets) and the options menu. Running values and the hovered control's help go to
// the control palette's help lines. Exactly one exists; its constructor makes it the current one.
#pragma once

#include <cstdint>
#include <memory>

#include "editing/sky_services.h"
#include "framework/core/dyn_table.h"
#include "framework/ui/glow_step.h"
#include "framework/ui/layout_host_canvas.h"

class CDocumentHost;
class CImElement;
class CImage;
class CMenu;
class CSkyAction;
struct SWinEvent;

// The colour swatches' press callbacks, which the colour picker's library provides: the palette
// manager fills the table at start-up, before the palette is built. Without it the swatches take no
// presses.
struct SSkyFogSwatchPresses {
  // Reports the pick to the palette at the press, at every move and (broadcast) at the release.
  ElPressCallback eyedropper;
  // Alt opens the colour picker; otherwise the colour under the release is broadcast.
  ElPressCallback eyedropperEx;
};
// The table stays the caller's; null takes it back.
void SetSkyFogSwatchPresses(const SSkyFogSwatchPresses* presses);

// A sky dot: a whole edit state and whether it holds one. The dots last while the program runs.
struct CViewDotItem {
  CSkyParams params;
  uint8_t filled = 0;

  void SetParams(CSkyParams stored) { params = stored; }
};
using CViewDotTable = CDynTable<CViewDotItem>;

class CSkyFogPalette : public CLayoutHostCanvas {
 public:
  // The pictures the palette makes: the seven swatches', then the drawn controls'., after the seven swatches.
  enum EOwnPicture : uint32_t { kSwatchCount = 7, kProfilePicture = kSwatchCount, kSunPicture, kOwnPictureCount };
  static constexpr uint32_t kDotCount = 5;
  static constexpr uint32_t kSideCursor = 112;
  static constexpr uint32_t kMoveCursor = 124;

  CSkyFogPalette(CUICmFunction* owner, CResourceEnv* environment);
  ~CSkyFogPalette() override;

  // Takes the current document window, or none.
  void SetOwner(CDocumentHost* host);
  CDocumentHost* GetHost() const { return fHost; }

  // The layout, every control's callbacks and pictures, then the hover watch in place of the host
  // canvas's own: the layout's code, or 13 when the watch cannot be registered.
  int32_t BuildControls(CResourceEnv* environment) override;
  // The numeric dialog's "ok" applies and shows the edit state; the tab text shows the palette; the
  // controls' messages change the edit state and apply it (26). The rest goes to the host canvas.
  int32_t HandleEvent(CUIMessage* message) override;

  // The edit state from the scene's sky and sun, shown: 0. Counts its calls and keeps the flag word
  // the document's sky had at the last one.
  int32_t Update();
  uint32_t GetUpdateCount() const { return fUpdateCount; }
  uint32_t GetUpdateSkyFlags() const { return fUpdateSkyFlags; }

  // 'rese': the edit state written into the scene without an undo step, so that the user's last
  // step stays in the one-step history: 0.
  int32_t CommitChange();

  // The edit state from the scene (fromScene) or into it. redraw shows the state read from the
  // scene; commit, writing to the scene, pushes the pending sky action as the change's undo step and
  // marks the document changed. Without a sky, a light table holding a sun light, or their locks,
  // nothing changes. Afterwards a pending action holds the state as it now is; with auto-render on
  // the window clears and renders.
  int32_t ApplySky(bool fromScene, bool redraw, bool commit);

  // Applies the edit state to the scene and shows it; commit records an undo step.
  void UpdateAndRedraw(bool commit);
  uint32_t GetUpdateAndRedrawCount() const { return fUpdateAndRedrawCount; }

  // Draws every control from the edit state.
  void ShowEditState();
  // A swatch filled with the colour and redrawn: the redraw's code.
  int32_t FillSwatch(CImElement* swatch, CImVector colour);
  // The sky mode swatch: hidden for 'soft' and 'dark', the three custom colours in thirds for
  // 'cust', the flat colour for 'aoff'.
  void ShowSkyModeSwatch();
  // The cloud cross-section from the scene's stratus texture; nothing when it can't be locked.
  void DrawCloudProfile(int32_t cloudScale, int32_t cloudAmplitude);
  // The sun ball from the edit state's direction (which sets the control point) and colour, redrawn
  // unless the control's own drawing asks for it.
  void DrawSunControl(bool redraw = true);

  // The "randomize button": every setting of the edit state drawn from the program's generator,
  // then shown; the caller applies it.
  void Randomize();

  // The sky's defaults (stratus and cumulus off) and the sun's, then the edit state from them, as
  // one undo step. Nothing without a sun light.
  int32_t ResetSky();

  // The two pop-up menus at a point of the palette's canvas: 0.
  int32_t RunSkyModeMenu(SPointHV point);
  int32_t RunSkyFogMenu(SPointHV point);
  // Menu 201's ticks: auto-render, the sun linked to the camera, stratus and cumulus.
  void TickSkyFogMenu(CMenu& menu) const;

  // The drags that the cloud and sun controls' presses start, from the press point in the control.
  int32_t DragCloudProfile(SPointHV point);
  int32_t DragSunControl(SPointHV point);

  // The heartbeat's hover watch: the hovered control's help, the cursor, leaving the palette. 0.
  static int32_t HoverTick(void* palette, void* record, void* data);
  // The help entries over the sky mode swatch at a point of the palette's canvas.
  void SkyModeSwatchHelp(SPointHV point, uint32_t* first, uint32_t* second) const;
  // A help line of the palette's own making (the readouts of the drags), broadcast at once.
  int32_t SendHelpLine(const char* first, const char* second);

  bool IsAutoRender() const { return fAutoRender; }
  void SetAutoRender(bool on) { fAutoRender = on; }
  bool IsSunLinkedToCamera() const { return fSunLinkedToCamera; }
  void SetSunLinkedToCamera(bool on) { fSunLinkedToCamera = on; }
  // The action holding the state before the next change, or none.
  CSkyAction* GetPendingAction() const { return fPending; }
  const CViewDotTable& GetDots() const { return fDots; }
  CImElement* GetSelectedDot() const { return fSelectedDot; }
  void SetSelectedDot(CImElement* dot) { fSelectedDot = dot; }
  // The control under the pointer (one for the whole palette) and the pulse of the glowing buttons.
  CGlowTracker& GetTracker() { return fTracker; }
  CElement* GetHoveredElement() const { return fTracker.GetHotButton(); }
  CImElement* GetSkyModeElement() const { return fSkyMode; }
  CImElement* GetSwatch(uint32_t index) const { return index < kSwatchCount ? fOwn[index].element : nullptr; }
  CImElement* GetCloudProfile() const { return fOwn[kProfilePicture].element; }
  CImElement* GetSunControl() const { return fOwn[kSunPicture].element; }
  // Where the last press on the sky mode swatch was, in the swatch.
  void SetSkyModeSwatchPress(SPointHV point) { fSkyModeSwatchPress = point; }
  bool IsDrawingSun() const { return fDrawingSun; }

 private:
  struct SOwnPicture {
    CImElement* element = nullptr;
    std::unique_ptr<CImage> image;
  };

  void SettlePending(bool push);
  void FreeOwnPictures();
  // The named control with a white picture of its size: the press and hover given.
  int32_t BindOwnPicture(uint32_t slot, const char* name, ElPressCallback press, ElHoverCallback hover);
  void BindControls();
  int32_t HandleControlPress(const CUIMessage& message, bool* handled);
  int32_t HandleControlChange(const CUIMessage& message);
  int32_t PressSkyDot(uint32_t number, bool alt);
  void PickSwatchColour(uint32_t swatch, CImVector colour);
  void HoverTick(const void* record);
  void DrawSunBallAt(int32_t pointX, int32_t pointY, bool redraw);

  CDocumentHost* fHost = nullptr;
  CSkyAction* fPending = nullptr;
  CImElement* fSkyMode = nullptr;
  SOwnPicture fOwn[kOwnPictureCount];
  CViewDotTable fDots{SRange{int32_t(kDotCount), 0}};
  CImElement* fSelectedDot = nullptr;
  CGlowTracker fTracker;
  SPointHV fSkyModeSwatchPress;
  // The hover watch's last beat, and the help entries last sent over the sky mode swatch.
  int64_t fLastHover = 0;
  uint32_t fSwatchHelp = 0;
  bool fAutoRender = false;
  bool fSunLinkedToCamera = true;
  bool fDrawingSun = false;
  uint32_t fUpdateAndRedrawCount = 0;
  uint32_t fUpdateCount = 0;
  uint32_t fUpdateSkyFlags = 0;
  // The readouts' texts, which a help line message names rather than copies.
  char fHelpFirst[32] = {};
  char fHelpSecond[8] = {};
};

// The program's sky & fog palette, none before the interface is built and after it is gone.
CSkyFogPalette* GetCurrentSkyFogPalette();
