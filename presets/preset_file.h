// Preset library files: one resource composite file per category, holding for every preset an item,
// a preview and a description under one random id, and under their own keys the textures the item
// needs. These functions work on an open library and need no panel; the panels, the document window's
// preset materials and tools/quarn2-presets all store and read through them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/file_spec.h"

class C3dBase;
class CBaseTexture;
class C3dBaseSys;
class C3dMaterial;
class CImage;
class CResourceEnv;
class CResTypeTable;
class CSpoolSys;

namespace preset {

constexpr const char* kMaterialItemType = "C3dBaseMaterial";
constexpr const char* kObjectItemType = "objpreset";
constexpr const char* kMaterialPreviewType = "matprevcimage";
constexpr const char* kObjectPreviewType = "objprevcimage";
// A preset table entry's selection flag: the word at offset 44, the first of the entry's four.
constexpr uint32_t kSelectionWord = 0;
// Free-chunk bytes above which closing a library compacts it.
constexpr uint32_t kCompactThreshold = 0x100000;

}  // namespace preset

// Whether closing a library compacts it: more than 1 MiB in free chunks, or any free byte with Ctrl
// and Alt held; never when the usage could not be read.
bool IsCompactionDue(bool usageRead, uint32_t freeBytes, bool ctrl, bool alt);

// One category's library. The resource environment works on a copy made beside the category file,
// so that the file itself is only ever replaced whole: closing renames the copy over it when anything
// was written or the file is new, and deletes the copy otherwise.
class CPresetLibraryFile {
 public:
  CPresetLibraryFile() = default;
  CPresetLibraryFile(const CPresetLibraryFile&) = delete;
  CPresetLibraryFile& operator=(const CPresetLibraryFile&) = delete;
  // Closes without compaction.
  ~CPresetLibraryFile();

  // Opens the library of the category file (a new empty one when the file is missing): 0, or the
  // copy's or the environment's code (100 when the file is not a composite file). A failure leaves
  // nothing open.
  int32_t Open(const CFileSpec& file);
  // Closes the environment, compacting the copy first when allowed and due, and puts the copy in
  // place: 0, or the rename's code, the category file then intact.
  int32_t Close(bool compactAllowed);

  bool IsOpen() const { return fLibrary != nullptr; }
  CResourceEnv* GetLibrary() const { return fLibrary; }
  const std::string& GetPath() const { return fPath; }
  // Something was written since the library opened: the copy replaces the file on closing.
  void MarkWritten() { fWritten = true; }
  bool IsWritten() const { return fWritten; }

 private:
  CResourceEnv* fLibrary = nullptr;
  std::string fPath;
  std::string fCopyPath;
  bool fWritten = false;
  bool fNew = false;
};

// ---- resources of a library

// The library holds {type, id}.
bool IsInLibrary(CResourceEnv* library, const char* type, uint32_t id);
// {type, id} leaves the library; one in use stays.
void DeleteFromLibrary(CResourceEnv* library, const char* type, uint32_t id);
// The stored readers' checks of an environment: 15 when it is missing or not usable, 14 when it is
// not a resource environment, else 0.
int32_t CheckLibrary(CSpoolSys* environment);

// The ids of the library's table of the type, in table order: 0 (none for a library without the
// type), or the code of locking the table.
int32_t PresetTableIds(CResourceEnv* library, const char* type, std::vector<uint32_t>* ids);

// ---- reading

// The stored material {"C3dBaseMaterial", id}, detached into the working environment under
// {"C3dBaseMaterial", 0}; the caller owns it. 15 for a closed library, 14 for a spool environment that
// is not a resource environment, 16 for one of another spool system, else the read's code.
int32_t ReadStoredMaterial(CSpoolSys* library, uint32_t id, C3dMaterial** out);
// The library's material preset at a table index into target: its record, and the textures its
// channels name copied out of the library into the scene table (when given; else kept by target's
// own counts). 6 for no library, 0 for an empty one, the read's code when the record cannot be read.
// *id gets the preset's id.
int32_t LoadMaterialPreset(CResourceEnv* library, CResTypeTable* table, uint32_t index, C3dMaterial* target,
                           C3dBaseSys* scene, uint32_t* id);

// ---- storing

