#include "platform/gdi.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/dc_internal.h"
#include "platform/errors.h"
#include "platform/print_backend.h"

namespace platform {
namespace {

constexpr int32_t kDefaultFontPixels = 11;
constexpr int32_t kSystemFontPixels = 12;
// DejaVu's cell (ascent and descent) is about 1.164 of its character height.
constexpr int32_t kCellPercent = 116;
constexpr int32_t kMaxBitmapSide = 16384;

SGdiObject MakeStock(SGdiObject::Kind kind, uint32_t color, bool null) {
  SGdiObject object;
  object.kind = kind;
  object.stock = true;
  object.color = color;
  object.null = null;
  return object;
}

SGdiObject MakeStockFont(int32_t pixels, int32_t weight) {
  SGdiObject font = MakeStock(SGdiObject::Kind::kFont, 0, false);
  font.face = "DejaVu Sans";
  font.pixelHeight = pixels;
  font.weight = weight;
  return font;
}

struct SStock {
  SGdiObject whiteBrush = MakeStock(SGdiObject::Kind::kBrush, 0xFFFFFF, false);
  SGdiObject blackBrush = MakeStock(SGdiObject::Kind::kBrush, 0x000000, false);
  SGdiObject nullBrush = MakeStock(SGdiObject::Kind::kBrush, 0, true);
  SGdiObject whitePen = MakeStock(SGdiObject::Kind::kPen, 0xFFFFFF, false);
  SGdiObject blackPen = MakeStock(SGdiObject::Kind::kPen, 0x000000, false);
  SGdiObject nullPen = MakeStock(SGdiObject::Kind::kPen, 0, true);
  SGdiObject interfaceFont = MakeStockFont(kDefaultFontPixels, kFwNormal);
  SGdiObject systemFont = MakeStockFont(kSystemFontPixels, kFwBold);
  SGdiObject bitmap = [] {
    SGdiObject b = MakeStock(SGdiObject::Kind::kBitmap, 0, false);
    b.pixels.Resize(1, 1);
    return b;
  }();
};

SStock& Stock() {
  static SStock stock;
  return stock;
}

// The slot of the context that holds objects of that kind.
SGdiObject*& Slot(DeviceContext* dc, SGdiObject::Kind kind) {
  switch (kind) {
    case SGdiObject::Kind::kPen: return dc->pen;
    case SGdiObject::Kind::kBrush: return dc->brush;
    case SGdiObject::Kind::kFont: return dc->font;
    case SGdiObject::Kind::kBitmap: break;
  }
  return dc->bitmap;
}

void Put(const STarget& target, int32_t x, int32_t y, uint32_t color) {
  if (target.clipSet.Contains({x, y})) target.surface->Row(y)[x] = color;
}

constexpr uint32_t kDotPeriod = 4;  // two pixels on, two off

// How the context's pen draws a pixel: its colour, or for a dotted pen's gaps the background colour
// (none when the background is transparent), replacing or XORed by the drawing mode.
struct SPenPixels {
  uint32_t color = 0;
  uint32_t gapColor = 0;
  bool dotted = false;
  bool gaps = false;
  bool xorMode = false;
  uint32_t step = 0;

  explicit SPenPixels(const DeviceContext* dc)
      : color(dc->pen->color),
        gapColor(dc->bkColor),
        dotted(dc->pen->dotted),
        gaps(dc->bkMode == kOpaque),
        xorMode(dc->rop2 == kR2XorPen) {}

