#include "framework/ui/console.h"

#include <cstring>

#include "framework/core/mem_pool.h"

CConsole::CConsole(uint32_t lineWidth, uint32_t requestedLines, const SRect& frame) : fFrame(frame) {
  if (lineWidth == 0 || requestedLines == 0) return;
  const uint64_t bytes = uint64_t(requestedLines + 1) * lineWidth;
  if (bytes > UINT32_MAX || !fRing.Init(uint32_t(bytes), GetDefaultPool())) return;
  fLineWidth = lineWidth;
  fLineCount = requestedLines + 1;
  fReady = true;
}

char* CConsole::Line(uint32_t index) const {
  return reinterpret_cast<char*>(fRing.GetData()) + size_t(index) * fLineWidth;
}

void CConsole::Print(const char* text, bool) {
  if (!fReady) return;
  ++fHead;
  uint32_t fill = fHead - 1;
  if (fHead == fLineCount) {
    fHead = 0;
    fill = fLineCount - 1;
  }
  fCurrent = fill;
  if (fHead == fTail) fTail = (fTail + 1) % fLineCount;
  char* line = Line(fill);
  std::strncpy(line, text ? text : "", fLineWidth - 1);
  line[fLineWidth - 1] = 0;
}

const char* CConsole::GetCurrentLine() const { return fReady && fHead != fTail ? Line(fCurrent) : ""; }

CDesktopConsole* NewDesktopConsole(uint32_t lineWidth, uint32_t lineCount, const SRect& frame) {
  return new CConsole(lineWidth, lineCount, frame);
}
