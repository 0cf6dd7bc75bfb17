// What the import plug-ins do with the host's parameter block: texts written into its fields, cut to
// fit with their terminator, and the path read from its first field.
#pragma once

#include <cstddef>
#include <cstring>

#include "document/plugin_protocol.h"

inline void CopyBlockText(char* to, size_t capacity, const char* text) {
  const size_t length = strnlen(text, capacity - 1);
  std::memcpy(to, text, length);
  to[length] = '\0';
}

// The path, taken whole from its field; null when the field holds no terminator.
inline const char* BlockPath(const QNPluginParams& params) {
  return std::memchr(params.text, '\0', sizeof params.text) ? params.text : nullptr;
}
