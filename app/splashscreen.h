// The splash screen: a borderless canvas built from the layout canvas "splashscreen", shown while the
// interface loads, and again, scrolling its "about text", as the about box. Its window looks
// irregular: before it first appears the canvas's backdrop becomes a copy of the screen beneath it,
// which shows wherever the picture "splash pict" is transparent.
#pragma once

#include <cstdint>

#include "framework/ui/ho_canvas.h"

class CImElement;
class CTxElement;

class CSplashscreen : public CHoCanvas {
 public:
  static constexpr uint32_t kPopupStyle = 0x80000000;
  static constexpr int32_t kPriority = 0x3FFFFFFF;
  // The picture state the about box shows.
  static constexpr uint32_t kAboutState = 1;
  static constexpr uint32_t kWorkingBytes = 1024;
  // The about box's rhythm: the text rises a pixel when more than 3 ticks passed, and the queue is
  // looked at for a key press or click every 10 ticks.
  static constexpr int64_t kScrollTicks = 3;
  static constexpr int64_t kPollTicks = 10;

  CSplashscreen();

  // The canvas "splashscreen" of the layout file, with its picture "splash pict" shown: the
  // layout's error, else 0.
  int32_t Build(CResourceEnv* environment);
  // The screen beneath taken the first time, before the window is mapped; then shown and painted
  // at once, before the long loading work starts.
  bool Show() override;
  // Shows picture state 1 and rises the entries 1, 3, 4, ... of "about text" through its element
  // until a key press or a click waits (left in the queue): 0 then; 1 when a text cannot be laid
  // out, 9 when the working block cannot be had.
  int32_t RunAboutBox();

  CImElement* GetPicture() const { return fPicture; }

 private:
  // The screen area under the canvas's frame into the canvas's backdrop, once.
  void CaptureBackground();
  // Entry `entry` of the text's list at (0, 0), laid out: false when it cannot be.
  static bool LayOutEntry(CTxElement* text, uint32_t entry, SRect* laidOut);

  CImElement* fPicture = nullptr;
  bool fCaptured = false;
};
