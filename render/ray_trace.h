// The recursive ray trace: every colour the renderer makes comes from TraceRay on a ray record. The
// context's optimizer finds the nearest hit; a miss takes the sky, a hit its material lit by the
// material's illumination model, with shadow rays towards the lights and child rays for reflection,
// transmission and see-through surfaces, each traced here again. The render modes of the settings
// word (mask, altitude, depth) replace the shading.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"

class C3dObject;
struct CRay;

// Leaves the ray's colour in the record; a shadow ray also its factor, filter and blocker. The ray is
// bound to a context with settings, to its statistics and to its shadow-cache node.
void TraceRay(CRay& ray);

// Reflected and transmitted rays go at most this many levels below the primary ray.
inline constexpr uint32_t kChildDepthLimit = 6;

// out = colour × factor.
void ScaleColour(vector3<float>& out, const vector3<float>& colour, double factor);

// Whether the object's own material is plainly opaque (transparency 0 that no texture drives, neither
// pass-through, transparent nor glass-like), so that a shadow ray stops at any hit on it, whatever the
// hit, as the full shadow step would find.
bool MaterialStopsShadows(C3dObject& object);
