// Composite files: the bytes after the first are the file, opened for reading when the first byte is
// even and for reading and writing when it is odd. Every entry in use is walked and read whole, into
// its data area and in part, the chains and the usage are taken; a file open for writing then gets a
// new entry, one entry grown, shrunk and deleted, is closed and compacted.
#include <cstring>
#include <fstream>
#include <iterator>

#include "framework/core/cm_file.h"
#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
#include "fuzz/fuzz_resource.h"
#include "fuzz/fuzz_support.h"

namespace {

// A real file holds a few hundred entries; every entry is the same walk.
constexpr uint32_t kMostEntries = 64;
constexpr uint32_t kNewEntryBytes = 100;

using Chain = CDynTable<CCmFile::SChunk>;

void ReadEntries(CCmFile& file) {
  Chain chain(SRange{16, 64});
  for (uint32_t n = 0; n < file.GetCapacity() && n < kMostEntries; ++n) {
    if (!file.IsEntryUsed(n)) continue;
    file.GetEntryChain(n, chain);
    const uint32_t size = file.GetEntryField(n);
    CMemBlock block(size, GetDefaultPool());
    if (!block.IsOwned()) continue;
    file.ReadEntry(n, block);
    file.ReadEntryToData(n, block);
    file.ReadEntryRange(n, block, size / 2, size - size / 2);
  }
  CCmFile::SUsage usage;
  file.GetUsage(&usage);
  file.GetDirectoryChain(chain);
  file.GetFreeChain(chain);
}

uint32_t FirstUsedEntry(const CCmFile& file) {
  for (uint32_t n = 0; n < file.GetCapacity() && n < kMostEntries; ++n) {
    if (file.IsEntryUsed(n)) return n;
  }
  return 0;
}

void ChangeEntries(CCmFile& file) {
  uint32_t added = 0;
  if (file.NewEntry(&added) == 0 && file.SetEntrySize(added, kNewEntryBytes) == 0) {
    CMemBlock block(kNewEntryBytes, GetDefaultPool());
    if (block.IsOwned()) file.WriteEntry(added, block);
  }
  const uint32_t used = FirstUsedEntry(file);
  const uint32_t size = file.GetEntryField(used);
  file.SetEntrySize(used, size + kNewEntryBytes);
  file.SetEntrySize(used, size / 2);
  file.DeleteEntry(used);
}

std::vector<uint8_t> WithMode(uint8_t mode, std::vector<uint8_t> file) {
  file.insert(file.begin(), mode);
  return file;
}

// A generic composite file with a free chain: entries of several sizes, some deleted again.
std::vector<uint8_t> FileWithFreeChunks() {
  const std::string path = FuzzFolder() + "/free.cmf";
  CFileSpec spec;
  spec.Set(path.c_str());
  CCmFile file(spec);
  if (file.Create(SRange{8, 8}) || file.Open(CFile::kModeReadWrite)) __builtin_trap();
  for (uint32_t size : {40u, 200u, 13u, 300u, 64u}) {
    uint32_t number = 0;
    CMemBlock block(size, GetDefaultPool());
    std::memset(block.GetData(), int(size), size);
    if (file.NewEntry(&number) || file.SetEntrySize(number, size) || file.WriteEntry(number, block)) __builtin_trap();
  }
  file.DeleteEntry(1);
  file.DeleteEntry(3);
  if (file.Close()) __builtin_trap();
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  const std::vector<uint8_t> resources = SampleResourceFile();
  const std::vector<uint8_t> generic = FileWithFreeChunks();
  seeds.Add("resources-read.cmf", WithMode(0, resources));
  seeds.Add("resources-write.cmf", WithMode(1, resources));
  seeds.Add("free-read.cmf", WithMode(0, generic));
  seeds.Add("free-write.cmf", WithMode(1, generic));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  if (size == 0) return 0;
  const bool write = data[0] & 1;
  CCmFile file(WriteFuzzFile(data + 1, size - 1, "input.cmf"));
  if (file.Open(write ? CFile::kModeReadWrite : CFile::kModeRead)) return 0;
  ReadEntries(file);
  if (!write) return 0;
  ChangeEntries(file);
  if (file.Close() == 0) file.Compact();
  return 0;
}
