// Vendrix, the 3DMF import plug-in: its entry, which the shared library exports as QNIOPLUGINENTRY
// and which a program can also link in.
#pragma once

#include <cstdint>

#include "document/plugin_protocol.h"

// Selector 2: two formats. 3: filter, description and extension of format 0 (text) or 1 (binary).
// 4: the plug-in's title. 5: 1 when the file is a metafile, its format index at 528. 7: imports the
// whole file as one triangle mesh: 0, 2 for any failure, 3 for a reference to another file, 20 when
// the user cancelled. Every other selector answers 0 and does nothing.
int32_t VendrixEntry(uint32_t selector, QNHostFn* callbacks, void* block);
