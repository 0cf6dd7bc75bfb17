#include "panels/edit_family.h"

#include <cstdio>

#include "panels/layout_needs.h"
#include "scene/object_family.h"

namespace {

SFamilyRecord gFamilies[CEditFamily::kFamilyCount];

uint32_t TableColour(uint32_t family) { return CEditFamily::GetFamily(family).colour.value; }

}  // namespace

CEditFamily::CEditFamily(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditFamily) {
  InitFamilyTable(environment);
}

void CEditFamily::SetOwner(CDocWindow*) {}

void CEditFamily::InitFamilyTable(CResourceEnv*) {
  // The lookup answers the built-in colours while the table is being filled.
  SetFamilyColourLookup(nullptr);
  for (uint32_t i = 0; i < kFamilyCount; ++i) {
    SFamilyRecord& record = gFamilies[i];
    if (i == 0) std::snprintf(record.name, sizeof record.name, "Default family");
    else std::snprintf(record.name, sizeof record.name, "Family %ld", long(i));
    record.colour.value = FamilyColour(int32_t(i));
  }
  SetFamilyColourLookup(&TableColour);
}

SFamilyRecord& CEditFamily::GetFamily(uint32_t family) { return gFamilies[family < kFamilyCount ? family : 0]; }
