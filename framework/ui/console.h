// The desktop console: a strip of text that shows the last line printed to it in a fixed-pitch font,
// drawn offscreen. The application makes it at start-up, hidden at the top of the screen, prints its
// banner into it and shows and hides it on Ctrl+Shift+Space.
//
// The lines are a ring of lineCount (the requested lines plus one) lines of lineWidth bytes, the
// terminator included; it is empty when tail = head and holds at most lineCount - 1 lines.
#pragma once

#include <cstdint>

#include "framework/core/mem_block.h"
#include "framework/core/ui_services.h"
#include "framework/ui/of_canvas.h"

class CConsole : public COfCanvas, public CDesktopConsole {
 public:
  // A null textColor is white. A line width of 0, or a ring past 32 bits, leaves the console unready.
  CConsole(uint32_t lineWidth, uint32_t requestedLines, const SRect& frame, bool visible, uint32_t style,
           const CImVector* textColor, const CImVector* color, int32_t priority);
  ~CConsole() override;

  // The background, then with kDrawContent the last line, broken at word ends, in the console's font.
  void Draw(uint32_t mode, const SRect& area) override;

  // Registered, with its memory context and its ring.
  bool IsReady() const override { return IsRegistered() && IsOffscreenReady() && fReady; }
  // Appends a line cut to lineWidth - 1 characters; with redraw, the console is redrawn at once, or when
  // next shown if it is hidden.
  void Print(const char* text, bool redraw) override;
  const char* GetCurrentLine() const override;
  bool IsConsoleVisible() const override { return IsShown(); }
  void ShowConsole() override;
  void HideConsole() override { Hide(); }

 private:
  char* Line(uint32_t index) const;
  bool IsEmpty() const { return fHead == fTail; }

  CMemBlock fLines;
  uint32_t fLineCount = 0;
  uint32_t fLineWidth = 0;
  uint32_t fCurrent = 0;
  uint32_t fTail = 0;
  uint32_t fHead = 0;
  CImVector fTextColor;
  uint8_t fReady = 0;
  bool fStale = false;  // printed to with redraw while hidden
};
