// Inside the metafile reader: the context of an open metafile, the table of operations through which
// every field is read in the file's own format, and the steps that the formats, the class table and
// the object reader share. Nothing outside the metafile library includes this.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "plugins/3dmf/metafile_object.h"
#include "plugins/3dmf/metafile_storage.h"

// Bounds that keep a file from running the reader away.
constexpr int32_t kMostNesting = 256;             // containers, objects inside objects, scan levels
constexpr int32_t kMostReferencesFollowed = 16;   // references being followed at once
constexpr uint64_t kMostReferencedObjects = 1u << 20;  // objects returned through references per file
constexpr size_t kMostNameCharacters = 1023;

// A row of an enumeration or flags table; the table ends with a row without name.
struct SEnumEntry {
  uint32_t value;
  const char* name;
};

struct SClassEntry;
struct MetafileContext;

// What the begin-object operation found: the class's row, and for a class the table does not know
// the object's own code and, from a text file, the name it was given.
struct SObjectStart {
  const SClassEntry* entry = nullptr;
  int32_t code = 0;
  std::string name;
};

// A file position: a byte offset in binary, a label name in text.
struct SMetafilePosition {
  uint64_t offset = 0;
  std::string label;
};

// The operations of one format, in their 41 places: reading and writing alternate, and nothing
// writes a metafile here, so the write places hold no operation.
using FWriteOperation = int32_t (*)(MetafileContext&, const void*);
struct SOperationTable {
  int32_t (*readUns8)(MetafileContext&, uint8_t*);
  FWriteOperation writeUns8;
  int32_t (*readUns16)(MetafileContext&, uint16_t*);
  FWriteOperation writeUns16;
  int32_t (*readUns32)(MetafileContext&, uint32_t*);
  FWriteOperation writeUns32;
  int32_t (*readUns64)(MetafileContext&, uint64_t*);
  FWriteOperation writeUns64;
  int32_t (*readInt8)(MetafileContext&, int8_t*);
  FWriteOperation writeInt8;
  int32_t (*readInt16)(MetafileContext&, int16_t*);
  FWriteOperation writeInt16;
  int32_t (*readInt32)(MetafileContext&, int32_t*);
  FWriteOperation writeInt32;
  int32_t (*readInt64)(MetafileContext&, int64_t*);
  FWriteOperation writeInt64;
  int32_t (*readFloat32)(MetafileContext&, float*);
  FWriteOperation writeFloat32;
  int32_t (*readFloat64)(MetafileContext&, double*);
  FWriteOperation writeFloat64;
  int32_t (*readString)(MetafileContext&, std::string*);
  FWriteOperation writeString;
  int32_t (*readRawData)(MetafileContext&, uint64_t count, std::vector<uint8_t>*);
  FWriteOperation writeRawData;
  int32_t (*readEnum)(MetafileContext&, const SEnumEntry* table, uint32_t*);
  FWriteOperation writeEnum;
  int32_t (*readFlags)(MetafileContext&, const SEnumEntry* table, uint32_t*);
  FWriteOperation writeFlags;
  int32_t (*beginObject)(MetafileContext&, SObjectStart*);
  int32_t (*endObject)(MetafileContext&);
  FWriteOperation beginWriteObject;
  FWriteOperation endWriteObject;
  int32_t (*readClass)(MetafileContext&, SObjectStart*);
  FWriteOperation writeClass;
  int32_t (*readPosition)(MetafileContext&, SMetafilePosition*);
  FWriteOperation writePosition;
  FWriteOperation writeTablePlaceholder;
  FWriteOperation writeLabel;
  int32_t (*beginFile)(MetafileContext&);
  int32_t (*labelName)(MetafileContext&, uint32_t reference, std::string*);
  void (*endFile)(MetafileContext&);
};
static_assert(sizeof(SOperationTable) == 41 * sizeof(void*), "the operation table has 41 places");

extern const SOperationTable kLittleEndianOperations;
extern const SOperationTable kBigEndianOperations;
extern const SOperationTable kTextOperations;

