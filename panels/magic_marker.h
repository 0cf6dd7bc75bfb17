// The marker pen: freehand strokes over the whole screen. It runs as a modal, borderless window that
// covers the screen and starts as a copy of what lay beneath it, so that the strokes seem drawn on
// the screen itself; they go with the window. A right press opens a strip at the top of the screen
// with eight colour swatches and a pen width slider; a key, or a left click on the square of the
// button that started it, ends the run. Every run starts with a red pen of 4 pixels.
#pragma once

#include <cstdint>

#include "platform/device_context.h"
#include "platform/system.h"
#include "platform/window.h"

class CMagicMarker {
 public:
  // The in-memory dialog template: the pop-up style, everything else zero.
  static constexpr uint32_t kTemplateBytes = 58;
  static constexpr uint32_t kWindowStyle = 0x80000000;
  // The square that ends the run: from the button's corner to 20 pixels right and down, inclusive.
  static constexpr int32_t kCloseBoxSize = 20;
  // The pen is factor × 40 pixels wide (0: one pixel); the factor starts at 0.1.
  static constexpr float kMaxPenWidth = 40.0f;
  static constexpr float kStartFactor = 0.1f;
  static constexpr uint32_t kStartColour = 0xFF0000;
  // The chooser's strip across the top of the screen: swatch i from (45 i, 0) to (45 i + 30, 15),
  // and the slider from (360, 0) to (600, 15).
  static constexpr int32_t kStripHeight = 22;
  static constexpr uint32_t kSwatchCount = 8;
  static constexpr int32_t kSwatchPitch = 45;
  static constexpr int32_t kSwatchWidth = 30;
  static constexpr int32_t kSwatchHeight = 15;
  static constexpr platform::SWinRect kSlider{360, 0, 600, 15};
  // Black, white, red, green, blue, yellow, cyan, magenta (0x00RRGGBB).
  static const uint32_t kSwatches[kSwatchCount];

  // Runs the whole drawing run and returns when it ends: the cursor (none: the one there is) shown
  // over the window, which the owner window owns; the corner is the top left of the button that
  // started it, on the screen.
  CMagicMarker(platform::CursorHandle cursor, platform::WindowHandle owner, int32_t cornerX, int32_t cornerY);
  virtual ~CMagicMarker();
  CMagicMarker(const CMagicMarker&) = delete;
  CMagicMarker& operator=(const CMagicMarker&) = delete;

  // The chooser's strip as it opens, screen width × 22 pixels from (0, 0): black, the swatches, and
  // the slider at the width factor.
  static void DrawStrip(platform::DeviceContext* dc, int32_t width, float factor);

  // The window could be run (its template allocated and the dialog made).
  bool HasRun() const { return fRan != 0; }
  // Bytes of the dialog template held while the window runs.
  int32_t GetTemplateBytes() const { return fTemplateBytes; }
  uint32_t GetPenColour() const;
  float GetWidthFactor() const { return fWidthFactor; }
  int32_t GetPenWidth() const { return int32_t(fWidthFactor * kMaxPenWidth); }

 private:
  static intptr_t DialogProc(platform::WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);
  void Run();
  // Covers the screen with the window, showing what lies beneath.
  void Start(platform::WindowHandle dialog);
  bool IsInCloseBox(platform::SPoint point) const;
  // A press of the primary button: a stroke until it is let go, or the end in the close box.
  void Stroke(platform::WindowHandle dialog, platform::SPoint press);
  // A press of the secondary button: the strip until it is let go, then the colour under the pointer.
  void ChoosePen(platform::WindowHandle dialog);
  // The slider at the width factor, which the pointer over it sets first.
  static void DrawSlider(platform::DeviceContext* dc, float factor);
  void TrackSlider(platform::DeviceContext* dc, platform::SPoint pointer);
  // Whether the button is held and its release is not waiting in the queue.
  static bool IsHeld(platform::WindowHandle dialog, bool primary);

  int32_t fTemplateBytes = 0;
  uint8_t fRan = 0;
  platform::CursorHandle fCursor = nullptr;
  platform::WindowHandle fOwner = nullptr;
  int32_t fCornerX = 0;
  int32_t fCornerY = 0;
  uint8_t fRed = 0xFF;
  uint8_t fGreen = 0;
  uint8_t fBlue = 0;
  float fWidthFactor = kStartFactor;
};
