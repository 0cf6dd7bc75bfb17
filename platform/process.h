// Starting another program, as a user's double click would: it runs on its own, in its own folder,
// and outlives this one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Starts the program file at path with the show command (kSwShow, ...) its first window would take;
// on Linux the program decides how it shows. False when it cannot be started. The headless back end
// starts nothing: it notes the call and answers whether path is a file that could be started.
bool StartProgram(const std::string& path, int32_t show);

namespace headless {

struct SStartedProgram {
  std::string path;
  int32_t show = 0;
};
const std::vector<SStartedProgram>& StartedPrograms();

}  // namespace headless
}  // namespace platform
