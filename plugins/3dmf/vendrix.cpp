#include "plugins/3dmf/vendrix.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <new>
#include <unordered_map>
#include <vector>

#include "plugins/3dmf/metafile.h"
#include "plugins/3dmf/vendrix_geometry.h"
#include "plugins/plugin_block.h"

namespace {

// The library's string table.
enum EString {
  kTextFilter = 1,
  kTextExtension,
  kTitle,
  kBinaryFilter,
  kBinaryExtension,
  kTextDescription,
  kBinaryDescription,
  kOpening,
  kReading,
};
constexpr const char* kStrings[] = {"",
                                    "3DMF (ASCII) Files (*.t3d)",
                                    ".t3d",
                                    "3DMF  Import",
                                    "3DMF (Binary) Files (*.b3d)",
                                    ".b3d",
                                    "QuickDraw 3D (ASCII) File",
                                    "QuickDraw 3D (Binary) File",
                                    "Opening file",
                                    "Reading file"};

enum EFormatIndex : uint32_t { kTextFormat = 0, kBinaryFormat = 1, kFormats = 2 };

enum EResult : int32_t { kImported = 0, kImportFailed = 2, kExternalReference = 3, kCancelled = 20 };

constexpr size_t kProgressTextBytes = 64;
// While References read earlier parts of the file again, the position stands still: the reading is
// still reported every so many objects, so that the host hears the user's cancel.
constexpr uint32_t kObjectsPerStillReport = 64;
// The triangles kept for objects that References may read again (36 bytes each); past this, an object
// is converted again each time.
constexpr size_t kMostKeptTriangles = 1 << 20;
constexpr size_t kExtensionBytes = 5;
constexpr size_t kProbeBytes = 10;
constexpr uint32_t kTriangleMesh = MetafileCode("tmsh");
constexpr uint32_t kContainer = MetafileCode("cntr");
constexpr uint32_t kReference = MetafileCode("rfrn");
constexpr uint32_t kBeginGroup = MetafileCode("bgng");
constexpr uint32_t kEndGroup = MetafileCode("endg");

void Describe(QNPluginParams& params) {
  EString filter, description, extension;
  if (params.formatIndex == kTextFormat) {
    filter = kTextFilter, description = kTextDescription, extension = kTextExtension;
  } else if (params.formatIndex == kBinaryFormat) {
    filter = kBinaryFilter, description = kBinaryDescription, extension = kBinaryExtension;
  } else {
    return;
  }
  CopyBlockText(params.text, sizeof params.text, kStrings[filter]);
  CopyBlockText(params.description, sizeof params.description, kStrings[description]);
  CopyBlockText(params.extension, kExtensionBytes, kStrings[extension]);
}

// By the first ten bytes, whatever the file's extension. A binary file in the other byte order,
// "FMD3", is not recognised, although the reader reads it.
int32_t Probe(QNPluginParams& params) {
  const char* path = BlockPath(params);
  FILE* file = path ? std::fopen(path, "rb") : nullptr;
  if (!file) return 0;
  char head[kProbeBytes];
  const size_t read = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  if (read < sizeof head) return 0;
  if (std::memcmp(head, "3DMF", 4) == 0) params.formatIndex = kBinaryFormat;
  else if (std::memcmp(head, "3DMetafile", sizeof head) == 0) params.formatIndex = kTextFormat;
  else return 0;
  return 1;
}

// What an object gave, kept for the References that read it again.
struct SConverted {
  uint32_t classCode;
  std::vector<STriangleCorners> triangles;
};

struct SImport {
  QNHostFn* callbacks = nullptr;
  SConversion conversion;
  // Objects costly to convert, by where they stand in the file, while it has objects to refer to.
  bool keepConverted = false;
  std::unordered_map<uint64_t, SConverted> converted;
  size_t keptTriangles = 0;
  char opening[kProgressTextBytes] = {};
  char reading[kProgressTextBytes] = {};
  uint64_t size = 0;
  uint64_t reported = 0;
  uint32_t unreported = 0;  // objects read since the last report
};

template <typename Slot>
Slot HostSlot(const SImport& import, QNHostSlot slot) {
  return reinterpret_cast<Slot>(import.callbacks[slot]);
}

int32_t ReportProgress(const SImport& import, const char* text, int32_t done, int32_t total) {
  return HostSlot<QNHostProgressFn>(import, QN_SLOT_PROGRESS)(text, done, total);
}

// After each object, when the file position has moved past what was reported, and otherwise after
// every kObjectsPerStillReport objects with the position reported before. The host counts in 32 bits:
// a larger file is reported in coarser steps.
int32_t ReportReading(SImport& import, MetafileContext* context) {
  uint64_t position = 0;
  if (MetafilePosition(context, &position) != kMetafileFine) return kImported;
  if (position <= import.reported) {
    if (++import.unreported < kObjectsPerStillReport) return kImported;
    position = import.reported;
  }
  import.unreported = 0;
  import.reported = position;
  int32_t shift = 0;
  while ((import.size >> shift) > uint64_t(INT32_MAX)) ++shift;
  const int32_t answer = ReportProgress(import, import.reading, int32_t(position >> shift), int32_t(import.size >> shift));
  return answer == 0 ? kImported : kCancelled;
}

// A Reference that opens a container names another file: the plug-in opens no file that a metafile
// names, and ends the import once it has read what the Reference stands on.
int32_t RefuseExternalReference(MetafileContext* context) {
  MetafileObject* storage = nullptr;
  MetafileReadObject(context, &storage);
  MetafileDisposeObject(storage);
  return kExternalReference;
}

// A costly object that a Reference may read again is converted once: each later reading of it, which
// has the same offset in the file, sends the triangles it gave then through the transforms current
// now, the same triangles that converting it again would send.
int32_t ConvertOnce(SImport& import, const MetafileObject& object) {
  SConversion& conversion = import.conversion;
  if (!import.keepConverted || !IsCostlyToConvert(object.classCode)) return ConvertObject(conversion, object);
  const auto found = import.converted.find(object.offset);
  if (found != import.converted.end() && found->second.classCode == object.classCode) {
    for (const STriangleCorners& triangle : found->second.triangles)
      if (const int32_t result = EmitRecorded(conversion, triangle)) return result;
    return kConverted;
  }
  try {
    SConverted kept{object.classCode, {}};
    conversion.recording = &kept.triangles;
    const int32_t result = ConvertObject(conversion, object);
    conversion.recording = nullptr;
    if (result == kConverted && import.keptTriangles + kept.triangles.size() <= kMostKeptTriangles) {
      import.keptTriangles += kept.triangles.size();
      import.converted.emplace(object.offset, std::move(kept));
    }
    return result;
  } catch (const std::bad_alloc&) {
    conversion.recording = nullptr;
    return kImportFailed;
  }
}

int32_t HandleObject(SImport& import, MetafileContext* context, const MetafileObject& object, uint32_t previous) {
  SConversion& conversion = import.conversion;
  switch (object.classCode) {
    case kReference:
      if (previous == kContainer) return RefuseExternalReference(context);
      return MetafileResolveReference(context, &object) == kMetafileFine ? kImported : kImportFailed;
    case kBeginGroup:
      return BeginGroup(conversion) ? kImported : kImportFailed;
    case kEndGroup:
      EndGroup(conversion);
      return kImported;
    default:
      return ConvertOnce(import, object);
  }
}

// Object by object until the file ends or something fails; the reader's codes all become 2.
int32_t ReadObjects(SImport& import, MetafileContext* context) {
  int32_t result = kImported;
  uint32_t previous = 0;
  while (result == kImported) {
    MetafileObject* object = nullptr;
    const int32_t code = MetafileReadObject(context, &object);
    if (code == kMetafileNoMoreObjects) break;
    if (code != kMetafileFine && !MetafileWarning(code)) return kImportFailed;
    result = HandleObject(import, context, *object, previous);
    previous = object->classCode;
    if (MetafileDisposeObject(object) != kMetafileFine && result == kImported) result = kImportFailed;
    if (result == kImported) result = ReportReading(import, context);
  }
  return result;
}

// The mesh is finished and the import ended, or after any failure the mesh goes again, so that the
// document is left as it was.
int32_t HandOver(const SImport& import, int32_t result) {
  const SConversion& conversion = import.conversion;
  if (result == kImported) {
    if (HostSlot<QNHostObjectFn>(import, QN_SLOT_FINISH_OBJECT)(conversion.document, conversion.mesh) == 0)
      return HostSlot<QNHostDocumentFn>(import, QN_SLOT_END_IMPORT)(conversion.document) == 0 ? kImported : kImportFailed;
    result = kImportFailed;
  }
  HostSlot<QNHostObjectFn>(import, QN_SLOT_DELETE_OBJECT)(conversion.document, conversion.mesh);
  return result;
}

bool HasImportSlots(QNHostFn* callbacks) {
  if (!callbacks) return false;
  for (QNHostSlot slot : {QN_SLOT_GET_DOCUMENT, QN_SLOT_PROGRESS, QN_SLOT_CREATE_OBJECT, QN_SLOT_DELETE_OBJECT,
                          QN_SLOT_BEGIN_IMPORT, QN_SLOT_END_IMPORT, QN_SLOT_FINISH_OBJECT, QN_SLOT_ADD_TRIANGLE})
    if (!callbacks[slot]) return false;
  return true;
}

// A document, a begun import and a mesh that the host gave, or 2 before the file is opened: no
// handle that the host did not give ever goes back to it.
bool StartImport(SImport& import) {
  SConversion& conversion = import.conversion;
  conversion.document = HostSlot<QNHostGetDocumentFn>(import, QN_SLOT_GET_DOCUMENT)();
  if (conversion.document == 0) return false;
  if (HostSlot<QNHostDocumentFn>(import, QN_SLOT_BEGIN_IMPORT)(conversion.document) != 0) return false;
  uint32_t mesh = 0;
  const auto create = HostSlot<QNHostCreateObjectFn>(import, QN_SLOT_CREATE_OBJECT);
  if (create(conversion.document, kTriangleMesh, &mesh) != 0 || mesh == 0) return false;
  conversion.mesh = mesh;
  conversion.addTriangle = HostSlot<QNHostAddTriangleFn>(import, QN_SLOT_ADD_TRIANGLE);
  return true;
}

int32_t ImportMetafile(QNHostFn* callbacks, const QNPluginParams& params) {
  if (!HasImportSlots(callbacks)) return kImportFailed;
  SImport import;
  import.callbacks = callbacks;
  ResetGroups(import.conversion);
  if (!StartImport(import)) return kImportFailed;
  CopyBlockText(import.opening, sizeof import.opening, kStrings[kOpening]);
  CopyBlockText(import.reading, sizeof import.reading, kStrings[kReading]);
  ReportProgress(import, import.opening, 0, 1);
  int32_t result = kImportFailed;
  MetafileContext* context = nullptr;
  const char* path = BlockPath(params);
  if (path && MetafileOpenFile(path, &context) == kMetafileFine) {
    MetafileSize(context, &import.size);
    import.keepConverted = MetafileHasReferenceTargets(context);
    result = ReadObjects(import, context);
    MetafileClose(context);
  }
  return HandOver(import, result);
}

}  // namespace

int32_t VendrixEntry(uint32_t selector, QNHostFn* callbacks, void* block) {
  auto* params = static_cast<QNPluginParams*>(block);
  switch (selector) {
    case QN_SELECTOR_COUNT_FORMATS:
      if (params) params->formatIndex = kFormats;
      return 0;
    case QN_SELECTOR_DESCRIBE_FORMAT:
      if (params) Describe(*params);
      return 0;
    case QN_SELECTOR_NAME:
      if (params) CopyBlockText(params->text, sizeof params->text, kStrings[kTitle]);
      return 0;
    case QN_SELECTOR_PROBE:
      return params ? Probe(*params) : 0;
    case QN_SELECTOR_IMPORT:
      return params ? ImportMetafile(callbacks, *params) : kImportFailed;
    default:
      return 0;
  }
}
