#include "tools/res_compiler.h"

#include <bit>
#include <cctype>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <sstream>

#include "framework/core/byte_reader.h"
#include "framework/core/c_string.h"
#include "framework/core/file.h"
#include "framework/core/file_spec.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/canvas.h"
#include "framework/ui/co_element.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_canvas.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_canvas.h"
#include "framework/ui/im_element.h"
#include "framework/ui/rm_element.h"
#include "framework/ui/outline_font.h"
#include "framework/ui/rs_element.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "platform/ansi_text.h"
#include "platform/file.h"
#include "framework/image/image.h"
#include "tools/command_line.h"
#include "tools/layout_source.h"
#include "tools/menu_source.h"
#include "tools/png_picture.h"
#include "tools/res_store.h"

namespace {

// The common header of the indexed lists: tag, version "0100", 15 bytes not read, further sets.
constexpr size_t kListHeaderBytes = 24;
constexpr size_t kSetsOffset = 23;
constexpr size_t kImageRecordBytes = 40;
constexpr size_t kImageNameBytes = 32;
constexpr size_t kSetHeaderBytes = 76;
constexpr size_t kSetEntryBytes = 80;
constexpr size_t kClassNameChars = 15;
constexpr size_t kDescriptionBytes = 32;
constexpr uint32_t kMaxIndex = 0xFFFF;  // far beyond any list; keeps a typo from filling the disk

enum EImageFlags : uint32_t { kNamesImage = 1, kByName = 2, kFromFile = 4, kFromResource = 8 };
constexpr char kLayoutLine[] = "layout";  // a manifest line that compiles a .layout file
constexpr char kTextureType[] = "C3dTexture";  // the type of the 3D textures of .qntx sources

// ---- reading source lines

// A line cut into tokens: words, "quoted texts" and 'codes' kept with their quotes.
struct SLine {
  uint32_t number = 0;
  std::vector<std::string> tokens;
};

bool Tokenize(const std::string& text, uint32_t number, SLine* line, std::string* error) {
  line->number = number;
  line->tokens.clear();
  size_t i = 0;
  while (i < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    size_t end = i;
    if (text[i] == '\'') {
      // A four-character code in single quotes may hold blanks.
      end = text.find('\'', i + 1);
      if (end == std::string::npos) {
        *error = "a code has no closing quote";
        return false;
      }
      ++end;
    } else if (text[i] == '"') {
      for (end = i + 1; end < text.size() && text[end] != '"'; ++end) {
        if (text[end] == '\\') ++end;
      }
      if (end >= text.size()) {
        *error = "a text has no closing quote";
        return false;
      }
      ++end;
    } else {
      while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    }
    line->tokens.push_back(text.substr(i, end - i));
    i = end;
  }
  return true;
}

// The lines that are neither blank nor comments.
bool ReadLines(const std::string& text, std::vector<SLine>* lines, std::string* error) {
  std::istringstream in(text);
  std::string raw;
  uint32_t number = 0;
  while (std::getline(in, raw)) {
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    size_t first = raw.find_first_not_of(" \t");
    if (first == std::string::npos || raw[first] == '#') continue;
    SLine line;
    std::string reason;
    if (!Tokenize(raw, number, &line, &reason)) {
      *error = LineError(number, reason);
      return false;
    }
    lines->push_back(line);
  }
  return true;
}

bool ParseNumber(const std::string& token, int64_t low, int64_t high, int64_t* value) {
  if (token.empty()) return false;
  size_t used = 0;
  try {
    const bool hex = token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X');
    *value = std::stoll(hex ? token.substr(2) : token, &used, hex ? 16 : 10);
    if (hex) used += 2;
  } catch (...) {
    return false;
  }
  return used == token.size() && *value >= low && *value <= high;
}

bool ParseU32(const std::string& token, uint32_t* value) {
  int64_t v = 0;
  if (!ParseNumber(token, 0, UINT32_MAX, &v)) return false;
  *value = uint32_t(v);
  return true;
}

// Placement values are words; a negative one is stored as its 32-bit pattern.
bool ParseWord(const std::string& token, uint32_t* value) {
  int64_t v = 0;
  if (!ParseNumber(token, INT32_MIN, UINT32_MAX, &v)) return false;
  *value = uint32_t(v);
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A quoted text: escapes resolved, UTF-8 stored as Windows-1252; \xHH gives its byte as it is.
bool ParseText(const std::string& token, std::string* out, std::string* reason) {
  if (token.size() < 2 || token.front() != '"' || token.back() != '"') {
    *reason = "expected a quoted text, found " + token;
    return false;
  }
  out->clear();
  std::string pending;  // UTF-8 waiting for conversion
  auto flush = [&]() {
    bool exact = true;
    *out += platform::Utf8ToAnsi(pending, &exact);
    pending.clear();
    if (!exact) *reason = "the text holds a character outside Windows-1252";
    return exact;
  };
  for (size_t i = 1; i + 1 < token.size(); ++i) {
    if (token[i] != '\\') {
      pending += token[i];
      continue;
    }
    const char e = token[++i];
    if (e == '"' || e == '\\') pending += e;
    else if (e == 'n') pending += '\n';
    else if (e == 't') pending += '\t';
    else if (e == 'x' && i + 2 < token.size() - 1 && HexDigit(token[i + 1]) >= 0 && HexDigit(token[i + 2]) >= 0) {
      const char byte = char(HexDigit(token[i + 1]) * 16 + HexDigit(token[i + 2]));
      i += 2;
      if (byte == 0) {
        *reason = "a text cannot hold \\x00";
        return false;
      }
      if (!flush()) return false;
      *out += byte;
    } else {
      *reason = std::string("unknown escape \\") + e;
      return false;
    }
  }
  return flush();
}

void PutBE32(std::vector<uint8_t>& out, size_t at, uint32_t value) { StoreBE32(out.data() + at, value); }

void AppendBE32(std::vector<uint8_t>& out, uint32_t value) {
  out.resize(out.size() + 4);
  PutBE32(out, out.size() - 4, value);
}

std::vector<uint8_t> ListHeader(const char* tag, uint32_t sets) {
  std::vector<uint8_t> out(kListHeaderBytes, 0);
  std::copy(tag, tag + 4, out.begin());
  std::copy("0100", "0100" + 4, out.begin() + 4);
  out[kSetsOffset] = uint8_t(sets);
  return out;
}

// An optional first line "sets N"; the lines after it.
bool ReadSets(std::vector<SLine>& lines, uint32_t* sets, std::string* error) {
  *sets = 0;
  if (lines.empty() || lines.front().tokens.front() != "sets") return true;
  const SLine& line = lines.front();
  uint32_t n = 0;
  if (line.tokens.size() != 2 || !ParseU32(line.tokens[1], &n) || n > 255) {
    *error = LineError(line.number, "expected \"sets N\" with N from 0 to 255");
    return false;
  }
  *sets = n;
  lines.erase(lines.begin());
  return true;
}

// Each line's leading index, above the one before.
bool ReadIndex(const SLine& line, int64_t previous, uint32_t* index, std::string* error) {
  if (line.tokens.front() == "sets") {
    *error = LineError(line.number, "\"sets\" must come first");
    return false;
  }
  if (!ParseU32(line.tokens.front(), index) || *index > kMaxIndex) {
    *error = LineError(line.number, "expected an index from 0 to " + std::to_string(kMaxIndex));
    return false;
  }
  if (int64_t(*index) <= previous) {
    *error = LineError(line.number, "index " + std::to_string(*index) + " does not follow " + std::to_string(previous));
    return false;
  }
  return true;
}

uint32_t PaddedCount(uint32_t count, uint32_t sets) { return (count + sets) / (sets + 1) * (sets + 1); }

// ---- the compilers

bool CompileIxtx(const std::string& text, std::vector<uint8_t>* out, std::string* error) {
  std::vector<SLine> lines;
  uint32_t sets = 0;
  if (!ReadLines(text, &lines, error) || !ReadSets(lines, &sets, error)) return false;
  std::vector<std::string> texts;
  int64_t previous = -1;
  for (const SLine& line : lines) {
    uint32_t index = 0;
    if (!ReadIndex(line, previous, &index, error)) return false;
    std::string value, reason;
    if (line.tokens.size() != 2) {
      *error = LineError(line.number, "expected INDEX \"TEXT\"");
      return false;
    }
    if (!ParseText(line.tokens[1], &value, &reason)) {
      *error = LineError(line.number, reason);
      return false;
    }
    if (value.size() > 0xFFFF) {
      *error = LineError(line.number, "a text holds at most 65535 characters");
      return false;
    }
    texts.resize(index);
    texts.push_back(value);
    previous = index;
  }
  texts.resize(PaddedCount(uint32_t(texts.size()), sets));
  *out = ListHeader("ixtx", sets);
  for (const std::string& t : texts) {
    out->push_back(uint8_t(t.size() >> 8));
    out->push_back(uint8_t(t.size()));
    out->insert(out->end(), t.begin(), t.end());
    out->push_back(0);
    if ((t.size() + 1) % 2) out->push_back(0);
  }
  return true;
}

bool CompileIxco(const std::string& text, std::vector<uint8_t>* out, std::string* error) {
  std::vector<SLine> lines;
  uint32_t sets = 0;
  if (!ReadLines(text, &lines, error) || !ReadSets(lines, &sets, error)) return false;
  std::vector<uint32_t> colours;
  int64_t previous = -1;
  for (const SLine& line : lines) {
    uint32_t index = 0, colour = 0;
    if (!ReadIndex(line, previous, &index, error)) return false;
    if (line.tokens.size() != 2 || !ParseU32(line.tokens[1], &colour)) {
      *error = LineError(line.number, "expected INDEX 0xHHHHHHHH");
      return false;
    }
    colours.resize(index);
    colours.push_back(colour);
    previous = index;
  }
  colours.resize(PaddedCount(uint32_t(colours.size()), sets));
  *out = ListHeader("ixco", sets);
  for (uint32_t c : colours) AppendBE32(*out, c);
  return true;
}

bool ParseImageRecord(const SLine& line, std::vector<uint8_t>* record, std::string* error) {
  const auto& t = line.tokens;
  uint32_t number = 0, flags = kNamesImage;
  std::string name, reason;
  bool ok = t.size() >= 3 && t.size() <= 4;
  if (ok && t[1] == "number") {
    ok = ParseU32(t[2], &number);
  } else if (ok && t[1] == "name") {
    ok = ParseText(t[2], &name, &reason) && name.size() < kImageNameBytes;
    if (ok) flags |= kByName;
    else if (reason.empty()) reason = "an image name holds at most 31 characters";
  } else {
    ok = false;
  }
  if (ok && t.size() == 4) {
    if (t[3] == "file") flags |= kFromFile;
    else if (t[3] == "resource") flags |= kFromResource;
    else ok = false;
  }
  if (!ok) {
    *error = LineError(line.number, reason.empty() ? "expected INDEX (number N | name \"NAME\") [file | resource]" : reason);
    return false;
  }
  record->assign(kImageRecordBytes, 0);
  PutBE32(*record, 0, number);
  std::copy(name.begin(), name.end(), record->begin() + 4);
  PutBE32(*record, 4 + kImageNameBytes, flags);
  return true;
}

bool CompileIxim(const std::string& text, std::vector<uint8_t>* out, std::string* error) {
  std::vector<SLine> lines;
  uint32_t sets = 0;
  if (!ReadLines(text, &lines, error) || !ReadSets(lines, &sets, error)) return false;
  std::vector<std::vector<uint8_t>> records;
  for (const SLine& line : lines) {
    uint32_t index = 0;
    if (!ReadIndex(line, int64_t(records.size()) - 1, &index, error)) return false;
    if (index != records.size()) {
      *error = LineError(line.number, "index " + std::to_string(records.size()) + " is missing");
      return false;
    }
    records.emplace_back();
    if (!ParseImageRecord(line, &records.back(), error)) return false;
  }
  if (PaddedCount(uint32_t(records.size()), sets) != records.size()) {
    *error = LineError(lines.empty() ? 1 : lines.back().number,
                std::to_string(records.size()) + " images do not fill " + std::to_string(sets + 1) + " sets");
    return false;
  }
  *out = ListHeader("ixim", sets);
  for (const auto& r : records) out->insert(out->end(), r.begin(), r.end());
  return true;
}

bool ParseSetEntry(const SLine& line, std::vector<uint8_t>* entry, std::string* error) {
  const auto& t = line.tokens;
  auto fail = [&](const std::string& reason) {
    *error = LineError(line.number, reason);
    return false;
  };
  uint32_t id = 0;
  if (t.size() < 2 || t[0].size() > kClassNameChars) return fail("expected CLASS (at most 15 characters) and ID");
  if (!ParseU32(t[1], &id)) return fail("expected an element id, found " + t[1]);
  entry->assign(kSetEntryBytes, 0);
  std::copy(t[0].begin(), t[0].end(), entry->begin());
  PutBE32(*entry, 16, id);
  for (size_t i = 2; i < t.size();) {
    if (t[i] == "description" && i + 1 < t.size()) {
      const std::string& hex = t[i + 1];
      if (hex.size() != 2 * kDescriptionBytes) return fail("a description is 64 hexadecimal digits");
      for (size_t k = 0; k < kDescriptionBytes; ++k) {
        const int hi = HexDigit(hex[2 * k]), lo = HexDigit(hex[2 * k + 1]);
        if (hi < 0 || lo < 0) return fail("a description is 64 hexadecimal digits");
        (*entry)[20 + k] = uint8_t(hi * 16 + lo);
      }
      i += 2;
    } else if (t[i] == "place" && i + 2 < t.size()) {
      uint32_t a = 0, b = 0;
      if (!ParseWord(t[i + 1], &a) || !ParseWord(t[i + 2], &b)) return fail("expected place A B");
      PutBE32(*entry, 52, a);
      PutBE32(*entry, 56, b);
      i += 3;
    } else if (t[i] == "flags" && i + 1 < t.size()) {
      uint32_t flags = 0;
      if (!ParseU32(t[i + 1], &flags)) return fail("expected flags F");
      PutBE32(*entry, 60, flags);
      i += 2;
    } else {
      return fail("unexpected " + t[i]);
    }
  }
  return true;
}

bool CompileEset(const std::string& text, std::vector<uint8_t>* out, std::string* error) {
  std::vector<SLine> lines;
  if (!ReadLines(text, &lines, error)) return false;
  out->assign(kSetHeaderBytes, 0);
  std::copy("eset0100", "eset0100" + 8, out->begin());
  PutBE32(*out, 72, uint32_t(lines.size()));
  for (const SLine& line : lines) {
    std::vector<uint8_t> entry;
    if (!ParseSetEntry(line, &entry, error)) return false;
    out->insert(out->end(), entry.begin(), entry.end());
  }
  return true;
}

// ---- layout records: one keyword a line, each once, compiled in machine order

void PutMachine32(std::vector<uint8_t>& out, size_t at, uint32_t value) { std::memcpy(out.data() + at, &value, 4); }

bool ParseFloat(const std::string& token, float* value) {
  if (token.empty()) return false;
  char* end = nullptr;
  const float v = std::strtof(token.c_str(), &end);
  if (*end != 0 || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

enum class EValue { kWord, kFloat, kText };

constexpr uint32_t kTextFieldBytes = 32;

struct SRecordField {
  const char* keyword;
  uint32_t offset;
  size_t values;
  EValue kind;
  uint32_t textBytes = kTextFieldBytes;  // a text's field, its terminator included
};

struct SRecordLayout {
  const char* tagAndVersion;
  uint32_t bytes;
  std::vector<SRecordField> fields;
  std::vector<std::pair<uint32_t, uint32_t>> defaults;  // (offset, word) before the source's values
  const char* required = nullptr;                      // a keyword the record cannot do without
  const char* missing = nullptr;                       // the error when it is missing
};

const uint32_t kFloatOne = std::bit_cast<uint32_t>(1.0f);

const SRecordLayout kCanvasLayout{
    "canv0100",
    CCanvas::kRecordBytes,
    {{"frame", CCanvas::kRecordFrame, 4, EValue::kWord},
     {"flags", CCanvas::kRecordFlags, 1, EValue::kWord},
     {"position", CCanvas::kRecordPosition, 2, EValue::kFloat},
     {"size", CCanvas::kRecordSize, 2, EValue::kFloat},
     {"colour", CCanvas::kRecordColor, 1, EValue::kWord},
     {"options", CCanvas::kRecordOptions, 1, EValue::kWord}},
    {{CCanvas::kRecordSize, kFloatOne}, {CCanvas::kRecordSize + 4, kFloatOne}},
    "frame",
    "a canvas record needs its frame"};

const SRecordLayout kElementLayout{
    "elem0100",
    CElement::kRecordBytes,
    {{"name", CElement::kRecordName, 1, EValue::kText},
     {"window", CElement::kRecordWindowName, 1, EValue::kText},
     {"canvas", CElement::kRecordCanvasName, 1, EValue::kText},
     {"user", CElement::kRecordUserWords, 4, EValue::kWord},
     {"set", CElement::kRecordSetNumber, 1, EValue::kWord},
     {"setname", CElement::kRecordSetName, 1, EValue::kText},
     {"file", CElement::kRecordFileName, 1, EValue::kText},
     {"list", CElement::kRecordListNumber, 1, EValue::kWord},
     {"listname", CElement::kRecordListName, 1, EValue::kText},
     {"rect", CElement::kRecordRect, 4, EValue::kWord},
     {"layout", CElement::kRecordLayoutFlags, 1, EValue::kWord},
     {"position", CElement::kRecordPosition, 2, EValue::kFloat},
     {"size", CElement::kRecordSize, 2, EValue::kFloat},
     {"origin", CElement::kRecordOrigin, 2, EValue::kWord},
     {"hotspot", CElement::kRecordHotSpot, 2, EValue::kFloat},
     {"outsets", CElement::kRecordTopLeftOutset, 4, EValue::kWord},
     {"events", CElement::kRecordEventMask, 1, EValue::kWord},
     {"flags", CElement::kRecordFlags, 1, EValue::kWord}},
    {{CElement::kRecordSize, kFloatOne},
     {CElement::kRecordSize + 4, kFloatOne},
     {CElement::kRecordEventMask, CElement::kDefaultEventMask}}};

const SRecordLayout kSwitcherLayout{
    "rsel0100", CRsElement::kSwitcherRecordBytes, {{"open", CRsElement::kSwitcherChildName, 1, EValue::kText}}, {}};

const SRecordLayout kRemoteLayout{"rmel0100",
                                  CRmElement::kRemoteRecordBytes,
                                  {{"list", CRmElement::kRemoteListNumber, 1, EValue::kWord},
                                   {"listname", CRmElement::kRemoteListName, 1, EValue::kText},
                                   {"options", CRmElement::kRemoteOptions, 1, EValue::kWord}},
                                  {}};

// The elements' records default to the elements' own defaults: fill, picture and shadows in pass 1, a
// shadow of (12, 12) and radius 16, full opacity.
const SRecordLayout kCompositeLayout{"coel0100",
                                     CCoElement::kRecordBytes,
                                     {{"colour", CCoElement::kRecordFillColor, 1, EValue::kWord},
                                      {"list", CCoElement::kRecordListNumber, 1, EValue::kWord},
                                      {"listname", CCoElement::kRecordListName, 1, EValue::kText},
                                      {"entry", CCoElement::kRecordListEntry, 1, EValue::kWord},
                                      {"filllayer", CCoElement::kRecordFillLayer, 1, EValue::kWord},
                                      {"shadow", CCoElement::kRecordShadow, 3, EValue::kWord},
                                      {"shadowopacity", CCoElement::kRecordShadow + 12, 1, EValue::kFloat},
                                      {"shadowlayer", CCoElement::kRecordShadowLayer, 1, EValue::kWord},
                                      {"opacity", CCoElement::kRecordOpacity, 1, EValue::kFloat},
                                      {"flags", CCoElement::kRecordFlags, 1, EValue::kWord}},
                                     {{CCoElement::kRecordFillLayer, 1},
                                      {CCoElement::kRecordShadow, 12},
                                      {CCoElement::kRecordShadow + 4, 12},
                                      {CCoElement::kRecordShadow + 8, 16},
                                      {CCoElement::kRecordShadow + 12, kFloatOne},
                                      {CCoElement::kRecordShadowLayer, 1},
                                      {CCoElement::kRecordOpacity, kFloatOne}}};

const SRecordLayout kImageElementLayout{"imel0100",
                                        CImElement::kRecordBytes,
                                        {{"picture", CImElement::kRecordImageNumber, 1, EValue::kWord},
                                         {"picturename", CImElement::kRecordImageName, 1, EValue::kText},
                                         {"list", CImElement::kRecordListNumber, 1, EValue::kWord},
                                         {"listname", CImElement::kRecordListName, 1, EValue::kText},
                                         {"entry", CImElement::kRecordListEntry, 1, EValue::kWord},
                                         {"position", CImElement::kRecordPosition, 2, EValue::kWord},
                                         {"layer", CImElement::kRecordImageLayer, 1, EValue::kWord},
                                         {"shadow", CImElement::kRecordShadow, 3, EValue::kWord},
                                         {"shadowopacity", CImElement::kRecordShadow + 12, 1, EValue::kFloat},
                                         {"shadowlayer", CImElement::kRecordShadowLayer, 1, EValue::kWord},
                                         {"opacity", CImElement::kRecordOpacity, 1, EValue::kFloat},
                                         {"flags", CImElement::kRecordFlags, 1, EValue::kWord}},
                                        {{CImElement::kRecordImageLayer, 1},
                                         {CImElement::kRecordShadow, 12},
                                         {CImElement::kRecordShadow + 4, 12},
                                         {CImElement::kRecordShadow + 8, 16},
                                         {CImElement::kRecordShadow + 12, kFloatOne},
                                         {CImElement::kRecordShadowLayer, 1},
                                         {CImElement::kRecordOpacity, kFloatOne}}};

const SRecordLayout kHostCanvasLayout{"hoca0100",
                                      CHoCanvas::kRecordBytes,
                                      {{"element", CHoCanvas::kRecordElementId, 1, EValue::kWord},
                                       {"elementname", CHoCanvas::kRecordElementName, 1, EValue::kText},
                                       {"layers", CHoCanvas::kRecordLayers, 1, EValue::kWord},
                                       {"flags", CHoCanvas::kRecordFlags, 1, EValue::kWord}},
                                      {{CHoCanvas::kRecordLayers, CHoElement::kDefaultLayers}}};

const SRecordLayout kImageCanvasLayout{"imca0100",
                                       CImCanvas::kImageRecordBytes,
                                       {{"picture", CImCanvas::kRecordImageId, 1, EValue::kWord},
                                        {"picturename", CImCanvas::kRecordImageName, 1, EValue::kText},
                                        {"offset", CImCanvas::kRecordOffset, 2, EValue::kWord},
                                        {"flags", CImCanvas::kRecordImageFlags, 1, EValue::kWord}},
                                       {}};

// A text style's record, in the style's own defaults: 12-pixel black text, lines one em apart.
const SRecordLayout kStyleLayout{"fost0100",
                                 STextStyle::kRecordBytes,
                                 {{"font", STextStyle::kRecordFontNumber, 1, EValue::kWord},
                                  {"fontname", STextStyle::kRecordFontName, 1, EValue::kText},
                                  {"matrix", STextStyle::kRecordMatrix, 4, EValue::kFloat},
                                  {"colour", STextStyle::kRecordColour, 1, EValue::kWord},
                                  {"align", STextStyle::kRecordAlignH, 2, EValue::kFloat},
                                  {"spacing", STextStyle::kRecordSpacing, 1, EValue::kFloat},
                                  {"lineheight", STextStyle::kRecordLineHeight, 1, EValue::kFloat},
                                  {"wrap", STextStyle::kRecordWrapWidth, 1, EValue::kWord},
                                  {"flags", STextStyle::kRecordFlags, 1, EValue::kWord}},
                                 {{STextStyle::kRecordMatrix, std::bit_cast<uint32_t>(12.0f)},
                                  {STextStyle::kRecordMatrix + 12, std::bit_cast<uint32_t>(12.0f)},
                                  {STextStyle::kRecordColour, 0xFF000000},
                                  {STextStyle::kRecordLineHeight, kFloatOne}}};

const SRecordLayout kTextElementLayout{"txel0100",
                                       CTxElement::kRecordBytes,
                                       {{"text", CTxElement::kRecordText, 1, EValue::kText, CTxElement::kInlineTextBytes},
                                        {"list", CTxElement::kRecordListNumber, 1, EValue::kWord},
                                        {"listname", CTxElement::kRecordListName, 1, EValue::kText},
                                        {"index", CTxElement::kRecordListIndex, 1, EValue::kWord},
                                        {"style", CTxElement::kRecordStyleNumber, 1, EValue::kWord},
                                        {"stylename", CTxElement::kRecordStyleName, 1, EValue::kText},
                                        {"position", CTxElement::kRecordPosition, 2, EValue::kFloat},
                                        {"textlayer", CTxElement::kRecordTextLayer, 1, EValue::kWord},
                                        {"shadow", CTxElement::kRecordShadow, 3, EValue::kWord},
                                        {"shadowopacity", CTxElement::kRecordShadow + 12, 1, EValue::kFloat},
                                        {"shadowlayer", CTxElement::kRecordShadowLayer, 1, EValue::kWord},
                                        {"opacity", CTxElement::kRecordOpacity, 1, EValue::kFloat},
                                        {"flags", CTxElement::kRecordFlags, 1, EValue::kWord}},
                                       {{CTxElement::kRecordTextLayer, 1},
                                        {CTxElement::kRecordShadow, 12},
                                        {CTxElement::kRecordShadow + 4, 12},
                                        {CTxElement::kRecordShadow + 8, 16},
                                        {CTxElement::kRecordShadow + 12, kFloatOne},
                                        {CTxElement::kRecordShadowLayer, 1},
                                        {CTxElement::kRecordOpacity, kFloatOne}}};

bool PutValue(const SRecordField& field, size_t i, const std::string& token, std::vector<uint8_t>& record,
              std::string* reason) {
  const uint32_t at = field.offset + uint32_t(4 * i);
  switch (field.kind) {
    case EValue::kWord: {
      uint32_t word = 0;
      if (!ParseWord(token, &word)) break;
      PutMachine32(record, at, word);
      return true;
    }
    case EValue::kFloat: {
      float value = 0;
      if (!ParseFloat(token, &value)) break;
      PutMachine32(record, at, std::bit_cast<uint32_t>(value));
      return true;
    }
    case EValue::kText: {
      std::string text;
      if (!ParseText(token, &text, reason)) return false;
      if (text.size() >= field.textBytes) {
        *reason = std::string(field.keyword) + " holds at most " + std::to_string(field.textBytes - 1) + " characters";
        return false;
      }
      std::copy(text.begin(), text.end(), record.begin() + field.offset);
      return true;
    }
  }
  *reason = "expected a " + std::string(field.kind == EValue::kFloat ? "number" : "32-bit value") + ", found " + token;
  return false;
}

bool CompileLayoutRecord(const SRecordLayout& layout, const std::string& text, std::vector<uint8_t>* out,
                         std::string* error) {
  std::vector<SLine> lines;
  if (!ReadLines(text, &lines, error)) return false;
  std::vector<uint8_t> record(layout.bytes, 0);
  std::copy(layout.tagAndVersion, layout.tagAndVersion + 8, record.begin());
  for (const auto& [at, word] : layout.defaults) PutMachine32(record, at, word);
  std::vector<bool> seen(layout.fields.size(), false);
  for (const SLine& line : lines) {
    const auto& t = line.tokens;
    size_t which = layout.fields.size();
    for (size_t f = 0; f < layout.fields.size(); ++f) {
      if (t[0] == layout.fields[f].keyword) which = f;
    }
    if (which == layout.fields.size()) {
      *error = LineError(line.number, "unexpected " + t[0]);
      return false;
    }
    const SRecordField& field = layout.fields[which];
    if (seen[which] || t.size() != field.values + 1) {
      *error = LineError(line.number, std::string(field.keyword) + " takes " + std::to_string(field.values) +
                                   (field.values == 1 ? " value" : " values") + ", once");
      return false;
    }
    seen[which] = true;
    for (size_t i = 0; i < field.values; ++i) {
      std::string reason;
      if (!PutValue(field, i, t[i + 1], record, &reason)) {
        *error = LineError(line.number, reason);
        return false;
      }
    }
  }
  if (layout.required) {
    for (size_t f = 0; f < layout.fields.size(); ++f) {
      if (!seen[f] && std::strcmp(layout.fields[f].keyword, layout.required) == 0) {
        *error = layout.missing;
        return false;
      }
    }
  }
  *out = record;
  return true;
}

// The layout records' sources and the program's handlers that store them in their stored order.
struct SLayoutKind {
  const char* kind;
  const SRecordLayout* layout;
  SpoolTypeHandler handler;
};
const SLayoutKind kLayoutKinds[] = {
    {"canv", &kCanvasLayout, &CCanvas::HandleRecord},
    {"imca", &kImageCanvasLayout, &CImCanvas::HandleImageRecord},
    {"hoca", &kHostCanvasLayout, &CHoCanvas::HocaRecordTypeHandler},
    {"elem", &kElementLayout, &CElement::HandleRecordMessage},
    {"coel", &kCompositeLayout, &CoelRecordHandler},
    {"imel", &kImageElementLayout, &ImelRecordHandler},
    {"rsel", &kSwitcherLayout, &CRsElement::HandleRecordMessage},
    {"rmel", &kRemoteLayout, &CRmElement::HandleSpoolMessage},
    {"fost", &kStyleLayout, &StyleRecordHandler},
    {"txel", &kTextElementLayout, &TextElementRecordHandler},
};

const SLayoutKind* LayoutKind(const std::string& kind) {
  for (const SLayoutKind& k : kLayoutKinds) {
    if (kind == k.kind) return &k;
  }
  return nullptr;
}

bool IsListKind(const std::string& kind) {
  return kind == "ixtx" || kind == "ixco" || kind == "ixim" || kind == "eset" || kind == "menu" || LayoutKind(kind);
}

// The record handler that stores a kind's records: layout records are compiled in machine order and
// turned into their stored order by the program's own handler.
SpoolTypeHandler HandlerFor(const std::string& kind) {
  const SLayoutKind* layout = LayoutKind(kind);
  return layout ? layout->handler : nullptr;
}

// ---- decoding

std::string EscapedText(const std::string& ansi) {
  std::string out = "\"";
  for (unsigned char c : ansi) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const bool undefined = c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
    if (c == '"' || c == '\\') out += std::string("\\") + char(c);
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20 || c == 0x7F || undefined) out += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    else out += platform::AnsiToUtf8(std::string(1, char(c)));
  }
  return out + "\"";
}

std::string Extension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? std::string() : path.substr(dot + 1);
}

}  // namespace

