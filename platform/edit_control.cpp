#include "platform/edit_control.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/clipboard.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/system.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

constexpr uint32_t kSystemLimit = 0x7FFFFFFE;
constexpr int32_t kTextInset = 2;
enum : uint32_t { kCtrlA = 0x01, kCtrlC = 0x03, kCtrlV = 0x16, kCtrlX = 0x18 };

std::map<WindowHandle, SEditState> gEdits;

uint32_t Length(const SEditState& e) { return uint32_t(e.text.size()); }

// The text of the clipboard, printable characters only.
std::string ClipboardText() {
  std::vector<uint8_t> bytes;
  if (!OpenClipboard(nullptr)) return {};
  GetClipboardData(kCfText, &bytes);
  CloseClipboard();
  std::string text(bytes.begin(), std::find(bytes.begin(), bytes.end(), uint8_t(0)));
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return uint8_t(c) < 0x20; }), text.end());
  return text;
}

void PutClipboardText(const std::string& text) {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  SetClipboardData(kCfText, text.c_str(), text.size() + 1);
  CloseClipboard();
}

// Replaces the selection with what fits of the text under the limit; false when nothing changed.
bool Replace(SEditState& e, const std::string& text) {
  const uint32_t start = e.SelectionStart(), end = e.SelectionEnd();
  const uint32_t room = e.limit - std::min(e.limit, Length(e) - (end - start));
  const std::string put = text.substr(0, room);
  if (start == end && put.empty()) return false;
  e.text.replace(start, end - start, put);
  e.anchor = e.caret = start + uint32_t(put.size());
  return true;
}

bool MoveCaret(SEditState& e, uint32_t to, bool extend) {
  const uint32_t anchor = extend ? e.anchor : to;
  if (e.caret == to && e.anchor == anchor) return false;
  e.caret = to;
  e.anchor = anchor;
  return true;
}

bool ModelKey(SEditState& e, uint32_t key) {
  const bool shift = IsKeyDownAsync(kVkShift);
  const bool selection = e.anchor != e.caret;
  switch (key) {
    case kVkLeft:
      if (selection && !shift) return MoveCaret(e, e.SelectionStart(), false);
      return MoveCaret(e, e.caret ? e.caret - 1 : 0, shift);
    case kVkRight:
      if (selection && !shift) return MoveCaret(e, e.SelectionEnd(), false);
      return MoveCaret(e, std::min(e.caret + 1, Length(e)), shift);
    case kVkHome: return MoveCaret(e, 0, shift);
    case kVkEnd: return MoveCaret(e, Length(e), shift);
    case kVkDelete:
      if (!selection && e.caret < Length(e)) e.anchor = e.caret + 1;
      return Replace(e, "");
    default: return false;
  }
}

bool ModelCharacter(SEditState& e, uint32_t c) {
  const std::string selected = e.text.substr(e.SelectionStart(), e.SelectionEnd() - e.SelectionStart());
  switch (c) {
    case kVkBack:
      if (e.anchor == e.caret && e.caret > 0) e.anchor = e.caret - 1;
      return Replace(e, "");
    case kCtrlA: {
      const bool changed = e.anchor != 0 || e.caret != Length(e);
      e.anchor = 0;
      e.caret = Length(e);
      return changed;
    }
    case kCtrlC:
      if (!selected.empty()) PutClipboardText(selected);
      return false;
    case kCtrlX:
      if (selected.empty()) return false;
      PutClipboardText(selected);
      return Replace(e, "");
    case kCtrlV: return Replace(e, ClipboardText());
    default: break;
  }
  if (c < 0x20 || c == 0x7F || c > 0xFF) return false;
  if (Length(e) - (e.SelectionEnd() - e.SelectionStart()) >= e.limit) {
    Beep();
    return false;
  }
  return Replace(e, std::string(1, char(c)));
}

void Paint(SWindow* w, const SEditState& e) {
  SPaint paint;
  if (!BeginPaint(w, &paint)) return;
  SWinRect client;
  GetClientRect(w, &client);
  DeviceContext* dc = paint.dc;
  GdiObject white = CreateSolidBrush(GetSysColor(kColorWindow));
  FillRect(dc, client, white);
  DeleteObject(white);
  GdiObject previous = SelectObject(dc, e.font ? static_cast<GdiObject>(e.font) : GetStockObject(kDefaultGuiFont));
  SetBkMode(dc, kTransparent);
  SetTextColor(dc, GetSysColor(kColorWindowText));
  uint32_t align = kDtLeft;
  if (w->style & kEsRight) align = kDtRight;
  else if (w->style & kEsCenter) align = kDtCenter;
  SWinRect inside{client.left + kTextInset, client.top, client.right - kTextInset, client.bottom};
  DrawText(dc, e.text.c_str(), int32_t(e.text.size()), &inside, align | kDtSingleLine | kDtVCenter | kDtNoPrefix);
  SelectObject(dc, previous);
  EndPaint(w, paint);
}

