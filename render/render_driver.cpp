#include "render/render_driver.h"

#include <iterator>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/image.h"
#include "render/bsp_tree_optimizer.h"
#include "render/env.h"
#include "render/ray_trace.h"
#include "render/render_camera.h"
#include "render/render_loops.h"
#include "render/render_pixels.h"
#include "render/render_settings.h"
#include "render/render_target.h"
#include "render/secondary_rays.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/object.h"
#include "scene/sky.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"

namespace {

struct STreeLimits {
  uint32_t leafObjects;
  uint32_t depth;
};

// The tree limits of the document window's optimizer choices: never split, then (5, 5) and (50, 10).
// Choice kCountedTree, past them, takes its limits from the number of things.
constexpr STreeLimits kTreeLimits[] = {{0xFFFFFFFF, 0}, {5, 5}, {50, 10}};
static_assert(std::size(kTreeLimits) == kCountedTree);

bool IsEmpty(const SRect& r) { return r.bottom <= r.top || r.right <= r.left; }

}  // namespace

// The context's bindings for one render, given back as they were on every way out.
class CContextBinding {
 public:
  explicit CContextBinding(CRenderContext& context)
      : fContext(context),
        fSettings(context.GetSettings()),
        fCamera(context.GetCamera()),
        fScene(context.GetSceneTable()),
        fTarget(context.GetTarget()),
        fObserver(context.GetObserver()),
        fOptimizer(context.GetOptimizer()),
        fView(context.GetViewTransform()) {}
  ~CContextBinding() {
    fContext.SetSettings(fSettings);
    fContext.SetCamera(fCamera);
    fContext.SetSceneTable(fScene);
    fContext.SetTarget(fTarget);
    fContext.SetObserver(fObserver);
    fContext.UseOptimizer(fOptimizer);
    fContext.SetViewTransform(fView);
  }
  CContextBinding(const CContextBinding&) = delete;
  CContextBinding& operator=(const CContextBinding&) = delete;

 private:
  CRenderContext& fContext;
  SRenderSettings* fSettings;
  CRenderCamera* fCamera;
  C3dBaseSys* fScene;
  CRenderTarget* fTarget;
  SRenderObserver fObserver;
  CAbstractOptimizer* fOptimizer;
  C34Matrix fView;
};

// Each object's own material stays locked for the render, its textures held, and its transforms
// composed now: a render thread that found them out of date would write them while others read.
CRenderReadiness::CRenderReadiness(C3dBaseSys& scene) : fScene(scene) {
  Each([](C3dObject& o) {
    o.GetObjectToWorld();
    o.BeginRender();
    C3dMaterial* material = MaterialOfHit(&o, nullptr);
    if (material && material->Lock()) {
      o.SetRenderMaterial(material);
      material->HoldTextures();
    }
    o.SetStopsShadows(MaterialStopsShadows(o));
  });
}

CRenderReadiness::~CRenderReadiness() {
  Each([](C3dObject& o) {
    o.SetStopsShadows(false);
    if (C3dMaterial* material = o.GetRenderMaterial()) {
      material->ReleaseTextures();
      material->Unlock(false, false);
    }
    o.SetRenderMaterial(nullptr);
    o.EndRender();
  });
}

void CRenderReadiness::Each(void (*step)(C3dObject&)) {
  for (uint32_t row = 0; row < fScene.GetCount(); ++row) {
    C3dBase* thing = fScene[row].object;
    if (C3dObject* object = thing ? thing->AsObject() : nullptr) step(*object);
  }
}

// The sky's cloud textures held through a render, so that render threads sample them unlocked.
class CSkyHold {
 public:
  explicit CSkyHold(C3dSky* sky) {
    for (int layer = 0; sky && layer < 2; ++layer) {
      C3dTexture* texture = sky->GetCloudTexture(layer);
      if (texture && texture->HoldForRender()) fHeld[layer] = texture;
    }
  }
  ~CSkyHold() {
    for (C3dTexture* texture : fHeld) {
      if (texture) texture->ReleaseAfterRender();
    }
  }
  CSkyHold(const CSkyHold&) = delete;
  CSkyHold& operator=(const CSkyHold&) = delete;

 private:
  C3dTexture* fHeld[2] = {};
};

