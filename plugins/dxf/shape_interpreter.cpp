#include "plugins/dxf/shape_interpreter.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "plugins/dxf/dxf_geometry.h"
#include "plugins/dxf/plugin_memory.h"
#include "plugins/dxf/polygon_store.h"

namespace {

enum EShapeCommand : int32_t {
  kEnd = 0,
  kPenDown = 1,
  kPenUp = 2,
  kDivideScale = 3,
  kMultiplyScale = 4,
  kPush = 5,
  kPop = 6,
  kSubshape = 7,
  kMove = 8,
  kMoves = 9,
  kOctantArc = 10,
  kFractionalArc = 11,
  kBulgeArc = 12,
  kBulgeArcs = 13,
  kVerticalOnly = 14,
  kNothing = 15,
  kFirstVector = 16,
};

constexpr int32_t kStackDepth = 4;
constexpr int32_t kMostSubshapeLevels = 16;
// With a thickness every stroke takes four vertices of the entity's store; a shape of more strokes
// than that could not be stored anyway.
constexpr int32_t kMostStrokes = kStoreCapacity / 4;
constexpr double kDegreesPerOctant = 45;
constexpr double kDegreesPerStep = 9;
constexpr double kOffsetUnits = 256;  // of an octant, for the fractional arc's offsets
constexpr double kBulgeUnits = 127;
constexpr double kStraightBulge = 0.00001;
constexpr double kDegreesPerRadian = 57.295780490442965;
constexpr double kFullTurn = 360;

constexpr double kDirections[16][2] = {{1, 0},  {1, 0.5},   {1, 1},   {0.5, 1},   {0, 1},  {-0.5, 1},
                                       {-1, 1}, {-1, 0.5},  {-1, 0},  {-1, -0.5}, {-1, -1}, {-0.5, -1},
                                       {0, -1}, {0.5, -1},  {1, -1},  {1, -0.5}};

struct SPen {
  double x;
  double y;
  double scale;
  bool down;
};

struct SItems {
  const int32_t* items;
  int32_t count;
  int32_t next;

  bool Take(int32_t& value) {
    if (next >= count) return false;
    value = items[next++];
    return true;
  }
};

// One run of a shape; a subshape gets a run of its own with the same request.
class CShapeRun {
 public:
  CShapeRun(const SShapeFont& font, SShapeRequest& request, int32_t number, SPen& pen, int32_t depth)
      : fFont(font), fRequest(request), fNumber(number), fPen(pen), fDepth(depth) {}

  int32_t Run();

 private:
  int32_t Command(int32_t command);
  int32_t LineTo(double x, double y);
  int32_t MoveBy(int32_t dx, int32_t dy) { return LineTo(fPen.x + dx * fPen.scale, fPen.y + dy * fPen.scale); }
  int32_t ArcAround(double centreX, double centreY, double radius, double start, double sweep, int32_t steps);
  // An arc given in degrees, which turn into radians by the plug-in's factor, starting at the pen.
  int32_t ArcFromPen(double radius, double startDegrees, double sweepDegrees);
  int32_t OctantArc();
  int32_t FractionalArc();
  int32_t BulgeArc(int32_t dx, int32_t dy, int32_t bulge);
  int32_t Subshape();
  int32_t Scale(int32_t command);
  bool Skip(int32_t command);
  // Every operand must be there: a definition that ends inside a command cannot be run.
  bool Take(int32_t& value) { return fItems.Take(value); }

