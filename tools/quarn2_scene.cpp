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
#include "framework/core/spool_sys.h"
#include "scene/base_sys.h"
#include "tools/command_line.h"
#include "tools/scene_script.h"
#include "tools/tool_app.h"

namespace {

const STool kTool{
    "quarn2-scene",
    {"SCENE.txt OUT.qnc"},
    "Writes a scene document from a plain-text scene description, one statement a line.",
    {},
    "Statements ('#' starts a comment; numbers in C syntax, angles in degrees, colours 0 to 1):\n"
    "  size W H                                  render size (default 480 360)\n"
    "  camera from X Y Z to X Y Z [fov DEG]      horizontal field of view 0.8 x DEG (default 60)\n"
    "  sun direction X Y Z [colour R G B]        the direction towards the sun\n"
    "  sky [haze N] [fog N] [fog-height N] [clouds on|off] [shadows N]   each N 0 to 100\n"
    "  SHAPE NAME [at X Y Z] [size X Y Z] [rotate X Y Z] [colour R G B] [MATERIAL VALUE...]\n"
    "      SHAPE: sphere cube pyramid cone cylinder torus disk square plane\n"
    "  terrain NAME (picture FILE | generate SEED) [at ...] [size ...] [rotate ...] [...]\n"
    "  light KIND NAME [at X Y Z] [size X Y Z] [rotate X Y Z] [colour R G B] [intensity I]\n"
    "      KIND: radial spot parallel square-spot circular-parallel\n"
    "  group NAME [boolean] MEMBER...            boolean roles +NAME -NAME &NAME\n"
    "MATERIAL: diffusion ambience specularity transparency reflection bump metallicity (0 to 1),\n"
    "  spec-exponent, refraction, metal-exponent, ambient-colour specular-colour transparent-colour\n"
    "  (R G B), flags N.\n"
    "Axes: y is up; looking along +z, +x is to the right (left-handed). 'at' is the centre of the\n"
    "thing's box (a light's own point), 'size' its extent along its own axes, 'rotate' turns about x,\n"
    "then y, then z. tools/README.md says what every keyword does, with examples.\n"
    "Exit status: 0 the document is written, 1 a line or the file cannot be read or written (the\n"
    "message names the file and line), 2 wrong arguments.\n"};

int Run(const CCommandLine& line, const std::string& scenePath, const std::string& outPath) {
  CSpoolSys* environment = GetApplication()->GetObjectsEnv();
  C3dBaseSys table(environment);
  CDocSettings settings(SSpoolLayout{environment, 0, 0});
  CSceneScript script(&table, &settings, environment);
  const std::string problem = script.Read(scenePath);
  if (!problem.empty()) {
    std::fprintf(stderr, "quarn2-scene: %s\n", problem.c_str());
    return CCommandLine::kStatusFailed;
  }
  // The pictures the description names are inputs as well.
  if (line.RefuseOutput(outPath, script.FilesRead())) return CCommandLine::kStatusFailed;
  CFileSpec out;
  int32_t error = out.Set(outPath.c_str());
  if (!error) error = WriteSceneFile(out, &table, &settings);
  return error ? line.FailWithCode(outPath, error) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  const int status = line.Parse(argc, argv, [](int, const char*) { return std::string(); });
  if (status != CCommandLine::kGoOn) return status;
  const std::vector<std::string>& operands = line.Operands();
  if (operands.size() != 2) return line.UsageError("a scene description and an output document are needed");
  if (line.RefuseOutput(operands[1], {operands[0]})) return CCommandLine::kStatusFailed;
  CToolApp app("quarn2-scene");
  if (!app.IsReady()) return app.ReportNotReady(line);
  return Run(line, operands[0], operands[1]);
}
