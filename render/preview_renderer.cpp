#include "render/preview_renderer.h"

#include <algorithm>
#include <optional>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/image.h"
#include "platform/window.h"
#include "render/render_context.h"
#include "render/render_loops.h"
#include "render/render_pixels.h"
#include "render/render_target.h"
#include "scene/base_sys.h"

namespace {

constexpr uint32_t kBlankPixel = 0x00FFFFFF;
constexpr uint32_t kSubdivided = 0x80000000;
// Input is looked at after this many ticks of work; bands are drawn after about ten.
constexpr int64_t kCheckTicks = 4;
constexpr int64_t kRefreshTicks = 10;
constexpr int64_t kSubdivisionRefreshTicks = 9;

uint32_t ToByte(float c) { return !(c > 0) ? 0 : c >= 1 ? 255 : uint32_t(c * 255); }

uint32_t Pack(const vector3<float>& colour) { return ToByte(colour.x) << 16 | ToByte(colour.y) << 8 | ToByte(colour.z); }

// Drains the queue while a preview renders: input is swallowed, a button press or key press stops the
// render, everything else is handled.
bool PumpPreviewMessages() {
  using namespace platform;
  bool stop = false;
  SMessage message;
  while (!stop && PeekMessage(&message, nullptr, 0, 0, true)) {
    const uint32_t kind = message.message;
    const bool mouse = kind >= kWmMouseFirst && kind <= kWmMouseLast;
    const bool key = kind >= kWmKeyFirst && kind <= kWmKeyLast;
    if (mouse || key) {
      stop = kind == kWmLButtonDown || kind == kWmRButtonDown || kind == kWmKeyDown;
      continue;
    }
    TranslateMessage(message);
    DispatchMessage(message);
  }
  return stop;
}

}  // namespace

// One call of Render: the locked image, the clocks, and where the bands go.
class CPreviewRenderer::CPass {
 public:
  CPass(CPreviewRenderer& renderer, const SRect& destination, bool interruptible)
      : fRenderer(renderer),
        fContext(*renderer.fContext),
        fState(fContext.GetProgressive()),
        fDestination(destination),
        fInterruptible(interruptible) {}

  int32_t Open() {
    CRenderTarget* target = fContext.GetTarget();
    fImage = target ? target->fImage : nullptr;
    if (!fImage || !fContext.GetSceneTable() || !fContext.GetSettings()) return kErrOutOfMemory;
    fBounds = fImage->GetBounds();
    fNavigator.emplace(fImage, &fBounds, true, false);
    fScene.emplace(fContext.GetSceneTable(), false, false);
    if (!fNavigator->IsUsable() || !fScene->IsLocked() || !fContext.PrepareLights()) return kErrOutOfMemory;
    fWidth = fBounds.right;
    fHeight = fBounds.bottom;
    fCheck.Start();
    fRefresh.Start();
    return kNoErr;
  }

  int32_t Run() {
    if (!fRenderer.fInProgress) {
      FillImageRect(*fNavigator, fBounds, CImVector{kBlankPixel}, false);
      fContext.GetStats().Clear();
      fRenderer.fInProgress = true;
      fRenderer.fStartBlockSize = fState.blockSize;
    }
    fTotal.Start();
    if (fState.blockSize != 0) {
      const int32_t result = fRenderer.fBlockSize == kProgressive ? Progressive() : Subdivision();
      if (result) return result;
    }
    if (fRenderer.fAntialias) {
      if (const int32_t result = Antialias()) return result;
    }
    fRenderer.Restart();
    fContext.GetStats().SplitTime(uint64_t(fTotal.ElapsedSeconds()));
    return kNoErr;
  }

 private:
  int32_t Progressive() {
    int32_t size = int32_t(fState.blockSize);
    const int32_t start = int32_t(fRenderer.fStartBlockSize);
    int32_t row = int32_t(fState.row), column = int32_t(fState.column);
    for (; size > 0; size /= 2, row = column = 0) {
      // Levels below the render's first have the previous level's corners sampled already.
      const int32_t previous = size * 2;
      const bool skips = size < start;
      int32_t bandTop = row;
      for (int32_t y = row; y < fHeight; y += size, column = 0) {
        for (int32_t x = column; x < fWidth; x += size) {
          if (skips && x % previous == 0 && y % previous == 0) continue;
          const CImVector pixel{fRenderer.SamplePixel(x, y)};
          if (size == 1) fNavigator->Cells(uint32_t(y))[x] = pixel;
          else FillImageRect(*fNavigator, SRect{y, x, y + size, x + size}, pixel, false);
          if (Stopped()) return Keep(size, NextColumn(x, size), y, size);
        }
        const bool last = y + size >= fHeight;
        if (last || fRefresh.ElapsedTicks() > kRefreshTicks) {
          Draw(bandTop, std::min(y + size, fHeight), false);
          bandTop = std::min(y + size, fHeight);
        }
      }
    }
    fState.blockSize = fState.blockMask = 0;
    return kNoErr;
  }

