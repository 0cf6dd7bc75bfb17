#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/folder.h"

namespace platform {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd* user = ::getpwuid(::getuid());
  return user && user->pw_dir ? user->pw_dir : "/";
}

}  // namespace platform
