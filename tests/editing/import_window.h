// The document window as the plug-in callbacks see it, for imports without the program's window: the
// object list collected again from the scene whenever the scene parts are looked up, the new object
// selected alone, and two or more selected objects grouped.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "document/plugin.h"
#include "document/plugin_callbacks.h"
#include "editing/document.h"
#include "editing/import_host.h"
#include "framework/core/holder.h"
#include "platform/alloc.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "tests/editing/editing_fixture.h"

class CImportWindow : public CTestHost, public CImportHost {
 public:
  C3dMaterial* GetDefaultMaterial() const override { return defaultMaterial; }

  int32_t SelectNewObject(C3dObject* object) override {
    calls.push_back("select new");
    C3dTransform& placement = object->GetPlacement();
    placement.fPrevScale = placement.fScale;
    placement.fPrevRotation = placement.fRotation;
    placement.fPrevPosition = placement.fPosition;
    document->GetSelection().Add(object, 1, 0);
    Invalidate(true);
    if (const int32_t error = FindSceneParts(true)) return error;
    NotifyObjInfoChanged(2);
    // Every allocation from then on fails, until the test says otherwise: the pools retry after
    // their recovery, which itself allocates.
    if (failAfterSelect >= 0) platform::FailAllocationsAfter(uint32_t(std::exchange(failAfterSelect, -1)), 1000);
    return selectResult;
  }

  int32_t FindSceneParts(bool relink) override {
    CTestHost::FindSceneParts(relink);
    CHolder rows(scene, false, false);
    CHolder holder(list, true, false);
    if (!rows.IsLocked() || !holder.IsLocked()) return 9;
    if (list->GetCount()) list->RemoveAt(0, list->GetCount());
    for (uint32_t row = 0; row < scene->GetCount(); ++row) {
      C3dBase* thing = (*scene)[row].object;
      if (thing && thing->AsObject() && !list->Append(&thing)) return 9;
    }
    return findResult;
  }

  int32_t GroupSelection() override {
    calls.push_back("group");
    CSelection& selection = document->GetSelection();
    if (selection.GetCount() < 2) return 0;
    if (groupResult) return groupResult;
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<C3dGroup>(scene->GetEnvironment(), key, spec);
    C3dGroup* group = nullptr;
    if (const int32_t error = C3dGroup::New(&group, scene, key, spec)) return error;
    for (uint32_t i = 0; i < selection.GetCount(); ++i) {
      if (const int32_t error = group->AddChild(selection.GetObject(i))) return error;
    }
    group->ComputeBounds();
    selection.DeselectAll(1);
    return SelectNewObject(group);
  }

  C3dDocument* document = nullptr;
  C3dMaterial* defaultMaterial = nullptr;
  int32_t selectResult = 0;
  int32_t groupResult = 0;
  // How many allocations after a selection succeed before they all fail; −1 for none.
  int32_t failAfterSelect = -1;
};

// The file imported as the import command does: the plug-ins of the folder found, the one of the
// file's extension called, the libraries unloaded and the host released. The plug-in's answer.
inline int32_t ImportThroughPlugins(const std::string& folder, const std::string& path) {
  if (const int32_t error = FindPlugins(folder.c_str(), ".qno")) return error;
  QNPluginParams block{};
  const int32_t answer = CallImportPlugin(&block, path.c_str());
  CQNPlugin::UnloadLibraries();
  ReleasePlugins();
  return answer;
}
