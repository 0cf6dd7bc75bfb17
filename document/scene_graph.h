// The document's plain list of its scene objects. The list does not own them: destroying it frees
// only the pointers' storage.
#pragma once

#include "framework/core/base_object.h"
#include "framework/core/dyn_table.h"

class C3dObject;

class CSceneGraph : public CBaseObject {
 public:
  static constexpr int32_t kGrowthStep = 32;

  // Empty, with no storage until the first entry.
  CSceneGraph() : fList(SRange{0, kGrowthStep}) {}

  CDynTable<C3dObject*>& GetList() { return fList; }

 private:
  CDynTable<C3dObject*> fList;
};
