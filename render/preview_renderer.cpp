#include "render/preview_renderer.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/image.h"
#include "platform/window.h"
#include "render/render_context.h"
#include "render/render_driver.h"
#include "render/render_loops.h"
#include "render/render_pixels.h"
#include "render/render_target.h"
#include "render/render_workers.h"
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

// Rows [top, top + rows of cells) of the image, laid out like it, with its height for clipping.
struct SPreviewStrip {
  std::vector<CImVector> cells;
  int32_t top;
  int32_t columns;
  int32_t imageRows;
  CImVector* Cells(uint32_t row) { return cells.data() + size_t(int32_t(row) - top) * size_t(columns); }
  uint32_t GetColumns() const { return uint32_t(columns); }
  uint32_t GetRows() const { return uint32_t(imageRows); }
};

// Drains the queue while a preview renders: input is swallowed, and a button press or key press stops
// the render. Paint messages are handled; any other message stops the render and stays in the queue:
// what it does (a command from the menu bar, the window closed) may change or replace the scene, which
// the render holds until it returns.
bool PumpPreviewMessages() {
  using namespace platform;
  SMessage message;
  while (PeekMessage(&message, nullptr, 0, 0, false)) {
    const uint32_t kind = message.message;
    const bool mouse = kind >= kWmMouseFirst && kind <= kWmMouseLast;
    const bool key = kind >= kWmKeyFirst && kind <= kWmKeyLast;
    if (!mouse && !key && kind != kWmPaint) return true;
    PeekMessage(&message, nullptr, kind, kind, true);
    if (kind == kWmLButtonDown || kind == kWmRButtonDown || kind == kWmKeyDown) return true;
    if (mouse || key) continue;
    TranslateMessage(message);
    DispatchMessage(message);
  }
  return false;
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
    // Every object ready, its material and textures held, whether one thread renders or a crew.
    fReadiness.emplace(*fContext.GetSceneTable());
    // With one thread the loops below run as they always have; with more, rows go to a crew.
    if (RenderThreadCount() > 1) {
      fCrew.emplace(fContext);
      if (!fCrew->Prepare()) return kErrOutOfMemory;
    }
    if (fState.blockSize != 0) {
      const int32_t result = fRenderer.fBlockSize == kProgressive ? (fCrew ? ProgressiveRows() : Progressive())
                                                                   : (fCrew ? SubdivisionRows() : Subdivision());
      if (result) return result;
    }
    if (fRenderer.fAntialias) {
      if (const int32_t result = fCrew ? AntialiasRows() : Antialias()) return result;
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

  // The progressive levels on the crew: each row of a level one item, its blocks filled at once.
  int32_t ProgressiveRows() {
    int32_t size = int32_t(fState.blockSize);
    const int32_t start = int32_t(fRenderer.fStartBlockSize);
    int32_t row = int32_t(fState.row), column = int32_t(fState.column);
    for (; size > 0; size /= 2, row = column = 0) {
      const int32_t previous = size * 2;
      const bool skips = size < start;
      const uint32_t rows = row < fHeight ? uint32_t((fHeight - row + size - 1) / size) : 0;
      const auto work = [&](CRenderWorker& worker, uint32_t k) {
        const int32_t y = row + int32_t(k) * size;
        std::vector<std::pair<int32_t, CImVector>> made;
        for (int32_t x = k == 0 ? column : 0; x < fWidth; x += size) {
          if (skips && x % previous == 0 && y % previous == 0) continue;
          made.emplace_back(x, CImVector{fRenderer.SamplePixel(worker, x, y)});
        }
        std::lock_guard<std::mutex> guard(fCrew->ImageLock());
        for (const auto& [x, pixel] : made) {
          if (size == 1) fNavigator->Cells(uint32_t(y))[x] = pixel;
          else FillImageRect(*fNavigator, SRect{y, x, y + size, x + size}, pixel, false);
        }
      };
      int32_t bandTop = row;
      uint32_t drawn = 0;
      bool stopped = false;
      const auto tend = [&](uint32_t done) {
        if (Stopped()) return stopped = true;
        if (done > drawn && (done == rows || fRefresh.ElapsedTicks() > kRefreshTicks)) {
          const int32_t bandEnd = std::min(row + int32_t(done) * size, fHeight);
          std::lock_guard<std::mutex> guard(fCrew->ImageLock());
          Draw(bandTop, bandEnd, false);
          bandTop = bandEnd;
          drawn = done;
        }
        return false;
      };
      const uint32_t done = fCrew->Run(rows, work, tend);
      if (stopped) return Keep(size, 0, row + int32_t(done) * size, size);
    }
    fState.blockSize = fState.blockMask = 0;
    return kNoErr;
  }

  // The subdivided blocks on the crew: each row of blocks one item, on a strip of its own rows and
  // the row below, which belongs to the next row of blocks (its corner samples there are the same
  // whoever takes them, so the strip starts that row unsampled).
  int32_t SubdivisionRows() {
    const int32_t size = int32_t(fRenderer.fBlockSize);
    const int32_t column = int32_t(fState.column);
    const int32_t first = int32_t(fState.row);
    int32_t bandTop = int32_t(fState.lastDrawnRow);
    const uint32_t rows = first < fHeight ? uint32_t((fHeight - first + size - 1) / size) : 0;
    const auto work = [&](CRenderWorker& worker, uint32_t k) {
      const int32_t y = first + int32_t(k) * size;
      const int32_t own = std::min(y + size, fHeight) - y;
      SPreviewStrip strip{std::vector<CImVector>(size_t(fWidth) * size_t(own + 1)), y, fWidth, fHeight};
      {
        std::lock_guard<std::mutex> guard(fCrew->ImageLock());
        for (int32_t j = 0; j < own; ++j)
          std::copy_n(fNavigator->Cells(uint32_t(y + j)), fWidth, strip.Cells(uint32_t(y + j)));
      }
      for (int32_t x = k == 0 ? column : 0; x < fWidth; x += size)
        fRenderer.SubdivideRows(strip, fWidth, fHeight, x, y, size, worker);
      std::lock_guard<std::mutex> guard(fCrew->ImageLock());
      for (int32_t j = 0; j < own; ++j)
        std::copy_n(strip.Cells(uint32_t(y + j)), fWidth, fNavigator->Cells(uint32_t(y + j)));
    };
    uint32_t drawn = 0;
    bool stopped = false;
    const auto tend = [&](uint32_t done) {
      if (Stopped()) return stopped = true;
      if (done > drawn && (done == rows || fRefresh.ElapsedTicks() > kSubdivisionRefreshTicks)) {
        const int32_t bandEnd = std::min(first + int32_t(done) * size, fHeight);
        std::lock_guard<std::mutex> guard(fCrew->ImageLock());
        Draw(bandTop, bandEnd, false);
        bandTop = bandEnd;
        drawn = done;
      }
      return false;
    };
    const uint32_t done = fCrew->Run(rows, work, tend);
    if (stopped) {
      fState.lastDrawnRow = uint32_t(bandTop);
      return Keep(int32_t(fState.blockSize), 0, first + int32_t(done) * size, size);
    }
    fState.blockSize = fState.blockMask = 0;
    fState.row = fState.column = fState.lastDrawnRow = 0;
    return kNoErr;
  }

  // The eight-sample pass on the crew: each row antialiased against the row below as both were, into
  // a buffer of its own, and put into the image in order.
  int32_t AntialiasRows() {
    vector3<double> eye, corner;
    fContext.GetCamera()->GetEyeAndCorner(eye, corner);
    const int32_t column = int32_t(fState.antialiasColumn);
    const int32_t first = int32_t(fState.antialiasRow);
    int32_t bandTop = first;
    const uint32_t rows = first < fHeight - 1 ? uint32_t(fHeight - 1 - first) : 0;
    std::vector<std::vector<CImVector>> made(rows);
    std::vector<uint32_t> resampled(rows, 0);
    const auto work = [&](CRenderWorker& worker, uint32_t k) {
      const int32_t y = first + int32_t(k);
      const CImVector* row = fNavigator->Cells(uint32_t(y));
      const CImVector* below = fNavigator->Cells(uint32_t(y + 1));
      std::vector<CImVector> out(row, row + fWidth);
      for (int32_t x = k == 0 ? column : 0; x < fWidth - 1; ++x) {
        CImVector& pixel = out[size_t(x)];
        if (pixel.Alpha() == 0xFF || !EdgeTest(pixel, row[x + 1], below[x], below[x + 1], kEdgeThreshold)) continue;
        pixel = ResamplePixel(worker, eye, fWidth, fHeight, x, y, pixel);
        ++resampled[k];
      }
      made[k] = std::move(out);
    };
    uint32_t committed = 0;
    bool stopped = false;
    const auto tend = [&](uint32_t done) {
      std::lock_guard<std::mutex> guard(fCrew->ImageLock());
      for (; committed < done; ++committed) {
        std::copy(made[committed].begin(), made[committed].end(),
                  fNavigator->Cells(uint32_t(first + int32_t(committed))));
        fContext.GetStats().fResampledPixels += resampled[committed];
        std::vector<CImVector>().swap(made[committed]);
      }
      if (Stopped()) return stopped = true;
      const int32_t end = first + int32_t(committed);
      if (end > bandTop && (committed == rows || fRefresh.ElapsedTicks() > kRefreshTicks)) {
        Draw(bandTop, end, fRenderer.fBandHighlight);
        bandTop = end;
      }
      return false;
    };
    fCrew->Run(rows, work, tend);
    if (stopped) {
      fState.antialiasColumn = 0;
      fState.antialiasRow = uint32_t(first + int32_t(committed));
      return kSilentCode24;
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
  // The crew (only when more than one thread renders) ends first, adding its workers' counts to the
  // context's, then the objects' readiness.
  std::optional<CRenderReadiness> fReadiness;
  std::optional<CRenderCrew> fCrew;
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
  // The preview's context only renders.
  return fContext->PrepareOptimizer(false) ? kNoErr : kErrOutOfMemory;
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
  CRenderWorker worker(*fContext);
  return SamplePixel(worker, x, y);
}

uint32_t CPreviewRenderer::SamplePixel(CRenderWorker& worker, int32_t x, int32_t y) {
  vector3<double> direction;
  float length = 0;
  PixelRay(x, y, direction, length);
  return Pack(TracePrimaryRay(worker, fEye, direction * double(length), -1));
}

void CPreviewRenderer::Subdivide(CImNavigator& image, int32_t x, int32_t y, int32_t size) {
  CRenderWorker worker(*fContext);
  SubdivideRows(image, int32_t(image.GetColumns()), int32_t(image.GetRows()), x, y, size, worker);
}

template <typename Rows>
void CPreviewRenderer::SubdivideRows(Rows& image, int32_t width, int32_t height, int32_t x, int32_t y, int32_t size,
                                     CRenderWorker& worker) {
  const int32_t xs[4] = {x, x + size, x + size, x};
  const int32_t ys[4] = {y, y, y + size, y + size};
  CImVector corners[4];
  for (int k = 0; k < 4; ++k) {
    // A corner beyond the image is sampled like the others, into a pixel of its own.
    CImVector scratch;
    const bool inside = xs[k] < width && ys[k] < height;
    CImVector& pixel = inside ? image.Cells(uint32_t(ys[k]))[xs[k]] : scratch;
    if (pixel.Alpha() == 0) pixel.value = kSubdivided | SamplePixel(worker, xs[k], ys[k]);
    corners[k] = pixel;
    if (size == 1) return;
  }
  if (!EdgeTest(corners[0], corners[1], corners[2], corners[3], kEdgeThreshold)) {
    FillBlockBilinear(image, x, y, size, corners[0], corners[1], corners[3], corners[2]);
    return;
  }
  const int32_t half = size / 2;
  SubdivideRows(image, width, height, x, y, half, worker);
  if (x + half < width) SubdivideRows(image, width, height, x + half, y, half, worker);
  if (x + half < width && y + half < height) SubdivideRows(image, width, height, x + half, y + half, half, worker);
  if (y + half < height) SubdivideRows(image, width, height, x, y + half, half, worker);
}
