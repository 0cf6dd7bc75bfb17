// Indexed image lists ('ixim'): the bytes as a stored list in a resource file that holds three
// images, and every image the list gives read through the image record.
#include "framework/image/image.h"
#include "fuzz/fuzz_readers.h"
#include "fuzz/fuzz_resource.h"
#include "fuzz/fuzz_support.h"

namespace {

CResourceEnv& EnvironmentWithImages() {
  CResourceEnv& env = FuzzResourceEnv();
  static bool stored = false;
  if (!stored) {
    StoreFuzzImage(env, FuzzKey(kImageType, 1, "picture1"), 3, 2);
    StoreFuzzImage(env, FuzzKey(kImageType, 2, "picture2"), 1, 1);
    StoreFuzzImage(env, FuzzKey(kImageType, 3, "picture3"), 17, 5);
    stored = true;
  }
  return env;
}

}  // namespace

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  seeds.Add("numbers.ixim", CompileFuzzSource("ixim", "0 number 1\n1 name \"picture3\"\n2 number 2\n"));
  seeds.Add("sets.ixim", CompileFuzzSource("ixim", "sets 1\n0 number 9\n1 number 3\n"));
  seeds.Add("elements.ixim", CompileFuzzSource("ixim", "0 number 1 file\n1 name \"picture2\" resource\n"));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CResourceEnv& env = EnvironmentWithImages();
  PutRawResource(env, FuzzKey("ixim", 1, "images"), data, size);
  ReadImageList(env, 1, "images");
  return 0;
}
