// The shape interpreter: runs one shape's definition and collects the straight strokes it draws.
#pragma once

#include <cstdint>

#include "plugins/dxf/shape_font.h"

struct SStroke {
  double x0, y0, x1, y1;
};

// Commands one entity may run, subshapes and repeats included: a few lines of a font can otherwise
// call shapes into each other for as long as the recursion bound allows.
inline constexpr int64_t kShapeCommandBudget = int64_t(1) << 18;

// Zero-initialised before the first use; FreeStrokes releases the stroke list.
struct SShapeRequest {
  int32_t number;
  bool vertical;  // the request's orientation; code 14 runs the next command only when vertical
  double x;       // in: where the pen starts; out: where it ended
  double y;
  bool penDown;   // out
  int32_t above;  // out: the font's header values met before the shape (0 for none)
  int32_t below;
  SStroke* strokes;  // this shape's, in the order drawn
  int32_t strokeCount;
  int32_t strokeCapacity;
  int64_t commandsLeft;  // running out makes the font bad
};

// Runs the shape from the request's position with the pen down and scale 1. Answers an EShapeCode;
// the strokes and end position count only with kShapeDrawn.
int32_t InterpretShape(const SShapeFont& font, SShapeRequest& request);
void FreeStrokes(SShapeRequest& request);
