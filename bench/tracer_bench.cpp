// Micro-benchmarks of the tracer's dearest queries, on the scene of render_vs_povray.sh (a 256 × 256
// terrain, a reflecting water plane, a sphere, a sun and a sky with fog) made in memory: the
// height-field walk for rays from the camera and for shadow rays from the terrain towards the sun,
// and the whole shadow query as the illumination model asks it for every hit the camera sees. Each
// reports rays per second; run them before and after a change to either.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/doc_settings.h"
#include "document/scene_file.h"
#include "framework/core/file_spec.h"
#include "framework/core/appl.h"
#include "framework/core/spool_sys.h"
#include "render/render_camera.h"
#include "render/render_context.h"
#include "render/render_driver.h"
#include "render/render_settings.h"
#include "render/secondary_rays.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/height_field.h"
#include "scene/light.h"
#include "scene/ray.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "tools/render_job.h"
#include "tools/scene_script.h"
#include "tools/tool_app.h"

namespace {

constexpr int kSide = 256;
// The camera's rays sample a picture of this size.
constexpr int kWidth = 320;
constexpr int kHeight = 240;

// The benchmark scene, as render_vs_povray.sh writes it.
constexpr const char* kScene =
    "size 640 480\n"
    "camera from 0 14 -46 to 0 4 0 fov 60\n"
    "sun direction 0.6 0.5 -0.5 colour 1 0.95 0.85\n"
    "sky haze 6 fog 40 fog-height 80 shadows 100\n"
    "terrain land picture terrain.bmp at 0 4 0 size 64 12 64 colour 0.45 0.40 0.30\n"
    "plane water at 0 3 0 colour 0.10 0.25 0.40 reflection 0.5 specularity 0.6\n"
    "sphere ball at 6 9 -8 size 6 6 6 colour 0.80 0.15 0.10 specularity 0.5\n";

void Put16(std::ofstream& out, uint32_t v) { out.put(char(v & 0xFF)).put(char(v >> 8 & 0xFF)); }
void Put32(std::ofstream& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A rough terrain in an 8-bit grey BMP: octaves of smooth value noise, the same in every run.
void WriteTerrain(const std::string& path) {
  const auto lattice = [](int x, int y, int octave) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(octave) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
  };
  const auto smooth = [&](double x, double y, int octave) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = lattice(x0, y0, octave) + (lattice(x0 + 1, y0, octave) - lattice(x0, y0, octave)) * sx;
    const double b = lattice(x0, y0 + 1, octave) + (lattice(x0 + 1, y0 + 1, octave) - lattice(x0, y0 + 1, octave)) * sx;
    return a + (b - a) * sy;
  };
  std::ofstream out(path, std::ios::binary);
  const uint32_t pixels = kSide * kSide, offset = 14 + 40 + 1024;
  out.put('B').put('M');
  Put32(out, offset + pixels);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, kSide);
  Put32(out, kSide);
  Put16(out, 1);
  Put16(out, 8);
  for (int i = 0; i < 6; ++i) Put32(out, i == 1 ? pixels : i >= 4 ? 256 : 0);
  for (int i = 0; i < 256; ++i) Put32(out, uint32_t(i) * 0x010101u);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      double v = 0, scale = 1.0 / 64, amplitude = 0.5;
      for (int octave = 0; octave < 6; ++octave, scale *= 2, amplitude *= 0.5) v += smooth(x * scale, y * scale, octave) * amplitude;
      out.put(char(std::clamp(int(v * 255), 0, 255)));
    }
  }
}

template <typename T>
T* First(C3dBaseSys& table, uint32_t classTag) {
  for (uint32_t row = 0;; ++row) {
    C3dBase* thing = nullptr;
    if (table.GetObjectAt(row, &thing)) return nullptr;
    if (thing && thing->GetClass() == classTag) return static_cast<T*>(thing);
  }
}

// The scene made, prepared for a render as the render driver prepares it, and the rays the
// benchmarks trace.
class CBenchScene {
 public:
  CBenchScene() : fContext(1, 1, 0, 0) {}

