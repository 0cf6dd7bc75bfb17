// Real roots of polynomials in closed form, for the ray intersections of the round primitives.
#pragma once

// a·x² + b·x + c: 2 roots, smaller first, or 0 (|a| < 1e-10, no real roots, or a double root).
int SolveQuadratic(double a, double b, double c, double roots[2]);
// c[0] + c[1]·x + c[2]·x² + c[3]·x³: 1 to 3 roots in no particular order; 0 when c[3] is 0 or
// too small to divide by.
int SolveCubic(const double c[4], double roots[3]);
// c[0] + ... + c[4]·x⁴: 0 to 4 roots in no particular order; 0 when c[4] is 0 or too small to
// divide by. No other threshold applies to c[4]: intersections of large shapes pass tiny ones.
int SolveQuartic(const double c[5], double roots[4]);
