// Push buttons, check boxes, radio buttons, group boxes and labels, the items of dialogs besides edit
// fields, and the calls that set and read items as check states and numbers. An item's text is the
// window's title and its font the one the dialog gives it. On GTK real widgets lie over them;
// headless they draw themselves.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/dialog.h"
#include "platform/dialog_internal.h"
#include "platform/gdi.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

struct SItemState {
  GdiObject font = nullptr;
  bool pressed = false;  // the left button went down on it and is still held
  uint32_t check = kBstUnchecked;
};
std::map<WindowHandle, SItemState> gItems;

constexpr int32_t kMarkSize = 13;  // the square of a check box or radio button
constexpr int32_t kMarkGap = 4;    // between the square and the text

bool IsRadio(uint32_t kind) { return kind == kBsRadioButton || kind == kBsAutoRadioButton; }

void Frame(DeviceContext* dc, const SWinRect& r, int32_t width, uint32_t color) {
  GdiObject brush = CreateSolidBrush(color);
  for (int32_t i = 0; i < width; ++i) {
    FillRect(dc, {r.left + i, r.top + i, r.right - i, r.top + i + 1}, brush);
    FillRect(dc, {r.left + i, r.bottom - i - 1, r.right - i, r.bottom - i}, brush);
    FillRect(dc, {r.left + i, r.top + i, r.left + i + 1, r.bottom - i}, brush);
    FillRect(dc, {r.right - i - 1, r.top + i, r.right - i, r.bottom - i}, brush);
  }
  DeleteObject(brush);
}

// The square left of the text: white in a dark frame, with a dark block inside when checked (a
// smaller one for a radio button).
SWinRect PaintMark(DeviceContext* dc, const SWinRect& client, uint32_t kind, uint32_t check) {
  const int32_t top = client.top + (client.Height() - kMarkSize) / 2;
  const SWinRect box{client.left, top, client.left + kMarkSize, top + kMarkSize};
  GdiObject white = CreateSolidBrush(GetSysColor(kColorWindow));
  FillRect(dc, box, white);
  DeleteObject(white);
  Frame(dc, box, 1, kFrameDark);
  if (check == kBstChecked) {
    const int32_t inset = IsRadio(kind) ? 4 : 3;
    GdiObject mark = CreateSolidBrush(GetSysColor(kColorWindowText));
    FillRect(dc, {box.left + inset, box.top + inset, box.right - inset, box.bottom - inset}, mark);
    DeleteObject(mark);
  }
  return {box.right + kMarkGap, client.top, client.right, client.bottom};
}

// A frame from half the text's height down, the text over its top edge.
void PaintGroupBox(DeviceContext* dc, const SWinRect& client, const std::string& text) {
  SSize size;
  GetTextExtentPoint32(dc, text.c_str(), int32_t(text.size()), &size);
  Frame(dc, {client.left, client.top + size.cy / 2, client.right, client.bottom}, 1, kFrameDark);
  if (text.empty()) return;
  SWinRect label{client.left + 8, client.top, client.left + 8 + size.cx + 4, client.top + size.cy};
  GdiObject face = CreateSolidBrush(GetSysColor(kColorButtonFace));
  FillRect(dc, label, face);
  DeleteObject(face);
  label.left += 2;
  DrawText(dc, text.c_str(), int32_t(text.size()), &label, kDtLeft | kDtSingleLine | kDtNoPrefix);
}

