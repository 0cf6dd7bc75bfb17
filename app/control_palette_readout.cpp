// The control palette's two-line readout, which shows the help of the control under the pointer,
// the document window's information and the progress of long work, and the palette's heartbeat step,
// which drives the hover help, the nano preview's slices and the reset of the render buttons.
//
// A readout text starts with its type size in two digits ("12%d%%"); the rest is the line.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/control_palette.h"
#include "app/control_palette_shared.h"
#include "app/layout_needs.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/ix_text.h"
#include "framework/core/progress.h"
#include "framework/core/result_codes.h"
#include "framework/ui/canvas.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "platform/window.h"

namespace {

using control_palette::Now;

constexpr uint32_t kReadoutKind = 4;
// The type size of a text without a size prefix, the largest a prefix gives, and the size of every
// line on a small palette.
constexpr float kPlainSize = 12;
constexpr int32_t kLargestSize = 23;
constexpr float kCappedSize = 22;
constexpr float kSmallPaletteSize = 9;
constexpr int32_t kSmallPaletteHeight = 460;
// Layout options of the lines: centred, and centred at the foot of the readout.
constexpr uint32_t kUpperLineLayout = kLayoutCentreH;
constexpr uint32_t kFootLineLayout = kLayoutCentreH | kLayoutBottom;
constexpr int32_t kReadoutMargin = 2;
// A line shrunk to fit the readout keeps at least this size.
constexpr float kLeastFittedSize = 6;

constexpr int32_t kHeartbeatTicks = 5;
constexpr int32_t kPercentDelayTicks = 20;

constexpr uint32_t kWaitCursor = 1;
constexpr uint32_t kArrowCursor = 0;
constexpr uint32_t kSpaceKey = 0x20;

// A readout line: the words and their type size (0: the line keeps its size).
struct SReadoutLine {
  const char* words = "";
  float size = 0;
  bool present = false;
};

// The two-digit prefix read off a text. A text that does not start with two digits, or whose prefix
// gives no size, shows whole at the plain size.
SReadoutLine ParseLine(const char* text) {
  SReadoutLine line;
  const size_t length = text ? std::strlen(text) : 0;
  if (length <= 2) return line;
  line.present = true;
  const bool prefixed = std::isdigit(uint8_t(text[0])) && std::isdigit(uint8_t(text[1]));
  const int32_t size = prefixed ? (text[0] - '0') * 10 + (text[1] - '0') : 0;
  if (size <= 0) {
    line.words = text;
    line.size = kPlainSize;
    return line;
  }
  line.words = text + 2;
  line.size = float(size);
  return line;
}

// The sizes of a readout message: capped, and all alike on a small palette.
void CapSize(SReadoutLine& line, bool smallPalette) {
  if (!line.present) return;
  if (line.size > kLargestSize) line.size = kCappedSize;
  if (smallPalette) line.size = kSmallPaletteSize;
}

}  // namespace


// ---- the readout

// A line wider than the readout is set smaller until it fits: centred, it would lose both its ends.
void CControlPalette::SetReadoutLine(CTxElement* element, const char* words, float size) {
  const auto set = [element, words](float points) {
    if (points > 0) {
      if (STextStyle* style = element->GetStyle()) style->matrix = {points, 0.0f, 0.0f, points};
      element->ReleaseAttachment(false);
    }
    // Through the empty text: the same buffer again would count as no change.
    element->SetText("", false, false);
    element->SetText(words, false, false);
  };
  set(size);
  CElement* area = element->GetParent();
  SRect text, readout;
  if (!area || element->GetTextRect(&text) != kNoErr || IsEmptyRect(text)) return;
  area->GetLocalRect(&readout);
  const int32_t room = RectWidth(readout) - 2 * kReadoutMargin;
  const STextStyle* style = element->GetStyle();
  if (!style || room <= 0 || RectWidth(text) <= room) return;
  set(std::max(kLeastFittedSize, std::floor(style->matrix.m0 * float(room) / float(RectWidth(text)))));
}

// The line's text inside its element: centred across, and at its foot or centred down.
void CControlPalette::PlaceReadoutText(CTxElement* element, bool atFoot) {
  SRect text;
  if (element->GetTextRect(&text) != kNoErr || IsEmptyRect(text)) return;
  SRect local;
  element->GetLocalRect(&local);
  const SFontPoint position = element->GetPosition();
  const float dh = float(local.left + local.right - text.left - text.right) / 2;
  const float dv = atFoot ? float(local.bottom - text.bottom)
                          : float(local.top + local.bottom - text.top - text.bottom) / 2;
  element->SetPosition({position.h + dh, position.v + dv}, false);
}

