#include "render/render_loops.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/progress.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/core/win_appl.h"
#include "platform/clock.h"
#include "platform/system.h"
#include "platform/window.h"
#include "render/ray_trace.h"
#include "render/render_camera.h"
#include "render/render_context.h"
#include "render/render_pixels.h"
#include "render/render_settings.h"
#include "render/render_target.h"
#include "render/render_workers.h"
#include "scene/base_sys.h"
#include "scene/ray.h"

namespace {

constexpr int32_t kEdgeThreshold = 20;
// The loops look for user input after this many ticks of work, and redraw and pump after about
// ten.
constexpr int64_t kSliceTicks = 2;
constexpr int64_t kProgressiveRefreshTicks = 11;
constexpr int64_t kRefreshTicks = 10;
constexpr int32_t kAdaptiveBlock = 4;
constexpr uint32_t kAdaptiveSampled = 0x80000000;
constexpr uint32_t kAntialiased = 0xFF000000;
// The antialias pass's seven further samples; with the pixel's own colour they make eight, whose
// mean on the 0 … 255 scale is (old / 255 + sum) × 255 / 8.
constexpr double kResamples[7][2] = {{0.5, 0},   {0.25, 0.25}, {0.75, 0.25}, {0, 0.5},
                                     {0.5, 0.5}, {0.25, 0.75}, {0.75, 0.75}};
constexpr double kEighthOf255 = 31.875;
constexpr float kInfinity = std::numeric_limits<float>::infinity();

float Clamp01(float c) { return !(c > 0) ? 0 : c >= 1 ? 1 : c; }

uint32_t ToByte(double c) { return !(c > 0) ? 0 : c >= 255 ? 255 : uint32_t(c); }

uint32_t PackColour(const vector3<float>& colour) {
  return ToByte(colour.x) << 16 | ToByte(colour.y) << 8 | ToByte(colour.z);
}

bool UserInterrupt() {
  CAppl* app = GetApplication();
  return app && app->IsUserInterrupt();
}

uint32_t Extent(int32_t from, int32_t to) { return to > from ? uint32_t(to - from) : 0; }

// Whether DrawBand draws: only then does the calling thread read the image while workers write it,
// and only then must their writes take the crew's image lock. Unseen, each worker writes its own
// pixels, and rows are read once final; waiting for the lock cost every worker some 3 ms of an
// 8-thread render.
bool Drawn(CRenderContext& context, bool draw) {
  const CRenderTarget* target = context.GetTarget();
  return draw && target && target->fPort && target->fImage;
}

// Draws rows [top, bottom) of the area into the target's port, with the row invertRow (unless
// negative) shown inverted while it is drawn.
void DrawBand(CRenderContext& context, CImNavigator& image, bool draw, const SRect& area, int32_t top, int32_t bottom,
              int32_t invertRow, const SRect* viewFrom, const SRect* viewTo) {
  CRenderTarget* target = context.GetTarget();
  if (!Drawn(context, draw) || bottom <= top) return;
  const SRect band{top, area.left, bottom, area.right};
  SRect source = band, destination = band;
  if (viewFrom && viewTo) {
    const bool banded = viewFrom->top == 0 && viewFrom->left == 0 &&
                        viewFrom->bottom - viewFrom->top == viewTo->bottom - viewTo->top &&
                        viewFrom->right - viewFrom->left == viewTo->right - viewTo->left;
    if (banded) {
      destination = SRect::Add(band, SRect{viewTo->top, viewTo->left, viewTo->top, viewTo->left});
    } else {
      source = *viewFrom;
      destination = *viewTo;
    }
  }
  const SRect line{invertRow, area.left, invertRow + 1, area.right};
  if (invertRow >= 0) InvertImageRect(image, line);
  target->fImage->Draw(target->fPort, source, destination);
  if (invertRow >= 0) InvertImageRect(image, line);
}

std::string TimeText(const char* prefix, int64_t seconds) {
  CRenderStats split;
  split.SplitTime(uint64_t(std::max<int64_t>(seconds, 0)));
  std::string text = prefix;
  FormatElapsedTime(split, text);
  return text;
}

// The elapsed and remaining time of a pass, estimated from the pixels it has done.
void ProgressiveTexts(CProgress& progress, const CTimer& pass, uint64_t areaSize, uint32_t pixels, bool lastPass) {
  const int64_t passSeconds = pass.ElapsedSeconds();
  const int64_t elapsed = progress.GetTimer().ElapsedSeconds();
  const int64_t total = int64_t(double(passSeconds) * double(areaSize) / pixels);
  const int64_t remaining = std::max<int64_t>(total - passSeconds - elapsed, 0);
  if (remaining == 0) return;
  progress.SetText(TimeText("14", elapsed).c_str());
  progress.SetTitle(lastPass ? "" : TimeText("20", remaining).c_str());
}

// The title of the antialias pass: the first text of the application's list, else our own.
void SetAntialiasTitle(CProgress& progress) {
  CIxTextRef title;
  title.Attach("20AntiAliasing", 0, "progress antialias");
  progress.SetTitle(title.Text());
}

void AntialiasTexts(CProgress& progress, const SRect& area, int32_t row, uint64_t areaSize) {
  const double done = double(Extent(area.left, area.right)) * (row - area.top + 1);
  const int64_t percent = int64_t(done / double(areaSize) * 100);
  char text[32];
  std::snprintf(text, sizeof text, "12%" PRId64 "%%", percent);
  progress.SetText(text);
  SetAntialiasTitle(progress);
}

// Rows of pixels that a worker owns for one item, laid out like the image's: row 0 is image row top.
struct SPixelStrip {
  std::vector<CImVector> cells;
  int32_t top = 0;
  int32_t columns = 0;
  int32_t rows = 0;

