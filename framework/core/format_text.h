// Messages built from texts that may come from resources: only the expected directives are filled
// in, so a translated text with another directive can never read arguments that are not there.
#pragma once

#include <cstdint>
#include <string>

// Puts text in place of the first "%s" when text is given, *code, as a signed decimal, in place of
// the first "%d" when code is given, and *figure with two decimals in place of the first "%.2f"
// when figure is given; "%%" gives "%"; every other % sequence is copied as it stands.
std::string FormatText(const std::string& pattern, const char* text, const int32_t* code,
                       const double* figure = nullptr);
inline std::string FormatText(const std::string& pattern, int32_t code) { return FormatText(pattern, nullptr, &code); }
inline std::string FormatText(const std::string& pattern, double figure) {
  return FormatText(pattern, nullptr, nullptr, &figure);
}
