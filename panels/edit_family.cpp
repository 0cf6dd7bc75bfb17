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

// How a format from a data file takes the family's number: it is used only with exactly one integer
// conversion (%d, %i or %u, with "l" a long, at most a width before it) and no conversion beside it
// but %%.
enum class ENameFormat { kRefused, kInt, kLong };

ENameFormat NameFormatOf(const char* format) {
  if (!format) return ENameFormat::kRefused;
  ENameFormat found = ENameFormat::kRefused;
  for (const char* c = format; *c; ++c) {
    if (*c != '%') continue;
    ++c;
    if (*c == '%') continue;
    // A width, never a flag.
    if (*c >= '1' && *c <= '9') {
      while (std::isdigit(static_cast<unsigned char>(*c))) ++c;
    }
    const bool isLong = *c == 'l';
    if (isLong) ++c;
    if ((*c != 'd' && *c != 'i' && *c != 'u') || found != ENameFormat::kRefused) return ENameFormat::kRefused;
    found = isLong ? ENameFormat::kLong : ENameFormat::kInt;
  }
  return found;
}

}  // namespace

CEditFamily::CEditFamily(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditFamily) {
  InitFamilyTable(environment);
}

void CEditFamily::SetOwner(CDocWindow*) {}

void CEditFamily::InitFamilyTable(CResourceEnv* environment) {
  // The lookup answers the built-in colours while the table is being filled.
  SetFamilyColourLookup(nullptr);
  CIxTextLocal names(environment, need::kFamilyNames.name, CIxText::kNone);
  const bool listed = names.GetResult() == kNoErr;
  const uint32_t count = listed ? names.Count() : 0;
  const char* first = count > 0 ? names.TextAt(0) : kDefaultFamilyName;
  const char* format = count > 1 ? names.TextAt(1) : kFamilyNameFormat;
  ENameFormat kind = NameFormatOf(format);
  if (kind == ENameFormat::kRefused) {
    format = kFamilyNameFormat;
    kind = ENameFormat::kLong;
  }
  for (uint32_t i = 0; i < kFamilyCount; ++i) {
    SFamilyRecord& record = gFamilies[i];
    if (i == 0) CopyCString(record.name, first, sizeof record.name);
    else if (kind == ENameFormat::kLong) std::snprintf(record.name, sizeof record.name, format, long(i));
    else std::snprintf(record.name, sizeof record.name, format, int(i));
    record.colour.value = FamilyColour(int32_t(i));
  }
  SetFamilyColourLookup(&TableColour);
}

SFamilyRecord& CEditFamily::GetFamily(uint32_t family) { return gFamilies[family < kFamilyCount ? family : 0]; }
