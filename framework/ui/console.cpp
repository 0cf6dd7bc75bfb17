#include "framework/ui/console.h"

#include <cstring>

#include "framework/core/mem_pool.h"

namespace {

constexpr int32_t kFontHeight = -10;
constexpr uint32_t kWhite = 0xFFFFFF;

}  // namespace

CConsole::CConsole(uint32_t lineWidth, uint32_t requestedLines, const SRect& frame, bool visible, uint32_t style,
                   const CImVector* textColor, const CImVector* color, int32_t priority)
    : COfCanvas(frame, visible, style, color, priority) {
  if (!IsRegistered() || !IsOffscreenReady() || lineWidth == 0) return;
  const uint64_t bytes = (uint64_t(requestedLines) + 1) * lineWidth;
  if (bytes > UINT32_MAX || !fLines.Init(uint32_t(bytes), GetDefaultPool())) return;
  fLineCount = requestedLines + 1;
  fLineWidth = lineWidth;
  fCurrent = fTail = fHead = 0;
  fTextColor.value = textColor ? textColor->value : kWhite;
  fReady = 1;
}

CConsole::~CConsole() { fReady = 0; }

char* CConsole::Line(uint32_t index) const {
  return reinterpret_cast<char*>(fLines.GetData()) + size_t(index) * fLineWidth;
}

void CConsole::Print(const char* text, bool redraw) {
  if (!fReady) return;
  ++fHead;
  uint32_t fill = fHead - 1;
  if (fHead == fLineCount) {
    fHead = 0;
    fill = fLineCount - 1;
  }
  fCurrent = fill;
  if (fHead == fTail) fTail = (fTail + 1) % fLineCount;
  const char* source = text ? text : "";
  const size_t n = strnlen(source, fLineWidth - 1);
  char* line = Line(fill);
  std::memcpy(line, source, n);
  line[n] = 0;
  // A hidden console draws when it is shown: its first text would start the font system, a good part
  // of a command-line tool's start-up.
  if (!redraw) return;
  if (IsShown()) Redraw(nullptr);
  else fStale = true;
}

const char* CConsole::GetCurrentLine() const { return fReady && !IsEmpty() ? Line(fCurrent) : ""; }

void CConsole::ShowConsole() {
  if (fStale) {
    fStale = false;
    Redraw(nullptr);
  }
  Show();
  Activate();
}

void CConsole::Draw(uint32_t mode, const SRect&) {
  platform::DeviceContext* dc = GetDeviceContext();
  platform::SWinRect client;
  platform::GetClientRect(GetWindow(), &client);
  const uint32_t oldText = platform::SetTextColor(dc, fTextColor.value & 0xFFFFFF);
  const uint32_t oldBackground = platform::SetBkColor(dc, GetColor().value & 0xFFFFFF);
  platform::ExtTextOut(dc, 0, 0, platform::kEtoOpaque, &client, nullptr, 0);
  if (fReady && !IsEmpty() && mode == kDrawContent) {
    platform::SLogFont request;
    request.height = kFontHeight;
    request.weight = platform::kFwNormal;
    request.charSet = platform::kAnsiCharset;
    request.pitchAndFamily = platform::kFixedPitch;
    request.face = "Lucida Console";
    platform::GdiObject font = platform::CreateFontIndirect(request);
    platform::GdiObject previous = font ? platform::SelectObject(dc, font) : nullptr;
    platform::SWinRect inside{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
    platform::DrawText(dc, Line(fCurrent), -1, &inside, platform::kDtWordBreak | platform::kDtNoPrefix);
    if (previous) platform::SelectObject(dc, previous);
    if (font) platform::DeleteObject(font);
  }
  platform::SetTextColor(dc, oldText);
  platform::SetBkColor(dc, oldBackground);
}
