// quarn2-sky OUT.bmp [--width=W] [--height=H] [--flags=HEX] [--sun=X,Y,Z]: writes a panorama of a
// sky for a person to look at, as a 24-bit BMP file. The sky has its defaults (its flags replaced
// when given) and is lit by a sun with its default direction or the one given. Column i looks
// towards azimuth 360·i/W degrees (from +z towards +x), row j towards elevation 90 − 180·j/(H − 1)
// degrees. Exit status 0, 2 for bad arguments, 1 when the sky cannot be made or the file not written.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <string>

#include "framework/core/appl.h"
#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "platform/system.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "tools/command_line.h"
#include "tools/tool_app.h"

namespace {

constexpr uint32_t kDefaultWidth = 360;
constexpr uint32_t kDefaultHeight = 181;
constexpr int64_t kLargestSide = 16384;
// The largest panorama, 16384 × 16384 pixels of 4 bytes, with room to spare.
constexpr uint32_t kDataPoolBudget = 0x48000000;

enum EOption { kWidth, kHeight, kFlags, kSun };

const STool kTool{
    "quarn2-sky",
    {"OUT.bmp [--width=W] [--height=H] [--flags=HEX] [--sun=X,Y,Z]"},
    "Draws the program's sky, with its default settings and a sun, as a panorama in a 24-bit BMP file.",
    {
        {"width", kWidth, "W", "columns, 1 to 16384 (default 360): column i looks 360 x i / W degrees round"},
        {"height", kHeight, "H", "rows, 2 to 16384 (default 181): the top row looks straight up, the last down"},
        {"flags", kFlags, "HEX", "the sky's flag word in hexadecimal (default 283: graded, with sun glow)"},
        {"sun", kSun, "X,Y,Z", "the direction towards the sun (default the new sun's own)"},
    },
    "Azimuth 0 is +z, 90 is +x. Sky flags: 1 graded sky with sun (else one flat colour), 2 and 4 the\n"
    "glow's schemes, 8 the stored colours, 10 clouds (20 and 40 their layers; this tool has no cloud\n"
    "texture), 80 haze and fog, 100 sky light, 800 flat without atmosphere.\n"
    "Exit status: 0 written, 1 a failure (the message names the file), 2 wrong arguments.\n"};

struct SOptions {
  std::string out;
  uint32_t width = kDefaultWidth;
  uint32_t height = kDefaultHeight;
  bool hasFlags = false;
  uint32_t flags = 0;
  bool hasSun = false;
  vector3<double> sun;
};

bool ParseFlags(const char* text, uint32_t& out) {
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text, &end, 16);
  if (errno || end == text || *end || *text == '-' || value > 0xFFFFFFFFul) return false;
  out = uint32_t(value);
  return true;
}

// Three numbers apart by commas or spaces, of some length.
std::string ParseSun(const char* text, vector3<double>& out) {
  std::string spaced = text;
  std::replace(spaced.begin(), spaced.end(), ',', ' ');
  std::istringstream in(spaced);
  double v[3] = {};
  std::string rest;
  if (!(in >> v[0] >> v[1] >> v[2]) || (in >> rest)) return "--sun needs three numbers, as in --sun=0.5,0.4,1";
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(length > 0) || !std::isfinite(length)) return "--sun needs a direction of some length";
  out = vector3<double>{v[0], v[1], v[2]} * (1 / length);
  return "";
}

std::string TakeOption(SOptions& options, int id, const char* value) {
  int64_t read = 0;
  switch (id) {
    case kWidth:
      if (!ParseWholeNumber(value, 1, kLargestSide, &read))
        return "--width needs a whole number from 1 to " + std::to_string(kLargestSide);
      options.width = uint32_t(read);
      return "";
    case kHeight:
      if (!ParseWholeNumber(value, 2, kLargestSide, &read))
        return "--height needs a whole number from 2 to " + std::to_string(kLargestSide);
      options.height = uint32_t(read);
      return "";
    case kFlags:
      options.hasFlags = true;
      return ParseFlags(value, options.flags) ? "" : "--flags needs a hexadecimal number";
    case kSun:
      options.hasSun = true;
      return ParseSun(value, options.sun);
  }
  return "";
}

