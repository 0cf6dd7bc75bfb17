// Scene descriptions shared by the tests of the tools that write and render documents.
#pragma once

#include <string>

#include "tests/tools/run_tool.h"

// Every statement and every keyword of the scene description; its terrain picture is "hf.bmp", 64 × 64.
inline constexpr const char* kEveryStatementScene = R"(# every statement and keyword
size 320 200
camera from 1 2 -30 to 0 2 0 fov 45
sun direction 0 3 -4 colour 1 0.9 0.8   # towards the sun
sky haze 10 fog 30 fog-height 20 clouds on shadows 40

sphere ball at 1 2 3 size 2 4 6 rotate 10 20 30 colour 0.1 0.2 0.3 diffusion 0.9 ambient-colour 0.4 0.5 0.6 ambience 0.3 specular-colour 0.7 0.8 0.9 specularity 0.25 spec-exponent 12 transparent-colour 0.2 0.3 0.4 transparency 0.5 reflection 0.35 bump 0.15 refraction 1.5 metallicity 0.45 metal-exponent 2.5 flags 0x21
cube box at -5 1 0
pyramid pyr at 5 1 0 size 2 3 2
cone con at 0 1 5
cylinder cyl at 0 1 -5 rotate 90 0 0
torus ring at 0 6 0 size 8 2 8
disk dsk at 3 0.5 3 size 2 7 2
square sq at -3 0.5 -3
plane ground at 0 -1 0 colour 0.2 0.5 0.2
terrain hill picture hf.bmp at 10 0 10 size 20 5 20
terrain gen generate 7 at -10 0 -10
light radial lamp at 0 8 0 colour 1 1 0.5 intensity 3
light spot beam at 0 8 2
light parallel par at 2 8 0
light square-spot ssp at 4 8 0
light circular-parallel cpar at 6 8 0 size 1 2 1
sphere s1 at 20 0 0
sphere s2 at 20.5 0 0
sphere s3 at 30 0 0
sphere s4 at 30.5 0 0
group pair ball box
group carved boolean s1 -s2
group lens boolean +s3 &s4
)";

// A grey fractal picture of size "W x H" (ImageMagick's geometry) as an uncompressed BMP, the kind a
// terrain statement reads.
inline bool MakeTerrainPicture(const std::string& path, const std::string& size) {
  return RunCommand("convert -size " + size + " -seed 3 plasma:grey50-grey50 -colorspace Gray 'BMP3:" + path + "' 2>&1")
             .status == 0;
}
