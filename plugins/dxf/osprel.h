// Osprel, the DXF import plug-in: its entry, which the shared library exports as QNIOPLUGINENTRY and
// which a program can also link in.
#pragma once

#include <cstdint>

#include "document/plugin_protocol.h"

// Selector 2: one format. 3: filter, description and extension of format 0. 4: the plug-in's title.
// 5: 1 when the file at the block's path is a DXF drawing. 7: imports it through the callbacks.
// Every other selector answers 0 and does nothing.
int32_t OsprelEntry(uint32_t selector, QNHostFn* callbacks, void* block);
