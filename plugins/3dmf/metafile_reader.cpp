#include <algorithm>
#include <new>
#include <stdexcept>

#include "plugins/3dmf/metafile.h"
#include "plugins/3dmf/metafile_classes.h"
#include "plugins/3dmf/metafile_context.h"

namespace {

constexpr uint32_t kContainer = MetafileCode("cntr");
constexpr uint32_t kBeginGroup = MetafileCode("bgng");
constexpr uint32_t kEndGroup = MetafileCode("endg");
constexpr uint32_t kReference = MetafileCode("rfrn");
constexpr uint32_t kTableOfContents = MetafileCode("toc ");
constexpr size_t kObjectHeaderBytes = 8;
constexpr uint64_t kMostBytesPerRead = 1u << 30;

uint64_t gMostReferencedObjects = kMostReferencedObjects;

bool IsText(const MetafileContext& context) { return context.file->format == kMetafileText; }

// Between two reads a binary buffer keeps only the frames of open containers; a text buffer keeps
// the closing parentheses of containers after the last object inside them.
bool ContainerOpen(const MetafileContext& context) {
  const SObjectBuffer& buffer = context.buffer;
  return IsText(context) ? buffer.position < buffer.bytes.size() : !buffer.frames.empty();
}

int32_t EndContainer(MetafileContext& context, std::unique_ptr<MetafileObject>* object) {
  if (context.openContainers == 0) return kMetafileTooManyEndContainers;
  --context.openContainers;
  *object = std::make_unique<MetafileObject>();
  (*object)->classCode = kMetafileEndContainer;
  return kMetafileFine;
}

int32_t BeginContainer(MetafileContext& context) {
  if (context.openContainers >= kMostNesting) return kMetafileUnableToParse;
  ++context.openContainers;
  if (!IsText(context)) context.buffer.frames.back().container = true;
  return kMetafileFine;
}

int32_t LoadNextTopLevel(MetafileContext& context) {
  if (!IsText(context)) return LoadBinaryObject(context, context.nextOffset);
  if (context.nextPiece >= context.file->pieces.size()) return kMetafileNoMoreObjects;
  return LoadTextPiece(context, context.nextPiece);
}

// The next object of this context alone: the end of an open container, or the next object inside
// it, or the next top-level object. Tables of contents are passed over.
int32_t ReadNext(MetafileContext& context, std::unique_ptr<MetafileObject>* object) {
  for (;;) {
    bool topLevel = false;
    if (ContainerOpen(context)) {
      if (context.file->operations->endObject(context) == kMetafileFine) return EndContainer(context, object);
      if (IsText(context)) return kMetafileUnableToParse;
    } else {
      if (const int32_t code = LoadNextTopLevel(context)) return code;
      topLevel = true;
    }
    const int32_t code = ReadObjectInBuffer(context, object);
    if (code != kMetafileFine && !MetafileWarning(code)) return code;
    MetafileObject& read = **object;
    if (read.classCode == kTableOfContents) {
      object->reset();
      continue;
    }
    if (topLevel && IsText(context)) {
      const STextPiece& piece = context.file->pieces[context.nextPiece - 1];
      if (piece.reference >= 0) read.label = SMetafileLabel{uint32_t(piece.reference), piece.label};
    }
    if (read.classCode == kContainer) {
      if (const int32_t opened = BeginContainer(context)) return opened;
    }
    return code;
  }
}

MetafileContext* Innermost(MetafileContext* context) {
  while (context->child) context = context->child.get();
  return context;
}

int32_t CountGroups(SMetafileFile& file, uint32_t classCode) {
  if (classCode == kBeginGroup) ++file.openGroups;
  if (classCode != kEndGroup) return kMetafileFine;
  if (file.openGroups == 0) return kMetafileTooManyEndGroups;
  --file.openGroups;
  return kMetafileFine;
}

// A child counts what it opens and closes; it is done once it has returned as many ends as begins.
void FollowChild(MetafileContext& child, uint32_t classCode) {
  if (classCode == kBeginGroup || classCode == kContainer) ++child.depth;
  if (classCode == kEndGroup || classCode == kMetafileEndContainer) --child.depth;
  if (child.depth <= 0) child.finished = true;
}

int32_t ReadFromInnermost(MetafileContext* root, MetafileObject** object) {
  for (;;) {
    MetafileContext* context = Innermost(root);
    if (context->parent && context->finished) {
      context->parent->child.reset();
      continue;
    }
    std::unique_ptr<MetafileObject> read;
    const int32_t code = ReadNext(*context, &read);
    if (code == kMetafileNoMoreObjects && context->parent) {
      context->parent->child.reset();
      continue;
    }
    if (code != kMetafileFine && !MetafileWarning(code)) return code;
    if (const int32_t groups = CountGroups(*root->file, read->classCode)) return groups;
    if (context->parent) {
      if (++root->file->referencedObjects > gMostReferencedObjects) return kMetafileUnableToParse;
      FollowChild(*context, read->classCode);
    }
    *object = read.release();
    return code;
  }
}

const SOperationTable* OperationsOf(EMetafileFormat format) {
  switch (format) {
    case kMetafileLittleEndian: return &kLittleEndianOperations;
    case kMetafileBigEndian: return &kBigEndianOperations;
    case kMetafileText: return &kTextOperations;
  }
  return nullptr;
}

EMetafileFormat FormatOf(const uint8_t (&magic)[4]) {
  if (std::equal(magic, magic + 4, "FMD3")) return kMetafileLittleEndian;
  if (std::equal(magic, magic + 4, "3DMF")) return kMetafileBigEndian;
  return kMetafileText;
}

// From the open stream on: the format from the first four bytes (a shorter file is text), the stream
// opened again for it, its size and its tables.
int32_t Start(MetafileContext& context, const void* description) {
  SMetafileFile& file = *context.file;
  uint8_t magic[4] = {};
  const int32_t read = file.storage.read(file.stream, sizeof magic, magic);
  if (read != kMetafileFine && read != kMetafileReadAtEnd && read != kMetafilePartialReadAtEnd) return read;
  file.format = FormatOf(magic);
  const int32_t closed = file.storage.close(file.stream);
  file.stream = nullptr;
  if (closed) return closed;
  if (const int32_t code = file.storage.open(file.format, description, &file.stream)) return code;
  if (const int32_t code = file.storage.size(file.stream, &file.size)) return code;
  file.operations = OperationsOf(file.format);
  if (!file.operations) return kMetafileIllegalDataType;
  return file.operations->beginFile(context);
}

}  // namespace

