#include "framework/core/ordax.h"

#include "framework/core/random.h"
#include "platform/clock.h"
#include "platform/system.h"

namespace {

uint32_t gStamp = 0;

}  // namespace

int32_t InitOrdax() {
  const auto seed = uint32_t(platform::NowMs());
  platform::MaskFloatExceptions();
  GetRandomState() = {seed, 1, 1};
  gStamp = kOrdaxStamp;
  return 0;
}

bool IsOrdaxInitialized() { return gStamp == kOrdaxStamp; }

void TermOrdax() { gStamp = 0; }

void Beep() { platform::Beep(); }
