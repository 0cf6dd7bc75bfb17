// The scene optimizer: fed the scene's objects before a render, it answers the ray tracer's most
// frequent question, which object a ray hits first. CNullOptimizer tests every object in turn,
// CBSPTreeOptimizer descends a space partition.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "framework/core/base_object.h"
#include "framework/core/box3d.h"
#include "framework/core/dyn_table.h"

class C3dObject;
class CMemPool;
struct CRay;

// An optimizer's record of one object. The record of a ray's skipped object (CRay::fSkipObject) is
// not tested, which lets the shadow test leave out an object it has just tried.
struct SOptimizerObject {
  C3dObject* fObject = nullptr;
  C3dBox fBox;
};

// Where optimizer and shadow-cache tables live: the default pool, or the data pool before the
// default pool exists.
CMemPool* OptimizerTablePool();

class CAbstractOptimizer : public CBaseObject {
 public:
  bool IsValid() const { return fValid; }
  // Enters one object; false when its table cannot grow.
  virtual bool Add(C3dObject* object) = 0;
  // Discards everything entered before.
  virtual bool Begin() = 0;
  // Finishes the structure after the last Add; records stay where they are until the next Begin.
  virtual bool Build() = 0;
  // Makes room for count objects and leaves the optimizer empty.
  virtual bool Reserve(uint32_t count) = 0;
  // Records the nearest hit in the ray; true when some object reported one.
  virtual bool Intersect(CRay& ray) = 0;

  // The record of an object as of the last Build, for the shadow cache; null when it has none.
  SOptimizerObject* FindRecord(const C3dObject* object) const;

 protected:
  CAbstractOptimizer();

  // Tests the record unless the ray skips its object; a hit becomes the ray's new upper bound, so that later
  // records must lie nearer still.
  static bool TestRecord(const SOptimizerObject& record, CRay& ray);
  static bool TestRecord(const SOptimizerObject* record, CRay& ray) { return TestRecord(*record, ray); }
  // Every record in table order (a table of records or of pointers to them).
  template <typename Table>
  static bool TestRecords(const Table& records, CRay& ray) {
    bool hit = false;
    for (uint32_t i = 0; i < records.GetCount(); ++i) hit = TestRecord(records[i], ray) || hit;
    return hit;
  }
  // Indexes the records of the given tables by object; false when memory fails.
  bool IndexRecords(std::initializer_list<const CDynTable<SOptimizerObject>*> tables);
  void ClearIndex();

  bool fValid = false;

 private:
  struct SIndexEntry {
    const C3dObject* fObject;
    SOptimizerObject* fRecord;
  };
  CDynTable<SIndexEntry> fIndex;
};