  void Reset(int32_t firstRow, int32_t width, int32_t count) {
    top = firstRow;
    columns = width;
    rows = count;
    cells.assign(size_t(width) * size_t(std::max(count, 0)), CImVector{});
  }
  CImVector* Cells(uint32_t row) { return cells.data() + size_t(row) * size_t(columns); }
  uint32_t GetColumns() const { return uint32_t(columns); }
  uint32_t GetRows() const { return uint32_t(rows); }
};

// The rows a loop has made final, told to the context's observer from the first not told yet.
struct SFinalRows {
  CRenderContext& context;
  CImNavigator& image;
  int32_t told;

  void UpTo(int32_t row) {
    if (row <= told) return;
    context.GetObserver().TellRowsFinal(image, uint32_t(told), uint32_t(row));
    told = row;
  }
};

// A pass's rows as the crew's items: an item a row, but the last rows, two for each thread, each cut
// across into pieces, so that the workers run out of work together instead of waiting for the one
// that took the last whole row, which may be one of the slowest.
struct SRowItems {
  static constexpr uint32_t kPieces = 4;
  uint32_t rows;
  // The first rows, an item each.
  uint32_t wholeRows;

  SRowItems(uint32_t rowCount, uint32_t threads)
      : rows(rowCount), wholeRows(threads > 1 ? rowCount - std::min(rowCount, 2 * threads) : rowCount) {}
  uint32_t Count() const { return ItemsOf(rows); }
  uint32_t RowOf(uint32_t item) const { return item < wholeRows ? item : wholeRows + (item - wholeRows) / kPieces; }
  // The item's stretch [first, end) of its row's n places.
  std::pair<uint32_t, uint32_t> Stretch(uint32_t item, uint32_t n) const {
    if (item < wholeRows) return {0, n};
    const uint32_t piece = (item - wholeRows) % kPieces;
    return {n * piece / kPieces, n * (piece + 1) / kPieces};
  }
  // The rows whose items are all among the first ones.
  uint32_t RowsDone(uint32_t items) const {
    return items <= wholeRows ? items : wholeRows + (items - wholeRows) / kPieces;
  }
  uint32_t ItemsOf(uint32_t rowCount) const {
    return rowCount <= wholeRows ? rowCount : wholeRows + (rowCount - wholeRows) * kPieces;
  }
};

bool AntialiasPassFollows(const CRenderContext& context) {
  return context.GetSettings()->fFlags & SRenderSettings::kAntialiasPass;
}

// What every loop holds while it runs: the target image, the locked scene, the eye, the area cut to
// the image, and the crew of workers with their shadow caches.
class CLoopFrame {
 public:
  explicit CLoopFrame(CRenderContext& context) : fContext(context) {}

