// TEXT and SHAPE entities, drawn with the strokes of shape fonts.
#pragma once

#include "plugins/dxf/dxf_geometry.h"

// Shape fonts are not read yet, so texts and shapes give no polygons.
void ConvertText(const SConversion& conversion, const STextRecord& text);
void ConvertShape(const SConversion& conversion, const SShapeRecord& shape);
