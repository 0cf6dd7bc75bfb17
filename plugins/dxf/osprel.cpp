#include "plugins/dxf/osprel.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "plugins/dxf/dxf_geometry.h"
#include "plugins/dxf/dxf_sections.h"
#include "plugins/dxf/dxf_state.h"
#include "plugins/dxf/dxf_tokens.h"
#include "plugins/dxf/plugin_memory.h"
#include "plugins/dxf/shape_font.h"
#include "plugins/plugin_block.h"

namespace {

// The library's string table.
enum EString { kFilterText = 1, kExtension, kTitle, kDescription, kParsing, kProcessing, kCleaning };
constexpr const char* kStrings[] = {"",         "DXF Files (*.dxf)", ".dxf",         "DXF Import",
                                    "DXF File", "Parsing file",      "Processing entries", "Cleaning up"};

constexpr int32_t kProbePairs = 10;
constexpr int32_t kExtensionCharacters = 4;

void Describe(QNPluginParams& params) {
  if (params.formatIndex != 0) return;
  CopyBlockText(params.text, sizeof params.text, kStrings[kFilterText]);
  CopyBlockText(params.description, sizeof params.description, kStrings[kDescription]);
  CopyBlockText(params.extension, kExtensionCharacters + 1, kStrings[kExtension]);
}

int32_t NextFilledLine(SLineReader& reader) {
  int32_t token = kTokenEmpty;
  while (token == kTokenEmpty && *reader.error == kDxfFine) token = NextTokenClass(reader);
  return token;
}

// 1 when one of the first ten pairs is "0"/"SECTION", 0 when none is, -1 when the file cannot be
// opened. Empty lines do not count.
int32_t ProbeDxf(const char* path) {
  FILE* file = path ? std::fopen(path, "rb") : nullptr;
  if (!file) return -1;
  int32_t error = kDxfFine;
  SLineReader reader{};
  reader.file = file;
  reader.error = &error;
  int32_t answer = 0;
  for (int32_t pair = 0; pair < kProbePairs && !answer; ++pair) {
    const int32_t code = NextFilledLine(reader);
    const int32_t value = NextFilledLine(reader);
    if (error != kDxfFine) break;
    answer = code == kCode0 && value == kTokenSection;
  }
  std::fclose(file);
  return answer;
}

void ReadDxfFile(const char* path) {
  FILE* file = std::fopen(path, "rb");
  if (!file) {
    SetError(kDxfCannotOpen);
    return;
  }
  SLineReader& reader = gImport.reader;
  reader.file = file;
  reader.error = &gImport.error;
  reader.progress = reinterpret_cast<QNHostProgressFn>(gImport.callbacks[QN_SLOT_PROGRESS]);
  reader.progressText = gImport.texts.parsing;
  if (std::fseek(file, 0, SEEK_END) == 0) reader.size = std::ftell(file);
  if (reader.size < 0 || std::fseek(file, 0, SEEK_SET) != 0) SetError(kDxfReadError);
  else ReadDrawing();
  std::fclose(file);
  reader.file = nullptr;
}

template <typename Slot>
Slot HostSlot(QNHostSlot slot) {
  return reinterpret_cast<Slot>(gImport.callbacks[slot]);
}

void Convert() {
  gImport.document = HostSlot<QNHostGetDocumentFn>(QN_SLOT_GET_DOCUMENT)();
  if (HostSlot<QNHostDocumentFn>(QN_SLOT_BEGIN_IMPORT)(gImport.document) != 0) {
    SetError(kDxfHostFailed);
    return;
  }
  ConvertDrawing();
}

// After a failure every mesh goes again, in the order they were made, each finished, then deleted.
// Otherwise each is finished and the import ends; a refused finish takes every mesh back, finished
// as they all are by then.
void HandOverMeshes() {
  const auto finish = HostSlot<QNHostObjectFn>(QN_SLOT_FINISH_OBJECT);
  const auto remove = HostSlot<QNHostObjectFn>(QN_SLOT_DELETE_OBJECT);
  if (Failed()) {
    for (const SMeshNode* node = gImport.meshes.first; node; node = node->next) {
      finish(node->document, node->mesh);
      remove(node->document, node->mesh);
    }
    return;
  }
  bool refused = false;
  for (const SMeshNode* node = gImport.meshes.first; node; node = node->next)
    refused = finish(node->document, node->mesh) != 0 || refused;
  if (refused) {
    SetError(kDxfHostFailed);
    for (const SMeshNode* node = gImport.meshes.first; node; node = node->next) remove(node->document, node->mesh);
  } else if (HostSlot<QNHostDocumentFn>(QN_SLOT_END_IMPORT)(gImport.document) != 0) {
    SetError(kDxfHostFailed);
  }
}

int32_t Result() {
  switch (gImport.error) {
    case kDxfFine: return kResultFine;
    case kDxfCannotOpen:
    case kDxfReadError:
    case kDxfEndOfFile: return kResultIncorrectVersion;
    case kDxfOutOfMemory: return kResultOutOfMemory;
    case kDxfMeshRefused:
    case kDxfTriangleRefused:
    case kDxfHostFailed: return kResultInvalidFormat;
    case kDxfTooManyIndices:
    case kDxfTooManyVertices: return kResultTooManyEntries;
    case kDxfCancelled: return kResultCancelled;
    default: return gImport.error;
  }
}

bool HasImportSlots(QNHostFn* callbacks) {
  if (!callbacks) return false;
  for (QNHostSlot slot : {QN_SLOT_GET_DOCUMENT, QN_SLOT_CREATE_OBJECT, QN_SLOT_DELETE_OBJECT,
                          QN_SLOT_SET_MATERIAL_PROPERTY, QN_SLOT_BEGIN_IMPORT, QN_SLOT_END_IMPORT,
                          QN_SLOT_FINISH_OBJECT, QN_SLOT_ADD_TRIANGLE})
    if (!callbacks[slot]) return false;
  return true;
}

// Reads the whole file, converts it, releases what was read and hands the meshes over, or takes them
// back after any failure, so that a failed import leaves the document as it was.
int32_t ImportDxf(QNHostFn* callbacks, const QNPluginParams& params) {
  if (!HasImportSlots(callbacks)) return kResultInvalidParameter;
  ResetImportState(callbacks);
  CopyBlockText(gImport.texts.parsing, kProgressTextBytes, kStrings[kParsing]);
  CopyBlockText(gImport.texts.processing, kProgressTextBytes, kStrings[kProcessing]);
  CopyBlockText(gImport.texts.cleaning, kProgressTextBytes, kStrings[kCleaning]);
  if (ReportProgress(gImport.texts.parsing, 0, 1) != 0) SetError(kDxfCancelled);
  const char* path = BlockPath(params);
  if (!path) SetError(kDxfCannotOpen);
  gImport.drawingPath = path;
  if (!Failed()) ReadDxfFile(path);
  if (!Failed()) Convert();
  FreeImportFonts();
  StartReleaseProgress();
  ReleaseDrawing();
  HandOverMeshes();
  FreeMeshList();
  return Result();
}

}  // namespace

int32_t OsprelEntry(uint32_t selector, QNHostFn* callbacks, void* block) {
  auto* params = static_cast<QNPluginParams*>(block);
  switch (selector) {
    case QN_SELECTOR_COUNT_FORMATS:
      if (params) params->formatIndex = 1;
      return kResultFine;
    case QN_SELECTOR_DESCRIBE_FORMAT:
      if (params) Describe(*params);
      return kResultFine;
    case QN_SELECTOR_NAME:
      if (params) CopyBlockText(params->text, sizeof params->text, kStrings[kTitle]);
      return kResultFine;
    case QN_SELECTOR_PROBE:
      return params && ProbeDxf(BlockPath(*params)) == 1 ? 1 : 0;
    case QN_SELECTOR_IMPORT:
      return params ? ImportDxf(callbacks, *params) : kResultInvalidParameter;
    default:
      return kResultFine;
  }
}
