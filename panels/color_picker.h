// The colour picker.
//
// Placeholder until the colour picker's issue: built from its layout, it shows empty and closes with
// its buttons. OpenFor records the request it would open for and shows nothing.
#pragma once

#include <cstdint>

#include "framework/ui/geometry.h"
#include "framework/ui/element_callbacks.h"
#include "framework/ui/layout_host_canvas.h"

class CElement;

class CColorPicker : public CLayoutHostCanvas {
 public:
  CColorPicker(CUICmFunction* owner, CResourceEnv* environment);

  // The picker for a colour (0x00RRGGBB) of the requester, whose element the chosen colour comes back
  // from (kind 3, the colour in payload word 0), placed at the screen point: recorded, 0.
  int32_t OpenFor(uint32_t colour, CElement* requester, SPointHV at);

  struct SRequest {
    uint32_t colour = 0;
    CElement* requester = nullptr;
    SPointHV at;
  };
  // The last request and how many came.
  const SRequest& GetLastRequest() const { return fLast; }
  uint32_t GetRequestCount() const { return fRequests; }

 private:
  SRequest fLast;
  uint32_t fRequests = 0;
};

// The press callback of colour swatches: while the button is held it picks the screen colour under
// the pointer and sends the swatch's value messages (kind 2, then kind 3 on release) with the colour
// in the first payload word. Placeholder: it claims the press and sends nothing.
int32_t ColorSwatchEyedropper(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// The press callback of self-drawing swatches: while the button is held it picks the screen colour
// under the pointer into the swatch, which on release sends its value message with the colour in the
// first payload word. Placeholder: at once it sends the swatch's kind-3 message with the colour the
// swatch holds (its user word 0).
int32_t ColorSwatchEyedropperEx(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
