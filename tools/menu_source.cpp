#include "tools/menu_source.h"

#include <algorithm>
#include <cstring>

#include "framework/core/byte_order.h"
#include "framework/core/byte_reader.h"
#include "framework/core/char_set.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/menu.h"
#include "tools/command_line.h"
#include "tools/res_compiler.h"

namespace {

constexpr uint32_t kRowBytes = sizeof(CMenuItem);
constexpr uint32_t kMaxTextBytes = CMenuItem::kTextBytes - 1;
constexpr uint16_t kItemFlags = CMenu::kItemDisabled | CMenu::kItemCheckable | CMenu::kItemHasKey | CMenu::kItemCtrl |
                                CMenu::kItemAlt | CMenu::kItemAlt2 | CMenu::kItemShift;

struct SMenuHeader {
  std::string title;  // Mac OS Roman
  uint32_t id = 0;
  uint32_t flags = 0;
  uint32_t wordA = 0;
  uint32_t wordB = 0xFFFFFFFF;
  uint32_t growth = 1;
};

// A quoted text in Mac OS Roman, which the interface's conversion must give back unchanged.
bool ParseMacText(const std::string& token, std::string* mac, std::string* reason) {
  std::string ansi;
  if (!ReadQuotedText(token, &ansi, reason)) return false;
  *mac = AnsiToMacRoman(ansi);
  if (MacRomanToAnsi(*mac) != ansi) {
    *reason = "the text holds a character that Mac OS Roman does not keep";
    return false;
  }
  if (mac->size() > kMaxTextBytes) {
    *reason = "a text holds at most " + std::to_string(kMaxTextBytes) + " bytes";
    return false;
  }
  return true;
}

bool IsKeyCharacter(uint8_t c) { return c > ' ' && c < 0x7F && c != '"'; }

bool IsCodeCharacter(uint8_t c) { return c >= ' ' && c < 0x7F && c != '\''; }

bool ParseCommand(const std::string& token, uint32_t* command) {
  if (token.size() == 6 && token.front() == '\'' && token.back() == '\'') {
    *command = 0;
    for (size_t i = 1; i < 5; ++i) {
      if (!IsCodeCharacter(uint8_t(token[i]))) return false;
      *command = *command << 8 | uint8_t(token[i]);
    }
    return true;
  }
  return ParseSourceWord(token, command);
}

std::string CommandText(uint32_t command) {
  std::string code = "'";
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto c = uint8_t(command >> shift);
    if (!IsCodeCharacter(c)) return std::to_string(command);
    code += char(c);
  }
  return code + "'";
}

bool ParseItem(const SSourceLine& line, CMenuItem* row, std::string* error) {
  const auto& t = line.tokens;
  std::memset(row, 0, sizeof *row);
  std::string text, reason;
  if (t.size() < 2 || !ParseMacText(t[1], &text, &reason)) {
    *error = LineError(line.number, reason.empty() ? "expected item \"TEXT\"" : reason);
    return false;
  }
  std::memcpy(row->text, text.data(), text.size());
  bool command = false;
  struct SFlagWord {
    const char* word;
    uint16_t flag;
  };
  static constexpr SFlagWord kWords[] = {{"ctrl", CMenu::kItemCtrl},       {"alt", CMenu::kItemAlt},
                                         {"alt2", CMenu::kItemAlt2},       {"shift", CMenu::kItemShift},
                                         {"disabled", CMenu::kItemDisabled}, {"checkable", CMenu::kItemCheckable}};
  for (size_t i = 2; i < t.size(); ++i) {
    const std::string& word = t[i];
    const bool valued = word == "key" || word == "alternate" || word == "command";
    if (valued && i + 1 >= t.size()) {
      *error = LineError(line.number, word + " needs a value");
      return false;
    }
    if (word == "key" || word == "alternate") {
      const std::string& value = t[++i];
      if (value.size() != 1 || !IsKeyCharacter(uint8_t(value[0]))) {
        *error = LineError(line.number, word + " takes one printable character, not " + value);
        return false;
      }
      if (word == "key") {
        row->key = uint8_t(value[0]);
        row->flags |= CMenu::kItemHasKey;
      } else {
        row->alternateKey = uint8_t(value[0]);
      }
    } else if (word == "command") {
      if (!ParseCommand(t[++i], &row->command)) {
        *error = LineError(line.number, "expected a command 'CODE' or a number, found " + t[i]);
        return false;
      }
      command = true;
    } else {
      const SFlagWord* flag = nullptr;
      for (const SFlagWord& w : kWords) flag = word == w.word ? &w : flag;
      if (!flag) {
        *error = LineError(line.number, "unexpected " + word);
        return false;
      }
      row->flags |= flag->flag;
    }
  }
  if (!command) *error = LineError(line.number, "an item needs its command");
  return command;
}

