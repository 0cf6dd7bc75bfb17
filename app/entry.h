// The program entry: one instance per user, the data pool's budget, and the application's run.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/mem_pool.h"

class CPrefsFile;
struct SApplDesc;

inline constexpr const char* kProgramName = "Quarn2";

// DataPoolBudget (framework/core/mem_pool.h) with the read flag and percentage of the preferences file.
uint32_t DataPoolBudget(uint64_t physicalBytes, const CPrefsFile& prefs);

// The default and objects pools get the machine's share that the data pool has without preferences
// (what the tools give every pool), never less than the figures of machines with a few megabytes: a
// document of a hundred thousand objects, read beside the one that is open, needs that much. The
// data pool's budget follows the preferences.
inline constexpr uint32_t kLeastDefaultPoolBudget = 0x1FA000;
inline constexpr uint32_t kLeastObjectsPoolBudget = 0x500000;
void SetPoolBudgets(SApplDesc& desc, uint64_t physicalBytes, const CPrefsFile& prefs);

// The arguments as one command line; an argument with a space, tab or quote (or none at all) is quoted,
// a quote or backslash inside it escaped with a backslash.
std::string JoinCommandLine(int argc, const char* const* argv);

// What each library registers for the earlier ones that call it (the interface framework, the
// documents, the palettes and dialogs, the presets), as the program does before anything else.
void RegisterLibraryServices();

// 0 after an ordinary run or when a running instance took the command line; 1 when start-up failed.
int RunProgram(const std::string& commandLine);
