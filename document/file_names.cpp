#include "document/file_names.h"

#include <cstdint>

#include "framework/core/appl.h"
#include "framework/core/format_text.h"
#include "framework/core/ix_text.h"
#include "platform/file.h"

namespace {

// Entry of the "strings_" list.
constexpr uint32_t kReplaceQuestion = 4;
constexpr const char kReplaceQuestionBuiltIn[] = "The file \"%s\" already exists. Do you want to replace it?";

size_t NameStart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

size_t ExtensionStart(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot != std::string::npos && dot > NameStart(path) ? dot : std::string::npos;
}

std::string WithExtension(const std::string& path, const char* extension) {
  return path.substr(0, ExtensionStart(path)) + extension;
}

std::string BareFileName(const std::string& path) {
  const size_t start = NameStart(path);
  const size_t dot = ExtensionStart(path);
  return path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

bool MayReplaceFile(const std::string& path) {
  if (!platform::PathExists(path)) return true;
  CAppl* app = GetApplication();
  CIxTextRef question;
  question.Attach(kReplaceQuestionBuiltIn, kReplaceQuestion);
  return app && app->AskYesNo(FormatText(question.Text(), path.c_str(), nullptr).c_str());
}