bool ParseHeaderLine(const SSourceLine& line, SMenuHeader* header, std::string* error) {
  const auto& t = line.tokens;
  std::string reason;
  bool ok = false;
  if (t[0] == "title") {
    ok = t.size() == 2 && ParseMacText(t[1], &header->title, &reason);
  } else if (t[0] == "id") {
    ok = t.size() == 2 && ParseSourceWord(t[1], &header->id);
  } else if (t[0] == "growth") {
    ok = t.size() == 2 && ParseSourceWord(t[1], &header->growth) && header->growth <= INT32_MAX;
  } else if (t[0] == "words") {
    ok = t.size() == 3 && ParseSourceWord(t[1], &header->wordA) && ParseSourceWord(t[2], &header->wordB);
  } else if (t[0] == "flags") {
    ok = true;
    for (size_t i = 1; i < t.size() && ok; ++i) {
      if (t[i] == "pop-up") header->flags |= CMenu::kMenuPopUp;
      else if (t[i] == "independent-checks") header->flags |= CMenu::kMenuIndependentChecks;
      else ok = false;
    }
  } else {
    reason = "unexpected " + t[0];
  }
  if (!ok) *error = LineError(line.number, reason.empty() ? "malformed " + t[0] + " line" : reason);
  return ok;
}

void PutBE32(std::vector<uint8_t>& out, size_t at, uint32_t value) { StoreBE32(out.data() + at, value); }

}  // namespace

bool CompileMenu(const std::string& text, std::vector<uint8_t>* out, std::string* error) {
  std::vector<SSourceLine> lines;
  if (!ReadSourceLines(text, &lines, error)) return false;
  SMenuHeader header;
  std::vector<CMenuItem> rows;
  std::vector<std::string> seen;
  for (const SSourceLine& line : lines) {
    const std::string& word = line.tokens[0];
    CMenuItem row{};
    if (word == "separator" && line.tokens.size() == 1) {
      row.flags = CMenu::kItemSeparator;
    } else if (word == "item") {
      if (!ParseItem(line, &row, error)) return false;
    } else {
      if (!rows.empty() || std::find(seen.begin(), seen.end(), word) != seen.end()) {
        *error = LineError(line.number, word + " comes once, before the rows");
        return false;
      }
      if (!ParseHeaderLine(line, &header, error)) return false;
      seen.push_back(word);
      continue;
    }
    rows.push_back(row);
  }
  const auto count = uint32_t(rows.size());
  out->assign(CMenu::kHeaderBytes + size_t(count) * kRowBytes, 0);
  PutBE32(*out, CMenu::kHeaderRecordSize, kRowBytes);
  PutBE32(*out, CMenu::kHeaderCapacity, count);
  PutBE32(*out, CMenu::kHeaderGrowth, header.growth);
  PutBE32(*out, CMenu::kHeaderCount, count);
  std::memcpy(out->data() + CMenu::kHeaderTitle, header.title.data(), header.title.size());
  PutBE32(*out, CMenu::kHeaderMenuId, header.id);
  PutBE32(*out, CMenu::kHeaderFlags, header.flags);
  PutBE32(*out, CMenu::kHeaderWordA, header.wordA);
  PutBE32(*out, CMenu::kHeaderWordB, header.wordB);
  for (uint32_t i = 0; i < count; ++i) {
    CMenuItem stored = rows[i];
    stored.flags = uint16_t(stored.flags >> 8 | stored.flags << 8);
    stored.command = SwapLong(stored.command);
    std::memcpy(out->data() + CMenu::kHeaderBytes + size_t(i) * kRowBytes, &stored, kRowBytes);
  }
  return true;
}

