#include "platform/dialog.h"

#include <cstring>
#include <map>

#include "platform/errors.h"
#include "platform/gdi.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

constexpr size_t kStyleOffset = 0;
constexpr size_t kCountOffset = 8;
constexpr size_t kPlaceOffset = 10;
constexpr uint32_t kFrameDark = 0x646464;

struct SDialog {
  DialogProc procedure = nullptr;
  bool ended = false;
  intptr_t result = 0;
};

std::map<WindowHandle, SDialog> gDialogs;

SDialog* DialogOf(WindowHandle window) {
  const auto it = gDialogs.find(window);
  return it == gDialogs.end() ? nullptr : &it->second;
}

// The frame's width and height: the dialog frame, a border, or none.
SPoint FrameOf(const SWindow& w) {
  if (w.style & kDsModalFrame) return {GetSystemMetrics(kSmCxDlgFrame), GetSystemMetrics(kSmCyDlgFrame)};
  if (w.style & kWsBorder) return {GetSystemMetrics(kSmCxBorder), GetSystemMetrics(kSmCyBorder)};
  return {0, 0};
}

void PaintFrame(SWindow& w) {
  Surface& s = w.surface;
  const SWinRect& c = w.client;
  const uint32_t face = GetSysColor(kColorButtonFace);
  s.Fill(0, 0, s.Width(), c.top, face);
  s.Fill(0, c.bottom, s.Width(), s.Height(), face);
  s.Fill(0, c.top, c.left, c.bottom, face);
  s.Fill(c.right, c.top, s.Width(), c.bottom, face);
  if (c.left > 0 || c.top > 0) {
    s.Fill(0, 0, s.Width(), 1, kFrameDark);
    s.Fill(0, s.Height() - 1, s.Width(), s.Height(), kFrameDark);
    s.Fill(0, 0, 1, s.Height(), kFrameDark);
    s.Fill(s.Width() - 1, 0, s.Width(), s.Height(), kFrameDark);
  }
  Backend().SurfaceChanged(&w);
}

uint16_t Word16(const uint8_t* bytes, size_t at) {
  uint16_t value = 0;
  std::memcpy(&value, bytes + at, sizeof value);
  return value;
}

}  // namespace

intptr_t DialogClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SWindow* w = FindLiveWindow(window);
  SDialog* dialog = DialogOf(window);
  if (!w) return 0;
  switch (message) {
    case kWmNcCreate: gDialogs[window]; return 1;
    case kWmNcCalcSize:
      if (wParam) {
        const SPoint frame = FrameOf(*w);
        SWinRect& r = reinterpret_cast<SNcCalcSizeParams*>(lParam)->rects[0];
        r = {r.left + frame.x, r.top + frame.y, r.right - frame.x, r.bottom - frame.y};
      }
      return 0;
    case kWmNcPaint: PaintFrame(*w); return 0;
    case kWmNcDestroy: gDialogs.erase(window); return 0;
    default: break;
  }
  if (dialog && dialog->procedure) {
    const intptr_t answer = dialog->procedure(window, message, wParam, lParam);
    if (answer || message == kWmInitDialog) return answer;
  }
  // Closing a dialog is its procedure's business (EndDialog), never the window's destruction.
  return message == kWmClose ? 0 : DefWindowProc(window, message, wParam, lParam);
}

intptr_t DialogBoxIndirectParam(ModuleHandle instance, const void* dialogTemplate, WindowHandle owner,
                                DialogProc procedure, intptr_t parameter) {
  const auto* bytes = static_cast<const uint8_t*>(dialogTemplate);
  if (!bytes || !procedure) {
    SetLastError(kWinInvalidParameter);
    return -1;
  }
  uint32_t style = 0;
  std::memcpy(&style, bytes + kStyleOffset, sizeof style);
  if (Word16(bytes, kCountOffset) != 0) {
    SetLastError(kWinNotSupported);
    return -1;
  }
  const auto place = [&](size_t i) { return int32_t(int16_t(Word16(bytes, kPlaceOffset + 2 * i))); };
  WindowHandle dialog = CreateWindow(0, kDialogClass, "", style & ~kWsVisible, place(0), place(1), place(2), place(3),
                                     owner, nullptr, instance, nullptr);
  if (!dialog) return -1;
  // The procedure hears nothing of the window's creation, only what comes from kWmInitDialog on.
  DialogOf(dialog)->procedure = procedure;
  const bool disabledOwner = owner && IsWindowEnabled(owner);
  if (disabledOwner) EnableWindow(owner, false);
  SendMessage(dialog, kWmInitDialog, 0, parameter);
  if (SDialog* d = DialogOf(dialog); d && !d->ended && !IsWindowVisible(dialog)) ShowWindow(dialog, kSwShow);
  SMessage m;
  while (DialogOf(dialog) && !DialogOf(dialog)->ended) {
    if (!PeekMessage(&m, nullptr, 0, 0, true)) {
      WaitMessage(10);
      continue;
    }
    if (DispatchMessage(m) == 0) TranslateMessage(m);
  }
  const SDialog* d = DialogOf(dialog);
  const intptr_t result = d ? d->result : 0;
  // The owner takes input again before the dialog goes, so that activation can return to it.
  if (disabledOwner) EnableWindow(owner, true);
  DestroyWindow(dialog);
  return result;
}

bool EndDialog(WindowHandle dialog, intptr_t result) {
  SDialog* d = DialogOf(dialog);
  if (!d) return false;
  d->ended = true;
  d->result = result;
  return true;
}

}  // namespace platform
