#include "platform/help.h"

#include <cctype>
#include <cstddef>

#include "platform/errors.h"
#include "platform/file.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

constexpr char kWindowsHelpExtension[] = ".hlp";
constexpr char kPageExtension[] = ".html";

std::vector<headless::SHelpRequest> gRequests;

bool EndsWithNoCase(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i) {
    const auto a = static_cast<unsigned char>(text[text.size() - end.size() + i]);
    if (std::tolower(a) != static_cast<unsigned char>(end[i])) return false;
  }
  return true;
}

}  // namespace

std::string HelpPagePath(const std::string& helpFile) {
  std::string page = NativePath(helpFile);
  if (!EndsWithNoCase(page, kWindowsHelpExtension)) return page;
  page.resize(page.size() - (sizeof kWindowsHelpExtension - 1));
  return page + kPageExtension;
}

bool ShowHelpContents(WindowHandle owner, const std::string& helpFile) {
  const std::string page = HelpPagePath(helpFile);
  // A viewer started on a missing page would report it only in its own window, if at all.
  if (!PathExists(page) || IsFolder(page)) {
    SetLastError(kWinFileNotFound);
    return false;
  }
  if (IsHeadless()) {
    gRequests.push_back({owner, page});
    return true;
  }
  return Backend().ShowWithViewer(FindLiveWindow(owner), page);
}

namespace headless {

const std::vector<SHelpRequest>& HelpRequests() { return gRequests; }

}  // namespace headless
}  // namespace platform
