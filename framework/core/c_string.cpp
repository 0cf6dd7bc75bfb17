#include "framework/core/c_string.h"

#include <cstring>

size_t CopyCString(char* destination, const char* source, size_t room) {
  if (room == 0) return 0;
  const size_t length = source ? strnlen(source, room - 1) : 0;
  if (length) std::memcpy(destination, source, length);
  destination[length] = 0;
  return length;
}
