// Import through the plug-ins of the "Plugins" folder: loaded for the length of the command, the file
// chosen among all their formats, and the plug-in of the file's extension called; its meshes come in
// through the host callbacks, which place, select and group them.
#include <vector>

#include "app/doc_window.h"
#include "document/layout_needs.h"
#include "document/plugin.h"
#include "document/progress_titles.h"
#include "editing/host_callbacks.h"
#include "framework/core/appl.h"
#include "framework/core/progress.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"

namespace {

constexpr const char* kPluginsFolder = "Plugins\\";
constexpr const char* kPreparingBuiltIn = "14Preparing Objects";
constexpr size_t kFilterBytes = 64 * 1024;
// "objinfochanged": the scene changed.
constexpr uint32_t kSceneChanged = 2;

}  // namespace

int32_t CDocWindow::ImportObject() {
  QNPluginParams block{};
  int32_t result = FindPlugins(kPluginsFolder, QN_IO_EXTENSION);
  if (!result) {
    result = ImportWithPlugin(&block);
    CQNPlugin::UnloadLibraries();
  }
  if (!result) {
    CProgressTitles titles(need::kProgressResetLoad.name);
    CProgress progress(1, titles.Title(0, kPreparingBuiltIn));
    result = fScene->PrepareObjects();
  }
  ReleasePlugins();
  Invalidate(true);
  NotifyObjInfoChanged(kSceneChanged);
  return result;
}

int32_t CDocWindow::ImportWithPlugin(QNPluginParams* block) {
  std::vector<char> filter(kFilterBytes);
  if (const int32_t err = CQNPlugin::BuildFilterText(filter.data(), filter.size(), true)) return err;
  CFileSpec chosen;
  if (const int32_t err = AskForFileToOpen(&chosen, filter.data())) return err;
  if (const int32_t err = RefuseNonPlainFile(chosen.GetPath())) return err;
  // The callbacks build into this window's document, whichever window is current.
  SetCallbackDocument(fDocument.get(), this);
  return CallImportPlugin(block, chosen.GetPath());
}
