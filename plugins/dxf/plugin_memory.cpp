#include "plugins/dxf/plugin_memory.h"

#include <cstdlib>
#include <cstring>

#include "plugins/dxf/dxf_state.h"

namespace {

uint64_t gAllocationCalls = 0;
uint64_t gFailingAllocation = 0;
size_t gLargestAllocation = 0;

// The block's size sits in front of it; the header keeps the block aligned for doubles.
struct alignas(std::max_align_t) SCountedHeader {
  size_t bytes;
};

constexpr int64_t kReleaseStep = 100;

}  // namespace

void* PluginAllocate(size_t bytes) {
  if (++gAllocationCalls == gFailingAllocation) return nullptr;
  if (bytes > gLargestAllocation) gLargestAllocation = bytes;
  return std::malloc(bytes ? bytes : 1);
}

void PluginRelease(void* block) { std::free(block); }

void SetAllocationFailure(uint64_t n) {
  gAllocationCalls = 0;
  gLargestAllocation = 0;
  gFailingAllocation = n;
}

uint64_t AllocationCalls() { return gAllocationCalls; }

size_t LargestAllocation() { return gLargestAllocation; }

void* CountedAlloc(size_t bytes) {
  if (bytes > SIZE_MAX - sizeof(SCountedHeader)) return nullptr;
  auto* header = static_cast<SCountedHeader*>(PluginAllocate(sizeof(SCountedHeader) + bytes));
  if (!header) return nullptr;
  std::memset(header + 1, 0, bytes);
  header->bytes = bytes;
  ++gImport.counted.liveBlocks;
  gImport.counted.liveBytes += int64_t(bytes);
  return header + 1;
}

void CountedFree(void* block) {
  if (!block) return;
  SCountedHeader* header = static_cast<SCountedHeader*>(block) - 1;
  SCountedAllocator& counted = gImport.counted;
  --counted.liveBlocks;
  counted.liveBytes -= int64_t(header->bytes);
  PluginRelease(header);
  if (counted.releaseTotal > 0 && counted.liveBlocks % kReleaseStep == 0) {
    const auto clamp = [](int64_t value) { return int32_t(value < INT32_MAX ? value : INT32_MAX); };
    ReportProgress(gImport.texts.cleaning, clamp(counted.releaseTotal - counted.liveBlocks),
                   clamp(counted.releaseTotal));
  }
}

int64_t CountedLiveBlocks() { return gImport.counted.liveBlocks; }
int64_t CountedLiveBytes() { return gImport.counted.liveBytes; }

void StartReleaseProgress() { gImport.counted.releaseTotal = gImport.counted.liveBlocks; }
