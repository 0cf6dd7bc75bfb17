#include "document/render_to_disk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "document/doc_render_state.h"
#include "document/file_names.h"
#include "document/layout_needs.h"
#include "document/plugin.h"
#include "document/plugin_callbacks.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/file_spec.h"
#include "framework/core/holder.h"
#include "framework/core/io_progress.h"
#include "framework/core/ix_text.h"
#include "framework/core/ordax.h"
#include "framework/core/panel_services.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/image.h"
#include "platform/file.h"
#include "platform/window.h"
#include "render/render_camera.h"
#include "render/render_context.h"
#include "render/render_driver.h"
#include "render/render_loops.h"
#include "render/render_settings.h"
#include "render/render_workers.h"
#include "scene/base_sys.h"

namespace {

enum EPluginText : uint32_t { kOpeningCaption = 5, kRenderingCaption = 6, kProgressLine = 7 };
constexpr const char kOpeningBuiltIn[] = "Rendering image as ";
constexpr const char kRenderingBuiltIn[] = "Render to Disk";
constexpr const char kProgressLineBuiltIn[] = "%ld%% complete (row:%ld, col:%ld)";

constexpr int64_t kProgressTicks = 30;
constexpr size_t kFilterBytes = 64 * 1024;
constexpr size_t kExtensionBytes = CQNPlugin::kExtensionChars + 1;
constexpr uint32_t kBitsPerPixel = 32;

// The progress line with its three numbers in place of the "%ld" directives in turn; "%%" gives
// "%" and any other directive stands as it is, since the pattern may come from the resources.
std::string ProgressLine(const char* pattern, int64_t percent, int64_t row, int64_t column) {
  const int64_t numbers[] = {percent, row, column};
  size_t next = 0;
  std::string line;
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '%' && p[1] == '%') {
      line += '%';
      ++p;
    } else if (p[0] == '%' && p[1] == 'l' && p[2] == 'd' && next < std::size(numbers)) {
      line += std::to_string(numbers[next++]);
      p += 2;
    } else {
      line += *p;
    }
  }
  return line;
}

// The progress display's description, which the render shows while it runs.
void ShowCaption(const char* caption) {
  if (CIOProgressDialog* dialog = GetIOProgressDialog()) dialog->SetDescription(caption);
}

// The state's render size and render camera set for the command and restored afterwards.
class CRenderSizeScope {
 public:
  CRenderSizeScope(CDocRenderState& state, int32_t width, int32_t height)
      : fState(state), fWidth(state.fWidth), fHeight(state.fHeight), fCamera(state.fRenderCamera) {
    state.fWidth = width;
    state.fHeight = height;
    fResult = state.CacheCameraState();
  }
  ~CRenderSizeScope() {
    fState.fWidth = fWidth;
    fState.fHeight = fHeight;
    // A size that never had a camera keeps the cache it had.
    if (fState.CacheCameraState() != kNoErr) fState.fRenderCamera = fCamera;
  }
  CRenderSizeScope(const CRenderSizeScope&) = delete;
  CRenderSizeScope& operator=(const CRenderSizeScope&) = delete;

  int32_t Result() const { return fResult; }

 private:
  CDocRenderState& fState;
  int32_t fWidth;
  int32_t fHeight;
  CRenderCamera fCamera;
  int32_t fResult = kNoErr;
};

// The plug-in host from the finding step to the end of the command.
class CImagePlugins {
 public:
  explicit CImagePlugins(const std::string& folder) { fResult = FindPlugins(folder.c_str(), QN_IMAGE_EXTENSION); }
  ~CImagePlugins() { ReleasePlugins(); }
  CImagePlugins(const CImagePlugins&) = delete;
  CImagePlugins& operator=(const CImagePlugins&) = delete;

  int32_t Result() const { return fResult; }

 private:
  int32_t fResult = kNoErr;
};

// The reports of a band render: the progress display and the context's observer, at most once per
// 30 ticks; with a line pattern the display shows where the render stands.
class CBandProgress {
 public:
  CBandProgress(CRenderContext& context, uint64_t total, const char* linePattern)
      : fContext(context), fTotal(total), fPattern(linePattern) {
    fTimer.Start();
  }

