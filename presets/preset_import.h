// Importing presets into an open library: from another preset file (any resource composite file,
// a current-version scene document included), each preset under a new id with its textures, preview
// and description; or from a scene document of the earlier version, whose materials, top-level
// objects or skies each become a preset with the proposed name, an empty description and a white
// preview.
#pragma once

#include <cstdint>
#include <string>

class CIxText;
class CResourceEnv;

namespace preset {

// What the import's file dialog offers when the panel's list cannot be read.
constexpr const char kMaterialFilter[] = "Material presets(*.shd)\0*.shd\0All files(*.*)\0*.*\0";
constexpr const char kObjectFilter[] = "Object presets(*.obj)\0*.obj\0All files(*.*)\0*.*\0";
constexpr const char kSkyFilter[] = "Quarn files(*.sky)\0*.sky\0All files(*.*)\0*.*\0";

}  // namespace preset

// The open dialog's filter: the list's entries, each ending with a zero byte, and one more zero; the
// built-in one (with its final zero) when the list cannot be read or is empty.
std::string ImportFilter(CIxText* list, const char* builtIn, size_t builtInSize);

// Every material preset of the source appended to the target under new ids (never one the target
// holds), with its textures under new ids, its preview and its description, from the source's last
// entry to its first; one that cannot be copied is left out. 0 (also for a source without
// materials), 6 without a target, or the code of locking the source's table.
int32_t CopyMaterialPresetsFrom(CResourceEnv* source, CResourceEnv* target);
// Every object preset of the source appended likewise, its tree under ids free in the target. 0,
// 6 without a target, or the first failing code, the presets before it staying.
int32_t CopyObjectPresetsFrom(CResourceEnv* source, CResourceEnv* target);
