// Writing the payload into the target folder, all or nothing: each file is written under a temporary
// name beside its place, and only once every file is whole do they take their names, over an earlier
// installation's files. On any failure the earlier files are as they were and nothing of this run is
// left.
#pragma once

#include <cstdint>
#include <string>

#include "installer/payload.h"
#include "platform/window.h"

// The results of ExtractPayload.
enum : int32_t { kCannotCreate = 1, kShortWrite = 2, kNoMemory = 3, kExtracted = 4 };

// Told before each file (its name and the percentage of files done) and at the end (an empty name
// and 100).
using ProgressFunction = void (*)(platform::WindowHandle window, const char* fileName, int32_t percent);

// A file counts as written when every chunk inflated whole and its data, flush and close succeeded;
// an inflation that runs out of memory answers kNoMemory, any other bad chunk kShortWrite. Program
// files ("*.exe") are made executable (0755), the others 0644. progress may be null.
int32_t ExtractPayload(const SPayloadTable& payload, const std::string& folder, platform::WindowHandle window,
                       ProgressFunction progress);