// Two lines: the bottom one at the foot of the readout and the top one above it; one line: the top
// one over the readout less its margins.
void CControlPalette::PlaceReadoutLines(bool twoLines) {
  CElement* area = fTopText->GetParent();
  if (!area) return;
  SRect readout;
  area->GetLocalRect(&readout);
  const int32_t top = readout.top + kReadoutMargin, bottom = readout.bottom - kReadoutMargin;
  const int32_t left = readout.left + kReadoutMargin, right = readout.right - kReadoutMargin;
  if (!twoLines) {
    fTopText->SetLayoutFlags(kFootLineLayout, false);
    fTopText->SetRectWithFlags(0, {top, left, bottom, right}, false);
    PlaceReadoutText(fTopText, false);
    return;
  }
  fTopText->SetLayoutFlags(kUpperLineLayout, false);
  fBottomText->SetLayoutFlags(kFootLineLayout, false);
  SRect text;
  int32_t split = (top + bottom) / 2;
  if (fBottomText->GetTextRect(&text) == kNoErr && !IsEmptyRect(text))
    split = std::clamp(bottom - RectHeight(text) - kReadoutMargin, top, bottom);
  fBottomText->SetRectWithFlags(0, {split, left, bottom, right}, false);
  fTopText->SetRectWithFlags(0, {top, left, split, right}, false);
  PlaceReadoutText(fBottomText, true);
  PlaceReadoutText(fTopText, true);
}

void CControlPalette::RedrawReadout() {
  if (CElement* area = fTopText->GetParent()) area->Redraw();
  else fTopText->Redraw();
}

int32_t CControlPalette::ShowReadout(CUIMessage* message) {
  return message ? ShowReadoutTexts(message->elementName, message->windowName) : kHandled;
}

int32_t CControlPalette::ShowReadoutTexts(const char* top, const char* bottom) {
  if (!fTopText || !fBottomText) return kHandled;
  if (!top || !*top) {
    fTopLine[0] = fBottomLine[0] = 0;
    SetReadoutLine(fTopText, fTopLine, 0);
    SetReadoutLine(fBottomText, fBottomLine, 0);
    fTopText->ReleaseAttachment(false);
    fBottomText->ReleaseAttachment(false);
    RedrawReadout();
    return kHandled;
  }
  const bool smallPalette = RectHeight(GetFrame()) < kSmallPaletteHeight;
  SReadoutLine upper = ParseLine(top), lower = ParseLine(bottom);
  CapSize(upper, smallPalette);
  CapSize(lower, smallPalette);
  std::snprintf(fTopLine, sizeof fTopLine, "%s", upper.words);
  std::snprintf(fBottomLine, sizeof fBottomLine, "%s", lower.words);
  SetReadoutLine(fTopText, fTopLine, upper.size);
  if (lower.present) {
    fBottomText->Show(false);
    SetReadoutLine(fBottomText, fBottomLine, lower.size);
  } else {
    fBottomText->Hide(false);
  }
  PlaceReadoutLines(lower.present);
  RedrawReadout();
  return kHandled;
}

void CControlPalette::SetReadoutPercent(const char* text) {
  if (!fTopText || !fBottomText) return;
  // The prefix's own size: neither the cap nor the small palette's size applies.
  const SReadoutLine line = ParseLine(text);
  std::snprintf(fBottomLine, sizeof fBottomLine, "%s", line.words);
  SetReadoutLine(fBottomText, fBottomLine, line.size);
  if (!fBottomText->IsShown()) {
    fBottomText->Show(false);
    PlaceReadoutLines(true);
    RedrawReadout();
    return;
  }
  PlaceReadoutText(fBottomText, true);
  fBottomText->Redraw();
}

// Delivered through the owner, as any other sender's readout is.
int32_t CControlPalette::SendReadout(const char* top, const char* bottom) {
  CUIMessage message;
  message.Init(kReadoutKind, top, bottom, need::kControlPalette.name, 0);
  CUICmFunction* owner = GetOwner();
  return owner ? owner->Dispatch(&message) : HandleEvent(&message);
}

int32_t CControlPalette::ShowElementHelp(const char* name, uint32_t top, uint32_t bottom) {
  if (!name || !*name) return kNoErr;
  CIxTextLocal list(GetResourceEnvironment(), name, CIxText::kNone);
  if (list.GetResult() != kNoErr) return kNoErr;
  const uint32_t count = list.Count();
  if (top >= count) return kNoErr;
  const char* upper = list.TextAt(top);
  const char* lower = bottom < count ? list.TextAt(bottom) : nullptr;
  return SendReadout(upper, lower);
}

// ---- progress

