// Imager, the image plug-in: render to disk hands it a picture row by row (selectors 9, 10 and 11 of
// the plug-in protocol), and it writes the rows as a BMP file (format 0, the program's own BMP layout)
// or a PNG file (format 1), with the picture's resolution in either. Its entry is exported as
// QNIMAGEPLUGINENTRY by the shared library Imager.qni, and a program can also link it in.
#pragma once

#include <cstdint>

#include "document/plugin_protocol.h"

// Selector 2: two formats. 3: filter, description and extension of format 0 or 1. 4: the plug-in's
// title. 9: opens the file at the block's output path for the picture; 10: writes the band; 11: ends
// the file. 1: a picture still open is abandoned and its file closed. Every other selector answers 0.
int32_t ImagerEntry(uint32_t selector, QNHostFn* callbacks, void* block);
