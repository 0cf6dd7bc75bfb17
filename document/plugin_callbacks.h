// The host's functions behind the plug-in callback table, one per slot that holds a function.
//
// Placeholders until the host callbacks' issue: slot 0 answers no document, and the slots that work
// on a document (3, 4, 5, 8, 9, 16, 24 to 28) answer 27 and write nothing. Their types are final.
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

// Puts every function into its slot of a zero-filled table of QN_SLOT_COUNT slots.
void FillHostCallbackTable(QNHostFn* table);
