// The creation key of a scene thing: the layout its spool object is made with ({owner environment,
// 0, 0}), then the family and class tags and the persistent type name.
#pragma once

#include <cstdint>

#include "framework/core/spool_key.h"
#include "framework/core/subscriber.h"

struct SObjectKey : SSpoolLayout {
  uint32_t family = 0;
  uint32_t classTag = 0;
  char typeName[SSpoolKey::kTypeNameChars + 1] = {};

  // A longer type name keeps its first 15 characters.
  void Set(CSpoolSys* owner, uint32_t familyTag, uint32_t classCode, const char* type);
  // The spool key of a new thing of this type: no id yet, no name, no fallback.
  SSpoolKey NewSpoolKey() const;
};
