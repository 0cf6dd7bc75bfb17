#include "plugins/dxf/dxf_text.h"

void ConvertText(const SConversion&, const STextRecord&) {}

void ConvertShape(const SConversion&, const SShapeRecord&) {}