uint8_t Channel(float c) { return uint8_t(std::clamp(double(c), 0.0, 1.0) * 255 + 0.5); }

// The panorama's pixels into the image, row by row.
int32_t DrawPanorama(C3dSky& sky, CImage& image) {
  constexpr double kDegree = std::numbers::pi / 180;
  const SRect whole = image.GetBounds();
  CImNavigator nav(&image, &whole, true, false);
  if (!nav.IsUsable()) return NonZeroError(image.GetError());
  const uint32_t width = nav.GetColumns(), height = nav.GetRows();
  for (uint32_t j = 0; j < height; ++j) {
    if (platform::IsStopRequested()) return kSilentCode24;
    const double elevation = (90 - 180.0 * j / (height - 1)) * kDegree;
    CImVector* row = nav.Cells(j);
    for (uint32_t i = 0; i < width; ++i) {
      const double azimuth = 360.0 * i / width * kDegree;
      CRay ray;
      ray.fDirection = {std::cos(elevation) * std::sin(azimuth), std::sin(elevation),
                        std::cos(elevation) * std::cos(azimuth)};
      sky.ShadeRay(ray);
      row[i].Set(0xFF, Channel(ray.fColour.x), Channel(ray.fColour.y), Channel(ray.fColour.z));
    }
  }
  return kNoErr;
}

template <typename T>
T* Make(C3dBaseSys& table, CSpoolSys* environment,
        int32_t (*factory)(T**, C3dBaseSys*, const SObjectKey&, const SSpoolTableSpec&)) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<T>(environment, key, spec);
  T* thing = nullptr;
  return factory(&thing, &table, key, spec) ? nullptr : thing;
}

int Run(const CCommandLine& line, const SOptions& options) {
  CSpoolSys* environment = GetApplication()->GetObjectsEnv();
  C3dBaseSys table(environment);
  C3dSky* sky = Make<C3dSky>(table, environment, &C3dSky::New);
  C3dSunLight* sun = Make<C3dSunLight>(table, environment, &C3dSunLight::New);
  if (!sky || !sun) return line.Fail("the sky", "it or its sun could not be made");
  if (options.hasFlags) sky->GetSettings().flags = options.flags;
  if (options.hasSun) sun->SetDirection(options.sun);
  if (const int32_t error = sky->PrepareForRender(&table, nullptr)) return line.FailWithCode("the sky", error);
  int32_t error = kNoErr;
  CImage* image = NewDataImage(options.width, options.height, &error);
  if (!image) return line.FailWithCode(options.out, NonZeroError(error));
  error = DrawPanorama(*sky, *image);
  CFileSpec out;
  if (!error) error = out.Set(options.out.c_str());
  if (!error) error = SaveImageAsBmp(out, image, true);
  delete image;
  return error ? line.FailWithCode(options.out, error) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  SOptions options;
  const int status =
      line.Parse(argc, argv, [&options](int id, const char* value) { return TakeOption(options, id, value); });
  if (status != CCommandLine::kGoOn) return status;
  const std::vector<std::string>& operands = line.Operands();
  if (operands.size() != 1) return line.UsageError(operands.empty() ? "no output file" : "one output file only");
  options.out = operands[0];
  if (!HasExtension(options.out, ".bmp")) return line.UsageError(options.out + ": the panorama is a BMP file (.bmp)");
  if (line.RefuseOutput(options.out, {})) return CCommandLine::kStatusFailed;
  CToolApp app("quarn2-sky", CToolApp::MachineShare(kDataPoolBudget));
  if (!app.IsReady()) return app.ReportNotReady(line);
  return Run(line, options);
}
