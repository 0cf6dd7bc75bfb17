#include "framework/core/format_text.h"

std::string FormatText(const std::string& pattern, const char* text, const int32_t* code) {
  std::string out;
  out.reserve(pattern.size() + 12);
  bool textFilled = text == nullptr;
  bool codeFilled = code == nullptr;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (c == '%' && next == '%') {
      out += '%';
      ++i;
    } else if (c == '%' && next == 'd' && !codeFilled) {
      out += std::to_string(*code);
      codeFilled = true;
      ++i;
    } else if (c == '%' && next == 's' && !textFilled) {
      out += text;
      textFilled = true;
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}
