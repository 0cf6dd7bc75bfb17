// Indexed text lists ('ixtx'): the bytes as a stored list, found by number and by name, and its texts
// read as the interface reads them.
#include "fuzz/fuzz_readers.h"
#include "fuzz/fuzz_resource.h"
#include "fuzz/fuzz_support.h"

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  for (const char* name : {"errors.ixtx", "strings.ixtx", "fragments.ixtx"})
    seeds.Add(name, CompileFuzzSource("ixtx", ProjectResourceSource(name)));
  seeds.Add("sets.ixtx", CompileFuzzSource("ixtx", "sets 1\n0 \"first\"\n1 \"\"\n2 \"second set\"\n3 \"odd\\x80\"\n"));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CResourceEnv& env = FuzzResourceEnv();
  PutRawResource(env, FuzzKey("ixtx", 1, "list"), data, size);
  ReadTextList(env, 1, "list");
  return 0;
}