  int32_t Subdivision() {
    const int32_t size = int32_t(fRenderer.fBlockSize);
    int32_t column = int32_t(fState.column);
    int32_t bandTop = int32_t(fState.lastDrawnRow);
    for (int32_t y = int32_t(fState.row); y < fHeight; y += size, column = 0) {
      for (int32_t x = column; x < fWidth; x += size) {
        fRenderer.Subdivide(*fNavigator, x, y, size);
        if (Stopped()) {
          fState.lastDrawnRow = uint32_t(bandTop);
          return Keep(int32_t(fState.blockSize), NextColumn(x, size), y, size);
        }
      }
      const bool last = y + size >= fHeight;
      if (last || fRefresh.ElapsedTicks() > kSubdivisionRefreshTicks) {
        Draw(bandTop, std::min(y + size, fHeight), false);
        bandTop = std::min(y + size, fHeight);
      }
    }
    fState.blockSize = fState.blockMask = 0;
    fState.row = fState.column = fState.lastDrawnRow = 0;
    return kNoErr;
  }

  // Every pixel but the last row and column whose 2 × 2 cell differs gets eight samples.
  int32_t Antialias() {
    vector3<double> eye, corner;
    fContext.GetCamera()->GetEyeAndCorner(eye, corner);
    int32_t column = int32_t(fState.antialiasColumn);
    int32_t bandTop = int32_t(fState.antialiasRow);
    for (int32_t y = int32_t(fState.antialiasRow); y < fHeight - 1; ++y, column = 0) {
      CImVector* row = fNavigator->Cells(uint32_t(y));
      const CImVector* below = fNavigator->Cells(uint32_t(y + 1));
      for (int32_t x = column; x < fWidth - 1; ++x) {
        CImVector& pixel = row[x];
        if (pixel.Alpha() == 0xFF || !EdgeTest(pixel, row[x + 1], below[x], below[x + 1], kEdgeThreshold)) continue;
        pixel = ResamplePixel(fContext, eye, fWidth, fHeight, x, y, pixel);
        ++fContext.GetStats().fResampledPixels;
        if (Stopped()) {
          const bool rowDone = x + 1 >= fWidth - 1;
          fState.antialiasColumn = rowDone ? 0 : uint32_t(x + 1);
          fState.antialiasRow = uint32_t(rowDone ? y + 1 : y);
          return kSilentCode24;
        }
      }
      if (y == fHeight - 2 || fRefresh.ElapsedTicks() > kRefreshTicks) {
        Draw(bandTop, y + 1, fRenderer.fBandHighlight);
        bandTop = y + 1;
      }
    }
    // The last row, never sampled again, goes with the last band.
    Draw(bandTop, fHeight, false);
    return kNoErr;
  }

  static int32_t NextColumn(int32_t x, int32_t size) { return x + size; }

  // Where a stopped pass goes on: the block after the last one done, on the next row past the end.
  int32_t Keep(int32_t blockSize, int32_t column, int32_t row, int32_t size) {
    if (column >= fWidth) {
      column = 0;
      row += size;
    }
    if (row >= fHeight && fRenderer.fBlockSize == kProgressive) {
      row = 0;
      blockSize /= 2;
    }
    fState.blockSize = uint32_t(blockSize);
    fState.blockMask = uint32_t(std::max(blockSize * 2 - 1, 0));
    fState.column = uint32_t(column);
    fState.row = uint32_t(row);
    return kSilentCode24;
  }

  bool Stopped() {
    if (!fInterruptible || fCheck.ElapsedTicks() <= kCheckTicks) return false;
    fCheck.Start();
    CAppl* app = GetApplication();
    return (app && app->IsUserInterrupt()) || PumpPreviewMessages();
  }

  // Rows [top, bottom) to the destination, the last of them inverted meanwhile when highlighted.
  void Draw(int32_t top, int32_t bottom, bool highlight) {
    fRefresh.Start();
    CRenderTarget* target = fContext.GetTarget();
    if (!target->fPort || bottom <= top) return;
    const SRect band{top, 0, bottom, fWidth};
    const SRect to{fDestination.top + top, fDestination.left, fDestination.top + bottom, fDestination.left + fWidth};
    const SRect line{bottom - 1, 0, bottom, fWidth};
    if (highlight) InvertImageRect(*fNavigator, line);
    fImage->Draw(target->fPort, band, to);
    if (highlight) InvertImageRect(*fNavigator, line);
  }

