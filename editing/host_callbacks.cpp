#include "editing/host_callbacks.h"

#include <cmath>
#include <optional>

#include "document/plugin_callbacks.h"
#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/import_host.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/object_family.h"
#include "scene/surface/material.h"
#include "scene/triangle_mesh.h"

namespace {

// The callbacks' own codes.
constexpr int32_t kMeshFailed = 2;  // a lock or a mesh operation failed
constexpr int32_t kNoDocument = 7;
constexpr int32_t kNoObject = 8;
constexpr int32_t kFirstPointMissing = 12;
constexpr int32_t kSecondPointMissing = 13;
constexpr int32_t kThirdPointMissing = 14;
constexpr int32_t kNotAMesh = 19;

// The end of an import fits the geometry into a cube of this side, centred this high above the
// origin; geometry without extent keeps its size.
constexpr double kPlacedSize = 4.0;
constexpr double kPlacedHeight = 3.0;
constexpr double kNoExtent = 1e-10;

// Slot 16's property ids; the colour channels lie in the material in the order 4, 2, 6, 8.
enum EProperty : int32_t {
  kAmbience = 1,
  kAmbientColour = 2,
  kDiffusion = 3,
  kDiffuseColour = 4,
  kSpecularity = 5,
  kSpecularColour = 6,
  kTransparency = 7,
  kTransparentColour = 8,
  kRefractionIndex = 9,  // hundredths
  kSpecExponentRed = 10,
  kSpecExponentGreen = 11,
  kSpecExponentBlue = 12,
  kReflection = 13,
  kReset = 17,
};

struct SCallbackState {
  C3dDocument* document = nullptr;
  CImportHost* window = nullptr;
  Handle32 list[kImportListSize] = {};
  uint32_t count = 0;
};

SCallbackState gState;

// The current document when the handle names it and its window has a scene.
C3dDocument* DocumentOf(uint32_t handle) {
  C3dDocument* document = gState.document;
  if (!document || !gState.window || handle == kNoHandle || !document->GetWindow() || !document->GetSceneTable())
    return nullptr;
  return LookupHandleAs<C3dDocument>(handle, C3dDocument::kHandleTag) == document ? document : nullptr;
}

// The object of the handle when the document's scene holds it.
C3dObject* ObjectOf(C3dDocument* document, uint32_t handle) {
  C3dObject* object = LookupHandleAs<C3dObject>(handle, C3dObject::kHandleTag);
  return object && object->GetOwningTable() == document->GetSceneTable() ? object : nullptr;
}

bool IsMesh(const C3dObject* object) {
  return object->GetFamily() == C3dTriangleMesh::kFamily && object->GetClass() == C3dTriangleMesh::kClassTag;
}

void ForgetListed(Handle32 handle) {
  uint32_t kept = 0;
  for (uint32_t i = 0; i < gState.count; ++i) {
    if (gState.list[i] != handle) gState.list[kept++] = gState.list[i];
  }
  gState.count = kept;
}

// The checks of the slots that work on one mesh, in their order: document, object, its lock, its
// kind. The object stays locked while the call lives and is unlocked as changed on every path.
class CMeshCall {
 public:
  CMeshCall(uint32_t document, uint32_t object) {
    C3dDocument* owner = DocumentOf(document);
    if (!owner) {
      fResult = kNoDocument;
      return;
    }
    C3dObject* found = ObjectOf(owner, object);
    if (!found) {
      fResult = kNoObject;
      return;
    }
    fLock.emplace(found, true, false);
    if (!fLock->IsLocked()) fResult = kMeshFailed;
    else if (!IsMesh(found)) fResult = kNotAMesh;
    else fMesh = static_cast<C3dTriangleMesh*>(found);
  }

  int32_t Result() const { return fResult; }
  C3dTriangleMesh* Mesh() const { return fMesh; }

