#include "platform/ansi_text.h"

#include <cstdint>

namespace platform {
namespace {

// Code points of 0x80-0x9F; 0 where Windows-1252 leaves the byte undefined.
constexpr uint16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

uint32_t CodePoint(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80] ? kHigh[c - 0x80] : 0xFFFD;
  return c;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

char AnsiOf(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp < 0x100)) return char(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == cp) return char(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (unsigned char c : ansi) AppendUtf8(out, CodePoint(c));
  return out;
}

std::string Utf8ToAnsi(const std::string& utf8, bool* exact) {
  std::string out;
  if (exact) *exact = true;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + size_t(length) > utf8.size()) {
      if (exact) *exact = false;
      out += '?';
      ++i;
      continue;
    }
    uint32_t cp = length == 1 ? c : c & (0x7F >> length);
    bool ok = true;
    for (int k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(utf8[i + size_t(k)]);
      ok = ok && (next >> 6) == 2;
      cp = (cp << 6) | (next & 0x3F);
    }
    const char mapped = ok ? AnsiOf(cp) : '?';
    if (exact && mapped == '?' && (!ok || cp != '?')) *exact = false;
    out += mapped;
    i += ok ? size_t(length) : 1;
  }
  return out;
}

}  // namespace platform
