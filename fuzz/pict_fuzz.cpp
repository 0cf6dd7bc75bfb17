// PICT pictures held in memory as documents carry them, without the file's 512-byte preamble.
#include "framework/image/pict_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CImPictFile pict(data, size);
  int32_t width = 0, height = 0;
  if (pict.ReadPicture(&width, &height) == 0) pict.ReadPixels(true);
  return 0;
}