  // After the pixel at scene (x, y) was counted: 0 to go on, or the display's cancel.
  int32_t Step(int32_t x, int32_t y) {
    if (fTimer.ElapsedTicks() <= kProgressTicks) return kNoErr;
    const uint32_t done = fContext.GetStats().fPixels;
    const std::string line =
        fPattern ? ProgressLine(fPattern, int64_t(double(done) / double(fTotal) * 100), y, x) : std::string();
    fContext.GetObserver().Tell(done, uint32_t(fTotal));
    if (const int32_t answer = ProgressUpdate(line.c_str(), done, uint32_t(fTotal))) return answer;
    fTimer.Start();
    return kNoErr;
  }
  void Finish() const { fContext.GetObserver().Tell(fContext.GetStats().fPixels, uint32_t(fTotal)); }

 private:
  CRenderContext& fContext;
  uint64_t fTotal;
  const char* fPattern;
  CTimer fTimer;
};

// Where the pixels of the output rows come from: the scene's pixel for output column c of output
// row r, straight or turned a quarter turn (output row r is scene column sceneWidth − 1 − r).
struct SBandGeometry {
  int32_t sceneWidth;
  int32_t sceneHeight;
  bool rotated;

  void ScenePixel(int32_t column, int32_t row, int32_t& x, int32_t& y) const {
    x = rotated ? sceneWidth - 1 - row : column;
    y = rotated ? column : row;
  }
};

// Both band renders: each output row rendered, antialiased against the row below it as that row
// was rendered, and handed over in order; the last row is handed over as it is. Rows are rendered in
// chunks by the render's threads, then antialiased by them; the calling thread alone reports
// progress, hands rows to the plug-in and stops everything at the first failure or cancel.
int32_t RenderBands(CRenderContext& context, CImage& band, QNImageParams& block, const SBandGeometry& geometry,
                    const char* linePattern) {
  const int32_t width = int32_t(block.width), height = int32_t(block.height);
  if (!context.GetCamera() || !context.GetSettings() || !context.GetSceneTable()) return kErrInvalidParameter;
  if (width <= 0 || height <= 0 || band.GetWidth() != block.width || band.GetHeight() < 2) return kErrInvalidParameter;
  CHolder scene(context.GetSceneTable(), false, false);
  const SRect bounds = band.GetBounds();
  CImNavigator cells(&band, &bounds, true, false);
  if (!scene.IsLocked() || !cells.IsUsable() || !context.PrepareLights()) return kErrOutOfMemory;
  CRenderCrew crew(context);
  if (!crew.Prepare()) return kErrOutOfMemory;
  CImVector* upper = cells.Cells(0);
  vector3<double> eye, corner;
  context.GetCamera()->GetEyeAndCorner(eye, corner);
  const uint32_t samples = context.GetSampleCount();
  const bool antialias = (context.GetSettings()->fFlags & SRenderSettings::kAntialiasPass) && width != 1;
  CRenderStats& stats = context.GetStats();
  CBandProgress progress(context, uint64_t(width) * uint64_t(height), linePattern);
  block.pixels = &upper->value;
  static_assert(sizeof(CImVector) == sizeof(uint32_t));

  // rendered[j] is output row base + j; the chunk's rows below base are handed over.
  const int32_t chunk = int32_t(std::max(8u, crew.GetThreadCount() * 4));
  std::vector<std::vector<CImVector>> rendered(size_t(chunk) + 1U);
  std::vector<std::vector<CImVector>> finished(static_cast<size_t>(chunk));
  std::vector<uint32_t> resampled(size_t(chunk), 0);
  int32_t answer = kNoErr;
  for (int32_t base = 0; base < height; base += chunk) {
    const int32_t first = base == 0 ? 0 : base + 1;
    const int32_t last = std::min(base + chunk, height - 1);
    const int32_t rows = std::max(last - first + 1, 0);
    const auto render = [&](CRenderWorker& worker, uint32_t k) {
      const int32_t row = first + int32_t(k);
      std::vector<CImVector>& into = rendered[size_t(row - base)];
      into.resize(size_t(width));
      for (int32_t column = 0; column < width; ++column) {
        int32_t x = 0, y = 0;
        geometry.ScenePixel(column, row, x, y);
        into[size_t(column)] = RenderPixel(worker, eye, geometry.sceneWidth, geometry.sceneHeight, x, y, samples);
      }
    };
    uint32_t counted = 0;
    const auto renderTend = [&](uint32_t done) {
      int32_t x = 0, y = 0;
      for (; counted < done; ++counted) {
        stats.fPixels += uint32_t(width);
        geometry.ScenePixel(width - 1, first + int32_t(counted), x, y);
      }
      if (answer == kNoErr) answer = progress.Step(x, y);
      return answer != kNoErr;
    };
    crew.Run(uint32_t(rows), render, renderTend);
    if (answer) return answer;

    const int32_t handed = std::min(base + chunk, height) - base;
    // Every row but the image's last against the row below it.
    const int32_t smoothed = antialias ? std::min(handed, height - 1 - base) : 0;
    const auto smooth = [&](CRenderWorker& worker, uint32_t k) {
      const std::vector<CImVector>& up = rendered[k];
      const std::vector<CImVector>& low = rendered[k + 1];
      std::vector<CImVector>& out = finished[k];
      out = up;
      uint32_t count = 0;
      for (int32_t column = 0; column < width - 1; ++column) {
        const size_t c = size_t(column);
        if (!NeedsResampling(up[c], up[c + 1], low[c], low[c + 1])) continue;
        int32_t x = 0, y = 0;
        geometry.ScenePixel(column, base + int32_t(k), x, y);
        out[c] = ResamplePixel(worker, eye, geometry.sceneWidth, geometry.sceneHeight, x, y, up[c]);
        ++count;
      }
      resampled[k] = count;
    };
    const auto smoothTend = [&](uint32_t done) {
      // The last row smoothed, as the render's reports name the last row rendered.
      int32_t x = 0, y = 0;
      geometry.ScenePixel(width - 1, base + int32_t(done) - 1, x, y);
      if (answer == kNoErr) answer = progress.Step(x, y);
      return answer != kNoErr;
    };
    crew.Run(uint32_t(smoothed), smooth, smoothTend);
    if (answer) return answer;

    for (int32_t k = 0; k < handed; ++k) {
      const bool smoothedRow = k < smoothed;
      const std::vector<CImVector>& row = smoothedRow ? finished[size_t(k)] : rendered[size_t(k)];
      std::copy(row.begin(), row.end(), upper);
      if (smoothedRow) stats.fResampledPixels += resampled[size_t(k)];
      if (base + k == height - 1) progress.Finish();
      if (const int32_t written = WriteRenderBand(block)) return written;
      ++block.rowsDone;
    }
    rendered[0].swap(rendered[size_t(chunk)]);
  }
  return kNoErr;
}

