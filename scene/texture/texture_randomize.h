// Random textures for the editors' "randomize" and "shuffle" commands. Every field is drawn from the
// program's random generator within ranges that always make a valid texture, so the same generator
// state gives the same texture. Run PrepareEvaluation afterwards.
#pragma once

#include "scene/texture/texture_data.h"

// Draws the recipe of one component: kinds, filter, noise code, angles, frequencies, phase and colour
// output. Its gradient flag and compiled blocks are left to the preparation.
void RandomizeTextureComponent(STextureComponent& component);

// Draws the components in use (keeping the count), the two operations and, unless the components
// give colour and a draw decides against it, a global colour gradient.
void Randomize(STextureData& data);
