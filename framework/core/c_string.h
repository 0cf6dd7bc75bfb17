// Zero-terminated texts.
#pragma once

#include <cstddef>

// Copies source (null counts as empty) with its terminator into a field of `room` bytes, cutting a
// longer text so that the terminator still fits; answers the characters copied. The field is left
// alone when room is 0.
size_t CopyCString(char* destination, const char* source, size_t room);
