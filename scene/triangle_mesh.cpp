#include "scene/triangle_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/byte_order.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/factory.h"
#include "scene/line_drawer.h"
#include "scene/progress_stepper.h"
#include "scene/surface/material.h"

namespace {

// A face's fields, offsets within its 76 bytes.
constexpr uint32_t kFaceVertices = 0;
constexpr uint32_t kFaceNormals = 12;
constexpr uint32_t kFaceNormal = 24;
constexpr uint32_t kFaceCornerFlags = 48;
constexpr uint32_t kFaceSmooth = 60;
constexpr uint32_t kFaceAttribute = 64;
constexpr uint32_t kFaceReserved = 68;

constexpr double kDegrees = 0.01745329251994;
// Wireframes draw about this many faces.
constexpr uint32_t kDetailedFaces = 200;
constexpr uint32_t kPlainFaces = 5000;
constexpr uint32_t kNotFound = UINT32_MAX;

vector3<double> LoadPoint(const uint8_t* at) { return LoadField<vector3<double>>(at); }

// (p1 − p0) × (p2 − p0), normalised; (0, 0, 0) for three points on a line.
vector3<double> FaceNormal(const vector3<double>& p0, const vector3<double>& p1, const vector3<double>& p2) {
  const vector3<double> n = Cross(p1 - p0, p2 - p0);
  const double k = FastInvSqrt(Dot(n, n));
  return std::isfinite(k) ? n * k : vector3<double>{};
}

void SwapWords(uint8_t* at, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) SwapWordAt(at + 4 * i);
}

void SwapDoubles(uint8_t* at, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) SwapDoubleAt(at + 8 * i);
}

// The face's fields but the attribute word.
void SwapFace(uint8_t* face) {
  SwapWords(face + kFaceVertices, 6);
  SwapDoubles(face + kFaceNormal, 3);
  SwapWords(face + kFaceCornerFlags, 4);
  SwapWords(face + kFaceReserved, 2);
}

}  // namespace

void LoadFace(const uint8_t* at, S3dFace* face) {
  std::memcpy(face->vertex, at + kFaceVertices, sizeof face->vertex);
  std::memcpy(face->normal, at + kFaceNormals, sizeof face->normal);
  face->faceNormal = LoadPoint(at + kFaceNormal);
  std::memcpy(face->cornerFlags, at + kFaceCornerFlags, sizeof face->cornerFlags);
  face->smooth = LoadField<uint32_t>(at + kFaceSmooth);
  face->attribute = LoadField<uint32_t>(at + kFaceAttribute);
  std::memcpy(face->reserved, at + kFaceReserved, sizeof face->reserved);
}

void StoreFace(uint8_t* at, const S3dFace& face) {
  std::memcpy(at + kFaceVertices, face.vertex, sizeof face.vertex);
  std::memcpy(at + kFaceNormals, face.normal, sizeof face.normal);
  StoreField(at + kFaceNormal, face.faceNormal);
  std::memcpy(at + kFaceCornerFlags, face.cornerFlags, sizeof face.cornerFlags);
  StoreField(at + kFaceSmooth, face.smooth);
  StoreField(at + kFaceAttribute, face.attribute);
  std::memcpy(at + kFaceReserved, face.reserved, sizeof face.reserved);
}

C3dTriangleMesh::C3dTriangleMesh(const SObjectKey& key) : C3dObject(key) { SizeRecord(kArraysOffset); }

C3dTriangleMesh::~C3dTriangleMesh() {
  fRenderHold.Release();
  delete fGeometry;
  delete fRunTime;
  delete fVoxels;
}

int32_t C3dTriangleMesh::New(C3dTriangleMesh** out, C3dBaseSys* table, const SObjectKey& key,
                             const SSpoolTableSpec& spec) {
  return NewObject(out, table, key, spec);
}

uint32_t C3dTriangleMesh::RecordSizeFor(uint32_t vertexCapacity, uint32_t normalCapacity, uint32_t faceCapacity) {
  const uint64_t size = kArraysOffset + uint64_t(kVertexBytes) * vertexCapacity +
                        uint64_t(kNormalBytes) * normalCapacity + uint64_t(kFaceBytes) * faceCapacity;
  return size > UINT32_MAX ? 0 : uint32_t(size);
}

