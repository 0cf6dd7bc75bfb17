#include "tools/render_job.h"

#include "document/doc_settings.h"
#include "document/scene_file.h"
#include "framework/core/appl.h"
#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image.h"
#include "render/render_driver.h"
#include "render/render_settings.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/sky.h"

namespace {

// A document without a settings record (or an empty options word) renders as a new one would.
constexpr uint32_t kDefaultWidth = 480;
constexpr uint32_t kDefaultHeight = 360;
constexpr uint32_t kDefaultOptions = SRenderSettings::kDefaultFlags;
constexpr const char* kCameraName = "perspective";
// The render driver's tree limits (5, 5), used when the options ask for a tree of the render's own.
constexpr uint32_t kTreeChoice = 1;

// Modes that sample a grid of n × n take n = 4.
constexpr uint32_t kGrid = 4;
bool NeedsGrid(uint32_t mode) { return mode == 2 || mode == 3 || mode == 5 || mode == 6; }

uint32_t SideOr(uint32_t side, uint32_t fallback) {
  return side >= 1 && side <= SRenderJob::kLargestSide ? side : fallback;
}

template <typename T>
T* FirstOfClass(C3dBaseSys& table) {
  for (uint32_t row = 0;; ++row) {
    C3dBase* thing = nullptr;
    if (table.GetObjectAt(row, &thing)) return nullptr;
    if (thing && thing->GetFamily() == T::kFamily && thing->GetClass() == T::kClassTag) return static_cast<T*>(thing);
  }
}

C3dCamera* ChooseCamera(C3dBaseSys& table) {
  C3dBase* named = nullptr;
  if (table.FindObject(kCameraName, C3dCamera::kFamily, C3dCamera::kClassTag, &named) == kNoErr)
    return static_cast<C3dCamera*>(named);
  return FirstOfClass<C3dCamera>(table);
}

int32_t Render(const SRenderJob& job, C3dBaseSys& table, const CDocSettings& settings, CImage* image) {
  C3dCamera* camera = ChooseCamera(table);
  if (!camera) return kErrObjectNotFound;
  SRenderSettings renderSettings;
  const uint32_t options = settings.GetWord(CDocSettings::kRenderOptions);
  renderSettings.fFlags = options ? options : kDefaultOptions;

  const uint32_t mode = job.hasAntialias ? job.antialiasMode : 1;
  const uint32_t grid = NeedsGrid(mode) ? kGrid : 1;
  CRenderContext context(mode, grid, 0, 0);
  if (!context.IsReady()) return kErrOutOfMemory;
  SRenderRequest request;
  request.scene = &table;
  request.camera = camera;
  request.sky = FirstOfClass<C3dSky>(table);
  request.image = image;
  request.area = image->GetBounds();
  request.settings = &renderSettings;
  request.antialiasMode = mode;
  request.grid = grid;
  request.optimizerChoice = kTreeChoice;
  request.observer = job.observer;
  return RenderSceneImage(context, request);
}

}  // namespace

int32_t RenderDocument(const SRenderJob& job, CImage** image) {
  *image = nullptr;
  if (!job.document || job.antialiasMode > SRenderJob::kLargestMode || job.width > SRenderJob::kLargestSide ||
      job.height > SRenderJob::kLargestSide)
    return kErrInvalidParameter;
  CSpoolSys* environment = GetApplication()->GetObjectsEnv();
  C3dBaseSys table(environment);
  CDocSettings settings(SSpoolLayout{environment, 0, 0});
  CFileSpec spec;
  int32_t error = spec.Set(job.document);
  if (!error) error = ReadSceneFile(spec, &table, &settings);
  if (error) return error;

  const uint32_t width = job.width ? job.width : SideOr(settings.GetWord(CDocSettings::kRenderWidth), kDefaultWidth);
  const uint32_t height =
      job.height ? job.height : SideOr(settings.GetWord(CDocSettings::kRenderHeight), kDefaultHeight);
  CImage* rendered = NewDataImage(width, height, &error);
  if (!rendered) return NonZeroError(error);
  error = Render(job, table, settings, rendered);
  if (error) {
    delete rendered;
    return error;
  }
  *image = rendered;
  return kNoErr;
}
