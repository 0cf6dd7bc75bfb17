// The placed scene object: everything with a place in the scene (primitives, groups, meshes, height
// fields, lights, camera). Two transform blocks give the object-to-world and world-to-object
// matrices, rebuilt lazily; two flag words carry selection, locking and boolean roles; the virtual
// operations are how the editor moves objects, the ray tracer intersects them and the views draw them.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "framework/core/box3d.h"
#include "framework/core/dyn_table.h"
#include "framework/core/fast_math.h"
#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "framework/core/matrix34.h"
#include "scene/base.h"
#include "scene/ray.h"
#include "scene/transform.h"

class C3dBaseSys;
class C3dClassMesh;
class C3dGroup;
class C3dMaterial;
class CLineDrawer;

// One point where a ray enters or leaves a solid, collected for boolean groups; never stored.
struct SSpanEntry {
  double fT = 0;
  C3dObject* fObject = nullptr;
  vector3<double> fPoint;
  vector3<double> fNormal;
  vector3<double> fShadingNormal;
  double fU = 0;
  double fV = 0;
  vector3<double> fTangentU;
  vector3<double> fTangentV;
  vector3<double> fObjPoint;
  vector3<double> fObjNormal;
  vector3<double> fObjShadingNormal;
  // 0 for the far entry a flat primitive adds below its surface.
  uint8_t fValid = 0;
};

// The crossings of one ray with a solid, in the order the call that collects them gives: a list of the
// caller's (the ray's scratch lends boolean groups theirs), never a part of the object, since every
// render thread asks at once.
using CSpanList = std::vector<SSpanEntry>;

// A scale along a direction: unit axis n and factor s (−1 mirrors).
struct SAxisScale {
  vector3<double> axis;
  double factor = 1;
};

// (w, x, y, z); need not be normalised.
struct SQuaternion {
  double w = 1;
  double x = 0;
  double y = 0;
  double z = 0;
};

class C3dObject : public C3dBase {
 public:
  // Flag word A.
  static constexpr uint32_t kSelected = 1;
  static constexpr uint32_t kTransformLocked = 2;  // the transform edits do nothing
  static constexpr uint32_t kNotDrawn = 4;         // the scene's wireframe leaves it out
  static constexpr uint32_t kHidden = 8;           // no wireframe
  // Flag word B, the state flags.
  static constexpr uint32_t kExcluded = 1;         // never intersected
  static constexpr uint32_t kNotPickable = 2;      // picking rays pass
  static constexpr uint32_t kMemberSelected = 4;   // a group with a selected member
  static constexpr uint32_t kPositive = 8;
  static constexpr uint32_t kNegative = 16;
  static constexpr uint32_t kIntersect = 32;
  static constexpr uint32_t kBooleanMember = 64;
  static constexpr uint32_t kBooleanGroup = 0x20000;
  static constexpr uint32_t kRoles = kPositive | kNegative | kIntersect;

  // The record part, offsets from the record's start.
  static constexpr uint32_t kFlagsOffset = 136;
  static constexpr uint32_t kStateFlagsOffset = 140;
  static constexpr uint32_t kDocumentWordsOffset = 144;  // two words the document code keeps
  static constexpr uint32_t kReferenceOffset = 152;
  static constexpr uint32_t kPlacementOffset = 444;
  static constexpr uint32_t kCreationWordsOffset = 736;
  static constexpr uint32_t kRecordSize = 748;
  // The type tag of placed objects in the process-wide handle table.
  static constexpr uint32_t kHandleTag = FourCC("3dob");

  explicit C3dObject(const SObjectKey& key);
  ~C3dObject() override;

  C3dObject* AsObject() override { return this; }
  // The 32-bit word that plug-ins are handed for the object, registered on first use and released
  // with the object, so that a handle of a deleted object resolves to none. kNoHandle when the
  // handle table refuses.
  Handle32 GetHandle();
  bool IsLight() const;

  uint32_t GetFlags() const { return fFlags; }
  void SetFlags(uint32_t bits, bool on = true) { fFlags = on ? fFlags | bits : fFlags & ~bits; }
  void ClearFlags(uint32_t bits) { SetFlags(bits, false); }
  uint32_t GetStateFlags() const { return fStateFlags; }
  void SetStateFlags(uint32_t bits, bool on = true) { fStateFlags = on ? fStateFlags | bits : fStateFlags & ~bits; }
  void ClearStateFlags(uint32_t bits) { SetStateFlags(bits, false); }
  bool IsSelected() const { return fFlags & kSelected; }
  bool IsTransformLocked() const { return fFlags & kTransformLocked; }

