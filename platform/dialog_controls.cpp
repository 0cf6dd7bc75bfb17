// Push buttons and labels, the items of dialogs besides edit fields. Their text is the window's
// title and their font the one the dialog gives them. On GTK real widgets lie over them; headless
// they draw themselves.
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
};
std::map<WindowHandle, SItemState> gItems;

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
  if (button) {
    const int32_t frame = (GetWindowStyle(window) & kButtonKinds) == kBsDefPushButton || GetFocus() == window ? 2 : 1;
    GdiObject dark = CreateSolidBrush(kFrameDark);
    for (int32_t i = 0; i < frame; ++i) {
      FillRect(dc, {i, i, client.right - i, i + 1}, dark);
      FillRect(dc, {i, client.bottom - i - 1, client.right - i, client.bottom - i}, dark);
      FillRect(dc, {i, i, i + 1, client.bottom - i}, dark);
      FillRect(dc, {client.right - i - 1, i, client.right - i, client.bottom - i}, dark);
    }
    DeleteObject(dark);
    DrawText(dc, text.c_str(), int32_t(text.size()), &inside, kDtCenter | kDtVCenter | kDtSingleLine);
  } else {
    DrawText(dc, text.c_str(), int32_t(text.size()), &inside, kDtLeft | kDtWordBreak | kDtNoPrefix);
  }
  SelectObject(dc, previous);
  EndPaint(window, paint);
}

// What push buttons and labels share: their text and font.
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

}  // namespace

intptr_t ButtonClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  // Buttons that are no child windows serve as hidden owners only.
  if (!IsItem(window)) return DefWindowProc(window, message, wParam, lParam);
  intptr_t answer = 0;
  if (CommonMessage(window, message, wParam, lParam, &answer)) return answer;
  switch (message) {
    case kWmPaint: PaintItem(window, true); return 0;
    case kWmLButtonDown:
      gItems[window].pressed = true;
      SetFocus(window);
      return 0;
    case kWmLButtonUp: {
      const bool pressed = gItems[window].pressed;
      gItems[window].pressed = false;
      SWinRect client;
      GetClientRect(window, &client);
      if (pressed && client.Contains({LowWordSigned(lParam), HighWordSigned(lParam)})) PressButton(window);
      return 0;
    }
    case kWmKeyDown:
      if (wParam == kVkSpace) {
        PressButton(window);
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
