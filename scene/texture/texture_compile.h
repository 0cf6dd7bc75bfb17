// Compiling a texture's recipe into the blocks and modes that the evaluator runs from.
//
// A component code packs d + 4·n + 256·(10·blend + octaves): bits 0-1 the dimension, bits 2-7 the
// noise number, and from bit 8 (arithmetic shift) the blend kind and the octave count.
#pragma once

#include <cstdint>

#include "scene/texture/texture_data.h"

void DecodeTextureComponent(int32_t code, SCompiledNoise& compiled);
// The matrix turning a point into the noise's space: rotated by the two angles (degrees) and scaled
// by the three frequencies; every entry then times scale.
void SetNoiseMatrix(SCompiledNoise& compiled, double angleXY, double angleYZ, const int32_t frequency[3], double scale);

// The component's noise block from its code, angles and frequencies; the gradient flag becomes its
// bump flag.
void CompileNoiseSpec(STextureComponent& component);
// The component's phase block: the angle XY turned by 90 degrees, every entry ÷360.
void CompilePhaseSpec(STextureComponent& component);
// The global phase block: as a component's phase, without the division.
void CompileGlobalPhase(const SPhaseSpec& phase, SCompiledNoise& compiled);

// How the evaluator combines a running result of kinds a with a next component of kinds b by the
// operation: the colour, bump and value modes. Answers the kinds of the combination, a OR b.
int32_t CombineComponentKinds(int32_t a, int32_t b, int32_t& colourMode, int32_t& bumpMode, int32_t& valueMode,
                              int32_t operation);

// Rebuilds every derived field of the data (the compiled blocks of all three components and of the
// global phase, the modes, produced kinds, conversion, gradient flags and point transform). Run it
// after any change and before evaluating. Without keepGradientFlags each component's gradient flag
// follows its colour map (kinds 6 and up need it).
void PrepareEvaluation(STextureData& data, bool keepGradientFlags);