C3dTriangleMesh::SArrays C3dTriangleMesh::BindData() const {
  SArrays arrays;
  arrays.vertices = GetData() + kArraysOffset;
  arrays.normals = arrays.vertices + size_t(kVertexBytes) * fVertexCapacity;
  arrays.faces = arrays.normals + size_t(kNormalBytes) * fNormalCapacity;
  return arrays;
}

// ---- reading entries

bool C3dTriangleMesh::GetVertex(uint32_t index, vector3<double>* out) {
  CHolder holder(this, false, false);
  if (!holder.IsLocked() || index >= fVertexCount) return false;
  *out = LoadPoint(BindData().vertices + size_t(kVertexBytes) * index);
  return true;
}

bool C3dTriangleMesh::GetNormal(uint32_t index, vector3<double>* out) {
  CHolder holder(this, false, false);
  if (!holder.IsLocked() || index >= fNormalCount) return false;
  *out = LoadPoint(BindData().normals + size_t(kNormalBytes) * index);
  return true;
}

bool C3dTriangleMesh::GetFace(uint32_t index, S3dFace* out) {
  CHolder holder(this, false, false);
  if (!holder.IsLocked() || index >= fFaceCount) return false;
  LoadFace(BindData().faces + size_t(kFaceBytes) * index, out);
  return true;
}

// ---- growing

bool C3dTriangleMesh::GrowArray(uint32_t* capacity, uint32_t entries) {
  const uint32_t vertices = fVertexCapacity + (capacity == &fVertexCapacity ? entries : 0);
  const uint32_t normals = fNormalCapacity + (capacity == &fNormalCapacity ? entries : 0);
  const uint32_t faces = fFaceCapacity + (capacity == &fFaceCapacity ? entries : 0);
  const uint32_t size = RecordSizeFor(vertices, normals, faces);
  if (size == 0 || *capacity > UINT32_MAX - entries) {
    SetError(kErrOutOfMemory);
    return false;
  }
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return false;
  const SArrays before = BindData();
  const size_t oldNormals = size_t(before.normals - GetData());
  const size_t oldFaces = size_t(before.faces - GetData());
  if (!Resize(size, true, false)) return false;
  *capacity += entries;
  const SArrays after = BindData();
  uint8_t* record = GetData();
  // The face array moves furthest, so it goes first.
  std::memmove(after.faces, record + oldFaces, size_t(kFaceBytes) * fFaceCount);
  std::memmove(after.normals, record + oldNormals, size_t(kNormalBytes) * fNormalCount);
  // What the moves left behind in the unused slots is cleared.
  uint8_t* usedEnds[3] = {after.vertices + size_t(kVertexBytes) * fVertexCount,
                          after.normals + size_t(kNormalBytes) * fNormalCount,
                          after.faces + size_t(kFaceBytes) * fFaceCount};
  uint8_t* arrayEnds[3] = {after.normals, after.faces, record + size};
  for (int i = 0; i < 3; ++i) std::memset(usedEnds[i], 0, size_t(arrayEnds[i] - usedEnds[i]));
  return true;
}

// A large array grows by a quarter of itself: in steps of 50 a mesh of many thousand triangles moved
// its arrays again at every step, and its building took time in the square of its size.
bool C3dTriangleMesh::AppendEntry(uint32_t* capacity, uint32_t* count, const void* entry, uint32_t bytes) {
  if (*count == *capacity && !GrowArray(capacity, std::max(kGrowth, *capacity / 4))) return false;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return false;
  const SArrays arrays = BindData();
  uint8_t* base = count == &fVertexCount ? arrays.vertices : count == &fNormalCount ? arrays.normals : arrays.faces;
  uint8_t* slot = base + size_t(bytes) * *count;
  if (entry) std::memcpy(slot, entry, bytes);
  else std::memset(slot, 0, bytes);
  ++*count;
  Unprepare();
  return true;
}

bool C3dTriangleMesh::AddVertex(const vector3<double>* point) {
  return AppendEntry(&fVertexCapacity, &fVertexCount, point, kVertexBytes);
}

bool C3dTriangleMesh::AddNormal(const vector3<double>* normal) {
  return AppendEntry(&fNormalCapacity, &fNormalCount, normal, kNormalBytes);
}

