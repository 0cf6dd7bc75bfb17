// The metafile reader: opens a 3D metafile in text or binary form (either byte order), and returns
// its objects one at a time, those that References point to included. It knows nothing of the
// importer; every answer is a result code of metafile_codes.h.
#pragma once

#include <cstdint>

#include "plugins/3dmf/metafile_codes.h"
#include "plugins/3dmf/metafile_object.h"
#include "plugins/3dmf/metafile_storage.h"

struct MetafileContext;

// Opens the stream that the storage describes, finds its format from its first four bytes and reads
// its tables of contents (binary) or scans its objects and labels (text). On failure the stream is
// closed again and *context stays null.
int32_t MetafileOpenStorage(const void* description, const StorageCallbacks& storage, MetafileContext** context);
int32_t MetafileOpenFile(const char* path, MetafileContext** context);

// The next object, for the caller to dispose; 12000 when the file has no more. A container's contents
// follow it and end with an EndContainer object that the reader makes. A warning comes with its
// object.
int32_t MetafileReadObject(MetafileContext* context, MetafileObject** object);
int32_t MetafileDisposeObject(MetafileObject* object);

// After a Reference object: the next reads return the object it refers to, a whole group or
// container when it is one, then go on after the Reference. References to other files are not
// followed.
int32_t MetafileResolveReference(MetafileContext* context, const MetafileObject* reference);

// Whether the file's tables of contents name any object that a Reference could read again.
bool MetafileHasReferenceTargets(const MetafileContext* context);

// The storage's position and length, for progress.
int32_t MetafilePosition(MetafileContext* context, uint64_t* position);
int32_t MetafileSize(MetafileContext* context, uint64_t* size);

// The name of a class of the table, or null.
const char* MetafileClassName(uint32_t code);

// Closes the file and frees the context; 12027 when groups were left open.
int32_t MetafileClose(MetafileContext* context);

// Test hook: how many objects references may return from one file before the reader refuses it with
// 12004 (1,048,576). The fuzzing harness lowers it so that an input that fans out ends soon.
void SetMostReferencedObjects(uint64_t objects);