  // Set by the commands that create or convert objects; kept and copied here.
  uint32_t GetCreationWord(int index) const { return fCreationWords[index]; }
  void SetCreationWord(int index, uint32_t value) { fCreationWords[index] = value; }
  // The wireframe detail the code that set the object up chose for it (16 for the document window's
  // view cameras); the scene draw takes the view's own detail. Kept in memory, copied with the object.
  uint32_t GetWireDetail() const { return fWireDetail; }
  void SetWireDetail(uint32_t detail) { fWireDetail = detail; }
  // The solid flag word; bit 0 answers IsSolid.
  uint32_t GetSolidFlags() const { return fSolidFlags; }
  void SetSolidFlags(uint32_t flags) { fSolidFlags = flags; }

  // The earlier document format's group chains: own number, next sibling, first member (−1: none).
  int32_t GetObjectNumber() const { return fObjectNumber; }
  int32_t GetNextSibling() const { return fNextSibling; }
  int32_t GetFirstMember() const { return fFirstMember; }
  void SetObjectNumbers(int32_t own, int32_t nextSibling, int32_t firstMember);

  // Camera-space depth of the object's world box, written by each scene wireframe draw; never stored.
  double GetViewDepth() const { return fViewDepth; }
  void SetViewDepth(double depth) { fViewDepth = depth; }

  C3dGroup* GetParent() const { return fParent; }
  void SetParent(C3dGroup* parent) { fParent = parent; }
  // How many child rays started inside the object are being traced, by every thread of a render; the
  // trace raises it around each.
  uint32_t GetNesting() const { return fNesting.load(std::memory_order_relaxed); }
  void RaiseNesting() { fNesting.fetch_add(1, std::memory_order_relaxed); }
  void LowerNesting() {
    uint32_t n = fNesting.load(std::memory_order_relaxed);
    while (n && !fNesting.compare_exchange_weak(n, n - 1, std::memory_order_relaxed)) {
    }
  }

  // A change made directly to a block counts once its dirty flag is set.
  C3dTransform& GetReference() { return fReference; }
  C3dTransform& GetPlacement() { return fPlacement; }
  // inverse(reference)·placement, and its inverse; rebuilt only when a block is dirty. Inline, since
  // every ray that meets the object asks.
  const C34Matrix& GetObjectToWorld() {
    if (fPlacement.fDirty || fReference.fDirty) RecomposeTransforms();
    return fObjectToWorld;
  }
  const C34Matrix& GetWorldToObject() {
    GetObjectToWorld();
    return fWorldToObject;
  }
  vector3<double> GetTransformVector2() const { return fPlacement.fRotation; }
  void SetTransformVector2(const vector3<double>& rotation) { fPlacement.SetRotation(rotation); }
  vector3<double> GetTransformVector3() const { return fPlacement.fPosition; }
  void SetTransformVector3(const vector3<double>& position) { fPlacement.SetPosition(position); }
  // The local box's extent times the placement scale.
  vector3<double> GetScaledSize();
  // Scales each axis to the wanted extent, its size clamped to 0.01 … 9999 and its sign kept (a
  // negative extent mirrors); an axis of no extent keeps its scale.
  void SetScaledSize(const vector3<double>& size);

  // Draws every edge of the mesh through the object-to-world matrix; false for a hidden object or
  // a mesh that cannot be locked.
  bool DrawMeshEdges(C3dClassMesh* mesh, CLineDrawer* view, const C34Matrix& viewMatrix);
  // Writes the ray's object-space origin and direction into its hit block; the direction is not
  // normalised, so t means the same point in both spaces.
  static void RayToObject(CRay& ray, const C34Matrix& worldToObject, const C34Matrix& objectToWorld);
  static void RayToObjectAlt(CRay& ray, const C34Matrix& worldToObject, const C34Matrix& objectToWorld) {
    RayToObject(ray, worldToObject, objectToWorld);
  }

  // The first object whose outermost group (or itself) is selected: 0, 6 when none, 9 when the
  // table cannot be locked.
  static int32_t FindFirstSelectedRoot(C3dBaseSys* table, C3dObject** out);
  // From *index on, the first selected object; *index moves behind it. 0, 6 or 9.
  static int32_t FindNextSelected(C3dBaseSys* table, C3dObject** out, uint32_t* index);
  static int32_t CountObjects(C3dBaseSys* table, uint32_t* count);
  // Appends the object; with expand a group's members come first, recursively, then the group.
  static int32_t AppendExpandingGroups(CDynTable<C3dObject*>& list, C3dObject* object, bool expand);

  virtual void NotifyParentSelected();
  virtual void NotifyParentDeselected();
  virtual void NotifyParentBoundsChanged();
  virtual bool IsSelectedInHierarchy() const;
  // Whether the object has an editor dialog of its own, which the window's edit button opens.
  virtual bool HasEditor() const { return false; }
  // Rows of the placement matrix, normalised.
  virtual vector3<double> GetAxisX() const { return PlacementAxis(0); }
  virtual vector3<double> GetAxisY() const { return PlacementAxis(1); }
  virtual vector3<double> GetAxisZ() const { return PlacementAxis(2); }

