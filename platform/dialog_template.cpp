#include "platform/dialog_template.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "platform/dialog.h"
#include "platform/window.h"

namespace platform {
namespace {

constexpr uint16_t kOrdinalMark = 0xFFFF;
// The dialog base units of the templates' fonts: 4 dialog units across are 6 pixels, 8 down are 13.
constexpr int32_t kBaseWidth = 6;
constexpr int32_t kBaseHeight = 13;

// The UTF-16 code units of a Windows-1252 text (every character of that set lies in the first plane).
std::vector<uint16_t> Utf16Of(const std::string& ansi) {
  const std::string utf8 = AnsiToUtf8(ansi);
  std::vector<uint16_t> units;
  for (size_t i = 0; i < utf8.size();) {
    const auto c = uint8_t(utf8[i]);
    const size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
    uint32_t code = length == 1 ? c : length == 2 ? c & 0x1F : c & 0x0F;
    for (size_t k = 1; k < length && i + k < utf8.size(); ++k) code = code << 6 | (uint8_t(utf8[i + k]) & 0x3F);
    units.push_back(uint16_t(code));
    i += length;
  }
  return units;
}

std::string AnsiOf(const std::vector<uint16_t>& units) {
  std::string utf8;
  for (uint16_t u : units) {
    if (u < 0x80) {
      utf8 += char(u);
    } else if (u < 0x800) {
      utf8 += char(0xC0 | u >> 6);
      utf8 += char(0x80 | (u & 0x3F));
    } else {
      utf8 += char(0xE0 | u >> 12);
      utf8 += char(0x80 | (u >> 6 & 0x3F));
      utf8 += char(0x80 | (u & 0x3F));
    }
  }
  return Utf8ToAnsi(utf8);
}

class TemplateReader {
 public:
  explicit TemplateReader(const void* bytes) : fBytes(static_cast<const uint8_t*>(bytes)) {}

  uint16_t Word() {
    uint16_t value = 0;
    std::memcpy(&value, fBytes + fAt, sizeof value);
    fAt += sizeof value;
    return value;
  }
  uint32_t Long() {
    uint32_t value = 0;
    std::memcpy(&value, fBytes + fAt, sizeof value);
    fAt += sizeof value;
    return value;
  }
  int32_t Signed() { return int16_t(Word()); }
  std::string Text() {
    std::vector<uint16_t> units;
    for (uint16_t u = Word(); u != 0; u = Word()) units.push_back(u);
    return AnsiOf(units);
  }
  // A name or a number: empty, an ordinal (*ordinal set) or a text.
  std::string NameOrOrdinal(uint16_t* ordinal) {
    *ordinal = 0;
    uint16_t first = 0;
    std::memcpy(&first, fBytes + fAt, sizeof first);
    if (first == 0) {
      fAt += 2;
      return {};
    }
    if (first == kOrdinalMark) {
      fAt += 2;
      *ordinal = Word();
      return {};
    }
    return Text();
  }
  void Align() { fAt = (fAt + 3) & ~size_t(3); }
  void Skip(size_t count) { fAt += count; }

 private:
  const uint8_t* fBytes;
  size_t fAt = 0;
};

std::string ClassOfOrdinal(uint16_t ordinal) {
  switch (ordinal) {
    case kItemButton: return kButtonClass;
    case kItemEdit: return "EDIT";
    case kItemStatic: return kStaticClass;
    default: return {};
  }
}

}  // namespace

DialogTemplate::DialogTemplate(uint32_t style, int16_t x, int16_t y, int16_t width, int16_t height,
                               const std::string& title, uint16_t pointSize, const std::string& face) {
  Long(pointSize ? style | kDsSetFont : style & ~kDsSetFont);
  Long(0);
  Word(0);  // the item count, kept up to date by AddItem
  for (int16_t value : {x, y, width, height}) Word(uint16_t(value));
  Word(0);  // no menu
  Word(0);  // the dialog class
  Text(title);
  if (pointSize) {
    Word(pointSize);
    Text(face);
  }
}

void DialogTemplate::AddItem(uint32_t style, int16_t x, int16_t y, int16_t width, int16_t height, uint16_t id,
                             uint16_t itemClass, const std::string& text) {
  Align();
  Long(style | kWsChild | kWsVisible);
  Long(0);
  for (int16_t value : {x, y, width, height}) Word(uint16_t(value));
  Word(id);
  Word(kOrdinalMark);
  Word(itemClass);
  Text(text);
  Word(0);  // no creation data
  ++fItems;
  std::memcpy(fBytes.data() + 8, &fItems, sizeof fItems);
}

void DialogTemplate::Word(uint16_t value) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
  fBytes.insert(fBytes.end(), bytes, bytes + sizeof value);
}

void DialogTemplate::Long(uint32_t value) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
  fBytes.insert(fBytes.end(), bytes, bytes + sizeof value);
}

void DialogTemplate::Text(const std::string& ansi) {
  for (uint16_t unit : Utf16Of(ansi)) Word(unit);
  Word(0);
}

void DialogTemplate::Align() {
  while (fBytes.size() % 4) fBytes.push_back(0);
}

bool ReadDialogTemplate(const void* bytes, STemplate* dialog) {
  if (!bytes) return false;
  TemplateReader in(bytes);
  *dialog = {};
  dialog->style = in.Long();
  dialog->exStyle = in.Long();
  const uint16_t count = in.Word();
  const int32_t place[4] = {in.Signed(), in.Signed(), in.Signed(), in.Signed()};
  uint16_t ordinal = 0;
  in.NameOrOrdinal(&ordinal);  // a menu: dialogs have none here
  in.NameOrOrdinal(&ordinal);  // the dialog class
  dialog->title = in.Text();
  const bool units = (dialog->style & kDsSetFont) != 0;
  if (units) {
    dialog->pointSize = in.Word();
    dialog->face = in.Text();
  }
  const auto across = [units](int32_t value) { return units ? value * kBaseWidth / 4 : value; };
  const auto down = [units](int32_t value) { return units ? value * kBaseHeight / 8 : value; };
  dialog->x = across(place[0]);
  dialog->y = down(place[1]);
  dialog->width = across(place[2]);
  dialog->height = down(place[3]);
  for (uint16_t i = 0; i < count; ++i) {
    in.Align();
    STemplateItem item;
    item.style = in.Long();
    item.exStyle = in.Long();
    const int32_t x = in.Signed(), y = in.Signed(), width = in.Signed(), height = in.Signed();
    item.x = across(x);
    item.y = down(y);
    item.width = across(width);
    item.height = down(height);
    item.id = in.Word();
    const std::string className = in.NameOrOrdinal(&ordinal);
    item.className = ordinal ? ClassOfOrdinal(ordinal) : className;
    item.text = in.NameOrOrdinal(&ordinal);
    in.Skip(in.Word());
    if (item.className.empty()) return false;
    dialog->items.push_back(item);
  }
  return true;
}

}  // namespace platform