void PaintItem(WindowHandle window, bool button) {
  SPaint paint;
  if (!BeginPaint(window, &paint)) return;
  SWinRect client;
  GetClientRect(window, &client);
  DeviceContext* dc = paint.dc;
  GdiObject face = CreateSolidBrush(GetSysColor(kColorButtonFace));
  FillRect(dc, client, face);
  DeleteObject(face);
  const std::string text = GetWindowText(window);
  const SItemState& item = gItems[window];
  GdiObject previous = SelectObject(dc, item.font ? item.font : GetStockObject(kDefaultGuiFont));
  SetBkMode(dc, kTransparent);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(window) ? kColorWindowText : kColorGrayText));
  SWinRect inside = client;
  const uint32_t kind = ButtonKind(window);
  if (button && HoldsCheck(window)) {
    inside = PaintMark(dc, client, kind, item.check);
    DrawText(dc, text.c_str(), int32_t(text.size()), &inside, kDtLeft | kDtVCenter | kDtSingleLine);
  } else if (button && kind == kBsGroupBox) {
    PaintGroupBox(dc, client, text);
  } else if (button) {
    Frame(dc, client, kind == kBsDefPushButton || GetFocus() == window ? 2 : 1, kFrameDark);
    DrawText(dc, text.c_str(), int32_t(text.size()), &inside, kDtCenter | kDtVCenter | kDtSingleLine);
  } else {
    DrawText(dc, text.c_str(), int32_t(text.size()), &inside, kDtLeft | kDtWordBreak | kDtNoPrefix);
  }
  SelectObject(dc, previous);
  EndPaint(window, paint);
}

// What the items share: their text and font.
bool CommonMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t* answer) {
  switch (message) {
    case kWmSetText:
      SetWindowText(window, lParam ? reinterpret_cast<const char*>(lParam) : "");
      InvalidateRect(window, nullptr, true);
      *answer = 1;
      return true;
    case kWmGetText: {
      const std::string text = GetWindowText(window);
      char* buffer = reinterpret_cast<char*>(lParam);
      if (!buffer || wParam == 0) return *answer = 0, true;
      const size_t n = std::min<size_t>(text.size(), wParam - 1);
      std::memcpy(buffer, text.data(), n);
      buffer[n] = 0;
      *answer = intptr_t(n);
      return true;
    }
    case kWmGetTextLength: *answer = intptr_t(GetWindowText(window).size()); return true;
    case kWmSetFont:
      gItems[window].font = reinterpret_cast<GdiObject>(wParam);
      if (lParam) InvalidateRect(window, nullptr, true);
      *answer = 0;
      return true;
    case kWmGetFont: *answer = reinterpret_cast<intptr_t>(gItems[window].font); return true;
    case kWmNcDestroy: gItems.erase(window); return false;
    default: return false;
  }
}

bool IsItem(WindowHandle window) { return (GetWindowStyle(window) & kWsChild) != 0; }

// The other automatic radio buttons of the button's group lose their check.
void ClearGroup(WindowHandle button) {
  const std::vector<WindowHandle> items = DialogItems(GetParent(button));
  const auto at = std::find(items.begin(), items.end(), button);
  if (at == items.end()) return;
  size_t start = size_t(at - items.begin());
  while (start > 0 && !(GetWindowStyle(items[start]) & kWsGroup)) --start;
  for (size_t i = start; i < items.size(); ++i) {
    if (i > start && (GetWindowStyle(items[i]) & kWsGroup)) break;
    if (items[i] != button && HoldsCheck(items[i]) && ButtonKind(items[i]) == kBsAutoRadioButton)
      SendMessage(items[i], kBmSetCheck, kBstUnchecked, 0);
  }
}

// Decimal digits with blanks around them and, when signed, a leading minus; false for anything else
// or a number out of range.
bool ParseItemNumber(const std::string& text, bool isSigned, uint32_t* value) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  const size_t last = text.find_last_not_of(' ');
  const std::string digits = text.substr(first, last - first + 1);
  const bool negative = isSigned && digits[0] == '-';
  const std::string magnitude = digits.substr(negative ? 1 : 0);
  if (magnitude.empty() || magnitude.size() > 10 ||
      !std::all_of(magnitude.begin(), magnitude.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  const int64_t n = std::strtoll(magnitude.c_str(), nullptr, 10) * (negative ? -1 : 1);
  if (isSigned ? (n < INT32_MIN || n > INT32_MAX) : n > int64_t(UINT32_MAX)) return false;
  *value = uint32_t(n);
  return true;
}

}  // namespace

uint32_t ButtonKind(WindowHandle button) { return GetWindowStyle(button) & kButtonKinds; }

bool HoldsCheck(WindowHandle button) {
  if (GetClassName(button) != kButtonClass) return false;
  const uint32_t kind = ButtonKind(button);
  return kind == kBsCheckBox || kind == kBsAutoCheckBox || IsRadio(kind);
}

