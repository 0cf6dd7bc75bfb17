// Interned names: one stored copy of every distinct text of the import, compared by content once.
#pragma once

#include "plugins/dxf/dxf_records.h"

// The stored copy of text (case-sensitive), stored now when new; null for an empty or absent text,
// and null with error 4 when memory runs out.
SName* InternName(const char* text);
// The name of an index that the polygon store keeps; null for -1.
SName* NameAt(int32_t index);
void FreeNames();
