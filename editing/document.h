// The document object: the selection set, the one-level undo history, the scene graph and the
// clipboard of a document window, and the operations the selection and the edit commands call back:
// removing and deleting objects, walking the window's object list, the current view direction. The
// scene table belongs to the window, which the document reaches through CDocumentHost.
#pragma once

#include <cstdint>
#include <memory>

#include "document/scene_graph.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "framework/core/vector3.h"

class C3dBaseSys;
class C3dObject;
class CDeleteAction;
class CDocumentHost;

class C3dDocument {
 public:
  static constexpr uint32_t kUndoCapacity = 1;
  // The "objinfochanged" change bits a scene change sends.
  static constexpr uint32_t kSceneChanged = 2;

  // window: the window that owns the document and its scene. A clipboard table that cannot be made
  // leaves the document without one.
  explicit C3dDocument(CDocumentHost* window);
  // The clipboard, then the scene graph, the undo history and the selection set.
  virtual ~C3dDocument();
  C3dDocument(const C3dDocument&) = delete;
  C3dDocument& operator=(const C3dDocument&) = delete;

  CSelection& GetSelection() { return fSelection; }
  CUndoHistory& GetUndoHistory() { return fUndoHistory; }
  CSceneGraph& GetSceneGraph() { return fSceneGraph; }
  CDocumentHost* GetWindow() const { return fWindow; }
  // Null when it could not be made.
  C3dBaseSys* GetClipboard() const { return fClipboard.get(); }
  // The window's scene table; null without a window or before it is set up.
  C3dBaseSys* GetSceneTable() const;

  // Takes the object out of the scene table without deleting it, then has the window look up its
  // scene parts again: that lookup's result, or the removal's error.
  int32_t RemoveObject(C3dObject* object);
  // Hands the object to the action when its holding table is usable; without one (no action, or
  // an invalid one) the object is deleted from the scene outright, there being nothing to keep it
  // for. Then the scene parts are looked up again: that result, or 9 when the action could not
  // keep the object.
  int32_t DeleteObjectUndoable(CDeleteAction* action, C3dObject* object);
  // The scene parts looked up again, and the control palette told that the scene changed.
  int32_t RefreshSceneParts();

  // The window's object list: its count, and the entries not left out of the wireframe walked
  // forward (the cursor ends one past the entry) or backward (the cursor decreases; none below 0).
  uint32_t GetListCount();
  C3dObject* NextListEntry(int32_t* cursor);
  C3dObject* NextListEntry2(int32_t* cursor);
  // The current camera's viewing direction, read under its lock: 0, 6 without a camera, or the
  // lock's code.
  int32_t GetViewDirection(vector3<double>* direction);

 private:
  CSelection fSelection;
  CUndoHistory fUndoHistory;
  CSceneGraph fSceneGraph;
  CDocumentHost* fWindow = nullptr;
  std::unique_ptr<C3dBaseSys> fClipboard;
};
