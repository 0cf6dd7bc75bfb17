#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "document/plugin.h"
#include "document/plugin_callbacks.h"
#include "framework/core/io_progress.h"
#include "plugin_fixture.h"

namespace {

using Host = CQNPlugin;

QNPluginParams ImportBlock(const char* path, uint32_t formatIndex) {
  QNPluginParams block{};
  std::snprintf(block.text, sizeof block.text, "%s", path);
  block.formatIndex = formatIndex;
  return block;
}

class PluginCallsTest : public PluginTest {
 protected:
  // The table as the plug-in's selector 7 reports it.
  std::vector<std::string> SlotsSeen() {
    QNPluginParams block = ImportBlock("/data/scene.aaa", 0);
    ClearLog();
    EXPECT_EQ(Host::EnsureLoaded(QN_SELECTOR_IMPORT, &block, 0), 0);
    for (const SPluginCall& call : Calls(kImport)) {
      if (call.selector == "slots") return call.tokens;
    }
    return {};
  }
};

TEST_F(PluginCallsTest, AnUnloadedPluginIsLoadedAgainForTheCallAndSeesItsOwnFormatNumber) {
  Install(kImport);
  ASSERT_EQ(Host::CreateTables(SRange().Set(0, 8)), 0);
  ASSERT_EQ(Host::ScanDirectory(folder_.c_str(), ".qno"), 0);
  ASSERT_EQ(Host::QueryFormats(true), 0);
  EXPECT_EQ(Selectors(kImport), "0 2 3 3 1");
  EXPECT_FALSE(Host::GetPlugin(0)->IsLoaded());
  char text[128];
  ASSERT_EQ(Host::BuildFilterText(text, sizeof text, false), 0);  // row 0 is now its format 1

  ClearLog();
  setenv("QUARN2_TEST_PLUGIN_FAIL", "7:1:42", 1);
  QNPluginParams block = ImportBlock("/data/scene.aaa", 0);
  EXPECT_EQ(Host::EnsureLoaded(QN_SELECTOR_IMPORT, &block, 0), 42);
  EXPECT_EQ(block.formatIndex, 0u);
  EXPECT_EQ(Selectors(kImport), "0 7");
  const SPluginCall call = Calls(kImport).back();
  EXPECT_EQ(call.format, 1u);
  EXPECT_EQ(call.text, "/data/scene.aaa");

  EXPECT_EQ(Host::EnsureLoaded(QN_SELECTOR_IMPORT, &block, 1), 0);
  EXPECT_EQ(Calls(kImport).back().format, 0u);
  EXPECT_EQ(Host::DeleteAll(), 0);
  EXPECT_EQ(Selectors(kImport), "0 7 7 1");
}

TEST_F(PluginCallsTest, SlotsAsThePluginSeesThem) {
  Install(kImport);
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  const std::vector<std::string> seen = SlotsSeen();
  ASSERT_EQ(seen.size(), size_t(QN_SLOT_COUNT));
  for (int slot = 0; slot < QN_SLOT_COUNT; ++slot) {
    std::string expected = "0";  // slot 0 (no document yet), 2 and every slot for any arguments
    if (slot == QN_SLOT_FIXED_ANSWER) expected = "20";
    if (slot == 3 || slot == 4 || slot == 5 || slot == 8 || slot == 9 || slot == 16 || (slot >= 24 && slot <= 28))
      expected = "+";  // present, acting on a document: not called by the probe
    if (slot == QN_SLOT_EMPTY || slot >= QN_SLOT_FIRST_UNUSED) expected = "-";
    EXPECT_EQ(seen[size_t(slot)], expected) << "slot " << slot;
  }
}

std::string gProgressText;
int32_t gProgressDone = 0;
int32_t gProgressTotal = 0;

int32_t AnswerFive(const char* text, int32_t done, int32_t total) {
  gProgressText = text;
  gProgressDone = done;
  gProgressTotal = total;
  return 5;
}

TEST_F(PluginCallsTest, TheProgressSlotHoldsTheInstalledFunctionUntilItIsTakenBack) {
  Install(kImport);
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  EXPECT_EQ(SlotsSeen()[QN_SLOT_PROGRESS], "0");
  ASSERT_EQ(Host::SetHostCallback(&AnswerFive), 0);
  EXPECT_EQ(SlotsSeen()[QN_SLOT_PROGRESS], "5");
  EXPECT_EQ(gProgressText, "probe");
  EXPECT_EQ(gProgressDone, 1);
  EXPECT_EQ(gProgressTotal, 2);
  ASSERT_EQ(Host::SetHostCallback(nullptr), 0);
  EXPECT_EQ(SlotsSeen()[QN_SLOT_PROGRESS], "0");
}

// The progress display in the slot lets the user stop the plug-in with Escape.
TEST_F(PluginCallsTest, TheProgressDisplayInTheSlotAnswersACancel) {
  Install(kImport);
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  ASSERT_EQ(Host::SetHostCallback(&HostProgressDisplay), 0);
  ShowMain();
  ProgressBegin("Importing from ", 0);
  platform::PostMessage(Main(), platform::kWmKeyDown, platform::kVkEscape, 1);
  EXPECT_EQ(SlotsSeen()[QN_SLOT_PROGRESS], "24");
  ProgressEnd();
}

// Until the callbacks' own issue, the document slots answer 27 and leave their results alone.
TEST_F(PluginCallsTest, DocumentSlotsArePlaceholders) {
  ASSERT_EQ(Host::CreateTables(SRange().Set(0, 8)), 0);
  QNHostFn* slots = Host::GetHostCallbacks();
  ASSERT_NE(slots, nullptr);
  EXPECT_EQ(reinterpret_cast<QNHostGetDocumentFn>(slots[QN_SLOT_GET_DOCUMENT])(), 0u);
  int32_t count = -7;
  EXPECT_EQ(reinterpret_cast<QNHostGetObjectCountFn>(slots[QN_SLOT_GET_OBJECT_COUNT])(1, &count), 27);
  EXPECT_EQ(count, -7);
  uint32_t object = 99;
  EXPECT_EQ(reinterpret_cast<QNHostFindObjectFn>(slots[QN_SLOT_FIND_OBJECT])(1, 2, &object), 27);
  EXPECT_EQ(reinterpret_cast<QNHostGetObjectFn>(slots[QN_SLOT_GET_OBJECT])(1, 0, &object), 27);
  EXPECT_EQ(reinterpret_cast<QNHostCreateObjectFn>(slots[QN_SLOT_CREATE_OBJECT])(1, 0x746d7368, &object), 27);
  EXPECT_EQ(object, 99u);
  EXPECT_EQ(reinterpret_cast<QNHostObjectFn>(slots[QN_SLOT_DELETE_OBJECT])(1, 2), 27);
  EXPECT_EQ(reinterpret_cast<QNHostSetMaterialPropertyFn>(slots[QN_SLOT_SET_MATERIAL_PROPERTY])(1, 2, 1, 255), 27);
  EXPECT_EQ(reinterpret_cast<QNHostDocumentFn>(slots[QN_SLOT_BEGIN_IMPORT])(1), 27);
  EXPECT_EQ(reinterpret_cast<QNHostDocumentFn>(slots[QN_SLOT_END_IMPORT])(1), 27);
  EXPECT_EQ(reinterpret_cast<QNHostObjectFn>(slots[QN_SLOT_FINISH_OBJECT])(1, 2), 27);
  const float p[3] = {0, 0, 0};
  EXPECT_EQ(reinterpret_cast<QNHostAddTriangleFn>(slots[QN_SLOT_ADD_TRIANGLE])(1, 2, p, p, p), 27);
  EXPECT_EQ(reinterpret_cast<QNHostMeshDataFn>(slots[QN_SLOT_MESH_DATA])(1, 2, 0, p, p, p), 27);
}

}  // namespace
