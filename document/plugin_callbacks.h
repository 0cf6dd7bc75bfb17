// The host's functions behind the plug-in callback table, one per slot that holds a function.
//
// The slots that work on a document (0, 3, 4, 5, 8, 9, 16, 24 to 28) need the document object, which
// lives in a later library: that library registers the work of these slots here at start-up
// (SetDocumentSlots), and the functions below pass each call on. Without a registration slot 0
// answers no document and the others 7, the code for no document.
#pragma once

#include <cstdint>

#include "document/plugin_protocol.h"

uint32_t HostGetDocument();
int32_t HostFixedAnswer();
// The progress slot's default: go on.
int32_t HostDefaultProgress(const char* text, int32_t done, int32_t total);
// The progress display, for the slot while a command calls a plug-in: 0 to go on, 24 to stop.
int32_t HostProgressDisplay(const char* text, int32_t done, int32_t total);
int32_t HostGetObjectCount(uint32_t document, int32_t* count);
int32_t HostFindObject(uint32_t document, int32_t id, uint32_t* object);
int32_t HostGetObject(uint32_t document, int32_t index, uint32_t* object);
int32_t HostCreateObject(uint32_t document, uint32_t classCode, uint32_t* object);
int32_t HostDeleteObject(uint32_t document, uint32_t object);
int32_t HostSetMaterialProperty(uint32_t document, uint32_t object, int32_t id, int32_t value);
int32_t HostBeginImport(uint32_t document);
int32_t HostEndImport(uint32_t document);
int32_t HostFinishObject(uint32_t document, uint32_t object);
int32_t HostAddTriangle(uint32_t document, uint32_t mesh, const float* p1, const float* p2, const float* p3);
int32_t HostMeshData(uint32_t document, uint32_t mesh, int32_t value, const void* first, const void* second,
                     const void* third);
// The slots reserved for any arguments.
int32_t HostAnswerZero(...);

// The work of the document slots, each of its slot's type.
struct SDocumentSlots {
  QNHostGetDocumentFn getDocument;
  QNHostGetObjectCountFn getObjectCount;
  QNHostFindObjectFn findObject;
  QNHostGetObjectFn getObject;
  QNHostCreateObjectFn createObject;
  QNHostObjectFn deleteObject;
  QNHostSetMaterialPropertyFn setMaterialProperty;
  QNHostDocumentFn beginImport;
  QNHostDocumentFn endImport;
  QNHostObjectFn finishObject;
  QNHostAddTriangleFn addTriangle;
  QNHostMeshDataFn meshData;
  // Run by each import command before it calls the plug-in: what an earlier import listed is
  // forgotten.
  void (*beginImportCommand)();
};

// The registration stays until replaced; null takes it back. The table is the caller's and must
// outlive the registration.
void SetDocumentSlots(const SDocumentSlots* slots);
const SDocumentSlots* GetDocumentSlots();

// Puts every function into its slot of a zero-filled table of QN_SLOT_COUNT slots.
void FillHostCallbackTable(QNHostFn* table);
