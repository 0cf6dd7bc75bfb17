// The code-fragment system: libraries loaded at run time that supply named entries.
//
// Placeholder until issue 7 builds it: valid, empty, and its search-path list is not read.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"

class CResourceEnv;

class CFragmentSys : public CBaseObject {
 public:
  CFragmentSys() = default;

  bool IsValid() const { return true; }
  int32_t SetTextList(CResourceEnv* environment, const char* listName);
};