  void Put(const STarget& target, int32_t x, int32_t y) {
    const bool on = !dotted || step++ % kDotPeriod < kDotPeriod / 2;
    if ((!on && !gaps) || !target.clipSet.Contains({x, y})) return;
    uint32_t& pixel = target.surface->Row(y)[x];
    const uint32_t c = on ? color : gapColor;
    pixel = xorMode ? (pixel ^ c) & 0xFFFFFF : c;
  }
};

// The pixels of a line from a to b without b, in surface coordinates.
template <typename PutPixel>
void Line(SPoint a, SPoint b, PutPixel put) {
  const int64_t dx = std::llabs(int64_t(b.x) - a.x), dy = -std::llabs(int64_t(b.y) - a.y);
  const int32_t sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int64_t error = dx + dy;
  SPoint p = a;
  while (p.x != b.x || p.y != b.y) {
    put(p.x, p.y);
    const int64_t twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      p.x += sx;
    }
    if (twice <= dx) {
      error += dx;
      p.y += sy;
    }
  }
}

// A wide pen's line: a round brush of the pen's diameter at each pixel of the thin line from a to b
// (b left out), each pixel drawn once, so that an XOR pen does not take back what a later stamp covers.
// Only the pixels inside the clip's box are marked.
void WideLine(const STarget& target, SPoint a, SPoint b, int32_t width, SPenPixels& pen) {
  const int32_t low = -width / 2;
  const double radius = width / 2.0, middle = (width - 1) / 2.0;
  std::vector<SPoint> brush;
  for (int32_t y = 0; y < width; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double dx = x - middle, dy = y - middle;
      if (dx * dx + dy * dy <= radius * radius) brush.push_back({x + low, y + low});
    }
  }
  const SWinRect reach{std::min(a.x, b.x) + low, std::min(a.y, b.y) + low, std::max(a.x, b.x) + low + width,
                       std::max(a.y, b.y) + low + width};
  const SWinRect box = Intersection(reach, target.clip);
  if (box.IsEmpty()) return;
  std::vector<uint8_t> marked(size_t(box.Width()) * size_t(box.Height()), 0);
  Line(a, b, [&](int32_t px, int32_t py) {
    for (const SPoint& o : brush) {
      const int32_t x = px + o.x, y = py + o.y;
      if (x >= box.left && x < box.right && y >= box.top && y < box.bottom)
        marked[size_t(y - box.top) * size_t(box.Width()) + size_t(x - box.left)] = 1;
    }
  });
  pen.dotted = false;
  for (int32_t y = box.top; y < box.bottom; ++y) {
    for (int32_t x = box.left; x < box.right; ++x) {
      if (marked[size_t(y - box.top) * size_t(box.Width()) + size_t(x - box.left)]) pen.Put(target, x, y);
    }
  }
}

// A line of the context's pen from a to b (b left out), in surface coordinates; the area it may have
// changed.
SWinRect StrokeLine(const STarget& target, SPoint a, SPoint b, SPenPixels& pen, int32_t width) {
  if (width > 1) {
    WideLine(target, a, b, width, pen);
    const int32_t low = -width / 2;
    return {std::min(a.x, b.x) + low, std::min(a.y, b.y) + low, std::max(a.x, b.x) + low + width,
            std::max(a.y, b.y) + low + width};
  }
  Line(a, b, [&](int32_t px, int32_t py) { pen.Put(target, px, py); });
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
}

