// Setvane's run, step by step: choose the target folder, write the payload there, offer the program
// group and the start of the installed program. main only wraps RunSetvane.
#pragma once

#include <cstdint>
#include <string>

#include "installer/payload.h"

// Exit statuses.
enum : int { kInstalled = 0, kNotInstalled = 1, kStartFailed = 2 };

// The folder offered first: $XDG_DATA_HOME/Carvane when that folder exists (~/.local/share when the
// variable is unset), else the fallback $HOME/Carvane.
std::string SuggestedFolder();
std::string FallbackFolder();

// Asks until the entered folder exists or could be made, and answers its absolute path ("~/" standing
// for the home folder); false when the user cancelled, which has been told.
bool ChooseFolder(std::string* folder);
// Writes the payload into the folder with the progress dialog shown; false after telling the user why
// it failed.
bool InstallInto(const SPayloadTable& payload, const std::string& folder);
// Asks whether to add the program group and, on Yes, sends its commands to the program manager; a
// command that fails is told as a failure. False only then.
bool OfferProgramGroup(const std::string& folder);
// Asks whether to start the program, saying that it is in the Carvane group only when it may be:
// kInstalled when not asked to or started, else kStartFailed.
int OfferStart(const std::string& folder, bool inGroup);

int RunSetvane(const SPayloadTable& payload = BuiltInPayload());
