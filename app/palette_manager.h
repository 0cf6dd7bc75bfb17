// The palette manager: layout files, palettes, menu bar and the command dispatcher.
//
// Placeholder until the shell's issue: the application owns one, and it does nothing yet.
#pragma once

#include "framework/core/base_object.h"

class CPaletteManager : public CBaseObject {
 public:
  CPaletteManager() = default;
};
