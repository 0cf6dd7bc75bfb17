#include "render/render_context.h"

#include <cmath>
#include <utility>

#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "framework/core/result_codes.h"
#include "render/bsp_tree_optimizer.h"
#include "render/null_optimizer.h"
#include "render/phong_ext.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/object.h"
#include "scene/shape_intersection.h"

namespace {

// The context's own tree, before an owner sets other limits.
constexpr uint32_t kOwnTreeDepthLimit = 5;
constexpr uint32_t kOwnTreeLeafLimit = 5;
// Mode 4's points; 0.333333 and 0.666666 as written, not thirds.
constexpr double kSixPoints[6][2] = {{0.333333, 0.25}, {0.666666, 0.25}, {0.25, 0.5},
                                     {0.75, 0.5},      {0.333333, 0.75}, {0.666666, 0.75}};
constexpr double kDegree = 0.01745329251994;
// How far inside its ring a ring's radius lies, as a fraction of half a ring's width.
constexpr double kRingInset = 0.35;
constexpr int32_t kLightStep = 8;

double Random01(SRandomState& state) { return NextRandomUnit(state); }

// Mixes a pixel's position into a seed, so that neighbouring pixels start far apart in the sequence.
uint64_t PixelSeed(int32_t x, int32_t y) {
  uint64_t h = (uint64_t(uint32_t(x)) << 32 | uint32_t(y)) + 0x9E3779B97F4A7C15ull;
  h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
  h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
  return h ^ (h >> 31);
}

// The centre of cell i of an n × n grid.
void GridPoint(uint32_t i, uint32_t n, double& x, double& y) {
  x = ((i % n) + 0.5) / n;
  y = ((i / n) + 0.5) / n;
}

}  // namespace

CRenderContext::CRenderContext(uint32_t mode, uint32_t grid, uint32_t parameter, uint32_t optimizerTag)
    : fLights(SRange{0, kLightStep}, OptimizerTablePool()),
      fParameter(parameter),
      fOptimizerTag(optimizerTag),
      fHolder(0, 0) {
  C3dIllumModel::InstallDefault(&C3dPhongExt::Shared());
  fAntialiasAccepted = SetAntialias(mode, grid) == kNoErr;
  if (optimizerTag == kBSPTreeTag)
    fOwnOptimizer = new CBSPTreeOptimizer(kOwnTreeDepthLimit, kOwnTreeLeafLimit);
  else
    fOwnOptimizer = new CNullOptimizer();
  fOptimizer = fOwnOptimizer;
}

CRenderContext::~CRenderContext() { delete fOwnOptimizer; }

bool CRenderContext::IsReady() const {
  return fAntialiasAccepted && fOptimizer && fOptimizer->IsValid() && fHolder.IsValid() && fLights.IsValid();
}

void CRenderContext::UseOptimizer(CAbstractOptimizer* optimizer) { fOptimizer = optimizer ? optimizer : fOwnOptimizer; }

// ---- samples

int32_t CRenderContext::SetAntialias(uint32_t mode, uint32_t grid) {
  if (NeedsGrid(mode) && (grid < 1 || grid > kMaxGrid)) return kErrInvalidParameter;
  fMode = mode;
  fGrid = grid;
  fAntialiasAccepted = true;
  for (SRingOffset& offset : fRingOffsets) offset = {};
  for (uint32_t i = 0; i < kSampleSlots; ++i) fSampler.order[i] = i;
  BuildRingPattern();
  fSampler.random = GetRandomState();
  ShuffleSamples(fSampler);
  GetRandomState() = fSampler.random;
  return kNoErr;
}

uint32_t CRenderContext::GetSampleCount() const {
  switch (fMode) {
    case 0:
    case 1:
      return 1;
    case 2:
      return fGrid;
    case 3:
    case 5:
    case 6:
      return fGrid * fGrid;
    case 4:
      return 6;
    case 7:
      return 4;
    default:
      return 0;
  }
}

bool CRenderContext::GetSampleOffset(double& x, double& y, int32_t& orderEntry, uint32_t i) {
  fSampler.random = GetRandomState();
  if (fMode == 6 && i == 0 && i < GetSampleCount()) ShuffleSamples(fSampler);
  const bool given = GetSampleOffset(fSampler, x, y, orderEntry, i);
  GetRandomState() = fSampler.random;
  return given;
}

void CRenderContext::BeginPixel(SPixelSampler& sampler, int32_t x, int32_t y) const {
  const uint64_t seed = PixelSeed(x, y);
  sampler.random = {uint32_t(seed), 0, uint32_t(seed >> 32)};
  if (fMode != 6) return;
  const uint32_t count = fGrid * fGrid;
  for (uint32_t i = 0; i < count && i < kSampleSlots; ++i) sampler.order[i] = i;
  ShuffleSamples(sampler);
}

