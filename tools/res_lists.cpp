#include "tools/res_lists.h"

#include <cctype>
#include <sstream>

#include "framework/core/byte_order.h"
#include "framework/core/byte_reader.h"
#include "platform/ansi_text.h"

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

bool IsIndexedListKind(const std::string& kind) {
  return kind == "ixtx" || kind == "ixco" || kind == "ixim" || kind == "eset";
}

bool CompileIndexedList(const std::string& kind, const std::string& text, std::vector<uint8_t>* out,
                        std::string* error) {
  if (kind == "ixtx") return CompileIxtx(text, out, error);
  if (kind == "ixco") return CompileIxco(text, out, error);
  if (kind == "ixim") return CompileIxim(text, out, error);
  if (kind == "eset") return CompileEset(text, out, error);
  *error = "'" + kind + "' is no indexed list";
  return false;
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

bool ReadSourceLines(const std::string& text, std::vector<SSourceLine>* lines, std::string* error) {
  std::vector<SLine> read;
  if (!ReadLines(text, &read, error)) return false;
  for (const SLine& line : read) lines->push_back({line.number, line.tokens});
  return true;
}

bool ParseSourceWord(const std::string& token, uint32_t* value) { return ParseWord(token, value); }

bool ParseSourceNumber(const std::string& token, uint32_t* value) { return ParseU32(token, value); }

std::string LineError(uint32_t line, const std::string& reason) { return std::to_string(line) + ": " + reason; }
