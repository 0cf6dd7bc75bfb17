#include "platform/global_memory.h"

#include <cstdint>
#include <cstring>

#include "platform/alloc.h"

namespace platform {
namespace {

// The size asked sits in front of the block.
constexpr size_t kHeader = alignof(std::max_align_t);

}  // namespace

GlobalHandle GlobalAlloc(uint32_t, size_t size) {
  if (size > SIZE_MAX - kHeader) return nullptr;
  auto* block = static_cast<uint8_t*>(ZeroAlloc(size + kHeader));
  if (!block) return nullptr;
  std::memcpy(block, &size, sizeof size);
  return block + kHeader;
}

size_t GlobalSize(GlobalHandle block) {
  if (!block) return 0;
  size_t size = 0;
  std::memcpy(&size, static_cast<uint8_t*>(block) - kHeader, sizeof size);
  return size;
}

GlobalHandle GlobalFree(GlobalHandle block) {
  if (block) FreeAlloc(static_cast<uint8_t*>(block) - kHeader);
  return nullptr;
}

}  // namespace platform
