// What the metafile reader returns: one object of a metafile as its class code, its label and its
// fields in stored order. A field holds one value or one counted array of them: the points of a
// polygon are one field after the field of their count.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Four-character class codes, the first character in the top byte.
constexpr uint32_t MetafileCode(const char (&code)[5]) {
  return uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 | uint32_t(uint8_t(code[2])) << 8 |
         uint32_t(uint8_t(code[3]));
}

// The record of every object whose class the table does not know: its fields are the object's own
// class code (Int32), the name of its class when known (String), the format it was read from (Uns32,
// EMetafileFormat) and its data as it stood (RawData).
constexpr uint32_t kMetafileUnknownClass = 0x80000000u;
// Made by the reader at the end of a container's contents; no file holds it.
constexpr uint32_t kMetafileEndContainer = MetafileCode("endc");

enum class EMetafileField : uint8_t {
  kUns16,
  kUns32,
  kInt32,
  kFloat32,  // any number of them: a point, a vector, a colour, a matrix or an array of those
  kBoolean,
  kEnum,
  kFlags,
  kString,
  kRawData,
  kPosition,  // where an object stands: a byte offset in binary, a label name in text
  kPackedIndex,
  kClass,   // a class code
  kObject,  // a whole object inside this one's data
};

struct MetafileObject;

struct SMetafileField {
  EMetafileField type;
  std::vector<int64_t> integers;  // every integer type, Boolean, Enum, Flags, PackedIndex, Class
  std::vector<float> floats;
  std::string text;             // String; the label name of a text Position
  std::vector<uint8_t> bytes;   // RawData
  uint64_t position = 0;        // a binary Position
  std::unique_ptr<MetafileObject> object;
};

// The label an object carries when a table of contents names it.
struct SMetafileLabel {
  uint32_t reference;
  std::string name;  // text files only
};

struct MetafileObject {
  uint32_t classCode = 0;
  std::optional<SMetafileLabel> label;
  std::vector<SMetafileField> fields;
  // Where the object begins in the file: the same object, read again through a Reference, has the
  // same offset.
  uint64_t offset = 0;
};
