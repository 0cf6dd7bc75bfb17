// The readers of the entity records: one reading loop, driven by each kind's table of group codes.
#pragma once

#include <cstdint>

#include "plugins/dxf/dxf_records.h"

// Whether a keyword's token names an entity kind that has a record.
bool IsEntityKind(int32_t token);
// Reads the record that follows the keyword up to and including the next "0" line. A VERTEX takes
// its widths from owner when it gives none. Null when the import's error is set (the record is freed
// then).
SEntity* ReadEntityRecord(int32_t kind, const SPolylineRecord* owner);
// The record with its vertex or attribute list.
void FreeEntity(SEntity* entity);
void FreeEntityList(SList<SEntity>& list);

// The colour index the entity's polygons take: its own, its layer's for 256, its block's layer's for
// 0, else 7.
int32_t ResolveColour(const SEntity& entity);
