// Drawing images into device contexts. CImPlatformData binds a locked image to the bitmap header the
// platform's blit reads; BlitImage hands it the pixels of a source rectangle, as a top-down 32-bit
// block, to be stretched into a destination rectangle. Displays of 8 bits take the bitmap bottom-up,
// so on them the area is flipped in place (CImFlipGuard) for the length of the call.
#pragma once

#include <cstdint>

#include "framework/core/holder.h"
#include "framework/core/rect.h"
#include "platform/device_context.h"

class CImage;
class CImNavigator;

class CImPlatformData {
 public:
  // Locks the image; the header is filled and the binding valid only when the lock succeeds.
  CImPlatformData(CImage* image, bool changed, bool release, HolderFailureCallback failure = nullptr);
  ~CImPlatformData();
  CImPlatformData(const CImPlatformData&) = delete;
  CImPlatformData& operator=(const CImPlatformData&) = delete;

  bool IsValid() const { return fValid; }
  CImage* GetImage() const { return fImage; }
  platform::SBitmapInfoHeader& GetHeader() { return fHeader; }

 private:
  CHolder fHolder;
  platform::SBitmapInfoHeader fHeader;
  bool fValid = false;
  CImage* fImage = nullptr;
};

// Turns an area of the image (its clip rectangle when none is given) upside down now and back again
// when it ends, so the pixels are as before once it is gone.
class CImFlipGuard {
 public:
  CImFlipGuard(CImage* image, const SRect* area);
  ~CImFlipGuard();
  CImFlipGuard(const CImFlipGuard&) = delete;
  CImFlipGuard& operator=(const CImFlipGuard&) = delete;

 private:
  void Flip();

  CImNavigator* fNavigator = nullptr;
};

// Draws the part of the source rectangle that lies inside the image into the matching part of the
// destination rectangle: the destination is cut by the same amounts, scaled by the stretch.
void BlitImage(CImage* image, CImPlatformData* data, platform::DeviceContext* dc, const SRect& source,
               const SRect& destination);

// Test hook: draw as on an 8-bit display (through the flip guard) while set. The program never sets
// it; displays here are never 8-bit.
void SetTestEightBitDisplay(bool eightBit);
