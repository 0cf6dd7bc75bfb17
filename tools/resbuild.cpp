// resbuild MANIFEST OUT, resbuild LAYOUT.layout OUT: compiles the resources a manifest lists, or one
// .layout source, into the resource file OUT (see res_compiler.h and layout_source.h for the syntax).
// Fonts (.ttf) are converted through FreeType, which no other part of the program links.
// A source line it cannot read is reported as FILE:LINE and OUT is left as it was. Exit status 0, 1
// on any failure, 2 for wrong arguments.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/command_line.h"
#include "tools/res_compiler.h"
#include "tools/texture_source.h"
#include "tools/tool_app.h"
#include "tools/truetype_font.h"

namespace {

const STool kTool{
    "resbuild",
    {"MANIFEST OUT", "LAYOUT.layout OUT"},
    "Compiles the resources a manifest lists, or a layout source, into a new resource file.",
    {},
    "MANIFEST lists one resource a line: TYPE NUMBER NAME SOURCE-FILE ('-' for no name, a quoted\n"
    "text for one with blanks, the file relative to the manifest unless it begins with '/'), or\n"
    "layout FILE.layout; the source's extension picks its compiler (.ixtx text lists, .ixco colour\n"
    "lists, .ixim image lists, .eset element sets, .menu menus, .png pictures, .ttf fonts converted\n"
    "through FreeType, .qntx 3D textures, the layout records), any other file is stored as it is.\n"
    "A .layout source holds a layout file's pictures, lists, canvases and element trees. The syntax\n"
    "of each is in tools/res_compiler.h, tools/layout_source.h and tools/texture_source.h. OUT is\n"
    "replaced only once every resource is in.\n"
    "Exit status: 0 written, 1 a failure (the message names the file and line), 2 wrong arguments.\n"};

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  SetFontConverter(&ConvertTrueTypeFont);
  SetTextureStorer(&StoreTextureSource);
  const int status = line.Parse(argc, argv, [](int, const char*) { return std::string(); });
  if (status != CCommandLine::kGoOn) return status;
  const std::vector<std::string>& operands = line.Operands();
  if (operands.size() != 2) return line.UsageError("a manifest and an output file are needed");
  const std::string& input = operands[0];
  const std::string& out = operands[1];
  std::vector<SManifestEntry> entries;
  std::string error;
  if (!HasExtension(input, ".layout") && !ReadManifestFile(input, &entries, &error)) {
    std::fprintf(stderr, "resbuild: %s\n", error.c_str());
    return CCommandLine::kStatusFailed;
  }
  std::vector<std::string> inputs{input};
  for (const SManifestEntry& entry : entries) inputs.push_back(entry.path);
  if (line.RefuseOutput(out, inputs)) return CCommandLine::kStatusFailed;
  CToolApp app("resbuild");
  if (!app.IsReady()) return app.ReportNotReady(line);
  if (!BuildResourceFile(input, out, &error)) {
    std::fprintf(stderr, "resbuild: %s\n", error.c_str());
    return CCommandLine::kStatusFailed;
  }
  return 0;
}
