// Every allocation of the plug-in goes through here: the counted allocator of the parse, the list of
// meshes and the triangulator's arrays. Tests make the n-th allocation fail to show that each failure
// is handled.
#pragma once

#include <cstddef>
#include <cstdint>

// Null when memory runs out; release takes null.
void* PluginAllocate(size_t bytes);
void PluginRelease(void* block);

// Test hooks: from now on, count allocations and make the n-th (from 1) fail; 0 fails none. The
// largest block asked for since then.
void SetAllocationFailure(uint64_t n);
uint64_t AllocationCalls();
size_t LargestAllocation();

// The parse's allocator: zeroed blocks, counted so that the release can report its progress and a
// test can see that nothing stays behind.
void* CountedAlloc(size_t bytes);
void CountedFree(void* block);
int64_t CountedLiveBlocks();
int64_t CountedLiveBytes();
// From now on, CountedFree reports "Cleaning up" each time the live blocks fall to a multiple of 100.
void StartReleaseProgress();
