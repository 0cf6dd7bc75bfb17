#include "render/view.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "render/ray_trace.h"
#include "render/render_camera.h"
#include "render/render_context.h"
#include "render/render_settings.h"
#include "scene/base.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/object.h"
#include "scene/ray.h"

namespace {

// The boundaries are single-precision values taken as doubles.
constexpr double kGroundLevel = double(-0.01f);
constexpr double kNearPlane = double(0.1f);
constexpr float kFixedScale = 65536.0f;
constexpr int32_t kFixedOne = 0x10000;
constexpr int32_t kFixedFraction = 0xFFFF;
// Outcodes of the 2D clip.
constexpr uint32_t kOutRight = 1;
constexpr uint32_t kOutLeft = 2;
constexpr uint32_t kOutTop = 4;
constexpr uint32_t kOutBottom = 8;
constexpr int kClipSteps = 8;

int32_t Fixed(float v) { return int32_t(v * kFixedScale); }

// Keeps the part of the segment where the component (0 x, 1 y, 2 z) is at least the bound.
bool ClipAtLeast(vector3<double>& a, vector3<double>& b, int axis, double bound) {
  auto at = [axis](vector3<double>& v) -> double& { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; };
  const bool aIn = at(a) >= bound, bIn = at(b) >= bound;
  if (aIn && bIn) return true;
  if (!aIn && !bIn) return false;
  vector3<double>& out = aIn ? b : a;
  const vector3<double>& in = aIn ? a : b;
  const double f = (bound - in[axis]) / (out[axis] - in[axis]);
  out = in + (out - in) * f;
  at(out) = bound;
  return true;
}

// base moved towards target by t / 256 per channel, alpha 0.
uint32_t MixColour(uint32_t base, uint32_t target, int32_t t) {
  uint32_t out = 0;
  for (const int shift : {16, 8, 0}) {
    const int32_t b = int32_t(base >> shift & 0xFF), g = int32_t(target >> shift & 0xFF);
    out |= uint32_t(b + ((g - b) * t >> 8)) << shift;
  }
  return out;
}

bool IsFinite(float a, float b, float c, float d) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

}  // namespace

bool ClipSegmentAboveGround(vector3<double>& a, vector3<double>& b) { return ClipAtLeast(a, b, 1, kGroundLevel); }

bool ClipSegmentNear(vector3<double>& a, vector3<double>& b) { return ClipAtLeast(a, b, 2, kNearPlane); }

// ---- construction and style

CView::CView(CViewSelection* selection) : fSelection(selection) {}

CView::~CView() { delete fBackgroundImage; }

void CView::ResetStyle() {
  fStyle = SViewStyle();
  fShadowPass = false;
  fFocalFactor = 1.0f;
}

void CView::SetImage(CImage* image) {
  if (!image) return;
  CHolder holder(image, false, false);
  if (!holder.IsLocked()) return;
  fImage = image;
  fWidth = int32_t(image->GetWidth());
  fHeight = int32_t(image->GetHeight());
  fCentreX = fWidth * 0.5;
  fCentreY = fHeight * 0.5;
}

