// NURB curves and patches sampled at fixed parameter steps with a rational B-spline evaluator: a curve
// becomes 39 segments over 40 points, a patch 722 triangles over a grid of 20 × 20 points. Control
// points are homogeneous (x, y, z already multiplied by w).
#pragma once

#include <cstdint>
#include <vector>

#include "plugins/3dmf/vendrix_geometry.h"

// The span of t among n control points of order k, kept within k - 1 .. n - 1 so that nothing past
// the knots or the points is read, whatever order the knots come in. Needs k <= n.
int32_t FindKnotSpan(double t, const std::vector<double>& knots, int32_t n, int32_t k);
// The k basis values that are not zero at t, for the span, by the de Boor recursion (k² / 2 steps);
// a term over an empty knot interval is 0.
void BasisFunctions(double t, int32_t span, const std::vector<double>& knots, int32_t k, std::vector<double>& basis);

// Nothing is sent for an object with a point whose summed weight is 0 or not finite, or whose order
// exceeds its points or 32; the converters still answer kConverted then.
int32_t ConvertNurbCurve(SConversion& conversion, const MetafileObject& curve);
int32_t ConvertNurbPatch(SConversion& conversion, const MetafileObject& patch);