int32_t ReadAt(SMetafileFile& file, uint64_t offset, uint64_t count, uint8_t* bytes) {
  if (file.streamPosition != offset) {
    file.streamPosition = kUnknownPosition;
    if (const int32_t code = file.storage.seek(file.stream, offset)) return code;
    file.streamPosition = offset;
  }
  while (count > 0) {
    const uint64_t part = std::min(count, kMostBytesPerRead);
    if (const int32_t code = file.storage.read(file.stream, uint32_t(part), bytes)) {
      file.streamPosition = kUnknownPosition;
      return code;
    }
    file.streamPosition += part;
    bytes += part;
    count -= part;
  }
  return kMetafileFine;
}

uint64_t Remaining(const MetafileContext& context) {
  const SObjectBuffer& buffer = context.buffer;
  const size_t end = buffer.frames.empty() ? buffer.bytes.size() : buffer.frames.back().end;
  return end > buffer.position ? end - buffer.position : 0;
}

int32_t ReadObjectInBuffer(MetafileContext& context, std::unique_ptr<MetafileObject>* object, bool containerAllowed) {
  if (context.nesting >= kMostNesting) return kMetafileUnableToParse;
  struct SNesting {
    int32_t& depth;
    explicit SNesting(int32_t& d) : depth(++d) {}
    ~SNesting() { --depth; }
  } nesting(context.nesting);

  SMetafileFile& file = *context.file;
  const uint64_t at = context.buffer.fileOffset + context.buffer.position;
  SObjectStart start;
  if (const int32_t code = file.operations->beginObject(context, &start)) return code;
  auto read = std::make_unique<MetafileObject>();
  read->classCode = IsUnknownClass(start.entry) ? kMetafileUnknownClass : start.entry->code;
  read->offset = at;
  if (read->classCode == kContainer && !containerAllowed) return kMetafileUnableToParse;
  if (!IsText(context)) {
    const auto label = file.referenceAt.find(at);
    if (label != file.referenceAt.end()) read->label = SMetafileLabel{label->second, {}};
  }
  int32_t result = kMetafileFine;
  if (read->classCode != kContainer) {
    result = ReadClassFields(context, start, *read);
    if (result != kMetafileFine && !MetafileWarning(result)) return result;
    if (const int32_t code = file.operations->endObject(context)) return code;
  }
  *object = std::move(read);
  return result;
}