// Stores a thing under its own key (or under the type name given) in the environment, writing over
// what is there, and attaches it back where it was: 0 or the failing code.
int32_t StoreObjectInEnvironment(C3dBase* thing, CResourceEnv* environment, const char* typeName = nullptr);
// A new random id for the type: non-zero and absent from the library.
uint32_t DrawFreeId(CResourceEnv* library, const char* type);
// The material with its channel textures: the textures as copies under ids free in the library (with
// a picture texture's picture), then the material naming them. With new ids allowed a clash of the
// material's id draws a new one, which the material keeps; otherwise the stored one is written over.
// 14 for a channel texture of a class the library cannot store; else 0 or the first failing code.
int32_t StoreMaterialItem(C3dMaterial* material, CResourceEnv* library, bool newIds);
// A copy of the procedural or picture texture stored under an id free in the library (a picture's
// picture under the same id); *stored gets the copy, which the caller owns. 14 for another class.
int32_t StoreTextureCopy(CBaseTexture* texture, CResourceEnv* library, CBaseTexture** stored);
// A 32-bit copy of the preview under {type, id}: 0 or the code.
int32_t StorePreview(CResourceEnv* library, const char* type, uint32_t id, CImage* preview);
// The stored preview {type, id} scaled into the rectangle of the image: 0 or the read's code.
int32_t DrawStoredPreview(CResourceEnv* library, const char* type, uint32_t id, CImage* into);

// ---- copies between libraries (the import)

// The preview and the description of the preset sourceId in the source library, under targetId in
// the target: each one that cannot be copied is left out. 0.
int32_t CopyPreviewAndDescription(CResourceEnv* source, CResourceEnv* target, const char* previewType,
                                  const char* descriptionType, uint32_t sourceId, uint32_t targetId);
// Each texture the material's channels name, copied from the source library into the target under an
// id free there, the material's record naming the new ids. 0, or the first copy's code.
int32_t CopyTextures(C3dMaterial* material, CResourceEnv* source, CResourceEnv* target);

// ---- the table

// Moves the entry of the id to the index: 0, 6 when no entry has the id, 16 when the index is not
// below the count. The table is locked by the caller.
int32_t MoveTableEntry(CResTypeTable* table, uint32_t id, uint32_t index);

// ---- deleting

// Deletes the material preset's item, preview and description, and the textures no other stored
// material names. Each resource that cannot be deleted stays; answers the read's code.
int32_t DeleteMaterialPreset(CResourceEnv* library, uint32_t id);
// The material's channel textures that no other stored material names leave the library.
int32_t DeleteMaterialTextures(C3dMaterial* material, CResourceEnv* library);
// No stored material but the one of materialId names the texture {classTag, textureId}.
bool IsTextureUnusedElsewhere(uint32_t materialId, uint32_t classTag, uint32_t textureId, CResourceEnv* library);

// ---- object presets
class C3dGroup;
class C3dObject;

// The group {"objpreset", id} read into the table with its members, their materials and textures,
// linked: 0 and the group, or the read's code with nothing left in the table.
int32_t ReadStoredGroup(CResourceEnv* library, uint32_t id, C3dBaseSys* table, C3dGroup** out);
// New random ids for every object of the tree that is not a group and for its material, while an id
// is 0, held in the library under the thing's type, or held in the thing's own table by another
// thing of its family and class; groups keep theirs. 0 or a lock's code.
int32_t RenewObjectIds(C3dObject* object, CResourceEnv* library);
// The tree depth first into the library: each object's material before the object, a group's
// members before the group, each under its own type name but the outermost, which goes under ownType
// when one is given. 0 or the first failing code.
int32_t StoreObjectTree(C3dObject* object, CResourceEnv* library, const char* ownType = nullptr);
// The object as one object preset: wrapped in a new group under a free "objpreset" id, its ids
// renewed, its tree stored, and taken out of the wrapper again (which goes). *id gets the wrapper's
// id. The tree store's code, nothing set then.
int32_t StoreObjectPresetItem(C3dObject* object, CResourceEnv* library, uint32_t* id);
// The stored tree of the group (members, their materials with the textures no other stored material
// names) leaves the library; the group's own resource stays for the caller. 0 or the read's code.
int32_t DeleteObjectTree(CResourceEnv* library, uint32_t id);
