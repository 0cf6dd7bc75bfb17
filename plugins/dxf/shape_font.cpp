#include "plugins/dxf/shape_font.h"

#include <dirent.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "plugins/dxf/dxf_line_reader.h"
#include "plugins/dxf/dxf_records.h"
#include "plugins/dxf/dxf_state.h"
#include "plugins/dxf/plugin_memory.h"

namespace {

constexpr size_t kItemCharacters = 4;
constexpr int32_t kHeaderNumber = 0;
constexpr int32_t kHeaderItems = 4;
constexpr int32_t kModesHorizontal = 0;
constexpr int32_t kModesBoth = 2;
constexpr char kFontExtension[] = ".shp";

enum EEntryKind : int32_t {
  kEntryHeader,
  kEntryBad,  // a header or "*" line that stops every search passing it
  kEntryShape,
};

// One "*" line of the file with what followed it.
struct SFontEntry {
  EEntryKind kind;
  int32_t code;  // a shape's or a bad entry's answer
  int32_t number;
  int32_t above;  // a header's
  int32_t below;
  bool overfull;
  char* name;
  int32_t* items;
  int32_t count;
};

}  // namespace

struct SShapeFont {
  SFontEntry* entries;
  int32_t count;
  int32_t capacity;
};

// The fonts an import has looked for, found or not.
struct SImportFont {
  SImportFont* next;
  const SName* name;
  SShapeFont* font;
  int32_t code;
};

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

