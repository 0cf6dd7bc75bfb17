#include <string>
#include <vector>

#include "app/entry.h"
#include "platform/gtk_backend.h"
#include "tools/command_line.h"

namespace {

const STool kProgram{
    kProgramName,
    {"[OPTION]... [DOCUMENT]"},
    "Builds scenes of natural landscapes and ray-traces them, opening the document named.",
    {},
    "A document given while the program runs already is opened there. Exit status: 0 after an ordinary\n"
    "run or once the running program took the document, 1 when the start failed, 2 for a wrong option.\n"};

}  // namespace

// --help and --version answer as the tools do; every other argument names a document.
int main(int argc, char** argv) {
  CCommandLine line(kProgram);
  const int parsed = line.Parse(argc, argv, [](int, const char*) { return std::string(); });
  if (parsed != CCommandLine::kGoOn) return parsed;
  std::vector<const char*> arguments{argv[0]};
  for (const std::string& operand : line.Operands()) arguments.push_back(operand.c_str());
  platform::EnableGtkBackend();
  return RunProgram(JoinCommandLine(int(arguments.size()), arguments.data()));
}
