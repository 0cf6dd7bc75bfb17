// The preferences dialog: the four program-wide preferences of the first words of "Quarn2 Prefs"
// (whether the program starts as it was left or in its default state, whether new objects are placed
// in view or at the world centre, whether a picture of the render is kept with each document, and the
// percentage of the machine's memory taken as the data budget at the next start), with the machine's
// memory and what the program uses now. OK writes them; Cancel leaves the file as it was.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"
#include "panels/layout_needs.h"

class CImElement;
class CTxElement;

class CPrefs : public CLayoutHostCanvas {
 public:
  // The preferences' first four words.
  static constexpr uint32_t kStartUpModeOffset = 0;
  static constexpr uint32_t kPlacementOffset = 4;
  static constexpr uint32_t kImageWithSceneOffset = 8;
  static constexpr uint32_t kMemoryPercentOffset = 12;
  // The percentage as the dialog edits it, and the arrows' repeat while held.
  static constexpr int32_t kMinPercent = 50;
  static constexpr int32_t kMaxPercent = 200;
  static constexpr int64_t kRepeatTicks = 30;

  CPrefs(CUICmFunction* owner, CResourceEnv* environment);

  // The layout and the callbacks: 0 or the layout's code.
  int32_t BuildControls(CResourceEnv* environment) override;
  // The fields from the preferences (kept as they are when the file cannot be read), shown with the
  // machine's memory and the program's use: 0.
  int32_t Open();
  // "Preferences" from another canvas opens the dialog (built first: the build's code), or only
  // brings it forward while it shows (26). While it shows, its own controls act: OK writes the four
  // fields into the preferences (a failed write is reported) and closes, Cancel closes; every
  // message then goes on to the layout host canvas. 0 while hidden.
  int32_t HandleEvent(CUIMessage* message) override;
  // The text centred in the text element: 0, or the element's code.
  static int32_t SetFieldText(CTxElement* element, const char* text, bool redraw);

  int32_t GetStartUpMode() const { return fStartUpMode; }
  int32_t GetPlacement() const { return fPlacement; }
  int32_t GetImageWithScene() const { return fImageWithScene; }
  int32_t GetMemoryPercent() const { return fMemoryPercent; }

 private:
  int32_t HandleOwnMessage(const CUIMessage& message);
  // OK: the four words into the preferences, the rest of the file as it was. 0, or 1 when the file
  // cannot be written.
  int32_t WritePrefs();
  // While the mouse button is held, up raises the percentage by a point a pixel, down lowers it.
  void DragPercent();
  // Upper half of the arrows up, lower half down: a step at once, then one each half second held.
  void StepPercent(SPointHV press);
  void ShowPercent(bool redraw);
  void ShowChoices();

  CImElement* fControls[need::kPrefsControlCount] = {};
  CTxElement* fReadouts[need::kPrefsReadoutCount] = {};
  int32_t fStartUpMode = 1;
  int32_t fPlacement = 0;
  int32_t fImageWithScene = 1;
  int32_t fMemoryPercent = 75;
};
