// The help service: a help file opened with the desktop's own viewer. Help files keep their Windows
// names ending ".hlp"; the file looked for is the HTML page of the same name beside it, the way
// library names ending ".dll" are looked up as ".so".
#pragma once

#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

// The page a help file name stands for: a final ".hlp" (in any case) becomes ".html"; another name
// stays as it is.
std::string HelpPagePath(const std::string& helpFile);
// Opens the contents of the help file over the owner window (none: no parent): false, with the
// Windows error in GetLastError, when the page does not exist or no viewer could be started.
bool ShowHelpContents(WindowHandle owner, const std::string& helpFile);

namespace headless {

// What the headless back end was asked to show, in order: the owner and the page's path.
struct SHelpRequest {
  WindowHandle owner = nullptr;
  std::string page;
};
const std::vector<SHelpRequest>& HelpRequests();

}  // namespace headless
}  // namespace platform
