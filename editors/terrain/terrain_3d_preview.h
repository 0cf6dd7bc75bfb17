// The terrain editor's small shaded 3D view of a height grid: the colour table it is painted with,
// the view's angles and scales, and the camera that lays the grid's square flat in front of the view.
// A render hands the terrain preview renderer three passes: two offset drop shadows that darken what
// lies under the square, then the relief.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/core/rect.h"
#include "framework/ui/geometry.h"
#include "framework/image/image.h"
#include "render/terrain_preview.h"
#include "scene/resample_grid.h"

class CImage8;

class CTerrain3dPreview {
 public:
  static constexpr uint32_t kColours = 256;
  static constexpr double kDefaultHeightScale = 1.5;
  static constexpr double kDefaultSizeScale = 0.5;
  static constexpr double kDefaultTiltAngle = 0.0;
  static constexpr double kDefaultTurnAngle = 0.2;
  static constexpr uint32_t kCorners = 4;

  // One pass as the renderer gets it: the projected square, the pass's mode and the field's settings.
  struct SPass {
    STerrainVertex vertices[kCorners];
    int32_t mode = 0;
    int32_t scale = 0;
    int32_t cutLevel = 0;
    int32_t minimumShade = 0;
    uint32_t gridSide = 0;
  };

  // Entry k of the colour table is grey 255 − k.
  CTerrain3dPreview();
  CTerrain3dPreview(const CTerrain3dPreview&) = delete;
  CTerrain3dPreview& operator=(const CTerrain3dPreview&) = delete;
  virtual ~CTerrain3dPreview() = default;

  // Entries 0 to 255 only; a new colour drops the renderer's picture, so that the relief is painted
  // from the table again.
  void SetColour(int32_t index, CImVector colour);
  CImVector GetColour(uint32_t index) const { return {index < kColours ? fColours[index] : 0}; }
  // The renderer keeps a copy of the size × size pixels and paints the relief with it.
  static void SetPicture(const uint32_t* pixels, int32_t size);

  // Renders the n × n grid into the view rectangle of the pixels (rowLength of them to a row): the
  // square's two shadows, then its relief in the mode given (TerrainPreview's). lo and hi are the
  // bracket heights: the renderer cuts away what lies below lo and flattens what rises above hi.
  // False when a pass is refused, the passes before it staying drawn.
  bool Render(uint32_t* pixels, int32_t rowLength, const SRect& view, const CHFUnit* grid, uint32_t n, int32_t lo,
              int32_t hi, int32_t mode);

  double GetHeightScale() const { return fHeightScale; }
  void SetHeightScale(double scale) { fHeightScale = scale; }
  double GetSizeScale() const { return fSizeScale; }
  void SetSizeScale(double scale) { fSizeScale = scale; }
  double GetTiltAngle() const { return fTiltAngle; }
  void SetTiltAngle(double angle) { fTiltAngle = angle; }
  double GetTurnAngle() const { return fTurnAngle; }
  void SetTurnAngle(double angle) { fTurnAngle = angle; }

  // For tests: called with every pass before it is drawn.
  void SetPassObserver(std::function<void(const SPass&)> observer) { fObserver = std::move(observer); }

 private:
  uint32_t fColours[kColours] = {};
  double fHeightScale = kDefaultHeightScale;
  double fSizeScale = kDefaultSizeScale;
  double fTiltAngle = kDefaultTiltAngle;
  double fTurnAngle = kDefaultTurnAngle;
  std::function<void(const SPass&)> fObserver;
};

// The 8-bit image through a 256 × 256 32-bit copy, scaled into the destination (CImage::ScaleFrom
// with filter 1): 0, 9 when an image cannot be locked, 13 when the copy cannot be made.
int32_t ScaleImage8Into(CImage8* source, CImage* destination);
