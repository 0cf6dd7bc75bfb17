// TEXT and SHAPE entities, drawn with the strokes of shape fonts: each stroke is raised into a wall by
// the entity's thickness, so that without one they give nothing.
#pragma once

#include "plugins/dxf/dxf_geometry.h"

// Each character's shape of the style's font, from where the previous one left the pen, scaled by the
// height over the font's above value. The text stops at the first character that cannot be drawn.
void ConvertText(const SConversion& conversion, const STextRecord& text);
// The first shape of that name in the fonts of the shape-file styles, scaled by the size.
void ConvertShape(const SConversion& conversion, const SShapeRecord& shape);
