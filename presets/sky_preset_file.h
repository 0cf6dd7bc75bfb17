// Sky presets in a preset library: per preset the sky {"C3dBaseSky", N}, the sun light that lit it
// {"C3dSunLight", N}, its preview and description, and the cloud textures its two layers name under
// ids of their own. Every store draws fresh ids, so no two presets share anything. Functions over an
// open library, as the material and object ones are; the sky panel, the import and
// tools/quarn2-presets all go through them.
#pragma once

#include <cstdint>

class C3dSky;
class C3dSunLight;
class CResourceEnv;
class CResTypeTable;
class CSpoolSys;

namespace preset {

constexpr const char* kSkyItemType = "C3dBaseSky";
constexpr const char* kSunLightType = "C3dSunLight";
constexpr const char* kSkyPreviewType = "skyprevcimage";
// The state flags a loaded sun carries, and only these.
constexpr uint32_t kLoadedSunStateFlags = 0x100 | 0x400;

}  // namespace preset

// The stored sky or sun light of the id, detached into the working environment; the caller owns it.
// 15 for a missing or unusable environment, 14 for one that is no resource environment, 9 without
// memory, 13 when the new object is not usable, 2 for a record too short, else the read's code.
int32_t LoadStoredSky(CSpoolSys* library, uint32_t id, C3dSky** out);
int32_t LoadStoredSunLight(CSpoolSys* library, uint32_t id, C3dSunLight** out);

// The sky with copies of its cloud textures (each under an id free in the library) and the sun light
// under one new id N free for both the sky and the sun light; the sky then carries N. 0, or the first
// failing code with nothing of the preset left in the library and the sky as it was.
int32_t StoreSkyItem(C3dSky* sky, C3dSunLight* sun, CResourceEnv* library);

// The preset at the table index into the sky (its settings part and cloud textures; its name stays)
// and its stored sun light into the sun, whose state flags become kLoadedSunStateFlags. *id gets the
// preset's id. 6 without a library; a sky that cannot be read still loads the sun light; a cloud
// texture that cannot be read ends the load there (0); 9 when the sun cannot be locked.
int32_t LoadSkyPreset(CResourceEnv* library, CResTypeTable* table, uint32_t index, C3dSky* sky, C3dSunLight* sun,
                      uint32_t* id);

// The preset's sky, sun light, preview, description and the cloud textures the stored sky names
// (with a picture texture's picture) leave the library; all but the textures go even when the sky
// cannot be read. The read's code.
int32_t DeleteSkyPreset(CResourceEnv* library, uint32_t id);

// Every sky preset of the source appended to the target under new ids, with new texture ids, its
// preview and its description, from the source's last entry to its first; a preset that cannot be
// copied is left out. 0 (also for a source without skies), 6 without a target, or the code of
// locking the source's table.
int32_t CopySkyPresetsFrom(CResourceEnv* source, CResourceEnv* target);
