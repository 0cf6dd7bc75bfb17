// Four-character codes: 32-bit tags written as four letters, first letter in the high byte.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t FourCC(const char (&s)[5]) {
  return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
         (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

inline std::string FourCCText(uint32_t code) {
  return {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}
