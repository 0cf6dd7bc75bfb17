// Everything a ray-traced render of one scene needs besides the scene: the owner's settings, camera
// and scene table, the antialias mode with its sample pattern, the optimizer that answers ray
// queries with its shadow cache, the scene's bounds, where an interrupted render resumes, and the
// statistics. Each owner of renders keeps one context for its lifetime; before every render it feeds
// the optimizer and sets up the view, and the render loops then ask for each pixel's samples.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/box3d.h"
#include "framework/core/dyn_table.h"
#include "framework/core/four_cc.h"
#include "framework/core/matrix34.h"
#include "framework/core/random.h"
#include "render/optimizer_holder.h"
#include "scene/ray_scratch.h"
#include "scene/render_stats.h"

class C3dBaseSys;
class C3dLight;
class C3dObject;
class CAbstractOptimizer;
class CImNavigator;
struct CRay;
struct CRenderCamera;
struct CRenderTarget;
struct SRenderSettings;

// Told at each refresh of a render loop how far it is: pixels done of the area (the antialias pass:
// rows done of its rows), so that an owner without a window can show a bar.
// Told too, on the thread that runs the loop, when rows [top, bottom) of the target image have their
// final pixels: the render writes them no more, so that a picture file can take them while later rows
// are traced.
struct SRenderObserver {
  void (*callback)(void* owner, uint32_t done, uint32_t total) = nullptr;
  void* owner = nullptr;
  void (*rowsFinal)(void* owner, CImNavigator& image, uint32_t top, uint32_t bottom) = nullptr;
  void* rowsOwner = nullptr;

  void Tell(uint32_t done, uint32_t total) const {
    if (callback) callback(owner, done, total);
  }
  void TellRowsFinal(CImNavigator& image, uint32_t top, uint32_t bottom) const {
    if (rowsFinal && bottom > top) rowsFinal(rowsOwner, image, top, bottom);
  }
};

class CRenderContext : public CBaseObject {
 public:
  // The optimizer tag that gives a context a BSP tree of its own; any other gives the flat list.
  static constexpr uint32_t kBSPTreeTag = FourCC("bspT");
  static constexpr uint32_t kMaxGrid = 16;
  static constexpr uint32_t kSampleSlots = kMaxGrid * kMaxGrid;
  static constexpr uint32_t kFirstBlockSize = 16;

  // Where an interrupted render resumes; all zero but the block size when a render starts afresh.
  struct SProgressiveState {
    uint32_t blockSize = kFirstBlockSize;
    uint32_t blockMask = 0;
    uint32_t column = 0;
    uint32_t row = 0;
    uint32_t antialiasColumn = 0;
    uint32_t antialiasRow = 0;
    uint32_t lastDrawnRow = 0;
  };
  struct SRingOffset {
    float x = 0;
    float y = 0;
  };
  // What one pixel's samples draw from: a random sequence seeded by the pixel alone and, in mode 6,
  // the pixel's own sample order. A pixel's samples then never depend on the pixels rendered before
  // it, nor on the thread that renders it.
  struct SPixelSampler {
    SRandomState random;
    uint32_t order[kSampleSlots];
  };

  // The antialias mode and grid as SetAntialias takes them; a pair it refuses leaves the context
  // not ready. parameter is kept as given.
  CRenderContext(uint32_t mode, uint32_t grid, uint32_t parameter, uint32_t optimizerTag);
  ~CRenderContext() override;
  CRenderContext(const CRenderContext&) = delete;
  CRenderContext& operator=(const CRenderContext&) = delete;

  // An optimizer that is valid, a usable shadow cache and light list, and an accepted antialias mode.
  bool IsReady() const;

  // The owner's records, kept by the owner.
  void SetSettings(SRenderSettings* settings) { fSettings = settings; }
  SRenderSettings* GetSettings() const { return fSettings; }
  void SetCamera(CRenderCamera* camera) { fCamera = camera; }
  CRenderCamera* GetCamera() const { return fCamera; }
  void SetSceneTable(C3dBaseSys* table) { fScene = table; }
  C3dBaseSys* GetSceneTable() const { return fScene; }
  void SetTarget(CRenderTarget* target) { fTarget = target; }
  CRenderTarget* GetTarget() const { return fTarget; }
  void SetObserver(const SRenderObserver& observer) { fObserver = observer; }
  const SRenderObserver& GetObserver() const { return fObserver; }

  // Collects the scene table's lights (the table locked by the caller) and empties the shadow cache
  // for them; the render loops call it at the start of every call. False when memory fails.
  bool PrepareLights();
  // The scene's lights in table order; a light's index is its shadow-cache entry.
  uint32_t GetLightCount() const { return fLights.GetCount(); }
  C3dLight* GetLight(uint32_t index) const { return fLights[index]; }

