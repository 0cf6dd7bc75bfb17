// BMP files through the reader's own entry point, into a new image.
#include <memory>

#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  const CFileSpec spec = WriteFuzzFile(data, size, "input.bmp");
  CImage* image = nullptr;
  CImBitmapFile::LoadImage(spec, &image);
  delete image;
  return 0;
}
