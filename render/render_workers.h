// The threads of a render. The loops cut their work into items (rows, bands of blocks) and a crew of
// workers, one per core unless QUARN2_THREADS says otherwise, takes them in order. Everything a ray
// tree writes is its worker's own: statistics, shadow cache, the random source of the pixel it is on.
// The calling thread never traces while workers run: it waits for items to complete and in between
// draws, reports progress and checks for the user's stop, so that workers never call into the
// interface. With one thread the items run on the calling thread itself, in order, with the same
// duties between them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/core/vector3.h"
#include "render/optimizer_holder.h"
#include "render/render_context.h"
#include "scene/ray_scratch.h"
#include "scene/render_stats.h"

// QUARN2_THREADS when it holds a number from 1 up, else the machine's cores (at least 1).
uint32_t RenderThreadCount();

// One thread's share of a render. A crew of one thread counts into the context's statistics and uses
// its shadow cache and ray scratch; the workers of a larger crew have their own, their counts added to
// the context's when the crew ends. Workers write their counters on every object test, so no two
// share a cache line.
class alignas(64) CRenderWorker {
 public:
  explicit CRenderWorker(CRenderContext& context);
  CRenderWorker(CRenderContext& context, bool own);
  CRenderWorker(const CRenderWorker&) = delete;
  CRenderWorker& operator=(const CRenderWorker&) = delete;

  // The shadow cache built for the context's lights; false when memory fails.
  bool Prepare();
  CRenderContext& Context() const { return fContext; }
  CRenderStats& Stats() { return *fStats; }
  COptimizerHolder& Holder() { return *fHolder; }
  CRayScratch& Scratch() { return *fScratch; }
  CRenderContext::SPixelSampler& Sampler() { return fSampler; }
  bool IsOwn() const { return fOwnHolder != nullptr; }

 private:
  CRenderContext& fContext;
  CRenderStats fOwnStats;
  std::unique_ptr<COptimizerHolder> fOwnHolder;
  std::unique_ptr<CRayScratch> fOwnScratch;
  CRenderStats* fStats;
  COptimizerHolder* fHolder;
  CRayScratch* fScratch;
  CRenderContext::SPixelSampler fSampler{};
};

class CRenderCrew {
 public:
  // threads 0 takes RenderThreadCount().
  explicit CRenderCrew(CRenderContext& context, uint32_t threads = 0);
  // Adds the workers' counters to the context's statistics.
  ~CRenderCrew();
  CRenderCrew(const CRenderCrew&) = delete;
  CRenderCrew& operator=(const CRenderCrew&) = delete;

  // Every worker's shadow cache built; false when memory fails.
  bool Prepare();
  uint32_t GetThreadCount() const { return uint32_t(fWorkers.size()); }
  // The worker that runs on the calling thread (the only one with one thread).
  CRenderWorker& CallingWorker() { return *fWorkers.front(); }

  // Runs work(worker, item) for items 0 … count − 1, handed out in order. tend(done) runs on the
  // calling thread every few milliseconds (with one thread, after every item), with the number of
  // items completed from the first without a gap; when it answers true no item starts any
  // more, the running ones finish, and Run answers the items then completed without a gap. All
  // threads have ended when Run returns. Items write only what is theirs; what the calling thread
  // reads while items run (the image it draws) they change under ImageLock().
  uint32_t Run(uint32_t count, const std::function<void(CRenderWorker&, uint32_t)>& work,
               const std::function<bool(uint32_t)>& tend);
  std::mutex& ImageLock() { return fImageLock; }

 private:
  CRenderContext& fContext;
  std::vector<std::unique_ptr<CRenderWorker>> fWorkers;
  std::mutex fImageLock;
};
