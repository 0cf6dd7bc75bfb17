// The clipboard: one block of bytes per format, opened by one window at a time. The headless back end
// keeps the blocks in memory; the GTK back end puts device-independent bitmaps on the system
// clipboard as pictures and takes pictures from it the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/window.h"

namespace platform {

enum : uint32_t {
  kCfText = 1,  // Windows-1252 text with its terminator
  kCfDib = 8,   // a packed device-independent bitmap: 40-byte header, colours, rows
};

// False when the clipboard is open already.
bool OpenClipboard(WindowHandle owner);
bool CloseClipboard();
bool IsClipboardOpen();
// The calls below need the clipboard open.
bool EmptyClipboard();
bool IsClipboardFormatAvailable(uint32_t format);
// The clipboard keeps a copy of the bytes.
bool SetClipboardData(uint32_t format, const void* data, size_t size);
bool GetClipboardData(uint32_t format, std::vector<uint8_t>* data);

}  // namespace platform
