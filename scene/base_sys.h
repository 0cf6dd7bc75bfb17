// The scene object table.
//
// Placeholder until the scene core's issue: only the registration of the scene classes, which has
// nothing to register yet and answers success.
#pragma once

#include <cstdint>

class C3dBaseSys {
 public:
  static int32_t RegisterAllClasses();
  static int32_t UnregisterAllClasses();
};
