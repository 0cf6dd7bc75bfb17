// The sky and fog edit state against the scene: the conversions in both directions between the
// editors' integers and colours and the sky's and sun light's fields, the sun light control's point,
// the random settings and the picture a strip shows for a value.
#pragma once

#include <cstdint>

#include "editing/sky_services.h"
#include "framework/core/random.h"
#include "framework/core/vector3.h"
#include "scene/sky.h"

// The sun light's fields that the edit state covers.
struct SSunFields {
  vector3<float> colour;        // the light's colour
  vector3<float> sunColour;     // the disc
  vector3<float> secondColour;  // the glow, which mode 'cust' keeps as its first band
  vector3<double> direction;
};

// The sky's mode codes in the order of the "sky mode" pictures and of the random draw.
inline constexpr uint32_t kSkyModes[4] = {FourCC("soft"), FourCC("dark"), FourCC("cust"), FourCC("aoff")};
// The index of a mode in kSkyModes; 0 for an unknown code.
uint32_t SkyModeIndex(uint32_t mode);

// A scene colour channel (0 to 1) as a byte and back.
uint8_t ColourByte(float channel);
CImVector PackColour(const vector3<float>& colour);
vector3<float> UnpackColour(CImVector colour);

// Scene to edit state: the cloud layers, the sky mode (kept when the flags name none), the integers
// (the fog and haze only while the sky has its atmosphere bit, else 0), the colours, the sun's
// direction, side and colours. The point of the sun control is left as it is. *sunLinked takes the
// sky's camera bit.
void ReadSkyParams(const SSkySettings& sky, const SSunFields& sun, CSkyParams* params, bool* sunLinked);

// Edit state to scene: the flag word (0x100, 0x400 and 0x800 kept from the sky), the eight values and
// the colours. The cloud B light colour is not edited and stays as it is.
void WriteSkyParams(const CSkyParams& params, bool sunLinked, SSkySettings* sky);
// The direction normalised and put on the side of the horizon isSun asks for (a moon on the horizon
// gets -0), a zero direction keeping the sun's own; then the colours.
void WriteSunParams(const CSkyParams& params, SSunFields* sun);

// The sun light control's point from a direction (toPoint; always true), or a direction from the
// point, which is first pulled back into the circle of radius 100 (then true) and clamped.
bool MapSunControlPoint(int32_t* pointX, int32_t* pointY, vector3<double>* direction, bool toPoint);

// The "randomize button": the edit state with every setting drawn from the generator, the control
// point kept.
CSkyParams RandomSkyParams(CSkyParams params, SRandomState& random);

// The picture of a strip of count pictures for a value of 0 to 100.
int32_t StripPicture(int32_t value, int32_t count);
// The picture of the fog strip: a column per intensity step, a row of six per height step.
int32_t FogPicture(int32_t intensity, int32_t height, int32_t count);
