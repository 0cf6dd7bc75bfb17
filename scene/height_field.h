// Height fields: terrains as a square grid of n × n unsigned 16-bit heights behind the object's
// record. Sample (x, z) stands at x, z in [0, n − 1] of object space, its height h at y = h shifted
// right by the tile shift (about n units for the whole 16-bit range). Rays go through a tile pyramid
// (height_field_grid.h); a symmetric terrain is doubled by its reflection about the lower clip height.
// The terrain editor, the undo history and the earlier document format reach the grid through the
// editing operations at the end (height_field_editing.cpp).
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "framework/core/random.h"
#include "framework/core/rect.h"
#include "framework/image/image.h"
#include "scene/height_field_grid.h"
#include "scene/object.h"
#include "scene/render_hold.h"

class CImage8;

class C3dHeightField : public C3dObject {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("hfld");
  static constexpr const char* kTypeName = "C3dHeightField";
  // The height-field header, offsets from the record's start.
  static constexpr uint32_t kByteOrderOffset = 748;  // 1 while the grid is big-endian
  static constexpr uint32_t kBoxOffset = 752;
  static constexpr uint32_t kExtrasOffset = 800;
  static constexpr uint32_t kLowerClipOffset = 824;
  static constexpr uint32_t kUpperClipOffset = 832;
  static constexpr uint32_t kSideOffset = 840;
  static constexpr uint32_t kSymmetricOffset = 844;
  static constexpr uint32_t kGridOffset = 848;
  // Clip heights as fractions of n; the defaults clip nothing.
  static constexpr double kDefaultLowerClip = -1e-05;
  static constexpr double kDefaultUpperClip = 1.00001;
  static constexpr uint32_t kNewSide = 128;
  static constexpr uint32_t kColourCount = 256;

  explicit C3dHeightField(const SObjectKey& key);
  ~C3dHeightField() override;

  // The shape form of the factory: the terrain gets a material copied from the template.
  static int32_t New(C3dHeightField** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec,
                     Handle32 templateMaterial);
  // 848 + 2n²; 0 when it does not fit 32 bits.
  static uint32_t RecordSizeFor(uint32_t n);

  uint32_t GetSide() const { return fSide; }
  // The heights, row after row (row z, column x); valid while the record is locked.
  CHFUnit* GetGrid() const { return reinterpret_cast<CHFUnit*>(GetData() + kGridOffset); }
  bool IsSymmetric() const { return fSymmetric; }
  void SetSymmetric(bool symmetric) { fSymmetric = symmetric; }
  double GetLowerClip() const { return fLowerClip; }
  double GetUpperClip() const { return fUpperClip; }
  void SetClip(double lower, double upper) {
    fLowerClip = lower;
    fUpperClip = upper;
  }
  // The three values kept with the box.
  const double* GetExtras() const { return fExtras; }
  void SetExtras(const double extras[3]);
  const CHeightFieldGrid* GetTiles() const { return fTiles; }

  // Resizes the record for n × n samples, keeping its leading bytes; 0 (also when n is unchanged),
  // 9, or 16 for n = 0.
  int32_t SetResolution(uint32_t n);
  // Resamples the leading side × side samples to the requested side rounded down to a multiple of 16
  // (at least 16), leaving the record exactly that size; side becomes the new side. Nothing when the
  // request equals side. 9 (the field unchanged) or 16 for a side the record does not hold.
  int32_t ResampleGrid(uint32_t* side, uint32_t requested);
  // A new random fractal terrain of 128 × 128 from the program's random generator; 0 or 9.
  int32_t Rebuild();
  // The terrain from a picture's grey levels: n from its width, grid row 0 from its bottom row; 0,
  // the picture's error when it cannot be read, 9, or 16 without a picture.
  int32_t SetFromImage(CImage* image);
  // The box [−0.01, n + 0.01] on every axis (from 2L − n − 0.01 in y when symmetric) and the pivot
  // (n/2, n/2, n/2), or (n/2, 0, n/2), as the reference transform's position.
  void SetBoxAndPivot();
  // Rebuilds the tile pyramid from the heights; 0 or 9.
  int32_t BuildTiles();

  // The steps of a new terrain, each on a grid of n × n samples: every sample moved at random by up
  // to about half its share of the amplitude; lowered towards the edges; the outermost rows and
  // columns cleared; stretched over the whole 16-bit range (a flat grid stays as it is).
  static void PerturbGrid(CHFUnit* grid, uint32_t n, int32_t amplitude, SRandomState& random);
  static void ApplyBell(CHFUnit* grid, uint32_t n);
  static void ClearBorder(CHFUnit* grid, uint32_t n);
  static void NormaliseGrid(CHFUnit* grid, uint32_t n);

