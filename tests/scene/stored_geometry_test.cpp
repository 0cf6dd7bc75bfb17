// Triangle meshes and height fields written into a real resource file the way saving a document
// does, stored big-endian with their arrays, and read back, or refused, by a fresh object.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document_record_fixture.h"
#include "framework/core/byte_order.h"
#include "framework/core/resource_env.h"
#include "height_field_fixture.h"
#include "mesh_fixture.h"

namespace {

// A document's resource environment over the fixture that makes the things; a thing loaded back is
// read at once.
template <typename Base>
class StoredIn : public DocumentRecordIn<Base> {
 protected:
  // A fresh object of the class over the stored resource, entered in the table; the answer of its
  // first lock, which reads the record.
  template <typename T>
  T* Load(const SSpoolKey& stored, bool* read = nullptr) {
    T* copy = DocumentRecordIn<Base>::template Load<T>(stored, this->table);
    const bool locked = copy->Lock();
    if (locked) copy->Unlock(false, false);
    if (read) *read = locked;
    else EXPECT_TRUE(locked) << copy->GetError();
    return copy;
  }

  static void PutBigWord(Bytes& bytes, size_t at, uint32_t value) { StoreField(bytes.data() + at, SwapLong(value)); }
};

using StoredGeometry = StoredIn<MeshTest>;
using StoredTerrain = StoredIn<HeightFieldTest>;

TEST_F(StoredGeometry, AMeshIsStoredBigEndianAndReadsBack) {
  C3dTriangleMesh* mesh = NewCube();
  ASSERT_EQ(mesh->ComputeVertexNormals(85), 0);
  mesh->SetAllFacesVisible(true);
  mesh->SetMaterial(0x01020304);
  const Point firstVertex = Vertex(mesh, 0);
  const Bytes bytes = Save(mesh);

  ASSERT_EQ(bytes.size(), 848u + 24 * (50 + 50) + 76 * 50);
  EXPECT_EQ(bytes[748], 1);
  const uint32_t counts[6] = {50, 8, 50, 36, 50, 12};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(BigWordAt(bytes, 752 + 4 * i), counts[i]) << i;
  EXPECT_EQ(BigDoubleAt(bytes, 776), mesh->LocalBox().fMin.x);
  EXPECT_EQ(BigDoubleAt(bytes, 848), firstVertex.x);
  const size_t faces = 848 + 24 * (50 + 50);
  const S3dFace face = Face(mesh, 1);
  EXPECT_EQ(BigWordAt(bytes, faces + 76 + 4), face.vertex[1]);
  EXPECT_EQ(BigWordAt(bytes, faces + 76 + 12 + 8), face.normal[2]);
  EXPECT_EQ(BigDoubleAt(bytes, faces + 76 + 24 + 16), face.faceNormal.z);
  EXPECT_EQ(BigWordAt(bytes, faces + 76 + 60), 1u);  // smooth
  // The material word stays in the writing machine's order.
  EXPECT_EQ(LoadField<uint32_t>(bytes.data() + faces + 76 + 64), 0x01020304u);
  EXPECT_EQ(Save(mesh), bytes);  // the record came back in machine order

  auto* copy = Load<C3dTriangleMesh>(mesh->GetKey());
  EXPECT_EQ(copy->GetVertexCount(), 8u);
  EXPECT_EQ(copy->GetNormalCount(), 36u);
  EXPECT_EQ(copy->GetFaceCount(), 12u);
  EXPECT_EQ(copy->GetFaceCapacity(), 50u);
  EXPECT_EQ(copy->LocalBox(), mesh->LocalBox());
  EXPECT_EQ(copy->GetMaterial(), 0x01020304u);
  for (uint32_t v = 0; v < 8; ++v) EXPECT_EQ(Vertex(copy, v), Vertex(mesh, v));
  for (uint32_t n = 0; n < 36; ++n) EXPECT_EQ(Normal(copy, n), Normal(mesh, n));
  for (uint32_t f = 0; f < 12; ++f) {
    const S3dFace a = Face(mesh, f), b = Face(copy, f);
    EXPECT_EQ(std::memcmp(a.vertex, b.vertex, sizeof a.vertex), 0);
    EXPECT_EQ(std::memcmp(a.normal, b.normal, sizeof a.normal), 0);
    EXPECT_EQ(a.faceNormal, b.faceNormal);
    EXPECT_EQ(std::memcmp(a.cornerFlags, b.cornerFlags, sizeof a.cornerFlags), 0);
    EXPECT_EQ(a.smooth, b.smooth);
  }
  // The copy answers rays as the original does.
  ExpectRayCase(*copy, {"read back", {0, 0, 5}, {0, 0, -1}, 0, true, 4.5});
}

TEST_F(StoredGeometry, AMeshOfFlatFacesWithoutNormalsReadsBack) {
  C3dTriangleMesh* mesh = NewCube();
  const Bytes bytes = Save(mesh);
  EXPECT_EQ(BigWordAt(bytes, 764), 0u);
  auto* copy = Load<C3dTriangleMesh>(mesh->GetKey());
  EXPECT_EQ(copy->GetFaceCount(), 12u);
  EXPECT_EQ(copy->GetNormalCount(), 0u);
}

// A record whose counts, sizes or indices do not hold together is refused before anything is read.
TEST_F(StoredGeometry, AnInconsistentMeshRecordIsRefused) {
  C3dTriangleMesh* mesh = NewCube();
  ASSERT_EQ(mesh->ComputeVertexNormals(85), 0);
  mesh->SetAllFacesVisible(true);
  const Bytes good = Save(mesh);
  const size_t faces = 848 + 24 * (50 + 50);
  const struct {
    const char* name;
    void (*spoil)(Bytes&);
  } cases[] = {
      {"vertex count past its capacity", [](Bytes& b) { PutBigWord(b, 756, 51); }},
      {"face count past its capacity", [](Bytes& b) { PutBigWord(b, 772, 51); }},
      {"capacities past the record", [](Bytes& b) { PutBigWord(b, 768, 51); }},
      {"capacities that wrap", [](Bytes& b) { PutBigWord(b, 752, 0x40000000); }},
      {"record shorter than its arrays", [](Bytes& b) { b.resize(b.size() - 1); }},
      {"record without its header", [](Bytes& b) { b.resize(800); }},
      {"arrays flagged as in machine order", [](Bytes& b) { b[748] = 0; }},
      {"a vertex index past the count", [](Bytes& b) { PutBigWord(b, 848 + 24 * 100 + 76 * 11 + 8, 8); }},
      {"a smooth corner's normal past the count", [](Bytes& b) { PutBigWord(b, 848 + 24 * 100 + 12, 36); }},
  };
  for (const auto& c : cases) {
    Bytes bad = good;
    c.spoil(bad);
    Overwrite(mesh->GetKey(), bad);
    bool read = true;
    auto* copy = Load<C3dTriangleMesh>(mesh->GetKey(), &read);
    EXPECT_FALSE(read) << c.name;
    EXPECT_EQ(copy->GetError(), 2) << c.name;
    EXPECT_EQ(copy->GetFaceCount(), 0u) << c.name;
    delete copy;
  }
  // A flat corner's normal index is not read.
  Bytes flat = good;
  PutBigWord(flat, faces + 48, 1);
  PutBigWord(flat, faces + 12, 999);
  Overwrite(mesh->GetKey(), flat);
  auto* copy = Load<C3dTriangleMesh>(mesh->GetKey());
  EXPECT_EQ(copy->GetFaceCount(), 12u);
}

TEST_F(StoredTerrain, AHeightFieldIsStoredBigEndianAndReadsBack) {
  C3dHeightField* field = FieldOf(16, [](uint32_t x, uint32_t z) { return x * 4000 + z + 0x0102; }, true);
  field->SetClip(-0.125, 0.875);
  const double extras[3] = {1.5, -2.5, 3.5};
  field->SetExtras(extras);
  const Bytes bytes = Save(field);

  ASSERT_EQ(bytes.size(), 848u + 2 * 16 * 16);
  EXPECT_EQ(bytes[748], 1);
  EXPECT_EQ(BigWordAt(bytes, 840), 16u);
  EXPECT_EQ(bytes[844], 1);
  EXPECT_EQ(BigDoubleAt(bytes, 752 + 8), field->LocalBox().fMin.y);
  EXPECT_EQ(BigDoubleAt(bytes, 808), -2.5);
  EXPECT_EQ(BigDoubleAt(bytes, 824), -0.125);
  EXPECT_EQ(BigDoubleAt(bytes, 832), 0.875);
  EXPECT_EQ(bytes[848 + 2 * 17], 0x10);  // sample (1, 1) = 4000 + 1 + 0x102 = 0x10A3, high byte first
  EXPECT_EQ(bytes[848 + 2 * 17 + 1], 0xA3);
  EXPECT_EQ(Save(field), bytes);

  auto* copy = Load<C3dHeightField>(field->GetKey());
  EXPECT_EQ(copy->GetSide(), 16u);
  EXPECT_EQ(Heights(copy), Heights(field));
  EXPECT_EQ(copy->LocalBox(), field->LocalBox());
  EXPECT_EQ(copy->GetExtras()[2], 3.5);
  EXPECT_EQ(copy->GetLowerClip(), -0.125);
  EXPECT_EQ(copy->GetUpperClip(), 0.875);
  EXPECT_TRUE(copy->IsSymmetric());
  // The tiles are built on reading: the copy answers rays.
  EXPECT_TRUE(copy->GetTiles()->IsBuilt());
  EXPECT_TRUE(copy->IsReady());
  CRenderStats stats;
  CRay ray = MakeRay(stats, copy->GetObjectToWorld().TransformPoint({7.5, 100, 7.5}), {0, -1, 0});
  EXPECT_TRUE(copy->Intersect(ray));
}

TEST_F(StoredTerrain, AHeightFieldRecordTooShortForItsGridIsRefused) {
  C3dHeightField* field = Grey128();
  const Bytes good = Save(field);
  const struct {
    const char* name;
    void (*spoil)(Bytes&);
  } cases[] = {
      {"one byte short", [](Bytes& b) { b.resize(b.size() - 1); }},
      {"a larger n", [](Bytes& b) { PutBigWord(b, 840, 17); }},
      {"n past 32 bits", [](Bytes& b) { PutBigWord(b, 840, 0x10000); }},
      {"no header", [](Bytes& b) { b.resize(840); }},
      // Swapped "to big-endian", n would be read as 0x10 << 24.
      {"grid flagged as in machine order", [](Bytes& b) { b[748] = 0; }},
  };
  for (const auto& c : cases) {
    Bytes bad = good;
    c.spoil(bad);
    Overwrite(field->GetKey(), bad);
    bool read = true;
    auto* copy = Load<C3dHeightField>(field->GetKey(), &read);
    EXPECT_FALSE(read) << c.name;
    EXPECT_EQ(copy->GetError(), 2) << c.name;
    EXPECT_EQ(copy->GetSide(), 0u) << c.name;
    delete copy;
  }
}

// A terrain saved before it had heights opens again: empty, and no ray meets it.
TEST_F(StoredTerrain, AHeightFieldWithoutHeightsReadsBackEmpty) {
  C3dHeightField* field = Grey128();
  Bytes empty = Save(field);
  empty.resize(848);
  PutBigWord(empty, 840, 0);
  Overwrite(field->GetKey(), empty);
  bool read = false;
  auto* copy = Load<C3dHeightField>(field->GetKey(), &read);
  EXPECT_TRUE(read);
  EXPECT_EQ(copy->GetSide(), 0u);
  EXPECT_TRUE(copy->IsReady());
  CRenderStats stats;
  CRay ray = MakeRay(stats, {64, 500, 64}, {0, -1, 0});
  EXPECT_FALSE(copy->Intersect(ray));
  delete copy;
}

}  // namespace
