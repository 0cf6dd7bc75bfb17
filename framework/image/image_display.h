// Drawing images into device contexts. CImPlatformData binds a locked image to the bitmap header the
// platform's blit reads; BlitImage hands it the pixels of a source rectangle, as a top-down 32-bit
// block, to be stretched into a destination rectangle. Displays of 8 bits take the bitmap bottom-up,
// so on them the area is flipped in place (CImFlipGuard) for the length of the call. 8-bit images
// (CIm8PlatformData, BlitImage8) draw their index bytes as they lie, through their own colour table.
#pragma once

#include <cstdint>

#include "framework/core/holder.h"
#include "framework/core/rect.h"
#include "platform/device_context.h"

class CImage;
class CImage8;
class CImNavigator;

// The rectangle moved by (dx, dy); far origins saturate instead of wrapping.
SRect MovedRect(const SRect& rect, int64_t dx, int64_t dy);

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

// The 8-bit image locked, with the header of its bitmap information filled for a top-down block of
// the whole grid.
class CIm8PlatformData {
 public:
  CIm8PlatformData(CImage8* image, bool changed, bool release, HolderFailureCallback failure = nullptr);
  ~CIm8PlatformData();
  CIm8PlatformData(const CIm8PlatformData&) = delete;
  CIm8PlatformData& operator=(const CIm8PlatformData&) = delete;

  bool IsValid() const { return fValid; }
  CImage8* GetImage() const { return fImage; }
  platform::SBitmapInfo* GetBitmapInfo() const { return fInfo; }

 private:
  CHolder fHolder;
  platform::SBitmapInfo* fInfo = nullptr;
  bool fValid = false;
  CImage8* fImage = nullptr;
};

// Draws the part of the source rectangle that lies inside the grid, unstretched, at the matching
// place of the destination rectangle (whose top left corner takes the source's).
void BlitImage8(CImage8* image, CIm8PlatformData* data, platform::DeviceContext* dc, const SRect& source,
                const SRect& destination);

// Test hook: draw as on an 8-bit display (through the flip guard) while set. The program never sets
// it; displays here are never 8-bit.
void SetTestEightBitDisplay(bool eightBit);
