#include "platform/alloc.h"

#include <malloc.h>

#include <cstdlib>

namespace platform {
namespace {

uint32_t gSuccesses = 0;
uint32_t gFailures = 0;

// Whether a test asked this allocation to fail.
bool FailThisCall() {
  if (gSuccesses > 0) {
    --gSuccesses;
  } else if (gFailures > 0) {
    --gFailures;
    return true;
  }
  return false;
}

}  // namespace

void* ZeroAlloc(size_t size) { return FailThisCall() ? nullptr : calloc(1, size ? size : 1); }

void* Reallocate(void* p, size_t size) { return FailThisCall() ? nullptr : realloc(p, size ? size : 1); }

void FailNextAllocations(uint32_t count) { FailAllocationsAfter(0, count); }

void FailAllocationsAfter(uint32_t successes, uint32_t count) {
  gSuccesses = count ? successes : 0;
  gFailures = count;
}

uint32_t AllocationFailuresToCome() { return gFailures; }

void FreeAlloc(void* p) { free(p); }

size_t AllocBlockSize(const void* p) { return p ? malloc_usable_size(const_cast<void*>(p)) : 0; }

}  // namespace platform
