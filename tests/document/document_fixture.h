// Scene documents in a headless application: a scene with one thing of every stored class, written
// into real resource files, read back into fresh tables, and the documents' records listed key by
// key for comparison.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/class_table.h"
#include "framework/core/progress.h"
#include "scene/camera.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cone_light.h"
#include "scene/cube.h"
#include "scene/cube_light.h"
#include "scene/cylinder.h"
#include "scene/cylinder_light.h"
#include "scene/group.h"
#include "scene/height_field.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/pyramid_light.h"
#include "scene/sky.h"
#include "scene/sphere.h"
#include "scene/sphere_light.h"
#include "scene/square.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"
#include "tests/scene/surface/material_fixture.h"

inline const std::vector<uint32_t> kPicturePixels = {0x00102030, 0x10405060, 0x807080A0, 0xFFFFFFFF,
                                                      0x01020304, 0x7F000000, 0x00FF00FF, 0x55AA55AA};

// What the full scene holds that the tests look at again.
struct SFullScene {
  C3dMaterial* texturedMaterial = nullptr;
  C3dTexture* texture = nullptr;
  CPictTexture* picture = nullptr;
  C3dTexture* cloud = nullptr;
  C3dGroup* group = nullptr;
  C3dGroup* booleanGroup = nullptr;
  C3dSky* sky = nullptr;
  C3dLight* lightWithWord = nullptr;
  C3dMaterial* lightWord = nullptr;
};

class DocumentTest : public MaterialTest {
 protected:
  uint32_t DataBudget() const override { return 16 * 1024 * 1024; }
  uint32_t ObjectsBudget() const override { return 4 * 1024 * 1024; }

  void TearDown() override {
    extra.clear();
    MaterialTest::TearDown();
  }

  // A new resource file in the test's folder, open for reading and writing.
  CResourceEnv* NewDocument(const std::string& name) {
    CFileSpec spec;
    EXPECT_EQ(spec.Set((folder + "/" + name).c_str()), 0);
    extra.push_back(std::make_unique<CResourceEnv>(spec, CFile::kModeReadWrite));
    EXPECT_TRUE(extra.back()->IsOpen()) << extra.back()->GetLastResult();
    return extra.back().get();
  }

  template <typename T>
  T* Shape(C3dBaseSys* into, const char* name) {
    T* shape = MakeShape<T>(into);
    if (shape) SetName(shape, name);
    return shape;
  }
  // A thing without a material of its own gets one.
  template <typename T>
  T* WithMaterial(T* object, C3dBaseSys* into) {
    C3dMaterial* material = MakeObject<C3dMaterial>(into);
    object->SetMaterial(material->GetHandle());
    return object;
  }

  // One thing of each of the 23 stored classes, every object and light with a material of its own:
  // a material with a 3D texture and a picture texture, a group of a cube and a cone, a boolean group
  // of two spheres, a sky with a cloud texture and a light with a second material.
  SFullScene BuildFullScene(C3dBaseSys* into) {
    SFullScene scene;
    scene.texture = NewTexture();
    SetName(scene.texture, "noise");
    EXPECT_EQ(into->AddObject(scene.texture), 0);
    scene.picture = NewPicture(4, 2, kPicturePixels);
    SetName(scene.picture, "bricks");
    EXPECT_EQ(into->AddObject(scene.picture), 0);
    scene.cloud = NewTexture();
    EXPECT_EQ(into->AddObject(scene.cloud), 0);

    C3dSphere* textured = Shape<C3dSphere>(into, "textured ball");
    scene.texturedMaterial = MaterialOf(textured);
    EXPECT_EQ(scene.texturedMaterial->SetChannelTexture(scene.texture, 0), 0);
    EXPECT_EQ(scene.texturedMaterial->SetChannelTexture(scene.picture, 1), 0);
    Shape<C3dPlane>(into, "ground");
    Shape<C3dPyramid>(into, "pyramid");
    Shape<C3dCylinder>(into, "cylinder");
    Shape<C3dCircle>(into, "disk");
    Shape<C3dSquare>(into, "square");
    Shape<C3dTorus>(into, "torus");
    C3dHeightField* terrain = Shape<C3dHeightField>(into, "land");
    EXPECT_EQ(terrain->SetResolution(16), 0);
    terrain->SetBoxAndPivot();
    C3dTriangleMesh* mesh = WithMaterial(MakeObject<C3dTriangleMesh>(into), into);
    EXPECT_EQ(mesh->AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), 0);
    mesh->ComputeBounds();
    mesh->SetMaterial(MakeObject<C3dMaterial>(into)->GetHandle());
    SetName(mesh, "mesh");