  // 0, 9 when the image or scene cannot be had or the lights and shadow caches not prepared, 16
  // without camera or settings.
  int32_t Open(const SRect& requested) {
    CRenderTarget* target = fContext.GetTarget();
    CImage* image = target ? target->fImage : nullptr;
    if (!image) return kErrOutOfMemory;
    if (!fContext.GetCamera() || !fContext.GetSettings() || !fContext.GetSceneTable()) return kErrInvalidParameter;
    fBounds = image->GetBounds();
    fImage.emplace(image, &fBounds, true, false);
    fScene.emplace(fContext.GetSceneTable(), false, false);
    if (!fImage->IsUsable() || !fScene->IsLocked()) return kErrOutOfMemory;
    fArea = ClippedRect(requested, fBounds);
    fAreaSize = RectArea(fArea);
    vector3<double> corner;
    fContext.GetCamera()->GetEyeAndCorner(fEye, corner);
    if (!fContext.PrepareLights()) return kErrOutOfMemory;
    fContext.GetStats().Clear();
    fCrew.emplace(fContext);
    return fCrew->Prepare() ? kNoErr : kErrOutOfMemory;
  }

  CImNavigator& Image() { return *fImage; }
  const SRect& Area() const { return fArea; }
  uint64_t AreaSize() const { return fAreaSize; }
  const vector3<double>& Eye() const { return fEye; }
  int32_t Width() const { return fBounds.right; }
  int32_t Height() const { return fBounds.bottom; }
  CRenderCrew& Crew() { return *fCrew; }

 private:
  CRenderContext& fContext;
  SRect fBounds;
  std::optional<CImNavigator> fImage;
  std::optional<CHolder> fScene;
  SRect fArea;
  uint64_t fAreaSize = 0;
  vector3<double> fEye;
  // Ends first, adding its workers' counts to the context's.
  std::optional<CRenderCrew> fCrew;
};

// The antialias pass with the crew of a loop.
int32_t AntialiasPass(bool draw, CRenderCrew& crew, CImNavigator& image, const vector3<double>& eye, const SRect& area,
                      const SRect* viewFrom, const SRect* viewTo, CProgress* progress);

// The end of a finished progressive or adaptive render: the antialias pass when asked, then a fresh
// start for the next render.
int32_t Finish(bool draw, CRenderContext& context, CLoopFrame& frame, const SRect* viewFrom, const SRect* viewTo,
               CProgress* progress) {
  if (AntialiasPassFollows(context)) {
    const int32_t result =
        AntialiasPass(draw, frame.Crew(), frame.Image(), frame.Eye(), frame.Area(), viewFrom, viewTo, progress);
    if (result) return result;
  }
  context.ResetProgressive();
  return kNoErr;
}

vector3<float> TraceWith(CRenderContext& context, CRenderStats& stats, COptimizerHolder& holder, CRayScratch& scratch,
                         SRandomState* random, const vector3<double>& origin, const vector3<double>& direction,
                         int32_t orderEntry) {
  const double squared = Dot(direction, direction);
  if (!(squared > 0)) return {};
  const double inverse = FastInvSqrt(squared);
  CRay ray;
  ray.Init(nullptr, origin, direction * inverse, {1, 1, 1}, {1, 1, 1}, float(1 / inverse), kInfinity, nullptr,
           nullptr, orderEntry);
  ray.fContext = &context;
  ray.fStats = &stats;
  ray.fHolder = &holder;
  ray.fScratch = &scratch;
  ray.fRandom = random;
  TraceRay(ray);
  const vector3<float>& c = ray.fColour;
  const vector3<float>& w = ray.fColourWeight;
  return {Clamp01(c.x * w.x), Clamp01(c.y * w.y), Clamp01(c.z * w.z)};
}

// One primary ray through the image point (px, py), its colour weighed and clamped to [0, 1].
vector3<float> TraceSample(CRenderWorker& worker, const vector3<double>& eye, int32_t width, int32_t height, double px,
                           double py, int32_t orderEntry) {
  vector3<double> origin = eye, direction;
  worker.Context().GetCamera()->MakeRay(px / width - 0.5, -(py / height - 0.5), origin, direction);
  return TracePrimaryRay(worker, origin, direction, orderEntry);
}

// The recursion of RenderBlockAdaptive over any rows laid out like the image's.
template <typename Rows>
void AdaptiveBlock(Rows& rows, int32_t width, int32_t height, int32_t x, int32_t y, int32_t size,
                   CRenderWorker& worker, const vector3<double>& eye) {
  const int32_t xs[4] = {x, x + size, x + size, x};
  const int32_t ys[4] = {y, y, y + size, y + size};
  CImVector corner[4];
  for (int k = 0; k < 4; ++k) {
    if (xs[k] >= 0 && xs[k] < width && ys[k] >= 0 && ys[k] < height) {
      CImVector& pixel = rows.Cells(uint32_t(ys[k]))[xs[k]];
      if (pixel.Alpha() == 0) {
        vector3<float> colour;
        RenderPixelSamples(colour, worker, eye, width, height, xs[k], ys[k], 1);
        pixel.value = kAdaptiveSampled | PackColour(colour);
      }
      corner[k] = pixel;
    }
    if (size == 1) return;
  }
  if (!EdgeTest(corner[0], corner[1], corner[2], corner[3], kEdgeThreshold)) {
    FillBlockBilinear(rows, x, y, size, corner[0], corner[1], corner[3], corner[2]);
    return;
  }
  const int32_t half = size / 2;
  AdaptiveBlock(rows, width, height, x, y, half, worker, eye);
  if (x + half < width) AdaptiveBlock(rows, width, height, x + half, y, half, worker, eye);
  if (x + half < width && y + half < height) AdaptiveBlock(rows, width, height, x + half, y + half, half, worker, eye);
  if (y + half < height) AdaptiveBlock(rows, width, height, x, y + half, half, worker, eye);
}

// A strip's rows as the image's: row y of the image is the strip's row y − top.
struct SStripRows {
  SPixelStrip& strip;
  CImVector* Cells(uint32_t row) { return strip.Cells(row - uint32_t(strip.top)); }
  uint32_t GetColumns() const { return strip.GetColumns(); }
  uint32_t GetRows() const { return uint32_t(strip.top + strip.rows); }
};

}  // namespace

