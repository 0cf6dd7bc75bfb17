#include "tools/record_decode.h"

#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "framework/ui/outline_font.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "tools/res_compiler.h"

namespace {

constexpr uint32_t kNameBytes = 32;
constexpr uint32_t kFirstLayoutNumber = 1000;

// Fields of a big-endian record.
class CStoredRecord {
 public:
  explicit CStoredRecord(const std::vector<uint8_t>& bytes) : fBytes(bytes) {}

  bool Is(const char* tagAndVersion, uint32_t least) const {
    return fBytes.size() >= least && std::memcmp(fBytes.data(), tagAndVersion, 8) == 0;
  }
  uint32_t Word(uint32_t at) const {
    const uint8_t* b = fBytes.data() + at;
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
  }
  float Float(uint32_t at) const { return std::bit_cast<float>(Word(at)); }
  // A text field up to its terminator, within the field.
  std::string Text(uint32_t at, uint32_t bytes) const {
    const char* field = reinterpret_cast<const char*>(fBytes.data() + at);
    return std::string(field, strnlen(field, bytes));
  }

 private:
  const std::vector<uint8_t>& fBytes;
};

// The shortest text that reads back as the same float.
std::string Number(float value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::string Numbers(std::initializer_list<float> values) {
  std::string out;
  for (const float v : values) out += (out.empty() ? "" : " ") + Number(v);
  return out;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// A reference as the layout source writes it: "NAME", number N or self.
std::string Reference(bool own, bool byName, const std::string& name, uint32_t number) {
  if (own) return "self";
  return byName ? QuotedText(name) : "number " + std::to_string(number);
}

}  // namespace

bool DecodeStyle(const std::vector<uint8_t>& stored, const std::string& name, uint32_t number, std::string* text,
                 std::string* error) {
  using S = STextStyle;
  const CStoredRecord r(stored);
  if (!r.Is("fost0100", S::kRecordBytes)) {
    *error = "not a 'fost' style record";
    return false;
  }
  const uint32_t flags = r.Word(S::kRecordFlags);
  std::string out = "style " + QuotedText(name);
  out += number < kFirstLayoutNumber ? " number " + std::to_string(number) + " {\n" : " {  # number " + std::to_string(number) + "\n";
  if (flags & S::kNamesFont)
    out += "    font " + Reference(flags & S::kFontOwnKey, flags & S::kFontByName, r.Text(S::kRecordFontName, kNameBytes),
                                   r.Word(S::kRecordFontNumber)) + "\n";
  out += "    matrix " + Numbers({r.Float(S::kRecordMatrix), r.Float(S::kRecordMatrix + 4), r.Float(S::kRecordMatrix + 8),
                                  r.Float(S::kRecordMatrix + 12)}) + "\n";
  out += "    colour " + Hex(r.Word(S::kRecordColour)) + "\n";
  out += "    align " + Numbers({r.Float(S::kRecordAlignH), r.Float(S::kRecordAlignV)}) + "\n";
  out += "    spacing " + Number(r.Float(S::kRecordSpacing)) + "\n";
  out += "    line-height " + Number(r.Float(S::kRecordLineHeight)) + "\n";
  out += "    wrap " + std::to_string(r.Word(S::kRecordWrapWidth)) + "\n";
  if (flags & S::kOutline) out += "    outline\n";
  if (flags & S::kMask) out += "    mask\n";
  if (flags & S::kBaseline) out += "    baseline\n";
  *text = out + "}\n";
  return true;
}

bool DecodeTextElement(const std::vector<uint8_t>& stored, std::string* text, std::string* error) {
  using T = CTxElement;
  const CStoredRecord r(stored);
  if (!r.Is("txel0100", T::kRecordBytes)) {
    *error = "not a 'txel' text element record";
    return false;
  }
  const uint32_t flags = r.Word(T::kRecordFlags);
  std::string out;
  auto line = [&out](const std::string& words) { out += "    " + words + "\n"; };
  if (flags & T::kUseText)
    line("text " + QuotedText(r.Text(T::kRecordText, T::kInlineTextBytes)) + (flags & T::kOwnsText ? " owned" : ""));
  if (flags & T::kUseList) {
    line("list " + Reference(flags & T::kListOwnKey, flags & T::kListByName, r.Text(T::kRecordListName, kNameBytes),
                             r.Word(T::kRecordListNumber)));
    line("index " + std::to_string(r.Word(T::kRecordListIndex)));
  }
  if (flags & T::kUseStyle)
    line("style " + Reference(flags & T::kStyleOwnKey, flags & T::kStyleByName, r.Text(T::kRecordStyleName, kNameBytes),
                              r.Word(T::kRecordStyleNumber)));
  line("position " + Numbers({r.Float(T::kRecordPosition), r.Float(T::kRecordPosition + 4)}));
  line("text-layer " + std::to_string(r.Word(T::kRecordTextLayer)));
  line("textshadow " + std::to_string(int32_t(r.Word(T::kRecordShadow))) + " " +
       std::to_string(int32_t(r.Word(T::kRecordShadow + 4))) + " " + std::to_string(r.Word(T::kRecordShadow + 8)) + " " +
       Number(r.Float(T::kRecordShadow + 12)) + (flags & T::kShadowShown ? " shown" : "") +
       (flags & T::kShadowOverflows ? " overflows" : ""));
  line("shadow-layer " + std::to_string(r.Word(T::kRecordShadowLayer)));
  line("opacity " + Number(r.Float(T::kRecordOpacity)));
  if (flags & T::kFitText) line(std::string("fittext") + (flags & T::kFitShadowOutsets ? " extend" : ""));
  *text = out;
  return true;
}

bool DescribeOutlineFont(const std::vector<uint8_t>& record, std::string* text, std::string* error) {
  const CStoredRecord r(record);
  if (!r.Is("outf0100", COutlineFont::kRecordBytes)) {
    *error = "not an 'outf' outline font record";
    return false;
  }
  *text = "glyphs " + std::to_string(r.Word(12)) + " points " + std::to_string(r.Word(8)) + " box " +
          Numbers({r.Float(16), r.Float(20), r.Float(24), r.Float(28)}) +
          (r.Word(32) & 1 ? " double-byte" : " single-byte");
  return true;
}
