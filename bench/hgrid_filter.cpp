// hgrid_filter IN.pgm OUT.pgm: the terrain editor's smoothing kernel (FilterHeightGrid mode 1) over a
// square 16-bit grey map, written as a grey map; the peer of ImageMagick's correlation with the same
// kernel in bench/hgrid_filter.sh. Prints the filter's own time in milliseconds.
#include <chrono>
#include <cstdio>
#include <string>

#include "editors/terrain/height_grid_filters.h"
#include "tests/editors/terrain/pgm_file.h"
#include "tools/command_line.h"

namespace {

const STool kTool{"hgrid_filter",
                  {"IN.pgm OUT.pgm"},
                  "Smooths a square 16-bit grey map with the terrain editor's 3x3 kernel (neighbours 30, centre 20,\n"
                  "shifted right by 8); the first and last columns keep their heights.",
                  {},
                  "IN.pgm: a binary grey map (P5) whose side is a power of two from 8 to 1024.\n"
                  "Prints \"filter MS ms\". Exit status: 0 done, 1 failed, 2 wrong arguments.\n"};

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  const int status = line.Parse(argc, argv, [](int, const char*) { return std::string(); });
  if (status != CCommandLine::kGoOn) return status;
  if (line.Operands().size() != 2) return line.UsageError("an input and an output grey map are needed");
  const std::string& in = line.Operands()[0];
  const std::string& out = line.Operands()[1];
  SGreyMap map;
  std::string why;
  if (!ReadGreyMap(in, &map, &why)) return line.Fail(in, why);
  if (map.width != map.height || !IsFilterGridSize(map.width))
    return line.Fail(in, "is no square whose side is a power of two from 8 to 1024");
  SGreyMap smoothed = map;
  const auto start = std::chrono::steady_clock::now();
  FilterHeightGrid(map.samples.data(), smoothed.samples.data(), map.width, kFilterSmooth);
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  if (!WriteGreyMap(out, smoothed)) return line.Fail(out, "cannot be written");
  std::printf("filter %.3f ms\n", spent.count());
  return 0;
}
