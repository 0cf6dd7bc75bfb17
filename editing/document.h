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
#include "framework/core/dyn_table.h"
#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "framework/core/vector3.h"

class C3dBaseSys;
class C3dGroup;
class C3dMaterial;
class C3dObject;
class CDeleteAction;
class CDocumentHost;

// What the replicate dialog hands the document: twelve doubles.
struct SReplicateSettings {
  vector3<double> factors{1, 1, 1};  // per axis
  vector3<double> unused;
  vector3<double> rotation;  // radians, added to each copy's angles
  vector3<double> offset;    // each copy's move from the one before
};
static_assert(sizeof(SReplicateSettings) == 12 * sizeof(double));

class C3dDocument {
 public:
  static constexpr uint32_t kUndoCapacity = 1;
  // The "objinfochanged" change bits a scene change sends.
  static constexpr uint32_t kSceneChanged = 2;
  // The type tag of documents in the process-wide handle table.
  static constexpr uint32_t kHandleTag = FourCC("qdoc");
  // A copy's size on an axis stays within these when a transform is repeated or replicated.
  static constexpr double kLeastSize = 0.01;
  static constexpr double kGreatestSize = 9999;
  // Below this a size counts as none: no factor is limited by it.
  static constexpr double kNoSize = 1e-10;
  // Replicate asks for the offset times each axis's factor in this mode.
  static constexpr uint32_t kScaledOffset = 1;

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

  // The word plug-ins are handed for the document; released with it.
  Handle32 GetHandle() const { return fHandle; }

  // Duplicates every selected object into the scene and selects the copies instead ('dupl'). With
  // repeatTransform ('repl') each copy, but a group, receives again the change its source shows since
  // its drag-start copy: the move and turn, and the scale unless it would take the copy's size on
  // that axis outside 0.01 to 9999. 0; 9 when a copy cannot be made or listed (the copies made so far
  // stay in the scene); 16 without a scene.
  int32_t CollectObjects(bool repeatTransform);
  // count generations of copies, each duplicated from the one before and then scaled about its
  // box's centre by the factors (limited so that a size stays within 0.01 to 9999; an axis without
  // size keeps its factor), moved by the offset (times the factors in kScaledOffset mode) and turned
  // by the rotation; a group's members are scaled instead. Every copy ends selected. 0; 9 when a copy
  // cannot be made or listed; 16 without a scene.
  int32_t ReplicateObjects(uint32_t count, const SReplicateSettings& settings, uint32_t mode);
  // The clipboard emptied and filled with copies of the selected objects that are not group members
  // (a group carries its members); with cut the selection then leaves the scene through a delete
  // action pushed onto the undo history. 0; 9 without a clipboard, when a copy cannot be made or the
  // action cannot be; the emptying's or the push's code.
  int32_t CopySelection(bool cut);
  // Copies of the clipboard's objects and lights that are not group members, entered in the scene and
  // selected instead of the selection; materials and textures are not pasted. 0 (an empty clipboard
  // changes nothing); 9 without a clipboard or when a copy cannot be made; 16 without a scene.
  int32_t Paste();
  // The boxes of the group's nested groups, innermost first, then its own.
  static void RecomputeGroupBounds(C3dGroup* group);

  // Before the window replaces its scene table by a newly read one: the textures that outlive the old
  // table, those of the window's two working materials (either may be null) and of the clipboard's
  // materials, move from the old table into the new one, and the undo history, which points into the
  // old scene, is cleared. When a texture cannot be moved, the ones already moved go back with their
  // ids, the history stays and the code is answered: the old scene is left whole. Textures that the
  // old table does not hold are not moved. The working materials must live outside the old table.
  int32_t MoveKeptTextures(C3dBaseSys* oldTable, C3dBaseSys* newTable, C3dMaterial* defaultMaterial,
                           C3dMaterial* secondMaterial);

 private:
  // The selection emptied, then each object added, its copied selected bit cleared first.
  void SelectInstead(const CDynTable<C3dObject*>& objects);

  CSelection fSelection;
  CUndoHistory fUndoHistory;
  CSceneGraph fSceneGraph;
  CDocumentHost* fWindow = nullptr;
  std::unique_ptr<C3dBaseSys> fClipboard;
  Handle32 fHandle = kNoHandle;
};
