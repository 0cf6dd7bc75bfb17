// fuzz_NAME [FOLDER|FILE]...: runs the harness once over the seeds it writes with the program's own
// writers, then over every file named or held in the folders named (a missing folder holds none), as
// the ordinary test run does. A fault stops the run through the sanitizers; otherwise it prints how
// many inputs ran.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace {

std::vector<std::filesystem::path> InputFiles(const char* argument) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  std::error_code error;
  if (fs::is_directory(argument, error)) {
    for (const auto& entry : fs::directory_iterator(argument, error))
      if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
  } else if (fs::is_regular_file(argument, error)) {
    files.emplace_back(argument);
  }
  return files;
}

void Run(const std::vector<uint8_t>& bytes) { LLVMFuzzerTestOneInput(bytes.data(), bytes.size()); }

}  // namespace

int main(int argc, char** argv) {
  StartFuzzFramework();
  CFuzzSeeds seeds;
  WriteFuzzSeeds(seeds);
  size_t inputs = 0;
  for (const auto& [name, bytes] : seeds.Get()) {
    Run(bytes);
    ++inputs;
  }
  for (int i = 1; i < argc; ++i) {
    for (const auto& path : InputFiles(argv[i])) {
      std::ifstream in(path, std::ios::binary);
      Run(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
      ++inputs;
    }
  }
  std::printf("%zu inputs\n", inputs);
  return 0;
}
