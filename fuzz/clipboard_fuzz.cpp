// Device-independent bitmaps that another program put on the clipboard, taken as a new image.
#include "framework/image/clipboard.h"
#include "framework/image/image.h"
#include "fuzz/fuzz_support.h"
#include "platform/clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  if (!platform::OpenClipboard(nullptr)) __builtin_trap();
  const bool put = platform::EmptyClipboard() && platform::SetClipboardData(platform::kCfDib, data, size);
  platform::CloseClipboard();
  if (!put) __builtin_trap();
  delete CClipboard().GetDIB();
  return 0;
}
