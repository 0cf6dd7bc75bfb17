// Pictures to and from the platform clipboard, as device-independent bitmaps: a 40-byte header
// {40, width, height (rows bottom-up), 1 plane, 24 bits, no compression, 20 zero bytes}, then the
// rows, the image's last row first, each pixel blue, green, red, each row padded to 32 bits. A
// 32-bit bitmap, prepared by the caller, goes on the clipboard as it is.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "platform/window.h"

class CImage;
class CMemBlock;

class CClipboard : public CBaseObject {
 public:
  // Without an owner, the current foreground window owns what is put on the clipboard.
  explicit CClipboard(platform::WindowHandle owner = nullptr);

  bool PutDIB(CImage* image);
  // A bitmap the caller prepared (a 32-bit one among them), put on the clipboard as it is.
  bool PutDIBBytes(const void* bitmap, uint32_t size);
  // Whether the clipboard holds a device-independent bitmap; false also when it cannot be opened.
  bool HasDIB();
  // A new image in the application's spool environment holding the clipboard's picture, or none.
  CImage* GetDIB();
  // The filled bitmap in a new block from the data pool, or none; the caller deletes it. With 32 bits
  // each pixel is stored whole, its top byte included, four bytes in blue, green, red, top order.
  static CMemBlock* ImageToDIB(CImage* image, uint16_t bitCount = 24);

  bool IsInitialised() const { return fInitialised; }
  platform::WindowHandle GetOwner() const { return fOwner; }

 private:
  bool fInitialised = false;
  platform::WindowHandle fOwner = nullptr;
};

// Turns the image's rows upside down in place.
bool FlipImageRows(CImage* image);
