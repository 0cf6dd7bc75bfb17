// Scene documents: the bytes as a ".qnc" file, opened through the program's own entry point, every
// thing read by its class's reader, linked, the settings record taken, and a document that reads
// written again. Seeds are documents quarn2-scene writes from small descriptions; the regression
// folder holds a document with a thing of every stored class.
#include "fuzz/fuzz_scene.h"
#include "fuzz/fuzz_support.h"

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  for (const auto& [name, description] : SampleScenes()) seeds.Add(name, SceneDocument(description));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  ReadFuzzDocument(WriteFuzzFile(data, size, "input.qnc"));
  return 0;
}
