// TIFF files through the dispatch's TIFF reader, into a new image.
#include "framework/image/image.h"
#include "framework/image/tiff_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  const CFileSpec spec = WriteFuzzFile(data, size, "input.tif");
  CImage* image = nullptr;
  CTiffIO(spec).ReadImage(&image);
  delete image;
  return 0;
}
