#include "fuzz/fuzz_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/tool_app.h"

namespace {

volatile uint32_t gSink = 0;

// The private folder stands as $TMPDIR, so that the spool environments' swap files live there too. It
// lies in memory where it can: a disk file system writes each replaced input back at its close, which
// makes fuzzing a hundred times slower.
std::string TemporaryBase() {
  if (access("/dev/shm", W_OK) == 0) return "/dev/shm";
  const char* base = getenv("TMPDIR");
  return base && *base ? base : "/tmp";
}

class CFuzzProcess {
 public:
  CFuzzProcess() {
    std::string pattern = TemporaryBase() + "/quarn2-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) return;
    fFolder = pattern;
    setenv("TMPDIR", fFolder.c_str(), 1);
    fApp = new CToolApp("quarn2-fuzz", kFuzzDataPoolBudget);
  }
  ~CFuzzProcess() {
    delete fApp;
    std::error_code ignored;
    if (!fFolder.empty()) std::filesystem::remove_all(fFolder, ignored);
  }
  CFuzzProcess(const CFuzzProcess&) = delete;
  CFuzzProcess& operator=(const CFuzzProcess&) = delete;

  bool IsReady() const { return fApp && fApp->IsReady(); }
  const std::string& Folder() const { return fFolder; }

 private:
  std::string fFolder;
  CToolApp* fApp = nullptr;
};

CFuzzProcess& Process() {
  static CFuzzProcess process;
  return process;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

}  // namespace

void StartFuzzFramework() {
  if (Process().IsReady()) return;
  std::fprintf(stderr, "quarn2-fuzz: the framework could not start\n");
  std::exit(1);
}

std::string FuzzFolder() { return Process().Folder(); }

CFileSpec WriteFuzzFile(const uint8_t* data, size_t size, const char* name) {
  const std::string path = FuzzFolder() + "/" + name;
  WriteFile(path, data, size);
  CFileSpec spec;
  spec.Set(path.c_str());
  return spec;
}

void FuzzConsume(uint32_t value) { gSink = gSink + value; }

__attribute__((weak)) void WriteFuzzSeeds(CFuzzSeeds&) {}

// With QUARN2_FUZZ_SEEDS=DIR the harness writes its seeds into DIR and stops before fuzzing.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* folder = getenv("QUARN2_FUZZ_SEEDS");
  if (!folder || !*folder) return 0;
  StartFuzzFramework();
  CFuzzSeeds seeds;
  WriteFuzzSeeds(seeds);
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : seeds.Get()) WriteFile(std::string(folder) + "/" + name, bytes.data(), bytes.size());
  std::exit(0);
}
