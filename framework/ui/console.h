// The desktop console: a strip of text at the top of the screen that shows the last line printed.
//
// Placeholder until the user-interface framework's issues build canvases: the ring of lines and the
// visible flag are real, but there is no window and nothing is drawn.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/mem_block.h"
#include "framework/core/ui_services.h"

class CConsole : public CBaseObject, public CDesktopConsole {
 public:
  CConsole(uint32_t lineWidth, uint32_t requestedLines, const SRect& frame);

  bool IsReady() const override { return fReady; }
  void Print(const char* text, bool redraw) override;
  const char* GetCurrentLine() const override;
  bool IsVisible() const override { return fVisible; }
  void Show() override { fVisible = true; }
  void Hide() override { fVisible = false; }
  void Close(int32_t) override { fVisible = false; }

  const SRect& GetFrame() const { return fFrame; }

 private:
  char* Line(uint32_t index) const;

  CMemBlock fRing;
  SRect fFrame;
  uint32_t fLineWidth = 0;
  uint32_t fLineCount = 0;
  uint32_t fCurrent = 0;
  uint32_t fHead = 0;
  uint32_t fTail = 0;
  bool fVisible = false;
  bool fReady = false;
};
