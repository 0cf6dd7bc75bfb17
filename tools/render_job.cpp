#include "tools/render_job.h"

#include "document/doc_render_state.h"
#include "document/old_quarn_file.h"
#include "document/plugin.h"
#include "document/render_to_disk.h"
#include "document/scene_file.h"
#include "framework/core/appl.h"
#include "framework/core/file_spec.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image.h"
#include "platform/file.h"
#include "platform/headless.h"
#include "render/render_driver.h"
#include "render/render_settings.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/group.h"
#include "scene/sky.h"

namespace {

// A document without a settings record (or an empty options word) renders as a new one would.
constexpr uint32_t kDefaultWidth = 480;
constexpr uint32_t kDefaultHeight = 360;
constexpr uint32_t kDefaultOptions = SRenderSettings::kDefaultFlags;
constexpr const char* kCameraName = "perspective";
// Render to disk's antialias choice for each pixel's centre, the sampling of mode 1 and grid 1.
constexpr uint32_t kCentreChoice = 0;

// Modes that sample a grid of n × n take n = 4.
constexpr uint32_t kGrid = 4;
bool NeedsGrid(uint32_t mode) { return mode == 2 || mode == 3 || mode == 5 || mode == 6; }

uint32_t SideOr(uint32_t side, uint32_t fallback) {
  return side >= 1 && side <= SRenderJob::kLargestSide ? side : fallback;
}

// The table is locked once for the walk, not once a row: a document of many things has many rows.
template <typename T>
T* FirstOfClass(C3dBaseSys& table) {
  CHolder holder(&table, false, false);
  for (uint32_t row = 0; holder.IsLocked() && row < table.GetCount(); ++row) {
    C3dBase* thing = table[row].object;
    if (thing && thing->GetFamily() == T::kFamily && thing->GetClass() == T::kClassTag) return static_cast<T*>(thing);
  }
  return nullptr;
}

C3dCamera* ChooseCamera(C3dBaseSys& table) {
  C3dBase* named = nullptr;
  if (table.FindObject(kCameraName, C3dCamera::kFamily, C3dCamera::kClassTag, &named) == kNoErr)
    return static_cast<C3dCamera*>(named);
  return FirstOfClass<C3dCamera>(table);
}

int32_t Render(const SRenderJob& job, CRenderDocument& document, CImage* image) {
  SRenderSettings renderSettings;
  renderSettings.fFlags = document.Options();
  const uint32_t mode = job.hasAntialias ? job.antialiasMode : 1;
  const uint32_t grid = NeedsGrid(mode) ? kGrid : 1;
  CRenderContext context(mode, grid, 0, 0);
  if (!context.IsReady()) return kErrOutOfMemory;
  SRenderRequest request;
  request.scene = &document.Scene();
  request.camera = document.Camera();
  request.sky = document.Sky();
  request.image = image;
  request.area = image->GetBounds();
  request.settings = &renderSettings;
  request.antialiasMode = mode;
  request.grid = grid;
  request.optimizerChoice = document.OptimizerChoice();
  request.observer = job.observer;
  const int32_t error = RenderSceneImage(context, request);
  if (job.stats) *job.stats = context.GetStats();
  return error;
}

// A document of the earlier version, its groups linked as opening links them; the render size is its
// second rectangle's when both sides are usable.
int32_t ReadEarlierDocument(const CFileSpec& spec, C3dBaseSys& table, CDocSettings& settings) {
  SOldDocumentRects rects;
  int32_t error = ImportOldDocument(spec, &table, &rects);
  if (!error) error = C3dGroup::RelinkFromIds(&table);
  if (!error) error = C3dGroup::RelinkGroups(&table);
  if (error) return error;
  const int32_t width = rects.second.right - rects.second.left;
  const int32_t height = rects.second.bottom - rects.second.top;
  if (SideOr(uint32_t(width), 0) && SideOr(uint32_t(height), 0)) {
    settings.SetWord(CDocSettings::kRenderWidth, uint32_t(width));
    settings.SetWord(CDocSettings::kRenderHeight, uint32_t(height));
  }
  return kNoErr;
}

std::string ExtensionOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  return dot != std::string::npos && dot > nameStart ? path.substr(dot) : std::string();
}

// The extensions the found plug-ins offer, in the format table's order.
std::string OfferedExtensions() {
  std::string offered;
  for (uint32_t row = 0; row < CQNPlugin::GetFormatCount(); ++row) {
    char extension[CQNPlugin::kExtensionChars + 1];
    if (CQNPlugin::GetFormatExtension(extension, sizeof extension, row)) continue;
    offered += (offered.empty() ? "" : ", ") + std::string(extension);
  }
  return offered;
}

