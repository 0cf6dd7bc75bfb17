#include "panels/edit_family.h"

#include <cctype>
#include <cstdio>

#include "framework/core/c_string.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"
#include "scene/object_family.h"

namespace {

SFamilyRecord gFamilies[CEditFamily::kFamilyCount];

constexpr const char* kDefaultFamilyName = "Default family";
constexpr const char* kFamilyNameFormat = "Family %ld";

uint32_t TableColour(uint32_t family) { return CEditFamily::GetFamily(family).colour.value; }

// The name of family i by a format that IsFamilyNameFormat took: with "l" the number goes as a long.
void FormatName(char (&name)[SFamilyRecord::kNameBytes], const char* format, uint32_t i) {
  bool isLong = false;
  for (const char* c = format; *c; ++c) {
    if (*c != '%') continue;
    if (c[1] == '%') {
      ++c;
      continue;
    }
    while (std::isdigit(static_cast<unsigned char>(c[1]))) ++c;
    isLong = c[1] == 'l';
    break;
  }
  if (isLong) std::snprintf(name, sizeof name, format, long(i));
  else std::snprintf(name, sizeof name, format, int(i));
}

}  // namespace

CEditFamily::CEditFamily(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditFamily) {
  InitFamilyTable(environment);
}

void CEditFamily::SetOwner(CDocWindow*) {}

bool CEditFamily::IsFamilyNameFormat(const char* format) {
  if (!format) return false;
  uint32_t integers = 0;
  for (const char* c = format; *c; ++c) {
    if (*c != '%') continue;
    ++c;
    if (*c == '%') continue;
    // A width, never a flag.
    if (*c >= '1' && *c <= '9') {
      while (std::isdigit(static_cast<unsigned char>(*c))) ++c;
    }
    if (*c == 'l') ++c;
    if (*c != 'd' && *c != 'i' && *c != 'u') return false;
    ++integers;
  }
  return integers == 1;
}

void CEditFamily::InitFamilyTable(CResourceEnv* environment) {
  // The lookup answers the built-in colours while the table is being filled.
  SetFamilyColourLookup(nullptr);
  CIxTextLocal names(environment, need::kFamilyNames.name, CIxText::kNone);
  const bool listed = names.GetResult() == kNoErr;
  const uint32_t count = listed ? names.Count() : 0;
  const char* first = count > 0 ? names.TextAt(0) : kDefaultFamilyName;
  const char* format = count > 1 && IsFamilyNameFormat(names.TextAt(1)) ? names.TextAt(1) : kFamilyNameFormat;
  for (uint32_t i = 0; i < kFamilyCount; ++i) {
    SFamilyRecord& record = gFamilies[i];
    if (i == 0) CopyCString(record.name, first, sizeof record.name);
    else FormatName(record.name, format, i);
    record.colour.value = FamilyColour(int32_t(i));
  }
  SetFamilyColourLookup(&TableColour);
}

SFamilyRecord& CEditFamily::GetFamily(uint32_t family) { return gFamilies[family < kFamilyCount ? family : 0]; }