bool SplitSourceLine(const std::string& text, std::vector<std::string>* tokens, std::string* error) {
  SLine line;
  if (!Tokenize(text, 0, &line, error)) return false;
  *tokens = std::move(line.tokens);
  return true;
}

bool ReadQuotedText(const std::string& token, std::string* text, std::string* error) {
  return ParseText(token, text, error);
}

std::string QuotedText(const std::string& stored) { return EscapedText(stored); }

bool ReadManifest(const std::string& text, std::vector<SManifestEntry>* entries, std::string* error) {
  std::vector<SLine> lines;
  if (!ReadLines(text, &lines, error)) return false;
  for (const SLine& line : lines) {
    const auto& t = line.tokens;
    SManifestEntry entry;
    entry.line = line.number;
    if (t.size() == 2 && t[0] == kLayoutLine) {
      entry.type = kLayoutLine;
      entry.source = t[1];
      entries->push_back(entry);
      continue;
    }
    const bool hotspot = t.size() == 7 && t[4] == "hotspot";
    if (t.size() != 4 && !hotspot) {
      *error = LineError(line.number, "expected TYPE NUMBER NAME SOURCE-FILE [hotspot X Y] or layout FILE.layout");
      return false;
    }
    bool exact = true;
    std::string reason;
    entry.type = platform::Utf8ToAnsi(t[0], &exact);
    if (t[2].front() == '"') {
      if (!ParseText(t[2], &entry.name, &reason)) {
        *error = LineError(line.number, reason);
        return false;
      }
    } else if (t[2] != "-") {
      entry.name = platform::Utf8ToAnsi(t[2], &exact);
    }
    entry.source = t[3];
    if (!exact) {
      *error = LineError(line.number, "the type or name holds a character outside Windows-1252");
      return false;
    }
    if (entry.type.size() > 15 || entry.name.size() > 31) {
      *error = LineError(line.number, "a type holds at most 15 characters and a name at most 31");
      return false;
    }
    if (!ParseU32(t[1], &entry.number)) {
      *error = LineError(line.number, "expected a resource number, found " + t[1]);
      return false;
    }
    if (hotspot) {
      uint32_t h = 0, v = 0;
      if (!ParseWord(t[5], &h) || !ParseWord(t[6], &v)) {
        *error = LineError(line.number, "expected hotspot X Y");
        return false;
      }
      entry.hotspot = true;
      entry.hotspotH = int32_t(h);
      entry.hotspotV = int32_t(v);
    }
    entries->push_back(entry);
  }
  return true;
}

