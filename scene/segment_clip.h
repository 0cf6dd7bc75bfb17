// Clipping a segment against a horizontal level before it is drawn: the part above (y ≥ level) or
// below (y ≤ level) stays. Header-only, so that scene objects clip their wireframes without linking
// the renderer.
#pragma once

#include "framework/core/vector3.h"

namespace segment_clip {

// Moves the end on the wrong side onto the level, x and z interpolated along the segment; false when
// both ends lie on the wrong side. keepAbove selects the side that stays.
inline bool ClipToLevel(vector3<double>& a, vector3<double>& b, double level, bool keepAbove) {
  const bool aIn = keepAbove ? a.y >= level : a.y <= level;
  const bool bIn = keepAbove ? b.y >= level : b.y <= level;
  if (!aIn && !bIn) return false;
  if (aIn && bIn) return true;
  vector3<double>& out = aIn ? b : a;
  const vector3<double>& in = aIn ? a : b;
  // in and out lie on opposite sides, so their heights differ.
  const double f = (level - in.y) / (out.y - in.y);
  out = {in.x + (out.x - in.x) * f, level, in.z + (out.z - in.z) * f};
  return true;
}

}  // namespace segment_clip

// Keeps the part of the segment with y ≥ level.
inline bool ClipSegmentAboveLevel(vector3<double>& a, vector3<double>& b, float level) {
  return segment_clip::ClipToLevel(a, b, level, true);
}

// Keeps the part of the segment with y ≤ level.
inline bool ClipSegmentBelowLevel(vector3<double>& a, vector3<double>& b, float level) {
  return segment_clip::ClipToLevel(a, b, level, false);
}
