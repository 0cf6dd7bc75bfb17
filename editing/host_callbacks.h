// The plug-in callbacks that work on a document: an import plug-in counts, finds and deletes the
// current document's objects, and builds triangle meshes that the end of the import places, selects
// and groups. Documents and objects cross as handles of the process-wide handle table; a handle whose
// document is not the current one, or whose object is gone or not in the document's scene, is none.
//
// The import list: the meshes one import made, at most kImportListSize of them, as handles. One per
// program (the protocol carries no import of its own); emptied before each import command's plug-in
// call, at slot 24 and at the end of slot 25; a mesh deleted through slot 9 leaves it.
#pragma once

#include <cstdint>

#include "framework/core/handle_table.h"

class C3dDocument;
class CImportHost;

inline constexpr uint32_t kImportListSize = 500;

// The document the callbacks work on, with its window: the program's current document window sets
// its own when it becomes current and clears them (null, null) before its document goes. The first
// call registers the callbacks with the plug-in host.
void SetCallbackDocument(C3dDocument* document, CImportHost* window);
C3dDocument* GetCallbackDocument();

// The callbacks' work registered with the plug-in host (also done by SetCallbackDocument).
void RegisterHostCallbacks();

uint32_t GetImportListCount();
Handle32 GetImportListEntry(uint32_t index);
void ClearImportList();