// An object or container being read in a binary buffer: where its data starts and ends.
struct SObjectFrame {
  size_t start;
  size_t end;
  bool container;
};

// The bytes of the top-level object being read (characters in text) and the read position in them.
struct SObjectBuffer {
  std::vector<uint8_t> bytes;
  uint64_t fileOffset = 0;  // where bytes[0] stands in the file
  size_t position = 0;
  std::vector<SObjectFrame> frames;  // binary: the innermost object or container last
};

// A top-level object of a text file as the scan at open found it. It runs to the start of the next
// one, so the closing parentheses of containers stay at the end of the last object inside them.
struct STextPiece {
  uint64_t start;
  uint64_t length;
  std::string label;
  int64_t reference = -1;
  bool tableOfContents = false;
};

constexpr uint64_t kUnknownPosition = UINT64_MAX;

struct SUserClass {
  int32_t code;
  std::string name;
};

// What all contexts of one file share; the context that opened the file owns it.
struct SMetafileFile {
  StorageCallbacks storage{};
  void* stream = nullptr;
  EMetafileFormat format = kMetafileText;
  const SOperationTable* operations = nullptr;
  uint64_t size = 0;
  // Where the stream stands, so that reading on from there needs no seek; kUnknownPosition after a
  // failure.
  uint64_t streamPosition = kUnknownPosition;
  // Binary: the reference numbers of object positions, and back. Text: the pieces of the numbers.
  std::unordered_map<uint64_t, uint32_t> referenceAt;
  std::unordered_map<uint32_t, uint64_t> referenced;
  uint32_t nextReference = 1;
  int32_t lowestUserCode = -1;
  std::vector<STextPiece> pieces;
  std::vector<SUserClass> userClasses;
  int32_t openGroups = 0;
  uint64_t referencedObjects = 0;
};

// One open metafile, or a reference being followed in it: then this is the child of the context
// that read the Reference, reads on its own from the referenced object, and is closed once the object
// (the whole group or container when it is one) has been returned.
struct MetafileContext {
  SMetafileFile* file = nullptr;
  std::unique_ptr<SMetafileFile> ownFile;
  SObjectBuffer buffer;
  uint64_t nextOffset = 0;  // binary: where the next top-level object starts
  size_t nextPiece = 0;     // text
  int32_t openContainers = 0;
  int32_t nesting = 0;
  std::unique_ptr<MetafileContext> child;
  MetafileContext* parent = nullptr;
  int32_t depth = 0;  // a child's groups and containers begun and not yet ended
  bool finished = false;
};

// Bytes or characters left in the object being read.
uint64_t Remaining(const MetafileContext& context);
// Skips blanks and comments at the text read position.
void SkipBlanks(MetafileContext& context);
// Reads the whole object at the buffer's read position, nested objects and all; a Container only
// begins, and only where containers may stand: at the top or inside another container, not inside
// another object's data. Warnings come back with the object.
int32_t ReadObjectInBuffer(MetafileContext& context, std::unique_ptr<MetafileObject>* object,
                           bool containerAllowed = true);
// The rest of an unknown object's data as it stands: bytes in binary, in text the characters up to
// its closing parenthesis.
int32_t ReadUnknownData(MetafileContext& context, std::vector<uint8_t>* bytes);
// count bytes of the file from the offset on.
int32_t ReadAt(SMetafileFile& file, uint64_t offset, uint64_t count, uint8_t* bytes);
// A binary file's Uns32 at the bytes, in its order.
uint32_t BinaryUns32(EMetafileFormat format, const uint8_t* bytes);
// The end-reading operation of every format: the reference tables go.
void EndReadingFile(MetafileContext& context);
// The top-level object at the offset of a binary file, or the piece of a text file, into the buffer.
int32_t LoadBinaryObject(MetafileContext& context, uint64_t offset);
int32_t LoadTextPiece(MetafileContext& context, size_t piece);
