// What the framework core calls of the documents and plug-in host. document/ defines it; the
// libraries link as a group.
#pragma once

#include <cstddef>
#include <cstdint>

// CQNPlugin::GetFormatDescription: copies the description of format item index of the loaded
// plug-in into destination (capacity bytes with the terminator). 0; 15 when no format table is
// loaded; 16 for an index past the items; 21 when it does not fit.
int32_t GetPluginFormatDescription(char* destination, size_t capacity, uint32_t index);
