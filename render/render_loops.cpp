#include "render/render_loops.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

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

// Whether the pixel loop's slice of work is over. Reading the clock costs about as much as a plain
// pixel's arithmetic, so while readings keep showing the same millisecond the watch reads it only
// every second, fourth, ... up to every 32nd pixel; the first reading that moves on goes back to every
// pixel, so slow pixels are watched one by one.
class CSliceWatch {
 public:
  CSliceWatch() { Start(); }
  void Start() {
    fStartMs = fLastMs = platform::NowMs();
    fStride = 1;
    fCount = 0;
  }
  // Called once a pixel: whether more than ticks have passed since the start.
  bool Over(int64_t ticks) {
    if (++fCount < fStride) return false;
    fCount = 0;
    const int64_t now = platform::NowMs();
    fStride = now == fLastMs ? std::min(fStride * 2, kLongestStride) : 1;
    fLastMs = now;
    return platform::MsToTicks(now) - platform::MsToTicks(fStartMs) > ticks;
  }

 private:
  static constexpr int32_t kLongestStride = 32;
  int64_t fStartMs = 0;
  int64_t fLastMs = 0;
  int32_t fStride = 1;
  int32_t fCount = 0;
};

float Clamp01(float c) { return !(c > 0) ? 0 : c >= 1 ? 1 : c; }

uint32_t ToByte(double c) { return !(c > 0) ? 0 : c >= 255 ? 255 : uint32_t(c); }

uint32_t PackColour(const vector3<float>& colour) {
  return ToByte(colour.x) << 16 | ToByte(colour.y) << 8 | ToByte(colour.z);
}

// One primary ray through the image point (px, py), its colour weighed and clamped to [0, 1].
vector3<float> TraceSample(CRenderContext& context, const vector3<double>& eye, int32_t width, int32_t height,
                           double px, double py, int32_t orderEntry) {
  vector3<double> origin = eye, direction;
  context.GetCamera()->MakeRay(px / width - 0.5, -(py / height - 0.5), origin, direction);
  return TracePrimaryRay(context, origin, direction, orderEntry);
}

bool UserInterrupt() {
  CAppl* app = GetApplication();
  return app && app->IsUserInterrupt();
}

uint32_t Extent(int32_t from, int32_t to) { return to > from ? uint32_t(to - from) : 0; }

// Draws rows [top, bottom) of the area into the target's port, with the row invertRow (unless
// negative) shown inverted while it is drawn.
void DrawBand(CRenderContext& context, CImNavigator& image, bool draw, const SRect& area, int32_t top, int32_t bottom,
              int32_t invertRow, const SRect* viewFrom, const SRect* viewTo) {
  CRenderTarget* target = context.GetTarget();
  if (!draw || !target || !target->fPort || !target->fImage || bottom <= top) return;
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

// What every loop holds while it runs: the target image, the locked scene, the eye, the area cut to
// the image.
class CLoopFrame {
 public:
  explicit CLoopFrame(CRenderContext& context) : fContext(context) {}

  // 0, 9 when the image or scene cannot be had or the lights not prepared, 16 without camera or
  // settings.
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
    return kNoErr;
  }

  CImNavigator& Image() { return *fImage; }
  const SRect& Area() const { return fArea; }
  uint64_t AreaSize() const { return fAreaSize; }
  const vector3<double>& Eye() const { return fEye; }
  int32_t Width() const { return fBounds.right; }
  int32_t Height() const { return fBounds.bottom; }

 private:
  CRenderContext& fContext;
  SRect fBounds;
  std::optional<CImNavigator> fImage;
  std::optional<CHolder> fScene;
  SRect fArea;
  uint64_t fAreaSize = 0;
  vector3<double> fEye;
};

// One pixel's colour, filling its block of the pass (cut to the area).
void RenderProgressiveBlock(CRenderContext& context, CLoopFrame& frame, int32_t c, int32_t r, int32_t block,
                            uint32_t samples) {
  const CImVector pixel = RenderPixel(context, frame.Eye(), frame.Width(), frame.Height(), c, r, samples);
  const SRect& area = frame.Area();
  const SRect rect{r, c, std::min(r + block, area.bottom), std::min(c + block, area.right)};
  if (block == 1) frame.Image().Cells(uint32_t(r))[c] = pixel;
  else FillImageRect(frame.Image(), rect, pixel, false);
}

