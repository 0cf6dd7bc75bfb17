// One running instance per user: the first start listens on a local socket; a later start hands it
// its command line and current folder and ends. The first instance's queue then carries the text to
// the window named at the claim as message kWmUser with an SForwardedCommandLine in lParam, which
// stays valid until that message is dispatched.
#pragma once

#include <string>

namespace platform {

enum class InstanceRole {
  kFirst,      // this process listens; go on starting
  kForwarded,  // a running instance took the command line; end now
  kAlone,      // no socket could be had; go on starting without one
};

InstanceRole ClaimSingleInstance(const std::string& className, const std::string& title,
                                 const std::string& commandLine);
void ReleaseSingleInstance();
// $XDG_RUNTIME_DIR/quarn2.sock, else quarn2-<uid>/quarn2.sock in the temporary folder, in a folder
// made with mode 0700. Empty when that folder is a link, another user's, or open to others: then
// *problem names it and says why, and the claim starts alone, saying so on the standard error stream.
std::string InstanceSocketPath(std::string* problem = nullptr);

}  // namespace platform