bool C3dTriangleMesh::AddFace(const S3dFace* face) {
  uint8_t bytes[kFaceBytes] = {};
  if (face) {
    for (int k = 0; k < 3; ++k) {
      const bool needsNormal = !(face->cornerFlags[k] & S3dFace::kFlatCorner);
      if (face->vertex[k] >= fVertexCount || (needsNormal && face->normal[k] >= fNormalCount)) {
        SetError(kErrInvalidParameter);
        return false;
      }
    }
    StoreFace(bytes, *face);
  }
  return AppendEntry(&fFaceCapacity, &fFaceCount, face ? bytes : nullptr, kFaceBytes);
}

// ---- triangles

void C3dTriangleMesh::FindWelded(CWeldIndex& welds, const uint8_t* entries, uint32_t count,
                                 const vector3<double>* points, uint32_t* found) {
  for (int k = 0; k < 3; ++k) found[k] = welds.Find(entries, kVertexBytes, count, points[k]);
}

bool C3dTriangleMesh::AddFlatFace(const uint32_t vertex[3]) {
  S3dFace face;
  {
    CHolder holder(this, false, false);
    if (!holder.IsLocked()) return false;
    const uint8_t* vertices = BindData().vertices;
    for (int k = 0; k < 3; ++k) {
      if (vertex[k] >= fVertexCount) return false;
      face.vertex[k] = vertex[k];
    }
    const auto point = [&](int k) { return LoadPoint(vertices + size_t(kVertexBytes) * vertex[k]); };
    face.faceNormal = FaceNormal(point(0), point(1), point(2));
  }
  std::fill(face.cornerFlags, face.cornerFlags + 3, S3dFace::kFlatCorner);
  // A mesh built triangle by triangle after its material was given keeps it on every face.
  face.attribute = GetMaterialLink();
  return AddFace(&face);
}

bool C3dTriangleMesh::Weld(uint32_t* count, const vector3<double> points[3], uint32_t index[3]) {
  const bool normals = count == &fNormalCount;
  {
    CHolder holder(this, false, false);
    if (!holder.IsLocked()) return false;
    const SArrays arrays = BindData();
    if (normals) FindWelded(fNormalWelds, arrays.normals, *count, points, index);
    else FindWelded(fVertexWelds, arrays.vertices, *count, points, index);
  }
  for (int k = 0; k < 3; ++k) {
    if (index[k] != kNotFound) continue;
    index[k] = *count;
    if (!(normals ? AddNormal(&points[k]) : AddVertex(&points[k]))) return false;
  }
  return true;
}

int32_t C3dTriangleMesh::AddTriangle(const vector3<double>& p0, const vector3<double>& p1,
                                     const vector3<double>& p2) {
  const vector3<double> points[3] = {p0, p1, p2};
  uint32_t index[3];
  return Weld(&fVertexCount, points, index) && AddFlatFace(index) ? kNoErr : kErrOutOfMemory;
}

int32_t C3dTriangleMesh::AddTriangleWithNormals(const vector3<double>& p0, const vector3<double>& p1,
                                                const vector3<double>& p2, const vector3<double>& n0,
                                                const vector3<double>& n1, const vector3<double>& n2) {
  if (const int32_t error = AddTriangle(p0, p1, p2)) return error;
  const vector3<double> normals[3] = {n0, n1, n2};
  uint32_t index[3];
  if (!Weld(&fNormalCount, normals, index)) return kErrOutOfMemory;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  uint8_t* at = BindData().faces + size_t(kFaceBytes) * (fFaceCount - 1);
  S3dFace face;
  LoadFace(at, &face);
  std::copy(index, index + 3, face.normal);
  std::fill(face.cornerFlags, face.cornerFlags + 3, 0);
  face.smooth = S3dFace::kSmooth;
  StoreFace(at, face);
  return kNoErr;
}

// ---- the material word

Handle32 C3dTriangleMesh::GetMaterial() const {
  if (fFaceCount == 0) return C3dObject::GetMaterial();
  // Locking pages the record in; nothing the caller sees changes.
  auto* self = const_cast<C3dTriangleMesh*>(this);
  CHolder holder(self, false, false);
  if (!holder.IsLocked()) return kNoHandle;
  return LoadField<uint32_t>(BindData().faces + kFaceAttribute);
}

