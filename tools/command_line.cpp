#include "tools/command_line.h"

#include <getopt.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "framework/core/result_codes.h"
#include "platform/errors.h"
#include "platform/file.h"

namespace {

// getopt_long's values for the tool's options are kFirstOption + index; these two follow them.
constexpr int kFirstOption = 256;
constexpr int kHelpOption = -2;
constexpr int kVersionOption = -3;

const SToolOption kHelp{"help", kHelpOption, nullptr, "show this help and exit"};
const SToolOption kVersion{"version", kVersionOption, nullptr, "show the version and exit"};

std::string OptionText(const SToolOption& option) {
  std::string text = std::string("--") + option.name;
  if (option.value) text += std::string("=") + option.value;
  return text;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

int CCommandLine::Parse(int argc, char** argv, const OptionHandler& handler) {
  std::vector<SToolOption> all = fTool.options;
  all.push_back(kHelp);
  all.push_back(kVersion);
  std::vector<option> table;
  for (size_t i = 0; i < all.size(); ++i)
    table.push_back({all[i].name, all[i].value ? required_argument : no_argument, nullptr, kFirstOption + int(i)});
  table.push_back({nullptr, 0, nullptr, 0});
  // Our own messages name the tool as it is called in the documentation, not by its path.
  opterr = 0;
  optind = 1;
  for (;;) {
    const int found = getopt_long(argc, argv, ":", table.data(), nullptr);
    if (found == -1) break;
    if (found == '?') {
      const char* given = argv[optind - 1];
      return UsageError(std::strncmp(given, "--", 2) == 0 || optopt == 0
                            ? std::string("unknown option ") + given
                            : std::string("unknown option -") + char(optopt));
    }
    if (found == ':') return UsageError(std::string(argv[optind - 1]) + " needs a value");
    const SToolOption& chosen = all[size_t(found - kFirstOption)];
    if (chosen.id == kHelpOption) {
      PrintHelp();
      return 0;
    }
    if (chosen.id == kVersionOption) {
      std::printf("%s (Quarn2) %s\n", fTool.name, QUARN2_VERSION);
      return 0;
    }
    const std::string problem = handler(chosen.id, chosen.value ? optarg : nullptr);
    if (!problem.empty()) return UsageError(problem);
  }
  fOperands.assign(argv + optind, argv + argc);
  return kGoOn;
}

void CCommandLine::PrintUsage(FILE* stream) const {
  for (size_t i = 0; i < fTool.usages.size(); ++i)
    std::fprintf(stream, "%s %s %s\n", i ? "      " : "usage:", fTool.name, fTool.usages[i]);
}

void CCommandLine::PrintHelp() const {
  PrintUsage(stdout);
  std::printf("%s\n\n", fTool.summary);
  std::vector<SToolOption> all = fTool.options;
  all.push_back(kHelp);
  all.push_back(kVersion);
  size_t width = 0;
  for (const SToolOption& option : all) width = std::max(width, OptionText(option).size());
  for (const SToolOption& option : all)
    std::printf("  %-*s  %s\n", int(width), OptionText(option).c_str(), option.help);
  if (fTool.details) std::printf("\n%s", fTool.details);
}

int CCommandLine::UsageError(const std::string& problem) const {
  std::fprintf(stderr, "%s: %s\n", fTool.name, problem.c_str());
  PrintUsage(stderr);
  std::fprintf(stderr, "Try '%s --help' for more information.\n", fTool.name);
  return kStatusUsage;
}

int CCommandLine::Fail(const std::string& subject, const std::string& words) const {
  std::fprintf(stderr, "%s: %s: %s\n", fTool.name, subject.c_str(), words.c_str());
  return kStatusFailed;
}

int CCommandLine::FailWithCode(const std::string& subject, int32_t code, const std::string& refusal) const {
  if (IsSilentCode(code)) return kStatusFailed;
  return Fail(subject, FileProblem(subject, code, refusal));
}

bool CCommandLine::RefuseOutput(const std::string& output, const std::vector<std::string>& inputs) const {
  const std::string problem = OutputProblem(output, inputs);
  if (problem.empty()) return false;
  Fail(output, "cannot be written: " + problem);
  return true;
}

std::string ResultWords(int32_t code) { return BuiltInMessageFor(code) + " (code " + std::to_string(code) + ")"; }

std::string FileProblem(const std::string& path, int32_t code, const std::string& refusal) {
  std::string text = refusal.empty() ? BuiltInMessageFor(code) : refusal;
  // The movie writer answers invalid size for a write past the limit, as for its own largest movie.
  if ((code == kErrDiskFull || code == kErrInvalidSize) && platform::FileSizeLimitReached())
    text = "the file size limit (ulimit -f) was reached";
  if (platform::IsFolder(path)) text = "is a folder";
  else if (const std::string reason = platform::NotPlainFileReason(path); !reason.empty()) text = reason;
  return text + " (code " + std::to_string(code) + ")";
}

bool ParseWholeNumber(const char* text, int64_t least, int64_t most, int64_t* value) {
  char* end = nullptr;
  errno = 0;
  const long long read = std::strtoll(text, &end, 10);
  if (errno || end == text || *end || read < least || read > most) return false;
  *value = read;
  return true;
}

bool HasExtension(const std::string& path, const char* extension) {
  const size_t length = std::strlen(extension);
  const size_t slash = path.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return path.size() - nameStart > length && strcasecmp(path.c_str() + path.size() - length, extension) == 0;
}

std::string ReadInputFile(const std::string& path, std::string* bytes) {
  return platform::ReadWholeFile(path, bytes) ? std::string() : FileProblem(path, NonZeroError(MapLastError()));
}

std::string TempFolderProblem() {
  const std::string why = platform::TempFolderReason();
  return why.empty() ? why : "the temporary folder cannot be used: " + why;
}

std::string TempFolderProblem(int32_t openResult) {
  const std::string problem = TempFolderProblem();
  return problem.empty() ? "the temporary folder cannot be used: " + ResultWords(openResult) : problem;
}

std::string OutputProblem(const std::string& output, const std::vector<std::string>& inputs) {
  if (output.empty()) return "the name is empty";
  // A replacing write puts its result in the file a symbolic link points to, and its temporary beside
  // that file.
  std::string file;
  if (!platform::ReplaceTargetOf(output, &file)) {
    if (const std::string reason = platform::NotPlainFileReason(output); !reason.empty()) return reason;
    file = output;
  }
  struct stat target {};
  if (stat(file.c_str(), &target) == 0) {
    for (const std::string& input : inputs) {
      struct stat read {};
      if (stat(input.c_str(), &read) == 0 && SameFile(read, target)) return "it is the input " + input;
    }
  } else if (output.back() == '/') {
    return "it names a folder";
  }
  // The temporary goes in the output's folder before it replaces the output.
  const std::string folder = platform::FolderOf(file);
  struct stat place {};
  if (stat(folder.c_str(), &place) != 0) return "the folder " + folder + " does not exist";
  if (!S_ISDIR(place.st_mode)) return folder + " is not a folder";
  if (access(folder.c_str(), W_OK | X_OK) != 0)
    return "the folder " + folder + " is not writable (" + std::strerror(errno) + ")";
  return "";
}
