#include "tools/tool_messages.h"

#include <cstdio>

#include "framework/core/result_codes.h"
#include "platform/errors.h"
#include "platform/file.h"

std::string FileProblem(const std::string& path, int32_t code, const std::string& refusal) {
  std::string text = refusal.empty() ? BuiltInMessageFor(code) : refusal;
  // The movie writer answers invalid size for a write past the limit, as for its own 2 GiB.
  if ((code == kErrDiskFull || code == kErrInvalidSize) && platform::FileSizeLimitReached())
    text = "the file size limit (ulimit -f) was reached";
  if (platform::IsFolder(path)) text = "is a folder";
  return text + " (code " + std::to_string(code) + ")";
}

int ReportFileProblem(const char* tool, const std::string& path, int32_t code, const std::string& refusal) {
  // A silent code is work the tool was asked to stop, which needs no words.
  if (IsSilentCode(code)) return 1;
  std::fprintf(stderr, "%s: %s: %s\n", tool, path.c_str(), FileProblem(path, code, refusal).c_str());
  return 1;
}

bool CheckOutput(const char* tool, const std::string& path) {
  std::string file;
  if (platform::ReplaceTargetOf(path, &file)) return true;
  ReportFileProblem(tool, path, NonZeroError(MapLastError()));
  return false;
}