  // Modes: 0 the pixel corner, 1 its centre, 2 n random points, 3 an n × n grid, 4 six fixed
  // points, 5 the grid jittered, 6 the jittered grid with a ring pattern for spread rays, 7 the
  // 2 × 2 grid. Modes 2, 3, 5 and 6 need n in 1 … 16 (16 otherwise, and nothing changes); other modes
  // keep n as given. The ring pattern and sample order follow every change.
  int32_t SetAntialias(uint32_t mode, uint32_t grid);
  uint32_t GetMode() const { return fMode; }
  uint32_t GetGrid() const { return fGrid; }
  uint32_t GetParameter() const { return fParameter; }
  uint32_t GetSampleCount() const;
  // The offset of sample i within the unit pixel, x to the right and y down; false, with nothing
  // written, when the mode has no sample i. In mode 6 sample 0 draws a fresh sample order and every
  // sample writes its entry of it to orderEntry, which other modes leave alone.
  bool GetSampleOffset(double& x, double& y, int32_t& orderEntry, uint32_t i);
  // The render loops' form: BeginPixel seeds the sampler for pixel (x, y) and draws its sample order;
  // the offsets of its samples then come from it alone.
  void BeginPixel(SPixelSampler& sampler, int32_t x, int32_t y) const;
  bool GetSampleOffset(SPixelSampler& sampler, double& x, double& y, int32_t& orderEntry, uint32_t i) const;
  // The ring offset that a spread ray of the order entry takes; (0, 0) outside the pattern.
  SRingOffset GetRingOffset(int32_t orderEntry) const;

  // The optimizer in use: the context's own, or one an owner lends for a render (null gives the
  // own one back). The context deletes only its own.
  CAbstractOptimizer* GetOptimizer() const { return fOptimizer; }
  void UseOptimizer(CAbstractOptimizer* optimizer);
  uint32_t GetOptimizerTag() const { return fOptimizerTag; }
  COptimizerHolder& GetHolder() { return fHolder; }

  // Feeds every object of the scene table into the optimizer; false when the table cannot be
  // locked or the optimizer refuses a step. A tree that only renders leaves the cameras out: no render
  // ray meets one, and the window's view cameras, hundreds of units off, would stretch the tree's box
  // so far that its levels never part the scene's things (every ray then tests them all).
  bool PrepareOptimizer(bool withCameras = true);
  // The nearest hit of the ray, recorded in it; true when there is one.
  bool Intersect(CRay& ray);
  // The world box around every object's bounds and, when asked, the box around their corners in
  // camera space (by the view transform). Both start from zero, so the origin is always inside.
  bool SetupView(bool withCameraBounds);
  const C3dBox& GetWorldBounds() const { return fWorldBounds; }
  const C3dBox& GetCameraBounds() const { return fCameraBounds; }
  // World into camera space; the owner sets it before SetupView.
  void SetViewTransform(const C34Matrix& transform) { fViewTransform = transform; }
  const C34Matrix& GetViewTransform() const { return fViewTransform; }

  // The next render starts from the coarsest pass; owners call it when the scene, view or image
  // changes.
  void ResetProgressive() { fProgressive = SProgressiveState(); }
  SProgressiveState& GetProgressive() { return fProgressive; }

  // The document's antialias and optimizer choices (0, 1 or 2 each), which a render maps to the
  // antialias mode and grid and to the tree's limits.
  uint32_t GetAntialiasChoice() const { return fAntialiasChoice; }
  void SetAntialiasChoice(uint32_t choice) { fAntialiasChoice = choice; }
  uint32_t GetOptimizerChoice() const { return fOptimizerChoice; }
  void SetOptimizerChoice(uint32_t choice) { fOptimizerChoice = choice; }

  CRenderStats& GetStats() { return fStats; }
  // The ray scratch of the rays the calling thread traces (one thread renders, or a single ray).
  CRayScratch& GetScratch() { return fScratch; }

 private:
  static bool NeedsGrid(uint32_t mode) { return mode == 2 || mode == 3 || mode == 5 || mode == 6; }
  // Both only in mode 6, for grids of 1 … 16.
  void BuildRingPattern();
  void ShuffleSamples(SPixelSampler& sampler) const;
  C3dObject* ObjectAt(uint32_t row) const;

  SRenderSettings* fSettings = nullptr;
  CRenderCamera* fCamera = nullptr;
  C3dBaseSys* fScene = nullptr;
  CRenderTarget* fTarget = nullptr;
  SRenderObserver fObserver;
  CDynTable<C3dLight*> fLights;
  CRenderStats fStats;
  bool fAntialiasAccepted = false;
  uint32_t fMode = 1;
  uint32_t fGrid = 1;
  uint32_t fParameter = 0;
  SProgressiveState fProgressive;
  uint32_t fAntialiasChoice = 0;
  uint32_t fOptimizerChoice = 0;
  uint32_t fOptimizerTag = 0;
  CAbstractOptimizer* fOwnOptimizer = nullptr;
  CAbstractOptimizer* fOptimizer = nullptr;
  C3dBox fWorldBounds;
  C3dBox fCameraBounds;
  C34Matrix fViewTransform;
  COptimizerHolder fHolder;
  CRayScratch fScratch;
  SRingOffset fRingOffsets[kSampleSlots];
  // The sampler of the one-argument GetSampleOffset, drawing from the process-wide generator.
  SPixelSampler fSampler;
};
