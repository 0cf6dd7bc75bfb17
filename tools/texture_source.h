// The .qntx source kind: a procedural 3D texture's recipe written field by field, stored as a
// "C3dTexture" record through the texture's own record handler, as a document stores one.
//
//   # "#" starts a comment; one field a line, each at most once in its block; numbers in C syntax
//   count N                          # components in use, 1 to 3
//   output KINDS                     # what the texture delivers
//   operations A B                   # between components 1 and 2, then the result and component 3
//   phase CODE AMOUNT XY YZ FX FY FZ # the global warp
//   filter KIND COUNT A B            # A and B fractions
//   colour MAP FORMAT C0 C1 C2       # the colour map; colours 0xRRGGBB
//   component N {                    # N from 1 to count; fields not given stay 0
//       kinds KINDS
//       gradient FLAG
//       noise CODE                   # d + 4 n + 256 (10 blend + octaves)
//       angles XY YZ                 # whole degrees
//       frequency FX FY FZ
//       phase CODE AMOUNT XY YZ FX FY FZ
//       filter KIND COUNT A B
//       colour MAP FORMAT C0 C1 C2
//   }
// KINDS: any of the words value, colour and bump, or their sum as a number (1, 2, 4).
#pragma once

#include <cstdint>
#include <string>

#include "scene/texture/texture_data.h"

class CResourceEnv;
struct SSpoolKey;

// The recipe of the source; errors read "LINE: reason". Derived fields are left to the texture.
bool CompileTextureSource(const std::string& text, STextureData* data, std::string* error);

// A new texture of the recipe, its name the key's, prepared for evaluation and written into the
// environment under the key: 0 or the failing step's code.
int32_t StoreTextureRecord(CResourceEnv& env, const SSpoolKey& key, const STextureData& recipe);

// For resbuild's manifest: the source compiled and stored, false with "LINE: reason" or the code's
// words.
bool StoreTextureSource(CResourceEnv& env, const SSpoolKey& key, const std::string& text, std::string* error);
