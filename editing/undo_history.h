// The undo history: a fixed ring of action slots that owns every action pushed into it. The program
// builds rings of one slot, so the last recorded edit is the one that "undo" takes back and, asked
// again, applies once more.
#pragma once

#include <cstdint>

#include "framework/core/dyn_table.h"

class C3dDocument;
class CUndoableAction;

class CUndoHistory {
 public:
  // capacity slots, all empty; a capacity of 0 leaves the ring without slot storage. document: the
  // document whose edits the ring records, handed to every action pushed; null for a ring outside
  // a document.
  explicit CUndoHistory(uint32_t capacity, C3dDocument* document = nullptr);
  // Deletes every action, slot 0 first.
  ~CUndoHistory();
  CUndoHistory(const CUndoHistory&) = delete;
  CUndoHistory& operator=(const CUndoHistory&) = delete;

  // Deletes every action, slot 0 first; slots, head and current stay. 0.
  int32_t Clear();
  // Takes ownership and hands the action the ring's document, whose window is told of an unsaved
  // change: the action goes into the head slot, deleting what was there, and becomes the
  // current one. Actions that were undone and could still be redone are deleted with it. 0; 9 when
  // the ring has no slot storage (the action is then deleted at once).
  int32_t Push(CUndoableAction* action);
  // Take back the current action, or apply the one at head again. Nothing to do beeps and answers 0;
  // 9 without slot storage. An action's failure is answered, and its undone byte then stays.
  int32_t Undo();
  int32_t Redo();

  // The action that Undo looks at, which the "undo" command reads to choose Undo or Redo; null when
  // that slot is empty.
  CUndoableAction* GetCurrentAction() const;
  uint32_t GetCapacity() const { return fCapacity; }
  uint32_t GetHead() const { return fHead; }
  uint32_t GetCurrent() const { return fCurrent; }

 private:
  bool HasSlots() const;
  void DeleteSlot(uint32_t slot);

  CDynTable<CUndoableAction*> fSlots;
  C3dDocument* fDocument = nullptr;
  uint32_t fCapacity = 0;
  uint32_t fHead = 0;
  uint32_t fCurrent = 0;
};
