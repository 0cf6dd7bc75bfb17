// A material read from a library: the stored record comes back whole in a material of the caller's,
// in no table; environments that are closed or no library, records that are missing, short or of
// another class, and a refused allocation all answer their code and hand back nothing.
#include <gtest/gtest.h>

#include "material_fixture.h"
#include "platform/alloc.h"
#include "scene/sphere.h"

namespace {

class LibraryMaterial : public MaterialTest {
 protected:
  // A material of distinct values, stored in the document under its key.
  SSpoolKey StoreDistinct() {
    C3dMaterial* material = NewMaterial(table);
    EXPECT_NE(material, nullptr);
    {
      CHolder holder(material, true, false);
      SMaterialSample& s = material->GetRecord().sample;
      s.diffuseColour = {0.25f, 0.5f, 0.75f};
      s.reflection = 0.375;
      s.transparency = 0.625;
      s.refractionIndex = 1.33;
      s.flags = 0x9;
      material->GetRecord().sources[C3dMaterial::kBumpSource] = 3;
    }
    stored = MaterialPart(material);
    Save(material);
    return material->GetKey();
  }

  static SObjectKey KeyOn(CSpoolSys* environment) {
    SObjectKey key;
    key.Set(environment, C3dMaterial::kFamily, C3dMaterial::kClassTag, C3dMaterial::kTypeName);
    return key;
  }
  int32_t Read(CSpoolSys* environment, const SSpoolKey& record, C3dMaterial** out) {
    SSpoolKey existing = record;
    existing.isNew = 0;
    SSpoolTableSpec spec;
    spec.SetForObjects(true, &existing);
    *out = reinterpret_cast<C3dMaterial*>(1);
    return C3dMaterial::NewFromLibrary(out, KeyOn(environment), spec);
  }

  std::vector<uint8_t> stored;
};

TEST_F(LibraryMaterial, TheStoredRecordComesBackWholeInNoTable) {
  const SSpoolKey key = StoreDistinct();
  const uint32_t rowsBefore = table->GetCount();
  C3dMaterial* material = nullptr;
  ASSERT_EQ(Read(document.get(), key, &material), 0);
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(material->GetOwningTable(), nullptr);
  EXPECT_EQ(table->GetCount(), rowsBefore);
  EXPECT_EQ(material->GetFamily(), C3dMaterial::kFamily);
  EXPECT_EQ(material->GetClass(), C3dMaterial::kClassTag);
  EXPECT_EQ(MaterialPart(material), stored);
  {
    CHolder holder(material, false, false);
    const SMaterialSample& s = material->GetRecord().sample;
    EXPECT_EQ(s.diffuseColour.y, 0.5f);
    EXPECT_EQ(s.reflection, 0.375);
    EXPECT_EQ(s.refractionIndex, 1.33);
  }
  delete material;
}

TEST_F(LibraryMaterial, EnvironmentsThatAreNoOpenLibraryAreRefused) {
  const SSpoolKey key = StoreDistinct();
  CFileSpec nowhere;
  ASSERT_EQ(nowhere.Set((folder + "/missing/swap.tmp").c_str()), 0);
  CSpoolEnv unready(&nowhere, GetObjectPool(), SRange{32, 32}, 0, false, nullptr, 0);
  ASSERT_FALSE(unready.IsReady());
  C3dMaterial* material = nullptr;
  EXPECT_EQ(Read(nullptr, key, &material), 16);
  EXPECT_EQ(material, nullptr);
  EXPECT_EQ(Read(&unready, key, &material), 16);
  EXPECT_EQ(material, nullptr);
  EXPECT_EQ(Read(ObjectsEnv(), key, &material), 14);  // a spool environment
  EXPECT_EQ(material, nullptr);
  ASSERT_EQ(document->Close(), 0);
  EXPECT_EQ(Read(document.get(), key, &material), 16);
  EXPECT_EQ(material, nullptr);
}

TEST_F(LibraryMaterial, RecordsThatCannotBeReadAsAMaterialHandBackNothing) {
  const SSpoolKey key = StoreDistinct();
  C3dMaterial* material = nullptr;
  SSpoolKey missing = key;
  missing.id = key.id + 100;
  EXPECT_NE(Read(document.get(), missing, &material), 0);
  EXPECT_EQ(material, nullptr);

  // A sphere stored under the material's type: its record names another class.
  C3dSphere* sphere = NewSphere();
  SSpoolKey sphereKey = sphere->GetKey();
  Save(sphere);
  Bytes sphereBytes = Stored(sphereKey);
  sphereBytes.resize(C3dMaterial::kRecordSize);
  Overwrite(key, sphereBytes);
  EXPECT_EQ(Read(document.get(), key, &material), 2);
  EXPECT_EQ(material, nullptr);

  Overwrite(key, Bytes(C3dMaterial::kRecordSize - 1));
  EXPECT_NE(Read(document.get(), key, &material), 0);
  EXPECT_EQ(material, nullptr);
}

TEST_F(LibraryMaterial, ARefusedAllocationAnswers9) {
  const SSpoolKey key = StoreDistinct();
  C3dMaterial* material = nullptr;
  // Enough refusals for the pool's second try and its recovery's own allocations.
  platform::FailNextAllocations(100);
  EXPECT_EQ(Read(document.get(), key, &material), 9);
  platform::FailNextAllocations(0);
  EXPECT_EQ(material, nullptr);
  ASSERT_EQ(Read(document.get(), key, &material), 0);
  delete material;
}

}  // namespace
