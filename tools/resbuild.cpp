// resbuild MANIFEST OUT: compiles the resources a manifest lists into the resource file OUT (see
// res_compiler.h for the syntax). A source line it cannot read is reported as FILE:LINE and OUT is
// left as it was. Exit status 0, 1 on any failure, 2 for wrong arguments.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/command_line.h"
#include "tools/res_compiler.h"
#include "tools/tool_app.h"

namespace {

const STool kTool{
    "resbuild",
    {"MANIFEST OUT"},
    "Compiles the resources a manifest lists into a new resource file.",
    {},
    "MANIFEST lists one resource a line: TYPE NUMBER NAME SOURCE-FILE ('-' for no name, the file\n"
    "relative to the manifest); the source's extension picks its compiler (.ixtx text lists, .ixco\n"
    "colour lists, .ixim image lists, .eset element sets, .menu menus), any other file is stored as it\n"
    "is. The syntax of each is in tools/res_compiler.h. OUT is replaced only once every resource is in.\n"
    "Exit status: 0 written, 1 a failure (the message names the file and line), 2 wrong arguments.\n"};

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  const int status = line.Parse(argc, argv, [](int, const char*) { return std::string(); });
  if (status != CCommandLine::kGoOn) return status;
  const std::vector<std::string>& operands = line.Operands();
  if (operands.size() != 2) return line.UsageError("a manifest and an output file are needed");
  const std::string& manifest = operands[0];
  const std::string& out = operands[1];
  std::vector<SManifestEntry> entries;
  std::string error;
  if (!ReadManifestFile(manifest, &entries, &error)) {
    std::fprintf(stderr, "resbuild: %s\n", error.c_str());
    return CCommandLine::kStatusFailed;
  }
  std::vector<std::string> inputs{manifest};
  for (const SManifestEntry& entry : entries) inputs.push_back(entry.path);
  if (line.RefuseOutput(out, inputs)) return CCommandLine::kStatusFailed;
  CToolApp app("resbuild");
  if (!app.IsReady()) return line.Fail("the framework", "could not start");
  if (!BuildResourceFile(manifest, out, &error)) {
    std::fprintf(stderr, "resbuild: %s\n", error.c_str());
    return CCommandLine::kStatusFailed;
  }
  return 0;
}