 private:
  std::optional<CHolder> fLock;
  C3dTriangleMesh* fMesh = nullptr;
  int32_t fResult = kNoErr;
};

// Whether an object of the scene other than the given one holds the material.
bool IsMaterialShared(C3dBaseSys* scene, const C3dObject* except, Handle32 material) {
  CHolder holder(scene, false, false);
  if (!holder.IsLocked()) return true;
  for (uint32_t row = 0; row < scene->GetCount(); ++row) {
    C3dBase* thing = (*scene)[row].object;
    C3dObject* object = thing ? thing->AsObject() : nullptr;
    if (object && object != except && object->GetMaterial() == material) return true;
  }
  return false;
}

// Closes the gap the object leaves in the window's object list, searched from its last entry: 0,
// 6 when the list does not hold it, 9 when the list cannot be had or locked.
int32_t RemoveFromList(C3dBaseSpoolTable* list, C3dObject* object) {
  if (!list) return kErrOutOfMemory;
  CHolder holder(list, true, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  for (uint32_t i = list->GetCount(); object && i-- > 0;) {
    if (list->At(i) != object) continue;
    list->RemoveAt(i, 1);
    return kNoErr;
  }
  return kErrObjectNotFound;
}

// The object out of the selection, the import list and its group, then deleted with the material
// that it alone holds: a plug-in takes back what it made, leaving the document as it was.
void DeleteFromScene(C3dDocument* document, C3dObject* object) {
  document->GetSelection().Deselect(object);
  ForgetListed(object->GetHandle());
  if (C3dGroup* parent = object->GetParent()) parent->RemoveChild(object);
  const Handle32 handle = object->GetMaterial();
  C3dMaterial* material = LookupHandleAs<C3dMaterial>(handle, C3dMaterial::kFamily);
  const bool ownMaterial = material && !IsMaterialShared(document->GetSceneTable(), object, handle);
  delete object;
  if (ownMaterial) delete material;
}

// The object's handle into *object: 0, 6 for a thing that is no placed object, 9 when the handle
// table refuses.
int32_t HandOut(C3dBase* thing, uint32_t* object) {
  C3dObject* found = thing ? thing->AsObject() : nullptr;
  if (!found) return kErrObjectNotFound;
  const Handle32 handle = found->GetHandle();
  if (handle == kNoHandle) return kErrOutOfMemory;
  *object = handle;
  return kNoErr;
}

// ---- the slots

uint32_t GetDocument() { return gState.document && gState.window ? gState.document->GetHandle() : kNoHandle; }

int32_t GetObjectCount(uint32_t document, int32_t* count) {
  C3dDocument* owner = DocumentOf(document);
  if (!owner) return kNoDocument;
  if (!count) return kErrInvalidParameter;
  *count = int32_t(owner->GetListCount());
  return kNoErr;
}

int32_t FindObject(uint32_t document, int32_t id, uint32_t* object) {
  C3dDocument* owner = DocumentOf(document);
  if (!owner) return kNoDocument;
  if (!object) return kErrInvalidParameter;
  C3dBase* thing = nullptr;
  if (const int32_t error = owner->GetSceneTable()->FindByTagAndId(C3dBaseSys::kObjectFamily, uint32_t(id), &thing))
    return error;
  return HandOut(thing, object);
}

int32_t GetObject(uint32_t document, int32_t index, uint32_t* object) {
  C3dDocument* owner = DocumentOf(document);
  if (!owner) return kNoDocument;
  if (!object) return kErrInvalidParameter;
  C3dBaseSpoolTable* list = owner->GetWindow()->GetObjectList();
  if (!list) return kErrOutOfMemory;
  CHolder holder(list, false, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  if (index < 0 || uint32_t(index) >= list->GetCount()) return kErrInvalidParameter;
  return HandOut(list->At(uint32_t(index)), object);
}

int32_t CreateObject(uint32_t document, uint32_t classCode, uint32_t* object) {
  C3dDocument* owner = DocumentOf(document);
  if (!owner) return kNoDocument;
  if (classCode != C3dTriangleMesh::kClassTag) return kErrObjectNotFound;
  if (!object) return kErrInvalidParameter;
  C3dBaseSys* scene = owner->GetSceneTable();
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dTriangleMesh>(scene->GetEnvironment(), key, spec);
  C3dTriangleMesh* mesh = nullptr;
  if (const int32_t error = C3dTriangleMesh::New(&mesh, scene, key, spec)) return error;
  const Handle32 handle = mesh->GetHandle();
  int32_t result = handle == kNoHandle ? kErrOutOfMemory : gState.window->SelectNewObject(mesh);
  if (result) {
    RemoveFromList(owner->GetWindow()->GetObjectList(), mesh);
    DeleteFromScene(owner, mesh);
    owner->GetWindow()->FindSceneParts(true);
    return result;
  }
  *object = handle;
  if (gState.count < kImportListSize) gState.list[gState.count++] = handle;
  // The mesh keeps a material of its own, a copy of the window's material for new objects; when that
  // cannot be made the mesh stays, without one.
  C3dMaterial* model = gState.window->GetDefaultMaterial();
  CHolder modelLock(model, false, false, nullptr, model != nullptr);
  CHolder meshLock(mesh, true, false);
  if ((model && !modelLock.IsLocked()) || !meshLock.IsLocked()) return kErrOutOfMemory;
  return GiveNewMaterial(mesh, scene, scene->GetEnvironment(), model ? model->GetHandle() : kNoHandle);
}

int32_t DeleteObject(uint32_t document, uint32_t object) {
  C3dDocument* owner = DocumentOf(document);
  if (!owner) return kNoDocument;
  C3dObject* target = ObjectOf(owner, object);
  const int32_t removed = RemoveFromList(owner->GetWindow()->GetObjectList(), target);
  if (removed == kErrObjectNotFound) return kNoErr;
  if (removed) return removed;
  DeleteFromScene(owner, target);
  // The window's other lists and the renderer may hold the object too.
  return owner->GetWindow()->FindSceneParts(true);
}

int32_t SetMaterialProperty(uint32_t document, uint32_t object, int32_t id, int32_t value) {
  CMeshCall call(document, object);
  if (call.Result()) return call.Result();
  C3dMaterial* material = LookupHandleAs<C3dMaterial>(call.Mesh()->GetMaterialLink(), C3dMaterial::kFamily);
  if (!material) return kMeshFailed;
  if (id == kReset) return material->Reset() ? kMeshFailed : kNoErr;
  CHolder holder(material, true, false);
  if (!holder.IsLocked()) return kMeshFailed;
  SMaterialSample& sample = material->GetRecord().sample;
  const double amount = value / 255.0;
  const vector3<float> colour{float(((value >> 16) & 0xFF) / 255.0), float(((value >> 8) & 0xFF) / 255.0),
                              float((value & 0xFF) / 255.0)};
  switch (id) {
    case kAmbience: sample.ambience = amount; break;
    case kAmbientColour: sample.ambientColour = colour; break;
    case kDiffusion: sample.diffusion = amount; break;
    case kDiffuseColour: sample.diffuseColour = colour; break;
    case kSpecularity: sample.specularity = amount; break;
    case kSpecularColour: sample.specularColour = colour; break;
    case kTransparency: sample.transparency = amount; break;
    case kTransparentColour: sample.transparentColour = colour; break;
    case kRefractionIndex: sample.refractionIndex = value * 0.01; break;
    case kSpecExponentRed: sample.specCoefficients.x = float(value); break;
    case kSpecExponentGreen: sample.specCoefficients.y = float(value); break;
    case kSpecExponentBlue: sample.specCoefficients.z = float(value); break;
    case kReflection: sample.reflection = amount; break;
    default: break;
  }
  return kNoErr;
}

int32_t BeginImport(uint32_t document) {
  if (!DocumentOf(document)) return kNoDocument;
  ClearImportList();
  return kNoErr;
}

// Places the listed meshes so that together they fit a cube of kPlacedSize centred at
// (0, kPlacedHeight, 0), with their normals, face flags and bounds made anew.
int32_t PlaceMeshes(C3dTriangleMesh* const* meshes, uint32_t count, const C3dBox& box) {
  if (box.IsEmpty()) return kNoErr;
  const vector3<double> extent = box.fMax - box.fMin;
  double largest = extent.x;
  if (extent.y > largest) largest = extent.y;
  if (extent.z > largest) largest = extent.z;
  const double scale = largest >= kNoExtent ? kPlacedSize / largest : 1.0;
  const vector3<double> low = box.fMin * scale, high = box.fMax * scale;
  const vector3<double> offset{-(low.x + high.x) * 0.5, kPlacedHeight - (low.y + high.y) * 0.5,
                               -(low.z + high.z) * 0.5};
  for (uint32_t i = 0; i < count; ++i) {
    C3dTriangleMesh* mesh = meshes[i];
    CHolder holder(mesh, true, false);
    if (!holder.IsLocked() || mesh->ScaleAndMoveVertices(scale, offset) || mesh->ComputeFaceNormals())
      return kMeshFailed;
    mesh->SetAllFacesVisible(false);
    mesh->ComputeBounds();
    mesh->ClearBoundsCache();
  }
  return kNoErr;
}

int32_t EndImport(uint32_t document) {
  C3dDocument* owner = DocumentOf(document);
  if (!owner) return kNoDocument;
  if (gState.count == 0) return kNoErr;
  // A plug-in that skips slot 24 next time must not reach this import's meshes.
  struct SClearAtEnd {
    ~SClearAtEnd() { ClearImportList(); }
  } clearAtEnd;
  CDocumentHost* window = owner->GetWindow();
  CSelection& selection = owner->GetSelection();
  {
    C3dBaseSpoolTable* list = window->GetObjectList();
    CHolder holder(list, false, false, nullptr, list != nullptr);
    if (list && !holder.IsLocked()) return kErrOutOfMemory;
    selection.DeselectAll(1);
  }
  window->Invalidate(false);
  C3dTriangleMesh* meshes[kImportListSize];
  uint32_t count = 0;
  C3dBox box = C3dBox::Empty();
  for (uint32_t i = 0; i < gState.count; ++i) {
    C3dObject* object = ObjectOf(owner, gState.list[i]);
    if (!object) continue;
    CHolder holder(object, false, false);
    if (!holder.IsLocked()) return kMeshFailed;
    if (!IsMesh(object)) continue;
    C3dTriangleMesh* mesh = static_cast<C3dTriangleMesh*>(object);
    box.Union(mesh->VertexBox());
    selection.Add(mesh, 0, 0);
    meshes[count++] = mesh;
  }
  if (const int32_t error = PlaceMeshes(meshes, count, box)) return error;
  return gState.window->GroupSelection() ? kMeshFailed : kNoErr;
}

int32_t FinishObject(uint32_t document, uint32_t object) {
  CMeshCall call(document, object);
  if (call.Result()) return call.Result();
  C3dTriangleMesh* mesh = call.Mesh();
  mesh->SetFaceAttribute(mesh->GetMaterialLink());
  if (mesh->ComputeFaceNormals()) return kMeshFailed;
  mesh->SetAllFacesVisible(false);
  mesh->ComputeBounds();
  mesh->ClearBoundsCache();
  SetObjectFamily(*mesh, 0);
  return kNoErr;
}

bool IsFinitePoint(const float* p) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

vector3<double> PointOf(const float* p) { return {p[0], p[1], p[2]}; }

int32_t AddTriangle(uint32_t document, uint32_t mesh, const float* p1, const float* p2, const float* p3) {
  CMeshCall call(document, mesh);
  if (call.Result()) return call.Result();
  if (!p1) return kFirstPointMissing;
  if (!p2) return kSecondPointMissing;
  if (!p3) return kThirdPointMissing;
  // A point that is no number would leave the whole import without a place.
  if (!IsFinitePoint(p1) || !IsFinitePoint(p2) || !IsFinitePoint(p3)) return kMeshFailed;
  // A mesh that cannot grow says why, so that the import reports memory, not the drawing's format.
  const int32_t added = call.Mesh()->AddTriangle(PointOf(p1), PointOf(p2), PointOf(p3));
  return added == kErrOutOfMemory ? kErrOutOfMemory : added ? kMeshFailed : kNoErr;
}

int32_t MeshData(uint32_t document, uint32_t mesh, int32_t, const void* first, const void* second,
                 const void* third) {
  CMeshCall call(document, mesh);
  if (call.Result()) return call.Result();
  if (!first) return kFirstPointMissing;
  if (!second) return kSecondPointMissing;
  if (!third) return kThirdPointMissing;
  return kNoErr;
}

constexpr SDocumentSlots kSlots = {
    &GetDocument, &GetObjectCount, &FindObject,  &GetObject,   &CreateObject, &DeleteObject, &SetMaterialProperty,
    &BeginImport, &EndImport,      &FinishObject, &AddTriangle, &MeshData,     &ClearImportList,
};

}  // namespace

void RegisterHostCallbacks() { SetDocumentSlots(&kSlots); }

void SetCallbackDocument(C3dDocument* document, CImportHost* window) {
  RegisterHostCallbacks();
  if (document != gState.document) ClearImportList();
  gState.document = document;
  gState.window = window;
}

C3dDocument* GetCallbackDocument() { return gState.document; }

uint32_t GetImportListCount() { return gState.count; }

Handle32 GetImportListEntry(uint32_t index) { return index < gState.count ? gState.list[index] : kNoHandle; }

void ClearImportList() { gState.count = 0; }