vector3<float> TracePrimaryRay(CRenderContext& context, const vector3<double>& origin, const vector3<double>& direction,
                               int32_t orderEntry) {
  return TraceWith(context, context.GetStats(), context.GetHolder(), context.GetScratch(), nullptr, origin, direction,
                   orderEntry);
}

vector3<float> TracePrimaryRay(CRenderWorker& worker, const vector3<double>& origin, const vector3<double>& direction,
                               int32_t orderEntry) {
  return TraceWith(worker.Context(), worker.Stats(), worker.Holder(), worker.Scratch(), &worker.Sampler().random,
                   origin, direction, orderEntry);
}

void RenderPixelSamples(vector3<float>& colour, CRenderWorker& worker, const vector3<double>& eye, int32_t width,
                        int32_t height, int32_t x, int32_t y, uint32_t sampleCount) {
  CRenderContext& context = worker.Context();
  CRenderContext::SPixelSampler& sampler = worker.Sampler();
  context.BeginPixel(sampler, x, y);
  vector3<float> sum;
  for (uint32_t i = 0; i < sampleCount; ++i) {
    double dx = 0, dy = 0;
    int32_t orderEntry = -1;
    if (context.GetSampleOffset(sampler, dx, dy, orderEntry, i))
      sum += TraceSample(worker, eye, width, height, x + dx, y + dy, orderEntry);
  }
  colour = sum * (sampleCount > 1 ? 255.0f / float(sampleCount) : 255.0f);
}

void RenderPixelSamples(vector3<float>& colour, CRenderContext& context, const vector3<double>& eye, int32_t width,
                        int32_t height, int32_t x, int32_t y, uint32_t sampleCount) {
  CRenderWorker worker(context);
  RenderPixelSamples(colour, worker, eye, width, height, x, y, sampleCount);
}

CImVector RenderPixel(CRenderWorker& worker, const vector3<double>& eye, int32_t width, int32_t height, int32_t x,
                      int32_t y, uint32_t sampleCount) {
  vector3<float> colour;
  RenderPixelSamples(colour, worker, eye, width, height, x, y, sampleCount);
  return CImVector{PackColour(colour)};
}

CImVector RenderPixel(CRenderContext& context, const vector3<double>& eye, int32_t width, int32_t height, int32_t x,
                      int32_t y, uint32_t sampleCount) {
  CRenderWorker worker(context);
  return RenderPixel(worker, eye, width, height, x, y, sampleCount);
}

bool NeedsResampling(CImVector a, CImVector b, CImVector c, CImVector d) { return EdgeTest(a, b, c, d, kEdgeThreshold); }

