// Triangle meshes: free triangle geometry (imported drawings and metafiles, generated stones). The
// vertices, the per-corner normals and the 76-byte faces live in the object's own record behind a
// 100-byte mesh header, so that a document stores a mesh as one record; each array has a capacity
// that grows by 50 entries. Before rendering every face gets a run-time record and the mesh a voxel
// grid (voxel_grid.h) and a copy of its arrays, none of them stored, all in the data environment:
// rays never read the record, which lives in the small objects pool beside every other thing of the
// scene. Through a render they stay locked, read by every render thread and written by none.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/object.h"
#include "scene/render_hold.h"
#include "scene/voxel_grid.h"
#include "scene/weld_index.h"

// A face as the building operations take and give it; stored as 76 bytes.
struct S3dFace {
  static constexpr uint32_t kFlatCorner = 1;  // the corner is shaded with the face normal
  static constexpr uint32_t kSmooth = 1;      // the corner normals are blended

  uint32_t vertex[3] = {};
  uint32_t normal[3] = {};
  vector3<double> faceNormal;
  uint32_t cornerFlags[3] = {};
  uint32_t smooth = 0;
  // The face's material word, a handle; never byte-swapped.
  uint32_t attribute = 0;
  uint32_t reserved[2] = {};
};

class C3dTriangleMesh : public C3dObject {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("tmsh");
  static constexpr const char* kTypeName = "C3dTriMeshType2";
  // State flag of a mesh generated as a stone (by its create item or a conversion), which the
  // selection commands tell from an imported mesh.
  static constexpr uint32_t kStoneStateFlag = 0x40000;
  // The mesh header, offsets from the record's start.
  static constexpr uint32_t kByteOrderOffset = 748;  // 1 while the arrays are big-endian
  static constexpr uint32_t kCountsOffset = 752;     // vertex, normal and face capacity and count
  static constexpr uint32_t kBoxOffset = 776;
  static constexpr uint32_t kExtrasOffset = 824;
  static constexpr uint32_t kArraysOffset = 848;
  static constexpr uint32_t kVertexBytes = 24;
  static constexpr uint32_t kNormalBytes = 24;
  static constexpr uint32_t kFaceBytes = 76;
  static constexpr uint32_t kGrowth = 50;
  static constexpr double kWeldDistance = 1e-10;
  static constexpr double kSmoothAngle = 85;

  explicit C3dTriangleMesh(const SObjectKey& key);
  ~C3dTriangleMesh() override;

  // The mesh form of the factory: no material.
  static int32_t New(C3dTriangleMesh** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec);
  // The record size for the capacities; 0 when it does not fit 32 bits.
  static uint32_t RecordSizeFor(uint32_t vertexCapacity, uint32_t normalCapacity, uint32_t faceCapacity);

  uint32_t GetVertexCount() const { return fVertexCount; }
  uint32_t GetNormalCount() const { return fNormalCount; }
  uint32_t GetFaceCount() const { return fFaceCount; }
  uint32_t GetVertexCapacity() const { return fVertexCapacity; }
  uint32_t GetNormalCapacity() const { return fNormalCapacity; }
  uint32_t GetFaceCapacity() const { return fFaceCapacity; }
  const C3dBox& GetMeshBox() const { return fBox; }
  // The three values kept with the box.
  const double* GetExtras() const { return fExtras; }
  // Each copies one entry out under the record's lock; false for an index past the count or a
  // failed lock.
  bool GetVertex(uint32_t index, vector3<double>* out);
  bool GetNormal(uint32_t index, vector3<double>* out);
  bool GetFace(uint32_t index, S3dFace* out);

  // Appends one entry (zeros with none), growing the array by 50 when it is full; false when it
  // cannot grow, the mesh then unchanged. A face whose indices name a vertex beyond the vertex count,
  // or a normal beyond the normal count from a corner not shaded flat, is refused.
  bool AddVertex(const vector3<double>* point);
  bool AddNormal(const vector3<double>* normal);
  bool AddFace(const S3dFace* face);
  // One flat triangle, each point welded to the first vertex within 1e-10 on every axis; 0 or 9.
  int32_t AddTriangle(const vector3<double>& p0, const vector3<double>& p1, const vector3<double>& p2);
  // The triangle, its three normals welded the same way, shaded smooth; 0 or 9.
  int32_t AddTriangleWithNormals(const vector3<double>& p0, const vector3<double>& p1, const vector3<double>& p2,
                                 const vector3<double>& n0, const vector3<double>& n1, const vector3<double>& n2);
  // The material word of every face, for the plug-in host.
  void SetFaceAttribute(uint32_t value) { SetMaterial(value); }
  // The material last set, which faces added after it take.
  Handle32 GetMaterialLink() const { return C3dObject::GetMaterial(); }

  // The box of the vertices, widened by 1% of its extent on every side.
  void ComputeBounds();
  // The box of the vertices alone; empty without vertices or when the record cannot be locked.
  C3dBox VertexBox();
  // Every vertex multiplied by scale, then moved by offset; the bounds and normals are the caller's.
  // 0, or 9 when the record cannot be locked.
  int32_t ScaleAndMoveVertices(double scale, const vector3<double>& offset);
  void ClearBoundsCache();
  // (p1 − p0) × (p2 − p0) normalised, (0, 0, 0) for a face without area. 0, or 9 when the record
  // cannot be locked.
  int32_t ComputeFaceNormals();
  // One normal per face corner: the average (not renormalised) of the face normals around the corner's
  // vertex within the angle of this face's. 0, or 9.
  int32_t ComputeVertexNormals(double angleDegrees);
  // Smooth: every corner with a normal of its own blends it; otherwise every face is flat.
  void SetAllFacesVisible(bool smooth);
  // The run-time records, the voxel grid and the copy of the arrays; 0 at once when they are there
  // and the record has not changed since. 9 leaves the mesh unprepared.
  int32_t PrepareRunTime();
  bool IsPrepared() const { return fPrepared; }
  const int32_t* GetGridCounts() const;
  // Generates a random stone into an empty mesh from the program's random generator; 0, 9, or 15
  // for a mesh that holds anything.
  int32_t Optimize();

