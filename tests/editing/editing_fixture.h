// A scene table with a document on it, reached through a window stand-in that keeps an object list,
// a current camera and a log of what the document asked of it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editing/document.h"
#include "editing/document_host.h"
#include "framework/core/holder.h"
#include "platform/window.h"
#include "scene/base_spool_table.h"
#include "scene/camera.h"
#include "tests/scene/scene_fixture.h"

class CTestHost : public CDocumentHost {
 public:
  C3dBaseSys* GetSceneTable() override { return scene; }
  C3dBaseSpoolTable* GetObjectList() override { return list; }
  C3dCamera* GetCurrentCamera() override { return camera; }
  int32_t FindSceneParts(bool relink) override {
    calls.push_back(relink ? "find parts, relinked" : "find parts");
    // As the window does: the object list collected again, the objects in the scene's order, then the
    // lights.
    if (collectOnFind && scene && list) {
      scene->CollectByType(C3dBaseSys::kObjectFamily, list, false);
      scene->CollectByType(FourCC("lght"), list, true);
    }
    return findResult;
  }
  void NotifyObjInfoChanged(uint32_t changes) override { calls.push_back("objinfochanged " + std::to_string(changes)); }
  void Invalidate(bool viewChanged) override { calls.push_back(viewChanged ? "invalidate view" : "invalidate"); }
  C3dSky* GetSky() const override { return sky; }
  C3dSunLight* GetSun() const override { return sun; }
  void MarkUnsavedChanges() override { calls.push_back("unsaved"); }
  int32_t CacheCameraState() override {
    calls.push_back("cache camera");
    return 0;
  }

  C3dBaseSys* scene = nullptr;
  C3dBaseSpoolTable* list = nullptr;
  C3dCamera* camera = nullptr;
  C3dSky* sky = nullptr;
  C3dSunLight* sun = nullptr;
  int32_t findResult = 0;
  bool collectOnFind = false;
  std::vector<std::string> calls;
};

class EditingTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    if (HasFatalFailure()) return;
    host.scene = table;
    document = std::make_unique<C3dDocument>(&host);
  }
  void TearDown() override {
    document.reset();
    list.reset();
    SceneTest::TearDown();
  }

  CSelection& Selection() { return document->GetSelection(); }
  // The selection's objects in order.
  std::vector<C3dObject*> Listed() {
    std::vector<C3dObject*> out;
    for (uint32_t i = 0; i < Selection().GetCount(); ++i) out.push_back(Selection().GetObject(i));
    return out;
  }
  // The window's object list, holding these things in this order.
  void SetObjectList(const std::vector<C3dBase*>& things) {
    list = std::make_unique<C3dBaseSpoolTable>(ObjectsEnv());
    CHolder holder(list.get(), true, false);
    ASSERT_TRUE(holder.IsLocked());
    for (C3dBase* thing : things) ASSERT_TRUE(list->Append(&thing));
    host.list = list.get();
  }
  bool InScene(C3dObject* object) const { return object->GetOwningTable() == table; }

  CTestHost host;
  std::unique_ptr<C3dDocument> document;
  std::unique_ptr<C3dBaseSpoolTable> list;
};

// With a maximised main window for the pointer and key queries, and a camera in the table that the
// host answers as the current one.
class EditingCameraTest : public EditingTest {
 protected:
  void SetUp() override {
    EditingTest::SetUp();
    if (HasFatalFailure()) return;
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
    camera = MakeObject<C3dCamera>(table);
    ASSERT_NE(camera, nullptr);
    host.camera = camera;
  }

  C3dCamera* camera = nullptr;
};