// The target and a temporary file beside it, both fitting the block's path field.
int32_t ChooseOutputFile(uint32_t& index, std::string& target, std::string& temporary) {
  char filter[kFilterBytes];
  if (const int32_t err = CQNPlugin::BuildFilterText(filter, sizeof filter, false)) return err;
  CAppl* app = GetApplication();
  if (!app) return kErrUnexpectedStatus;
  CFileSpec chosen;
  bool exists = false;
  if (const int32_t err = app->ChooseFileToSave(&chosen, &exists, filter, nullptr, nullptr)) return err;
  uint16_t row = 0;
  std::memcpy(&row, chosen.fHeader, sizeof row);
  index = row;
  char extension[kExtensionBytes];
  if (const int32_t err = CQNPlugin::GetFormatExtension(extension, sizeof extension, index)) return err;
  target = WithExtension(chosen.GetPath(), extension);
  if (target.size() >= QN_TEXT_BYTES) return kErrInvalidPath;
  if (target != chosen.GetPath() && !MayReplaceFile(target)) return kSilentCode24;
  if (!platform::MakeTempBeside(target, &temporary, extension))
    return NonZeroError(MapLastError());
  return kNoErr;
}

}  // namespace

int32_t CRenderOutput::Commit() {
  if (fTemporary.empty()) return kErrUnexpectedStatus;
  if (!platform::ReplaceFile(fTemporary, fTarget)) {
    const int32_t err = NonZeroError(MapLastError());
    Discard();
    return err;
  }
  fTemporary.clear();
  return kNoErr;
}

void CRenderOutput::Discard() {
  if (!fTemporary.empty()) platform::DeleteFile(fTemporary);
  fTemporary.clear();
}

int32_t OpenRenderOutput(QNImageParams& block, const char* caption, CRenderOutput& output) {
  output.Discard();
  uint32_t index = 0;
  std::string target, temporary;
  const int32_t chosen = ChooseOutputFile(index, target, temporary);
  if (chosen) return chosen;
  output.fTarget = target;
  output.fTemporary = temporary;
  if (temporary.size() >= QN_TEXT_BYTES) {
    output.Discard();
    return kErrInvalidPath;
  }
  block.params.formatIndex = index;
  std::snprintf(block.params.outputPath, sizeof block.params.outputPath, "%s", temporary.c_str());
  CQNPlugin::SetHostCallback(&HostProgressDisplay);
  ProgressBegin(caption, index);
  const int32_t answer = CQNPlugin::EnsureLoaded(QN_SELECTOR_BEGIN_IMAGE, &block, index);
  if (answer != kNoErr) {
    ProgressEnd();
    CQNPlugin::SetHostCallback(nullptr);
    output.Discard();
  }
  return answer;
}