// The end of a finished progressive or adaptive render: the antialias pass when asked, then a fresh
// start for the next render.
int32_t Finish(bool draw, CRenderContext& context, CLoopFrame& frame, const SRect* viewFrom, const SRect* viewTo,
               CProgress* progress) {
  if (context.GetSettings()->fFlags & SRenderSettings::kAntialiasPass) {
    const int32_t result = RenderAntialiasPass(draw, context, frame.Image(), frame.Eye(), frame.Area(), viewFrom,
                                               viewTo, progress);
    if (result) return result;
  }
  context.ResetProgressive();
  return kNoErr;
}

}  // namespace

vector3<float> TracePrimaryRay(CRenderContext& context, const vector3<double>& origin, const vector3<double>& direction,
                               int32_t orderEntry) {
  const double squared = Dot(direction, direction);
  if (!(squared > 0)) return {};
  const double inverse = FastInvSqrt(squared);
  CRay ray;
  ray.Init(nullptr, origin, direction * inverse, {1, 1, 1}, {1, 1, 1}, float(1 / inverse), kInfinity, nullptr,
           nullptr, orderEntry);
  ray.fContext = &context;
  ray.fStats = &context.GetStats();
  ray.fHolder = &context.GetHolder();
  TraceRay(ray);
  const vector3<float>& c = ray.fColour;
  const vector3<float>& w = ray.fColourWeight;
  return {Clamp01(c.x * w.x), Clamp01(c.y * w.y), Clamp01(c.z * w.z)};
}

void RenderPixelSamples(vector3<float>& colour, CRenderContext& context, const vector3<double>& eye, int32_t width,
                        int32_t height, int32_t x, int32_t y, uint32_t sampleCount) {
  vector3<float> sum;
  for (uint32_t i = 0; i < sampleCount; ++i) {
    double dx = 0, dy = 0;
    int32_t orderEntry = -1;
    if (context.GetSampleOffset(dx, dy, orderEntry, i))
      sum += TraceSample(context, eye, width, height, x + dx, y + dy, orderEntry);
  }
  colour = sum * (sampleCount > 1 ? 255.0f / float(sampleCount) : 255.0f);
}

CImVector RenderPixel(CRenderContext& context, const vector3<double>& eye, int32_t width, int32_t height, int32_t x,
                      int32_t y, uint32_t sampleCount) {
  vector3<float> colour;
  RenderPixelSamples(colour, context, eye, width, height, x, y, sampleCount);
  return CImVector{PackColour(colour)};
}

bool NeedsResampling(CImVector a, CImVector b, CImVector c, CImVector d) { return EdgeTest(a, b, c, d, kEdgeThreshold); }