  const char* TypeName() const override { return kTypeName; }
  C3dObject* Duplicate(C3dBaseSys* table) override;
  int32_t CopyTo(C3dObject& target) override;
  // The attribute word of face 0; without faces, the material last set. Set writes every face's
  // word and keeps the material for the faces added after it.
  Handle32 GetMaterial() const override;
  void SetMaterial(Handle32 material) override;
  int32_t Prepare() override { return PrepareRunTime(); }
  bool Intersect(CRay& ray) override;
  bool IntersectSpans(CRay& ray, bool farSide, CSpanList& spans) override;
  // The run-time data prepared, then locked with the record until the render ends.
  void BeginRender() override;
  void EndRender() override;
  bool IsRayInside(const CRay&) override { return false; }
  bool IsClosed() const override { return false; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  bool HasEditor() const override { return true; }
  uint32_t FacetCount() override { return fFaceCount; }
  C3dBox LocalBox() override { return fBox; }
  C3dBox WorldBox() override;
  bool DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t detail, bool reduced) override;

  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;
  bool IsInStoredOrder(const uint8_t* record, uint32_t size) const override;

 private:
  friend class CStoneBuilder;

  // Where the arrays lie in the locked record.
  struct SArrays {
    uint8_t* vertices = nullptr;
    uint8_t* normals = nullptr;
    uint8_t* faces = nullptr;
  };
  SArrays BindData() const;
  // The arrays copied for rays, and where they lie in the copy.
  bool CopyGeometry(const SArrays& arrays);
  SArrays CopiedArrays() const;
  // Grows one array by entries, moving the arrays behind it; false when the record cannot grow.
  bool GrowArray(uint32_t* capacity, uint32_t entries);
  bool AppendEntry(uint32_t* capacity, uint32_t* count, const void* entry, uint32_t bytes);
  // Appends a flat face over three used vertices; false when the face array cannot grow.
  bool AddFlatFace(const uint32_t vertex[3]);
  // The index of the first used vertex (or normal) within the weld distance of each point, or
  // UINT32_MAX, found through the vertices' (or normals') index; the record locked.
  static void FindWelded(CWeldIndex& welds, const uint8_t* entries, uint32_t count, const vector3<double>* points,
                         uint32_t* found);
  // The vertices or normals changed in place: welding takes them in anew.
  void ForgetWelds() {
    fVertexWelds.Forget();
    fNormalWelds.Forget();
  }
  // Each point's index among the used vertices (count is the vertex count) or normals, the points
  // without a match appended in order; false when an array cannot grow.
  bool Weld(uint32_t* count, const vector3<double> points[3], uint32_t index[3]);
  // Forgets the run-time data after a change of the geometry.
  void Unprepare() { fPrepared = false; }
  bool EnsureRunTime();
  void StoreHeader(uint8_t* record) const;
  void LoadHeader(const uint8_t* record);
  int32_t FinishStone();

  // Ray work (triangle_mesh_rays.cpp).
  struct SRayWalk;
  // The walk with the record and the run-time data locked: by the render, or for this call.
  bool Walk(SRayWalk& walk);
  bool WalkCells(SRayWalk& walk);
  // Where the ray meets the face's plane, when this is the face's first test for the ray or its hit
  // waited for this cell; false when the face is done for the ray.
  static bool PlaneHit(SRayWalk& walk, const SArrays& arrays, uint32_t f, S3dFace& face, double& t,
                       vector3<double>& point);
  // The run-time data is there for a ray: prepared now outside a render, by the render within one.
  bool Ready();
  // The object-space part of a hit on the face at (u, v).
  SSpanEntry FaceHit(const SArrays& arrays, const S3dFace& face, const vector3<double>& point, double t, double u,
                     double v, bool wantsTexture) const;

  uint32_t fVertexCapacity = 0;
  uint32_t fVertexCount = 0;
  uint32_t fNormalCapacity = 0;
  uint32_t fNormalCount = 0;
  uint32_t fFaceCapacity = 0;
  uint32_t fFaceCount = 0;
  C3dBox fBox;
  double fExtras[3] = {};

  // Made by the first preparation.
  CMeshVoxels* fVoxels = nullptr;
  CSpoolDynTable<S3dTriRunTime>* fRunTime = nullptr;
  CSpoolTableT<uint8_t>* fGeometry = nullptr;
  uint32_t fCopiedVertices = 0;
  uint32_t fCopiedNormals = 0;
  bool fPrepared = false;
  // The record's change count when it was last prepared.
  uint32_t fPreparedChanges = 0;
  CRenderHold fRenderHold;
  // What a mesh built triangle by triangle welds its new vertices and normals to.
  CWeldIndex fVertexWelds{kWeldDistance};
  CWeldIndex fNormalWelds{kWeldDistance};
};

// A face's 76 stored bytes.
void LoadFace(const uint8_t* at, S3dFace* face);
void StoreFace(uint8_t* at, const S3dFace& face);
