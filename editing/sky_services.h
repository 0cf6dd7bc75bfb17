// The sky and fog edit state and what the sky action calls of the sky & fog editors, which come after
// it in the library order. presets/ fills the table at start-up (RegisterPresetServices); the functions
// below pass each call on.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"
#include "framework/image/image.h"

class CSkyFogPalette;

// Every sky and fog setting in the editors' units: the sliders' integers, the point of the sun
// light control, the sun's direction, ten colours (0 in the top byte), the cloud layers and the sky
// mode ('soft', 'dark', 'cust', 'aoff'). Always copied whole.
struct CSkyParams {
  int32_t shadowIntensity = 0;  // 0 to 100
  int32_t fogHeight = 0;        // 0 to 100
  int32_t fogIntensity = 0;     // 0 to 100
  int32_t hazeIntensity = 0;    // 0 to 100
  int32_t cloudHeight = 0;      // 0 to 100
  int32_t cloudCover = 0;       // 0 to 100
  int32_t cloudScale = 0;       // 0 to 200
  int32_t cloudAmplitude = 0;   // -500 to 500
  int32_t sunPointX = 0;        // -100 to 100
  int32_t sunPointY = 0;        // -100 to 100
  uint8_t isSun = 0;            // 0: the moon
  vector3<double> sunDirection;
  CImVector customColor1;
  CImVector customColor2;
  CImVector customColor3;
  CImVector flatSkyColor;
  CImVector shadowColor;
  CImVector fogColor;
  CImVector hazeColor;
  CImVector cloudHeightColor;
  CImVector cloudCoverColor;
  CImVector sunColor;
  uint8_t stratusOn = 0;
  uint8_t cumulusOn = 0;
  uint32_t skyMode = 0;

  CSkyParams& Assign(const CSkyParams& other) { return *this = other; }
};

struct SSkyEditors {
  CSkyParams (*getEditState)();
  void (*storeEditState)(CSkyParams params);
  void (*updateAndRedraw)(CSkyFogPalette* palette);
};

// The registration stays until replaced; null takes it back. The table is the caller's and must
// outlive the registration.
void SetSkyEditors(const SSkyEditors* editors);
const SSkyEditors* GetSkyEditors();

// The program's one edit state, which the palette, the numeric dialog and the sky action share; every
// field zero without a registration.
CSkyParams GetSkyEditState();
// CEditSkyFog::StoreEditState: the record becomes the edit state. Nothing without a registration.
void StoreSkyEditState(CSkyParams params);
// CSkyFogPalette::UpdateAndRedraw without commit: the palette applies the edit state to the scene
// and shows it. Nothing without a palette or a registration.
void UpdateAndRedrawSkyFog(CSkyFogPalette* palette);