int32_t CControlPalette::OnProgress(void* palette, void* record, void*) {
  const auto* progress = static_cast<const SProgressRecord*>(record);
  if (!palette || !progress) return kNoErr;
  const CProgress* level = progress->innermost;
  static_cast<CControlPalette*>(palette)->ShowProgress(progress->message, level ? level->GetFraction() : 0,
                                                       level ? level->GetTitle() : nullptr,
                                                       level ? level->GetText() : nullptr);
  return kNoErr;
}

void CControlPalette::ShowProgress(uint32_t event, float fraction, const char* title, const char* text) {
  char percent[16];
  const int32_t done = int32_t(fraction * 100);
  std::snprintf(percent, sizeof percent, "12%d%%", done);
  switch (event) {
    case kProgressOutermostOpened:
      ShowReadoutTexts(nullptr, nullptr);
      SetAppCursor(kWaitCursor, false);
      fProgressStart = Now();
      break;
    case kProgressChanged:
      if (int32_t(Now() - fProgressStart) > kPercentDelayTicks) SetReadoutPercent(percent);
      break;
    case kProgressTitleChanged:
      if (title && *title) ShowReadoutTexts(title, text && *text ? text : done ? percent : "13 ");
      break;
    case kProgressOutermostClosed:
      ShowReadoutTexts(nullptr, nullptr);
      SetAppCursor(kArrowCursor, false);
      break;
    default:
      break;
  }
}

// ---- the heartbeat

int32_t CControlPalette::Heartbeat(void* palette, void* record, void*) {
  if (!palette || !record) return kNoErr;
  return static_cast<CControlPalette*>(palette)->HeartbeatStep(static_cast<const SHeartbeatRecord*>(record)->reserved1);
}

int32_t CControlPalette::HeartbeatStep(uint32_t nested) {
  CAppl* app = GetApplication();
  CElement* root = GetRoot();
  if (!app || IsStale() || !app->IsActive() || nested != 0 || !root || !IsShown() ||
      !root->AcceptsEvents(kEventMaskHover) || !root->IsShown() || app->IsMouseDown())
    return kNoErr;
  const uint32_t now = Now();
  if (int32_t(now - fHeartbeatStamp) < kHeartbeatTicks) return kNoErr;
  fHeartbeatStamp = now;
  if (const int32_t result = RenderPendingPreview()) {
    // A preview that gave way or was interrupted has put itself off; that is no error, and the
    // heartbeat's later rows (the document windows) must still get this beat.
    return IsSilentCode(result) ? kNoErr : result;
  }
  TrackHoverHelp();
  if (fRenderButtonsLit) ResetRenderButtons();
  return kNoErr;
}

void CControlPalette::TrackHoverHelp() {
  CAppl* app = GetApplication();
  const platform::SPoint cursor = app->GetCursorPos();
  platform::SWinRect frame;
  const bool inside = platform::GetWindowRect(GetWindow(), &frame) && cursor.x >= frame.left &&
                      cursor.x < frame.right && cursor.y >= frame.top && cursor.y < frame.bottom &&
                      platform::WindowFromPoint(cursor) == GetWindow();
  CElement* before = fGlow.GetHotButton();
  if (!inside) {
    if (!before) return;
    before->SetUserWord(kZoneWord, 0);
    fGlow.DropHot();
    SetAppCursor(kArrowCursor, false);
    SendReadout(nullptr, nullptr);
    return;
  }
  if (app->IsKeyDown(kSpaceKey)) {
    fGlow.DropHot();
    SetAppCursor(kCursorSpaceHeld, false);
    return;
  }
  if (!before) SetAppCursor(kArrowCursor, false);
  const uint32_t zone = before ? before->GetUserWord(kZoneWord) : 0;
  CElement* root = GetRoot();
  SPointHV point;
  root->ParentToLocalPoint(&point, ScreenToCanvas({cursor.x, cursor.y}));
  ReportHoverResult(root->HandleHover(point));
  CElement* hovered = fGlow.GetHotButton();
  if (hovered == before) {
    if (hovered && hovered->GetUserWord(kZoneWord) != zone) ShowElementHelp(hovered->GetName(), 0, 1);
  } else if (hovered) {
    ShowElementHelp(hovered->GetName(), 0, 1);
  } else {
    SendReadout(nullptr, nullptr);
  }
}

// A failing hover is told once; the same failure again only after a hover that worked.
void CControlPalette::ReportHoverResult(int32_t result) {
  if (result == kNoErr || result == kHandled) {
    fReportedHoverError = kNoErr;
    return;
  }
  if (result == fReportedHoverError) return;
  fReportedHoverError = result;
  if (CAppl* app = GetApplication()) app->TellError(result);
}

void CControlPalette::ResetRenderButtons() {
  for (CImElement* button : fRenderButtons) {
    if (button) ShowState(button, 0);
  }
  fRenderButtonsLit = 0;
}