bool CompileSource(const std::string& kind, const std::string& text, std::vector<uint8_t>* out, std::string* error) {
  if (kind == "ixtx") return CompileIxtx(text, out, error);
  if (kind == "ixco") return CompileIxco(text, out, error);
  if (kind == "ixim") return CompileIxim(text, out, error);
  if (kind == "eset") return CompileEset(text, out, error);
  if (kind == "menu") return CompileMenu(text, out, error);
  if (const SLayoutKind* layout = LayoutKind(kind)) return CompileLayoutRecord(*layout->layout, text, out, error);
  out->assign(text.begin(), text.end());
  return true;
}

bool DecodeIxtx(const std::vector<uint8_t>& data, std::string* text, std::string* error) {
  if (data.size() < kListHeaderBytes || std::string(data.begin(), data.begin() + 8) != "ixtx0100") {
    *error = "not an 'ixtx' list";
    return false;
  }
  const uint32_t sets = data[kSetsOffset];
  std::string out = sets ? "sets " + std::to_string(sets) + "\n" : std::string();
  CByteReader in(data.data(), data.size());
  in.Seek(kListHeaderBytes);
  for (uint32_t index = 0; in.GetRemaining() > 0; ++index) {
    uint16_t length = 0;
    std::string value;
    uint8_t terminator = 1;
    if (!in.ReadBE16(&length) || !in.Has(size_t(length) + 1)) {
      *error = "record " + std::to_string(index) + " runs past the end";
      return false;
    }
    value.resize(length);
    in.ReadBytes(value.data(), length);
    in.ReadU8(&terminator);
    if (terminator != 0 || value.find('\0') != std::string::npos) {
      *error = "record " + std::to_string(index) + " is not a text";
      return false;
    }
    if ((length + 1) % 2) in.Skip(1);
    out += std::to_string(index) + " " + EscapedText(value) + "\n";
  }
  *text = out;
  return true;
}