SWinRect Spanning(const SWinRect& a, const SWinRect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// The outline of a rectangle whose corners are quarter ellipses of radii rx, ry, through the pixels
// from (left, top) to (right, bottom) inclusive, clockwise from the top right corner.
std::vector<SPoint> RoundedOutline(int32_t left, int32_t top, int32_t right, int32_t bottom, double rx, double ry) {
  constexpr int kArcSteps = 8;
  struct SCorner {
    double cx, cy, first;
  };
  const SCorner corners[] = {{right - rx, top + ry, -90}, {right - rx, bottom - ry, 0}, {left + rx, bottom - ry, 90},
                             {left + rx, top + ry, 180}};
  std::vector<SPoint> points;
  for (const SCorner& c : corners) {
    for (int step = 0; step <= kArcSteps; ++step) {
      const double angle = (c.first + 90.0 * step / kArcSteps) * 3.14159265358979323846 / 180.0;
      const SPoint p{int32_t(std::lround(c.cx + rx * std::cos(angle))), int32_t(std::lround(c.cy + ry * std::sin(angle)))};
      if (points.empty() || points.back().x != p.x || points.back().y != p.y) points.push_back(p);
    }
  }
  return points;
}

SWinRect Bounds(const SPoint* points, int32_t count) {
  SWinRect box{points[0].x, points[0].y, points[0].x, points[0].y};
  for (int32_t i = 1; i < count; ++i) {
    box.left = std::min(box.left, points[i].x);
    box.top = std::min(box.top, points[i].y);
    box.right = std::max(box.right, points[i].x);
    box.bottom = std::max(box.bottom, points[i].y);
  }
  return {box.left, box.top, box.right + 1, box.bottom + 1};
}

// Scan lines through pixel centres; the crossings pair up (alternate rule).
void FillPolygon(const STarget& target, const std::vector<SPoint>& points, uint32_t color) {
  const SWinRect box = Bounds(points.data(), int32_t(points.size()));
  std::vector<double> crossings;
  for (int32_t y = box.top; y < box.bottom; ++y) {
    const double centre = y + 0.5;
    crossings.clear();
    for (size_t i = 0; i < points.size(); ++i) {
      const SPoint& a = points[i];
      const SPoint& b = points[(i + 1) % points.size()];
      if ((a.y <= centre && centre < b.y) || (b.y <= centre && centre < a.y))
        crossings.push_back(a.x + (centre - a.y) * (b.x - a.x) / double(b.y - a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      const auto first = int32_t(std::ceil(crossings[i] - 0.5));
      const auto end = int32_t(std::ceil(crossings[i + 1] - 0.5));
      for (int32_t x = first; x < end; ++x) Put(target, x, y, color);
    }
  }
}

// The outline of the ellipse round (cx, cy) with semi-axes a and b, in surface coordinates: pixels
// in order round the curve, each next to the one before, without the corner pixel of a step that a
// diagonal makes.
std::vector<SPoint> EllipseOutline(double cx, double cy, double a, double b) {
  std::vector<SPoint> chain;
  const int32_t steps = std::max(8, int32_t(std::ceil(8 * std::max(a, b))) * 4);
  for (int32_t i = 0; i < steps; ++i) {
    const double t = 2 * M_PI * i / steps;
    const SPoint p{int32_t(std::lround(cx + a * std::cos(t))), int32_t(std::lround(cy + b * std::sin(t)))};
    if (chain.empty() || p.x != chain.back().x || p.y != chain.back().y) chain.push_back(p);
  }
  while (chain.size() > 1 && chain.back().x == chain.front().x && chain.back().y == chain.front().y) chain.pop_back();
  std::vector<SPoint> thin;
  for (size_t i = 0; i < chain.size(); ++i) {
    const SPoint& before = thin.empty() ? chain.back() : thin.back();
    const SPoint& after = chain[(i + 1) % chain.size()];
    const bool corner = chain.size() > 4 && std::abs(before.x - after.x) <= 1 && std::abs(before.y - after.y) <= 1;
    if (!corner) thin.push_back(chain[i]);
  }
  return thin;
}

}  // namespace

// ---- objects

GdiObject GetStockObject(int32_t which) {
  SStock& stock = Stock();
  switch (which) {
    case kWhiteBrush: return &stock.whiteBrush;
    case kBlackBrush: return &stock.blackBrush;
    case kNullBrush: return &stock.nullBrush;
    case kWhitePen: return &stock.whitePen;
    case kBlackPen: return &stock.blackPen;
    case kNullPen: return &stock.nullPen;
    case kAnsiVarFont:
    case kDefaultGuiFont: return &stock.interfaceFont;
    case kSystemFont: return &stock.systemFont;
    default: return nullptr;
  }
}

GdiObject CreatePen(int32_t style, int32_t width, uint32_t color) {
  if (style != kPsSolid && style != kPsDot && style != kPsNull) return nullptr;
  auto* pen = new SGdiObject;
  pen->kind = SGdiObject::Kind::kPen;
  pen->color = color & 0xFFFFFF;
  pen->null = style == kPsNull;
  pen->width = std::max(width, 1);
  pen->dotted = style == kPsDot && pen->width == 1;
  return pen;
}

int32_t SetROP2(DeviceContext* dc, int32_t mode) {
  if (!dc || (mode != kR2XorPen && mode != kR2CopyPen)) return 0;
  return std::exchange(dc->rop2, mode);
}

GdiObject CreateSolidBrush(uint32_t color) {
  auto* brush = new SGdiObject;
  brush->kind = SGdiObject::Kind::kBrush;
  brush->color = color & 0xFFFFFF;
  return brush;
}

GdiObject CreateFontIndirect(const SLogFont& request) {
  auto* font = new SGdiObject;
  font->kind = SGdiObject::Kind::kFont;
  const bool fixed = (request.pitchAndFamily & 3) == kFixedPitch || request.face == "Lucida Console" ||
                     request.face == "Courier New" || request.face == "Courier";
  font->face = fixed ? "DejaVu Sans Mono" : "DejaVu Sans";
  if (request.height < 0) font->pixelHeight = -request.height;
  else if (request.height > 0) font->pixelHeight = std::max(1, request.height * 100 / kCellPercent);
  else font->pixelHeight = kSystemFontPixels;
  font->weight = request.weight ? request.weight : kFwNormal;
  font->italic = request.italic;
  font->underline = request.underline;
  font->strikeOut = request.strikeOut;
  return font;
}

GdiObject CreateCompatibleBitmap(DeviceContext*, int32_t width, int32_t height) {
  if (width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide) {
    SetLastError(kWinInvalidParameter);
    return nullptr;
  }
  auto* bitmap = new SGdiObject;
  bitmap->kind = SGdiObject::Kind::kBitmap;
  bitmap->pixels.Resize(width, height);
  return bitmap;
}

GdiObject CreateDiscardableBitmap(DeviceContext* dc, int32_t width, int32_t height) {
  return CreateCompatibleBitmap(dc, width, height);
}

bool GetBitmapSize(GdiObject bitmap, SBitmapSize* size) {
  if (!bitmap || bitmap->kind != SGdiObject::Kind::kBitmap) return false;
  *size = {bitmap->pixels.Width(), bitmap->pixels.Height()};
  return true;
}

bool DeleteObject(GdiObject object) {
  if (!object || object->selections > 0) return false;
  if (!object->stock) delete object;
  return true;
}

int32_t GetDIBits(DeviceContext*, GdiObject bitmap, uint32_t startRow, uint32_t rows, void* bits,
                  const SBitmapInfoHeader* header, uint32_t usage) {
  if (!bitmap || bitmap->kind != SGdiObject::Kind::kBitmap || !bits || !header || header->bitCount != 32 ||
      header->compression != kBiRgb || usage != kDibRgbColors || header->width <= 0 || header->height == 0) {
    SetLastError(kWinInvalidParameter);
    return 0;
  }
  const Surface& s = bitmap->pixels;
  const int64_t blockRows = std::llabs(int64_t(header->height));
  const bool topDown = header->height < 0;
  const int64_t available = std::min<int64_t>(s.Height(), blockRows) - int64_t(startRow);
  const int64_t count = std::clamp<int64_t>(int64_t(rows), 0, std::max<int64_t>(available, 0));
  const int32_t columns = std::min(header->width, s.Width());
  auto* out = static_cast<uint8_t*>(bits);
  for (int64_t i = 0; i < count; ++i) {
    const int64_t fromTop = topDown ? int64_t(startRow) + i : s.Height() - 1 - (int64_t(startRow) + i);
    if (fromTop < 0) break;
    const uint32_t* in = s.Row(int32_t(fromTop));
    uint8_t* line = out + i * int64_t(header->width) * 4;
    for (int32_t x = 0; x < columns; ++x) {
      line[4 * x] = uint8_t(in[x]);
      line[4 * x + 1] = uint8_t(in[x] >> 8);
      line[4 * x + 2] = uint8_t(in[x] >> 16);
      line[4 * x + 3] = 0;
    }
  }
  return int32_t(count);
}

// ---- contexts

void SelectDefaultObjects(DeviceContext* dc) {
  SelectObject(dc, GetStockObject(kBlackPen));
  SelectObject(dc, GetStockObject(kWhiteBrush));
  SelectObject(dc, GetStockObject(kSystemFont));
}

void DeselectObjects(DeviceContext* dc) {
  for (SGdiObject** slot : {&dc->pen, &dc->brush, &dc->font, &dc->bitmap}) {
    if (*slot && (*slot)->selections) --(*slot)->selections;
    *slot = nullptr;
  }
}

DeviceContext* CreateCompatibleDC(DeviceContext*) {
  auto* dc = new DeviceContext;
  dc->memory = true;
  SelectDefaultObjects(dc);
  SelectObject(dc, &Stock().bitmap);
  return dc;
}

bool DeleteDC(DeviceContext* dc) {
  if (dc && dc->printer) return DeletePrinterDC(dc);
  if (!dc || !dc->memory) return false;
  DeselectObjects(dc);
  delete dc;
  return true;
}

GdiObject SelectObject(DeviceContext* dc, GdiObject object) {
  if (!dc || !object) return nullptr;
  const bool bitmap = object->kind == SGdiObject::Kind::kBitmap;
  if (bitmap && (!dc->memory || (object->selections > 0 && !object->stock && dc->bitmap != object))) return nullptr;
  SGdiObject*& slot = Slot(dc, object->kind);
  SGdiObject* previous = slot;
  if (previous == object) return previous;
  if (previous && previous->selections) --previous->selections;
  slot = object;
  ++object->selections;
  if (bitmap) dc->surface = &object->pixels;
  return previous;
}

bool BitBlt(DeviceContext* destination, int32_t x, int32_t y, int32_t width, int32_t height, DeviceContext* source,
            int32_t xSource, int32_t ySource, uint32_t rop) {
  STarget to, from;
  if (rop != kSrcCopy || !source || !Resolve(destination, &to)) return false;
  const bool copies = width > 0 && height > 0;
  if (copies && source->screen) Backend().RefreshScreen({xSource, ySource, xSource + width, ySource + height});
  if (!Resolve(source, &from)) return false;
  if (!copies) return true;
  const SWinRect placed = ToSurface(to, {x, y, x + width, y + height});
  const SWinRect box = Intersection(placed, to.clip);
  if (!box.IsEmpty()) {
    // The source's pixels under the box as they are before the copy, since the two may be one
    // surface; what lies outside the source's area stays black.
    const int64_t dx = int64_t(xSource) + from.originX - placed.left, dy = int64_t(ySource) + from.originY - placed.top;
    const SWinRect readable = Intersection(
        box, {int32_t(std::clamp<int64_t>(from.area.left - dx, INT32_MIN, INT32_MAX)),
              int32_t(std::clamp<int64_t>(from.area.top - dy, INT32_MIN, INT32_MAX)),
              int32_t(std::clamp<int64_t>(from.area.right - dx, INT32_MIN, INT32_MAX)),
              int32_t(std::clamp<int64_t>(from.area.bottom - dy, INT32_MIN, INT32_MAX))});
    Surface pixels(box.Width(), box.Height());
    for (int32_t row = readable.top; row < readable.bottom; ++row) {
      const uint32_t* in = std::as_const(*from.surface).Row(int32_t(row + dy)) + (readable.left + dx);
      std::copy(in, in + readable.Width(), pixels.Row(row - box.top) + (readable.left - box.left));
    }
    for (const SWinRect& clip : to.clipSet.Rects()) {
      const SWinRect r = Intersection(box, clip);
      for (int32_t row = r.top; row < r.bottom; ++row) {
        const uint32_t* in = std::as_const(pixels).Row(row - box.top) + (r.left - box.left);
        std::copy(in, in + r.Width(), to.surface->Row(row) + r.left);
      }
    }
  }
  Changed(to, placed);
  return true;
}

bool MoveToEx(DeviceContext* dc, int32_t x, int32_t y, SPoint* previous) {
  if (!dc) return false;
  if (previous) *previous = dc->position;
  dc->position = {x, y};
  return true;
}

bool LineTo(DeviceContext* dc, int32_t x, int32_t y) {
  STarget target;
  if (!Resolve(dc, &target)) return false;
  const SPoint from = dc->position;
  dc->position = {x, y};
  if (!dc->pen || dc->pen->null) return true;
  const SPoint a{from.x + target.originX, from.y + target.originY}, b{x + target.originX, y + target.originY};
  SPenPixels pen(dc);
  Changed(target, StrokeLine(target, a, b, pen, dc->pen->width));
  return true;
}

bool Polygon(DeviceContext* dc, const SPoint* points, int32_t count) {
  STarget target;
  if (!points || count < 2 || !Resolve(dc, &target)) return false;
  std::vector<SPoint> shape(points, points + count);
  for (SPoint& p : shape) p = {p.x + target.originX, p.y + target.originY};
  if (dc->brush && !dc->brush->null) FillPolygon(target, shape, dc->brush->color);
  SWinRect changed = Bounds(shape.data(), count);
  if (dc->pen && !dc->pen->null) {
    SPenPixels pen(dc);
    for (size_t i = 0; i < shape.size(); ++i)
      changed = Spanning(changed, StrokeLine(target, shape[i], shape[(i + 1) % shape.size()], pen, dc->pen->width));
  }
  Changed(target, changed);
  return true;
}

bool Ellipse(DeviceContext* dc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  STarget target;
  if (right <= left || bottom <= top || !Resolve(dc, &target)) return false;
  const double cx = target.originX + (left + right - 1) / 2.0, cy = target.originY + (top + bottom - 1) / 2.0;
  const double a = (right - left - 1) / 2.0, b = (bottom - top - 1) / 2.0;
  const SWinRect box{left + target.originX, top + target.originY, right + target.originX, bottom + target.originY};
  if (dc->brush && !dc->brush->null) {
    for (int32_t y = box.top; y < box.bottom; ++y) {
      for (int32_t x = box.left; x < box.right; ++x) {
        const double u = a > 0 ? (x - cx) / a : 0, v = b > 0 ? (y - cy) / b : 0;
        if (u * u + v * v <= 1.0) Put(target, x, y, dc->brush->color);
      }
    }
  }
  if (dc->pen && !dc->pen->null) {
    SPenPixels pen(dc);
    for (const SPoint& p : EllipseOutline(cx, cy, a, b)) pen.Put(target, p.x, p.y);
  }
  Changed(target, box);
  return true;
}

bool FillRect(DeviceContext* dc, const SWinRect& rect, GdiObject brush) {
  STarget target;
  if (!brush || brush->kind != SGdiObject::Kind::kBrush || !Resolve(dc, &target)) return false;
  if (brush->null) return true;
  const SWinRect area = ToSurface(target, rect);
  for (const SWinRect& clip : target.clipSet.Rects()) {
    const SWinRect r = Intersection(area, clip);
    target.surface->Fill(r.left, r.top, r.right, r.bottom, brush->color);
  }
  Changed(target, area);
  return true;
}

bool FrameRect(DeviceContext* dc, const SWinRect& rect, GdiObject brush) {
  STarget target;
  if (!brush || brush->kind != SGdiObject::Kind::kBrush || !Resolve(dc, &target)) return false;
  if (rect.IsEmpty()) return true;
  const SWinRect edges[] = {{rect.left, rect.top, rect.right, rect.top + 1},
                            {rect.left, rect.bottom - 1, rect.right, rect.bottom},
                            {rect.left, rect.top, rect.left + 1, rect.bottom},
                            {rect.right - 1, rect.top, rect.right, rect.bottom}};
  for (const SWinRect& edge : edges) {
    if (!FillRect(dc, edge, brush)) return false;
  }
  return true;
}

bool RoundRect(DeviceContext* dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t cornerWidth,
               int32_t cornerHeight) {
  STarget target;
  if (!Resolve(dc, &target)) return false;
  if (right - left < 1 || bottom - top < 1) return true;
  const double rx = std::clamp(cornerWidth, 0, right - left - 1) / 2.0;
  const double ry = std::clamp(cornerHeight, 0, bottom - top - 1) / 2.0;
  std::vector<SPoint> outline = RoundedOutline(left, top, right - 1, bottom - 1, rx, ry);
  if (outline.size() < 2) outline.push_back(outline.front());
  return Polygon(dc, outline.data(), int32_t(outline.size()));
}

// ---- text state

int32_t SetBkMode(DeviceContext* dc, int32_t mode) {
  if (!dc || (mode != kTransparent && mode != kOpaque)) return 0;
  const int32_t previous = dc->bkMode;
  dc->bkMode = mode;
  return previous;
}

uint32_t SetTextColor(DeviceContext* dc, uint32_t color) {
  if (!dc) return 0;
  const uint32_t previous = dc->textColor;
  dc->textColor = color & 0xFFFFFF;
  return previous;
}

uint32_t GetTextColor(DeviceContext* dc) { return dc ? dc->textColor : 0; }

uint32_t SetTextAlign(DeviceContext* dc, uint32_t align) {
  if (!dc) return 0;
  const uint32_t previous = dc->textAlign;
  dc->textAlign = align;
  return previous;
}

// ---- text, through the drawing that EnableTextDrawing registers; without it nothing is measured or drawn

namespace {
const STextDrawing* gTextDrawing = nullptr;
}  // namespace

void SetTextDrawing(const STextDrawing* drawing) { gTextDrawing = drawing; }

bool DrawTextAt(DeviceContext* dc, int32_t x, int32_t y, const char* text, uint32_t count, const SWinRect* clip) {
  return gTextDrawing && gTextDrawing->drawAt(dc, x, y, text, count, clip);
}

bool GetTextMetrics(DeviceContext* dc, STextMetrics* metrics) {
  return gTextDrawing && gTextDrawing->metrics(dc, metrics);
}

bool GetTextExtentPoint32(DeviceContext* dc, const char* text, int32_t count, SSize* size) {
  return gTextDrawing && gTextDrawing->extent(dc, text, count, size);
}

int32_t DrawText(DeviceContext* dc, const char* text, int32_t count, SWinRect* rect, uint32_t format) {
  return gTextDrawing ? gTextDrawing->draw(dc, text, count, rect, format) : 0;
}

uint32_t GetSysColor(int32_t index) {
  switch (index) {
    case kColorMenu: return 0xF0F0F0;
    case kColorWindow: return 0xFFFFFF;
    case kColorWindowText: return 0x000000;
    case kColorHighlight: return 0x3874D8;
    case kColorHighlightText: return 0xFFFFFF;
    case kColorButtonFace: return 0xF0F0F0;
    case kColorGrayText: return 0x808080;
    default: return 0x000000;
  }
}

}  // namespace platform