CImVector ResamplePixel(CRenderWorker& worker, const vector3<double>& eye, int32_t width, int32_t height, int32_t x,
                        int32_t y, CImVector own) {
  vector3<float> sum;
  for (const auto& offset : kResamples)
    sum += TraceSample(worker, eye, width, height, x + offset[0], y + offset[1], -1);
  const auto eighth = [](uint8_t old, float seven) { return ToByte((old / 255.0 + seven) * kEighthOf255); };
  return CImVector{kAntialiased | eighth(own.Red(), sum.x) << 16 | eighth(own.Green(), sum.y) << 8 |
                   eighth(own.Blue(), sum.z)};
}

CImVector ResamplePixel(CRenderContext& context, const vector3<double>& eye, int32_t width, int32_t height, int32_t x,
                        int32_t y, CImVector own) {
  CRenderWorker worker(context);
  return ResamplePixel(worker, eye, width, height, x, y, own);
}

int32_t RenderProgressive(bool draw, CRenderContext& context, const SRect& requested, const SRect* viewFrom,
                          const SRect* viewTo, CProgress* progress) {
  CLoopFrame frame(context);
  if (const int32_t result = frame.Open(requested)) return result;
  if (progress) {
    progress->SetText("14-");
    progress->SetTitle("20-");
  }
  CImNavigator& image = frame.Image();
  const SRect& area = frame.Area();
  CRenderStats& stats = context.GetStats();
  CRenderContext::SProgressiveState& state = context.GetProgressive();
  const uint32_t samples = context.GetSampleCount();
  CRenderCrew& crew = frame.Crew();
  const bool watched = Drawn(context, draw);
  CTimer refresh, pass, slice;
  refresh.Start();
  slice.Start();
  int32_t block = int32_t(state.blockSize), mask = int32_t(state.blockMask);
  int32_t columnOffset = int32_t(state.column), rowOffset = int32_t(state.row);
  // Coarse passes are only for someone to watch: unseen, a fresh render traces each pixel once in a
  // single pass of block 1 (mask 0: nothing done before it), to the same pixels.
  const bool fresh = block == int32_t(CRenderContext::kFirstBlockSize) && mask == 0 && columnOffset == 0 && rowOffset == 0;
  if (!draw && fresh) block = 1;
  for (; block != 0; block /= 2, columnOffset = rowOffset = 0) {
    pass.Start();
    const int32_t firstRow = area.top + rowOffset;
    const uint32_t rows = firstRow < area.bottom ? uint32_t((area.bottom - firstRow + block - 1) / block) : 0;
    const SRowItems items(rows, crew.GetThreadCount());
    std::vector<uint32_t> pixelsOfItem(items.Count(), 0);
    // The last pass's rows are final once traced, unless the antialias pass is to follow.
    const bool finalPass = block == 1 && !AntialiasPassFollows(context);
    SFinalRows finalRows{context, image, firstRow};
    // Item k of the pass, a row or a piece of one: its pixels' colours, then their blocks filled in the
    // image at once.
    const auto work = [&](CRenderWorker& worker, uint32_t k) {
      const uint32_t row = items.RowOf(k);
      const int32_t r = firstRow + int32_t(row) * block;
      // In every pass but the first, the pixels on the coarser grid are done already.
      const bool aligned = mask != 0 && ((r - area.top) & mask) == 0;
      const int32_t left = area.left + (row == 0 ? columnOffset : 0);
      const auto [first, end] = items.Stretch(k, Extent(left, area.right + block - 1) / uint32_t(block));
      std::vector<std::pair<int32_t, CImVector>> made;
      made.reserve(end - first);
      for (int32_t c = left + int32_t(first) * block; c < left + int32_t(end) * block; c += block) {
        if (aligned && ((c - area.left) & mask) == 0) continue;
        made.emplace_back(c, RenderPixel(worker, frame.Eye(), frame.Width(), frame.Height(), c, r, samples));
      }
      std::unique_lock<std::mutex> guard(crew.ImageLock(), std::defer_lock);
      if (watched) guard.lock();
      for (const auto& [c, pixel] : made) {
        if (block == 1) image.Cells(uint32_t(r))[c] = pixel;
        else FillImageRect(image, SRect{r, c, std::min(r + block, area.bottom), std::min(c + block, area.right)}, pixel,
                           false);
      }
      pixelsOfItem[k] = uint32_t(made.size());
    };
    uint32_t counted = 0, drawn = 0;
    int32_t bandTop = firstRow;
    bool stopped = false;
    // Pixels count once their whole row is done: a row that a stop leaves in pieces is done again.
    const auto count = [&](uint32_t rowsDone) {
      for (; counted < items.ItemsOf(rowsDone); ++counted) stats.fPixels += pixelsOfItem[counted];
    };
    const auto tend = [&](uint32_t itemsDone) {
      const uint32_t done = items.RowsDone(itemsDone);
      count(done);
      if (finalPass) finalRows.UpTo(std::min(firstRow + int32_t(done) * block, area.bottom));
      if (slice.ElapsedTicks() >= kSliceTicks) {
        slice.Start();
        if (UserInterrupt() && PumpRenderMessages()) return stopped = true;
      }
      const bool lastRow = done == rows;
      const bool due = refresh.ElapsedTicks() >= kProgressiveRefreshTicks;
      if (done == drawn || (!lastRow && !due)) return false;
      const int32_t bandEnd = std::min(firstRow + int32_t(done) * block, area.bottom);
      {
        // The inverted line marks how far the pass has come; the next band draws it over.
        std::lock_guard<std::mutex> guard(crew.ImageLock());
        DrawBand(context, image, draw, area, bandTop, bandEnd, lastRow ? -1 : bandEnd - 1, viewFrom, viewTo);
      }
      bandTop = bandEnd - 1;
      drawn = done;
      stopped = PumpRenderMessages();
      if (progress && !lastRow && stats.fPixels > 0)
        ProgressiveTexts(*progress, pass, frame.AreaSize(), stats.fPixels, block == 1);
      context.GetObserver().Tell(stats.fPixels, uint32_t(frame.AreaSize()));
      refresh.Start();
      return stopped;
    };
    const uint32_t done = items.RowsDone(crew.Run(items.Count(), work, tend));
    if (stopped) {
      // Rows finished while the workers stopped count too; the next call goes on with the first row
      // not done.
      count(done);
      state.blockSize = uint32_t(block);
      state.blockMask = uint32_t(mask);
      state.column = 0;
      state.row = uint32_t(firstRow + int32_t(done) * block - area.top);
      return kSilentCode24;
    }
    mask = block - 1;
  }
  // Finished: a later call goes straight on to the antialias pass, which resumes where it stopped.
  state.blockSize = state.blockMask = 0;
  state.column = state.row = 0;
  return Finish(draw, context, frame, viewFrom, viewTo, progress);
}

