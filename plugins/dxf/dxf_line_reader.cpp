#include "plugins/dxf/dxf_line_reader.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "plugins/dxf/dxf_errors.h"
#include "plugins/dxf/dxf_tokens.h"

namespace {

constexpr int32_t kMostCharacters = kLineBufferBytes - 1;
constexpr int64_t kProgressStep = 100;

constexpr bool IsLeadingSpace(int c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

void ReportLine(SLineReader& reader) {
  if (!reader.progress) return;
  if (reader.position % kProgressStep != 0 && reader.position <= reader.size - kProgressStep) return;
  const auto clamp = [](int64_t value) { return int32_t(value < INT32_MAX ? value : INT32_MAX); };
  if (reader.progress(reader.progressText, clamp(reader.position), clamp(reader.size)) != 0 && reader.error &&
      *reader.error == kDxfFine)
    *reader.error = kDxfCancelled;
}

void Fail(SLineReader& reader, int32_t code) {
  if (reader.error && *reader.error == kDxfFine) *reader.error = code;
}

}  // namespace

bool ReadLine(SLineReader& reader) {
  int32_t taken = 0, stored = 0;
  while (taken < kMostCharacters) {
    const int c = std::getc(reader.file);
    if (c == EOF) {
      if (stored > 0) break;
      Fail(reader, std::ferror(reader.file) ? kDxfReadError : kDxfEndOfFile);
      reader.line[0] = '\0';
      return false;
    }
    ++reader.position;
    if (reader.afterCarriageReturn) {
      reader.afterCarriageReturn = false;
      if (c == '\n') continue;
    }
    ++taken;
    if (c == '\r' || c == '\n') {
      reader.line[stored++] = '\n';
      reader.afterCarriageReturn = c == '\r';
      break;
    }
    if (stored == 0 && IsLeadingSpace(c)) continue;
    reader.line[stored++] = char(c);
  }
  reader.line[stored] = '\0';
  ReportLine(reader);
  return true;
}

const char* NextToken(SLineReader& reader) {
  if (!ReadLine(reader)) return "BADTAG";
  const size_t length = std::strlen(reader.line);
  if (length > 0 && reader.line[length - 1] == '\n') reader.line[length - 1] = '\0';
  return reader.line;
}

int32_t NextTokenClass(SLineReader& reader) { return Classify(NextToken(reader)); }

double ParseReal(const char* text) {
  if (*text == '+') ++text;
  double value = 0;
  const size_t length = std::strlen(text);
  if (std::from_chars(text, text + length, value).ec != std::errc() || !std::isfinite(value)) return 0;
  return value;
}

int32_t ParseInteger(const char* text) {
  if (*text == '+') ++text;
  int64_t value = 0;
  const size_t length = std::strlen(text);
  const auto [end, error] = std::from_chars(text, text + length, value);
  if (error == std::errc::result_out_of_range) return *text == '-' ? INT32_MIN : INT32_MAX;
  if (error != std::errc()) return 0;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return int32_t(value);
}
