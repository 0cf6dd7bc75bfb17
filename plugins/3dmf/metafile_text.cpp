// The operations of text metafiles. Each one matches its pattern at the read position of the object's
// characters, moves past it and skips the blanks and comments after it. Numbers are read without
// regard to the process locale. Opening scans the whole file for its top-level objects and labels.
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <string_view>

#include "plugins/3dmf/metafile_classes.h"
#include "plugins/3dmf/metafile_codes.h"
#include "plugins/3dmf/metafile_context.h"

namespace {

constexpr uint32_t kTableOfContents = MetafileCode("toc ");
constexpr size_t kScanChunk = 1 << 16;

// The fields of a table of contents before its entries.
enum ETableField : size_t { kReferenceSeed = 1, kTypeSeed = 2, kEntryType = 3, kFirstEntry = 6 };

bool IsBlank(int c) { return c == ' ' || c == '\f' || c == '\n' || c == '\r' || c == '\t' || c == '\v'; }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsLetterOrDigit(int c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// Characters that end a class name or a label.
bool EndsWord(int c) { return IsBlank(c) || c == '(' || c == ')' || c == ':' || c == '#' || c == '"'; }
// Characters that a number may hold.
bool InNumber(int c) { return IsLetterOrDigit(c) || c == '+' || c == '-' || c == '.'; }

int HexValue(int c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The characters of the object being read.
class CCursor {
 public:
  explicit CCursor(MetafileContext& context) : fBuffer(context.buffer), fContext(context) {}

  int Peek() const { return fBuffer.position < fBuffer.bytes.size() ? fBuffer.bytes[fBuffer.position] : -1; }
  int Take() { return fBuffer.position < fBuffer.bytes.size() ? fBuffer.bytes[fBuffer.position++] : -1; }
  bool Match(char c) {
    if (Peek() != c) return false;
    ++fBuffer.position;
    SkipBlanks(fContext);
    return true;
  }
  // The run of characters from the read position that the test accepts, moved past.
  template <typename Test>
  std::string_view Run(Test test) {
    const size_t start = fBuffer.position;
    while (fBuffer.position < fBuffer.bytes.size() && test(fBuffer.bytes[fBuffer.position])) ++fBuffer.position;
    return {reinterpret_cast<const char*>(fBuffer.bytes.data()) + start, fBuffer.position - start};
  }
  void Done() { SkipBlanks(fContext); }

 private:
  SObjectBuffer& fBuffer;
  MetafileContext& fContext;
};

template <typename T>
bool Parse(std::string_view token, T* value) {
  if (!token.empty() && token[0] == '+') token.remove_prefix(1);
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), *value);
  return error == std::errc() && end == token.data() + token.size();
}

// A decimal number read as Wide and kept as T (the 8-bit types are read as 16 bits and cut).
template <typename T, typename Wide = T>
int32_t Integer(MetafileContext& context, T* value) {
  CCursor cursor(context);
  Wide wide = 0;
  if (!Parse(cursor.Run(InNumber), &wide)) return kMetafileUnableToParse;
  *value = T(wide);
  cursor.Done();
  return kMetafileFine;
}

// from_chars refuses a number too small for the type as it refuses one too large; the C library,
// in the "C" locale, reads the first as 0 or a subnormal number and the second as infinity.
template <typename T>
bool ParseOutOfRange(std::string_view token, T* value) {
  const std::string text(token);
  const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  if (!c) return false;
  char* end = nullptr;
  *value = T(strtod_l(text.c_str(), &end, c));
  freelocale(c);
  return end == text.c_str() + text.size();
}

template <typename T>
int32_t Real(MetafileContext& context, T* value) {
  CCursor cursor(context);
  std::string_view token = cursor.Run(InNumber);
  if (!token.empty() && token[0] == '+') token.remove_prefix(1);
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), *value);
  bool read = error == std::errc() && end == token.data() + token.size();
  if (error == std::errc::result_out_of_range) read = ParseOutOfRange(token, value);
  if (!read || !std::isfinite(*value)) return kMetafileUnableToParse;
  cursor.Done();
  return kMetafileFine;
}

int32_t Escaped(int c) {
  switch (c) {
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    default: return c;
  }
}

int32_t String(MetafileContext& context, std::string* text) {
  CCursor cursor(context);
  if (cursor.Peek() != '"') return kMetafileUnquotedString;
  cursor.Take();
  text->clear();
  for (int c = cursor.Take(); c != '"'; c = cursor.Take()) {
    if (c == '\\') c = Escaped(cursor.Take());
    if (c < 0) return kMetafileUnableToParse;
    text->push_back(char(c));
  }
  cursor.Done();
  return kMetafileFine;
}

