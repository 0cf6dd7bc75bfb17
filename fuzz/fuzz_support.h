// What every fuzzing harness shares. A harness is one file, NAME_fuzz.cpp, that defines
// LLVMFuzzerTestOneInput and, when it can make seeds with the program's own writers, WriteFuzzSeeds.
// The same file builds twice: with libFuzzer for the long runs (fuzz/run.sh), and in the test tree with
// a driver that runs it once over its seeds and the regression inputs in tests/fuzz/NAME/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/file_spec.h"

// Pictures and other data come from the data pool: with this budget a valid but huge picture fails
// with "out of memory" instead of taking the machine.
inline constexpr uint32_t kFuzzDataPoolBudget = 256u << 20;

// Starts the framework once per process as the command-line tools start it (pools and spool
// environments, no window), in a private temporary folder that goes at exit. Stops the process when
// the framework cannot start: no input could be judged then.
void StartFuzzFramework();

// The bytes as a file of that name in the private folder, replacing the previous input's.
CFileSpec WriteFuzzFile(const uint8_t* data, size_t size, const char* name = "input");
std::string FuzzFolder();

// Seeds a harness makes with the program's own writers, named for the corpus.
class CFuzzSeeds {
 public:
  void Add(std::string name, std::vector<uint8_t> bytes) { fSeeds.emplace_back(std::move(name), std::move(bytes)); }
  const std::vector<std::pair<std::string, std::vector<uint8_t>>>& Get() const { return fSeeds; }

 private:
  std::vector<std::pair<std::string, std::vector<uint8_t>>> fSeeds;
};

// Called once the framework runs; a harness without one has only the pictures of fuzz/make_seeds.sh
// and its regression inputs.
void WriteFuzzSeeds(CFuzzSeeds& seeds);

// The bytes from offset on (none past the end).
inline std::vector<uint8_t> FuzzBytes(const uint8_t* data, size_t size, size_t offset = 0) {
  return offset < size ? std::vector<uint8_t>(data + offset, data + size) : std::vector<uint8_t>();
}

// Keeps reads that the optimiser would drop: the sanitizers must see every byte a reader hands out.
void FuzzConsume(uint32_t value);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
