// The page set-up dialog (resource 127): the three print settings, built in memory in dialog units of
// its font.
#pragma once

#include <cstdint>

#include "platform/dialog_template.h"

enum : int32_t {
  kDefaultDpiButton = 1000,
  kCustomDpiButton = 1001,
  kDpiField = 1002,
  kDpiGroup = 1003,
  kCentreBox = 1004,
  kCopiesField = 1005,
};

platform::DialogTemplate PageSetupDialogTemplate();
