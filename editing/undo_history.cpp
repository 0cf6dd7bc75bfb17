#include "editing/undo_history.h"

#include <algorithm>

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/undoable_action.h"
#include "framework/core/result_codes.h"
#include "platform/system.h"

namespace {

constexpr int32_t kBuildStep = 32;

}  // namespace

CUndoHistory::CUndoHistory(uint32_t capacity, C3dDocument* document)
    : fSlots(SRange{0, kBuildStep}), fDocument(document), fCapacity(capacity) {
  if (capacity && fSlots.Reserve(std::max<uint32_t>(capacity, kBuildStep)) && fSlots.AppendN(nullptr, capacity)) {
    fSlots.Trim();
  }
  // The ring never grows: a slot table that could not be made stays without storage.
  fSlots.SetStep(0);
}

CUndoHistory::~CUndoHistory() { Clear(); }

bool CUndoHistory::HasSlots() const { return fCapacity != 0 && fSlots.GetCount() == fCapacity; }

void CUndoHistory::DeleteSlot(uint32_t slot) {
  CUndoableAction* action = fSlots[slot];
  fSlots[slot] = nullptr;
  delete action;
}

int32_t CUndoHistory::Clear() {
  for (uint32_t slot = 0; slot < fSlots.GetCount(); ++slot) DeleteSlot(slot);
  return 0;
}

int32_t CUndoHistory::Push(CUndoableAction* action) {
  // Every recorded edit is a change of the document, whichever command made it: a key edit that set
  // no flag of its own was lost on quit without a question.
  if (fDocument && fDocument->GetWindow()) fDocument->GetWindow()->MarkUnsavedChanges();
  if (!HasSlots()) {
    delete action;
    return kErrOutOfMemory;
  }
  if (action && fDocument) action->SetDocument(fDocument);
  DeleteSlot(fHead);
  fSlots[fHead] = action;
  fCurrent = fHead;
  fHead = (fHead + 1) % fCapacity;
  // What was undone before this edit can no longer be redone on top of it.
  for (uint32_t slot = fHead; slot != fCurrent && fSlots[slot] && fSlots[slot]->GetUndone();
       slot = (slot + 1) % fCapacity) {
    DeleteSlot(slot);
  }
  return 0;
}

int32_t CUndoHistory::Undo() {
  if (!HasSlots()) return kErrOutOfMemory;
  CUndoableAction* action = fSlots[fCurrent];
  if (!action || action->GetUndone()) {
    platform::Beep();
    return 0;
  }
  const int32_t result = action->Undo();
  if (result != 0) return result;
  action->SetUndone(true);
  fHead = fCurrent;
  if (fCapacity > 1) fCurrent = fCurrent ? fCurrent - 1 : fCapacity - 1;
  return 0;
}

int32_t CUndoHistory::Redo() {
  if (!HasSlots()) return kErrOutOfMemory;
  CUndoableAction* action = fSlots[fHead];
  if (!action || !action->GetUndone()) {
    platform::Beep();
    return 0;
  }
  const int32_t result = action->Redo();
  if (result != 0) return result;
  action->SetUndone(false);
  fCurrent = fHead;
  if (fCapacity > 1) fHead = (fHead + 1) % fCapacity;
  return 0;
}

CUndoableAction* CUndoHistory::GetCurrentAction() const { return HasSlots() ? fSlots[fCurrent] : nullptr; }