int32_t StoreCompiled(CResourceEnv& env, const SSpoolKey& key, const std::string& kind,
                      const std::vector<uint8_t>& bytes) {
  if (kind == "menu") return StoreMenu(env, key, bytes);
  return StoreResource(env, key, bytes, HandlerFor(kind));
}

bool ReadManifestFile(const std::string& manifestPath, std::vector<SManifestEntry>* entries, std::string* error) {
  std::string manifest;
  if (const std::string problem = ReadInputFile(manifestPath, &manifest); !problem.empty()) {
    *error = manifestPath + ": " + problem;
    return false;
  }
  std::string reason;
  if (!ReadManifest(manifest, entries, &reason)) {
    *error = manifestPath + ":" + reason;
    return false;
  }
  const std::string folder = platform::FolderOf(manifestPath);
  for (SManifestEntry& e : *entries) e.path = e.source.front() == '/' ? e.source : folder + "/" + e.source;
  return true;
}

namespace {

// A manifest's picture: a PNG stored as a 32-bit picture, its hot spot as its origin.
bool StorePngPicture(CResourceEnv& env, const SManifestEntry& e, const std::string& where, std::string* error) {
  if (Extension(e.source) != "png" || e.type != kImageType) {
    *error = where + "pictures come from .png sources as '" + kImageType + "' resources";
    return false;
  }
  SPngPicture picture;
  std::string reason;
  if (!ReadPngPicture(e.path, &picture, &reason)) {
    *error = where + e.source + " " + reason;
    return false;
  }
  SSpoolKey key;
  key.Set(kImageType, e.number, false);
  CopyCString(key.name, e.name.c_str(), sizeof key.name);
  if (const int32_t err =
          StorePicture(env, key, picture.width, picture.height, picture.pixels, e.hotspotH, e.hotspotV)) {
    *error = where + ResultWords(err);
    return false;
  }
  return true;
}

FontConverter gFontConverter = nullptr;

// A manifest's font: a TrueType file converted into an outline font.
bool StoreConvertedFont(CResourceEnv& env, const SManifestEntry& e, const std::string& where, std::string* error) {
  if (e.type != kOutlineFontType) {
    *error = where + "fonts come from .ttf sources as '" + kOutlineFontType + "' resources";
    return false;
  }
  if (!gFontConverter) {
    *error = where + e.source + ": this tool does not convert fonts";
    return false;
  }
  SOutlineFontSource font;
  std::string reason;
  if (!gFontConverter(e.path, &font, &reason)) {
    *error = where + e.source + ": " + reason;
    return false;
  }
  SSpoolKey key;
  key.Set(kOutlineFontType, e.number, false);
  CopyCString(key.name, e.name.c_str(), sizeof key.name);
  if (const int32_t err = StoreOutlineFont(env, key, font)) {
    *error = where + ResultWords(err);
    return false;
  }
  return true;
}

TextureStorer gTextureStorer = nullptr;

// A manifest's 3D texture: its recipe stored as the texture's own record.
bool StoreTexture(CResourceEnv& env, const SManifestEntry& e, const std::string& where, std::string* error) {
  if (e.type != kTextureType) {
    *error = where + "textures come from .qntx sources as '" + kTextureType + "' resources";
    return false;
  }
  if (!gTextureStorer) {
    *error = where + e.source + ": this tool does not store textures";
    return false;
  }
  std::string source, reason;
  if (const std::string problem = ReadInputFile(e.path, &source); !problem.empty()) {
    *error = where + e.source + ": " + problem;
    return false;
  }
  SSpoolKey key;
  key.Set(kTextureType, e.number, false);
  CopyCString(key.name, e.name.c_str(), sizeof key.name);
  if (!gTextureStorer(env, key, source, &reason)) {
    *error = e.path + ":" + reason;
    return false;
  }
  return true;
}

}  // namespace