int32_t PrepareSky(C3dSky* sky, C3dBaseSys* scene, SRenderSettings& settings) {
  settings.fSky = sky;
  settings.fShadowLightness = 1.0;
  if (!sky) return kNoErr;
  if (const int32_t result = sky->PrepareForRender(scene, nullptr)) return result;
  CHolder holder(sky, false, false);
  if (!holder.IsLocked()) return NonZeroError(sky->GetError());
  settings.fShadowLightness = sky->GetSettings().valueF;
  return kNoErr;
}

bool AntialiasForChoice(uint32_t choice, uint32_t& mode, uint32_t& grid) {
  constexpr uint32_t kModes[3][2] = {{1, 1}, {0, 1}, {5, 4}};
  if (choice > 2) return false;
  mode = kModes[choice][0];
  grid = kModes[choice][1];
  return true;
}

CRenderPreparation::CRenderPreparation(CRenderContext& context) : fContext(context) {}

CRenderPreparation::~CRenderPreparation() = default;

int32_t CRenderPreparation::Prepare(const SRenderRequest& request, int32_t width, int32_t height,
                                    CRenderCamera& camera) {
  if (!request.scene || !request.camera || !request.settings || fScene) return kErrInvalidParameter;
  SRenderSettings& settings = *request.settings;
  const bool ownTree = settings.fFlags & SRenderSettings::kOwnOptimizer;
  if (ownTree && request.optimizerChoice > kCountedTree) return kErrInvalidParameter;
  if (fContext.SetAntialias(request.antialiasMode, request.grid)) return kErrInvalidParameter;
  fScene.emplace(request.scene, false, false);
  if (!fScene->IsLocked()) return kErrOutOfMemory;
  if (const int32_t result = PrepareSky(request.sky, request.scene, settings)) return result;

  camera.SetFromCamera(*request.camera, width, height);
  fTarget.fImage = request.image;
  fTarget.fPort = request.port;
  if (ownTree) {
    const bool counted = request.optimizerChoice == kCountedTree;
    const STreeLimits limits = counted ? STreeLimits{} : kTreeLimits[request.optimizerChoice];
    fTree.reset(new CBSPTreeOptimizer(limits.depth, limits.leafObjects));
    if (!fTree || !fTree->IsValid()) return kErrOutOfMemory;
    fTree->SetFollowsCount(counted);
  }
  fBinding = std::make_unique<CContextBinding>(fContext);
  fContext.SetSettings(&settings);
  fContext.SetCamera(&camera);
  fContext.SetSceneTable(request.scene);
  fContext.SetTarget(&fTarget);
  fContext.SetObserver(request.observer);
  fContext.SetViewTransform(camera.ViewTransform());
  if (fTree) fContext.UseOptimizer(fTree.get());
  fReadiness = std::make_unique<CRenderReadiness>(*request.scene);
  fSkyHold = std::make_unique<CSkyHold>(request.sky);
  return fContext.PrepareOptimizer(!fTree) && fContext.SetupView(true) ? kNoErr : kErrOutOfMemory;
}

int32_t RenderSceneImage(CRenderContext& context, const SRenderRequest& request) {
  if (!request.image) return kErrInvalidParameter;
  CTimer elapsed;
  elapsed.Start();
  int32_t result = kNoErr;
  {
    CRenderCamera camera;
    CRenderPreparation preparation(context);
    result = preparation.Prepare(request, int32_t(request.image->GetWidth()), int32_t(request.image->GetHeight()),
                                 camera);
    if (result) return result;
    C3dEnv guard;
    const SRenderSettings& settings = *request.settings;
    const bool placed = !IsEmpty(request.viewFrom) && !IsEmpty(request.viewTo);
    const SRect* from = placed ? &request.viewFrom : nullptr;
    const SRect* to = placed ? &request.viewTo : nullptr;
    result = (settings.fFlags & SRenderSettings::kAdaptive)
                 ? RenderAdaptive(context, request.area, from, to, request.progress)
                 : RenderProgressive(request.draw, context, request.area, from, to, request.progress);
  }
  const uint64_t areaSize = RectArea(ClippedRect(request.area, request.image->GetBounds()));
  CRenderStats& stats = context.GetStats();
  if (result == kNoErr && stats.fPixels == areaSize) stats.SplitTime(uint64_t(elapsed.ElapsedSeconds()));
  return result;
}
