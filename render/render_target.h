// Where a render's pixels go: the target image, and the window port into which the render loops draw
// each finished band of it.
#pragma once

#include <cstdint>

class CImage;

namespace platform {
struct DeviceContext;
}

struct CRenderTarget {
  explicit CRenderTarget(CImage* image) : fImage(image) {}

  uint8_t fFlag = 1;
  // None for a render that no window shows.
  platform::DeviceContext* fPort = nullptr;
  CImage* fImage = nullptr;
};
