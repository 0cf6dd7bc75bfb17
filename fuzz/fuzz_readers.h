// The readers of stored records, driven as the program drives them: each subscribes a reader object
// to a resource of the environment, reads it and walks what it gives, and lets it go again. The
// harness of each record and the harness of whole resource files share them.
#pragma once

#include <cstdint>

#include "framework/core/resource_env.h"

// 'ixtx', 'ixco', 'ixim' and 'eset' resources of that number, found by name too when one is given.
void ReadTextList(CResourceEnv& env, uint32_t number, const char* name);
void ReadColourList(CResourceEnv& env, uint32_t number, const char* name);
void ReadImageList(CResourceEnv& env, uint32_t number, const char* name);
// The set's elements come from the harnesses' own factories: "makes" builds a plain element,
// "refuses" builds one and fails with 2, "nothing" builds none.
void ReadElementSet(CResourceEnv& env, uint32_t number, const char* name);
// Images and gradients of that number through their record handlers.
void ReadStoredImage(CResourceEnv& env, uint32_t number);
void ReadStoredImage8(CResourceEnv& env, uint32_t number);
void ReadStoredGradient(CResourceEnv& env, uint32_t number);

// The reader of the resource's type, when it has one.
void ReadResourceByType(CResourceEnv& env, const char* typeName, uint32_t number, const char* name);
