#include "platform/alloc.h"

#include <malloc.h>

#include <cstdlib>

namespace platform {

void* ZeroAlloc(size_t size) { return calloc(1, size ? size : 1); }

void FreeAlloc(void* p) { free(p); }

size_t AllocBlockSize(const void* p) { return p ? malloc_usable_size(const_cast<void*>(p)) : 0; }

}  // namespace platform
