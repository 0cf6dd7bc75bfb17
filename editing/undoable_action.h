// The base of every undoable edit: an action records what an edit changed so that the undo history
// can take it back and apply it again. Each action answers its own Undo while done and its own Redo
// while undone; the other call does nothing and answers 0.
#pragma once

#include <cstdint>

class C3dDocument;

class CUndoableAction {
 public:
  CUndoableAction() = default;
  // Clears the valid byte, so that an action reached after its deletion reads as unusable.
  virtual ~CUndoableAction();
  CUndoableAction(const CUndoableAction&) = delete;
  CUndoableAction& operator=(const CUndoableAction&) = delete;

  // False when a derived constructor could not build what the action needs.
  bool IsValid() const { return fValid != 0; }
  // 1 while the action's effect is taken back.
  uint8_t GetUndone() const { return fUndone; }
  void SetUndone(bool undone) { fUndone = undone ? 1 : 0; }

  // 0 or the result code of the step that failed.
  virtual int32_t Undo() = 0;
  virtual int32_t Redo() = 0;

  // The document whose undo history holds the action, which the history sets on Push: the actions
  // that change the scene's structure select and refresh through it. Null outside a document's
  // history (the material composer's), where those steps are left out.
  C3dDocument* GetDocument() const { return fDocument; }
  void SetDocument(C3dDocument* document) { fDocument = document; }

 protected:
  void SetValid(bool valid) { fValid = valid ? 1 : 0; }

 private:
  C3dDocument* fDocument = nullptr;
  uint8_t fUndone = 0;
  uint8_t fValid = 1;
};