void RenderBlockAdaptive(CImNavigator& image, int32_t x, int32_t y, int32_t size, CRenderContext& context,
                         const vector3<double>& eye) {
  CRenderWorker worker(context);
  AdaptiveBlock(image, int32_t(image.GetColumns()), int32_t(image.GetRows()), x, y, size, worker, eye);
}

int32_t RenderAdaptive(CRenderContext& context, const SRect& requested, const SRect* viewFrom, const SRect* viewTo,
                       CProgress* progress) {
  CLoopFrame frame(context);
  if (const int32_t result = frame.Open(requested)) return result;
  CImNavigator& image = frame.Image();
  const SRect& area = frame.Area();
  const int32_t width = frame.Width(), height = frame.Height();
  CRenderStats& stats = context.GetStats();
  CRenderContext::SProgressiveState& state = context.GetProgressive();
  CRenderCrew& crew = frame.Crew();
  // Its bands are drawn where the target has a port.
  const bool watched = Drawn(context, true);
  if (state.column == 0 && state.row == 0) context.GetTarget()->fImage->SetAlpha(0);
  CTimer slice, refresh;
  slice.Start();
  refresh.Start();
  const int32_t columnOffset = int32_t(state.column);
  int32_t lastDrawn = area.top + int32_t(state.lastDrawnRow);
  const int32_t firstRow = area.top + int32_t(state.row);
  const uint32_t rows =
      firstRow < area.bottom ? uint32_t((area.bottom - firstRow + kAdaptiveBlock - 1) / kAdaptiveBlock) : 0;
  const auto rowOf = [&](uint32_t k) { return firstRow + int32_t(k) * kAdaptiveBlock; };
  const auto keep = [&](int32_t row) {
    state.column = 0;
    state.row = uint32_t(row - area.top);
    state.lastDrawnRow = uint32_t(lastDrawn - area.top);
  };
  // Block row k works on a strip of its own rows and the row below them, which is the next block
  // row's: sampled corners there are exact samples, the same whichever block row takes them, so the
  // strip starts that row unsampled and the next block row samples it afresh. Below the area the
  // row is the image's own.
  const auto work = [&](CRenderWorker& worker, uint32_t k) {
    const int32_t r = rowOf(k);
    const int32_t own = std::min(r + kAdaptiveBlock, height) - r;
    const bool edgeBelow = r + kAdaptiveBlock < height;
    const bool edgeIsImage = edgeBelow && r + kAdaptiveBlock >= area.bottom;
    SPixelStrip strip;
    strip.Reset(r, width, own + (edgeBelow ? 1 : 0));
    std::unique_lock<std::mutex> guard(crew.ImageLock(), std::defer_lock);
    if (watched) guard.lock();
    for (int32_t j = 0; j < own + (edgeIsImage ? 1 : 0); ++j)
      std::copy_n(image.Cells(uint32_t(r + j)), width, strip.Cells(uint32_t(j)));
    if (watched) guard.unlock();
    SStripRows rowsOf{strip};
    for (int32_t c = area.left + (k == 0 ? columnOffset : 0); c < area.right; c += kAdaptiveBlock)
      AdaptiveBlock(rowsOf, width, height, c, r, kAdaptiveBlock, worker, frame.Eye());
    if (watched) guard.lock();
    for (int32_t j = 0; j < own + (edgeIsImage ? 1 : 0); ++j)
      std::copy_n(strip.Cells(uint32_t(j)), width, image.Cells(uint32_t(r + j)));
  };
  uint32_t counted = 0, drawn = 0;
  bool stopped = false;
  const bool finalRowsDone = !AntialiasPassFollows(context);
  SFinalRows finalRows{context, image, firstRow};
  const auto count = [&](uint32_t done) {
    for (; counted < done; ++counted) {
      const int32_t r = rowOf(counted);
      stats.fPixels += Extent(area.left, area.right) * uint32_t(std::min(r + kAdaptiveBlock, area.bottom) - r);
    }
  };
  const auto tend = [&](uint32_t done) {
    count(done);
    // A block row's rows are its own, the row below them the next block row's.
    if (finalRowsDone) finalRows.UpTo(std::min(rowOf(done), area.bottom));
    if (slice.ElapsedTicks() >= kSliceTicks) {
      slice.Start();
      // The input stays queued for the owner.
      if (UserInterrupt()) return stopped = true;
    }
    const bool last = done == rows;
    if (done == drawn || (!last && refresh.ElapsedTicks() < kRefreshTicks)) return false;
    const int32_t next = std::min(rowOf(done), area.bottom);
    {
      std::lock_guard<std::mutex> guard(crew.ImageLock());
      DrawBand(context, image, true, area, lastDrawn, next, -1, viewFrom, viewTo);
    }
    lastDrawn = next;
    drawn = done;
    context.GetObserver().Tell(stats.fPixels, uint32_t(frame.AreaSize()));
    refresh.Start();
    return false;
  };
  const uint32_t done = crew.Run(rows, work, tend);
  if (stopped) {
    count(done);
    keep(rowOf(done));
    return kSilentCode24;
  }
  // Past the last row, so that a call after an interrupted antialias pass goes straight to it.
  keep(rowOf(rows));
  return Finish(true, context, frame, viewFrom, viewTo, progress);
}