    C3dCube* cube = Shape<C3dCube>(into, "cube member");
    C3dCone* cone = Shape<C3dCone>(into, "cone member");
    scene.group = WithMaterial(MakeObject<C3dGroup>(into), into);
    SetName(scene.group, "pair");
    EXPECT_EQ(scene.group->AddChild(cube), 0);
    EXPECT_EQ(scene.group->AddChild(cone), 0);
    C3dSphere* plus = Shape<C3dSphere>(into, "plus");
    C3dSphere* minus = Shape<C3dSphere>(into, "minus");
    plus->SetStateFlags(C3dObject::kPositive);
    minus->SetStateFlags(C3dObject::kNegative);
    Place(minus, {0.5, 0.5, 0.5}, {0.5, 0, 0});
    scene.booleanGroup = WithMaterial(MakeObject<C3dGroup>(into), into);
    SetName(scene.booleanGroup, "carved");
    EXPECT_EQ(scene.booleanGroup->AddChild(plus), 0);
    EXPECT_EQ(scene.booleanGroup->AddChild(minus), 0);

    Shape<C3dSphereLight>(into, "radial");
    scene.lightWithWord = Shape<C3dConeLight>(into, "spot");
    scene.lightWord = MakeObject<C3dMaterial>(into);
    scene.lightWithWord->SetLightWord(scene.lightWord->GetHandle());
    Shape<C3dCylinderLight>(into, "circular");
    Shape<C3dCubeLight>(into, "parallel");
    Shape<C3dPyramidLight>(into, "square spot");
    SetName(WithMaterial(MakeObject<C3dSunLight>(into), into), "sunlight");
    scene.sky = MakeObject<C3dSky>(into);
    SetName(scene.sky, "current sky");
    {
      CHolder holder(scene.sky, true, false);
      scene.sky->SetCloudTexture(scene.cloud, 0);
    }
    SetName(MakeObject<C3dCamera>(into), "perspective");
    EXPECT_EQ(C3dGroup::RelinkGroups(into), 0);
    return scene;
  }

  // Every record of the document by "type name#id": its data, then its stored header when it has one.
  std::map<std::string, Bytes> Records(CResourceEnv* from) {
    std::map<std::string, Bytes> records;
    std::vector<std::string> types;
    {
      CMasterTable* master = from->GetMasterTable();
      CHolder holder(master, false, false);
      EXPECT_TRUE(holder.IsLocked());
      for (uint32_t i = 0; i < master->GetCount(); ++i) types.emplace_back((*master)[i].typeName, 0, 16);
    }
    for (std::string& type : types) {
      type = type.c_str();
      CResTypeTable* rows = nullptr;
      EXPECT_TRUE(from->FindType(type.c_str(), &rows, nullptr)) << type;
      CHolder holder(rows, false, false);
      for (uint32_t i = 0; i < rows->GetCount(); ++i) {
        const CResEntry entry = (*rows)[i];
        Bytes bytes = EntryBytes(from, entry.first);
        const Bytes header = EntryBytes(from, entry.second);
        bytes.insert(bytes.end(), header.begin(), header.end());
        records[type + "#" + std::to_string(entry.number)] = bytes;
      }
    }
    return records;
  }
  static Bytes EntryBytes(CResourceEnv* from, uint32_t number) {
    CCmFile* file = from->GetCmFile();
    const uint32_t size = file->GetEntryField(number);
    CMemBlock block(size, nullptr);
    EXPECT_EQ(file->ReadEntryToData(number, block), 0);
    return Bytes(block.GetData(), block.GetData() + size);
  }

  // The things of a table, row by row.
  static std::vector<C3dBase*> Things(C3dBaseSys* of) {
    std::vector<C3dBase*> things;
    C3dBase* thing = nullptr;
    for (uint32_t row = 0; of->GetObjectAt(row, &thing) == 0; ++row) things.push_back(thing);
    return things;
  }
  static C3dBase* Find(C3dBaseSys* in, const C3dBase* like) {
    C3dBase* found = nullptr;
    in->FindByKey(like->GetFamily(), like->GetClass(), like->GetId(), &found);
    return found;
  }
  static uint32_t Count(C3dBaseSys* in, uint32_t family, uint32_t classTag) {
    uint32_t count = 0;
    EXPECT_EQ(in->CountByTags(family, classTag, &count), 0);
    return count;
  }

  std::vector<std::unique_ptr<CResourceEnv>> extra;
};
