#include "framework/core/char_set.h"

namespace {

struct SCharPair {
  uint8_t mac;
  uint8_t ansi;
};

// The first matching pair wins in either direction. Pairs 26, 27 and 35 differ from the standard
// tables on purpose: stored preset texts were written through them.
constexpr SCharPair kPairs[35] = {
    {0x88, 0xE0}, {0x87, 0xE1}, {0x89, 0xE2}, {0x8F, 0xE8}, {0x8F, 0xE8}, {0x8E, 0xE9}, {0x90, 0xEA},
    {0x94, 0xEE}, {0x97, 0xF3}, {0x99, 0xF4}, {0x9C, 0xFA}, {0x9E, 0xFB}, {0x8D, 0xE7}, {0x80, 0xC4},
    {0xE8, 0xCB}, {0x86, 0xDC}, {0x85, 0xD6}, {0xA7, 0xDF}, {0x8A, 0xE4}, {0x91, 0xEB}, {0x9A, 0xF6},
    {0x9F, 0xFC}, {0x82, 0xC7}, {0x95, 0xEF}, {0x9D, 0xF9}, {0xA5, 0x2A}, {0xE3, 0x60}, {0xC7, 0xAB},
    {0xC8, 0xBB}, {0xA1, 0xB0}, {0x8F, 0xE8}, {0xD5, 0x92}, {0xD2, 0x93}, {0xD3, 0x94}, {0xA7, 0xFF},
};

void Convert(char* destination, const char* source, uint8_t (*convert)(uint8_t)) {
  if (!source) return;
  do {
    *destination++ = char(convert(uint8_t(*source)));
  } while (*source++);
}

}  // namespace

uint8_t MacRomanToAnsiByte(uint8_t mac) {
  for (const SCharPair& pair : kPairs) {
    if (pair.mac == mac) return pair.ansi;
  }
  return mac;
}

uint8_t AnsiToMacRomanByte(uint8_t ansi) {
  for (const SCharPair& pair : kPairs) {
    if (pair.ansi == ansi) return pair.mac;
  }
  return ansi;
}

void MacRomanToAnsi(char* destination, const char* source) {
  Convert(destination, source, MacRomanToAnsiByte);
}

void AnsiToMacRoman(char* destination, const char* source) {
  Convert(destination, source, AnsiToMacRomanByte);
}

std::string MacRomanToAnsi(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = char(MacRomanToAnsiByte(uint8_t(c)));
  return out;
}

std::string AnsiToMacRoman(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = char(AnsiToMacRomanByte(uint8_t(c)));
  return out;
}
