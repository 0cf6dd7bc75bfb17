// How every command-line tool meets its user: options read by getopt_long (--width=640 and
// --width 640 alike, "--" ending the options), --help and --version on standard output, the usage
// on standard error after a mistake, and messages that name the tool and the file before saying in
// words what is wrong. Exit statuses: 0 done, 1 failed, 2 wrong arguments.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct SToolOption {
  const char* name;   // without the leading "--"
  int id;             // what the tool's handler is given
  const char* value;  // the value's name in the help ("W"), or null for an option without one
  const char* help;   // one line
};

struct STool {
  const char* name;
  // The operands and options after the tool's name, one form a line.
  std::vector<const char*> usages;
  // What the tool does, for --help.
  const char* summary;
  std::vector<SToolOption> options;
  // Printed at the end of --help: the operands in words, the exit statuses.
  const char* details;
};

class CCommandLine {
 public:
  static constexpr int kStatusFailed = 1;
  static constexpr int kStatusUsage = 2;
  // Parse's answer when the tool is to go on.
  static constexpr int kGoOn = -1;

  explicit CCommandLine(const STool& tool) : fTool(tool) {}

  // The handler takes an option's id and value (null without one) and answers "" or what is wrong
  // with it. Answers kGoOn, or the status to exit with: 0 after --help or --version, 2 after a
  // mistake, which has been reported with the usage.
  using OptionHandler = std::function<std::string(int id, const char* value)>;
  int Parse(int argc, char** argv, const OptionHandler& handler);
  const std::vector<std::string>& Operands() const { return fOperands; }

  // "TOOL: problem", the usage and a pointer to --help on standard error; answers 2.
  int UsageError(const std::string& problem) const;
  // "TOOL: subject: words" on standard error; answers 1.
  int Fail(const std::string& subject, const std::string& words) const;
  // FileProblem's words for the failure; a silent code (work the user stopped) needs none.
  int FailWithCode(const std::string& subject, int32_t code, const std::string& refusal = "") const;
  // The output is refused before any work: its folder missing or not writable, the name a folder or
  // something else that is not a plain file, or the file one of the inputs. A symbolic link is judged
  // by the file it points to, which a replacing write replaces. Reported as
  // "TOOL: OUT: cannot be written: reason"; true when refused.
  bool RefuseOutput(const std::string& output, const std::vector<std::string>& inputs) const;

 private:
  void PrintHelp() const;
  void PrintUsage(FILE* stream) const;

  const STool& fTool;
  std::vector<std::string> fOperands;
};

// A result code's text followed by the code: "... (file not found). (code -43)".
std::string ResultWords(int32_t code);
// The words for a failure of code about path, the code following in brackets: "is a folder" for a
// folder, the file size limit where a write met it, else the reader's refusal when it gave one (which
// kind of file it does not read), else the code's own text.
std::string FileProblem(const std::string& path, int32_t code, const std::string& refusal = "");
// A whole number in decimal from least to most.
bool ParseWholeNumber(const char* text, int64_t least, int64_t most, int64_t* value);
// Whether the path's name ends in the extension (".bmp"), in any case.
bool HasExtension(const std::string& path, const char* extension);
// Why an input file cannot be read (FileProblem's words), or empty once it is read whole: a folder or
// a failed read is never taken for an empty input.
std::string ReadInputFile(const std::string& path, std::string* bytes);
// Why the temporary folder, which holds the pool files, cannot hold them (missing, not a folder or
// not writable), or empty.
std::string TempFolderProblem();
// The same once a pool file could not be made there with openResult: the code's words when the
// folder itself looks usable.
std::string TempFolderProblem(int32_t openResult);
// Why the output cannot be written, or empty: the same checks as RefuseOutput.
std::string OutputProblem(const std::string& output, const std::vector<std::string>& inputs);
