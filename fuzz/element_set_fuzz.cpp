// Element sets ('eset'): the bytes as a stored set, found by number and by name, its elements built
// by the harnesses' factories and placed in a parent.
#include <string>

#include "fuzz/fuzz_readers.h"
#include "fuzz/fuzz_resource.h"
#include "fuzz/fuzz_support.h"

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  seeds.Add("three.eset", CompileFuzzSource("eset", "makes 7 place 3 20\n"
                                                    "nothing 9 description " + std::string(64, 'A') +
                                                        " place 4 -1 flags 1\n"
                                                    "makes 8 place 5 10\n"));
  seeds.Add("refused.eset", CompileFuzzSource("eset", "makes 1\nrefuses 2\nmakes 3\n"));
  seeds.Add("unknown.eset", CompileFuzzSource("eset", "button 1\n"));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CResourceEnv& env = FuzzResourceEnv();
  PutRawResource(env, FuzzKey("eset", 1, "panel"), data, size);
  ReadElementSet(env, 1, "panel");
  return 0;
}
