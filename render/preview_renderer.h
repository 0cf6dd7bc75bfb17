// The preview tracer: small images (the control palette's scene preview, the preview mini-scene's
// material, object and sky thumbnails) rendered by the same ray tracer as the main render, with their
// own sampling: a progressive pass over shrinking blocks, or corner samples of fixed blocks split
// where they differ, then optionally eight samples in each pixel whose neighbours differ. A render runs
// in time slices inside its caller's command, draws finished bands into the destination as it goes,
// and stops at a click or key press, keeping its place for the next call.
//
// A pixel's top byte is its sampling state: 0 not sampled yet (or filled by the progressive pass),
// 0x80 sampled by the subdivision, 0xFF antialiased.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/rect.h"
#include "framework/core/vector3.h"
#include "render/render_camera.h"
#include "render/render_settings.h"

class CImNavigator;
class CRenderContext;
class CRenderWorker;
class CTimer;

class CPreviewRenderer : public CBaseObject {
 public:
  static constexpr uint32_t kProgressive = 1;
  static constexpr int32_t kEdgeThreshold = 20;

  CPreviewRenderer() = default;
  CPreviewRenderer(const CPreviewRenderer&) = delete;
  CPreviewRenderer& operator=(const CPreviewRenderer&) = delete;

  // Attaches the context and lends it the renderer's settings record and render camera; its scene
  // table and target stay the owner's.
  void SetScene(CRenderContext* context);
  CRenderContext* GetContext() const { return fContext; }
  SRenderSettings& GetSettings() { return fSettings; }
  CRenderCamera& GetCamera() { return fCamera; }

  // Run the eight-sample pass after the main pass; it also takes the main samples at pixel corners.
  void SetAntialias(bool on) { fAntialias = on; }
  bool IsAntialias() const { return fAntialias; }
  // Show which band the antialias pass refreshes.
  void SetBandHighlight(bool on) { fBandHighlight = on; }
  bool IsBandHighlight() const { return fBandHighlight; }
  // 1 renders progressively; any other size subdivides blocks of it.
  void SetBlockSize(uint32_t size) { fBlockSize = size; }
  uint32_t GetBlockSize() const { return fBlockSize; }
  // The block size of the first progressive level of the next render.
  void SetInitialBlockSize(uint32_t size) { fInitialBlockSize = size; }
  uint32_t GetInitialBlockSize() const { return fInitialBlockSize; }

  // After a change of scene, camera or size: the eye and view-plane corner from the render camera
  // (which the owner has set from its camera), the pixel scales for width × height, the lights
  // collected and the optimizer fed. 0, or 9 when the scene table cannot be locked or the lights or
  // optimizer cannot be set up. The render's progress stays.
  int32_t Prepare(int32_t width, int32_t height);
  // The next render starts afresh: positions, counters and the in-progress flag cleared, the block
  // size armed with the initial progressive block size.
  void Restart();
  bool IsInProgress() const { return fInProgress; }

  // Renders into the context's target image and draws finished bands into the target's port at the
  // destination. 0 finished; 24 interrupted by a click or key (call again to resume); 9 when the image
  // or the scene table cannot be locked or the lights not collected, the image then unchanged.
  int32_t Render(const SRect& destination, bool interruptible);

  // The direction from the eye through pixel (px, py) (its centre, or its corner with antialiasing),
  // normalised, and the distance to the view plane along it.
  void PixelRay(int32_t px, int32_t py, vector3<double>& direction, float& length) const;
  // The adaptive render of the size × size square at (x, y) of the image.
  void Subdivide(CImNavigator& image, int32_t x, int32_t y, int32_t size);

 private:
  class CPass;
  friend class CPass;

  // The sample of a pixel as 0x00RRGGBB, counted into the context's statistics or the worker's.
  uint32_t SamplePixel(int32_t x, int32_t y);
  uint32_t SamplePixel(CRenderWorker& worker, int32_t x, int32_t y);
  // Subdivide over any rows laid out like the image's, width × height.
  template <typename Rows>
  void SubdivideRows(Rows& rows, int32_t width, int32_t height, int32_t x, int32_t y, int32_t size,
                     CRenderWorker& worker);

  bool fAntialias = false;
  bool fBandHighlight = false;
  uint32_t fBlockSize = 4;
  uint32_t fInitialBlockSize = kProgressive;
  CRenderCamera fCamera;
  SRenderSettings fSettings;
  CRenderContext* fContext = nullptr;
  vector3<double> fEye;
  vector3<double> fCorner;
  double fScaleX = 0;
  double fScaleY = 0;
  // A render under way, and the block size it started from: only levels below it have blocks sampled
  // already.
  bool fInProgress = false;
  uint32_t fStartBlockSize = kProgressive;
};
