// The document window headless in a folder of its own (its preferences file and plug-ins there), with
// scenes to build, save and compare.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "document/prefs_file.h"
#include "framework/core/appl.h"
#include "framework/core/handle_table.h"
#include "scene/cube.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/sphere.h"
#include "scene/sphere_light.h"
#include "scene/surface/material.h"
#include "tests/app/doc_window_fixture.h"
#include "tests/document/plugin_fixture.h"

class DocCommandsTest : public PluginFolderTest<DocWindowTest> {
 protected:
  void SetUp() override {
    PluginFolderTest::SetUp();
    app->moduleFolder = dir_;
    ASSERT_NE(getcwd(oldFolder_, sizeof oldFolder_), nullptr);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
  }
  void TearDown() override {
    EXPECT_EQ(chdir(oldFolder_), 0);
    PluginFolderTest::TearDown();
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  // A press of the window's render button of the name.
  int32_t Button(const char* name) {
    CUIMessage message;
    message.Init(0, name, nullptr, "doc window", 0);
    return window->HandleRenderButton(&message);
  }
  // Heartbeats until the render request is answered: the last slice's result.
  int32_t Beat() {
    SHeartbeatRecord record;
    int32_t result = -1;
    for (int i = 0; i < 8 && window->GetRenderRequest(); ++i) result = window->Heartbeat(record);
    EXPECT_EQ(window->GetRenderRequest(), 0u);
    return result;
  }
  CFileSpec Spec(const std::string& name) const {
    CFileSpec spec;
    spec.Set(Path(name).c_str());
    return spec;
  }
  static void KeepPicture(bool keep) {
    CPrefsFile prefs;
    prefs.SetWord(CPrefsFile::kPictureWithDocumentOffset, keep ? 1 : 0);
    ASSERT_TRUE(prefs.Write());
  }
  static void Answer(const std::string& script) { ASSERT_TRUE(platform::headless::AddScript(script)); }
  static size_t DialogCount() { return platform::headless::AskedDialogs().size(); }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  static void SetName(C3dBase* thing, const char* name) {
    CHolder lock(thing, true, false);
    ASSERT_TRUE(lock.IsLocked());
    char* field = reinterpret_cast<char*>(thing->GetData());
    std::memset(field, 0, C3dBase::kNameBytes);
    std::strncpy(field, name, C3dBase::kNameBytes - 1);
  }
  // A shape of class T in the window's scene with a copy of its default material, placed and named.
  template <typename T>
  T* AddShape(const char* name, const vector3<double>& at) {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<T>(app->GetObjectsEnv(), key, spec);
    T* shape = nullptr;
    EXPECT_EQ(NewShape(&shape, window->GetSceneTable(), key, spec, window->GetDefaultMaterial()->GetHandle()), 0);
    if (!shape) return nullptr;
    SetName(shape, name);
    CHolder lock(shape, true, false);
    shape->SetTransformVector3(at);
    return shape;
  }
  C3dGroup* AddGroup(const char* name, std::initializer_list<C3dObject*> members) {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<C3dGroup>(app->GetObjectsEnv(), key, spec);
    C3dGroup* group = nullptr;
    EXPECT_EQ(C3dGroup::New(&group, window->GetSceneTable(), key, spec), 0);
    if (!group) return nullptr;
    SetName(group, name);
    CHolder lock(group, true, false);
    for (C3dObject* member : members) EXPECT_EQ(group->AddChild(member), 0);
    return group;
  }
  // A small document: a sphere, a group of two cubes and a radial light, with view
  // dot 2 pressed; the sphere is selected.
  void BuildScene() {
    C3dSphere* ball = AddShape<C3dSphere>("ball", {1, 2, 3});
    AddGroup("pair", {AddShape<C3dCube>("left", {-2, 1, 0}), AddShape<C3dCube>("right", {2, 1, 0})});
    C3dSphereLight* lamp = nullptr;
    ASSERT_EQ(AppendNew(&lamp, window->GetSceneTable(), app->GetObjectsEnv()), 0);
    SetName(lamp, "lamp");
    {
      CHolder lock(lamp, true, false);
      ASSERT_EQ(GiveNewMaterial(lamp, window->GetSceneTable(), app->GetObjectsEnv(),
                                window->GetDefaultMaterial()->GetHandle()),
                0);
    }
    C3dCamera* dot = window->GetViewCamera(CDocWindow::kFirstViewDot + 2);
    {
      CHolder lock(dot, true, false);
      dot->SetStateFlags(0x80000);
    }
    ASSERT_EQ(window->FindSceneParts(true), 0);
    Selection().Add(ball, 1, 0);
  }

  // Each thing of the table as a line: family, class, id, name, position, material id and member
  // ids; sorted.
  static std::vector<std::string> Describe(C3dBaseSys* table) {
    std::vector<std::string> lines;
    CHolder holder(table, false, false);
    for (uint32_t row = 0; holder.IsLocked() && row < table->GetCount(); ++row) {
      C3dBase* thing = (*table)[row].object;
      std::ostringstream line;
      line << FourCCText(thing->GetFamily()) << " " << FourCCText(thing->GetClass()) << " " << thing->GetId() << " "
           << NameOf(thing);
      if (C3dObject* object = thing->AsObject()) {
        const vector3<double> p = object->GetTransformVector3();
        line << " at " << p.x << "," << p.y << "," << p.z;
        // A group has no material; reading one gives it the reader's default.
        auto* material = LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
        if (material && thing->GetClass() != C3dGroup::kClassTag) line << " material " << material->GetId();
        if (object->GetParent()) line << " in " << object->GetParent()->GetId();
      }
      lines.push_back(line.str());
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }
  // The lines of every thing but the materials, which reading a group adds one to.
  static std::vector<std::string> WithoutMaterials(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
      if (line.compare(0, 4, "matr") != 0) out.push_back(line);
    }
    return out;
  }
  // The lines of the things of a family.
  static std::vector<std::string> OfFamily(const std::vector<std::string>& lines, const std::string& family) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
      if (line.compare(0, family.size(), family) == 0) out.push_back(line);
    }
    return out;
  }

 private:
  char oldFolder_[4096] = {};
};