void C3dTriangleMesh::SetMaterial(Handle32 material) {
  C3dObject::SetMaterial(material);
  if (fFaceCount == 0) return;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return;
  uint8_t* faces = BindData().faces;
  for (uint32_t f = 0; f < fFaceCount; ++f) StoreField(faces + size_t(kFaceBytes) * f + kFaceAttribute, material);
}

// ---- bounds and normals

void C3dTriangleMesh::ComputeBounds() {
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return;
  if (fVertexCount == 0) {
    fBox = C3dBox{};
    return;
  }
  C3dBox box = C3dBox::Empty();
  const uint8_t* vertices = BindData().vertices;
  for (uint32_t i = 0; i < fVertexCount; ++i) box.Extend(LoadPoint(vertices + size_t(kVertexBytes) * i));
  const vector3<double> margin = (box.fMax - box.fMin) * 0.01;
  fBox = {box.fMin - margin, box.fMax + margin};
  Unprepare();
}

C3dBox C3dTriangleMesh::VertexBox() {
  C3dBox box = C3dBox::Empty();
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return box;
  const uint8_t* vertices = BindData().vertices;
  for (uint32_t i = 0; i < fVertexCount; ++i) box.Extend(LoadPoint(vertices + size_t(kVertexBytes) * i));
  return box;
}

int32_t C3dTriangleMesh::ScaleAndMoveVertices(double scale, const vector3<double>& offset) {
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  uint8_t* vertices = BindData().vertices;
  for (uint32_t i = 0; i < fVertexCount; ++i) {
    uint8_t* at = vertices + size_t(kVertexBytes) * i;
    StoreField(at, LoadPoint(at) * scale + offset);
  }
  ForgetWelds();
  Unprepare();
  return kNoErr;
}

void C3dTriangleMesh::ClearBoundsCache() { std::fill(fExtras, fExtras + 3, 0.0); }

int32_t C3dTriangleMesh::ComputeFaceNormals() {
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  CProgressStepper::Init(fFaceCount, 1);
  const SArrays arrays = BindData();
  for (uint32_t f = 0; f < fFaceCount; ++f) {
    uint8_t* at = arrays.faces + size_t(kFaceBytes) * f;
    S3dFace face;
    LoadFace(at, &face);
    const auto point = [&](int k) { return LoadPoint(arrays.vertices + size_t(kVertexBytes) * face.vertex[k]); };
    StoreField(at + kFaceNormal, FaceNormal(point(0), point(1), point(2)));
    CProgressStepper::Step();
  }
  // The run-time records take their projection axes from the face normals.
  Unprepare();
  return kNoErr;
}

int32_t C3dTriangleMesh::ComputeVertexNormals(double angleDegrees) {
  // Three normals per face: room for all of them at once, in steps of 50.
  const uint64_t needed = uint64_t(fFaceCount) * 3;
  if (needed > UINT32_MAX) return kErrOutOfMemory;
  if (needed > fNormalCapacity) {
    const uint32_t steps = uint32_t((needed - fNormalCapacity + kGrowth - 1) / kGrowth);
    if (!GrowArray(&fNormalCapacity, steps * kGrowth)) return kErrOutOfMemory;
  }
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  CHolder cells(fPrepared ? &fVoxels->GetCells() : nullptr, false, false, nullptr, fPrepared);
  CHolder indices(fPrepared ? &fVoxels->GetIndices() : nullptr, false, false, nullptr, fPrepared);
  if (fPrepared && (!cells.IsLocked() || !indices.IsLocked())) return kErrOutOfMemory;
  CProgressStepper::Init(fFaceCount, 2);
  const SArrays arrays = BindData();
  const double least = std::cos(angleDegrees * kDegrees);
  fNormalCount = 0;
  ForgetWelds();
  for (uint32_t f = 0; f < fFaceCount; ++f) {
    uint8_t* at = arrays.faces + size_t(kFaceBytes) * f;
    S3dFace face;
    LoadFace(at, &face);
    for (int k = 0; k < 3; ++k) {
      const uint32_t v = face.vertex[k];
      vector3<double> sum = face.faceNormal;
      uint32_t n = 1;
      const auto consider = [&](uint32_t g) {
        if (g == f) return;
        const uint8_t* other = arrays.faces + size_t(kFaceBytes) * g;
        uint32_t corners[3];
        std::memcpy(corners, other + kFaceVertices, sizeof corners);
        if (corners[0] != v && corners[1] != v && corners[2] != v) return;
        const vector3<double> normal = LoadPoint(other + kFaceNormal);
        if (Dot(normal, face.faceNormal) < least) return;
        sum += normal;
        ++n;
      };
      if (fPrepared) {
        const S3dVoxel cell =
            fVoxels->GetCells()[fVoxels->CellIndexOf(LoadPoint(arrays.vertices + size_t(kVertexBytes) * v))];
        for (uint32_t i = 0; i < cell.count; ++i) consider(fVoxels->GetIndices()[cell.first + i]);
      } else {
        for (uint32_t g = 0; g < fFaceCount; ++g) consider(g);
      }
      StoreField(arrays.normals + size_t(kNormalBytes) * fNormalCount, sum * (1.0 / n));
      face.normal[k] = fNormalCount++;
    }
    StoreFace(at, face);
    CProgressStepper::Step();
  }
  return kNoErr;
}