int32_t ReadUnknownData(MetafileContext& context, std::vector<uint8_t>* bytes) {
  SObjectBuffer& buffer = context.buffer;
  size_t end = buffer.position + Remaining(context);
  if (IsText(context)) {
    // To the parenthesis that closes the object, passing over strings and comments.
    int32_t depth = 0;
    for (end = buffer.position; end < buffer.bytes.size(); ++end) {
      const uint8_t c = buffer.bytes[end];
      if (c == ')' && depth-- == 0) break;
      if (c == '(') ++depth;
      if (c == '#') {
        while (end + 1 < buffer.bytes.size() && buffer.bytes[end + 1] != '\n') ++end;
      } else if (c == '"') {
        for (++end; end < buffer.bytes.size() && buffer.bytes[end] != '"'; ++end)
          if (buffer.bytes[end] == '\\') ++end;
      }
    }
    if (end >= buffer.bytes.size()) return kMetafileUnableToParse;
  }
  bytes->assign(buffer.bytes.begin() + ptrdiff_t(buffer.position), buffer.bytes.begin() + ptrdiff_t(end));
  buffer.position = end;
  return kMetafileFine;
}

int32_t LoadBinaryObject(MetafileContext& context, uint64_t offset) {
  SMetafileFile& file = *context.file;
  if (offset == file.size) return kMetafileNoMoreObjects;
  if (offset > file.size || file.size - offset < kObjectHeaderBytes) return kMetafileUnableToParse;
  uint8_t header[kObjectHeaderBytes];
  if (const int32_t code = ReadAt(file, offset, sizeof header, header)) return code;
  const uint64_t size = BinaryUns32(file.format, header + 4);
  // Checked before the object is read into memory.
  if (size > file.size - offset - kObjectHeaderBytes) return kMetafileUnableToParse;
  SObjectBuffer& buffer = context.buffer;
  buffer.bytes.resize(kObjectHeaderBytes + size);
  std::copy(header, header + sizeof header, buffer.bytes.begin());
  if (const int32_t code = ReadAt(file, offset + kObjectHeaderBytes, size, buffer.bytes.data() + kObjectHeaderBytes))
    return code;
  buffer.fileOffset = offset;
  buffer.position = 0;
  buffer.frames.clear();
  context.nextOffset = offset + kObjectHeaderBytes + size;
  return kMetafileFine;
}

int32_t LoadTextPiece(MetafileContext& context, size_t index) {
  SMetafileFile& file = *context.file;
  const STextPiece& piece = file.pieces[index];
  SObjectBuffer& buffer = context.buffer;
  buffer.bytes.resize(piece.length);
  if (const int32_t code = ReadAt(file, piece.start, piece.length, buffer.bytes.data())) return code;
  buffer.fileOffset = piece.start;
  buffer.position = 0;
  buffer.frames.clear();
  context.nextPiece = index + 1;
  SkipBlanks(context);
  return kMetafileFine;
}

void EndReadingFile(MetafileContext& context) {
  SMetafileFile& file = *context.file;
  file.referenceAt.clear();
  file.referenced.clear();
  file.pieces.clear();
}

