#include "editors/terrain/terrain_3d_preview.h"

#include <cmath>
#include <memory>

#include "framework/core/holder.h"
#include "framework/core/matrix34.h"
#include "framework/core/result_codes.h"
#include "framework/image/image8.h"

namespace {

// The camera stands this many view widths in front of the square's centre.
constexpr double kDistanceInWidths = 4.0;
constexpr double kFixedOne = 65536.0;
// The two drop shadows lie below and to the right of the relief.
constexpr SPointHV kShadowOffsets[] = {{0, 15}, {5, 10}};
constexpr uint32_t kTemporarySide = 256;

int32_t ToFixed(double pixels) { return int32_t(pixels * kFixedOne); }

// Bracket heights as the renderer's inverted levels: what lies below lo is cut away, what rises above
// hi is drawn at hi.
int32_t CutLevel(int32_t lo) { return 256 - (lo >> 8); }
int32_t MinimumShade(int32_t hi) { return 256 - (hi >> 8); }

}  // namespace

CTerrain3dPreview::CTerrain3dPreview() {
  for (uint32_t k = 0; k < kColours; ++k) fColours[k] = (255 - k) * 0x010101u;
}

void CTerrain3dPreview::SetColour(int32_t index, CImVector colour) {
  if (index < 0 || index >= int32_t(kColours)) return;
  fColours[index] = colour.value;
  TerrainPreview::ResizeBuffer(nullptr, 0);
}

void CTerrain3dPreview::SetPicture(const uint32_t* pixels, int32_t size) { TerrainPreview::ResizeBuffer(pixels, size); }

bool CTerrain3dPreview::Render(uint32_t* pixels, int32_t rowLength, const SRect& view, const CHFUnit* grid, uint32_t n,
                               int32_t lo, int32_t hi, int32_t mode) {
  const int32_t width = RectWidth(view), height = RectHeight(view);
  if (!pixels || !grid || n == 0 || width <= 0 || height <= 0) return false;
  TerrainPreview::SetTarget(pixels + int64_t(view.top) * rowLength + view.left, rowLength, width, height);

  // The square lies flat; horizontal drags and the spin turn it about the vertical axis (tilt), the
  // bounded vertical drag raises the eye above it (turn).
  const double w = width;
  C34Matrix camera;
  camera.RotateY(-fTiltAngle);
  camera.RotateX(fTurnAngle);
  camera.Translate(0, 0, kDistanceInWidths * w);
  const double s = w * fSizeScale;
  const vector3<double> corners[kCorners] = {{-s, 0, -s}, {s, 0, -s}, {s, 0, s}, {-s, 0, s}};
  constexpr double kTexture[kCorners][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  vector3<double> placed[kCorners];
  for (uint32_t i = 0; i < kCorners; ++i) placed[i] = camera.TransformPoint(corners[i]);

  // Heights rise along the screen by the part of the square's normal that faces the view.
  const vector3<double> normal = Cross(placed[1] - placed[0], placed[3] - placed[0]);
  const double length = std::sqrt(Dot(normal, normal));
  const double facing = length > 0 ? std::sqrt(normal.x * normal.x + normal.y * normal.y) / length : 0;
  SPass pass;
  pass.scale = int32_t(facing * fHeightScale * fSizeScale * kFixedOne);
  pass.cutLevel = CutLevel(lo);
  pass.minimumShade = MinimumShade(hi);
  pass.gridSide = n;
  TerrainPreview::SetHeightField(grid, int32_t(n), int32_t(n), int32_t(n), pass.scale, pass.cutLevel,
                                 pass.minimumShade, fColours);

  const double cx = w / 2, cy = height / 2.0;
  const double focal = kDistanceInWidths * w;
  auto drawAt = [&](double centreX, double centreY, int32_t passMode) {
    for (uint32_t i = 0; i < kCorners; ++i) {
      // A corner at or behind the eye cannot be projected; the camera keeps every corner in front.
      const double depth = std::max(placed[i].z, 1.0);
      STerrainVertex& v = pass.vertices[i];
      v.x = ToFixed(centreX + placed[i].x * focal / depth);
      v.y = ToFixed(centreY - placed[i].y * focal / depth);
      v.u = kTexture[i][0];
      v.v = kTexture[i][1];
      v.w = 1;
    }
    pass.mode = passMode;
    if (fObserver) fObserver(pass);
    return TerrainPreview::DrawPolygon(pass.vertices, int32_t(kCorners), passMode);
  };
  for (const SPointHV& offset : kShadowOffsets) {
    if (!drawAt(cx + offset.h, cy + offset.v, TerrainPreview::kOverlay)) return false;
  }
  return drawAt(cx, cy, mode);
}

int32_t ScaleImage8Into(CImage8* source, CImage* destination) {
  if (!source || !destination) return kErrInvalidParameter;
  {
    CHolder from(source, false, false);
    CHolder to(destination, false, false);
    if (!from.IsLocked() || !to.IsLocked()) return kErrOutOfMemory;
  }
  int32_t error = kNoErr;
  std::unique_ptr<CImage> copy(NewDataImage(kTemporarySide, kTemporarySide, &error));
  if (!copy) return kErrFailedCreation;
  if (!source->ToImage32(copy.get()) || !destination->ScaleFrom(copy.get(), 1)) return kErrOutOfMemory;
  return kNoErr;
}
