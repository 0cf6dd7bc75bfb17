// The printer: the page set-up dialog of the three print settings, and printing one image of the
// document window through the platform's print dialog. A printer is made for the length of one
// command; the settings it edits last for the program's run.
//
// Placeholder, printing not built yet: the set-up dialog is not shown and answers 0; PrintImage
// records what it was given and answers 27.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/base_object.h"

class CImage;

struct SPrintSettings {
  uint32_t copies = 1;  // at least 1
  uint32_t resolution = 72;  // dots per inch, at least 72
  bool centre = true;
};

// What the last PrintImage call was given.
struct SPrintRequest {
  const CImage* image = nullptr;
  uint32_t copies = 0;
  std::string title;
  uint32_t resolution = 0;
  bool centre = false;
};

class CPrinter : public CBaseObject {
 public:
  static SPrintSettings& Settings();
  static const SPrintRequest& LastRequest();

  // The page set-up: 0 once it closed, 26 when it cannot be shown.
  int32_t RunSettingsDialog();
  // 0; 24 when the user cancels the print dialog; 9 when a device context, memory or a page or
  // document call fails.
  int32_t PrintImage(CImage* image, uint32_t copies, const char* title, uint32_t resolution, bool centre);
};
