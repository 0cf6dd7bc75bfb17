#include "platform/clipboard.h"

#include "platform/errors.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

bool gOpen = false;

// Windows answers this when the clipboard is used without being opened.
constexpr int32_t kWinClipboardNotOpen = 1418;

bool RequireOpen() {
  if (gOpen) return true;
  SetLastError(kWinClipboardNotOpen);
  return false;
}

}  // namespace

bool OpenClipboard(WindowHandle) {
  if (gOpen) {
    SetLastError(kWinAccessDenied);
    return false;
  }
  gOpen = true;
  return true;
}

bool CloseClipboard() { return RequireOpen() && !(gOpen = false); }

bool IsClipboardOpen() { return gOpen; }

bool EmptyClipboard() { return RequireOpen() && Backend().ClipboardEmpty(); }

bool IsClipboardFormatAvailable(uint32_t format) { return gOpen && Backend().ClipboardHas(format); }

bool SetClipboardData(uint32_t format, const void* data, size_t size) {
  if (!RequireOpen()) return false;
  if (!data && size) {
    SetLastError(kWinInvalidParameter);
    return false;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  return Backend().ClipboardSet(format, std::vector<uint8_t>(bytes, bytes + size));
}

bool GetClipboardData(uint32_t format, std::vector<uint8_t>* data) {
  data->clear();
  return RequireOpen() && Backend().ClipboardGet(format, data);
}

}  // namespace platform