  // An empty answer, or what went wrong. The scene goes through a document, as the tools' render does.
  std::string Make() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quarn2_tracer_bench";
    std::filesystem::create_directories(folder);
    const std::string problem = Write(folder);
    if (problem.empty()) {
      SRenderJob job;
      const std::string document = (folder / "scene.qnc").string();
      job.document = document.c_str();
      if (fDocument.Read(job)) return "the scene document cannot be read";
    }
    std::filesystem::remove_all(folder);
    if (!problem.empty()) return problem;
    fField = First<C3dHeightField>(fDocument.Scene(), C3dHeightField::kClassTag);
    C3dSunLight* sun = First<C3dSunLight>(fDocument.Scene(), C3dSunLight::kClassTag);
    if (!fField || !sun) return "the scene has no terrain or no sun";
    fRenderSettings.fFlags = fDocument.Options();
    SRenderRequest request;
    request.scene = &fDocument.Scene();
    request.camera = fDocument.Camera();
    request.sky = fDocument.Sky();
    request.settings = &fRenderSettings;
    if (fPreparation.Prepare(request, kWidth, kHeight, fCamera) || !fContext.PrepareLights())
      return "the render could not be prepared";
    for (uint32_t k = 0; k < fContext.GetLightCount(); ++k) {
      if (fContext.GetLight(k) == sun) fSunIndex = k;
    }
    CollectRays(sun->GetRenderDirection());
    return "";
  }

  C3dHeightField& Field() { return *fField; }
  CRenderContext& Context() { return fContext; }
  C3dLight& Sun() { return *fContext.GetLight(fSunIndex); }
  uint32_t SunIndex() const { return fSunIndex; }
  const std::vector<CRay>& CameraRays() const { return fCameraRays; }
  const std::vector<CRay>& ShadowRays() const { return fShadowRays; }
  // The camera's rays as the optimizer left them, each with its nearest hit.
  const std::vector<CRay>& Hits() const { return fHits; }

  // A ray bound as the render loops bind a primary one, from origin along the unit direction.
  CRay Ray(const vector3<double>& origin, const vector3<double>& direction, float near) {
    CRay ray;
    ray.Init(nullptr, origin, direction, {1, 1, 1}, {1, 1, 1}, near, std::numeric_limits<float>::infinity(), nullptr,
             nullptr, -1);
    ray.fContext = &fContext;
    ray.fStats = &fContext.GetStats();
    ray.fHolder = &fContext.GetHolder();
    return ray;
  }

 private:
  void CollectRays(const vector3<double>& towardsSun) {
    vector3<double> eye, corner;
    fCamera.GetEyeAndCorner(eye, corner);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        vector3<double> origin = eye, direction;
        fCamera.MakeRay((x + 0.5) / kWidth - 0.5, -((y + 0.5) / kHeight - 0.5), origin, direction);
        const double length = std::sqrt(Dot(direction, direction));
        CRay ray = Ray(origin, direction * (1 / length), float(length));
        fCameraRays.push_back(ray);
        if (!fContext.Intersect(ray) || !ray.fHitObject) continue;
        fHits.push_back(ray);
        if (ray.fHitObject != fField) continue;
        CRay shadow = Ray(ray.fHit.fPoint, towardsSun, 0.0001f);
        shadow.fPrimary = 0;
        shadow.fShadowRay = 1;
        shadow.fDepth = 1;
        fShadowRays.push_back(shadow);
      }
    }
  }

  // The terrain picture, the description and the document made from it in the folder.
  static std::string Write(const std::filesystem::path& folder) {
    WriteTerrain((folder / "terrain.bmp").string());
    std::ofstream((folder / "scene.txt").string()) << kScene;
    CSpoolSys* environment = GetApplication()->GetObjectsEnv();
    C3dBaseSys table(environment);
    CDocSettings settings(SSpoolLayout{environment, 0, 0});
    CSceneScript script(&table, &settings, environment);
    const std::string problem = script.Read((folder / "scene.txt").string());
    if (!problem.empty()) return problem;
    CFileSpec document;
    if (document.Set((folder / "scene.qnc").string().c_str()) || WriteSceneFile(document, &table, &settings))
      return "the scene document cannot be written";
    return "";
  }

  CRenderDocument fDocument;
  CRenderContext fContext;
  SRenderSettings fRenderSettings;
  CRenderCamera fCamera;
  CRenderPreparation fPreparation{fContext};
  C3dHeightField* fField = nullptr;
  uint32_t fSunIndex = 0;
  std::vector<CRay> fCameraRays;
  std::vector<CRay> fShadowRays;
  std::vector<CRay> fHits;
};

CBenchScene* gScene = nullptr;

// Every ray of the set against the terrain alone, each from a fresh copy.
void WalkRays(benchmark::State& state, const std::vector<CRay>& rays) {
  uint64_t hits = 0;
  for (auto _ : state) {
    for (const CRay& ray : rays) {
      CRay copy = ray;
      hits += gScene->Field().Intersect(copy);
    }
  }
  benchmark::DoNotOptimize(hits);
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(rays.size()));
}

void HeightFieldWalkCamera(benchmark::State& state) { WalkRays(state, gScene->CameraRays()); }
void HeightFieldWalkShadow(benchmark::State& state) { WalkRays(state, gScene->ShadowRays()); }

// The shadow ray towards the sun from every hit the camera sees, through the optimizer and the trace.
void ShadowQuery(benchmark::State& state) {
  const std::vector<CRay>& hits = gScene->Hits();
  double lit = 0;
  for (auto _ : state) {
    for (const CRay& hit : hits) {
      CRay ray = hit;
      vector3<float> filter;
      double factor = 0;
      CastSecondaryRay(ray, gScene->Context(), gScene->Sun(), gScene->SunIndex(), filter, factor);
      lit += factor;
    }
  }
  benchmark::DoNotOptimize(lit);
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(hits.size()));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CToolApp app("tracer_bench", 0x10000000);
  if (!app.IsReady()) {
    std::fprintf(stderr, "tracer_bench: the framework could not start\n");
    return 1;
  }
  CBenchScene scene;
  const std::string problem = scene.Make();
  if (!problem.empty()) {
    std::fprintf(stderr, "tracer_bench: %s\n", problem.c_str());
    return 1;
  }
  gScene = &scene;
  benchmark::RegisterBenchmark("HeightFieldWalk/camera", HeightFieldWalkCamera)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("HeightFieldWalk/shadow", HeightFieldWalkShadow)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ShadowQuery/sun", ShadowQuery)->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
