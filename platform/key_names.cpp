// The virtual keys of the X key names: the GTK back end names each key it gets by its key value's
// name, and the headless input script takes the same names, so both give one key the same number.
#include <cstdlib>
#include <cstring>

#include "platform/window_backend.h"

namespace platform {
namespace {

struct SKeyName {
  const char* name;
  uint32_t virtualKey;
};

// Page_Up and Prior (and Page_Down and Next) are one key value under two names.
constexpr SKeyName kKeyNames[] = {
    {"BackSpace", kVkBack},        {"Tab", kVkTab},
    {"Return", kVkReturn},         {"KP_Enter", kVkReturn},
    {"Shift_L", kVkShift},         {"Shift_R", kVkShift},
    {"Control_L", kVkControl},     {"Control_R", kVkControl},
    {"Alt_L", kVkMenu},            {"Alt_R", kVkMenu},
    {"Meta_L", kVkMenu},           {"Meta_R", kVkMenu},
    {"Caps_Lock", kVkCapital},     {"Escape", kVkEscape},
    {"space", kVkSpace},           {"Page_Up", kVkPrior},
    {"Prior", kVkPrior},           {"Page_Down", kVkNext},
    {"Next", kVkNext},             {"End", kVkEnd},
    {"Home", kVkHome},             {"Left", kVkLeft},
    {"Up", kVkUp},                 {"Right", kVkRight},
    {"Down", kVkDown},             {"Insert", kVkInsert},
    {"Delete", kVkDelete},         {"KP_Multiply", kVkMultiply},
    {"KP_Add", kVkAdd},            {"KP_Subtract", kVkSubtract},
    {"KP_Divide", kVkDivide},      {"KP_Decimal", kVkDecimal},
    {"KP_Home", kVkHome},          {"KP_End", kVkEnd},
    {"KP_Left", kVkLeft},          {"KP_Up", kVkUp},
    {"KP_Right", kVkRight},        {"KP_Down", kVkDown},
    {"KP_Prior", kVkPrior},        {"KP_Page_Up", kVkPrior},
    {"KP_Next", kVkNext},          {"KP_Page_Down", kVkNext},
    {"KP_Insert", kVkInsert},      {"KP_Delete", kVkDelete},
    {"semicolon", kVkOemSemicolon},
    {"equal", kVkOemPlus},         {"comma", kVkOemComma},
    {"minus", kVkOemMinus},        {"period", kVkOemPeriod},
    {"slash", kVkOemSlash},        {"grave", kVkOemTilde},
    {"bracketleft", kVkOemOpenBracket}, {"backslash", kVkOemBackslash},
    {"bracketright", kVkOemCloseBracket}, {"apostrophe", kVkOemQuote},
};

constexpr uint32_t kFunctionKeys = 24;

}  // namespace

uint32_t VirtualKeyNamed(const char* name) {
  if (!name || !*name) return 0;
  const char c = name[0];
  if (!name[1]) {
    if (c >= 'a' && c <= 'z') return uint32_t('A' + (c - 'a'));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return uint32_t(c);
    return 0;
  }
  if (std::strncmp(name, "KP_", 3) == 0 && name[3] >= '0' && name[3] <= '9' && !name[4])
    return uint32_t(kVkNumpad0 + (name[3] - '0'));
  if (c == 'F' && name[1] >= '1' && name[1] <= '9') {
    char* end = nullptr;
    const unsigned long number = std::strtoul(name + 1, &end, 10);
    return *end == 0 && number <= kFunctionKeys ? uint32_t(kVkF1 + number - 1) : 0;
  }
  for (const SKeyName& k : kKeyNames) {
    if (std::strcmp(k.name, name) == 0) return k.virtualKey;
  }
  return 0;
}

}  // namespace platform
