// The colour picker.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include "framework/ui/element_callbacks.h"
#include "framework/ui/layout_host_canvas.h"

class CColorPicker : public CLayoutHostCanvas {
 public:
  CColorPicker(CUICmFunction* owner, CResourceEnv* environment);
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
