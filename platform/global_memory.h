// Global memory blocks: zero-filled, and their size is the size that was asked.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

using GlobalHandle = void*;

enum : uint32_t { kGmemFixed = 0x0000, kGmemZeroInit = 0x0040 };

// Null when the memory cannot be had.
GlobalHandle GlobalAlloc(uint32_t flags, size_t size);
size_t GlobalSize(GlobalHandle block);  // 0 for null
GlobalHandle GlobalFree(GlobalHandle block);  // null on success

}  // namespace platform
