// Converting objects to another kind: the edit palette's "convert object" list names one of sixteen
// targets, and every selected object, and every member of a selected group at any depth, is replaced
// by a new object of that kind standing where the old one stood, with its transform, extent, flags,
// family and a copy of its material. The old objects are kept in one CConvertAction, so that the
// whole conversion is one undoable step.
#pragma once

#include <cstdint>

class C3dDocument;

// The targets in the order they are compared; the list window "convert object" shows an element of
// each name.
inline constexpr uint32_t kConversionTargetCount = 16;
inline constexpr const char* kConversionTargets[kConversionTargetCount] = {
    "convert to plane",       "convert to terrain",      "convert to stone",
    "convert to sym lattice", "convert to sphere",       "convert to torus",
    "convert to cylinder",    "convert to cube",         "convert to pyramid",
    "convert to cone",        "convert to disk",         "convert to square",
    "convert to radial light", "convert to spot light",  "convert to square spot light",
    "convert to parallel light",
};

// Converts the selection of the document's window to the target named, walking the window's object
// list from its last entry to its first. Objects already of the target kind, groups themselves and
// cameras are left as they are. The step is pushed onto the document's undo history when it replaced
// anything; new shapes then enter the scene table, and the window looks up its scene parts, tells the
// control palette and redraws. A name that matches no target converts nothing and records nothing.
// Answers 0; 1 when the object list cannot be locked; otherwise the first failing converter's code
// or the push's, the objects converted before it staying converted and undoable.
int32_t ConvertSelection(C3dDocument* document, const char* targetName);

// For tests: called before each new object is made with its family and class tags; a non-zero
// answer stands for the factory's failure. Null (the default) calls nothing.
using ConversionFactoryProbe = int32_t (*)(uint32_t familyTag, uint32_t classTag);
void SetConversionFactoryProbe(ConversionFactoryProbe probe);