void Changed(SWindow* w) {
  InvalidateRect(w, nullptr, true);
  Backend().EditChanged(w);
}

intptr_t Input(SWindow* w, SEditState& e, uint32_t message, uintptr_t wParam) {
  // A numeric field refuses other printable characters, whichever control takes the keys.
  const bool printable = wParam >= 0x20 && wParam != 0x7F && wParam <= 0xFF;
  if (message == kWmChar && (w->style & kEsNumber) && printable && (wParam < '0' || wParam > '9')) {
    Beep();
    return 0;
  }
  bool acted = false;
  if (Backend().EditInput(w, message, wParam, &acted)) return acted ? 1 : 0;
  acted = message == kWmKeyDown ? ModelKey(e, uint32_t(wParam)) : ModelCharacter(e, uint32_t(wParam));
  if (acted) Changed(w);
  return acted ? 1 : 0;
}

}  // namespace

SEditState* EditStateOf(WindowHandle window) {
  const auto it = gEdits.find(window);
  return it == gEdits.end() ? nullptr : &it->second;
}

intptr_t EditClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SWindow* w = FindLiveWindow(window);
  if (!w) return 0;
  if (message == kWmNcCreate) {
    gEdits[window].limit = kSystemLimit;
    return DefWindowProc(window, message, wParam, lParam);
  }
  SEditState* e = EditStateOf(window);
  if (!e) return DefWindowProc(window, message, wParam, lParam);
  switch (message) {
    case kWmNcDestroy: gEdits.erase(window); return 0;
    case kWmSetText: {
      const char* text = reinterpret_cast<const char*>(lParam);
      e->text = text ? text : "";
      e->anchor = e->caret = 0;
      Changed(w);
      return 1;
    }
    case kWmGetText: {
      char* buffer = reinterpret_cast<char*>(lParam);
      if (!buffer || wParam == 0) return 0;
      const size_t n = std::min<size_t>(e->text.size(), wParam - 1);
      std::memcpy(buffer, e->text.data(), n);
      buffer[n] = 0;
      return intptr_t(n);
    }
    case kWmGetTextLength: return intptr_t(e->text.size());
    case kEmSetSel: {
      const auto start = int64_t(intptr_t(wParam)), end = int64_t(lParam);
      const uint32_t length = Length(*e);
      if (start < 0) {
        e->anchor = e->caret;
      } else {
        e->anchor = uint32_t(std::min<int64_t>(start, length));
        e->caret = end < 0 ? length : uint32_t(std::min<int64_t>(end, length));
      }
      Changed(w);
      return 1;
    }
    case kEmGetSel: {
      const uint32_t start = e->SelectionStart(), end = e->SelectionEnd();
      if (wParam) *reinterpret_cast<uint32_t*>(wParam) = start;
      if (lParam) *reinterpret_cast<uint32_t*>(lParam) = end;
      return intptr_t(std::min<uint32_t>(start, 0xFFFF) | (std::min<uint32_t>(end, 0xFFFF) << 16));
    }
    case kEmLimitText:
      e->limit = wParam ? uint32_t(std::min<uintptr_t>(wParam, kSystemLimit)) : kSystemLimit;
      Backend().EditChanged(w);
      return 0;
    case kWmSetFont:
      e->font = reinterpret_cast<void*>(wParam);
      Backend().EditChanged(w);
      if (lParam) InvalidateRect(w, nullptr, true);
      return 0;
    case kWmGetFont: return reinterpret_cast<intptr_t>(e->font);
    case kWmGetDlgCode: return kDlgcWantChars | kDlgcHasSetSel | kDlgcWantArrows;
    case kWmKeyDown:
    case kWmChar: return Input(w, *e, message, wParam);
    case kWmLButtonDown: SetFocus(window); return 0;
    case kWmPaint: Paint(w, *e); return 0;
    default: return DefWindowProc(window, message, wParam, lParam);
  }
}

}  // namespace platform
