// 3D metafiles through the metafile library alone: open, read every object, dispose, close. Beyond
// the sanitizers, every failure must come back as a code with no object.
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "plugins/3dmf/metafile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  const CFileSpec spec = WriteFuzzFile(data, size, "input.b3d");
  MetafileContext* context = nullptr;
  if (MetafileOpenFile(spec.GetPath(), &context) != kMetafileFine) {
    if (context) std::abort();
    return 0;
  }
  for (;;) {
    MetafileObject* object = nullptr;
    const int32_t code = MetafileReadObject(context, &object);
    if ((code == kMetafileFine || MetafileWarning(code)) != (object != nullptr)) std::abort();
    if (!object) break;
    FuzzConsume(object->classCode);
    MetafileDisposeObject(object);
  }
  MetafileClose(context);
  return 0;
}

// The seeds are the plug-in tests' metafiles, which make_seeds.sh writes.
void WriteFuzzSeeds(CFuzzSeeds&) {}
