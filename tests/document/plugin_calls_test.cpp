#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "document/plugin.h"
#include "document/plugin_callbacks.h"
#include "framework/core/io_progress.h"
#include "plugin_fixture.h"
#include "recording_progress_dialog.h"

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
  // A test that registers a document side and stops early leaves none to the next.
  void TearDown() override {
    SetDocumentSlots(nullptr);
    PluginTest::TearDown();
  }
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

// Without the document side registered (no document window), slot 0 answers no document and the
// other document slots 7, leaving their results alone.
TEST_F(PluginCallsTest, DocumentSlotsWithoutADocumentSideAnswerNoDocument) {
  ASSERT_EQ(GetDocumentSlots(), nullptr);
  ASSERT_EQ(Host::CreateTables(SRange().Set(0, 8)), 0);
  QNHostFn* slots = Host::GetHostCallbacks();
  ASSERT_NE(slots, nullptr);
  EXPECT_EQ(reinterpret_cast<QNHostGetDocumentFn>(slots[QN_SLOT_GET_DOCUMENT])(), 0u);
  int32_t count = -7;
  EXPECT_EQ(reinterpret_cast<QNHostGetObjectCountFn>(slots[QN_SLOT_GET_OBJECT_COUNT])(1, &count), 7);
  EXPECT_EQ(count, -7);
  uint32_t object = 99;
  EXPECT_EQ(reinterpret_cast<QNHostFindObjectFn>(slots[QN_SLOT_FIND_OBJECT])(1, 2, &object), 7);
  EXPECT_EQ(reinterpret_cast<QNHostGetObjectFn>(slots[QN_SLOT_GET_OBJECT])(1, 0, &object), 7);
  EXPECT_EQ(reinterpret_cast<QNHostCreateObjectFn>(slots[QN_SLOT_CREATE_OBJECT])(1, 0x746d7368, &object), 7);
  EXPECT_EQ(object, 99u);
  EXPECT_EQ(reinterpret_cast<QNHostObjectFn>(slots[QN_SLOT_DELETE_OBJECT])(1, 2), 7);
  EXPECT_EQ(reinterpret_cast<QNHostSetMaterialPropertyFn>(slots[QN_SLOT_SET_MATERIAL_PROPERTY])(1, 2, 1, 255), 7);
  EXPECT_EQ(reinterpret_cast<QNHostDocumentFn>(slots[QN_SLOT_BEGIN_IMPORT])(1), 7);
  EXPECT_EQ(reinterpret_cast<QNHostDocumentFn>(slots[QN_SLOT_END_IMPORT])(1), 7);
  EXPECT_EQ(reinterpret_cast<QNHostObjectFn>(slots[QN_SLOT_FINISH_OBJECT])(1, 2), 7);
  const float p[3] = {0, 0, 0};
  EXPECT_EQ(reinterpret_cast<QNHostAddTriangleFn>(slots[QN_SLOT_ADD_TRIANGLE])(1, 2, p, p, p), 7);
  EXPECT_EQ(reinterpret_cast<QNHostMeshDataFn>(slots[QN_SLOT_MESH_DATA])(1, 2, 0, p, p, p), 7);
}

// What the document side hears of each slot, with the arguments as the plug-in gave them.
std::vector<std::string> gHeard;

void Heard(const std::string& call) { gHeard.push_back(call); }

const SDocumentSlots kRecordingSlots = {
    []() -> uint32_t { return 41; },
    [](uint32_t d, int32_t* count) -> int32_t {
      *count = 3;
      Heard("count " + std::to_string(d));
      return 0;
    },
    [](uint32_t d, int32_t id, uint32_t*) -> int32_t { Heard("find " + std::to_string(d) + " " + std::to_string(id)); return 6; },
    [](uint32_t d, int32_t i, uint32_t*) -> int32_t { Heard("get " + std::to_string(d) + " " + std::to_string(i)); return 16; },
    [](uint32_t d, uint32_t c, uint32_t* o) -> int32_t {
      *o = 5;
      Heard("create " + std::to_string(d) + " " + std::to_string(c));
      return 0;
    },
    [](uint32_t d, uint32_t o) -> int32_t { Heard("delete " + std::to_string(d) + " " + std::to_string(o)); return 0; },
    [](uint32_t d, uint32_t o, int32_t id, int32_t v) -> int32_t {
      Heard("property " + std::to_string(d) + " " + std::to_string(o) + " " + std::to_string(id) + " " + std::to_string(v));
      return 0;
    },
    [](uint32_t d) -> int32_t { Heard("begin " + std::to_string(d)); return 0; },
    [](uint32_t d) -> int32_t { Heard("end " + std::to_string(d)); return 2; },
    [](uint32_t d, uint32_t o) -> int32_t { Heard("finish " + std::to_string(d) + " " + std::to_string(o)); return 0; },
    [](uint32_t d, uint32_t o, const float*, const float* b, const float*) -> int32_t {
      Heard("triangle " + std::to_string(d) + " " + std::to_string(o) + (b ? "" : " no second"));
      return b ? 0 : 13;
    },
    [](uint32_t d, uint32_t o, int32_t v, const void*, const void*, const void*) -> int32_t {
      Heard("data " + std::to_string(d) + " " + std::to_string(o) + " " + std::to_string(v));
      return 0;
    },
    []() { Heard("import command"); },
};

