// The document window's create items driven headless: item messages, the preferences' placement
// word, preset libraries written into the test's own "Presets" folder, modifier keys, and a scene
// table that can be told to refuse a family of things.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "editing/create_action.h"
#include "editing/undo_history.h"
#include "framework/core/random.h"
#include "platform/alloc.h"
#include "platform/headless.h"
#include "scene/surface/material.h"
#include "tests/app/doc_commands_fixture.h"

// Refuses to take things of one family (0: none) with code 12.
class CRefusingTable : public C3dBaseSys {
 public:
  using C3dBaseSys::C3dBaseSys;
  uint32_t refusedFamily = 0;

  int32_t OnObjectAdded(C3dBase* object) override {
    if (refusedFamily && object->GetFamily() == refusedFamily) return kErrExpansion;
    return C3dBaseSys::OnObjectAdded(object);
  }
};

// A window on a refusing table, whose sphere item leaves the next allocation failing when asked.
class CCreateTestWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;
  CRefusingTable* table = nullptr;
  bool failAfterSphere = false;

  int32_t CreateSphere() override {
    const int32_t result = CDocWindow::CreateSphere();
    // The pool tries twice before it gives up.
    if (failAfterSphere) platform::FailNextAllocations(2);
    return result;
  }

 protected:
  std::unique_ptr<C3dBaseSys> NewSceneTable() override {
    CAppl* app = GetApplication();
    auto made = std::make_unique<CRefusingTable>(app ? app->GetObjectsEnv() : nullptr);
    table = made.get();
    return made;
  }
};

class DocCreateTest : public DocCommandsTest {
 protected:
  void TearDown() override {
    // Modifier keys let go, so that no later test finds them down.
    platform::headless::AddScript("keyup 17\n");
    Settle();
    DocCommandsTest::TearDown();
  }

  CCreateTestWindow& MadeCreateWindow() { return Made<CCreateTestWindow>(); }
  CUndoHistory& History() { return window->GetDocument()->GetUndoHistory(); }

  static CUIMessage Message(const char* element, const char* canvas = "create palette") {
    CUIMessage message;
    message.Init(0, element, element, canvas, 0);
    return message;
  }
  int32_t Create(const char* element, const char* canvas = "create palette") {
    CUIMessage message = Message(element, canvas);
    return window->HandleCreateItem(&message);
  }
  // The only selected object, or none.
  C3dObject* Selected() {
    return Selection().GetCount() == 1 ? Selection().GetObject(0) : nullptr;
  }
  // The objects the history's current creation lists; empty when the current step is no creation.
  std::vector<C3dObject*> Recorded() {
    std::vector<C3dObject*> out;
    auto* action = dynamic_cast<CCreateAction*>(History().GetCurrentAction());
    for (uint32_t i = 0; action && i < action->GetObjects().GetCount(); ++i) out.push_back(action->GetObjects()[i]);
    return out;
  }
  size_t MaterialCount() { return Things(C3dMaterial::kFamily).size(); }

  // A preferences file of `bytes` bytes whose placement word is `inView`.
  void WritePreferences(int32_t inView, size_t bytes = CPrefsFile::kBlockBytes) {
    std::vector<uint8_t> block(bytes, 0);
    if (bytes >= 8) std::memcpy(block.data() + 4, &inView, sizeof inView);
    std::ofstream(Path(CPrefsFile::kFileName), std::ios::binary)
        .write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size()));
  }
  // The current camera at a point, looking along a direction.
  void AimCamera(const vector3<double>& at, const vector3<double>& direction) {
    C3dCamera* camera = window->GetCurrentCamera();
    ASSERT_NE(camera, nullptr);
    CHolder lock(camera, true, false);
    ASSERT_TRUE(lock.IsLocked());
    camera->SetTransformVector3(at);
    camera->GetView().direction = direction;
  }

  // A library in the test's "Presets" folder: one material of each diffuse colour, in order.
  void WriteLibrary(const std::string& file, const std::vector<vector3<float>>& colours) {
    std::filesystem::create_directories(Path("Presets"));
    std::filesystem::remove(Path("Presets/" + file));
    CFileSpec spec;
    ASSERT_EQ(spec.Set(Path("Presets/" + file).c_str()), 0);
    CResourceEnv library(spec, CFile::kModeReadWrite);
    ASSERT_TRUE(library.IsOpen());
    C3dBaseSys table(app->GetObjectsEnv());
    for (const vector3<float>& colour : colours) {
      SObjectKey key;
      SSpoolTableSpec creation;
      MakeCreationKey<C3dMaterial>(app->GetObjectsEnv(), key, creation);
      C3dMaterial* material = nullptr;
      ASSERT_EQ(C3dMaterial::New(&material, &table, key, creation), 0);
      {
        CHolder lock(material, true, false);
        ASSERT_TRUE(lock.IsLocked());
        material->GetRecord().sample.diffuseColour = colour;
      }
      ASSERT_EQ(table.WriteObject(material, &library), 0);
    }
    ASSERT_EQ(library.Close(), 0);
  }
  // Whether the program reads materials out of libraries yet (the reader may not be built).
  bool CanReadLibraries() {
    WriteLibrary("Probe.shd", {{0.5f, 0.5f, 0.5f}});
    CFileSpec spec;
    spec.Set(Path("Presets/Probe.shd").c_str());
    CResourceEnv library(spec, CFile::kModeRead);
    SObjectKey key;
    key.Set(&library, C3dMaterial::kFamily, C3dMaterial::kClassTag, C3dMaterial::kTypeName);
    SSpoolKey stored;
    stored.Set(C3dMaterial::kTypeName, 1, false);
    SSpoolTableSpec spec1;
    spec1.SetForObjects(true, &stored);
    C3dMaterial* material = nullptr;
    const int32_t result = C3dMaterial::NewFromLibrary(&material, key, spec1);
    delete material;
    return result != kErrNotImplemented;
  }

  static vector3<float> DiffuseOf(C3dMaterial* material) {
    CHolder lock(material, false, false);
    return lock.IsLocked() ? material->GetRecord().sample.diffuseColour : vector3<float>{-1, -1, -1};
  }
  static C3dMaterial* MaterialOf(C3dObject* object) {
    return object ? LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily) : nullptr;
  }
  // The material's stored part, as bytes.
  static std::vector<uint8_t> PartOf(C3dMaterial* material) {
    CHolder lock(material, false, false);
    if (!lock.IsLocked()) return {};
    const uint8_t* part = material->GetData() + C3dMaterial::kPartOffset;
    return std::vector<uint8_t>(part, part + C3dMaterial::kPartSize);
  }

  // Holds Ctrl down (or lets it go) through the input script.
  void HoldControl(bool down) {
    ASSERT_TRUE(platform::headless::AddScript(down ? "key 17\n" : "keyup 17\n"));
    Settle();
    ASSERT_EQ(app->IsControlDown(), down);
  }

  static void ExpectNear(const vector3<double>& actual, const vector3<double>& expected, const std::string& what,
                         double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
  }
};
