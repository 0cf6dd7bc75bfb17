// The sky & fog palette's controls under the pointer: the element callbacks that its build installs.
// The drags track the pointer themselves while the button is held, show the control's picture for
// the value and the running value in the help lines, and tell the palette when the gesture ends; the
// palette applies the change.
#pragma once

#include <cstdint>

#include "editing/sky_services.h"
#include "framework/ui/element_callbacks.h"
#include "framework/ui/layout_need.h"

struct SSkyFogSwatchPresses;

// The table of the swatches' press callbacks, or none.
const SSkyFogSwatchPresses* GetSkyFogSwatchPresses();

namespace sky_fog_controls {

// What the controls and the palette share: the kind of a control's change, the sky dots' user word
// and pictures, and the message that opens the numeric dialog.
inline constexpr uint32_t kChanging = 2;
inline constexpr uint32_t kDotNumberWord = 0;
inline constexpr uint32_t kDotEmpty = 0;
inline constexpr uint32_t kDotHolds = 1;
inline constexpr uint32_t kDotSelected = 2;
inline constexpr const char* kEditSkyFogMessage = "edit sky&fog";

// The four single-value strips and the edit state's field of each.
struct SValueStrip {
  const SLayoutNeed* need;
  int32_t CSkyParams::*field;
};
extern const SValueStrip kValueStrips[4];

// Hover callbacks answer 26 while the pointer is over the element, else 0 (the tabs always 0).
// The control under the pointer, its cursor from user word 1.
int32_t OnControlHover(CElement* element, SPointHV point);
// The same, over the ball only.
int32_t OnSunControlHover(CElement* element, SPointHV point);
// The same, with the glow pulsing towards entry 1 once the pointer has rested on it.
int32_t OnPulseButtonHover(CElement* element, SPointHV point);
int32_t OnPlopupHover(CElement* element, SPointHV point);
int32_t OnTabTextHover(CElement* element, SPointHV point);

// Press callbacks answer the message's result, or 0 when the press is not taken.
int32_t OnPlopupPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
int32_t OnTabTextPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// The palette opens the menu at the press.
int32_t OnMenuPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// A strip dragged sideways (1 for an element of another name); the field changes on release.
int32_t OnValueDrag(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// The fog: sideways for the intensity, up for the height.
int32_t OnFogDrag(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// A press steps to the next sky mode, a drag moves through them; the bottom 8 rows take no press.
int32_t OnSkyModePress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// A double click opens the numeric dialog; any other press starts the control's drag.
int32_t OnProfilePress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// Switches between sun and moon when released over the element.
int32_t OnSunMoonPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// Stores, recalls or (Alt) empties a sky dot; dot 0 resets and refuses Alt with a beep.
int32_t OnSkyDotPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// The sky mode swatch remembers where it was pressed, then picks as the eyedropper does.
int32_t OnSkyModeSwatchPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// The sun ball over the palette's own background.
int32_t OnSunControlDraw(CElement* element, uint32_t pass, CImage* port);

}  // namespace sky_fog_controls