// The table's slots pass every call to the registered document side and hand back its answer.
TEST_F(PluginCallsTest, DocumentSlotsReachTheRegisteredDocumentSide) {
  SetDocumentSlots(&kRecordingSlots);
  gHeard.clear();
  ASSERT_EQ(Host::CreateTables(SRange().Set(0, 8)), 0);
  QNHostFn* slots = Host::GetHostCallbacks();
  const float p[3] = {0, 0, 0};
  int32_t count = 0;
  uint32_t object = 0;
  EXPECT_EQ(reinterpret_cast<QNHostGetDocumentFn>(slots[QN_SLOT_GET_DOCUMENT])(), 41u);
  EXPECT_EQ(reinterpret_cast<QNHostGetObjectCountFn>(slots[QN_SLOT_GET_OBJECT_COUNT])(41, &count), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(reinterpret_cast<QNHostFindObjectFn>(slots[QN_SLOT_FIND_OBJECT])(41, 9, &object), 6);
  EXPECT_EQ(reinterpret_cast<QNHostGetObjectFn>(slots[QN_SLOT_GET_OBJECT])(41, 3, &object), 16);
  EXPECT_EQ(reinterpret_cast<QNHostCreateObjectFn>(slots[QN_SLOT_CREATE_OBJECT])(41, 0x746d7368, &object), 0);
  EXPECT_EQ(object, 5u);
  EXPECT_EQ(reinterpret_cast<QNHostObjectFn>(slots[QN_SLOT_DELETE_OBJECT])(41, 5), 0);
  EXPECT_EQ(reinterpret_cast<QNHostSetMaterialPropertyFn>(slots[QN_SLOT_SET_MATERIAL_PROPERTY])(41, 5, 2, -1), 0);
  EXPECT_EQ(reinterpret_cast<QNHostDocumentFn>(slots[QN_SLOT_BEGIN_IMPORT])(41), 0);
  EXPECT_EQ(reinterpret_cast<QNHostObjectFn>(slots[QN_SLOT_FINISH_OBJECT])(41, 5), 0);
  EXPECT_EQ(reinterpret_cast<QNHostAddTriangleFn>(slots[QN_SLOT_ADD_TRIANGLE])(41, 5, p, nullptr, p), 13);
  EXPECT_EQ(reinterpret_cast<QNHostMeshDataFn>(slots[QN_SLOT_MESH_DATA])(41, 5, 8, p, p, p), 0);
  EXPECT_EQ(reinterpret_cast<QNHostDocumentFn>(slots[QN_SLOT_END_IMPORT])(41), 2);
  const std::vector<std::string> expected = {"count 41",
                                             "find 41 9",
                                             "get 41 3",
                                             "create 41 " + std::to_string(0x746d7368u),
                                             "delete 41 5",
                                             "property 41 5 2 -1",
                                             "begin 41",
                                             "finish 41 5",
                                             "triangle 41 5 no second",
                                             "data 41 5 8",
                                             "end 41"};
  EXPECT_EQ(gHeard, expected);
}

// The import command's call once a file is chosen: the format of the file name's extension in any
// case, the path at 0 and 540, the caption naming the format, the import list forgotten first; a path
// too long for the block, or an extension no format claims, is refused before any plug-in call.
TEST_F(PluginCallsTest, AnImportCallFindsItsFormatAndRefusesWhatTheBlockCannotHold) {
  Install(kImport);
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  CRecordedProgress recorded;
  ASSERT_EQ(SetUpIOProgress(), 0);
  auto* display = static_cast<CRecordingProgressDialog*>(GetIOProgressDialog());
  SetDocumentSlots(&kRecordingSlots);
  gHeard.clear();
  ClearLog();
  QNPluginParams block{};
  EXPECT_EQ(CallImportPlugin(&block, "/data/X.AAA"), 0);
  EXPECT_EQ(Selectors(kImport), "7");
  const auto lastImport = [&] {
    SPluginCall last;
    for (const SPluginCall& call : Calls(kImport))
      if (call.selector == "7") last = call;
    return last;
  };
  EXPECT_EQ(lastImport().format, 1u);  // the plug-in's own number of ".aaa"
  EXPECT_EQ(lastImport().text, "/data/X.AAA");
  EXPECT_STREQ(block.text, "/data/X.AAA");
  EXPECT_STREQ(block.outputPath, "/data/X.AAA");
  EXPECT_EQ(display->GetDescription(), "Importing from Zeta");
  EXPECT_EQ(gHeard, std::vector<std::string>{"import command"});
  EXPECT_EQ(Host::GetHostCallbacks()[QN_SLOT_PROGRESS], reinterpret_cast<QNHostFn>(&HostDefaultProgress));

  const std::string folder = "/data/";
  const std::string longest = folder + std::string(259 - folder.size() - 4, 'n') + ".aaa";
  ASSERT_EQ(longest.size(), 259u);
  QNPluginParams fits{};
  EXPECT_EQ(CallImportPlugin(&fits, longest.c_str()), 0);
  EXPECT_EQ(lastImport().text, longest);

  ClearLog();
  gHeard.clear();
  struct SCase {
    std::string path;
    int32_t answer;
  } cases[] = {
      {longest.substr(0, longest.size() - 4) + "n.aaa", -120},  // 260 bytes
      {"/data/scene.ccc", 6},
      {"/data.aaa/scene", 6},  // a dot in a folder is no extension
      {"/data/.aaa", 6},       // nor is the leading dot of a hidden file
  };
  for (const SCase& c : cases) {
    QNPluginParams refused{};
    EXPECT_EQ(CallImportPlugin(&refused, c.path.c_str()), c.answer) << c.path;
    EXPECT_EQ(refused.text[0], 0) << c.path;
  }
  EXPECT_EQ(Selectors(kImport), "");
  EXPECT_TRUE(gHeard.empty());
  TearDownIOProgress();
}

}  // namespace
