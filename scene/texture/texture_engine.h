// The texture engine's scratch state. Evaluations run on the one render thread and never
// interleave, so the state is process-wide and kept in one place.
#pragma once

#include "framework/core/vector3.h"

struct STextureEngine {
  // The surface context, set by the caller before an evaluation: the hit's altitude, its slope
  // (1 − |n.y|) and facing (clamp(2·n.x, 0, 1)). Filters 8 to 13, operations 10 to 14 and
  // colour maps 8, 13, 14 read it.
  double altitude = 0;
  double slope = 0;
  double facing = 0;
  // Per component: the transformed point and, when its gradient is needed, the point moved by
  // 0.001 along each axis of the texture's space.
  vector3<double> point[3];
  vector3<double> offsetX[3];
  vector3<double> offsetY[3];
  vector3<double> offsetZ[3];
  // Set by the combining operations 8 to 16.
  double mixFactor = 0;
};

STextureEngine& GetTextureEngine();
