// Steps that the conversions of earlier-version documents share: making things in the application's
// objects environment, naming them, taking back what a failed conversion made, and the stored units.
#pragma once

#include <cstdint>

#include "document/old_records.h"
#include "framework/core/vector3.h"
#include "scene/factory.h"

class C3dBase;
class C3dBaseSys;
class CSpoolSys;

namespace old_format {

CSpoolSys* ThingEnvironment();

// A new thing of class T, entered in the table when one is given: 0, 9, 13 or the table's code.
template <typename T>
int32_t NewThing(T** out, C3dBaseSys* table) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<T>(ThingEnvironment(), key, spec);
  return NewObject(out, table, key, spec);
}

// The thing's record name; the thing's code when it cannot be locked.
int32_t NameThing(C3dBase* thing, const char* text, uint32_t length);
int32_t NameThing(C3dBase* thing, const SName& name);
int32_t NameThing(C3dBase* thing, const char* text);

// Out of the table (when it is in one) and deleted.
void DiscardThing(C3dBase* thing);

// 0x00RRGGBB as three channels of 0 to 1.
vector3<float> ColourOf(uint32_t colour);

// Scaled to length 1 with the fast reciprocal square root; (0, 0, 0) for a vector too short or too
// long to scale.
vector3<double> Normalised(const vector3<double>& v);

// A texture record of the file, in machine order for the texture import.
struct STextureRecord {
  uint8_t bytes[kTextureBytes];
};
STextureRecord TextureRecordAt(const uint8_t* stored);

}  // namespace old_format