// Groups of "0x" and two hexadecimal digits a byte, until count bytes are read.
int32_t RawData(MetafileContext& context, uint64_t count, std::vector<uint8_t>* bytes) {
  CCursor cursor(context);
  bytes->clear();
  while (bytes->size() < count) {
    if (cursor.Take() != '0' || (cursor.Peek() != 'x' && cursor.Peek() != 'X')) return kMetafileUnableToParse;
    cursor.Take();
    const std::string_view digits = cursor.Run([](int c) { return HexValue(c) >= 0; });
    if (digits.size() % 2 != 0) return kMetafileOddHexDigits;
    if (digits.size() / 2 > count - bytes->size()) return kMetafileUnableToParse;
    for (size_t i = 0; i < digits.size(); i += 2)
      bytes->push_back(uint8_t(HexValue(digits[i]) << 4 | HexValue(digits[i + 1])));
    cursor.Done();
  }
  return kMetafileFine;
}

const SEnumEntry* EntryNamed(const SEnumEntry* table, std::string_view name) {
  const std::string copy(name);
  for (const SEnumEntry* entry = table; entry->name; ++entry)
    if (CompareNoCase(copy.c_str(), entry->name) == 0) return entry;
  return nullptr;
}

bool HasValue(const SEnumEntry* table, uint32_t value) {
  for (const SEnumEntry* entry = table; entry->name; ++entry)
    if (entry->value == value) return true;
  return false;
}

// A number, or a name of letters and digits; false when neither is there.
bool EnumerationItem(CCursor& cursor, std::string_view* name, uint32_t* number) {
  const int first = cursor.Peek();
  if (IsDigit(first) || first == '+' || first == '-') {
    *name = {};
    return Parse(cursor.Run(InNumber), number);
  }
  *name = cursor.Run(IsLetterOrDigit);
  return !name->empty();
}

int32_t Enumeration(MetafileContext& context, const SEnumEntry* table, uint32_t* value) {
  CCursor cursor(context);
  std::string_view name;
  uint32_t number = 0;
  if (!EnumerationItem(cursor, &name, &number)) return kMetafileIllegalEnumeration;
  if (name.empty()) {
    if (!HasValue(table, number)) return kMetafileIllegalEnumeration;
    *value = number;
  } else {
    const SEnumEntry* entry = EntryNamed(table, name);
    if (!entry) return kMetafileIllegalEnumeration;
    *value = entry->value;
  }
  cursor.Done();
  return kMetafileFine;
}

// Names or numbers joined by "|"; every bit of a number must be a value of the table.
int32_t Flags(MetafileContext& context, const SEnumEntry* table, uint32_t* value) {
  CCursor cursor(context);
  *value = 0;
  do {
    std::string_view name;
    uint32_t number = 0;
    if (!EnumerationItem(cursor, &name, &number)) return kMetafileIllegalEnumeration;
    if (name.empty()) {
      for (uint32_t bit = 1; bit != 0; bit <<= 1)
        if ((number & bit) && !HasValue(table, bit)) return kMetafileIllegalEnumeration;
      *value |= number;
    } else {
      const SEnumEntry* entry = EntryNamed(table, name);
      if (!entry) return kMetafileIllegalEnumeration;
      *value |= entry->value;
    }
    cursor.Done();
  } while (cursor.Match('|'));
  return kMetafileFine;
}

int32_t Word(CCursor& cursor, std::string* word) {
  const std::string_view run = cursor.Run([](int c) { return !EndsWord(c); });
  if (run.size() > kMostNameCharacters) return kMetafileIllegalObjectName;
  if (run.empty()) return kMetafileUnableToParse;
  word->assign(run);
  cursor.Done();
  return kMetafileFine;
}

// An optional label "name:", the class name and "(".
int32_t BeginObject(MetafileContext& context, SObjectStart* start) {
  CCursor cursor(context);
  std::string name;
  if (const int32_t code = Word(cursor, &name)) return code;
  if (cursor.Match(':')) {
    if (const int32_t code = Word(cursor, &name)) return code;
    if (cursor.Peek() == ':') return kMetafileTooManyLabels;
  }
  if (const int32_t code = LookUpClassName(*context.file, name.c_str(), start)) return code;
  return cursor.Match('(') ? kMetafileFine : kMetafileUnableToParse;
}

int32_t EndObject(MetafileContext& context) {
  CCursor cursor(context);
  return cursor.Match(')') ? kMetafileFine : kMetafileUnableToParse;
}

