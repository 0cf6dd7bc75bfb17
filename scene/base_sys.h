// The scene object table: every scene thing of a document (objects, lights, camera, sky, materials,
// textures) in 32-byte rows. Factories enter new things here, the document reader fills it, the
// renderer and the editor search and collect from it; a thing belongs to at most one table, which
// gives it its id and deletes it with itself.
#pragma once

#include <cstdint>

#include "framework/core/dyn_table.h"
#include "framework/core/four_cc.h"
#include "framework/core/id_index.h"
#include "framework/core/spool_table.h"

class C3dBase;
class C3dBaseSpoolTable;
class CResourceEnv;

struct C3dBaseSysEntry {
  C3dBase* object = nullptr;
  uint32_t second = 0;
  // Rows are ordered by it before a name search.
  int32_t sortKey = 0;
  uint32_t fourth = 0;
  uint8_t zeros[12] = {};
};

// A pointer-wide first field keeps the 32-byte row that stored table headers check.
static_assert(sizeof(C3dBaseSysEntry) == 32);

class C3dBaseSys : public CSpoolDynTable<C3dBaseSysEntry> {
 public:
  static constexpr int32_t kDefaultSortKey = 0x3FFFFFFF;
  static constexpr int32_t kDefaultGrowthStep = 32;
  static constexpr uint32_t kObjectFamily = FourCC("3dob");

  explicit C3dBaseSys(CSpoolSys* environment, int32_t growthStep = kDefaultGrowthStep);
  // Removes every row, deleting its thing, without shrinking.
  ~C3dBaseSys() override;

  // 15 when the thing already belongs to a table, 12 when the rows cannot grow, else the table's lock
  // error or OnObjectAdded's answer.
  int32_t AddObject(C3dBase* object, int32_t sortKey = kDefaultSortKey, uint32_t second = 0, uint32_t fourth = 0);
  // 6 when the thing has no row.
  int32_t RemoveObject(C3dBase* object, bool deleteObject, bool shrink);
  // Rows by index, from the last to the first; stops after the first refusal.
  virtual int32_t RemoveRows(const CDynTable<uint32_t>& rows, bool deleteObject, bool shrink);
  int32_t RemoveAll(bool deleteObject, bool shrink);
  // The deletion step of RemoveAll for one thing, whose row is already gone.
  void DeleteObject(C3dBase* object);

  // The first thing of the family and class whose record name equals name, rows sorted by key first.
  int32_t FindObject(const char* name, uint32_t family, uint32_t classTag, C3dBase** out);
  int32_t CountByTags(uint32_t family, uint32_t classTag, uint32_t* count);
  // Fill list (emptied first unless append) with the things of a family in row order.
  int32_t CollectByType(uint32_t family, C3dBaseSpoolTable* list, bool append);
  int32_t CollectByTypeAndKind(uint32_t family, uint32_t classTag, C3dBaseSpoolTable* list, bool append);
  int32_t CollectByTypeExcept(uint32_t family, C3dBaseSpoolTable* list, uint32_t exceptFamily,
                              uint32_t exceptClass, bool append);

  // Ids: counted from 1, never 0, never one that a thing in the table holds.
  uint32_t TakeNewId();
  // A thing arrived with its own id: later new ids lie above it.
  void NoteId(uint32_t id);
  bool HasId(uint32_t id);

  // Class wireframe meshes of every drawing class, in the fixed class order.
  static int32_t RegisterAllClasses();
  static int32_t UnregisterAllClasses();
  static int32_t ResetAllClasses(uint32_t detail0, uint32_t detail1, uint32_t detail2);

  // The thing in row `row`; 16 unless row < count.
  int32_t GetObjectAt(uint32_t row, C3dBase** out);
  // The first thing in row order with the family, class and id: 0, 6 when there is none.
  int32_t FindByKey(uint32_t family, uint32_t classTag, uint32_t id, C3dBase** out);
  // The same for a family of any class: 0, 6 when there is none, or the table's lock error.
  int32_t FindByTagAndId(uint32_t family, uint32_t id, C3dBase** out);

  // Sharing. ReleaseShared drops one use of a thing shared through its resource environment's use
  // table: the last use removes the row and deletes the thing; either way the pointer is cleared. 17
  // while the thing is locked, 16 without a usable environment, 14 for an environment that shares
  // nothing, 6 when the thing is not in the use table.
  static int32_t ReleaseShared(C3dBase*& thing);
  // Gives up one use of a texture: a shared one through ReleaseShared, any other on its own count
  // (deleted with its last use).
  int32_t ReleaseTextureUse(C3dBase* texture, uint32_t zero);

  // Moving. TransferObject takes the thing out of the table that owns it into target (0 at once when
  // target owns it already); MoveAllTo moves every thing, from the last row to the first, with fresh
  // ids when renumber is set. A thing whose id the target holds already gets a fresh one; a thing
  // the target refuses goes back where it was, and the refusal is the answer.
  int32_t TransferObject(C3dBase* thing, C3dBaseSys* target);
  int32_t MoveAllTo(C3dBaseSys* target, bool renumber);
  // Prepares every placed object ('3dob') for rendering, stopping at the first error.
  int32_t PrepareObjects();

  // Documents (document/): reading a whole document (mode 0 everything, 1 all but the cameras, 2
  // only textures, pictures, materials, sky and sun) and one thing by key, each followed by the link
  // step; writing every thing, or one.
  int32_t ReadDocument(CResourceEnv* document, uint32_t mode);
  int32_t ReadObjectByKey(uint32_t family, uint32_t classTag, uint32_t id, C3dBase** out, CResourceEnv* document);
  int32_t ReadGroupMembers(C3dBase* group, CResourceEnv* document);
  int32_t WriteDocument(CResourceEnv* document);
  // typeName: the key's type name when not the thing's own (a preset library's outermost group).
  int32_t WriteObject(C3dBase* thing, CResourceEnv* document, const char* typeName = nullptr);
  // Every material of the table that holds the old texture holds the new one instead, giving back
  // the use it counted of the old one.
  int32_t UpdateMaterialUse(C3dBase* oldTexture, C3dBase* newTexture);

 protected:
  virtual int32_t OnObjectAdded(C3dBase* object);
  virtual int32_t OnObjectRemoved(C3dBase* object);

 private:
  // Row of the thing, or the count when it has none; the table must be locked.
  uint32_t RowOf(const C3dBase* object) const;
  static int32_t ReleaseStoredOrDelete(C3dBase* thing);
  // A thing just taken out of this table entered in target with its row's values; refused, it comes
  // back here.
  int32_t EnterMoved(C3dBase* thing, const C3dBaseSysEntry& row, C3dBaseSys* target, bool renumber);
  void Shrink();
  void SortByKey();
  template <typename Match>
  int32_t Collect(C3dBaseSpoolTable* list, bool append, Match match);
  // The first thing from the first row of the id on that has the id and matches.
  template <typename Match>
  int32_t FindById(uint32_t id, Match match, C3dBase** out);
  // The first row of each id, so that reading a document of many things does not walk the table for
  // every one; built again when the table changed since (its change count tells). Locked table.
  const CIdIndex& RowsById();

  CIdIndex fRowsById;
  uint32_t fRowsByIdChanges = 0;
  bool fRowsByIdBuilt = false;
  uint32_t fNextId = 1;
  // Set once the id counter has wrapped: from then on new ids are checked against the table.
  bool fIdsWrapped = false;
  bool fUnsorted = false;
};