int32_t DigitValue(char c, int32_t base) {
  int32_t value = base;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// The reader of one file: its lines, whether the current one still waits to be looked at, and the
// items of the definition being read, which grow as they come: a definition's byte count is only
// what its "*" line claims.
struct SFontReader {
  SLineReader lines;
  int32_t error;
  bool pending;
  int32_t* items;
  int32_t capacity;

  // False when memory runs out.
  bool AddItem(int32_t count, int32_t value) {
    if (count == capacity) {
      const int32_t grown = capacity ? (capacity > INT32_MAX / 2 ? INT32_MAX : capacity * 2) : 16;
      auto* larger = static_cast<int32_t*>(PluginAllocate(size_t(grown) * sizeof(int32_t)));
      if (!larger) return false;
      if (count) std::memcpy(larger, items, size_t(count) * sizeof(int32_t));
      PluginRelease(items);
      items = larger;
      capacity = grown;
    }
    items[count] = value;
    return true;
  }

  // The next line without its line end; false at the end of the file or on a read error.
  bool Next() {
    if (pending) {
      pending = false;
      return true;
    }
    if (!ReadLine(lines)) return false;
    const size_t length = std::strlen(lines.line);
    if (length > 0 && lines.line[length - 1] == '\n') lines.line[length - 1] = '\0';
    return true;
  }
  const char* Line() const { return lines.line; }
};

bool StartsDefinition(const char* line) { return line[0] == '*'; }

// Calls take(text, length) for every comma-separated field of the line, while it answers true.
template <typename Take>
void ForEachField(const char* line, Take take) {
  for (const char* field = line;; ++field) {
    const char* end = std::strchr(field, ',');
    const size_t length = end ? size_t(end - field) : std::strlen(field);
    if (!take(field, length) || !end) return;
    field = end;
  }
}

// Calls take(value) for every item of the line while it answers true; false when an item cannot be
// read.
template <typename Take>
bool ForEachItem(const char* line, Take take) {
  bool readable = true;
  ForEachField(line, [&](const char* field, size_t length) {
    int32_t value = 0;
    const EShapeItem item = ReadShapeItem(field, length, &value);
    if (item == kItemEmpty) return true;
    if (item == kItemUnreadable) return readable = false;
    return take(value);
  });
  return readable;
}

bool Grow(SShapeFont& font) {
  if (font.count < font.capacity) return true;
  const int32_t capacity = font.capacity ? font.capacity * 2 : 64;
  auto* entries = static_cast<SFontEntry*>(PluginAllocate(size_t(capacity) * sizeof(SFontEntry)));
  if (!entries) return false;
  if (font.count) std::memcpy(entries, font.entries, size_t(font.count) * sizeof(SFontEntry));
  PluginRelease(font.entries);
  font.entries = entries;
  font.capacity = capacity;
  return true;
}

SFontEntry* AddEntry(SShapeFont& font, EEntryKind kind, int32_t code) {
  if (!Grow(font)) return nullptr;
  SFontEntry* entry = &font.entries[font.count++];
  *entry = SFontEntry{};
  entry->kind = kind;
  entry->code = code;
  return entry;
}

void MakeBad(SFontEntry& entry, int32_t code) {
  entry = SFontEntry{};
  entry.kind = kEntryBad;
  entry.code = code;
}

char* CopyText(const char* text, size_t length) {
  char* copy = static_cast<char*>(PluginAllocate(length + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

// The header's line of above, below, modes and 0; above must be positive, since texts divide by it.
// A bad header stops every search that meets it.
bool ReadHeader(SFontReader& reader, SShapeFont& font, int32_t byteCount) {
  SFontEntry* entry = AddEntry(font, kEntryHeader, kShapeDrawn);
  if (!entry) return false;
  if (!reader.Next()) {
    MakeBad(*entry, kShapeCut);
    return true;
  }
  if (StartsDefinition(reader.Line())) {
    reader.pending = true;
    MakeBad(*entry, kShapeBadFont);
    return true;
  }
  int32_t values[kHeaderItems] = {};
  int32_t count = 0;
  bool tooMany = false;
  const bool readable = ForEachItem(reader.Line(), [&](int32_t value) {
    tooMany = count == kHeaderItems;
    if (!tooMany) values[count++] = value;
    return !tooMany;
  });
  const int32_t modes = values[2];
  const bool good = readable && !tooMany && byteCount == kHeaderItems && count == kHeaderItems &&
                    values[0] > 0 && (modes == kModesHorizontal || modes == kModesBoth) && values[3] == 0;
  if (!good) {
    MakeBad(*entry, kShapeBadFont);
    return true;
  }
  entry->above = values[0];
  entry->below = values[1];
  return true;
}

enum ELineRead { kLineRead, kLineUnreadable, kLineNoMemory };

// Appends the items of one line to the reader's. Overfull when the line holds more than the count
// leaves room for.
ELineRead ReadDefinitionLine(SFontReader& reader, SFontEntry& entry, int32_t byteCount) {
  bool memory = true;
  const bool readable = ForEachItem(reader.Line(), [&](int32_t value) {
    entry.overfull = entry.count == byteCount;
    if (entry.overfull) return false;
    memory = reader.AddItem(entry.count, value);
    if (memory) ++entry.count;
    return memory;
  });
  return !memory ? kLineNoMemory : readable ? kLineRead : kLineUnreadable;
}

// The items read, as many as there are, into the entry's own block; none for no items.
bool KeepItems(const SFontReader& reader, SFontEntry& entry) {
  if (entry.count == 0) return true;
  entry.items = static_cast<int32_t*>(PluginAllocate(size_t(entry.count) * sizeof(int32_t)));
  if (!entry.items) return false;
  std::memcpy(entry.items, reader.items, size_t(entry.count) * sizeof(int32_t));
  return true;
}

// The lines after a shape's "*" line until its byte count of items is read.
bool ReadDefinition(SFontReader& reader, SFontEntry& entry, int32_t byteCount) {
  while (entry.count < byteCount && !entry.overfull) {
    if (!reader.Next()) {
      entry.code = kShapeCut;
      break;
    }
    if (StartsDefinition(reader.Line())) {
      reader.pending = true;
      entry.code = kShapeCut;
      break;
    }
    const ELineRead read = ReadDefinitionLine(reader, entry, byteCount);
    if (read == kLineNoMemory) return false;
    if (read == kLineUnreadable) {
      entry.code = kShapeBadFont;
      break;
    }
  }
  return KeepItems(reader, entry);
}

// A "*" line: number, byte count, name. An unreadable number stops every search that meets it.
bool ReadStarLine(SFontReader& reader, SShapeFont& font) {
  int32_t fields[2] = {};
  EShapeItem kinds[2] = {kItemEmpty, kItemEmpty};
  const char* name = "";
  size_t nameLength = 0;
  int32_t index = 0;
  ForEachField(reader.Line() + 1, [&](const char* field, size_t length) {
    if (index < 2) kinds[index] = ReadShapeItem(field, length, &fields[index]);
    else {
      while (length > 0 && IsBlank(*field)) ++field, --length;
      while (length > 0 && IsBlank(field[length - 1])) --length;
      name = field;
      nameLength = length;
    }
    return ++index <= 2;
  });
  if (kinds[0] != kItemNumber) return AddEntry(font, kEntryBad, kShapeBadFont) != nullptr;
  const int32_t number = fields[0], byteCount = fields[1];
  if (number == kHeaderNumber) return ReadHeader(reader, font, kinds[1] == kItemNumber ? byteCount : -1);
  SFontEntry* entry = AddEntry(font, kEntryShape, kShapeDrawn);
  if (!entry) return false;
  entry->number = number;
  if (!(entry->name = CopyText(name, nameLength))) return false;
  if (kinds[1] != kItemNumber || byteCount < 0) {
    entry->code = kShapeBadFont;
    return true;
  }
  return ReadDefinition(reader, *entry, byteCount);
}

bool SameIgnoringCase(const char* a, const char* b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  for (; *a && *b; ++a, ++b)
    if (lower(*a) != lower(*b)) return false;
  return *a == *b;
}

// folder + "/" + file, allocated.
char* JoinPath(const char* folder, size_t folderLength, const char* file) {
  const size_t fileLength = std::strlen(file);
  char* path = static_cast<char*>(PluginAllocate(folderLength + 1 + fileLength + 1));
  if (!path) return nullptr;
  std::memcpy(path, folder, folderLength);
  path[folderLength] = '/';
  std::memcpy(path + folderLength + 1, file, fileLength + 1);
  return path;
}

// Of the folder's files whose names differ from file only in case, the first in byte order, so that
// the choice does not hang on the order the folder lists them in; null when there is none. *code 4
// when memory runs out.
char* FindIgnoringCase(const char* folder, size_t folderLength, const char* file, int32_t* code) {
  char* listed = CopyText(folderLength ? folder : "/", folderLength ? folderLength : 1);
  if (!listed) {
    *code = kShapeNoMemory;
    return nullptr;
  }
  DIR* directory = opendir(listed);
  PluginRelease(listed);
  if (!directory) return nullptr;
  char* best = nullptr;
  while (const dirent* entry = readdir(directory)) {
    if (!SameIgnoringCase(entry->d_name, file) || (best && std::strcmp(entry->d_name, best) >= 0)) continue;
    char* copy = CopyText(entry->d_name, std::strlen(entry->d_name));
    if (!copy) {
      *code = kShapeNoMemory;
      break;
    }
    PluginRelease(best);
    best = copy;
  }
  closedir(directory);
  if (*code == kShapeNoMemory || !best) {
    PluginRelease(best);
    return nullptr;
  }
  char* path = JoinPath(folder, folderLength, best);
  PluginRelease(best);
  if (!path) *code = kShapeNoMemory;
  return path;
}

// Reads the font name + ".shp" of the drawing's folder into the import's list.
int32_t LoadImportFont(const SName& name, SShapeFont** font) {
  const char* text = name.Text();
  if (std::strchr(text, '/') || std::strchr(text, '\\')) return kShapeNoFile;
  const char* drawing = gImport.drawingPath ? gImport.drawingPath : "";
  const char* slash = std::strrchr(drawing, '/');
  const char* folder = slash ? drawing : ".";
  const size_t folderLength = slash ? size_t(slash - drawing) : 1;
  const size_t nameLength = std::strlen(text);
  char* file = static_cast<char*>(PluginAllocate(nameLength + sizeof kFontExtension));
  if (!file) return kShapeNoMemory;
  std::memcpy(file, text, nameLength);
  std::memcpy(file + nameLength, kFontExtension, sizeof kFontExtension);
  int32_t code = kShapeNoFile;
  char* path = JoinPath(folder, folderLength, file);
  if (!path) code = kShapeNoMemory;
  else code = ReadShapeFont(path, font);
  PluginRelease(path);
  if (code == kShapeNoFile) {
    code = kShapeDrawn;
    path = FindIgnoringCase(folder, folderLength, file, &code);
    if (path) code = ReadShapeFont(path, font);
    else if (code != kShapeNoMemory) code = kShapeNoFile;
    PluginRelease(path);
  }
  PluginRelease(file);
  return code;
}

}  // namespace

EShapeItem ReadShapeItem(const char* text, size_t length, int32_t* value) {
  char item[kItemCharacters + 1] = {};
  size_t kept = 0;
  size_t first = 0, last = length;
  while (first < last && (IsBlank(text[first]) || text[first] == '(' || text[first] == ')')) ++first;
  while (last > first && (IsBlank(text[last - 1]) || text[last - 1] == '(' || text[last - 1] == ')')) --last;
  for (size_t i = first; i < last && kept < kItemCharacters; ++i)
    if (text[i] != '(' && text[i] != ')') item[kept++] = text[i];
  if (kept == 0) return kItemEmpty;
  const char* digits = item;
  const bool negative = *digits == '-';
  if (*digits == '-' || *digits == '+') ++digits;
  const int32_t base = kept > 1 && *digits == '0' ? 16 : 10;
  if (!*digits) return kItemUnreadable;
  int32_t number = 0;
  for (; *digits; ++digits) {
    const int32_t digit = DigitValue(*digits, base);
    if (digit < 0) return kItemUnreadable;
    number = number * base + digit;
  }
  *value = negative ? -number : number;
  return kItemNumber;
}

int32_t ReadShapeFont(const char* path, SShapeFont** font) {
  *font = nullptr;
  FILE* file = std::fopen(path, "rb");
  if (!file) return kShapeNoFile;
  auto* read = static_cast<SShapeFont*>(PluginAllocate(sizeof(SShapeFont)));
  bool fine = read != nullptr;
  if (read) {
    *read = SShapeFont{};
    SFontReader reader{};
    reader.lines.file = file;
    reader.lines.error = &reader.error;
    while (fine && reader.Next())
      if (StartsDefinition(reader.Line())) fine = ReadStarLine(reader, *read);
    PluginRelease(reader.items);
  }
  std::fclose(file);
  if (!fine) {
    FreeShapeFont(read);
    return kShapeNoMemory;
  }
  *font = read;
  return kShapeDrawn;
}

void FreeShapeFont(SShapeFont* font) {
  if (!font) return;
  for (int32_t i = 0; i < font->count; ++i) {
    PluginRelease(font->entries[i].name);
    PluginRelease(font->entries[i].items);
  }
  PluginRelease(font->entries);
  PluginRelease(font);
}

int32_t FindShape(const SShapeFont& font, int32_t number, SShapeDefinition* definition) {
  *definition = SShapeDefinition{};
  for (int32_t i = 0; i < font.count; ++i) {
    const SFontEntry& entry = font.entries[i];
    switch (entry.kind) {
      case kEntryHeader:
        definition->above = entry.above;
        definition->below = entry.below;
        break;
      case kEntryBad: return entry.code;
      case kEntryShape:
        if (entry.number != number) break;
        definition->items = entry.items;
        definition->count = entry.count;
        definition->overfull = entry.overfull;
        return entry.code;
    }
  }
  return kShapeMissing;
}

int32_t FindShapeByName(const SShapeFont& font, const char* name) {
  for (int32_t i = 0; i < font.count; ++i) {
    const SFontEntry& entry = font.entries[i];
    if (entry.kind == kEntryShape && std::strcmp(entry.name, name) == 0) return entry.number;
  }
  return 0;
}

const SShapeFont* ImportFont(const SName* name, int32_t* code) {
  *code = kShapeNoFile;
  if (!name) return nullptr;
  for (const SImportFont* known = gImport.fonts; known; known = known->next) {
    if (known->name != name) continue;
    *code = known->code;
    return known->font;
  }
  SShapeFont* font = nullptr;
  *code = LoadImportFont(*name, &font);
  if (*code == kShapeNoMemory) return nullptr;
  auto* known = static_cast<SImportFont*>(PluginAllocate(sizeof(SImportFont)));
  if (!known) {
    FreeShapeFont(font);
    *code = kShapeNoMemory;
    return nullptr;
  }
  *known = SImportFont{gImport.fonts, name, font, *code};
  gImport.fonts = known;
  return font;
}

void FreeImportFonts() {
  while (SImportFont* known = gImport.fonts) {
    gImport.fonts = known->next;
    FreeShapeFont(known->font);
    PluginRelease(known);
  }
}
