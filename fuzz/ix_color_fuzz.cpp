// Indexed colour lists ('ixco'): the bytes as a stored list, found by number and by name, each of its
// first entries selected.
#include "fuzz/fuzz_readers.h"
#include "fuzz/fuzz_resource.h"
#include "fuzz/fuzz_support.h"

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  seeds.Add("one-set.ixco", CompileFuzzSource("ixco", "0 0xFF102030\n1 0x00FFFFFF\n3 0x80000001\n"));
  seeds.Add("two-sets.ixco", CompileFuzzSource("ixco", "sets 1\n0 0x11223344\n1 0x55667788\n"));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CResourceEnv& env = FuzzResourceEnv();
  PutRawResource(env, FuzzKey("ixco", 1, "colours"), data, size);
  ReadColourList(env, 1, "colours");
  return 0;
}