int32_t RenderAntialiasPass(bool draw, CRenderContext& context, CImNavigator& image, const vector3<double>& eye,
                            const SRect& area, const SRect* viewFrom, const SRect* viewTo, CProgress* progress) {
  CRenderCrew crew(context);
  if (!crew.Prepare()) return kErrOutOfMemory;
  return AntialiasPass(draw, crew, image, eye, area, viewFrom, viewTo, progress);
}

namespace {

// Each row is antialiased against the row below as both were before the pass: a worker writes its
// row into a buffer of its own, and the calling thread puts rows into the image in order, once the
// rows before them are done and nothing reads them any more.
int32_t AntialiasPass(bool draw, CRenderCrew& crew, CImNavigator& image, const vector3<double>& eye, const SRect& area,
                      const SRect* viewFrom, const SRect* viewTo, CProgress* progress) {
  CRenderContext& context = crew.CallingWorker().Context();
  CRenderContext::SProgressiveState& state = context.GetProgressive();
  CRenderStats& stats = context.GetStats();
  const int32_t width = int32_t(image.GetColumns()), height = int32_t(image.GetRows());
  const uint64_t areaSize = RectArea(area);
  const uint32_t rows = Extent(area.top, area.bottom - 1);
  CTimer slice, refresh;
  slice.Start();
  refresh.Start();
  const int32_t columnOffset = int32_t(state.antialiasColumn);
  const int32_t firstRow = area.top + int32_t(state.antialiasRow);
  int32_t lastDrawn = firstRow;
  const uint32_t items = firstRow < area.bottom - 1 ? uint32_t(area.bottom - 1 - firstRow) : 0;
  std::vector<std::vector<CImVector>> made(items);
  std::vector<uint32_t> resampled(items, 0);
  const auto work = [&](CRenderWorker& worker, uint32_t k) {
    const int32_t r = firstRow + int32_t(k);
    const CImVector* row = image.Cells(uint32_t(r));
    const CImVector* below = image.Cells(uint32_t(r + 1));
    std::vector<CImVector> out(row + area.left, row + area.right);
    uint32_t count = 0;
    for (int32_t c = area.left + (k == 0 ? columnOffset : 0); c < area.right - 1; ++c) {
      CImVector& pixel = out[size_t(c - area.left)];
      if (pixel.Alpha() == 0xFF) continue;
      if (!NeedsResampling(pixel, row[c + 1], below[c], below[c + 1])) {
        pixel.value |= kAntialiased;
        continue;
      }
      pixel = ResamplePixel(worker, eye, width, height, c, r, pixel);
      ++count;
    }
    made[k] = std::move(out);
    resampled[k] = count;
  };
  uint32_t committed = 0;
  bool stopped = false;
  SFinalRows finalRows{context, image, firstRow};
  const auto tend = [&](uint32_t done) {
    if (committed < done) {
      std::lock_guard<std::mutex> guard(crew.ImageLock());
      for (; committed < done; ++committed) {
        std::vector<CImVector>& out = made[committed];
        std::copy(out.begin(), out.end(), image.Cells(uint32_t(firstRow + int32_t(committed))) + area.left);
        stats.fResampledPixels += resampled[committed];
        std::vector<CImVector>().swap(out);
      }
    }
    finalRows.UpTo(firstRow + int32_t(committed));
    if (slice.ElapsedTicks() > kSliceTicks) {
      slice.Start();
      if (UserInterrupt()) return stopped = true;
    }
    if (committed == 0 || refresh.ElapsedTicks() <= kRefreshTicks) return false;
    const int32_t r = firstRow + int32_t(committed) - 1;
    {
      std::lock_guard<std::mutex> guard(crew.ImageLock());
      DrawBand(context, image, draw, area, lastDrawn, r + 1, r, viewFrom, viewTo);
    }
    lastDrawn = r;
    if (progress) AntialiasTexts(*progress, area, r, areaSize);
    context.GetObserver().Tell(uint32_t(r - area.top + 1), rows);
    refresh.Start();
    return stopped = PumpRenderMessages();
  };
  crew.Run(items, work, tend);
  if (stopped) {
    state.antialiasColumn = 0;
    state.antialiasRow = uint32_t(firstRow + int32_t(committed) - area.top);
    return kSilentCode24;
  }
  // The area's last row, which the pass reads but never changes, is final too.
  finalRows.UpTo(area.bottom);
  // The rows since the last refresh are shown too.
  DrawBand(context, image, draw, area, lastDrawn, area.bottom, -1, viewFrom, viewTo);
  context.GetObserver().Tell(rows, rows);
  return kNoErr;
}

}  // namespace

bool PumpRenderMessages() {
  using namespace platform;
  if (IsStopRequested()) return true;
  CAppl* app = GetApplication();
  bool stop = false;
  SMessage message;
  while (PeekMessage(&message, nullptr, 0, 0, true)) {
    const uint32_t kind = message.message;
    if (kind == kWmKeyDown) {
      const uintptr_t key = message.wParam;
      if (key == 'M' || key == 'm') {
        if (auto* windows = dynamic_cast<CWinAppl*>(app)) ShowWindow(windows->GetMainWindow(), kSwMinimize);
        return false;
      }
      return key == kVkSpace || key == kVkEscape || key == kVkReturn;
    }
    if (kind >= kWmMouseFirst && kind <= kWmMouseLast) {
      if ((kind == kWmLButtonDown || kind == kWmRButtonDown) && app && app->IsActive()) stop = true;
      continue;
    }
    if (kind >= kWmKeyFirst && kind <= kWmKeyLast) continue;
    TranslateMessage(message);
    DispatchMessage(message);
  }
  return stop;
}