int32_t CView::UpdateFromCamera() {
  if (!fCamera) return kErrOutOfMemory;
  CHolder holder(fCamera, false, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  const SCameraProjection projection = fCamera->GetProjection(fWidth, fHeight);
  fPosition = fCamera->GetTransformVector3();
  fCameraToWorld = MakeCameraBasis(fPosition, projection.right, projection.up);
  if (!fCameraToWorld.Invert(fWorldToCamera)) fWorldToCamera = C34Matrix();
  fRight = projection.right;
  fUp = projection.up;
  fForward = projection.direction;
  fFocalDistance = projection.focalDistance;
  fFocalFactor = float(projection.focalDistance);
  fViewPlaneWidth = projection.halfExtents[0];
  fViewPlaneHeight = projection.halfExtents[1];
  fViewPlaneShiftX = projection.offsets[0];
  fViewPlaneShiftY = projection.offsets[1];
  const SCameraView& view = fCamera->GetView();
  fPixelShiftX = fWidth * view.offsetX;
  fPixelShiftY = fHeight * view.offsetY;
  return kNoErr;
}

// ---- rays

void CView::GetViewPlane(vector3<double>& eye, vector3<double>& corner) const {
  eye = fPosition;
  corner = fPosition + fForward * fFocalDistance - fRight * (fViewPlaneWidth * 0.5) + fUp * (fViewPlaneHeight * 0.5);
}

void CView::PixelRay(int32_t px, int32_t py, vector3<double>& origin, vector3<double>& direction) const {
  vector3<double> corner;
  GetViewPlane(origin, corner);
  const double sx = fWidth > 0 ? fViewPlaneWidth / fWidth : 0;
  const double sy = fHeight > 0 ? fViewPlaneHeight / fHeight : 0;
  const double u = px * sx + 0.5 * sx - fViewPlaneShiftX;
  const double v = py * sy + 0.5 * sy - fViewPlaneShiftY;
  direction = corner + fRight * u - fUp * v - origin;
}

C3dObject* CView::PickObject(CRenderContext& scene, int32_t px, int32_t py, vector3<double>& point) const {
  C3dBaseSys* table = scene.GetSceneTable();
  if (!table || !scene.GetSettings()) return nullptr;
  {
    CHolder holder(table, false, false);
    if (!holder.IsLocked()) return nullptr;
    bool any = false;
    for (uint32_t row = 0; row < table->GetCount() && !any; ++row) {
      C3dBase* thing = (*table)[row].object;
      any = thing && thing->AsObject();
    }
    if (!any) return nullptr;
  }
  vector3<double> origin, direction;
  PixelRay(px, py, origin, direction);
  // Nothing between the eye and the view plane is picked.
  const double length = std::sqrt(Dot(direction, direction));
  if (!(length > 0)) return nullptr;
  direction *= 1 / length;
  // First the scene's surfaces; then, through the picking filters, what only those admit.
  for (const bool filtered : {false, true}) {
    CRay ray;
    ray.Init(nullptr, origin, direction, {1, 1, 1}, {1, 1, 1}, float(length),
             std::numeric_limits<float>::infinity(), nullptr, nullptr, -1);
    ray.fContext = &scene;
    ray.fHolder = &scene.GetHolder();
    ray.fScratch = &scene.GetScratch();
    ray.fPrimary = 0;
    ray.fHitTestOnly = 1;
    ray.fSkipLights = filtered ? 0 : 1;
    ray.fFilterRay = filtered ? 1 : 0;
    TraceRay(ray);
    if (ray.fHitObject) {
      point = origin + direction * ray.fHitT;
      return ray.fHitObject;
    }
  }
  return nullptr;
}

// ---- projection and 3D lines

void CView::ProjectCamera(const vector3<double>& p, double& x, double& y) const {
  double px = p.x, py = p.y;
  if (fStyle.perspective) {
    px = px * fFocalFactor / p.z;
    py = py * fFocalFactor / p.z;
  }
  const double scaleX = fViewPlaneWidth != 0 ? fWidth / fViewPlaneWidth : 0;
  const double scaleY = fViewPlaneHeight != 0 ? fHeight / fViewPlaneHeight : 0;
  x = fCentreX + px * scaleX + fPixelShiftX;
  y = fCentreY - py * scaleY + fPixelShiftY;
}

bool CView::IsSmallOnScreen(const C3dBox& box, const C34Matrix& worldToCamera, double pixels) const {
  double left = std::numeric_limits<double>::infinity(), right = -left, top = left, bottom = -left;
  for (int i = 0; i < 8; ++i) {
    const vector3<double> corner{i & 1 ? box.fMax.x : box.fMin.x, i & 2 ? box.fMax.y : box.fMin.y,
                                 i & 4 ? box.fMax.z : box.fMin.z};
    const vector3<double> seen = worldToCamera.TransformPoint(corner);
    // Behind the near plane a corner may project anywhere; NaN fails the comparison too.
    if (!(seen.z >= kNearPlane)) return false;
    double x = 0, y = 0;
    ProjectCamera(seen, x, y);
    left = std::min(left, x);
    right = std::max(right, x);
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  return right - left <= pixels && bottom - top <= pixels;
}

void CView::ProjectToPixel(const vector3<double>& point, const C34Matrix& worldToCamera, int32_t& x, int32_t& y) const {
  double px = 0, py = 0;
  ProjectCamera(worldToCamera.TransformPoint(point), px, py);
  if (!std::isfinite(px) || !std::isfinite(py)) {
    x = y = int32_t(-kPixelLimit);
    return;
  }
  x = int32_t(std::clamp(px, -kPixelLimit, kPixelLimit));
  y = int32_t(std::clamp(py, -kPixelLimit, kPixelLimit));
}

void CView::SetDepthPen(double za, double zb) {
  const uint32_t base = fShadowPass ? fStyle.shadow : fStyle.front;
  if (!fStyle.depthCue) {
    fStyle.pen = base;
    return;
  }
  // Points flattened in the shadow pass may lie nearer than the range; a negative step would borrow
  // across the packed channels.
  const double t = ((za + zb) / 2 - fDepthNear) * fDepthScale * 256;
  const int32_t step = t > 0 ? int32_t(std::min(t, 256.0)) : 0;
  fStyle.pen = MixColour(base, fStyle.background, step);
}

void CView::DrawLine3d(const vector3<double>& a, const vector3<double>& b, const C34Matrix& worldToCamera) {
  vector3<double> p = a, q = b;
  if (fStyle.ground && !ClipSegmentAboveGround(p, q)) return;
  if (fShadowPass) p.y = q.y = 0;
  p = worldToCamera.TransformPoint(p);
  q = worldToCamera.TransformPoint(q);
  SetDepthPen(p.z, q.z);
  ProjectSegment(p, q);
}

void CView::ProjectSegment(vector3<double> a, vector3<double> b) {
  if (!ClipSegmentNear(a, b)) return;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  ProjectCamera(a, x0, y0);
  ProjectCamera(b, x1, y1);
  DrawLine2d(float(x0), float(y0), float(x1), float(y1));
}

void CView::DrawBox(const C3dBox& box, const C34Matrix& objectToWorld, const C34Matrix& worldToCamera) {
  vector3<double> corners[8];
  for (int i = 0; i < 8; ++i) {
    const vector3<double> local{i & 1 ? box.fMax.x : box.fMin.x, i & 2 ? box.fMax.y : box.fMin.y,
                                i & 4 ? box.fMax.z : box.fMin.z};
    corners[i] = objectToWorld.TransformPoint(local);
  }
  // The twelve edges join corners that differ in one axis.
  for (int i = 0; i < 8; ++i) {
    for (const int axis : {1, 2, 4}) {
      if (!(i & axis)) DrawLine3d(corners[i], corners[i | axis], worldToCamera);
    }
  }
}

// ---- 2D lines

bool CView::ClipLine2d(float& x0, float& y0, float& x1, float& y1) const {
  const float left = 1.0f, top = 1.0f, right = float(fWidth - 2), bottom = float(fHeight - 2);
  if (right < left || bottom < top) return false;
  // Every comparison with a NaN is false: such an end would pass as inside.
  if (!IsFinite(x0, y0, x1, y1)) return false;
  const auto code = [&](float x, float y) {
    return (x > right ? kOutRight : 0) | (x < left ? kOutLeft : 0) | (y > bottom ? kOutBottom : 0) |
           (y < top ? kOutTop : 0);
  };
  for (int step = 0; step < kClipSteps; ++step) {
    const uint32_t c0 = code(x0, y0), c1 = code(x1, y1);
    if (!(c0 | c1)) return true;
    if (c0 & c1) return false;
    const bool first = c0 != 0;
    const uint32_t c = first ? c0 : c1;
    float& x = first ? x0 : x1;
    float& y = first ? y0 : y1;
    const float dx = x1 - x0, dy = y1 - y0;
    if (c & (kOutLeft | kOutRight)) {
      const float edge = c & kOutLeft ? left : right;
      y += dy * (edge - x) / dx;
      x = edge;
    } else {
      const float edge = c & kOutBottom ? bottom : top;
      x += dx * (edge - y) / dy;
      y = edge;
    }
  }
  return false;
}

void CView::DrawLine2d(float x0, float y0, float x1, float y1) {
  if (!ClipLine2d(x0, y0, x1, y1)) return;
  CImageHold hold(*this);
  if (!hold.IsHeld()) return;
  const float dx = x1 - x0, dy = y1 - y0;
  if (std::fabs(dx) <= std::fabs(dy) && dy != 0) {
    if (dy < 0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    DrawSteepLine(Fixed(dx / dy), Fixed(x0), Fixed(y0), Fixed(y1));
  } else if (dx != 0) {
    if (dx < 0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    DrawFlatLine(Fixed(dy / dx), Fixed(y0), Fixed(x0), Fixed(x1));
  }
}

void CView::BlendPixel(CImVector& pixel, uint32_t weight) const {
  const int32_t w = int32_t(weight);
  uint32_t out = 0;
  for (const int shift : {16, 8, 0}) {
    const int32_t old = int32_t(pixel.value >> shift & 0xFF), pen = int32_t(fStyle.pen >> shift & 0xFF);
    out |= uint32_t(old + ((pen - old) * w >> 8)) << shift;
  }
  pixel.value = out;
}

namespace {

// The weights of the pixel pair at a line's end: the across-fraction split by the along-coverage.
uint32_t EndWeight(int32_t across, int32_t coverage) { return uint32_t((across >> 2) * (coverage >> 2) >> 20); }

// The position across at `along` (a row or column start past the line's start), 16.16.
int32_t AcrossAt(int32_t start, int32_t slope, int32_t alongStart, int32_t along) {
  return start + int32_t(int64_t(slope) * (along - alongStart) >> 16);
}

// An antialiased line along its major axis from start to end (16.16), across at start and moving by
// slope per unit along: pair(step, across, w0, w1) blends the two pixels across at major step. The
// ends take their coverage; middle steps whose count-down shares a bit with the dash mask are left.
template <typename Pair>
void DrawAntialiased(int32_t slope, int32_t across, int32_t start, int32_t end, uint32_t dashMask, Pair pair) {
  const auto cap = [&](int32_t step, int32_t at, int32_t coverage) {
    const int32_t f = at & kFixedFraction;
    pair(step, at, EndWeight(kFixedOne - f, coverage), EndWeight(f, coverage));
  };
  const int32_t first = start >> 16, last = end >> 16;
  if (first == last) return cap(first, across, end - start);
  cap(first, across, (kFixedOne - (start & kFixedFraction)) & kFixedFraction);
  for (int32_t step = first + 1, counter = last - first - 1; counter > 0; ++step, --counter) {
    if (counter & int32_t(dashMask)) continue;
    const int32_t at = AcrossAt(across, slope, start, step << 16);
    const uint32_t f = uint32_t(at & kFixedFraction) >> 8;
    pair(step, at, 255 - f, f);
  }
  cap(last, AcrossAt(across, slope, start, last << 16), end & kFixedFraction);
}

}  // namespace

void CView::DrawSteepLine(int32_t slope, int32_t x, int32_t yStart, int32_t yEnd) {
  if (!fStyle.antialias) {
    const int32_t row = yStart >> 16;
    const int32_t rows = ((yEnd - yStart) >> 16) + 1;
    for (int32_t i = 0; i < rows; ++i, x += slope)
      fPixels[uint32_t(row + i) * fRowLength + uint32_t(x >> 16)].value = fStyle.pen;
    return;
  }
  DrawAntialiased(slope, x, yStart, yEnd, fStyle.dashMask, [this](int32_t row, int32_t across, uint32_t w0, uint32_t w1) {
    CImVector* p = fPixels + uint32_t(row) * fRowLength + uint32_t(across >> 16);
    BlendPixel(p[0], w0);
    BlendPixel(p[1], w1);
  });
}

void CView::DrawFlatLine(int32_t slope, int32_t y, int32_t xStart, int32_t xEnd) {
  if (!fStyle.antialias) {
    const int32_t column = xStart >> 16;
    const int32_t columns = ((xEnd - xStart) >> 16) + 1;
    for (int32_t i = 0; i < columns; ++i, y += slope)
      fPixels[uint32_t(y >> 16) * fRowLength + uint32_t(column + i)].value = fStyle.pen;
    return;
  }
  DrawAntialiased(slope, y, xStart, xEnd, fStyle.dashMask, [this](int32_t column, int32_t across, uint32_t w0, uint32_t w1) {
    CImVector* p = fPixels + uint32_t(across >> 16) * fRowLength + uint32_t(column);
    BlendPixel(p[0], w0);
    BlendPixel(p[fRowLength], w1);
  });
}

// ---- backgrounds and the horizon

CView::CImageHold::CImageHold(CView& view) : fView(view) {
  if (view.fPixels || !view.fImage) return;
  const SRect whole = view.fImage->GetBounds();
  fNavigator.emplace(view.fImage, &whole, true, false);
  // An image resized since it was bound would be written past its end.
  if (!fNavigator->IsUsable() || int64_t(fNavigator->GetColumns()) < view.fWidth ||
      int64_t(fNavigator->GetRows()) < view.fHeight) {
    fNavigator.reset();
    return;
  }
  view.fPixels = fNavigator->Cells(0);
  view.fRowLength = fNavigator->GetStride() / sizeof(CImVector);
}

CView::CImageHold::~CImageHold() {
  if (!fNavigator) return;
  fView.fPixels = nullptr;
  fView.fRowLength = 0;
}

void CView::FillBackground() {
  CImageHold hold(*this);
  if (!hold.IsHeld()) return;
  for (int32_t y = 0; y < fHeight; ++y) std::fill_n(fPixels + uint32_t(y) * fRowLength, fWidth, CImVector{fStyle.background});
}

void CView::ClearBackground() {
  if (fPlainBackground || !fBackgroundImage) return FillBackground();
  TileBackground();
}

void CView::TileBackground() {
  CImageHold hold(*this);
  if (!hold.IsHeld()) return;
  const SRect bounds = fBackgroundImage->GetBounds();
  CImNavigator picture(fBackgroundImage, &bounds, false, false);
  if (!picture.IsUsable() || picture.GetColumns() == 0 || picture.GetRows() == 0) return;
  const uint32_t columns = picture.GetColumns(), rows = picture.GetRows();
  for (int32_t y = 0; y < fHeight; ++y) {
    CImVector* out = fPixels + uint32_t(y) * fRowLength;
    const CImVector* in = picture.Cells(uint32_t(y) % rows);
    for (int32_t x = 0; x < fWidth; ++x) out[x] = in[uint32_t(x) % columns];
  }
}

void CView::SetBackgroundImage(CImage* picture) {
  if (!picture) return;
  {
    CHolder holder(picture, false, false);
    if (!holder.IsLocked()) return;
  }
  const uint32_t width = picture->GetWidth(), height = picture->GetHeight();
  if (!fBackgroundImage) {
    int32_t error = kNoErr;
    fBackgroundImage = NewDataImage(width, height, &error);
    if (!fBackgroundImage) return;
  }
  const bool sized = (fBackgroundImage->GetWidth() == width && fBackgroundImage->GetHeight() == height) ||
                     fBackgroundImage->Allocate(width, height, 0, false, false);
  if (!sized || !fBackgroundImage->CopyFrom(picture)) return;
  fPlainBackground = false;
}

void CView::UsePlainBackground() {
  delete fBackgroundImage;
  fBackgroundImage = nullptr;
  fPlainBackground = true;
}

int32_t CView::ResetClassMeshes() const {
  return C3dBaseSys::ResetAllClasses(fStyle.selectedDetail, fStyle.fastDetail, fStyle.detail);
}

void CView::DrawHorizon() {
  if (!fCamera) return;
  CHolder holder(fCamera, false, false);
  if (!holder.IsLocked()) return;
  // The stored vectors, as they are: the horizon follows the camera's own tilt and roll.
  const SCameraView& view = fCamera->GetView();
  const vector3<double>& forward = view.direction;
  const vector3<double>& up = view.up;
  const vector3<double> right = Cross(up, forward);
  if (up.y == 0) return;
  const double lens = std::tan(view.fieldAngle * 0.8 * 0.5) * view.extentX;
  if (lens == 0) return;
  const int32_t w2 = fWidth / 2, h2 = fHeight / 2;
  const double p = w2 / lens;
  const double y0 = (-w2 * right.y + p * forward.y) / up.y + h2 + fPixelShiftY;
  const double y1 = (w2 * right.y + p * forward.y) / up.y + h2 + fPixelShiftY;
  fStyle.pen = kHorizonColour;
  DrawLine2d(0, float(y0), float(fWidth), float(y1));
}
