// The guard a render command keeps on its stack for the length of one render.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"

class C3dEnv : public CBaseObject {
 public:
  uint32_t fState = 1;
};
