// Shape fonts written as text into a private file, read with Osprel's font reader linked in, and the
// result of running one of their shapes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plugins/dxf/shape_font.h"
#include "plugins/dxf/shape_interpreter.h"

namespace osprel_test {

struct SShapeRun {
  int32_t code = -1;
  std::vector<SStroke> strokes;
  double x = 0, y = 0;  // where the pen ended
  bool penDown = false;
  int32_t above = 0;
};

// Reads the text as a font file; the font goes with the object.
class CFontFile {
 public:
  explicit CFontFile(const std::string& text) {
    fPath = std::filesystem::path(::testing::TempDir()) / ("quarn2-shape-font-" + std::to_string(::getpid()) + ".shp");
    std::ofstream(fPath, std::ios::binary) << text;
    fCode = ReadShapeFont(fPath.c_str(), &fFont);
  }
  ~CFontFile() {
    FreeShapeFont(fFont);
    std::filesystem::remove(fPath);
  }
  CFontFile(const CFontFile&) = delete;
  CFontFile& operator=(const CFontFile&) = delete;

  int32_t Code() const { return fCode; }
  const SShapeFont* Font() const { return fFont; }

  SShapeRun Run(int32_t number, bool vertical = false) const {
    SShapeRun run;
    if (!fFont) return run;
    SShapeRequest request = {};
    request.number = number;
    request.vertical = vertical;
    request.commandsLeft = kShapeCommandBudget;
    run.code = InterpretShape(*fFont, request);
    run.strokes.assign(request.strokes, request.strokes + request.strokeCount);
    run.x = request.x;
    run.y = request.y;
    run.penDown = request.penDown;
    run.above = request.above;
    FreeStrokes(request);
    return run;
  }

 private:
  std::filesystem::path fPath;
  SShapeFont* fFont = nullptr;
  int32_t fCode = -1;
};

// A font of the header (above 10) and shape 1 of this definition, its byte count counted.
inline std::string OneShapeFont(const std::string& definition) {
  int count = 1;
  for (char c : definition) count += c == ',';
  return "*0,4,test\n10,2,0,0\n*1," + std::to_string(count) + ",one\n" + definition + "\n";
}

}  // namespace osprel_test
