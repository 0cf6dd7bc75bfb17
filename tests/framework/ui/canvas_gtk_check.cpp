// Two canvases on the real back end, for canvas_gtk.sh to look at from outside: a red one centred by
// its "canv" record and a blue one at the record's frame. Prints "red ID" and "blue ID" (the native
// window ids), then "ready"; "press NAME X Y" for each press a canvas takes; reads commands from the
// standard input ("move NAME X Y", "size NAME W H", "hide NAME", "quit"), answering each with "done".
// Argument: a folder for the layout file.
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "framework/core/file.h"
#include "framework/core/resource_env.h"
#include "framework/ui/canvas.h"
#include "tests/framework/ui/gtk_check.h"
#include "tools/res_compiler.h"

namespace {

class NamedCanvas : public CCanvas {
 public:
  NamedCanvas(const char* name) : CCanvas({0, 0, 10, 10}, false, 0x80000000, nullptr, 10), fName(name) {}
  int32_t OnPointerPress(SWinEvent& event) override {
    std::printf("press %s %d %d\n", fName, event.x, event.y);
    std::fflush(stdout);
    return 1;
  }
  const char* Name() const { return fName; }

 private:
  const char* fName;
};

bool StoreLayout(CResourceEnv& env, uint32_t number, const char* name, const std::string& source) {
  std::vector<uint8_t> bytes;
  std::string error;
  SSpoolKey key;
  key.Set("canv", number, false);
  std::strncpy(key.name, name, sizeof key.name - 1);
  if (!CompileSource("canv", source, &bytes, &error)) {
    std::fprintf(stderr, "canvas_gtk_check: %s: %s\n", name, error.c_str());
    return false;
  }
  return StoreCompiled(env, key, "canv", bytes) == 0;
}

int Run(COrdaxApp& app, const std::string& folder) {
  CFileSpec spec;
  spec.Set((folder + "/layout.dat").c_str());
  auto env = std::make_unique<CResourceEnv>(spec, CFile::kModeReadWrite);
  if (!env->IsOpen() ||
      !StoreLayout(*env, 1, "red", "frame 0 0 101 201\nflags 0x0C00\ncolour 0x00FF0000\noptions 1\n") ||
      !StoreLayout(*env, 2, "blue", "frame 100 50 150 130\ncolour 0x000000FF\noptions 1\n")) {
    std::fprintf(stderr, "canvas_gtk_check: the layout file cannot be written\n");
    return 1;
  }
  NamedCanvas red("red"), blue("blue");
  for (NamedCanvas* canvas : {&red, &blue}) {
    if (const int32_t err = canvas->LoadFromResource(env.get(), 0, canvas->Name())) {
      std::fprintf(stderr, "canvas_gtk_check: %s: code %d\n", canvas->Name(), err);
      return 1;
    }
    canvas->Show();
    const auto id = static_cast<unsigned long long>(platform::NativeWindowId(canvas->GetWindow()));
    std::printf("%s %llu\n", canvas->Name(), id);
  }
  std::printf("ready\n");
  std::fflush(stdout);
  ServeCommands(app, [&](const std::string& line) {
    std::istringstream words(line);
    std::string verb, name;
    int32_t x = 0, y = 0;
    words >> verb >> name >> x >> y;
    NamedCanvas* canvas = name == "red" ? &red : name == "blue" ? &blue : nullptr;
    if (canvas && verb == "move") canvas->MoveTo({x, y});
    else if (canvas && verb == "size") canvas->Resize({x, y}, true);
    else if (canvas && verb == "hide") canvas->Hide();
  });
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return RunGtkCheck(argc, argv, &Run); }
