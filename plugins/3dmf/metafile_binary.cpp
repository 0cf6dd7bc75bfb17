// The operations of binary metafiles, in either byte order: fields are read from the buffer of the
// top-level object, and nothing of an object may be read past its end.
#include <algorithm>
#include <bit>
#include <type_traits>
#include <unordered_set>

#include "plugins/3dmf/metafile_classes.h"
#include "plugins/3dmf/metafile_codes.h"
#include "plugins/3dmf/metafile_context.h"

namespace {

constexpr uint32_t kHeader = MetafileCode("3DMF");
constexpr uint32_t kHeaderOtherOrder = MetafileCode("FMD3");
constexpr uint32_t kTableOfContents = MetafileCode("toc ");

// The fields of a table of contents before its entries.
enum ETableField : size_t { kNextTable, kReferenceSeed, kTypeSeed, kEntryType, kEntrySize, kEntryCount, kFirstEntry };

// The unsigned integer of a type's size, whose bits a number of that type is read into.
template <typename T>
using UnsignedOfSize =
    std::conditional_t<sizeof(T) == 1, uint8_t,
                       std::conditional_t<sizeof(T) == 2, uint16_t, std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;

uint64_t Decode(EMetafileFormat format, const uint8_t* bytes, size_t count) {
  uint64_t value = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t byte = format == kMetafileBigEndian ? bytes[i] : bytes[count - 1 - i];
    value = value << 8 | byte;
  }
  return value;
}

// The next bytes of the object being read, or null when fewer remain.
const uint8_t* Take(MetafileContext& context, uint64_t count) {
  if (Remaining(context) < count) return nullptr;
  const uint8_t* at = context.buffer.bytes.data() + context.buffer.position;
  context.buffer.position += size_t(count);
  return at;
}

template <EMetafileFormat kFormat>
struct SBinary {
  template <typename T>
  static int32_t Number(MetafileContext& context, T* value) {
    const uint8_t* at = Take(context, sizeof(T));
    if (!at) return kMetafileUnableToParse;
    *value = std::bit_cast<T>(UnsignedOfSize<T>(Decode(kFormat, at, sizeof(T))));
    return kMetafileFine;
  }

  static int32_t String(MetafileContext& context, std::string* text) {
    SObjectBuffer& buffer = context.buffer;
    const uint8_t* start = buffer.bytes.data() + buffer.position;
    const uint8_t* end = start + Remaining(context);
    const uint8_t* zero = std::find(start, end, uint8_t(0));
    if (zero == end) return kMetafileUnableToParse;
    text->assign(start, zero);
    buffer.position += size_t(zero - start) + 1;
    return kMetafileFine;
  }

  // The bytes, then zero to three bytes that pad them to a multiple of 4.
  static int32_t RawData(MetafileContext& context, uint64_t count, std::vector<uint8_t>* bytes) {
    const uint64_t padded = count + (4 - count % 4) % 4;
    const uint8_t* at = Take(context, padded);
    if (!at) return kMetafileUnableToParse;
    bytes->assign(at, at + count);
    return kMetafileFine;
  }

  static int32_t Enumeration(MetafileContext& context, const SEnumEntry*, uint32_t* value) {
    return Number(context, value);
  }

  // The class code and the size of the data that follows, which must lie within what encloses it.
  static int32_t BeginObject(MetafileContext& context, SObjectStart* start) {
    uint32_t code = 0, size = 0;
    if (Number(context, &code) || Number(context, &size)) return kMetafileUnableToParse;
    SObjectBuffer& buffer = context.buffer;
    if (size > Remaining(context)) return buffer.frames.empty() ? kMetafileUnableToParse : kMetafileContainedTooBig;
    buffer.frames.push_back({buffer.position, buffer.position + size, false});
    return LookUpClassCode(int32_t(code), start);
  }

  // Complete when the read position is at the end of the data, or when the data's size is a multiple
  // of 4 and the position rounded up to one is: that lets a final string's padding pass.
  static int32_t EndObject(MetafileContext& context) {
    SObjectBuffer& buffer = context.buffer;
    if (buffer.frames.empty()) return kMetafileUnableToParse;
    const SObjectFrame frame = buffer.frames.back();
    const size_t read = buffer.position - frame.start, size = frame.end - frame.start;
    if (read != size && (size % 4 != 0 || (read + 3) / 4 * 4 != size)) return kMetafileIncompleteObject;
    buffer.position = frame.end;
    buffer.frames.pop_back();
    return kMetafileFine;
  }

