// The printer: the page set-up dialog of the three print settings, and printing one image of the
// document window through the platform's print dialog, scaled by the chosen resolution, fitted to the
// page and printed once per copy. A printer is made for the length of one command; the settings it
// edits last for the program's run.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"

class CImage;

struct SPrintSettings {
  uint32_t copies = 1;  // at least 1
  uint32_t resolution = 72;  // dots per inch, at least 72
  bool centre = true;
};

// Where the image lands on the page, in printer pixels.
struct SPrintPlacement {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

class CPrinter : public CBaseObject {
 public:
  static SPrintSettings& Settings();

  // The page set-up: 0 once it closed, 26 when it cannot be shown.
  int32_t RunSettingsDialog();
  // 0; 24 when the user cancels the print dialog (nothing shown); 9 when there is no printer, no
  // memory, or a page or document call fails. The copies the user chose become the current ones.
  int32_t PrintImage(CImage* image, uint32_t copies, const char* title, uint32_t resolution, bool centre);

  // The image at the resolution on the printer, shrunk to fit the page with its proportions kept,
  // centred or at the top left corner; no side below 1 pixel. The page and resolutions are above 0.
  static SPrintPlacement PlaceOnPage(uint32_t imageWidth, uint32_t imageHeight, uint32_t resolution, int32_t dpiX,
                                     int32_t dpiY, int32_t pageWidth, int32_t pageHeight, bool centre);
};
