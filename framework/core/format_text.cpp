#include "framework/core/format_text.h"

#include <cstdio>

namespace {

constexpr char kFigureDirective[] = "%.2f";
constexpr size_t kFigureDirectiveLength = sizeof kFigureDirective - 1;

// Sized first: a huge figure has hundreds of digits.
std::string TwoDecimals(double figure) {
  const int length = std::snprintf(nullptr, 0, "%.2f", figure);
  if (length <= 0) return {};
  std::string out(size_t(length) + 1, '\0');
  std::snprintf(out.data(), out.size(), "%.2f", figure);
  out.resize(size_t(length));
  return out;
}

}  // namespace

std::string FormatText(const std::string& pattern, const char* text, const int32_t* code, const double* figure) {
  std::string out;
  out.reserve(pattern.size() + 12);
  bool textFilled = text == nullptr;
  bool codeFilled = code == nullptr;
  bool figureFilled = figure == nullptr;
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
    } else if (c == '%' && !figureFilled && pattern.compare(i, kFigureDirectiveLength, kFigureDirective) == 0) {
      out += TwoDecimals(*figure);
      figureFilled = true;
      i += kFigureDirectiveLength - 1;
    } else {
      out += c;
    }
  }
  return out;
}
