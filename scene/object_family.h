// The 25 object families: every placed object carries its family number and a copy of that family's
// colour in its two creation words. The family table, with the families' names, belongs to the
// interface, which edits it; the code below the interface that gives objects a family reads the
// colours through a lookup that the interface installs. Until one is installed, each family has its
// default colour.
#pragma once

#include <cstdint>

class C3dObject;

constexpr uint32_t kFamilyCount = 25;

// The colour (0x00RRGGBB) of a family index in 0..24.
using FamilyColourLookup = uint32_t (*)(uint32_t family);
// Null goes back to the default colours.
void SetFamilyColourLookup(FamilyColourLookup lookup);

// The family's colour; an index outside 0..24 is family 0.
uint32_t FamilyColour(int32_t family);
// The family number and its colour into the object's creation words; an index outside 0..24 gives
// family 0.
void SetObjectFamily(C3dObject& object, int32_t family);
