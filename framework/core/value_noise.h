// Lattice value noise: fixed pseudo-random values at the integer points, interpolated between them.
// The stone generator and the procedural texture engine share the one lattice.
#pragma once

#include <cstdint>

// The lattice's fixed permutation of 0..255.
inline constexpr int32_t kNoisePermutation[256] = {
    144, 241, 81,  34,  126, 79,  8,   254, 164, 57,  130, 85,  96,  11,  52,  248,
    23,  21,  114, 82,  54,  197, 211, 218, 88,  194, 149, 15,  136, 107, 74,  97,
    72,  51,  128, 135, 243, 30,  191, 86,  161, 115, 209, 19,  84,  69,  168, 94,
    39,  53,  12,  22,  200, 193, 169, 205, 123, 180, 213, 65,  0,   24,  3,   207,
    118, 13,  1,   139, 196, 235, 138, 62,  31,  192, 50,  131, 189, 232, 6,   219,
    125, 63,  44,  111, 5,   121, 229, 228, 157, 40,  108, 27,  41,  153, 90,  174,
    46,  28,  163, 18,  109, 152, 255, 132, 78,  148, 16,  253, 61,  2,   64,  183,
    127, 33,  195, 172, 221, 71,  233, 212, 146, 171, 122, 156, 203, 100, 201, 102,
    216, 141, 20,  104, 105, 247, 83,  177, 137, 110, 59,  176, 87,  225, 143, 173,
    167, 9,   188, 226, 98,  242, 103, 250, 29,  48,  68,  187, 95,  91,  55,  145,
    202, 66,  25,  151, 186, 56,  99,  214, 140, 47,  60,  7,   198, 208, 58,  237,
    89,  236, 239, 227, 77,  75,  67,  220, 134, 92,  182, 185, 101, 133, 170, 158,
    179, 184, 106, 10,  76,  17,  70,  14,  150, 38,  43,  222, 199, 162, 223, 32,
    231, 119, 181, 244, 160, 166, 240, 26,  217, 206, 251, 49,  165, 93,  37,  190,
    210, 112, 142, 238, 204, 234, 155, 73,  252, 175, 159, 80,  4,   230, 120, 113,
    35,  154, 36,  42,  246, 215, 129, 224, 117, 45,  147, 245, 116, 249, 124, 178,
};

inline double Smoothstep(double t) { return t * t * (3 - 2 * t); }

// Lattice values 0..255 become results in [0, 1] through this factor rather than a division.
inline constexpr double kLatticeScale = 0.003921568627;

// The lattice's floor: truncation toward zero, one less for a negative value, so that a negative
// whole number such as −2 falls in the cell below with fraction 1.
double LatticeFloor(double v);

// A whole number as a lattice integer in [0, 65536). Every lattice value depends on its integers
// only modulo 65536 (the look-ups take i AND 255 and (i >> 8) AND 255), so the reduction in double
// precision keeps every result and no conversion to 32 bits can overflow. Not finite: 0.
int32_t LatticeIndex(double wholeNumber);

// A coordinate's cell (reduced as LatticeIndex) and its fraction in the cell, 0 to 1.
struct SLatticeCell {
  int32_t index = 0;
  double fraction = 0;
};
SLatticeCell LatticeCell(double v);

// The lattice value 0..255 of the integer i.
int32_t LatticeValue(int32_t i);

// The raw noise 0..255 over d + 1 axes (d = 0, 1, 2), interpolated with the smoothstep or, when
// smooth is false, linearly. Any other d, or a coordinate it reads that is not finite: 0.
double LatticeNoise(double x, double y, double z, int32_t d, bool smooth);

// Smooth lattice noise in [0, 1]; d = 0 reads x, 1 reads x and y, 2 reads all three.
double ValueNoise(double x, double y, double z, int32_t d);
