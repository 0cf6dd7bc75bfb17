// The process allocator as the pools see it: zero-filled storage and the allocator's own block size.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

void* ZeroAlloc(size_t size);  // null on failure
// Moves p's contents to storage of the new size, in place where the allocator can (a large block is
// remapped rather than copied); what lies past the old contents is not cleared. Null on failure,
// p then untouched.
void* Reallocate(void* p, size_t size);
void FreeAlloc(void* p);
size_t AllocBlockSize(const void* p);  // bytes the allocator reserved for p (at least the size asked)

// Makes the next count calls of ZeroAlloc or Reallocate fail, so tests can reach the paths of a full
// memory.
void FailNextAllocations(uint32_t count);
// The same after the next `successes` calls have been served.
void FailAllocationsAfter(uint32_t successes, uint32_t count);
// How many of the failures asked for are still to come: a test that sweeps the failure through every
// allocation of a step knows it has passed the last one when its failure was never used.
uint32_t AllocationFailuresToCome();

}  // namespace platform
