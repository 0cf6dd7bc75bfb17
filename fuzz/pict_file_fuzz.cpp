// PICT files with their 512-byte preamble, loaded whole from the file as quarn2-pict loads them and
// read from the picture's start; a file too short for the preamble is read from its end.
#include <algorithm>

#include "framework/core/file.h"
#include "framework/image/pict_file.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr uint32_t kPreamble = 512;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CFile file(WriteFuzzFile(data, size, "input.pct"));
  CFileBytes bytes;
  if (bytes.Load(file)) return 0;
  const uint32_t start = std::min(kPreamble, bytes.GetLength());
  CImPictFile pict(bytes.GetData() + start, bytes.GetLength() - start);
  int32_t width = 0, height = 0;
  if (pict.ReadPicture(&width, &height) == 0) pict.ReadPixels(true);
  return 0;
}