// Whether a plug-in of the folder writes the output's extension, with the plug-ins released again.
// The extension must match in case as well: render to disk writes the format's own extension, and
// the tool writes the very file it was given. The plug-ins left out are named only when the render
// will not look for them again.
int32_t FindOutputFormat(const SDiskJob& disk, std::string* offered) {
  const std::string wanted = ExtensionOf(disk.output);
  int32_t error = FindPluginsQuietly(disk.pluginFolder.c_str(), QN_IMAGE_EXTENSION);
  uint32_t row = 0;
  if (!error) error = CQNPlugin::FindFormat(wanted.c_str(), &row);
  char extension[CQNPlugin::kExtensionChars + 1];
  if (!error) error = CQNPlugin::GetFormatExtension(extension, sizeof extension, row);
  if (!error && wanted != extension) error = kErrObjectNotFound;
  if (error == kErrObjectNotFound) *offered = OfferedExtensions();
  if (error) ReportPluginProblems();
  ReleasePlugins();
  return error;
}

}  // namespace

CRenderDocument::CRenderDocument()
    : fTable(GetApplication()->GetObjectsEnv()), fSettings(SSpoolLayout{GetApplication()->GetObjectsEnv(), 0, 0}) {}

int32_t CRenderDocument::Read(const SRenderJob& job) {
  if (!job.document || job.antialiasMode > SRenderJob::kLargestMode || job.width > SRenderJob::kLargestSide ||
      job.height > SRenderJob::kLargestSide || job.optimizerChoice > SRenderJob::kLargestOptimizerChoice)
    return kErrInvalidParameter;
  fOptimizerChoice = job.optimizerChoice;
  CFileSpec spec;
  int32_t error = spec.Set(job.document);
  if (!error) error = ReadSceneFile(spec, &fTable, &fSettings);
  if (error == kErrCompositeExpected) error = ReadEarlierDocument(spec, fTable, fSettings);
  if (error) return error;
  fCamera = ChooseCamera(fTable);
  if (!fCamera) return kErrObjectNotFound;
  fSky = FirstOfClass<C3dSky>(fTable);
  const uint32_t options = fSettings.GetWord(CDocSettings::kRenderOptions);
  fOptions = job.options ? job.options : options ? options : kDefaultOptions;
  fWidth = job.width ? job.width : SideOr(fSettings.GetWord(CDocSettings::kRenderWidth), kDefaultWidth);
  fHeight = job.height ? job.height : SideOr(fSettings.GetWord(CDocSettings::kRenderHeight), kDefaultHeight);
  return kNoErr;
}

int32_t RenderDocument(const SRenderJob& job, CImage** image) {
  CRenderDocument document;
  return RenderDocument(job, document, image);
}

int32_t RenderDocument(const SRenderJob& job, CRenderDocument& document, CImage** image) {
  *image = nullptr;
  int32_t error = document.Read(job);
  if (error) return error;
  CImage* rendered = NewDataImage(document.Width(), document.Height(), &error);
  if (!rendered) return NonZeroError(error);
  error = Render(job, document, rendered);
  if (error) {
    delete rendered;
    return error;
  }
  *image = rendered;
  return kNoErr;
}

int32_t RenderDocumentToDisk(CRenderDocument& document, const SRenderObserver& observer, const SDiskJob& disk,
                             std::string* offered, CRenderStats* stats) {
  if (const int32_t error = FindOutputFormat(disk, offered)) return error;
  std::string target;
  if (!platform::FullPath(disk.output, &target)) return kErrInvalidPath;
  CDocRenderState state;
  state.fScene = &document.Scene();
  state.fCamera = document.Camera();
  state.fSky = document.Sky();
  state.fTitle = disk.output;
  state.fSettings.fFlags = document.Options();
  state.fAntialiasChoice = kCentreChoice;
  state.fOptimizerChoice = document.OptimizerChoice();
  state.fContext.SetObserver(observer);
  // The save dialog the render asks takes the format whose pattern matches the name's extension.
  platform::headless::AnswerFileDialog(target, 0);
  SDiskRender request;
  request.width = int32_t(document.Width());
  request.height = int32_t(document.Height());
  request.rotate = disk.rotate;
  request.resolution = disk.resolution;
  request.pluginFolder = disk.pluginFolder;
  const int32_t error = RenderToDisk(state, request);
  if (stats) *stats = state.fContext.GetStats();
  return error;
}
