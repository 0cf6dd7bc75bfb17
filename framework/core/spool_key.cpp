#include "framework/core/spool_key.h"

#include <cstring>

#include "framework/core/c_string.h"

void SSpoolKey::Set(const char* type, uint32_t number, bool useFallback) {
  CopyCString(typeName, type, sizeof typeName);
  id = number;
  std::memset(name, 0, sizeof name);
  byName = 0;
  fallback = useFallback ? 1 : 0;
  isNew = 0;
}

void SSpoolKey::SetByName(const char* type, const char* resourceName, bool useFallback) {
  Set(type, 0, useFallback);
  CopyCString(name, resourceName, sizeof name);
  byName = 1;
}
