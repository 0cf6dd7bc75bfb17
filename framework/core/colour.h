// RGB against the HLS and HSV colour models, in single precision, every channel in [0, 1].
#pragma once

// Hue in [0, 1] (a red hue can come out as 1 as well as 0); black and greys have hue 0 and
// saturation 0.
void RGBToHLS(float r, float g, float b, float& hue, float& lightness, float& saturation);
// Hue in turns, wrapped into [0, 1); lightness 0 or less gives black.
void HLSToRGB(float hue, float lightness, float saturation, float& r, float& g, float& b);

// Hue in degrees [0, 360], 0 when the saturation is 0.
void RGBToHSV(float r, float g, float b, float& hue, float& saturation, float& value);
// Hue in degrees, wrapped into [0, 360); saturation 0 gives the grey (value, value, value).
void HSVToRGB(float hue, float saturation, float value, float& r, float& g, float& b);
