// The document reader: brings the things of a scene document into a scene table, class by class or
// one by key, and links the table. Things keep the ids they were stored with; one whose id the table
// holds already gets a fresh id, and references to the old id of its family and class follow it. The
// link step binds references in the reading direction (objects' and lights' materials, the materials'
// and the sky's textures, the groups' members) for every thing of the table, relinks the groups and
// prepares the objects. A thing the table held before the read looks its references up by their own
// ids and keeps a link whose reference finds nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/dyn_table.h"

struct CResEntry;
struct SDocumentClass;
class C3dBase;
class C3dBaseSys;
class C3dGroup;
class C3dMaterial;
class C3dObject;
class C3dSky;
class C3dTriangleMesh;
class CResourceEnv;
class CResTypeTable;
class CSpoolSys;

class CDocumentReader {
 public:
  CDocumentReader(C3dBaseSys* table, CResourceEnv* document);
  CDocumentReader(const CDocumentReader&) = delete;
  CDocumentReader& operator=(const CDocumentReader&) = delete;

  // The classes of the mode (0 everything, 1 all but the cameras, 2 textures, pictures, materials,
  // sky and sun) in reading order, each step under its progress title; the first failure ends the
  // read, and what was read stays in the table.
  int32_t ReadAll(uint32_t mode);
  // Every record of one class; of two rows with one id only the later is read. No type table: 0.
  int32_t ReadClass(const SDocumentClass& cls);
  // The record of that id (the later of two rows), entered in the table: 0, the environment's code
  // for a type the document lacks, 6 for an id it lacks.
  int32_t ReadKeyed(const SDocumentClass& cls, uint32_t id, C3dBase** out);
  // An object or light (not the sun) by key, with what it needs: an object's or light's materials and
  // their textures unless the table has them (a mesh's also those its faces name), a group's members.
  // 6 for any other family or class.
  int32_t ReadByKey(uint32_t family, uint32_t classTag, uint32_t id, C3dBase** out);
  // Reads the group's members by key; the link step makes them its members. 2 for a group met again
  // among its own members.
  int32_t ReadGroupMembers(C3dGroup* group);

  // The reference pass over every thing of the table, then the groups relinked and the objects
  // prepared. 2 for a group that contains itself, directly or further down, and for a thing that two
  // groups (or one group twice) list.
  int32_t Link();

 private:
  struct SIdRemap {
    uint32_t family;
    uint32_t classTag;
    uint32_t from;
    uint32_t to;
  };
  struct SMemberRef {
    C3dGroup* group;
    uint32_t family;
    uint32_t classTag;
    uint32_t id;
  };

  // The record of the row (at index in its type's table) read and entered; groups note their member
  // references first.
  int32_t ReadRow(const SDocumentClass& cls, const CResEntry& row, uint32_t index, C3dBase** out);
  int32_t Enter(C3dBase* thing);
  // Notes a material just entered whose record names no texture, which the link step then passes by;
  // one it cannot look into is left to the link step.
  void NoteUnbound(C3dBase* thing);
  int32_t NoteMembers(C3dGroup* group);
  bool HasMembersNoted(const C3dGroup* group) const;
  int32_t ReadKeyedOnce(uint32_t family, uint32_t classTag, uint32_t id, C3dBase** read);
  int32_t ReadMaterialByKey(uint32_t classTag, uint32_t id);
  int32_t ReadObjectMaterials(C3dObject* object);
  int32_t ReadFaceMaterials(C3dTriangleMesh* mesh);

  // The thing of the table that a reference names; a reference of a thing this reader read goes
  // through the ids changed on entry. 0, 6 when the table lacks it (or the id is 0), or the table's
  // lock error.
  int32_t Find(uint32_t family, uint32_t classTag, uint32_t id, C3dBase** out, bool readHere = true);
  uint32_t MappedId(uint32_t family, uint32_t classTag, uint32_t id) const;
  int32_t DefaultMaterial(C3dMaterial** out);
  // readHere: the thing is one this reader read, not one the table held before.
  int32_t BindThing(C3dBase* thing, bool readHere);
  int32_t BindObject(C3dObject* object, bool readHere);
  int32_t BindMaterial(C3dMaterial* material, bool readHere);
  int32_t BindSky(C3dSky* sky, bool readHere);
  int32_t LinkGroups();
  int32_t CheckGroupCycles();

  C3dBaseSys* fTable;
  CResourceEnv* fDocument;
  CSpoolSys* fWorking;
  uint32_t fFirstRow;
  C3dMaterial* fDefaultMaterial = nullptr;
  CDynTable<SIdRemap> fRemaps;
  CDynTable<SMemberRef> fMembers;
  // The stored ids of the groups whose members are being read by key.
  CDynTable<uint32_t> fExpanding;
  // By row from fFirstRow, the things read here with nothing to bind, noted while they were still in
  // the cache: binding them would fetch each record from memory again only to find no reference.
  std::vector<const C3dBase*> fUnbound;
  int32_t fResult = 0;
};
