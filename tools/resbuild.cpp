// resbuild MANIFEST OUT: compiles the resources a manifest lists into the resource file OUT (see
// res_compiler.h for the syntax). A source line it cannot read is reported as FILE:LINE and OUT is
// left as it was. Exit status 0, or 1 on any failure.
#include <cstdio>
#include <string>

#include "tools/res_compiler.h"
#include "tools/tool_app.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: resbuild MANIFEST OUT\n");
    return 1;
  }
  CToolApp app("resbuild");
  if (!app.IsReady()) return app.ReportNotReady();
  std::string error;
  if (!BuildResourceFile(argv[1], argv[2], &error)) {
    std::fprintf(stderr, "resbuild: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
