// The noise kinds of the procedural texture engine: 26 patterns drawn from the lattice of value noise,
// picked by the 6-bit noise number of a component code.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"

// A noise kind: the pattern's value at p, a number in [0, 1]. d = 0 reads x, 1 reads x and y, 2
// reads x, y and z. A dimension outside 0..2 gives 0 (kinds 3 and 13 take every d above 0 as the
// plane), and so does a coordinate it reads that is not finite.
using NoiseFunction = double (*)(const vector3<double>& p, int32_t d);

// Null for 0; the value noise for 6 and 26; the linear value noise for 5 and every number outside
// 1..26.
NoiseFunction GetNoiseFunction(int32_t n);

// The tables are constants; this clears the surface context, as the editors expect when they open.
void InitNoiseTables();

// Kind 9: four rotated octaves of value noise. The colour maps and combining operation 14 call it.
double FractalValueNoise(const vector3<double>& p, int32_t d);

// Kind 10: value noise at two rotated and warped copies of p. The swirl blend turns by it.
double WarpedValueNoise(const vector3<double>& p, int32_t d);

// Moves u, then v, by the raw two-dimensional lattice noise (frequency 1.2, amplitude 3).
void PlaneWarp(double& u, double& v);
