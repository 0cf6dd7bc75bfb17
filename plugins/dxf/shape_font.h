// Shape fonts: ".shp" files in their source text form, read whole at their first use in an import and
// kept until it ends. A font keeps its definitions in file order, so that looking a shape up answers
// exactly what reading the file from its start up to that shape would.
#pragma once

#include <cstddef>
#include <cstdint>

struct SName;

// What looking a shape up, or running it, can answer.
enum EShapeCode : int32_t {
  kShapeDrawn = 0,
  kShapeNoFile = 1,
  kShapeBadFont = 2,  // a bad header, an unreadable item, or a definition that cannot be run
  kShapeCut = 3,      // the file ends inside the definition
  kShapeNoMemory = 4,
  kShapeMissing = 5,
  kShapeTooManyStrokes = 6,  // more than one entity's store could take
};

struct SShapeFont;

// A definition found: its items, and the header values met before it (0 when no header came first).
struct SShapeDefinition {
  const int32_t* items;
  int32_t count;
  int32_t above;
  int32_t below;
  bool overfull;  // its lines held more items than its byte count: it is not run
};

enum EShapeItem : int32_t { kItemEmpty, kItemNumber, kItemUnreadable };

// One item of a shape file: "(" and ")" and surrounding blanks are dropped, at most the first 4
// characters count, and a leading "0", "-0" or "+0" of an item longer than one character makes it
// hexadecimal.
EShapeItem ReadShapeItem(const char* text, size_t length, int32_t* value);

// Reads the font at path: kShapeDrawn with *font set, kShapeNoFile or kShapeNoMemory.
int32_t ReadShapeFont(const char* path, SShapeFont** font);
void FreeShapeFont(SShapeFont* font);

// The definition of shape number: kShapeDrawn, or the code that reading up to it gives.
int32_t FindShape(const SShapeFont& font, int32_t number, SShapeDefinition* definition);
// The number of the first shape of that exact name, 0 when none has it.
int32_t FindShapeByName(const SShapeFont& font, const char* name);

// The import's font of that name, read from the drawing's folder at its first use: name + ".shp", or
// a file whose name differs from it only in case. Null with *code 1 when there is none (or the name
// holds a folder), null with *code 4 when memory runs out.
const SShapeFont* ImportFont(const SName* name, int32_t* code);
// Frees the import's fonts.
void FreeImportFonts();