void SetFontConverter(FontConverter converter) { gFontConverter = converter; }
void SetTextureStorer(TextureStorer storer) { gTextureStorer = storer; }

bool CompileManifest(CResourceEnv& env, const std::string& manifestPath, std::string* error) {
  std::vector<SManifestEntry> entries;
  if (!ReadManifestFile(manifestPath, &entries, error)) return false;
  std::string reason;
  for (const SManifestEntry& e : entries) {
    const std::string where = manifestPath + ":" + std::to_string(e.line) + ": ";
    const std::string& path = e.path;
    const std::string kind = Extension(e.source);
    if (e.type == kLayoutLine) {
      if (!CompileLayoutFile(env, path, error)) return false;
      continue;
    }
    if (IsListKind(kind) && kind != e.type) {
      *error = where + "a ." + kind + " source makes '" + kind + "' resources, not '" + e.type + "'";
      return false;
    }
    if (kind == "png" || e.hotspot) {
      if (!StorePngPicture(env, e, where, error)) return false;
      continue;
    }
    if (kind == "ttf") {
      if (!StoreConvertedFont(env, e, where, error)) return false;
      continue;
    }
    if (kind == "qntx") {
      if (!StoreTexture(env, e, where, error)) return false;
      continue;
    }
    std::string source;
    if (const std::string problem = ReadInputFile(path, &source); !problem.empty()) {
      *error = where + e.source + ": " + problem;
      return false;
    }
    std::vector<uint8_t> bytes;
    if (!CompileSource(kind, source, &bytes, &reason)) {
      *error = path + ":" + reason;
      return false;
    }
    SSpoolKey key;
    key.Set(e.type.c_str(), e.number, false);
    CopyCString(key.name, e.name.c_str(), sizeof key.name);
    if (const int32_t err = StoreCompiled(env, key, kind, bytes)) {
      *error = where + ResultWords(err);
      return false;
    }
  }
  return true;
}

