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
  // The object is new to the environment: it is saved into its entries, not read from them.
  uint8_t isNew = 0;
  uint8_t spare = 0;

  // A key by number; a longer type name keeps its first 15 characters.
  void Set(const char* type, uint32_t number, bool useFallback);
  // A key by name (number 0); a longer name keeps its first 31 characters.
  void SetByName(const char* type, const char* resourceName, bool useFallback);
};

static_assert(sizeof(SSpoolKey) == 56);