  static int32_t Class(MetafileContext& context, SObjectStart* start) {
    uint32_t code = 0;
    if (const int32_t error = Number(context, &code)) return error;
    return LookUpClassCode(int32_t(code), start);
  }

  static int32_t Position(MetafileContext& context, SMetafilePosition* position) {
    return Number(context, &position->offset);
  }

  static int32_t LabelName(MetafileContext&, uint32_t, std::string* name) {
    name->clear();
    return kMetafileFine;
  }

  static uint32_t TopLevelCode(const MetafileContext& context) { return BinaryUns32(kFormat, context.buffer.bytes.data()); }

  // The entries of one table of contents; the position of the next table, or 0.
  static uint64_t AddEntries(SMetafileFile& file, const MetafileObject& table) {
    const std::vector<SMetafileField>& fields = table.fields;
    const size_t step = fields[kEntryType].integers[0] != 0 ? 3 : 2;
    for (size_t at = kFirstEntry; at + 1 < fields.size(); at += step) {
      const uint32_t reference = uint32_t(fields[at].integers[0]);
      const uint64_t position = fields[at + 1].position;
      file.referenceAt.emplace(position, reference);
      file.referenced.emplace(reference, position);
    }
    file.nextReference = std::max(file.nextReference, uint32_t(fields[kReferenceSeed].integers[0]));
    file.lowestUserCode = std::min(file.lowestUserCode, int32_t(fields[kTypeSeed].integers[0]));
    return fields[kNextTable].position;
  }

  // The header first, then the chain of tables of contents from its position; a chain that comes
  // back to a table or leaves the file is refused. Reading then starts again at the header.
  static int32_t BeginFile(MetafileContext& context) {
    SMetafileFile& file = *context.file;
    if (const int32_t code = LoadBinaryObject(context, 0)) return code == kMetafileNoMoreObjects ? kMetafileUnableToParse : code;
    if (TopLevelCode(context) != kHeader && TopLevelCode(context) != kHeaderOtherOrder) return kMetafileUnableToParse;
    std::unique_ptr<MetafileObject> header;
    const int32_t result = ReadObjectInBuffer(context, &header);
    if (result != kMetafileFine && !MetafileWarning(result)) return result;
    std::unordered_set<uint64_t> visited;
    for (uint64_t next = header->fields.back().position; next != 0;) {
      if (next >= file.size || !visited.insert(next).second) return kMetafileUnableToParse;
      if (const int32_t code = LoadBinaryObject(context, next)) return code;
      if (TopLevelCode(context) != kTableOfContents) return kMetafileUnableToParse;
      std::unique_ptr<MetafileObject> table;
      if (const int32_t code = ReadObjectInBuffer(context, &table)) return code;
      next = AddEntries(file, *table);
    }
    context.buffer = SObjectBuffer();
    context.nextOffset = 0;
    return result;
  }

  static constexpr SOperationTable kOperations = {
      Number<uint8_t>,  nullptr, Number<uint16_t>, nullptr, Number<uint32_t>, nullptr, Number<uint64_t>, nullptr,
      Number<int8_t>,   nullptr, Number<int16_t>,  nullptr, Number<int32_t>,  nullptr, Number<int64_t>,  nullptr,
      Number<float>,    nullptr, Number<double>,   nullptr, String,           nullptr, RawData,          nullptr,
      Enumeration,      nullptr, Enumeration,      nullptr, BeginObject,      EndObject, nullptr,        nullptr,
      Class,            nullptr, Position,         nullptr, nullptr,          nullptr, BeginFile,        LabelName,
      EndReadingFile,
  };
};

}  // namespace

uint32_t BinaryUns32(EMetafileFormat format, const uint8_t* bytes) { return uint32_t(Decode(format, bytes, 4)); }

const SOperationTable kLittleEndianOperations = SBinary<kMetafileLittleEndian>::kOperations;
const SOperationTable kBigEndianOperations = SBinary<kMetafileBigEndian>::kOperations;
