#include "scene/object_family.h"

#include "scene/object.h"

namespace {

constexpr uint32_t kDefaultColours[kFamilyCount] = {
    0x555555, 0x1ffdf4, 0xd91fff, 0xfcef07, 0xfcfcfc, 0xdca2d0, 0xa7aade, 0x9cdacf, 0xcad084,
    0xd5bb90, 0xa63da1, 0x4647b5, 0x3ea795, 0x5fb94a, 0xa7733e, 0xfe1779, 0x000bf4, 0x004f86,
    0x4cff27, 0xfc8807, 0x7e0039, 0x000866, 0x006653, 0x361500, 0x361500,
};

FamilyColourLookup gLookup = nullptr;

uint32_t Known(int32_t family) { return family >= 0 && uint32_t(family) < kFamilyCount ? uint32_t(family) : 0; }

}  // namespace

void SetFamilyColourLookup(FamilyColourLookup lookup) { gLookup = lookup; }

uint32_t FamilyColour(int32_t family) {
  const uint32_t index = Known(family);
  return gLookup ? gLookup(index) : kDefaultColours[index];
}

void SetObjectFamily(C3dObject& object, int32_t family) {
  object.SetCreationWord(0, Known(family));
  object.SetCreationWord(1, FamilyColour(family));
}