  // The transform edits, which a transform-locked object ignores.
  virtual void Translate(const vector3<double>& offset);
  virtual void RotateAboutPoint(const vector3<double>& pivot, const SQuaternion& rotation);
  // Composes the scale along the axis about the point into the placement and decomposes the result
  // back into size, shear, rotation and position.
  virtual void ScaleAlongAxis(const vector3<double>& point, const SAxisScale& scale);
  // Moves the world box's centre onto the nearest grid line per axis (a half goes away from zero);
  // an axis with a grid value ≤ 0 stays.
  virtual void SnapToGrid(const vector3<double>& grid);
  virtual void ResetRotationAndSize();
  virtual void ResetPosition();
  virtual void ResetRotation();
  virtual void ResetSize();

  // A copy made in the table through the class's factory; null when it fails.
  virtual C3dObject* Duplicate(C3dBaseSys* table);
  virtual int32_t CopyTo(C3dObject& target);
  virtual Handle32 GetMaterial() const { return fMaterial; }
  virtual void SetMaterial(Handle32 material) { fMaterial = material; }

  virtual int32_t Prepare() = 0;
  // The nearest hit within the ray's interval, recorded in the ray.
  virtual bool Intersect(CRay& ray) = 0;
  // Appends where the ray enters and leaves the object to the list.
  virtual bool IntersectSpans(CRay& ray, bool farSide, CSpanList& spans) = 0;
  virtual bool IsRayInside(const CRay& ray) = 0;
  virtual bool IsSolid() const { return fSolidFlags & 1; }
  virtual bool IsClosed() const = 0;
  virtual bool IsClosedSolid() const = 0;
  virtual bool IsUnbounded() const = 0;
  virtual uint32_t FacetCount() = 0;
  virtual C3dBox LocalBox() = 0;
  virtual C3dBox WorldBox() = 0;
  // False makes the caller draw the bounds box instead.
  virtual bool DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t detail, bool reduced);
  // Not subject to the transform lock.
  virtual void SetPlacement(const vector3<double>& rotation, const vector3<double>& size,
                            const vector3<double>& position);
  virtual void BeginRender() {}
  virtual void EndRender() {}
  // During a render: any hit on the object stops a shadow ray outright, whatever the hit, so a shadow
  // ray needs its distance only. The renderer sets it from the object's own material before the render
  // and clears it after; it is read only while the render runs.
  bool StopsShadows() const { return fStopsShadows; }
  void SetStopsShadows(bool stops) { fStopsShadows = stops; }
  // During a render: the object's own material, which the renderer keeps locked from the render's
  // start to its end, so that hits do not look it up and lock it one by one; null otherwise.
  C3dMaterial* GetRenderMaterial() const { return fRenderMaterial; }
  void SetRenderMaterial(C3dMaterial* material) { fRenderMaterial = material; }

  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;

  // Whether a picking ray's filters let this object be hit.
  bool PassesPickFilters(const CRay& ray) const;
  // The world normal of an object-space normal: the transposed 3x3 part of world-to-object, normalised.
  // Inline, so that the two normals of a hit are made side by side.
  vector3<double> NormalToWorld(const vector3<double>& normal) {
    const C34Matrix& toObject = GetWorldToObject();
    const vector3<double> world{Dot(normal, toObject.Row(0)), Dot(normal, toObject.Row(1)),
                                Dot(normal, toObject.Row(2))};
    return world * FastInvSqrt(Dot(world, world));
  }
  // Records a hit in the ray: t, the object and part, the surface (texture values only when asked).
  static void RecordHit(CRay& ray, const SSpanEntry& hit, C3dObject* hitObject, C3dObject* hitPart);

 private:
  void RecomposeTransforms();
  // The change applied about the point after the placement, decomposed back into its vectors.
  void ChangeAboutPoint(const vector3<double>& point, const C34Matrix& change);
  vector3<double> PlacementAxis(int row) const;
  void StoreObjectPart(uint8_t* record) const;
  void LoadObjectPart(const uint8_t* record);

  C3dTransform fReference;
  C3dTransform fPlacement;
  C34Matrix fObjectToWorld;
  C34Matrix fWorldToObject;
  uint32_t fFlags = 0;
  uint32_t fStateFlags = 0;
  uint32_t fCreationWords[2] = {};
  uint32_t fWireDetail = 0;
  C3dGroup* fParent = nullptr;
  Handle32 fMaterial = kNoHandle;
  uint32_t fSolidFlags = 0;
  double fViewDepth = 0;
  double fKeptValues[6] = {};
  uint32_t fKeptWords[2] = {};
  std::atomic<uint32_t> fNesting{0};
  bool fStopsShadows = false;
  C3dMaterial* fRenderMaterial = nullptr;
  Handle32 fHandle = kNoHandle;
  int32_t fObjectNumber = -1;
  int32_t fNextSibling = -1;
  int32_t fFirstMember = -1;
};
