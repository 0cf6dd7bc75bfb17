// quarn2-sky OUT.ppm [--width W] [--height H] [--flags HEX] [--sun X Y Z]: writes a panorama of a sky
// for a person to look at. The sky has its defaults (its flags replaced when given) and is lit by a
// sun with its default direction or the one given. Column i looks towards azimuth 360·i/W degrees
// (from +z towards +x), row j towards elevation 90 − 180·j/(H − 1) degrees; the picture is a binary
// PPM. Exit status 0, 2 for bad arguments, 1 when the sky cannot be made or the file not written.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>

#include "framework/core/file.h"
#include "framework/core/mem_pool.h"
#include "framework/core/ordax.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "platform/file.h"
#include "platform/system.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "tools/tool_app.h"
#include "tools/tool_messages.h"

namespace {

constexpr const char* kTool = "quarn2-sky";

constexpr uint32_t kDefaultWidth = 360;
constexpr uint32_t kDefaultHeight = 181;
constexpr long kLargestSide = 16384;
constexpr const char* kUsage = "usage: quarn2-sky OUT.ppm [--width W] [--height H] [--flags HEX] [--sun X Y Z]";

struct SOptions {
  const char* out = nullptr;
  uint32_t width = kDefaultWidth;
  uint32_t height = kDefaultHeight;
  bool hasFlags = false;
  uint32_t flags = 0;
  bool hasSun = false;
  vector3<double> sun;
};

bool ParseSide(const char* text, uint32_t least, uint32_t& out) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno || end == text || *end || value < long(least) || value > kLargestSide) return false;
  out = uint32_t(value);
  return true;
}

bool ParseFlags(const char* text, uint32_t& out) {
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text, &end, 16);
  if (errno || end == text || *end || *text == '-' || value > 0xFFFFFFFFul) return false;
  out = uint32_t(value);
  return true;
}

bool ParseNumber(const char* text, double& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtod(text, &end);
  return !errno && end != text && !*end && std::isfinite(out);
}

// An empty answer, or what was wrong.
std::string Parse(int argc, char** argv, SOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const int left = argc - i - 1;
    if (arg == "--width" || arg == "--height") {
      const bool width = arg == "--width";
      if (left < 1 || !ParseSide(argv[++i], width ? 1 : 2, width ? options.width : options.height))
        return arg + " needs a whole number from " + (width ? "1" : "2") + " to " + std::to_string(kLargestSide);
    } else if (arg == "--flags") {
      if (left < 1 || !ParseFlags(argv[++i], options.flags)) return "--flags needs a hexadecimal number";
      options.hasFlags = true;
    } else if (arg == "--sun") {
      double x = 0, y = 0, z = 0;
      if (left < 3 || !ParseNumber(argv[i + 1], x) || !ParseNumber(argv[i + 2], y) || !ParseNumber(argv[i + 3], z))
        return "--sun needs three numbers";
      i += 3;
      const double length = std::sqrt(x * x + y * y + z * z);
      if (!(length > 0) || !std::isfinite(length)) return "--sun needs a direction of some length";
      options.sun = vector3<double>{x, y, z} * (1 / length);
      options.hasSun = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (options.out) {
      return "one output file only";
    } else {
      options.out = argv[i];
    }
  }
  return options.out ? "" : "no output file";
}

uint8_t Channel(float c) { return uint8_t(std::clamp(double(c), 0.0, 1.0) * 255 + 0.5); }

// The panorama's pixels, row by row, three bytes each.
std::string Panorama(C3dSky& sky, uint32_t width, uint32_t height) {
  constexpr double kDegree = std::numbers::pi / 180;
  std::string pixels;
  pixels.reserve(size_t(width) * height * 3);
  for (uint32_t j = 0; j < height && !platform::IsStopRequested(); ++j) {
    const double elevation = (90 - 180.0 * j / (height - 1)) * kDegree;
    for (uint32_t i = 0; i < width; ++i) {
      const double azimuth = 360.0 * i / width * kDegree;
      CRay ray;
      ray.fDirection = {std::cos(elevation) * std::sin(azimuth), std::sin(elevation),
                        std::cos(elevation) * std::cos(azimuth)};
      sky.ShadeRay(ray);
      pixels += char(Channel(ray.fColour.x));
      pixels += char(Channel(ray.fColour.y));
      pixels += char(Channel(ray.fColour.z));
    }
  }
  return pixels;
}

// Writes a temporary file beside the target and puts it in the target's place; the old file stays
// as it was until then, and stays on any failure.
int32_t WriteReplacing(const char* path, const std::string& bytes) {
  CFileSpec target, temporary;
  if (const int32_t error = target.Set(path)) return error;
  if (const int32_t error = CFileSpec::MakeTempBeside(target, temporary)) return error;
  CFile file(temporary);
  int32_t error = file.Create();
  if (!error) error = file.Open(CFile::kModeWrite);
  uint32_t count = uint32_t(bytes.size());
  if (!error) error = file.Write(&count, bytes.data());
  if (!error && count != bytes.size()) error = kErrDiskFull;
  if (!error) error = file.Flush();
  file.Close();
  if (!error && !platform::ReplaceFile(temporary.GetPath(), target.GetPath())) error = NonZeroError(MapLastError());
  if (error) platform::DeleteFile(temporary.GetPath());
  return error;
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

int Run(const SOptions& options) {
  if (!CheckOutput(kTool, options.out)) return 1;
  CSpoolEnv environment(nullptr, GetObjectPool(), SRange{32, 32}, 0, false, nullptr, 0);
  if (!environment.IsOpen()) {
    std::fprintf(stderr, "quarn2-sky: %s\n", TempFolderProblem(environment.GetOpenResult()).c_str());
    return 1;
  }
  C3dBaseSys table(&environment);
  C3dSky* sky = Make<C3dSky>(table, &environment, &C3dSky::New);
  C3dSunLight* sun = Make<C3dSunLight>(table, &environment, &C3dSunLight::New);
  if (!sky || !sun) {
    std::fprintf(stderr, "quarn2-sky: the sky or its sun could not be made\n");
    return 1;
  }
  if (options.hasFlags) sky->GetSettings().flags = options.flags;
  if (options.hasSun) sun->SetDirection(options.sun);
  if (const int32_t error = sky->PrepareForRender(&table, nullptr)) {
    std::fprintf(stderr, "quarn2-sky: the sky could not be prepared (%d)\n", error);
    return 1;
  }
  const std::string picture = "P6\n" + std::to_string(options.width) + " " + std::to_string(options.height) +
                              "\n255\n" + Panorama(*sky, options.width, options.height);
  if (platform::IsStopRequested()) return 1;
  if (const int32_t error = WriteReplacing(options.out, picture)) return ReportFileProblem(kTool, options.out, error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SOptions options;
  const std::string problem = Parse(argc, argv, options);
  if (!problem.empty()) {
    std::fprintf(stderr, "quarn2-sky: %s\n%s\n", problem.c_str(), kUsage);
    return 2;
  }
  if (InitOrdax() || !CMemPool::CreatePools(0x1FA000, 0x500000, 0x1000000)) {
    std::fprintf(stderr, "quarn2-sky: the framework could not start\n");
    return 1;
  }
  platform::CatchStopSignals();
  const int status = Run(options);
  CMemPool::DestroyPools();
  TermOrdax();
  platform::EndIfStopRequested();
  return status;
}