int32_t WriteRenderBand(QNImageParams& block) {
  return CQNPlugin::EnsureLoaded(QN_SELECTOR_WRITE_BAND, &block, block.params.formatIndex);
}

int32_t FinishRenderOutput(QNImageParams& block) {
  const int32_t answer = CQNPlugin::EnsureLoaded(QN_SELECTOR_END_IMAGE, &block, block.params.formatIndex);
  ProgressEnd();
  CQNPlugin::SetHostCallback(nullptr);
  CQNPlugin::UnloadLibraries();
  return answer;
}

int32_t RenderToDiskRows(CRenderContext& context, CImage& band, QNImageParams& block) {
  CIxTextRef line;
  line.Attach(kProgressLineBuiltIn, kProgressLine, need::kPluginText.name);
  return RenderBands(context, band, block, {int32_t(block.width), int32_t(block.height), false}, line.Text());
}

int32_t RenderToDiskRotated(CRenderContext& context, CImage& band, QNImageParams& block) {
  return RenderBands(context, band, block, {int32_t(block.height), int32_t(block.width), true}, nullptr);
}

int32_t PrepareDiskRender(CDocRenderState& state, CRenderPreparation& preparation) {
  CBusyCursor busy;
  SRenderRequest request;
  request.scene = state.fScene;
  request.camera = state.fCamera;
  request.sky = state.fSky;
  request.settings = &state.fSettings;
  request.optimizerChoice = state.fOptimizerChoice;
  request.observer = state.fContext.GetObserver();
  if (!AntialiasForChoice(state.fAntialiasChoice, request.antialiasMode, request.grid)) return kErrInvalidParameter;
  return preparation.Prepare(request, state.fWidth, state.fHeight, state.fRenderCamera);
}

int32_t RenderToDisk(CDocRenderState& state, const SDiskRender& request) {
  const int32_t width = request.width, height = request.height;
  if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > std::numeric_limits<uint32_t>::max())
    return kErrInvalidParameter;
  const uint32_t outputWidth = uint32_t(request.rotate ? height : width);
  const uint32_t outputHeight = uint32_t(request.rotate ? width : height);
  int32_t error = kNoErr;
  std::unique_ptr<CImage> band(NewDataImage(outputWidth, 2, &error));
  if (!band) return NonZeroError(error);
  CRenderSizeScope size(state, width, height);
  if (size.Result()) return size.Result();
  CImagePlugins plugins(request.pluginFolder);
  if (plugins.Result()) return plugins.Result();

  QNImageParams block{};
  block.resolution = float(request.resolution);
  block.bitsPerPixel = kBitsPerPixel;
  block.width = outputWidth;
  block.height = outputHeight;
  block.rowsPerBand = 1;
  CRenderContext& context = state.fContext;
  int32_t result = kNoErr;
  int64_t seconds = 0;
  {
    CRenderPreparation preparation(context);
    if (const int32_t err = PrepareDiskRender(state, preparation)) return err;
    CIxTextRef opening, rendering;
    opening.Attach(kOpeningBuiltIn, kOpeningCaption, need::kPluginText.name);
    rendering.Attach(kRenderingBuiltIn, kRenderingCaption, need::kPluginText.name);
    CRenderOutput output;
    result = OpenRenderOutput(block, opening.Text(), output);
    // The windows under the closed save dialog are repainted before the render holds the loop.
    platform::DispatchPaintMessages();
    if (result) return result;
    ShowCaption(rendering.Text());
    context.GetStats().Clear();
    CTimer elapsed;
    elapsed.Start();
    result = request.rotate ? RenderToDiskRotated(context, *band, block) : RenderToDiskRows(context, *band, block);
    seconds = elapsed.ElapsedSeconds();
    const int32_t finished = FinishRenderOutput(block);
    if (result == kNoErr) result = finished;
    if (result == kNoErr) result = output.Commit();
  }
  if (result) return result;
  const bool complete = context.GetStats().fPixels == uint64_t(width) * uint64_t(height);
  if (!state.fReportWanted || !complete) return kNoErr;
  Beep();
  state.fStats = context.GetStats();
  state.fStats.SplitTime(uint64_t(seconds));
  CRenderReportHook& report = state.Report();
  if (report.Open() != kNoErr) return kErrGeneric;
  report.Fill(state.fTitle.c_str(), &state.fStats);
  return kNoErr;
}