int32_t StoreMenu(CResourceEnv& env, const SSpoolKey& key, const std::vector<uint8_t>& compiled) {
  CByteReader in(compiled.data(), compiled.size());
  uint32_t recordSize = 0, capacity = 0, growth = 0, count = 0;
  if (!in.ReadBE32(&recordSize) || !in.ReadBE32(&capacity) || !in.ReadBE32(&growth) || !in.ReadBE32(&count) ||
      recordSize != kRowBytes || capacity != count || compiled.size() != CMenu::kHeaderBytes + size_t(count) * kRowBytes)
    return kErrInvalidFormat;
  char title[CMenu::kTitleBytes + 1] = {};
  std::memcpy(title, compiled.data() + CMenu::kHeaderTitle, CMenu::kTitleBytes);
  uint32_t words[4] = {};
  in.Seek(CMenu::kHeaderMenuId);
  for (uint32_t& w : words) in.ReadBE32(&w);
  if (!env.PutResource(key)) return NonZeroError(env.GetLastResult());
  SDynTableLayout layout;
  CMenu::MakeLayout(layout, &env, count, growth);
  CMenu menu(layout);
  if (!menu.IsUsable()) return kErrFailedCreation;
  menu.SetTitle(title);
  menu.SetMenuId(words[0]);
  menu.SetMenuFlags(words[1]);
  menu.SetWords(words[2], words[3]);
  SSpoolKey written = key;
  written.byName = 0;
  written.isNew = 1;
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &written, &CMenu::HandleSpoolMessage);
  if (!menu.Subscribe(spec)) return NonZeroError(menu.GetError());
  for (uint32_t i = 0; i < count; ++i) {
    CMenuItem row{};
    std::memcpy(&row, compiled.data() + CMenu::kHeaderBytes + size_t(i) * kRowBytes, kRowBytes);
    row.flags = uint16_t(row.flags >> 8 | row.flags << 8);
    row.command = SwapLong(row.command);
    if (!menu.Append(&row)) return NonZeroError(menu.GetError());
  }
  {
    CHolder holder(&menu, true, true);
    if (!holder.IsLocked()) return NonZeroError(menu.GetError());
  }
  if (menu.IsModified()) return NonZeroError(menu.GetError());
  return menu.Unsubscribe() ? kNoErr : NonZeroError(menu.GetError());
}

bool DecodeMenu(CResourceEnv& env, const SSpoolKey& key, std::string* text, std::string* error) {
  SDynTableLayout layout;
  CMenu::MakeLayout(layout, &env, 0, 1);
  CMenu menu(layout);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &CMenu::HandleSpoolMessage);
  if (!menu.IsUsable() || !menu.Subscribe(spec)) {
    *error = ResultWords(menu.IsUsable() ? NonZeroError(menu.GetError()) : kErrFailedCreation);
    return false;
  }
  CHolder holder(&menu, false, false);
  if (!holder.IsLocked()) {
    *error = ResultWords(NonZeroError(menu.GetError()));
    return false;
  }
  const uint32_t flags = menu.GetMenuFlags();
  if (flags & ~(CMenu::kMenuPopUp | CMenu::kMenuIndependentChecks) || menu.GetCapacity() != menu.GetCount()) {
    *error = "the menu's flags or capacity cannot be written as a source";
    return false;
  }
  std::string out = "title " + QuotedText(MacRomanToAnsi(std::string(menu.GetTitle()))) + "\n";
  out += "id " + std::to_string(menu.GetMenuId()) + "\n";
  if (flags) {
    out += "flags";
    if (flags & CMenu::kMenuPopUp) out += " pop-up";
    if (flags & CMenu::kMenuIndependentChecks) out += " independent-checks";
    out += "\n";
  }
  if (menu.GetWordA() != 0 || menu.GetWordB() != 0xFFFFFFFF)
    out += "words " + std::to_string(menu.GetWordA()) + " " + std::to_string(int32_t(menu.GetWordB())) + "\n";
  if (menu.GetStep() != 1) out += "growth " + std::to_string(menu.GetStep()) + "\n";
  for (uint32_t i = 0; i < menu.GetCount(); ++i) {
    const CMenuItem& row = menu[i];
    const std::string rowText(row.text, strnlen(row.text, sizeof row.text));
    if (row.flags == CMenu::kItemSeparator && rowText.empty() && !row.command && !row.key && !row.alternateKey) {
      out += "separator\n";
      continue;
    }
    const bool hasKey = (row.flags & CMenu::kItemHasKey) != 0;
    if ((row.flags & ~kItemFlags) || hasKey != (row.key != 0) || (hasKey && !IsKeyCharacter(row.key)) ||
        (row.alternateKey && !IsKeyCharacter(row.alternateKey))) {
      *error = "row " + std::to_string(i + 1) + " cannot be written as a source";
      return false;
    }
    out += "item " + QuotedText(MacRomanToAnsi(rowText));
    if (hasKey) out += std::string(" key ") + char(row.key);
    if (row.alternateKey) out += std::string(" alternate ") + char(row.alternateKey);
    if (row.flags & CMenu::kItemCtrl) out += " ctrl";
    if (row.flags & CMenu::kItemAlt) out += " alt";
    if (row.flags & CMenu::kItemAlt2) out += " alt2";
    if (row.flags & CMenu::kItemShift) out += " shift";
    if (row.flags & CMenu::kItemDisabled) out += " disabled";
    if (row.flags & CMenu::kItemCheckable) out += " checkable";
    out += " command " + CommandText(row.command) + "\n";
  }
  *text = out;
  return true;
}
