// Whole resources in and out of a resource environment, as the resource tools and the tests' fixtures
// move them: a put followed by one writer, and one reader that copies the data out.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/resource_env.h"
#include "tools/font_builder.h"

// PutResource, then a spool object of the key sized, filled, written and released; 0 or the code.
// With a record handler the bytes are the record in machine order, and the handler writes them in
// their stored form; without one they are written as they are.
int32_t StoreResource(CResourceEnv& env, const SSpoolKey& key, const std::vector<uint8_t>& bytes,
                      SpoolTypeHandler handler = nullptr);
// The stored data of the resource (by name when the key says so); 0 or the code.
int32_t LoadResource(CResourceEnv& env, const SSpoolKey& key, std::vector<uint8_t>* bytes);
// The bytes of the resource's data entry as the file holds them, for a resource of any type (a table
// with a stored header too); 0 or the code.
int32_t LoadStoredEntry(CResourceEnv& env, const SSpoolKey& key, std::vector<uint8_t>* bytes);
// A 32-bit picture (pixels 0xAARRGGBB, rows from the top) stored through the program's image record,
// its origin as given (a cursor's hot spot); 0 or the code.
int32_t StorePicture(CResourceEnv& env, const SSpoolKey& key, uint32_t width, uint32_t height,
                     const std::vector<uint32_t>& pixels, int32_t originH = 0, int32_t originV = 0);
// An outline font written through the font's own record handler, which stores its record and turns
// its data block big-endian; 0 or the code. The fields are written as given, checked by readers.
int32_t StoreOutlineFont(CResourceEnv& env, const SSpoolKey& key, const SOutlineFontSource& font);