int32_t Class(MetafileContext& context, SObjectStart* start) {
  CCursor cursor(context);
  std::string name;
  if (const int32_t code = Word(cursor, &name)) return code;
  return LookUpClassName(*context.file, name.c_str(), start);
}

// A label reference: the name up to ">".
int32_t Position(MetafileContext& context, SMetafilePosition* position) {
  CCursor cursor(context);
  const std::string_view name = cursor.Run([](int c) { return c != '>' && !EndsWord(c); });
  if (cursor.Peek() != '>') return kMetafileUnableToParse;
  position->label.assign(name);
  cursor.Take();
  cursor.Done();
  return kMetafileFine;
}

int32_t LabelName(MetafileContext& context, uint32_t reference, std::string* name) {
  const SMetafileFile& file = *context.file;
  const auto found = file.referenced.find(reference);
  if (found == file.referenced.end()) return kMetafileReferenceNotFound;
  *name = file.pieces[size_t(found->second)].label;
  return kMetafileFine;
}

// The whole file, read in chunks through the storage, character by character.
class CScanner {
 public:
  explicit CScanner(SMetafileFile& file) : fFile(file) {}

  int32_t Scan();

 private:
  int Peek() {
    if (fAt == fChunk.size() && !Refill()) return -1;
    return fChunk[fAt];
  }
  void Next() { ++fAt; }
  uint64_t Offset() const { return fChunkOffset + fAt; }
  bool Refill();

  void SkipBlanks();
  int32_t Word(std::string* word);
  int32_t SkipString();
  int32_t SkipBody();
  int32_t Object(int32_t* levels);

  SMetafileFile& fFile;
  std::vector<uint8_t> fChunk;
  uint64_t fChunkOffset = 0;
  size_t fAt = 0;
  int32_t fError = kMetafileFine;
};

bool CScanner::Refill() {
  fChunkOffset += fChunk.size();
  fAt = 0;
  const uint64_t left = fFile.size - std::min(fFile.size, fChunkOffset);
  fChunk.resize(size_t(std::min<uint64_t>(left, kScanChunk)));
  if (fChunk.empty()) return false;
  fError = ReadAt(fFile, fChunkOffset, fChunk.size(), fChunk.data());
  if (fError == kMetafileFine) return true;
  fChunk.clear();
  return false;
}

void CScanner::SkipBlanks() {
  for (int c = Peek(); IsBlank(c) || c == '#'; c = Peek()) {
    if (c == '#') {
      while (Peek() >= 0 && Peek() != '\n') Next();
    } else {
      Next();
    }
  }
}

int32_t CScanner::Word(std::string* word) {
  word->clear();
  for (int c = Peek(); c >= 0 && !EndsWord(c); c = Peek()) {
    if (word->size() == kMostNameCharacters) return kMetafileIllegalObjectName;
    word->push_back(char(c));
    Next();
  }
  return word->empty() ? kMetafileUnableToParse : kMetafileFine;
}

int32_t CScanner::SkipString() {
  Next();
  for (int c = Peek(); c != '"'; c = Peek()) {
    if (c < 0) return kMetafileUnableToParse;
    Next();
    if (c == '\\') {
      if (Peek() < 0) return kMetafileUnableToParse;
      Next();
    }
  }
  Next();
  return kMetafileFine;
}

// From after an object's "(" to after its ")", over nested parentheses, strings and comments.
int32_t CScanner::SkipBody() {
  int32_t depth = 1;
  while (depth > 0) {
    const int c = Peek();
    if (c < 0) return kMetafileUnableToParse;
    if (c == '"') {
      if (const int32_t code = SkipString()) return code;
      continue;
    }
    if (c == '#') {
      SkipBlanks();
      continue;
    }
    if (c == '(' && ++depth > kMostNesting) return kMetafileUnableToParse;
    if (c == ')') --depth;
    Next();
  }
  return kMetafileFine;
}

// One object from its first character: label, class name, "(", and its body unless it is a
// container, whose contents are objects of their own.
int32_t CScanner::Object(int32_t* levels) {
  STextPiece piece{Offset(), 0, {}, -1, false};
  std::string name;
  if (const int32_t code = Word(&name)) return code;
  SkipBlanks();
  if (Peek() == ':') {
    Next();
    piece.label = name;
    SkipBlanks();
    if (const int32_t code = Word(&name)) return code;
    SkipBlanks();
    if (Peek() == ':') return kMetafileTooManyLabels;
  }
  if (Peek() != '(') return kMetafileUnableToParse;
  Next();
  piece.tableOfContents = CompareNoCase(name.c_str(), "TableOfContents") == 0;
  fFile.pieces.push_back(std::move(piece));
  if (CompareNoCase(name.c_str(), "Container") != 0) return SkipBody();
  return ++*levels > kMostNesting ? kMetafileUnableToParse : kMetafileFine;
}

