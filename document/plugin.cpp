#include "document/plugin.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "document/file_names.h"
#include "document/layout_needs.h"
#include "document/plugin_callbacks.h"
#include "framework/core/appl.h"
#include "framework/core/dyn_table.h"
#include "framework/core/io_progress.h"
#include "framework/core/ix_text.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "platform/file.h"
#include "platform/folder.h"

namespace {

using SIOFormatItem = CQNPlugin::SIOFormatItem;

constexpr size_t kCallbackTableBytes = sizeof(QNHostFn) * QN_SLOT_COUNT;
// A plug-in claiming more formats than this is taken as broken rather than asked that many times.
constexpr uint32_t kMaxFormatsPerPlugin = 1024;
enum EPluginText : uint32_t { kAllFormatsText = 0, kImportCaption = 8, kImportLine = 9 };
constexpr const char kAllFormats[] = "All formats";
constexpr const char kImportCaptionBuiltIn[] = "Importing from ";
constexpr const char kImportLineBuiltIn[] = "Import object";

CDynTable<CQNPlugin*>* gPlugins = nullptr;
CDynTable<SIOFormatItem>* gFormats = nullptr;
QNHostFn* gCallbacks = nullptr;
// What the finding step left out and why, one "NAME: why" a line, for the command's one message.
std::string gScannedFolder;
std::vector<std::string> gProblems;

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

void DeleteTables() {
  delete gPlugins;
  gPlugins = nullptr;
  delete gFormats;
  gFormats = nullptr;
  if (gCallbacks) {
    if (CMemPool* pool = GetDefaultPool()) pool->Free(gCallbacks);
    gCallbacks = nullptr;
  }
}

bool EndsWith(const std::string& text, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// Extensions are compared exactly: a library named ".QNO" is found by the scan but binds nothing.
const char* EntryNameFor(const std::string& path) {
  if (EndsWith(path, QN_IO_EXTENSION)) return QN_IO_ENTRY_NAME;
  if (EndsWith(path, QN_IMAGE_EXTENSION)) return QN_IMAGE_ENTRY_NAME;
  return nullptr;
}

bool EqualsIgnoringCase(const char* a, const char* b) {
  const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  for (; *a && *b; ++a, ++b) {
    if (lower(static_cast<unsigned char>(*a)) != lower(static_cast<unsigned char>(*b))) return false;
  }
  return *a == *b;
}

// A text field of the block that the plug-in may have left unterminated, cut to the item's field.
void CopyBlockText(char* field, size_t room, const char* source, size_t sourceBytes) {
  const size_t n = std::min(strnlen(source, sourceBytes), room - 1);
  std::memcpy(field, source, n);
  field[n] = 0;
}

template <typename Less>
void SortFormats(Less less) {
  SIOFormatItem* rows = gFormats->GetRecords();
  if (rows) std::stable_sort(rows, rows + gFormats->GetCount(), less);
}

bool ByDescription(const SIOFormatItem& a, const SIOFormatItem& b) {
  return std::strcmp(a.fDescription, b.fDescription) < 0;
}

bool ByFilter(const SIOFormatItem& a, const SIOFormatItem& b) { return std::strcmp(a.fFilter, b.fFilter) < 0; }

template <size_t N>
int32_t CopyFormatText(char* destination, size_t capacity, uint32_t index, char (SIOFormatItem::*field)[N]) {
  if (destination && capacity) destination[0] = 0;
  if (!gFormats) return kErrUnexpectedStatus;
  if (index >= gFormats->GetCount()) return kErrInvalidParameter;
  const char* text = (*gFormats)[index].*field;
  const size_t bytes = std::strlen(text) + 1;
  if (!destination || bytes > capacity) return kErrBufferSize;
  std::memcpy(destination, text, bytes);
  return kNoErr;
}

std::string FilterText(bool allFormats) {
  const uint32_t count = gFormats->GetCount();
  std::string text;
  if (allFormats) {
    CIxTextRef label;
    label.Attach(kAllFormats, kAllFormatsText, need::kPluginText.name);
    text += label.Text();
    text += '\0';
    for (uint32_t i = 0; i < count; ++i) {
      if (i) text += ';';
      text += std::string("*") + (*gFormats)[i].fExtension;
    }
    text += '\0';
  }
  for (uint32_t i = 0; i < count; ++i) {
    const SIOFormatItem& item = (*gFormats)[i];
    text += item.fFilter;
    text += '\0';
    text += std::string("*") + item.fExtension;
    text += '\0';
  }
  text += '\0';
  return text;
}

}  // namespace

CQNPlugin::CQNPlugin(const CFileSpec& spec) { fSpec.Copy(spec); }

CQNPlugin::~CQNPlugin() { Unload(); }

int32_t CQNPlugin::CreateTables(SRange layout) {
  if (gPlugins || gFormats || gCallbacks) return kErrUnexpectedStatus;
  gScannedFolder.clear();
  gProblems.clear();
  gPlugins = new CDynTable<CQNPlugin*>(layout);
  gFormats = new CDynTable<SIOFormatItem>(layout);
  CMemPool* pool = GetDefaultPool();
  gCallbacks = pool ? static_cast<QNHostFn*>(pool->Alloc(kCallbackTableBytes)) : nullptr;
  if (!gPlugins || !gPlugins->IsValid() || !gFormats || !gFormats->IsValid() || !gCallbacks) {
    DeleteTables();
    return kErrOutOfMemory;
  }
  FillHostCallbackTable(gCallbacks);
  return kNoErr;
}

int32_t CQNPlugin::ScanDirectory(const char* folder, const char* extension) {
  CAppl* app = GetApplication();
  if (!gPlugins || !app || !extension) return kErrUnexpectedStatus;
  CFileSpec spec;
  if (const int32_t err = app->SetModuleDirectory(folder, &spec)) return err;
  gScannedFolder = spec.GetPath();
  // A missing folder holds no plug-in, as an empty one; a folder that others could have filled is not
  // looked into.
  if (!platform::PathExists(gScannedFolder)) return kNoErr;
  if (const std::string why = platform::UntrustedCodeReason(gScannedFolder, true); !why.empty()) {
    gProblems.push_back("the folder itself: " + why);
    return kNoErr;
  }
  std::vector<std::string> names;
  if (!platform::ListFolder(gScannedFolder, extension, &names)) return kNoErr;
  for (const std::string& name : names) {
    const std::string path = gScannedFolder + "/" + name;
    if (const std::string why = platform::UntrustedCodeReason(path, false); !why.empty()) {
      gProblems.push_back(name + ": " + why);
      continue;
    }
    CFileSpec file;
    // A name whose full path is too long to hold cannot be loaded either.
    if (file.Set(path.c_str())) {
      gProblems.push_back(name + ": its path is too long");
      continue;
    }
    CQNPlugin* plugin = new CQNPlugin(file);
    if (!plugin) return kErrOutOfMemory;
    if (!gPlugins->Append(plugin)) {
      delete plugin;
      return kErrOutOfMemory;
    }
  }
  return kNoErr;
}

int32_t CQNPlugin::QueryFormats(bool unload) {
  if (!gPlugins || !gFormats) return kErrUnexpectedStatus;
  gFormats->Clear();
  CMemBlock block(QN_PARAMS_BYTES, GetDefaultPool());
  if (!block.IsOwned()) return kErrOutOfMemory;
  auto* params = reinterpret_cast<QNPluginParams*>(block.GetData());
  for (uint32_t i = gPlugins->GetCount(); i-- > 0;) {
    CQNPlugin* plugin = (*gPlugins)[i];
    if (plugin->IsLoaded() || plugin->Load() == kNoErr) plugin->AddFormats(params);
    else gProblems.push_back(NameOf(plugin->GetPath()) + ": " + plugin->GetProblem());
    if (unload) plugin->Unload();
  }
  SortFormats(ByDescription);
  return gPlugins->GetCount() == 0 ? kErrInvalidKey : kNoErr;
}

// A plug-in that does not count its formats, or offers none, adds nothing; neither does a format it
// does not describe or describes without a filter.
void CQNPlugin::AddFormats(QNPluginParams* params) {
  std::memset(params, 0, QN_PARAMS_BYTES);
  if (!fEntry || Call(QN_SELECTOR_COUNT_FORMATS, params) != kNoErr) return;
  const uint32_t count = params->formatIndex;
  if (count > kMaxFormatsPerPlugin) return;
  for (uint32_t format = count; format-- > 0;) {
    std::memset(params, 0, QN_PARAMS_BYTES);
    params->formatIndex = format;
    if (Call(QN_SELECTOR_DESCRIBE_FORMAT, params) != kNoErr || params->text[0] == 0) continue;
    SIOFormatItem item{};
    CopyBlockText(item.fFilter, sizeof item.fFilter, params->text, sizeof params->text);
    CopyBlockText(item.fDescription, sizeof item.fDescription, params->description, sizeof params->description);
    CopyBlockText(item.fExtension, sizeof item.fExtension, params->extension, sizeof params->extension);
    item.fPlugin = this;
    item.fFormatIndex = format;
    gFormats->Append(item);  // an item the table cannot take is left out, as a failed plug-in is
  }
}

int32_t CQNPlugin::BuildFilterText(char* buffer, size_t capacity, bool allFormats) {
  if (!gFormats) return kErrUnexpectedStatus;
  if (gFormats->GetCount() == 0) return kErrTooFewEntries;
  SortFormats(ByFilter);
  const std::string text = FilterText(allFormats);
  if (!buffer || text.size() > capacity) return kErrBufferSize;
  std::memcpy(buffer, text.data(), text.size());
  return kNoErr;
}

int32_t CQNPlugin::FindFormat(const char* extension, uint32_t* index) {
  if (!gFormats) return kErrUnexpectedStatus;
  if (gFormats->GetCount() == 0) return kErrTooFewEntries;
  for (uint32_t i = 0; i < gFormats->GetCount(); ++i) {
    if (extension && EqualsIgnoringCase((*gFormats)[i].fExtension, extension)) {
      if (index) *index = i;
      return kNoErr;
    }
  }
  return kErrObjectNotFound;
}

int32_t CQNPlugin::GetFormatDescription(char* destination, size_t capacity, uint32_t index) {
  return CopyFormatText(destination, capacity, index, &SIOFormatItem::fDescription);
}

int32_t CQNPlugin::GetFormatExtension(char* destination, size_t capacity, uint32_t index) {
  return CopyFormatText(destination, capacity, index, &SIOFormatItem::fExtension);
}

int32_t CQNPlugin::EnsureLoaded(uint32_t selector, void* block, uint32_t index) {
  if (!gPlugins || !gFormats) return kErrUnexpectedStatus;
  if (index >= gFormats->GetCount()) return kErrInvalidParameter;
  const SIOFormatItem& item = (*gFormats)[index];
  CQNPlugin* plugin = item.fPlugin;
  if (!plugin->IsLoaded()) {
    if (const int32_t err = plugin->Load()) return err;
  }
  if (!block) return plugin->Call(selector, nullptr);
  // The caller's value at 528 is a row of our table; the plug-in numbers its formats its own way.
  auto* params = static_cast<QNPluginParams*>(block);
  const uint32_t callers = params->formatIndex;
  params->formatIndex = item.fFormatIndex;
  const int32_t answer = plugin->Call(selector, block);
  params->formatIndex = callers;
  return answer;
}

int32_t CQNPlugin::SetHostCallback(QNHostProgressFn progress) {
  if (!gCallbacks) return kErrUnexpectedStatus;
  gCallbacks[QN_SLOT_PROGRESS] = reinterpret_cast<QNHostFn>(progress ? progress : &HostDefaultProgress);
  return kNoErr;
}

int32_t CQNPlugin::UnloadLibraries() {
  if (!gPlugins) return kErrUnexpectedStatus;
  if (gFormats) gFormats->Clear();
  for (uint32_t i = gPlugins->GetCount(); i-- > 0;) (*gPlugins)[i]->Unload();
  return kNoErr;
}

int32_t CQNPlugin::DeleteAll() {
  if (gPlugins) {
    for (uint32_t i = gPlugins->GetCount(); i-- > 0;) delete (*gPlugins)[i];
  }
  DeleteTables();
  return kNoErr;
}

// A plug-in is code from a folder that others may share less care over than the program's own: the
// libraries it needs come only from where the system keeps libraries, never from beside it.
int32_t CQNPlugin::Load() {
  if (fLibrary) return fEntry ? kNoErr : kErrFailedCreation;
  const std::string path = fSpec.GetPath();
  fProblem.clear();
  fLibrary = platform::LoadLibrary(path, platform::DependencySearch::kSystemOnly);
  const char* entryName = EntryNameFor(path);
  if (!fLibrary) fProblem = platform::LibraryFailure();
  else if (!entryName) fProblem = "its name does not end in \"" QN_IO_EXTENSION "\" or \"" QN_IMAGE_EXTENSION "\" as written";
  else if (!(fEntry = reinterpret_cast<QNPluginEntry>(platform::FindLibraryEntry(fLibrary, entryName))))
    fProblem = std::string("it has no entry ") + entryName;
  if (!fEntry) return kErrFailedCreation;
  Call(QN_SELECTOR_INIT, nullptr);
  return kNoErr;
}

void CQNPlugin::Unload() {
  if (!fLibrary) return;
  if (fEntry) Call(QN_SELECTOR_RELEASE, nullptr);
  platform::FreeLibrary(fLibrary);
  fLibrary = nullptr;
  fEntry = nullptr;
}

int32_t CQNPlugin::Call(uint32_t selector, void* block) const {
  return fEntry ? fEntry(selector, gCallbacks, block) : kErrFailedCreation;
}

uint32_t CQNPlugin::GetPluginCount() { return gPlugins ? gPlugins->GetCount() : 0; }

CQNPlugin* CQNPlugin::GetPlugin(uint32_t index) {
  return gPlugins && index < gPlugins->GetCount() ? (*gPlugins)[index] : nullptr;
}

uint32_t CQNPlugin::GetFormatCount() { return gFormats ? gFormats->GetCount() : 0; }

const SIOFormatItem* CQNPlugin::GetFormat(uint32_t index) {
  return gFormats && index < gFormats->GetCount() ? &(*gFormats)[index] : nullptr;
}

QNHostFn* CQNPlugin::GetHostCallbacks() { return gCallbacks; }

int32_t FindPluginsQuietly(const char* folder, const char* extension) {
  if (const int32_t err = CQNPlugin::CreateTables(SRange().Set(0, 8))) return err;
  if (const int32_t err = CQNPlugin::ScanDirectory(folder, extension)) return err;
  return CQNPlugin::QueryFormats(false);
}

int32_t FindPlugins(const char* folder, const char* extension) {
  const int32_t result = FindPluginsQuietly(folder, extension);
  ReportPluginProblems();
  return result;
}

const std::vector<std::string>& CQNPlugin::GetProblems() { return gProblems; }

void ReportPluginProblems() {
  CAppl* app = GetApplication();
  if (gProblems.empty() || !app) return;
  std::string text = "Plug-ins in \"" + gScannedFolder + "\" were not loaded:";
  for (const std::string& line : gProblems) text += "\n" + line;
  app->ShowMessage(text.c_str());
}

int32_t ReleasePlugins() { return CQNPlugin::DeleteAll(); }

int32_t CallImportPlugin(QNPluginParams* block, const char* path) {
  if (!block || !path) return kErrInvalidParameter;
  const size_t length = std::strlen(path);
  if (length >= sizeof block->text || length >= sizeof block->outputPath) return kErrInvalidPath;
  const size_t dot = ExtensionStart(path);
  uint32_t index = 0;
  if (const int32_t err = CQNPlugin::FindFormat(dot == std::string::npos ? "" : path + dot, &index)) return err;
  std::memcpy(block->outputPath, path, length + 1);
  std::memcpy(block->text, path, length + 1);
  if (const SDocumentSlots* slots = GetDocumentSlots(); slots && slots->beginImportCommand)
    slots->beginImportCommand();
  CIxTextRef caption, line;
  caption.Attach(kImportCaptionBuiltIn, kImportCaption, need::kPluginText.name);
  line.Attach(kImportLineBuiltIn, kImportLine, need::kPluginText.name);
  ProgressBegin(caption.Text(), index);
  ProgressSetText(line.Text());
  CQNPlugin::SetHostCallback(&HostProgressDisplay);
  const int32_t answer = CQNPlugin::EnsureLoaded(QN_SELECTOR_IMPORT, block, index);
  ProgressEnd();
  CQNPlugin::SetHostCallback(nullptr);
  return answer;
}
