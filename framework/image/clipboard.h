// Pictures to and from the platform clipboard, as device-independent bitmaps: a 40-byte header
// {40, width, height (rows bottom-up), 1 plane, 24 bits, no compression, 20 zero bytes}, then the
// rows, the image's last row first, each pixel blue, green, red, each row padded to 32 bits.
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
  // Whether the clipboard holds a device-independent bitmap; false also when it cannot be opened.
  bool HasDIB();
  // A new image in the application's spool environment holding the clipboard's picture, or none.
  CImage* GetDIB();
  // The filled bitmap in a new block from the data pool, or none; the caller deletes it.
  static CMemBlock* ImageToDIB(CImage* image);

  bool IsInitialised() const { return fInitialised; }
  platform::WindowHandle GetOwner() const { return fOwner; }

 private:
  bool fInitialised = false;
  platform::WindowHandle fOwner = nullptr;
};

// Turns the image's rows upside down in place.
bool FlipImageRows(CImage* image);