void C3dTriangleMesh::SetAllFacesVisible(bool smooth) {
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return;
  uint8_t* faces = BindData().faces;
  for (uint32_t f = 0; f < fFaceCount; ++f) {
    uint8_t* at = faces + size_t(kFaceBytes) * f;
    S3dFace face;
    LoadFace(at, &face);
    // A corner without a normal of its own keeps the face normal, so that every stored corner that
    // names a normal names one that exists.
    for (int k = 0; k < 3; ++k)
      face.cornerFlags[k] = smooth && face.normal[k] < fNormalCount ? 0 : S3dFace::kFlatCorner;
    face.smooth = smooth ? S3dFace::kSmooth : 0;
    StoreFace(at, face);
  }
}

// ---- copies

C3dObject* C3dTriangleMesh::Duplicate(C3dBaseSys* table) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dTriangleMesh>(GetEnvironment(), key, spec);
  C3dTriangleMesh* copy = nullptr;
  if (New(&copy, table, key, spec)) return nullptr;
  if (CopyTo(*copy)) {
    delete copy;
    return nullptr;
  }
  return copy;
}

int32_t C3dTriangleMesh::CopyTo(C3dObject& target) {
  if (target.GetClass() != kClassTag) return kErrUnexpectedType;
  if (const int32_t error = C3dObject::CopyTo(target)) return error;
  auto& mesh = static_cast<C3dTriangleMesh&>(target);
  const uint32_t size = RecordSizeFor(fVertexCapacity, fNormalCapacity, fFaceCapacity);
  CHolder source(this, false, false);
  if (!source.IsLocked()) return NonZeroError(GetError());
  CHolder destination(&mesh, true, false);
  if (!destination.IsLocked()) return NonZeroError(mesh.GetError());
  if (!mesh.Resize(size, false, false)) return kErrOutOfMemory;
  std::memcpy(mesh.GetData(), GetData(), size);
  mesh.fVertexCapacity = fVertexCapacity;
  mesh.fVertexCount = fVertexCount;
  mesh.fNormalCapacity = fNormalCapacity;
  mesh.fNormalCount = fNormalCount;
  mesh.fFaceCapacity = fFaceCapacity;
  mesh.fFaceCount = fFaceCount;
  mesh.fBox = fBox;
  std::copy(fExtras, fExtras + 3, mesh.fExtras);
  mesh.ForgetWelds();
  mesh.Unprepare();
  // The copy's faces get a material of their own in the copy's table, as a duplicated shape does.
  C3dBaseSys* table = mesh.GetOwningTable();
  const Handle32 material = GetMaterial();
  if (!table || !LookupHandleAs<C3dMaterial>(material, C3dMaterial::kFamily)) return kNoErr;
  return GiveNewMaterial(&mesh, table, mesh.GetEnvironment(), material);
}

// ---- drawing

C3dBox C3dTriangleMesh::WorldBox() { return fBox.Transform(GetObjectToWorld()); }

