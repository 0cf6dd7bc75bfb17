// The stored record of 8-bit images in a resource file, header and raw body as PutRecordInput splits
// the input; the image is subscribed to the resource, locked, walked over its own area and turned
// into a 32-bit image at its origin.
#include "framework/image/image8.h"
#include "fuzz/fuzz_readers.h"
#include "fuzz/fuzz_resource.h"
#include "fuzz/fuzz_support.h"

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  CResourceEnv& env = FuzzResourceEnv();
  StoreFuzzImage8(env, FuzzKey(kImage8Type, 100), 11, 4, SRect{1, 2, 4, 9}, 3, -2);
  StoreFuzzImage8(env, FuzzKey(kImage8Type, 101), 2, 2, SRect{0, 0, 2, 2}, 0, 0);
  seeds.Add("area.iv08", RecordInput(env, FuzzKey(kImage8Type, 100)));
  seeds.Add("small.iv08", RecordInput(env, FuzzKey(kImage8Type, 101)));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CResourceEnv& env = FuzzResourceEnv();
  PutRecordInput(env, FuzzKey(kImage8Type, 1), data, size);
  ReadStoredImage8(env, 1);
  return 0;
}
