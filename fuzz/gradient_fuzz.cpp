// The colour gradient's stored body in a resource file: the bytes as the body, the gradient
// subscribed to the resource and locked, and its colour table taken.
#include "framework/image/sp_gradient.h"
#include "fuzz/fuzz_readers.h"
#include "fuzz/fuzz_resource.h"
#include "fuzz/fuzz_support.h"

namespace {

std::vector<uint8_t> Encoded(const CImVector64* entries) {
  std::vector<uint8_t> bytes(CSpGradient::kEncodedBytes);
  bytes.resize(EncodeGradient(entries, bytes.data()));
  return bytes;
}

}  // namespace

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  CImVector64 entries[CSpGradient::kEntries];
  MakeDefaultGradient(entries);
  seeds.Add("grey.grad", Encoded(entries));
  // A wandering gradient needs many short segments.
  uint32_t value = 12345;
  for (CImVector64& entry : entries) {
    value = value * 1103515245 + 12345;
    entry.Set(value >> 16, value >> 8, value, value >> 4);
  }
  seeds.Add("noise.grad", Encoded(entries));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CResourceEnv& env = FuzzResourceEnv();
  PutRawResource(env, FuzzKey(kGradientType, 1), data, size);
  ReadStoredGradient(env, 1);
  return 0;
}
