// Reading one stored record of a scene document into a new scene thing: the thing is made over the
// document's record, paged in (its class byte-swaps the record and restores its state), then moved
// with its data into the working environment, so that the document is no longer needed, and keeps
// the document's type name and id as its key. The document reader enters it in its table.
#pragma once

#include <cstdint>

struct CResEntry;
struct SDocumentClass;
class C3dBase;
class CResourceEnv;
class CSpoolSys;

// 0 and the thing, in no table. Otherwise nothing is left behind and the answer is the failing
// step's code: 9 when the thing cannot be made, 13 when it is not ready, 2 for a record shorter than
// the class's minimum or one its class refuses, else the code of the subscription, the lock or the
// move that failed.
// index: the row's place in its type's table, for a document that holds its id more than once;
// -1 reads the first row with that id.
int32_t ReadRecord(const SDocumentClass& cls, CResourceEnv* document, const CResEntry& row, CSpoolSys* working,
                   C3dBase** out, int32_t index = -1);
