// Reading a picture file by its type code, as the picture dialog's choice does: the first byte is
// the type code (every code, those without a reader too), the rest the file.
#include "framework/image/image.h"
#include "framework/image/image_io.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  if (size == 0) return 0;
  const int32_t type = data[0] % 8;
  const CFileSpec spec = WriteFuzzFile(data + 1, size - 1);
  CImage* image = nullptr;
  CImageIO::ReadByType(spec, type, &image);
  delete image;
  return 0;
}
