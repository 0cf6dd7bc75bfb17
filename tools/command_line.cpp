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

// The folder an output is written in: its temporary file goes there before it replaces the output.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
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

int CCommandLine::FailWithCode(const std::string& subject, int32_t code) const {
  return Fail(subject, ResultWords(code));
}

bool CCommandLine::RefuseOutput(const std::string& output, const std::vector<std::string>& inputs) const {
  const std::string problem = OutputProblem(output, inputs);
  if (problem.empty()) return false;
  Fail(output, "cannot be written: " + problem);
  return true;
}

std::string ResultWords(int32_t code) { return BuiltInMessageFor(code) + " (code " + std::to_string(code) + ")"; }

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

std::string OutputProblem(const std::string& output, const std::vector<std::string>& inputs) {
  if (output.empty()) return "the name is empty";
  struct stat target {};
  if (stat(output.c_str(), &target) == 0) {
    if (S_ISDIR(target.st_mode)) return "it is a folder";
    for (const std::string& input : inputs) {
      struct stat read {};
      if (stat(input.c_str(), &read) == 0 && SameFile(read, target)) return "it is the input " + input;
    }
  } else if (output.back() == '/') {
    return "it names a folder";
  }
  const std::string folder = FolderOf(output);
  struct stat place {};
  if (stat(folder.c_str(), &place) != 0) return "the folder " + folder + " does not exist";
  if (!S_ISDIR(place.st_mode)) return folder + " is not a folder";
  if (access(folder.c_str(), W_OK | X_OK) != 0)
    return "the folder " + folder + " is not writable (" + std::strerror(errno) + ")";
  return "";
}
