// cmfdump FILE: prints a composite file's header, directory and chains as the file's own reader sees
// them. Exit status 0, 1 when the file cannot be opened as a composite file, 2 for wrong arguments, 3
// when a chain is broken (the rest is printed).
#include <cstdio>
#include <string>

#include "framework/core/cm_file.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "tools/command_line.h"

namespace {

constexpr int kStatusBroken = 3;

const STool kTool{
    "cmfdump",
    {"FILE"},
    "Prints a composite file's header, directory and chains as the program's own reader sees them.",
    {},
    "Lines: the type name; the directory's capacity, entries in use, growth step, offset and size; the\n"
    "free bytes and the first free offset; each used entry with its size and its chunks as\n"
    "offset {size length next}; the free chain.\n"
    "Exit status: 0 intact, 1 the file cannot be read as a composite file, 2 wrong arguments, 3 a\n"
    "chain is broken (the rest is printed).\n"};

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

int Dump(const CCommandLine& line, const std::string& path) {
  CFileSpec spec;
  int32_t err = spec.Set(path.c_str());
  CCmFile file(spec);
  if (!err) err = file.Open(CFile::kModeRead);
  if (err) return line.FailWithCode(path, err);
  const CCmFile::SEntry& dir = file.GetDirectoryRecord();
  std::printf("type \"%s\"\n", file.GetTypeName());
  std::printf("directory capacity %u in-use %u step %u at %u size %u\n", file.GetCapacity(), file.GetInUse(),
              file.GetStep(), dir.first, dir.size);
  std::printf("free %u first %u\n", file.GetFreeBytes(), file.GetFirstFree());
  return PrintEntries(file) ? 0 : kStatusBroken;
}

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  const int status = line.Parse(argc, argv, [](int, const char*) { return std::string(); });
  if (status != CCommandLine::kGoOn) return status;
  if (line.Operands().size() != 1) return line.UsageError("one composite file is needed");
  // A directory of the largest capacity a file can hold fits; the budgets only bound this tool.
  if (!CMemPool::CreatePools(0x40000000, 0x100000, 0x100000)) return line.Fail("the framework", "could not start");
  const int dumped = Dump(line, line.Operands()[0]);
  CMemPool::DestroyPools();
  return dumped;
}
