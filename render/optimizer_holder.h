// The shadow cache: a tree of nodes that mirrors the tree of rays (primary rays at level 0, the
// reflected branch under the first child, the transmitted branch under the second). Each node keeps,
// per light of the scene, the record of the object that last blocked that light for rays at its
// position.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/dyn_table.h"

struct SOptimizerObject;

class COptimizerHolder : public CBaseObject {
 public:
  COptimizerHolder(uint32_t level, uint32_t count);
  ~COptimizerHolder() override;
  COptimizerHolder(const COptimizerHolder&) = delete;
  COptimizerHolder& operator=(const COptimizerHolder&) = delete;

  bool IsValid() const { return fValid; }
  // Deletes every deeper node and leaves count empty entries at this level; a renderer calls it on
  // its root with level 0 and the scene's light count before each render.
  bool Build(uint32_t level, uint32_t count);
  // The node for the reflected (first) or transmitted (second) branch below, made on first use
  // with as many entries as this one; null when it cannot be made.
  COptimizerHolder* GetFirstChild() { return Child(fFirstChild); }
  COptimizerHolder* GetSecondChild() { return Child(fSecondChild); }
  // Makes every node down to levels below this one now, so that a render's threads never allocate;
  // false when memory fails.
  bool Grow(uint32_t levels);

  uint32_t GetLevel() const { return fLevel; }
  uint32_t GetEntryCount() const { return fEntries.GetCount(); }
  // Null for an empty entry or a light index out of range.
  SOptimizerObject* GetEntry(uint32_t light) const { return light < fEntries.GetCount() ? fEntries[light] : nullptr; }
  void SetEntry(uint32_t light, SOptimizerObject* record) {
    if (light < fEntries.GetCount()) fEntries[light] = record;
  }

 private:
  COptimizerHolder* Child(COptimizerHolder*& child);
  void DeleteChildren();

  bool fValid = false;
  COptimizerHolder* fFirstChild = nullptr;
  COptimizerHolder* fSecondChild = nullptr;
  uint32_t fLevel = 0;
  CDynTable<SOptimizerObject*> fEntries;
};
