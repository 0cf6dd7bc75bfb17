// quarn2-scene SCENE.txt OUT.qnc: writes a scene document from a plain-text scene description,
// through the program's own factories and document writer. A line that cannot be read is reported
// as "SCENE.txt:LINE: what was wrong" with exit status 1, and no document is written (an existing
// OUT.qnc stays as it was); wrong arguments exit with status 2.
#include <cstdio>
#include <string>

#include "document/doc_settings.h"
#include "document/scene_file.h"
#include "framework/core/appl.h"
#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/base_sys.h"
#include "tools/scene_script.h"
#include "tools/tool_app.h"
#include "tools/tool_messages.h"

namespace {

constexpr const char* kUsage = "usage: quarn2-scene SCENE.txt OUT.qnc";

int Run(const char* scenePath, const char* outPath) {
  if (!CheckOutput("quarn2-scene", outPath)) return 1;
  CSpoolSys* environment = GetApplication()->GetObjectsEnv();
  C3dBaseSys table(environment);
  CDocSettings settings(SSpoolLayout{environment, 0, 0});
  CSceneScript script(&table, &settings, environment);
  const std::string problem = script.Read(scenePath);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  CFileSpec out;
  int32_t error = out.Set(outPath);
  if (!error) error = WriteSceneFile(out, &table, &settings);
  if (error) return ReportFileProblem("quarn2-scene", outPath, error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "%s\n", kUsage);
    return 2;
  }
  CToolApp app("quarn2-scene");
  if (!app.IsReady()) return app.ReportNotReady();
  return Run(argv[1], argv[2]);
}
