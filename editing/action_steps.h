// Steps that the actions changing the scene's structure share: the holding table that keeps objects
// out of the scene while the action owns them, and what the action does to the document's selection
// and window as objects leave or come back.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/dyn_table.h"

class C3dBaseSys;
class C3dDocument;
class C3dObject;

// A table beside the scene in the owner's environment (the objects environment without an owner).
// Deleting it frees what it still holds, the last row first, each material giving back its texture
// uses. Null when it cannot be made.
std::unique_ptr<C3dBaseSys> NewHoldingTable(C3dBaseSys* owner);

// The window looks up the scene's camera, body and sun again, the group links rebuilt first: 0, the
// lookup's code, or 0 when the action is in no document.
int32_t RefreshSceneParts(C3dDocument* document);

// The object leaves the selection (its group told) and loses its selected bit, so that no selection
// lists an object that is out of the scene.
void Unselect(C3dDocument* document, C3dObject* object);
// Adds the object to the selection, alone when exclusive; nothing outside a document.
void Select(C3dDocument* document, C3dObject* object, bool exclusive);
// Adds each object without a parent group to the selection, the first of them alone.
void SelectTopLevel(C3dDocument* document, const CDynTable<C3dObject*>& objects);