  // ---- editing (height_field_editing.cpp)

  // Becomes a copy of the snapshot's header and heights; with rebuild the tiles follow. 0 or 9.
  int32_t CopyGrid(C3dHeightField& snapshot, bool rebuild);
  // A stand-alone height field of n × n samples in the same environment, in no table. 0 or 9.
  int32_t MakeTemporary(C3dHeightField** out, uint32_t n);
  // Exchanges the terrains (header and heights) of two height fields of one environment that is no
  // document; each keeps its own name and placement. 0, 9, or 16 for fields that cannot swap.
  int32_t SwapData(C3dHeightField& other, bool rebuildThis, bool rebuildOther);
  // Resamples the grid bilinearly to n × n, keeping the clip range, the symmetric flag and the extras;
  // false on any failure, the field then unchanged.
  bool ChangeResolution(uint32_t n);
  // Fills the grid from a square region of the source (bottom and right exclusive; the whole source
  // with none), resampled in 8-bit fixed point when its side differs from n. False when nothing of
  // the region lies in the source.
  bool CopyFrom(C3dHeightField& source, const SRect* region);
  // Fills an 8-bit picture with grey levels 255 − ((65535 − h) >> 8), grid row n − 1 at the top.
  bool MakeGrayImage(CImage8* image);
  // Fills an 8-bit picture with h × 255 / 65535, pixel (x, y) from sample (x n / W, y n / H).
  bool FillImageFromGrid(CImage8* image);
  // The elevation colour table: 256 colours and an offset into them. 0, 9, or 16 without colours.
  int32_t SetColourTable(const CImVector* colours, int32_t offset);
  // The table's 256 colours and its offset; false, with nothing written, without a table or when it
  // cannot be locked.
  bool GetColourTable(CImVector* colours, int32_t* offset);
  void DeleteColourTable();
  // The table's colour at a fraction of the height range, blended between neighbouring entries; the
  // zero colour without a table.
  CImVector ColourAtHeight(double fraction);
  bool HasColourTable() const { return fColours != nullptr; }
  // The table's colour at the height of an object-space point, as a fraction of the full 16-bit
  // height range.
  CImVector ColourAtPoint(const vector3<double>& objectPoint);
  // The grid of the earlier document format: big-endian n, three header values and n × n signed
  // samples. 0; 2 for a block too short for its n; 9.
  int32_t ImportOldGrid(const uint8_t* block, uint32_t size);

  bool IsReady() const override;
  const char* TypeName() const override { return kTypeName; }
  C3dObject* Duplicate(C3dBaseSys* table) override;
  int32_t CopyTo(C3dObject& target) override;
  int32_t Prepare() override { return 0; }
  bool Intersect(CRay& ray) override;
  bool IntersectSpans(CRay& ray, bool farSide, CSpanList& spans) override;
  bool IsRayInside(const CRay&) override { return false; }
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  bool HasEditor() const override { return true; }
  uint32_t FacetCount() override { return 2 * fSide * fSide; }
  C3dBox LocalBox() override { return fBox; }
  C3dBox WorldBox() override { return fBox.Transform(GetObjectToWorld()); }
  // detail divides n into the spacing of the lines drawn.
  bool DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t detail, bool reduced) override;
  void BeginRender() override;
  void EndRender() override;

  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;
  bool IsInStoredOrder(const uint8_t* record, uint32_t size) const override;

 private:
  // The walk shared by Intersect and IntersectSpans; false when the ray misses the box.
  // With spans, every crossing is appended to it; otherwise hit receives the nearest.
  bool Query(CRay& ray, CSpanList* spans, SHeightHit* hit);
  bool DistanceOnly(const CRay& ray) const;
  SSpanEntry HitEntry(const SHeightHit& hit, bool wantsTexture);
  void CopyHeaderFrom(const C3dHeightField& other);
  void SwapHeader(C3dHeightField& other);

  uint32_t fSide = 0;
  C3dBox fBox;
  double fExtras[3] = {};
  double fLowerClip = kDefaultLowerClip;
  double fUpperClip = kDefaultUpperClip;
  bool fSymmetric = false;
  CHeightFieldGrid* fTiles = nullptr;
  // The record is locked from the start of a render to its end.
  CRenderHold fRenderHold;
  // Set when the tiles could not be built for a record read from a document.
  bool fTilesFailed = false;
  CSpoolTableT<CImVector>* fColours = nullptr;
  int32_t fColourOffset = 0;
};
