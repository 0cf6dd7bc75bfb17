// cmfdump FILE: prints a composite file's header, directory and chains as the file's own reader sees
// them. Exit status 0, 1 when the file cannot be opened as a composite file, 2 when a chain is broken.
#include <cstdio>

#include "framework/core/cm_file.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "tools/tool_messages.h"

namespace {

using Chain = CDynTable<CCmFile::SChunk>;

void PrintChain(const Chain& chain) {
  for (uint32_t i = 0; i < chain.GetCount(); ++i) {
    const CCmFile::SChunk& c = chain[i];
    std::printf(" %u {%u %u %u}", c.offset, c.size, c.length, c.next);
  }
  std::printf("\n");
}

// Answers false when the chain is broken; the line says so and the dump goes on.
bool PrintEntries(CCmFile& file) {
  bool intact = true;
  Chain chain(SRange{16, 64});
  for (uint32_t n = 0; n < file.GetCapacity(); ++n) {
    if (!file.IsEntryUsed(n)) continue;
    if (const int32_t err = file.GetEntryChain(n, chain)) {
      std::printf("entry %u: broken chain (%d)\n", n, err);
      intact = false;
      continue;
    }
    std::printf("entry %u size %u", n, file.GetEntryField(n));
    if (chain.GetCount()) std::printf(":");
    PrintChain(chain);
  }
  if (const int32_t err = file.GetFreeChain(chain)) {
    std::printf("free chain: broken chain (%d)\n", err);
    return false;
  }
  std::printf("free chain:");
  PrintChain(chain);
  return intact;
}

int Dump(const char* path) {
  CFileSpec spec;
  int32_t err = spec.Set(path);
  CCmFile file(spec);
  if (!err) err = file.Open(CFile::kModeRead);
  if (err) {
    std::printf("cmfdump: %s: %s\n", path, FileProblem(path, err).c_str());
    return 1;
  }
  const CCmFile::SEntry& dir = file.GetDirectoryRecord();
  std::printf("type \"%s\"\n", file.GetTypeName());
  std::printf("directory capacity %u in-use %u step %u at %u size %u\n", file.GetCapacity(), file.GetInUse(),
              file.GetStep(), dir.first, dir.size);
  std::printf("free %u first %u\n", file.GetFreeBytes(), file.GetFirstFree());
  return PrintEntries(file) ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cmfdump FILE\n");
    return 1;
  }
  // A directory of the largest capacity a file can hold fits; the budgets only bound this tool.
  if (!CMemPool::CreatePools(0x40000000, 0x100000, 0x100000)) return 1;
  const int status = Dump(argv[1]);
  CMemPool::DestroyPools();
  return status;
}
