// The class table of the metafile library: for each class its code, its name and how its fields are
// read. A class's fields follow either a layout of fixed fields or a read handler of its own that
// checks its counts.
#pragma once

#include <cstdint>

#include "plugins/3dmf/metafile_context.h"

class CFieldReader;
using FReadHandler = void (*)(CFieldReader&);

struct SClassEntry {
  uint32_t code;
  const char* name;  // none for the unknown row
  FReadHandler read;   // none: the layout alone
  // One letter a field: h Uns16, u Uns32, i Int32, f Float32, 2, 3, 4, 9 and m that many Float32 (m
  // 16) as one field, b Boolean, e the table's enumeration, g the table's flags, s String.
  const char* layout;
  const SEnumEntry* table;
};

// Rows of the table by name, case-insensitively, or by code; anything else the unknown row with
// 12007. A name "-n" is the user class n: the unknown row with code -n, or 12007 when n is not
// negative. Negative codes are user classes too and answer 0.
int32_t FindClassByName(const char* name, SObjectStart* start);
int32_t FindClassByCode(int32_t code, SObjectStart* start);
// The same, where a class the table does not know is no failure: it is read as an unknown object,
// with the code of a user class that a Type object named. Only a name "-n" with n not negative fails.
int32_t LookUpClassName(const SMetafileFile& file, const char* name, SObjectStart* start);
int32_t LookUpClassCode(int32_t code, SObjectStart* start);
bool IsUnknownClass(const SClassEntry* entry);

// Reads the fields of the object whose class begin-object found into the record; the first failure
// of a read or of a count's check.
int32_t ReadClassFields(MetafileContext& context, const SObjectStart& start, MetafileObject& object);
