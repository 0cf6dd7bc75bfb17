// 3D metafiles through Vendrix's probe and import, linked in, with the plug-in tests' recording host
// standing for the program. Beyond the sanitizers, a failed import must leave no mesh in the host.
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "plugins/3dmf/metafile.h"
#include "plugins/3dmf/vendrix.h"
#include "tests/plugins/recording_host.h"

namespace {

// A few objects can stand for millions through references, and for millions of triangles. The
// harness looks for faults, not for the end of long work: the reader refuses a file after 16,384
// objects returned through references instead of a million, and the host acts as one whose memory
// runs out at the 20,000th triangle.
constexpr uint64_t kMostReferencedObjects = 16384;
constexpr uint32_t kMostTriangles = 20000;
constexpr int32_t kOutOfMemory = 9;

CRecordingHost& Host() {
  static CRecordingHost host;
  static const bool linked = [] {
    host.Link(&VendrixEntry);
    host.SetRecording(false, false);
    SetMostReferencedObjects(kMostReferencedObjects);
    return true;
  }();
  (void)linked;
  return host;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  const CFileSpec spec = WriteFuzzFile(data, size, "input.b3d");
  CRecordingHost& host = Host();
  host.Reset();
  host.AnswerAt(QN_SLOT_ADD_TRIANGLE, kMostTriangles, kOutOfMemory);
  host.Probe(spec.GetPath());
  const int32_t result = host.Import(spec.GetPath());
  if (result != 0 && host.LiveMeshes() != 0) std::abort();
  return 0;
}

// The seeds are the plug-in tests' metafiles, which make_seeds.sh writes.
void WriteFuzzSeeds(CFuzzSeeds&) {}
