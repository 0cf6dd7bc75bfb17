#include "render/render_workers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "render/ray_trace.h"

namespace {

// How often the calling thread wakes to tend the render while workers run.
constexpr std::chrono::milliseconds kTendInterval{10};

}  // namespace

uint32_t RenderThreadCount() {
  if (const char* text = std::getenv("QUARN2_THREADS"); text && *text) {
    char* end = nullptr;
    const long count = std::strtol(text, &end, 10);
    if (end && *end == 0 && count >= 1) return uint32_t(std::min<long>(count, 1024));
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

CRenderWorker::CRenderWorker(CRenderContext& context)
    : fContext(context), fStats(&context.GetStats()), fHolder(&context.GetHolder()), fScratch(&context.GetScratch()) {}

CRenderWorker::CRenderWorker(CRenderContext& context, bool own) : CRenderWorker(context) {
  if (!own) return;
  fOwnHolder.reset(new COptimizerHolder(0, 0));
  fOwnScratch = std::make_unique<CRayScratch>();
  fStats = &fOwnStats;
  fHolder = fOwnHolder.get();
  fScratch = fOwnScratch.get();
}

bool CRenderWorker::Prepare() {
  if (!fHolder) return false;
  // The context's own cache is built for the lights already.
  if (fOwnHolder && !fOwnHolder->Build(0, fContext.GetLightCount())) return false;
  return fHolder->IsValid() && fHolder->Grow(kChildDepthLimit);
}

CRenderCrew::CRenderCrew(CRenderContext& context, uint32_t threads) : fContext(context) {
  const uint32_t count = threads ? threads : RenderThreadCount();
  // With several threads every worker counts apart: counters written on every object test must not
  // share a cache line with the context's fields that every thread reads.
  for (uint32_t i = 0; i < count; ++i) fWorkers.push_back(std::make_unique<CRenderWorker>(context, count > 1));
}

CRenderCrew::~CRenderCrew() {
  for (const auto& worker : fWorkers) {
    if (worker->IsOwn()) fContext.GetStats().Add(worker->Stats());
  }
}

bool CRenderCrew::Prepare() {
  for (const auto& worker : fWorkers) {
    if (!worker->Prepare()) return false;
  }
  return true;
}

uint32_t CRenderCrew::Run(uint32_t count, const std::function<void(CRenderWorker&, uint32_t)>& work,
                          const std::function<bool(uint32_t)>& tend) {
  if (fWorkers.size() == 1 || count <= 1) {
    for (uint32_t i = 0; i < count; ++i) {
      work(CallingWorker(), i);
      if (tend(i + 1)) return i + 1;
    }
    return count;
  }
  std::atomic<uint32_t> next{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<uint8_t> done(count, 0);
  uint32_t running = 0;
  const auto loop = [&](CRenderWorker& worker) {
    while (!stop.load(std::memory_order_relaxed)) {
      const uint32_t item = next.fetch_add(1);
      if (item >= count) break;
      work(worker, item);
      // The calling thread learns of finished items when it next wakes: waking it for each one would
      // take a core from the workers as often.
      std::lock_guard<std::mutex> guard(mutex);
      done[item] = 1;
    }
    {
      std::lock_guard<std::mutex> guard(mutex);
      --running;
    }
    changed.notify_one();
  };
  std::vector<std::thread> threads;
  threads.reserve(fWorkers.size());
  for (const auto& worker : fWorkers) {
    {
      std::lock_guard<std::mutex> guard(mutex);
      ++running;
    }
    try {
      threads.emplace_back(loop, std::ref(*worker));
    } catch (const std::system_error&) {
      // Fewer threads than asked for still finish every item.
      std::lock_guard<std::mutex> guard(mutex);
      --running;
      break;
    }
  }
  if (threads.empty()) {
    for (uint32_t i = 0; i < count; ++i) {
      work(CallingWorker(), i);
      if (tend(i + 1)) return i + 1;
    }
    return count;
  }
  uint32_t prefix = 0;
  bool stopping = false;
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    changed.wait_for(lock, kTendInterval, [&] { return running == 0; });
    while (prefix < count && done[prefix]) ++prefix;
    if (running == 0) break;
    if (stopping) continue;
    const uint32_t seen = prefix;
    lock.unlock();
    if (tend(seen)) {
      stopping = true;
      stop = true;
    }
    lock.lock();
  }
  lock.unlock();
  for (std::thread& thread : threads) thread.join();
  if (!stopping) tend(prefix);
  return prefix;
}
