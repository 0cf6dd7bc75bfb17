// The scene object table: every scene thing of a document (objects, lights, camera, sky, materials,
// textures) in 32-byte rows. Factories enter new things here, the document reader fills it, the
// renderer and the editor search and collect from it; a thing belongs to at most one table, which
// gives it its id and deletes it with itself.
#pragma once

#include <cstdint>

#include "framework/core/dyn_table.h"
#include "framework/core/spool_table.h"

class C3dBase;
class C3dBaseSpoolTable;

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

  // The release of things that live in a document. Placeholders until the document issue: the thing
  // is deleted and the caller's pointer cleared; a texture's use is not counted.
  static int32_t ReleaseShared(C3dBase*& thing);
  int32_t ReleaseTextureUse(C3dBase* texture, uint32_t zero);

 protected:
  virtual int32_t OnObjectAdded(C3dBase* object);
  virtual int32_t OnObjectRemoved(C3dBase* object);

 private:
  // Row of the thing, or the count when it has none; the table must be locked.
  uint32_t RowOf(const C3dBase* object) const;
  void Shrink();
  void SortByKey();
  template <typename Match>
  int32_t Collect(C3dBaseSpoolTable* list, bool append, Match match);

  uint32_t fNextId = 1;
  // Set once the id counter has wrapped: from then on new ids are checked against the table.
  bool fIdsWrapped = false;
  bool fUnsorted = false;
};
