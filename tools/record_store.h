// Pictures and outline fonts into a resource environment through the program's own record handlers,
// as the resource tools and the tests' fixtures store them.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/resource_env.h"
#include "tools/font_builder.h"

// A 32-bit picture (pixels 0xAARRGGBB, rows from the top) stored through the program's image record,
// its origin as given (a cursor's hot spot); 0 or the code.
int32_t StorePicture(CResourceEnv& env, const SSpoolKey& key, uint32_t width, uint32_t height,
                     const std::vector<uint32_t>& pixels, int32_t originH = 0, int32_t originV = 0);
// An outline font written through the font's own record handler, which stores its record and turns
// its data block big-endian; 0 or the code. The fields are written as given, checked by readers.
int32_t StoreOutlineFont(CResourceEnv& env, const SSpoolKey& key, const SOutlineFontSource& font);