int32_t CScanner::Scan() {
  int32_t levels = 0;
  for (SkipBlanks(); Peek() >= 0; SkipBlanks()) {
    if (Peek() == ')') {
      if (levels-- == 0) return kMetafileUnableToParse;
      Next();
      continue;
    }
    if (const int32_t code = Object(&levels)) return code;
  }
  if (fError != kMetafileFine) return fError;
  if (fFile.pieces.empty()) return kMetafileNoObjects;
  if (levels > 0) return kMetafileUnableToParse;
  for (size_t i = 0; i < fFile.pieces.size(); ++i) {
    const uint64_t end = i + 1 < fFile.pieces.size() ? fFile.pieces[i + 1].start : fFile.size;
    fFile.pieces[i].length = end - fFile.pieces[i].start;
  }
  return kMetafileFine;
}

// The entries of every table of contents give labelled objects their reference numbers, each entry
// to the first object with its label that has none yet.
int32_t NumberLabelledObjects(MetafileContext& context) {
  SMetafileFile& file = *context.file;
  std::unordered_map<std::string, std::deque<uint32_t>> byLabel;
  for (size_t i = 0; i < file.pieces.size(); ++i) {
    if (!file.pieces[i].tableOfContents) continue;
    if (const int32_t code = LoadTextPiece(context, i)) return code;
    std::unique_ptr<MetafileObject> table;
    if (const int32_t code = ReadObjectInBuffer(context, &table)) return code;
    if (table->classCode != kTableOfContents) return kMetafileUnableToParse;
    const std::vector<SMetafileField>& fields = table->fields;
    const size_t step = fields[kEntryType].integers[0] != 0 ? 3 : 2;
    for (size_t at = kFirstEntry; at + 1 < fields.size(); at += step)
      byLabel[LowerCase(fields[at + 1].text)].push_back(uint32_t(fields[at].integers[0]));
    file.nextReference = std::max(file.nextReference, uint32_t(fields[kReferenceSeed].integers[0]));
    file.lowestUserCode = std::min(file.lowestUserCode, int32_t(fields[kTypeSeed].integers[0]));
  }
  for (size_t i = 0; i < file.pieces.size(); ++i) {
    STextPiece& piece = file.pieces[i];
    if (piece.label.empty()) continue;
    const auto found = byLabel.find(LowerCase(piece.label));
    if (found == byLabel.end() || found->second.empty()) continue;
    piece.reference = found->second.front();
    found->second.pop_front();
    file.referenced.emplace(uint32_t(piece.reference), i);
  }
  return kMetafileFine;
}

int32_t BeginFile(MetafileContext& context) {
  CScanner scanner(*context.file);
  if (const int32_t code = scanner.Scan()) return code;
  if (const int32_t code = NumberLabelledObjects(context)) return code;
  context.buffer = SObjectBuffer();
  context.nextPiece = 0;
  return kMetafileFine;
}

}  // namespace

void SkipBlanks(MetafileContext& context) {
  SObjectBuffer& buffer = context.buffer;
  const std::vector<uint8_t>& bytes = buffer.bytes;
  while (buffer.position < bytes.size()) {
    const uint8_t c = bytes[buffer.position];
    if (c == '#') {
      while (buffer.position < bytes.size() && bytes[buffer.position] != '\n') ++buffer.position;
    } else if (IsBlank(c)) {
      ++buffer.position;
    } else {
      break;
    }
  }
}

const SOperationTable kTextOperations = {
    Integer<uint8_t, uint16_t>, nullptr, Integer<uint16_t>, nullptr, Integer<uint32_t>, nullptr,
    Integer<uint64_t, uint32_t>, nullptr, Integer<int8_t, int16_t>, nullptr, Integer<int16_t>, nullptr,
    Integer<int32_t>, nullptr, Integer<int64_t, int32_t>, nullptr, Real<float>, nullptr,
    Real<double>, nullptr, String, nullptr, RawData, nullptr,
    Enumeration, nullptr, Flags, nullptr, BeginObject, EndObject,
    nullptr, nullptr, Class, nullptr, Position, nullptr,
    nullptr, nullptr, BeginFile, LabelName, EndReadingFile,
};
