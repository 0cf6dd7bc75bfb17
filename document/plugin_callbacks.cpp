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

// What the document slots answer when there is no document to work on.
constexpr int32_t kNoDocument = 7;

const SDocumentSlots* gSlots = nullptr;

}  // namespace

void SetDocumentSlots(const SDocumentSlots* slots) { gSlots = slots; }

const SDocumentSlots* GetDocumentSlots() { return gSlots; }

uint32_t HostGetDocument() { return gSlots ? gSlots->getDocument() : 0; }

int32_t HostFixedAnswer() { return kErrTooFewEntries; }

int32_t HostDefaultProgress(const char*, int32_t, int32_t) { return kNoErr; }

int32_t HostProgressDisplay(const char* text, int32_t done, int32_t total) {
  return ProgressUpdate(text, uint32_t(std::max(done, 0)), uint32_t(std::max(total, 0)));
}

int32_t HostGetObjectCount(uint32_t document, int32_t* count) {
  return gSlots ? gSlots->getObjectCount(document, count) : kNoDocument;
}

int32_t HostFindObject(uint32_t document, int32_t id, uint32_t* object) {
  return gSlots ? gSlots->findObject(document, id, object) : kNoDocument;
}

int32_t HostGetObject(uint32_t document, int32_t index, uint32_t* object) {
  return gSlots ? gSlots->getObject(document, index, object) : kNoDocument;
}

int32_t HostCreateObject(uint32_t document, uint32_t classCode, uint32_t* object) {
  return gSlots ? gSlots->createObject(document, classCode, object) : kNoDocument;
}

int32_t HostDeleteObject(uint32_t document, uint32_t object) {
  return gSlots ? gSlots->deleteObject(document, object) : kNoDocument;
}

int32_t HostSetMaterialProperty(uint32_t document, uint32_t object, int32_t id, int32_t value) {
  return gSlots ? gSlots->setMaterialProperty(document, object, id, value) : kNoDocument;
}

int32_t HostBeginImport(uint32_t document) { return gSlots ? gSlots->beginImport(document) : kNoDocument; }

int32_t HostEndImport(uint32_t document) { return gSlots ? gSlots->endImport(document) : kNoDocument; }

int32_t HostFinishObject(uint32_t document, uint32_t object) {
  return gSlots ? gSlots->finishObject(document, object) : kNoDocument;
}

int32_t HostAddTriangle(uint32_t document, uint32_t mesh, const float* p1, const float* p2, const float* p3) {
  return gSlots ? gSlots->addTriangle(document, mesh, p1, p2, p3) : kNoDocument;
}

int32_t HostMeshData(uint32_t document, uint32_t mesh, int32_t value, const void* first, const void* second,
                     const void* third) {
  return gSlots ? gSlots->meshData(document, mesh, value, first, second, third) : kNoDocument;
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
