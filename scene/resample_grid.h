// Bilinear resampling of a square grid of 16-bit heights into another of a different side, shared by
// the height field's change of resolution and the terrain editor's grid routines.
#pragma once

#include <cstdint>

// One height sample.
using CHFUnit = uint16_t;

// Fills the dstN × dstN grid from the srcN × srcN grid (row-major, not overlapping): each target
// sample takes the bilinear blend of the four source samples around its position i (srcN − 1) /
// (dstN − 1), the row or column past the last being the last, truncated. A target of side 1 takes the
// first source sample; an empty source or target writes nothing.
void ResampleGridBilinear(const CHFUnit* src, CHFUnit* dst, uint32_t srcN, uint32_t dstN);