bool CRenderContext::GetSampleOffset(SPixelSampler& sampler, double& x, double& y, int32_t& orderEntry,
                                     uint32_t i) const {
  if (fMode == 0 || fMode == 1) {
    x = y = fMode == 0 ? 0 : 0.5;
    return true;
  }
  if (i >= GetSampleCount()) return false;
  switch (fMode) {
    case 2:
      x = Random01(sampler.random);
      y = Random01(sampler.random);
      return true;
    case 3:
      GridPoint(i, fGrid, x, y);
      return true;
    case 7:
      GridPoint(i, 2, x, y);
      return true;
    case 4:
      x = kSixPoints[i][0];
      y = kSixPoints[i][1];
      return true;
    default:  // 5 and 6
      GridPoint(i, fGrid, x, y);
      x += (Random01(sampler.random) * 0.25 - 0.125) / fGrid;
      y += (Random01(sampler.random) * 0.25 - 0.125) / fGrid;
      if (fMode == 6) orderEntry = int32_t(sampler.order[i]);
      return true;
  }
}

CRenderContext::SRingOffset CRenderContext::GetRingOffset(int32_t orderEntry) const {
  return orderEntry >= 0 && uint32_t(orderEntry) < kSampleSlots ? fRingOffsets[orderEntry] : SRingOffset();
}

// n rings of n points, from near the pixel's unit circle inwards, every other ring turned by half a
// step.
void CRenderContext::BuildRingPattern() {
  if (fMode != 6) return;
  const uint32_t n = fGrid;
  if (n == 1) return;  // the single offset stays (0, 0)
  const double step = 360.0 / n;
  for (uint32_t k = 0; k < n; ++k) {
    const double radius = 1 - double(k) / n - kRingInset * (0.5 / n);
    for (uint32_t j = 0; j < n; ++j) {
      const double angle = (j * step + (k % 2 ? step / 2 : 0)) * kDegree;
      fRingOffsets[k * n + j] = {float(std::cos(angle) * radius), float(std::sin(angle) * radius)};
    }
  }
}

void CRenderContext::ShuffleSamples(SPixelSampler& sampler) const {
  const uint32_t count = fGrid * fGrid;
  if (fMode != 6 || count < 2) return;
  for (uint32_t swap = 0; swap < count / 2; ++swap) {
    const uint32_t a = uint32_t(Random01(sampler.random) * (count - 1) + 0.5);
    const uint32_t b = uint32_t(Random01(sampler.random) * (count - 1) + 0.5);
    std::swap(sampler.order[a], sampler.order[b]);
  }
}

// ---- scene

C3dObject* CRenderContext::ObjectAt(uint32_t row) const {
  C3dBase* thing = (*fScene)[row].object;
  return thing ? thing->AsObject() : nullptr;
}

bool CRenderContext::PrepareOptimizer(bool withCameras) {
  if (!fScene || !fOptimizer) return false;
  CHolder holder(fScene, false, false);
  if (!holder.IsLocked() || !fOptimizer->Begin()) return false;
  const auto fed = [&](uint32_t row) {
    C3dObject* object = ObjectAt(row);
    return object && (withCameras || object->GetFamily() != C3dCamera::kFamily) ? object : nullptr;
  };
  // Room for every row: counting the objects first would visit every thing once more, a cache miss
  // each in a table of many things.
  if (!fOptimizer->Reserve(fScene->GetCount())) return false;
  for (uint32_t row = 0; row < fScene->GetCount(); ++row) {
    C3dObject* object = fed(row);
    if (object && !fOptimizer->Add(object)) return false;
  }
  return fOptimizer->Build();
}

bool CRenderContext::PrepareLights() {
  fLights.Clear();
  for (uint32_t row = 0; fScene && row < fScene->GetCount(); ++row) {
    C3dObject* object = ObjectAt(row);
    C3dLight* light = object && object->IsLight() ? dynamic_cast<C3dLight*>(object) : nullptr;
    if (light && !fLights.Append(light)) return false;
  }
  return fHolder.Build(0, fLights.GetCount());
}

bool CRenderContext::Intersect(CRay& ray) {
  if (!fOptimizer) return false;
  ray.fDeferWorld = 1;
  const bool hit = fOptimizer->Intersect(ray);
  ray.fDeferWorld = 0;
  CompleteDeferredHit(ray);
  return hit;
}

bool CRenderContext::SetupView(bool withCameraBounds) {
  if (!fScene) return false;
  CHolder holder(fScene, false, false);
  if (!holder.IsLocked()) return false;
  fWorldBounds = fCameraBounds = C3dBox();
  for (uint32_t row = 0; row < fScene->GetCount(); ++row) {
    C3dObject* object = ObjectAt(row);
    if (!object) continue;
    const C3dBox box = object->WorldBox();
    // A thing with nothing to bound (an empty group) would make the bounds infinite.
    if (box.IsEmpty()) continue;
    fWorldBounds.Extend(box.fMin);
    fWorldBounds.Extend(box.fMax);
    if (!withCameraBounds) continue;
    const C3dBox seen = box.Transform(fViewTransform);
    fCameraBounds.Extend(seen.fMin);
    fCameraBounds.Extend(seen.fMax);
  }
  return true;
}