  const SShapeFont& fFont;
  SShapeRequest& fRequest;
  int32_t fNumber;
  SPen& fPen;
  int32_t fDepth;
  SItems fItems = {};
  double fStack[kStackDepth][2] = {};
  int32_t fSaved = 0;
};

bool AddStroke(SShapeRequest& request, const SStroke& stroke) {
  if (request.strokeCount == request.strokeCapacity) {
    const int32_t capacity = request.strokeCapacity ? request.strokeCapacity * 2 : 64;
    auto* strokes = static_cast<SStroke*>(PluginAllocate(size_t(capacity) * sizeof(SStroke)));
    if (!strokes) return false;
    if (request.strokeCount) std::memcpy(strokes, request.strokes, size_t(request.strokeCount) * sizeof(SStroke));
    PluginRelease(request.strokes);
    request.strokes = strokes;
    request.strokeCapacity = capacity;
  }
  request.strokes[request.strokeCount++] = stroke;
  return true;
}

// Round(|sweep| / 9 degrees), but at least one step for an arc that turns at all, so that the pen
// still ends where the arc does.
int32_t StepsOf(double sweepDegrees) {
  const int32_t steps = int32_t(std::lround(std::fabs(sweepDegrees) / kDegreesPerStep));
  return steps == 0 && sweepDegrees != 0 ? 1 : steps;
}

int32_t CShapeRun::LineTo(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return kShapeBadFont;
  if (fPen.down) {
    if (fRequest.strokeCount == kMostStrokes) return kShapeTooManyStrokes;
    if (!AddStroke(fRequest, {fPen.x, fPen.y, x, y})) return kShapeNoMemory;
  }
  fPen.x = x;
  fPen.y = y;
  return kShapeDrawn;
}

// Chords from the pen along the circle, angles in radians.
int32_t CShapeRun::ArcAround(double centreX, double centreY, double radius, double start, double sweep,
                             int32_t steps) {
  for (int32_t k = 1; k <= steps; ++k) {
    const double angle = start + sweep * k / steps;
    if (const int32_t code = LineTo(centreX + radius * std::cos(angle), centreY + radius * std::sin(angle)))
      return code;
  }
  return kShapeDrawn;
}

int32_t CShapeRun::ArcFromPen(double radius, double startDegrees, double sweepDegrees) {
  const double start = startDegrees * kRadiansPerDegree;
  const double centreX = fPen.x - radius * std::cos(start), centreY = fPen.y - radius * std::sin(start);
  return ArcAround(centreX, centreY, radius, start, sweepDegrees * kRadiansPerDegree, StepsOf(sweepDegrees));
}

// Radius and an octant item: the high digit of its size the first octant, the low digit how many,
// its sign the direction.
int32_t CShapeRun::OctantArc() {
  int32_t radius = 0, octants = 0;
  if (!Take(radius) || !Take(octants)) return kShapeBadFont;
  const int32_t size = std::abs(octants);
  const double turn = octants < 0 ? -1 : 1;
  const double start = ((size >> 4) & 0xF) * kDegreesPerOctant, sweep = turn * (size & 0xF) * kDegreesPerOctant;
  return ArcFromPen(radius * fPen.scale, start, sweep);
}

// Start offset, end offset, high radius (not used), radius, octant item. The arc starts in the first
// octant and ends in the last of the octants it spans, each offset adding to its octant's angle.
int32_t CShapeRun::FractionalArc() {
  int32_t startOffset = 0, endOffset = 0, highRadius = 0, radius = 0, octants = 0;
  if (!Take(startOffset) || !Take(endOffset) || !Take(highRadius) || !Take(radius) || !Take(octants))
    return kShapeBadFont;
  const int32_t size = std::abs(octants), first = (size >> 4) & 0xF, count = size & 0xF;
  const double turn = octants < 0 ? -1 : 1;
  const auto degrees = [](int32_t offset) { return std::round(offset * kDegreesPerOctant / kOffsetUnits); };
  const double start = first * kDegreesPerOctant + degrees(startOffset);
  const double end = (first + turn * (count - 1)) * kDegreesPerOctant + degrees(endOffset);
  double sweep = std::fmod(end - start, kFullTurn);
  if (sweep * turn < 0) sweep += turn * kFullTurn;
  return ArcFromPen(radius * fPen.scale, start, sweep);
}

// To the pen plus (dx, dy) along the arc whose bulge is the tangent of a quarter of its included
// angle, in 127ths; straight when the bulge is about 0 or no arc can be formed.
int32_t CShapeRun::BulgeArc(int32_t dx, int32_t dy, int32_t bulge) {
  const SVec3 from = {fPen.x, fPen.y, 0}, to = {fPen.x + dx * fPen.scale, fPen.y + dy * fPen.scale, 0};
  SBulgeArc arc;
  if (std::fabs(bulge / kBulgeUnits) < kStraightBulge || !BulgeArcOf(from, to, bulge / kBulgeUnits, arc))
    return MoveBy(dx, dy);
  const double sweep = arc.turn * arc.angle;
  return ArcAround(arc.centre.x, arc.centre.y, arc.radius, arc.start, sweep, StepsOf(sweep * kDegreesPerRadian));
}

// Another shape of the font at the pen and scale; its end position and pen are taken over. A shape
// does not call itself, and nesting deeper than the bound makes the font bad.
int32_t CShapeRun::Subshape() {
  int32_t number = 0;
  if (!Take(number)) return kShapeBadFont;
  if (number == fNumber) return kShapeDrawn;
  if (fDepth == kMostSubshapeLevels) return kShapeBadFont;
  SPen pen = {fPen.x, fPen.y, fPen.scale, true};
  if (const int32_t code = CShapeRun(fFont, fRequest, number, pen, fDepth + 1).Run()) return code;
  fPen.x = pen.x;
  fPen.y = pen.y;
  fPen.down = pen.down;
  return kShapeDrawn;
}

int32_t CShapeRun::Scale(int32_t command) {
  int32_t factor = 0;
  if (!Take(factor)) return kShapeBadFont;
  if (command == kDivideScale) {
    if (factor == 0) return kShapeBadFont;
    fPen.scale /= factor;
  } else {
    fPen.scale *= factor;
  }
  return std::isfinite(fPen.scale) ? kShapeDrawn : kShapeBadFont;
}

// Passes over one command with its operands; false when they run past the definition.
bool CShapeRun::Skip(int32_t command) {
  int32_t a = 0, b = 0;
  switch (command) {
    case kDivideScale:
    case kMultiplyScale:
    case kSubshape: return Take(a);
    case kMove:
    case kOctantArc: return Take(a) && Take(b);
    case kFractionalArc: return Take(a) && Take(a) && Take(a) && Take(a) && Take(a);
    case kBulgeArc: return Take(a) && Take(a) && Take(a);
    case kMoves:
    case kBulgeArcs:
      while (true) {
        if (!Take(a) || !Take(b)) return false;
        if (a == 0 && b == 0) return true;
        if (command == kBulgeArcs && !Take(a)) return false;
      }
    default: return true;
  }
}

int32_t CShapeRun::Command(int32_t command) {
  int32_t dx = 0, dy = 0, bulge = 0;
  switch (command) {
    case kPenDown: fPen.down = true; return kShapeDrawn;
    case kPenUp: fPen.down = false; return kShapeDrawn;
    case kDivideScale:
    case kMultiplyScale: return Scale(command);
    case kPush:
      if (fSaved < kStackDepth) {
        fStack[fSaved][0] = fPen.x;
        fStack[fSaved++][1] = fPen.y;
      }
      return kShapeDrawn;
    case kPop:
      if (fSaved > 0) {
        --fSaved;
        fPen.x = fStack[fSaved][0];
        fPen.y = fStack[fSaved][1];
      }
      return kShapeDrawn;
    case kSubshape: return Subshape();
    case kMove: return Take(dx) && Take(dy) ? MoveBy(dx, dy) : kShapeBadFont;
    case kMoves:
    case kBulgeArcs:
      while (true) {
        if (fRequest.commandsLeft-- <= 0 || !Take(dx) || !Take(dy)) return kShapeBadFont;
        if (dx == 0 && dy == 0) return kShapeDrawn;
        if (command == kBulgeArcs && !Take(bulge)) return kShapeBadFont;
        if (const int32_t code = command == kMoves ? MoveBy(dx, dy) : BulgeArc(dx, dy, bulge)) return code;
      }
    case kOctantArc: return OctantArc();
    case kFractionalArc: return FractionalArc();
    case kBulgeArc: return Take(dx) && Take(dy) && Take(bulge) ? BulgeArc(dx, dy, bulge) : kShapeBadFont;
    default:
      break;
  }
  if (command < kFirstVector) return kShapeDrawn;  // 15, and items that are no command
  const double length = (command >> 4) & 0xF;
  const double* direction = kDirections[command & 0xF];
  return LineTo(fPen.x + length * direction[0] * fPen.scale, fPen.y + length * direction[1] * fPen.scale);
}

int32_t CShapeRun::Run() {
  SShapeDefinition definition;
  if (const int32_t code = FindShape(fFont, fNumber, &definition)) return code;
  if (fDepth == 0) {
    fRequest.above = definition.above;
    fRequest.below = definition.below;
  }
  // A definition whose lines held more items than its count draws nothing but counts as drawn.
  if (definition.overfull) return kShapeDrawn;
  fItems = {definition.items, definition.count, 0};
  bool verticalOnly = false;
  int32_t command = 0;
  while (Take(command)) {
    if (fRequest.commandsLeft-- <= 0) return kShapeBadFont;
    if (command == kVerticalOnly) {
      verticalOnly = true;
      continue;
    }
    const bool skipped = verticalOnly && !fRequest.vertical;
    verticalOnly = false;
    if (skipped) {
      if (!Skip(command)) return kShapeBadFont;
      continue;
    }
    if (command == kEnd) break;
    if (const int32_t code = Command(command)) return code;
  }
  return kShapeDrawn;
}

}  // namespace

int32_t InterpretShape(const SShapeFont& font, SShapeRequest& request) {
  request.strokeCount = 0;
  SPen pen = {request.x, request.y, 1, true};
  const int32_t code = CShapeRun(font, request, request.number, pen, 0).Run();
  if (code == kShapeDrawn) {
    request.x = pen.x;
    request.y = pen.y;
    request.penDown = pen.down;
  }
  return code;
}

void FreeStrokes(SShapeRequest& request) {
  PluginRelease(request.strokes);
  request.strokes = nullptr;
  request.strokeCount = request.strokeCapacity = 0;
}