CImVector ResamplePixel(CRenderContext& context, const vector3<double>& eye, int32_t width, int32_t height, int32_t x,
                        int32_t y, CImVector own) {
  vector3<float> sum;
  for (const auto& offset : kResamples) sum += TraceSample(context, eye, width, height, x + offset[0], y + offset[1], -1);
  const auto eighth = [](uint8_t old, float seven) { return ToByte((old / 255.0 + seven) * kEighthOf255); };
  return CImVector{kAntialiased | eighth(own.Red(), sum.x) << 16 | eighth(own.Green(), sum.y) << 8 |
                   eighth(own.Blue(), sum.z)};
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
  CSliceWatch slice;
  CTimer refresh, pass;
  refresh.Start();
  int32_t block = int32_t(state.blockSize), mask = int32_t(state.blockMask);
  int32_t columnOffset = int32_t(state.column), rowOffset = int32_t(state.row);
  const auto stop = [&](int32_t column, int32_t row) {
    state.blockSize = uint32_t(block);
    state.blockMask = uint32_t(mask);
    state.column = uint32_t(column - area.left);
    state.row = uint32_t(row - area.top);
    return kSilentCode24;
  };
  for (; block != 0; block /= 2, columnOffset = rowOffset = 0) {
    pass.Start();
    int32_t bandTop = area.top + rowOffset;
    for (int32_t r = area.top + rowOffset; r < area.bottom; r += block) {
      // In every pass but the first, the pixels on the coarser grid are done already.
      const bool aligned = ((r - area.top) & mask) == 0 && block != int32_t(CRenderContext::kFirstBlockSize);
      for (int32_t c = area.left + columnOffset; c < area.right; c += block) {
        if (aligned && ((c - area.left) & mask) == 0) continue;
        RenderProgressiveBlock(context, frame, c, r, block, samples);
        ++stats.fPixels;
        if (slice.Over(kSliceTicks)) {
          if (UserInterrupt() && PumpRenderMessages()) return stop(c, r);
          slice.Start();
        }
      }
      columnOffset = 0;
      const bool lastRow = r + block >= area.bottom;
      if (!lastRow && refresh.ElapsedTicks() < kProgressiveRefreshTicks) continue;
      const int32_t bandEnd = std::min(r + block, area.bottom);
      // The inverted line marks how far the pass has come; the next band draws it over.
      DrawBand(context, image, draw, area, bandTop, bandEnd, lastRow ? -1 : bandEnd - 1, viewFrom, viewTo);
      bandTop = bandEnd - 1;
      const bool stopped = PumpRenderMessages();
      if (progress && !lastRow && stats.fPixels > 0)
        ProgressiveTexts(*progress, pass, frame.AreaSize(), stats.fPixels, block == 1);
      context.GetObserver().Tell(stats.fPixels, uint32_t(frame.AreaSize()));
      refresh.Start();
      // Past the row's end: the next call goes on with the next row.
      if (stopped) return stop(area.right, r);
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
  const int32_t width = int32_t(image.GetColumns()), height = int32_t(image.GetRows());
  const int32_t xs[4] = {x, x + size, x + size, x};
  const int32_t ys[4] = {y, y, y + size, y + size};
  CImVector corner[4];
  for (int k = 0; k < 4; ++k) {
    if (xs[k] >= 0 && xs[k] < width && ys[k] >= 0 && ys[k] < height) {
      CImVector& pixel = image.Cells(uint32_t(ys[k]))[xs[k]];
      if (pixel.Alpha() == 0) {
        vector3<float> colour;
        RenderPixelSamples(colour, context, eye, width, height, xs[k], ys[k], 1);
        pixel.value = kAdaptiveSampled | PackColour(colour);
      }
      corner[k] = pixel;
    }
    if (size == 1) return;
  }
  if (!EdgeTest(corner[0], corner[1], corner[2], corner[3], kEdgeThreshold)) {
    FillBlockBilinear(image, x, y, size, corner[0], corner[1], corner[3], corner[2]);
    return;
  }
  const int32_t half = size / 2;
  RenderBlockAdaptive(image, x, y, half, context, eye);
  if (x + half < width) RenderBlockAdaptive(image, x + half, y, half, context, eye);
  if (x + half < width && y + half < height) RenderBlockAdaptive(image, x + half, y + half, half, context, eye);
  if (y + half < height) RenderBlockAdaptive(image, x, y + half, half, context, eye);
}

int32_t RenderAdaptive(CRenderContext& context, const SRect& requested, const SRect* viewFrom, const SRect* viewTo,
                       CProgress* progress) {
  CLoopFrame frame(context);
  if (const int32_t result = frame.Open(requested)) return result;
  CImNavigator& image = frame.Image();
  const SRect& area = frame.Area();
  CRenderStats& stats = context.GetStats();
  CRenderContext::SProgressiveState& state = context.GetProgressive();
  if (state.column == 0 && state.row == 0) context.GetTarget()->fImage->SetAlpha(0);
  CTimer slice, refresh;
  slice.Start();
  refresh.Start();
  int32_t columnOffset = int32_t(state.column);
  int32_t lastDrawn = area.top + int32_t(state.lastDrawnRow);
  int32_t r = area.top + int32_t(state.row);
  const auto keep = [&](int32_t row) {
    state.column = 0;
    state.row = uint32_t(row - area.top);
    state.lastDrawnRow = uint32_t(lastDrawn - area.top);
  };
  for (; r < area.bottom; r += kAdaptiveBlock) {
    for (int32_t c = area.left + columnOffset; c < area.right; c += kAdaptiveBlock)
      RenderBlockAdaptive(image, c, r, kAdaptiveBlock, context, frame.Eye());
    columnOffset = 0;
    const int32_t next = std::min(r + kAdaptiveBlock, area.bottom);
    stats.fPixels += Extent(area.left, area.right) * uint32_t(next - r);
    if (slice.ElapsedTicks() >= kSliceTicks) {
      slice.Start();
      // The input stays queued for the owner.
      if (UserInterrupt()) {
        keep(r + kAdaptiveBlock);
        return kSilentCode24;
      }
    }
    if (next < area.bottom && refresh.ElapsedTicks() < kRefreshTicks) continue;
    DrawBand(context, image, true, area, lastDrawn, next, -1, viewFrom, viewTo);
    lastDrawn = next;
    context.GetObserver().Tell(stats.fPixels, uint32_t(frame.AreaSize()));
    refresh.Start();
  }
  // Past the last row, so that a call after an interrupted antialias pass goes straight to it.
  keep(r);
  return Finish(true, context, frame, viewFrom, viewTo, progress);
}

int32_t RenderAntialiasPass(bool draw, CRenderContext& context, CImNavigator& image, const vector3<double>& eye,
                            const SRect& area, const SRect* viewFrom, const SRect* viewTo, CProgress* progress) {
  CRenderContext::SProgressiveState& state = context.GetProgressive();
  CRenderStats& stats = context.GetStats();
  const int32_t width = int32_t(image.GetColumns()), height = int32_t(image.GetRows());
  const uint64_t areaSize = RectArea(area);
  const uint32_t rows = Extent(area.top, area.bottom - 1);
  CTimer slice, refresh;
  slice.Start();
  refresh.Start();
  int32_t columnOffset = int32_t(state.antialiasColumn);
  int32_t r = area.top + int32_t(state.antialiasRow);
  int32_t lastDrawn = r;
  const auto stop = [&](int32_t column, int32_t row) {
    state.antialiasColumn = uint32_t(column - area.left);
    state.antialiasRow = uint32_t(row - area.top);
    return kSilentCode24;
  };
  for (; r < area.bottom - 1; ++r) {
    CImVector* row = image.Cells(uint32_t(r));
    const CImVector* below = image.Cells(uint32_t(r + 1));
    for (int32_t c = area.left + columnOffset; c < area.right - 1; ++c) {
      CImVector& pixel = row[c];
      if (pixel.Alpha() == 0xFF) continue;
      if (!NeedsResampling(pixel, row[c + 1], below[c], below[c + 1])) {
        pixel.value |= kAntialiased;
        continue;
      }
      pixel = ResamplePixel(context, eye, width, height, c, r, pixel);
      ++stats.fResampledPixels;
      if (slice.ElapsedTicks() > kSliceTicks) {
        if (UserInterrupt()) return stop(c, r);
        if (slice.ElapsedTicks() > kRefreshTicks && PumpRenderMessages()) return stop(c, r);
        slice.Start();
      }
    }
    columnOffset = 0;
    if (refresh.ElapsedTicks() <= kRefreshTicks) continue;
    DrawBand(context, image, draw, area, lastDrawn, r + 1, r, viewFrom, viewTo);
    lastDrawn = r;
    if (progress) AntialiasTexts(*progress, area, r, areaSize);
    context.GetObserver().Tell(uint32_t(r - area.top + 1), rows);
    if (PumpRenderMessages()) return stop(area.right, r);
    refresh.Start();
  }
  // The rows since the last refresh are shown too.
  DrawBand(context, image, draw, area, lastDrawn, area.bottom, -1, viewFrom, viewTo);
  context.GetObserver().Tell(rows, rows);
  return kNoErr;
}

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
