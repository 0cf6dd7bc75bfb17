#include "document/plugin_callbacks.h"

#include <algorithm>

#include "framework/core/io_progress.h"
#include "framework/core/result_codes.h"

namespace {

// Slots that take any arguments and answer 0: 6, 7, 10 to 15, 17 to 23, 29 to 37 and 39 to 42.
constexpr bool IsAnswerZeroSlot(int32_t slot) {
  return slot == 6 || slot == 7 || (slot >= 10 && slot <= 15) || (slot >= 17 && slot <= 23) ||
         (slot >= 29 && slot <= 37) || (slot >= 39 && slot <= 42);
}

// The slot's type is named so that a function that does not match it fails to compile.
template <typename Slot>
QNHostFn AsSlot(Slot function) {
  return reinterpret_cast<QNHostFn>(function);
}

}  // namespace

uint32_t HostGetDocument() { return 0; }

int32_t HostFixedAnswer() { return kErrTooFewEntries; }

int32_t HostDefaultProgress(const char*, int32_t, int32_t) { return kNoErr; }

int32_t HostProgressDisplay(const char* text, int32_t done, int32_t total) {
  return ProgressUpdate(text, uint32_t(std::max(done, 0)), uint32_t(std::max(total, 0)));
}

int32_t HostGetObjectCount(uint32_t, int32_t*) { return kErrNotImplemented; }
int32_t HostFindObject(uint32_t, int32_t, uint32_t*) { return kErrNotImplemented; }
int32_t HostGetObject(uint32_t, int32_t, uint32_t*) { return kErrNotImplemented; }
int32_t HostCreateObject(uint32_t, uint32_t, uint32_t*) { return kErrNotImplemented; }
int32_t HostDeleteObject(uint32_t, uint32_t) { return kErrNotImplemented; }
int32_t HostSetMaterialProperty(uint32_t, uint32_t, int32_t, int32_t) { return kErrNotImplemented; }
int32_t HostBeginImport(uint32_t) { return kErrNotImplemented; }
int32_t HostEndImport(uint32_t) { return kErrNotImplemented; }
int32_t HostFinishObject(uint32_t, uint32_t) { return kErrNotImplemented; }
int32_t HostAddTriangle(uint32_t, uint32_t, const float*, const float*, const float*) { return kErrNotImplemented; }
int32_t HostMeshData(uint32_t, uint32_t, int32_t, const void*, const void*, const void*) {
  return kErrNotImplemented;
}

int32_t HostAnswerZero(...) { return kNoErr; }

void FillHostCallbackTable(QNHostFn* table) {
  table[QN_SLOT_GET_DOCUMENT] = AsSlot<QNHostGetDocumentFn>(&HostGetDocument);
  table[QN_SLOT_FIXED_ANSWER] = AsSlot<QNHostFixedAnswerFn>(&HostFixedAnswer);
  table[QN_SLOT_PROGRESS] = AsSlot<QNHostProgressFn>(&HostDefaultProgress);
  table[QN_SLOT_GET_OBJECT_COUNT] = AsSlot<QNHostGetObjectCountFn>(&HostGetObjectCount);
  table[QN_SLOT_FIND_OBJECT] = AsSlot<QNHostFindObjectFn>(&HostFindObject);
  table[QN_SLOT_GET_OBJECT] = AsSlot<QNHostGetObjectFn>(&HostGetObject);
  table[QN_SLOT_CREATE_OBJECT] = AsSlot<QNHostCreateObjectFn>(&HostCreateObject);
  table[QN_SLOT_DELETE_OBJECT] = AsSlot<QNHostObjectFn>(&HostDeleteObject);
  table[QN_SLOT_SET_MATERIAL_PROPERTY] = AsSlot<QNHostSetMaterialPropertyFn>(&HostSetMaterialProperty);
  table[QN_SLOT_BEGIN_IMPORT] = AsSlot<QNHostDocumentFn>(&HostBeginImport);
  table[QN_SLOT_END_IMPORT] = AsSlot<QNHostDocumentFn>(&HostEndImport);
  table[QN_SLOT_FINISH_OBJECT] = AsSlot<QNHostObjectFn>(&HostFinishObject);
  table[QN_SLOT_ADD_TRIANGLE] = AsSlot<QNHostAddTriangleFn>(&HostAddTriangle);
  table[QN_SLOT_MESH_DATA] = AsSlot<QNHostMeshDataFn>(&HostMeshData);
  for (int32_t slot = 0; slot < QN_SLOT_COUNT; ++slot) {
    if (IsAnswerZeroSlot(slot)) table[slot] = AsSlot<QNHostAnyFn>(&HostAnswerZero);
  }
}
