#include "fuzz/fuzz_scene.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "document/doc_settings.h"
#include "document/scene_file.h"
#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "fuzz/fuzz_support.h"
#include "scene/base_sys.h"
#include "tools/scene_script.h"

namespace {

[[noreturn]] void Stop(const std::string& what) {
  std::fprintf(stderr, "quarn2-fuzz: %s\n", what.c_str());
  std::exit(1);
}

CFileSpec InFolder(const char* name) {
  CFileSpec spec;
  spec.Set((FuzzFolder() + "/" + name).c_str());
  return spec;
}

}  // namespace

int32_t ReadFuzzDocument(const CFileSpec& spec) {
  CSpoolSys* environment = GetApplication()->GetObjectsEnv();
  C3dBaseSys table(environment);
  CDocSettings settings(SSpoolLayout{environment, 0, 0});
  const int32_t read = ReadSceneFile(spec, &table, &settings);
  // What was read whole must be whole enough to be saved again.
  if (read == kNoErr) WriteSceneFile(InFolder("again.qnc"), &table, &settings);
  return read;
}

std::vector<uint8_t> SceneDocument(const std::string& description) {
  const std::string scenePath = FuzzFolder() + "/scene.txt";
  std::ofstream(scenePath) << description;
  CSpoolSys* environment = GetApplication()->GetObjectsEnv();
  C3dBaseSys table(environment);
  CDocSettings settings(SSpoolLayout{environment, 0, 0});
  CSceneScript script(&table, &settings, environment);
  if (const std::string problem = script.Read(scenePath); !problem.empty()) Stop(problem);
  const CFileSpec out = InFolder("seed.qnc");
  if (const int32_t error = WriteSceneFile(out, &table, &settings))
    Stop("a seed document could not be written (" + std::to_string(error) + ")");
  std::ifstream in(out.GetPath(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string FullSceneDocumentPath() { return std::string(QUARN2_SOURCE_DIR) + "/tests/fuzz/scene_file/full-scene.qnc"; }

std::vector<std::pair<std::string, std::string>> SampleScenes() {
  return {
      {"defaults.qnc", ""},
      {"shapes.qnc",
       "size 64 48\n"
       "camera from 1 2 -30 to 0 2 0 fov 45\n"
       "sun direction 0 3 -4 colour 1 0.9 0.8\n"
       "sky haze 10 fog 30 fog-height 20 clouds on shadows 40\n"
       "sphere ball at 1 2 3 size 2 4 6 rotate 10 20 30 colour 0.1 0.2 0.3 transparency 0.5 refraction 1.5 "
       "flags 0x21\n"
       "cube box at -5 1 0\npyramid pyr at 5 1 0\ncone con at 0 1 5\ncylinder cyl at 0 1 -5\n"
       "torus ring at 0 6 0\ndisk dsk at 3 0.5 3\nsquare sq at -3 0.5 -3\nplane ground at 0 -1 0\n"},
      {"lights.qnc",
       "light radial lamp at 0 8 0 intensity 3\nlight spot beam at 0 8 2\nlight parallel par at 2 8 0\n"
       "light square-spot ssp at 4 8 0\nlight circular-parallel cpar at 6 8 0\n"},
      {"groups.qnc",
       "sphere s1 at 20 0 0\nsphere s2 at 20.5 0 0\nsphere s3 at 30 0 0\nsphere s4 at 30.5 0 0\n"
       "cube a\ncube b\ngroup pair a b\ngroup carved boolean s1 -s2\ngroup lens boolean +s3 &s4\n"},
      {"terrain.qnc", "terrain hill generate 7\n"},
  };
}
