// The key of a spool object stored in a resource environment: its type name and either its number or
// its name.
#pragma once

#include <cstdint>

struct SSpoolKey {
  static constexpr uint32_t kTypeNameChars = 15;
  static constexpr uint32_t kNameChars = 31;

  char typeName[kTypeNameChars + 1] = {};
  uint32_t id = 0;
  char name[kNameChars + 1] = {};
  uint8_t byName = 0;
  // Look in the application's own resource environment when the object's environment lacks it.
  uint8_t fallback = 0;
  uint8_t spare[2] = {0, 0};

  // A key by number; a longer type name keeps its first 15 characters.
  void Set(const char* type, uint32_t number, bool useFallback);
};

static_assert(sizeof(SSpoolKey) == 56);
