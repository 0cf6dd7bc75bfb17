// A loaded plug-in with its library, entry and format items.
//
// Placeholder until the plug-in host's issue: no plug-in is ever loaded, so there is no format table.
#pragma once

#include <cstddef>
#include <cstdint>

class CQNPlugin {
 public:
  // Copies the description of format item index into destination: 0; 15 when no format table is
  // loaded (always, for now), leaving destination empty; 16 for an index past the items.
  static int32_t GetFormatDescription(char* destination, size_t capacity, uint32_t index);
};
