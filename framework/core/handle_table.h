// Process-wide 32-bit handles for pointers that stored or exchanged records keep in 32-bit words.
// Handles count up from 1 and are never reused; each carries the four-character type tag given at
// registration, and a lookup under another tag answers null.
#pragma once

#include <cstdint>

using Handle32 = uint32_t;
constexpr Handle32 kNoHandle = 0;

// The same pointer registered again under the same tag keeps its handle.
Handle32 RegisterHandle(void* pointer, uint32_t typeTag);
void* LookupHandle(Handle32 handle, uint32_t typeTag);
void ReleaseHandle(Handle32 handle);

template <typename T>
T* LookupHandleAs(Handle32 handle, uint32_t typeTag) {
  return static_cast<T*>(LookupHandle(handle, typeTag));
}
