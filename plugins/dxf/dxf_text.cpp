#include "plugins/dxf/dxf_text.h"

#include <cmath>

#include "plugins/dxf/dxf_names.h"
#include "plugins/dxf/dxf_state.h"
#include "plugins/dxf/shape_font.h"
#include "plugins/dxf/shape_interpreter.h"

namespace {

constexpr int32_t kStyleShapeFile = 1;
constexpr int32_t kStyleVertical = 4;
constexpr int32_t kMirrorX = 2;
constexpr int32_t kMirrorY = 4;
constexpr int32_t kCaretBlank = 94;
constexpr int32_t kCaretOffset = 64;

// Where a stroke point (x, y) of a shape goes: mirrored, scaled by k, widened by the width factor and
// slanted by the oblique angle, then turned by the rotation about the insertion point.
struct SPlacement {
  double k;
  double widthFactor;
  double obliqueCos, obliqueSin;
  double rotationCos, rotationSin;
  bool mirrorX, mirrorY;
  SVec3 insertion;

  SPlacement(double scale, double width, double obliqueDegrees, double rotationDegrees, const SVec3& at,
             int32_t generation = 0)
      : k(scale),
        widthFactor(width),
        obliqueCos(std::cos(obliqueDegrees * kRadiansPerDegree)),
        obliqueSin(std::sin(obliqueDegrees * kRadiansPerDegree)),
        rotationCos(std::cos(rotationDegrees * kRadiansPerDegree)),
        rotationSin(std::sin(rotationDegrees * kRadiansPerDegree)),
        mirrorX(generation & kMirrorX),
        mirrorY(generation & kMirrorY),
        insertion(at) {}

  SVec3 Place(double x, double y) const {
    if (mirrorX) x = -x;
    if (mirrorY) y = -y;
    const double slantedX = k * (widthFactor * x * obliqueCos + y * obliqueSin), scaledY = k * y;
    return {slantedX * rotationCos - scaledY * rotationSin + insertion.x,
            slantedX * rotationSin + scaledY * rotationCos + insertion.y, insertion.z};
  }
};

void DrawStrokes(const SConversion& conversion, const SShapeRequest& request, const SPlacement& placement,
                 double thickness) {
  for (int32_t i = 0; i < request.strokeCount && !Failed(); ++i) {
    const SStroke& stroke = request.strokes[i];
    const SSegment segment = {placement.Place(stroke.x0, stroke.y0), placement.Place(stroke.x1, stroke.y1), 0, 0};
    WideSegment(conversion, segment, nullptr, nullptr, thickness);
  }
}

// Whether the shape was drawn. Font faults only leave it out; memory running out, or a shape of more
// strokes than the entity's store can take, end the import as anywhere else.
bool Drawn(int32_t code) {
  if (code == kShapeNoMemory) SetError(kDxfOutOfMemory);
  else if (code == kShapeTooManyStrokes) SetError(kDxfTooManyVertices);
  return code == kShapeDrawn;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The next character's shape number: "%%" with every digit that follows, read as a shape item; "^"
// with the next character; any other character its own code. "%%" without a digit and a final "^"
// stand for themselves.
int32_t NextCharacter(const char*& text) {
  const auto code = [](char c) { return int32_t(static_cast<unsigned char>(c)); };
  if (text[0] == '%' && text[1] == '%' && IsDigit(text[2])) {
    const char* digits = text + 2;
    for (text = digits; IsDigit(*text);) ++text;
    int32_t number = 0;
    ReadShapeItem(digits, size_t(text - digits), &number);
    return number;
  }
  if (text[0] == '^' && text[1]) {
    const int32_t next = code(text[1]);
    text += 2;
    return next == ' ' ? kCaretBlank : next - kCaretOffset;
  }
  return code(*text++);
}

const STextStyle* StyleOf(const SName* name) {
  if (name && name->style) return name->style;
  const SName* standard = InternName("STANDARD");
  return standard ? standard->style : nullptr;
}

}  // namespace

void ConvertText(const SConversion& conversion, const STextRecord& text) {
  const double thickness = text.header.thickness;
  if (thickness == 0 || !text.text) return;
  const STextStyle* style = StyleOf(text.style);
  if (!style) return;
  int32_t code = kShapeDrawn;
  const SShapeFont* font = ImportFont(style->fontFile, &code);
  if (!font) {
    Drawn(code);
    return;
  }
  const double height = text.height != 0 ? text.height : style->fixedHeight;
  SShapeRequest request = {};
  request.vertical = style->flags & kStyleVertical;
  request.commandsLeft = kShapeCommandBudget;
  for (const char* at = text.text->Text(); *at && !Failed();) {
    request.number = NextCharacter(at);
    if (request.number == 0) continue;
    // Without a header before the shape there is no height to scale to.
    if (!Drawn(InterpretShape(*font, request)) || request.above <= 0) break;
    const SPlacement placement(height / request.above, text.widthFactor, text.oblique, text.rotation, text.insertion,
                               text.generation);
    DrawStrokes(conversion, request, placement, thickness);
  }
  FreeStrokes(request);
}

void ConvertShape(const SConversion& conversion, const SShapeRecord& shape) {
  if (shape.header.thickness == 0 || !shape.name) return;
  for (const STextStyle* style = gImport.drawing.styles.first; style && !Failed(); style = style->next) {
    if (!(style->flags & kStyleShapeFile)) continue;
    int32_t code = kShapeDrawn;
    const SShapeFont* font = ImportFont(style->fontFile, &code);
    const int32_t number = font ? FindShapeByName(*font, shape.name->Text()) : 0;
    if (!font) Drawn(code);
    if (number == 0) continue;
    SShapeRequest request = {};
    request.number = number;
    request.commandsLeft = kShapeCommandBudget;
    const SPlacement placement(shape.size, shape.xScale, shape.oblique, shape.rotation, shape.insertion);
    if (Drawn(InterpretShape(*font, request))) DrawStrokes(conversion, request, placement, shape.header.thickness);
    FreeStrokes(request);
    return;
  }
}
