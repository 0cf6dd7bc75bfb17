// The stored record of 32-bit images in a resource file, header and body (raw big-endian pixels, or
// packed behind "arle") as PutRecordInput splits the input; the image is subscribed to the resource,
// locked and its pixels walked.
#include "framework/image/image.h"
#include "fuzz/fuzz_readers.h"
#include "fuzz/fuzz_resource.h"
#include "fuzz/fuzz_support.h"

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  CResourceEnv& env = FuzzResourceEnv();
  // Runs and literals pack; a picture of one pixel packs to more than its size and is stored raw.
  StoreFuzzImage(env, FuzzKey(kImageType, 100), 13, 7);
  StoreFuzzImage(env, FuzzKey(kImageType, 101), 1, 1);
  seeds.Add("packed.imge", RecordInput(env, FuzzKey(kImageType, 100)));
  seeds.Add("raw.imge", RecordInput(env, FuzzKey(kImageType, 101)));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CResourceEnv& env = FuzzResourceEnv();
  PutRecordInput(env, FuzzKey(kImageType, 1), data, size);
  ReadStoredImage(env, 1);
  return 0;
}
