// The preferences file: the bytes as "Quarn2 Prefs", read as the program reads it at start, every
// word of the block taken, one changed and the block written back and read again, which must give
// the same block.
#include <cstring>

#include "document/prefs_file.h"
#include "fuzz/fuzz_support.h"

namespace {

std::vector<uint8_t> Block(uint32_t fill, uint32_t bytes) {
  std::vector<uint8_t> block(bytes);
  for (uint32_t i = 0; i < bytes; ++i) block[i] = uint8_t(fill + i);
  return block;
}

}  // namespace

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  std::vector<uint8_t> written = Block(0, CPrefsFile::kBlockBytes);
  for (uint32_t offset = 0; offset < 16; ++offset) written[offset] = 0;
  written[CPrefsFile::kMemoryPercentOffset] = 40;
  seeds.Add("written", written);
  seeds.Add("short", Block(7, 17));
  seeds.Add("long", Block(3, CPrefsFile::kBlockBytes + 9));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  const CFileSpec spec = WriteFuzzFile(data, size, CPrefsFile::kFileName);
  CPrefsFile prefs(spec.GetPath());
  uint32_t sum = prefs.IsRead() ? 1 : 0;
  for (uint32_t offset : {0u, 4u, 8u, 12u, 131u, CPrefsFile::kBlockBytes - 5, CPrefsFile::kBlockBytes - 4,
                          CPrefsFile::kBlockBytes - 3, CPrefsFile::kBlockBytes, UINT32_MAX - 2})
    sum += uint32_t(prefs.GetWord(offset));
  FuzzConsume(sum + uint32_t(prefs.GetMemoryPercent()));
  prefs.SetWord(CPrefsFile::kMemoryPercentOffset, ~prefs.GetMemoryPercent());
  if (!prefs.Write()) return 0;
  const CPrefsFile again(spec.GetPath());
  if (!again.IsRead() || std::memcmp(again.GetBlock(), prefs.GetBlock(), CPrefsFile::kBlockBytes) != 0)
    __builtin_trap();
  return 0;
}
