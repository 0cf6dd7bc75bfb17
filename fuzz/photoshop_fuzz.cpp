// Photoshop files through the dispatch's Photoshop reader, into a new image.
#include "framework/image/image.h"
#include "framework/image/photoshop_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  const CFileSpec spec = WriteFuzzFile(data, size, "input.psd");
  CImage* image = nullptr;
  CPhShopIO(spec).Read(&image);
  delete image;
  return 0;
}