void SetClickedState(WindowHandle button, bool checked) {
  if (checked && ButtonKind(button) == kBsAutoRadioButton) ClearGroup(button);
  SendMessage(button, kBmSetCheck, checked ? kBstChecked : kBstUnchecked, 0);
}

void ClickButton(WindowHandle button) {
  if (!IsWindowEnabled(button)) return;
  const uint32_t kind = ButtonKind(button);
  if (kind == kBsGroupBox) return;
  if (kind == kBsAutoCheckBox) SetClickedState(button, SendMessage(button, kBmGetCheck, 0, 0) != kBstChecked);
  else if (kind == kBsAutoRadioButton) SetClickedState(button, true);
  PressButton(button);
}

bool CheckDlgButton(WindowHandle dialog, int32_t id, uint32_t state) {
  WindowHandle item = GetDialogItem(dialog, id);
  if (!item) return false;
  SendMessage(item, kBmSetCheck, state, 0);
  return true;
}

uint32_t IsDlgButtonChecked(WindowHandle dialog, int32_t id) {
  WindowHandle item = GetDialogItem(dialog, id);
  return item ? uint32_t(SendMessage(item, kBmGetCheck, 0, 0)) : kBstUnchecked;
}

bool CheckRadioButton(WindowHandle dialog, int32_t first, int32_t last, int32_t check) {
  bool any = false;
  for (WindowHandle item : DialogItems(dialog)) {
    const int32_t id = GetDialogItemId(item);
    if (id < first || id > last) continue;
    SendMessage(item, kBmSetCheck, id == check ? kBstChecked : kBstUnchecked, 0);
    any = true;
  }
  return any;
}

bool SetDlgItemInt(WindowHandle dialog, int32_t id, uint32_t value, bool isSigned) {
  return SetItemText(dialog, id, isSigned ? std::to_string(int32_t(value)) : std::to_string(value));
}

uint32_t GetDlgItemInt(WindowHandle dialog, int32_t id, bool* translated, bool isSigned) {
  uint32_t value = 0;
  const bool ok = GetDialogItem(dialog, id) && ParseItemNumber(GetItemText(dialog, id), isSigned, &value);
  if (translated) *translated = ok;
  return ok ? value : 0;
}

intptr_t ButtonClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  // Buttons that are no child windows serve as hidden owners only.
  if (!IsItem(window)) return DefWindowProc(window, message, wParam, lParam);
  intptr_t answer = 0;
  if (CommonMessage(window, message, wParam, lParam, &answer)) return answer;
  switch (message) {
    case kWmPaint: PaintItem(window, true); return 0;
    case kBmGetCheck: return HoldsCheck(window) ? gItems[window].check : kBstUnchecked;
    case kBmSetCheck: {
      const uint32_t check = wParam == kBstChecked ? kBstChecked : kBstUnchecked;
      if (!HoldsCheck(window) || gItems[window].check == check) return 0;
      gItems[window].check = check;
      InvalidateRect(window, nullptr, true);
      Backend().WindowChanged(FindLiveWindow(window));
      return 0;
    }
    case kWmLButtonDown:
      if (ButtonKind(window) == kBsGroupBox) return 0;
      gItems[window].pressed = true;
      SetFocus(window);
      return 0;
    case kWmLButtonUp: {
      const bool pressed = gItems[window].pressed;
      gItems[window].pressed = false;
      SWinRect client;
      GetClientRect(window, &client);
      if (pressed && client.Contains({LowWordSigned(lParam), HighWordSigned(lParam)})) ClickButton(window);
      return 0;
    }
    case kWmKeyDown:
      if (wParam == kVkSpace) {
        ClickButton(window);
        return 1;
      }
      return DialogKey(GetParent(window), uint32_t(wParam)) ? 1 : 0;
    case kWmChar: return wParam == ' ' || wParam == '\r' || wParam == '\t' || wParam == 0x1B;
    default: return DefWindowProc(window, message, wParam, lParam);
  }
}

intptr_t StaticClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  intptr_t answer = 0;
  if (CommonMessage(window, message, wParam, lParam, &answer)) return answer;
  if (message == kWmPaint) {
    PaintItem(window, false);
    return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace platform