int32_t MetafileOpenStorage(const void* description, const StorageCallbacks& storage, MetafileContext** context) {
  if (!context) return kMetafileInvalidParameter;
  *context = nullptr;
  if (!storage.open || !storage.read || !storage.tell || !storage.seek || !storage.close || !storage.size)
    return kMetafileInvalidParameter;
  std::unique_ptr<MetafileContext> opened;
  int32_t code = kMetafileFine;
  try {
    opened = std::make_unique<MetafileContext>();
    opened->ownFile = std::make_unique<SMetafileFile>();
    opened->file = opened->ownFile.get();
    opened->file->storage = storage;
    code = storage.open(kMetafileLittleEndian, description, &opened->file->stream);
    if (code != kMetafileFine) return code;
    code = Start(*opened, description);
  } catch (const std::bad_alloc&) {
    code = kMetafileOutOfMemory;
  } catch (const std::length_error&) {
    code = kMetafileOutOfMemory;
  }
  if (code != kMetafileFine && !MetafileWarning(code)) {
    if (opened && opened->file->stream) storage.close(opened->file->stream);
    return code;
  }
  *context = opened.release();
  return kMetafileFine;
}

int32_t MetafileOpenFile(const char* path, MetafileContext** context) {
  const SFileStorage file = {path, 0};
  return MetafileOpenStorage(&file, kFileStorage, context);
}

int32_t MetafileReadObject(MetafileContext* context, MetafileObject** object) {
  if (!context || !object) return kMetafileInvalidParameter;
  *object = nullptr;
  try {
    return ReadFromInnermost(context, object);
  } catch (const std::bad_alloc&) {
    return kMetafileOutOfMemory;
  } catch (const std::length_error&) {
    return kMetafileOutOfMemory;
  }
}

int32_t MetafileDisposeObject(MetafileObject* object) {
  delete object;
  return kMetafileFine;
}

int32_t MetafileResolveReference(MetafileContext* context, const MetafileObject* reference) {
  if (!context || !reference) return kMetafileInvalidParameter;
  if (reference->classCode != kReference) return kMetafileNotAReference;
  if (reference->fields.empty() || reference->fields[0].integers.empty()) return kMetafileInvalidParameter;
  const int64_t number = reference->fields[0].integers[0];
  if (number == 0) return kMetafileIllegalReferenceId;
  MetafileContext* reader = Innermost(context);
  int32_t followed = 0;
  for (const MetafileContext* at = reader; at->parent; at = at->parent) ++followed;
  if (followed >= kMostReferencesFollowed) return kMetafileUnableToParse;
  SMetafileFile& file = *context->file;
  const auto found = file.referenced.find(uint32_t(number));
  if (found == file.referenced.end()) return kMetafileReferenceNotFound;
  try {
    auto child = std::make_unique<MetafileContext>();
    child->file = &file;
    child->parent = reader;
    if (IsText(*context)) child->nextPiece = size_t(found->second);
    else child->nextOffset = found->second;
    reader->child = std::move(child);
  } catch (const std::bad_alloc&) {
    return kMetafileOutOfMemory;
  }
  return kMetafileFine;
}

bool MetafileHasReferenceTargets(const MetafileContext* context) {
  return context && !context->file->referenced.empty();
}

int32_t MetafilePosition(MetafileContext* context, uint64_t* position) {
  if (!context || !position) return kMetafileInvalidParameter;
  const SMetafileFile& file = *context->file;
  if (file.streamPosition == kUnknownPosition) return file.storage.tell(file.stream, position);
  *position = file.streamPosition;
  return kMetafileFine;
}

int32_t MetafileSize(MetafileContext* context, uint64_t* size) {
  if (!context || !size) return kMetafileInvalidParameter;
  *size = context->file->size;
  return kMetafileFine;
}

int32_t MetafileClose(MetafileContext* context) {
  if (!context) return kMetafileInvalidParameter;
  std::unique_ptr<MetafileContext> closing(context);
  SMetafileFile& file = *closing->file;
  const int32_t groups = file.openGroups > 0 ? kMetafileNotEnoughEndGroups : kMetafileFine;
  closing->child.reset();
  if (file.operations) file.operations->endFile(*closing);
  const int32_t closed = file.storage.close(file.stream);
  return groups != kMetafileFine ? groups : closed;
}

void SetMostReferencedObjects(uint64_t objects) { gMostReferencedObjects = objects; }