bool BuildResourceFile(const std::string& inputPath, const std::string& outPath, std::string* error) {
  CFileSpec target, temporary;
  int32_t err = target.Set(outPath.c_str());
  if (!err) err = CFileSpec::MakeTempBeside(target, temporary);
  if (err) {
    *error = outPath + ": " + FileProblem(outPath, err);
    return false;
  }
  bool built = false;
  {
    std::unique_ptr<CResourceEnv> env(new CResourceEnv(temporary, CFile::kModeReadWrite));
    if (!env || !env->IsOpen()) {
      err = env ? env->GetLastResult() : kErrOutOfMemory;
      *error = std::string(temporary.GetPath()) + ": " + FileProblem(temporary.GetPath(), err);
    } else {
      built = HasExtension(inputPath, ".layout") ? CompileLayoutFile(*env, inputPath, error)
                                                 : CompileManifest(*env, inputPath, error);
    }
  }
  if (built && !platform::ReplaceFile(temporary.GetPath(), target.GetPath())) {
    err = MapLastError();
    *error = outPath + ": " + FileProblem(outPath, err);
    built = false;
  }
  if (!built) platform::DeleteFile(temporary.GetPath());
  return built;
}

bool ReadSourceLines(const std::string& text, std::vector<SSourceLine>* lines, std::string* error) {
  std::vector<SLine> read;
  if (!ReadLines(text, &read, error)) return false;
  for (const SLine& line : read) lines->push_back({line.number, line.tokens});
  return true;
}

bool ParseSourceWord(const std::string& token, uint32_t* value) { return ParseWord(token, value); }

std::string LineError(uint32_t line, const std::string& reason) { return std::to_string(line) + ": " + reason; }