  CPreviewRenderer& fRenderer;
  CRenderContext& fContext;
  CRenderContext::SProgressiveState& fState;
  const SRect fDestination;
  const bool fInterruptible;
  CImage* fImage = nullptr;
  SRect fBounds;
  std::optional<CImNavigator> fNavigator;
  std::optional<CHolder> fScene;
  int32_t fWidth = 0;
  int32_t fHeight = 0;
  CTimer fCheck;
  CTimer fRefresh;
  CTimer fTotal;
};

void CPreviewRenderer::SetScene(CRenderContext* context) {
  fContext = context;
  if (!context) return;
  context->SetSettings(&fSettings);
  context->SetCamera(&fCamera);
}

int32_t CPreviewRenderer::Prepare(int32_t width, int32_t height) {
  if (!fContext || !fContext->GetSceneTable()) return kErrOutOfMemory;
  fCamera.GetEyeAndCorner(fEye, fCorner);
  fScaleX = width > 0 ? fCamera.fWidth / double(width) : 0;
  fScaleY = height > 0 ? fCamera.fHeight / double(height) : 0;
  {
    CHolder scene(fContext->GetSceneTable(), false, false);
    if (!scene.IsLocked() || !fContext->PrepareLights()) return kErrOutOfMemory;
  }
  return fContext->PrepareOptimizer() ? kNoErr : kErrOutOfMemory;
}

void CPreviewRenderer::Restart() {
  fInProgress = false;
  if (!fContext) return;
  fContext->ResetProgressive();
  // A block size of 0 would render nothing.
  fContext->GetProgressive().blockSize = std::max(fInitialBlockSize, kProgressive);
}

int32_t CPreviewRenderer::Render(const SRect& destination, bool interruptible) {
  if (!fContext) return kErrOutOfMemory;
  CPass pass(*this, destination, interruptible);
  if (const int32_t result = pass.Open()) return result;
  return pass.Run();
}

void CPreviewRenderer::PixelRay(int32_t px, int32_t py, vector3<double>& direction, float& length) const {
  const double offset = fAntialias ? 0.0 : 0.5;
  const double u = px * fScaleX + fScaleX * offset - fCamera.fShiftX;
  const double v = py * fScaleY + fScaleY * offset - fCamera.fShiftY;
  direction = fCorner + fCamera.fX * u - fCamera.fY * v - fEye;
  const double squared = Dot(direction, direction);
  if (!(squared > 0)) {
    length = 0;
    return;
  }
  const double inverse = FastInvSqrt(squared);
  length = float(1 / inverse);
  direction *= inverse;
}

uint32_t CPreviewRenderer::SamplePixel(int32_t x, int32_t y) {
  vector3<double> direction;
  float length = 0;
  PixelRay(x, y, direction, length);
  return Pack(TracePrimaryRay(*fContext, fEye, direction * double(length), -1));
}

void CPreviewRenderer::Subdivide(CImNavigator& image, int32_t x, int32_t y, int32_t size) {
  const int32_t width = int32_t(image.GetColumns()), height = int32_t(image.GetRows());
  const int32_t xs[4] = {x, x + size, x + size, x};
  const int32_t ys[4] = {y, y, y + size, y + size};
  CImVector corners[4];
  for (int k = 0; k < 4; ++k) {
    // A corner beyond the image is sampled like the others, into a pixel of its own.
    CImVector scratch;
    const bool inside = xs[k] < width && ys[k] < height;
    CImVector& pixel = inside ? image.Cells(uint32_t(ys[k]))[xs[k]] : scratch;
    if (pixel.Alpha() == 0) pixel.value = kSubdivided | SamplePixel(xs[k], ys[k]);
    corners[k] = pixel;
    if (size == 1) return;
  }
  if (!EdgeTest(corners[0], corners[1], corners[2], corners[3], kEdgeThreshold)) {
    FillBlockBilinear(image, x, y, size, corners[0], corners[1], corners[3], corners[2]);
    return;
  }
  const int32_t half = size / 2;
  Subdivide(image, x, y, half);
  if (x + half < width) Subdivide(image, x + half, y, half);
  if (x + half < width && y + half < height) Subdivide(image, x + half, y + half, half);
  if (y + half < height) Subdivide(image, x, y + half, half);
}