bool C3dTriangleMesh::DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t detail, bool) {
  if ((GetFlags() & kHidden) || !view) return false;
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return false;
  const C34Matrix& toWorld = GetObjectToWorld();
  const uint32_t stride = std::max(1u, fFaceCount / (detail ? kDetailedFaces : kPlainFaces));
  const SArrays arrays = BindData();
  for (uint32_t f = 0; f < fFaceCount; f += stride) {
    S3dFace face;
    LoadFace(arrays.faces + size_t(kFaceBytes) * f, &face);
    vector3<double> corners[3];
    for (int k = 0; k < 3; ++k)
      corners[k] = toWorld.TransformPoint(LoadPoint(arrays.vertices + size_t(kVertexBytes) * face.vertex[k]));
    for (int k = 0; k < 3; ++k) view->DrawLine3d(corners[k], corners[(k + 1) % 3], viewMatrix);
  }
  return true;
}

// ---- the record

void C3dTriangleMesh::StoreHeader(uint8_t* record) const {
  std::memset(record + kByteOrderOffset, 0, kCountsOffset - kByteOrderOffset);
  const uint32_t counts[6] = {fVertexCapacity, fVertexCount, fNormalCapacity, fNormalCount, fFaceCapacity, fFaceCount};
  StoreField(record + kCountsOffset, counts);
  StoreField(record + kBoxOffset, fBox);
  StoreField(record + kExtrasOffset, fExtras);
}

void C3dTriangleMesh::LoadHeader(const uint8_t* record) {
  uint32_t counts[6];
  std::memcpy(counts, record + kCountsOffset, sizeof counts);
  fVertexCapacity = counts[0];
  fVertexCount = counts[1];
  fNormalCapacity = counts[2];
  fNormalCount = counts[3];
  fFaceCapacity = counts[4];
  fFaceCount = counts[5];
  fBox = LoadField<C3dBox>(record + kBoxOffset);
  std::memcpy(fExtras, record + kExtrasOffset, sizeof fExtras);
}

bool C3dTriangleMesh::SaveState() {
  if (!C3dObject::SaveState()) return false;
  StoreHeader(GetData());
  return true;
}

void C3dTriangleMesh::RestoreState() {
  C3dObject::RestoreState();
  LoadHeader(GetData());
  ForgetWelds();
  Unprepare();
}

bool C3dTriangleMesh::IsInStoredOrder(const uint8_t* record, uint32_t size) const {
  return size <= kByteOrderOffset || record[kByteOrderOffset] != 0;
}

bool C3dTriangleMesh::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kArraysOffset) return false;
  // Counts, capacities and indices in machine order: as they stand when the record is in machine order.
  const bool bigEndian = record[kByteOrderOffset] != 0;
  const auto word = [bigEndian](const uint8_t* at) {
    const uint32_t stored = LoadField<uint32_t>(at);
    return bigEndian ? SwapLong(stored) : stored;
  };
  uint32_t counts[6];
  for (int i = 0; i < 6; ++i) counts[i] = word(record + kCountsOffset + 4 * i);
  const uint32_t vertices = counts[1], normals = counts[3], faces = counts[5];
  const uint32_t needed = RecordSizeFor(counts[0], counts[2], counts[4]);
  if (vertices > counts[0] || normals > counts[2] || faces > counts[4] || needed == 0 || needed > size) return false;
  uint8_t* vertexArray = record + kArraysOffset;
  uint8_t* normalArray = vertexArray + size_t(kVertexBytes) * counts[0];
  uint8_t* faceArray = normalArray + size_t(kNormalBytes) * counts[2];
  for (uint32_t f = 0; f < faces; ++f) {
    const uint8_t* face = faceArray + size_t(kFaceBytes) * f;
    for (int k = 0; k < 3; ++k) {
      const bool flat = word(face + kFaceCornerFlags + 4 * k) & S3dFace::kFlatCorner;
      if (word(face + kFaceVertices + 4 * k) >= vertices) return false;
      if (!flat && word(face + kFaceNormals + 4 * k) >= normals) return false;
    }
  }

  if (!C3dObject::SwapRecord(record, size)) return false;
  record[kByteOrderOffset] = bigEndian ? 0 : 1;
  SwapWords(record + kCountsOffset, 6);
  SwapDoubles(record + kBoxOffset, 9);
  SwapDoubles(vertexArray, 3 * vertices);
  SwapDoubles(normalArray, 3 * normals);
  for (uint32_t f = 0; f < faces; ++f) SwapFace(faceArray + size_t(kFaceBytes) * f);
  return true;
}
